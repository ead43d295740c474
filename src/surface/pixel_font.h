#pragma once
// Pixel fonts (".oft"): pre-rendered glyphs of one face, size and weight that
// a game ships. The manager holds one section per accepted file, keyed by
// face, size, bold and italic; the file stays open and bitmaps are read on
// demand. Every count, length and offset of a file is checked when it is
// offered, so later reads cannot leave the file.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/hash_collection.h"
#include "surface/dibx.h"

namespace orvo {

constexpr size_t kPixelFontHeaderSize = 322;  // magic and the fixed header, up to the index
constexpr size_t kPixelFontEntrySize = 18;    // code and glyph record of the index
constexpr size_t kPixelFontFaceBytes = 64;

// A glyph record: the black box, its origin relative to the pen (y upwards
// from the baseline), the advance, and the bitmap's offset from the start of
// the bitmap data. The bitmap is height rows of (width + 3) & ~3 bytes, the
// bottom row first.
struct TPixelGlyphRecord {
  uint16_t width = 0;
  uint16_t height = 0;
  int16_t origin_x = 0;
  int16_t origin_y = 0;
  int16_t advance_x = 0;
  int16_t advance_y = 0;
  uint32_t offset = 0;
  size_t BitmapBytes() const { return static_cast<size_t>(height) * ((static_cast<size_t>(width) + 3) & ~size_t{3}); }
  bool IsBlank() const { return width == 0 || height == 0; }
};

// The fields of the header the player uses, and the header itself.
struct TPixelFontHeader {
  std::string face;  // CP932
  int32_t size = 0;
  uint8_t style = 0;  // bit 0 bold, bit 1 italic
  int32_t count = 0;
  uint32_t index_bytes = 0;  // N: the compressed index
  int32_t ascent = 0;
  int32_t strike_size = 0;
  int32_t strike_position = 0;  // above the baseline
  int32_t underline_size = 0;
  bool listed = false;
  std::array<uint8_t, kPixelFontHeaderSize - 14> raw{};  // the 308 bytes after the magic
};

// One glyph of a file to write: its code and coverage rows (top row first,
// width bytes each).
struct TPixelGlyphSource {
  uint16_t code = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  int16_t origin_x = 0;
  int16_t origin_y = 0;
  int16_t advance_x = 0;
  std::vector<uint8_t> rows;
};

// The error of a damaged file: the name, CR LF, "フォントファイルが破壊されています".
class EPixelFontError : public EFormatError {
 public:
  using EFormatError::EFormatError;
};
EPixelFontError DamagedFontError(std::string_view cp932_name);

// Checks and decodes the fixed header (the file's first 322 bytes) against
// the file's size; raises DamagedFontError(name).
TPixelFontHeader ParsePixelFontHeader(std::string_view head, int64_t file_size, std::string_view name);
// Inflates the index (exactly count entries) and checks every bitmap against
// the file's size; codes and records in file order.
void ParsePixelFontIndex(const TPixelFontHeader& header, std::string_view index, int64_t file_size,
                         std::string_view name, std::vector<uint16_t>& codes, std::vector<TPixelGlyphRecord>& records);

// A whole ".oft" file: header fields from `header` (face, size, style,
// metrics, listed), the glyphs in the given order, identical bitmaps stored once.
std::string EncodePixelFont(const TPixelFontHeader& header, const std::vector<TPixelGlyphSource>& glyphs);

class TPixelFontSection : public THashItem {
 public:
  ~TPixelFontSection() override;
  const TPixelFontHeader& Header() const { return header_; }
  const std::string& FileName() const { return file_name_; }
  // The record of a code, or null.
  const TPixelGlyphRecord* Find(uint16_t code) const;
  // Glyph number of a code (position in the index), 0xFFFF when absent.
  uint16_t GlyphNumber(uint16_t code) const { return table_[code]; }
  // Codes in index order (a code listed twice appears twice).
  const std::vector<uint16_t>& Codes() const { return codes_; }
  const std::vector<TPixelGlyphRecord>& Records() const { return records_; }
  int64_t BitmapStart() const { return bitmap_start_; }
  // Reads a record's bitmap into an 8-bit surface of its size; false when
  // the file cannot be read any more.
  bool ReadBitmap(const TPixelGlyphRecord& record, TDIBX& coverage) const;

 private:
  friend class TPixelFontManager;
  std::FILE* file_ = nullptr;
  std::vector<uint16_t> table_ = std::vector<uint16_t>(65536, 0xFFFF);
  std::vector<uint16_t> codes_;
  std::vector<TPixelGlyphRecord> records_;
  int64_t bitmap_start_ = 0;
  std::string file_name_;
  TPixelFontHeader header_;
};

class TPixelFontManager {
 public:
  TPixelFontManager();
  ~TPixelFontManager();
  TPixelFontManager(const TPixelFontManager&) = delete;
  TPixelFontManager& operator=(const TPixelFontManager&) = delete;

  // Loads a file. A damaged file raises DamagedFontError of error_name (the
  // path when empty) and leaves nothing behind; a file name loaded before, or
  // a face, size and weight loaded before, answers null.
  TPixelFontSection* AddFontFile(const std::string& path, std::string_view error_name = {});
  // The section of a face at a size and style (bold and italic bits), or null.
  TPixelFontSection* FindSection(std::string_view face, int32_t size, uint8_t style) const;
  // The glyph of a code: its coverage read into coverage; false when the
  // face has no such glyph.
  bool ReadPixelGlyph(std::string_view face, int32_t size, uint8_t style, uint16_t code, TDIBX& coverage,
                      const TPixelFontSection*& section, TPixelGlyphRecord& record) const;
  size_t SectionCount() const { return sections_.Count(); }
  // Null outside the range.
  TPixelFontSection* Section(size_t index) const { return index < sections_.Count() ? &sections_.At(index) : nullptr; }

 private:
  THashCollection<TPixelFontSection> sections_;
};

// "%s_%d_%d_%d" of face, size, bold bit and italic bit.
std::string PixelFontKey(std::string_view face, int32_t size, uint8_t style);

}  // namespace orvo
