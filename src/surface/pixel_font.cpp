#include "surface/pixel_font.h"

#include <zlib.h>

#include <cstring>
#include <map>

#include "base/cp932.h"
#include "base/error.h"

namespace orvo {

namespace {

constexpr char kMagic[14] = "OrvoPixelFont";
constexpr size_t kMetricsAt = 106;

uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// Inflates exactly `expected` bytes; anything shorter or longer fails
// without producing more than one byte past the expected size.
bool InflateExactly(std::string_view stored, size_t expected, std::vector<uint8_t>& out) {
  out.assign(expected + 1, 0);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data()));
  stream.avail_in = static_cast<uInt>(stored.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  int status = inflate(&stream, Z_FINISH);
  size_t produced = stream.total_out;
  inflateEnd(&stream);
  if (status != Z_STREAM_END || produced != expected) return false;
  out.resize(expected);
  return true;
}

}  // namespace

EPixelFontError DamagedFontError(std::string_view cp932_name) {
  return EPixelFontError(std::string(cp932_name) + "\r\n" +
                         ErrorFromUtf8("フォントファイルが破壊されています").Message());
}

std::string PixelFontKey(std::string_view face, int32_t size, uint8_t style) {
  return std::string(face) + "_" + std::to_string(size) + "_" + std::to_string(style & 1) + "_" +
         std::to_string((style >> 1) & 1);
}

TPixelFontHeader ParsePixelFontHeader(std::string_view head, int64_t file_size, std::string_view name) {
  if (head.size() < kPixelFontHeaderSize || file_size < static_cast<int64_t>(kPixelFontHeaderSize) ||
      std::memcmp(head.data(), kMagic, sizeof kMagic) != 0)
    throw DamagedFontError(name);
  const auto* p = reinterpret_cast<const uint8_t*>(head.data());
  TPixelFontHeader header;
  std::memcpy(header.raw.data(), p + 14, header.raw.size());
  header.index_bytes = U32(p + 18);
  const char* face = reinterpret_cast<const char*>(p + 26);
  const void* end = std::memchr(face, 0, kPixelFontFaceBytes);
  if (!end) throw DamagedFontError(name);
  header.face.assign(face, static_cast<const char*>(end));
  header.size = I32(p + 90);
  header.style = p[94];
  header.count = I32(p + 102);
  header.ascent = I32(p + kMetricsAt + 8);
  header.strike_size = I32(p + kMetricsAt + 180);
  header.strike_position = I32(p + kMetricsAt + 184);
  header.underline_size = I32(p + kMetricsAt + 188);
  header.listed = p[318] != 0;
  if (header.count < 0 || header.count > 65535) throw DamagedFontError(name);
  if (static_cast<int64_t>(header.index_bytes) > file_size - static_cast<int64_t>(kPixelFontHeaderSize))
    throw DamagedFontError(name);
  return header;
}

void ParsePixelFontIndex(const TPixelFontHeader& header, std::string_view index, int64_t file_size,
                         std::string_view name, std::vector<uint16_t>& codes, std::vector<TPixelGlyphRecord>& records) {
  codes.clear();
  records.clear();
  size_t count = static_cast<size_t>(header.count);
  std::vector<uint8_t> entries;
  if (header.index_bytes != 0) {
    if (index.size() < header.index_bytes ||
        !InflateExactly(index.substr(0, header.index_bytes), count * kPixelFontEntrySize, entries))
      throw DamagedFontError(name);
  } else if (count != 0) {
    throw DamagedFontError(name);
  }
  int64_t bitmap_start = static_cast<int64_t>(kPixelFontHeaderSize) + header.index_bytes;
  int64_t bitmap_bytes = file_size - bitmap_start;
  codes.reserve(count);
  records.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = entries.data() + i * kPixelFontEntrySize;
    TPixelGlyphRecord record;
    record.width = U16(e + 2);
    record.height = U16(e + 4);
    record.origin_x = static_cast<int16_t>(U16(e + 6));
    record.origin_y = static_cast<int16_t>(U16(e + 8));
    record.advance_x = static_cast<int16_t>(U16(e + 10));
    record.advance_y = static_cast<int16_t>(U16(e + 12));
    record.offset = U32(e + 14);
    if (!record.IsBlank() &&
        static_cast<int64_t>(record.offset) + static_cast<int64_t>(record.BitmapBytes()) > bitmap_bytes)
      throw DamagedFontError(name);
    codes.push_back(U16(e));
    records.push_back(record);
  }
}

std::string EncodePixelFont(const TPixelFontHeader& header, const std::vector<TPixelGlyphSource>& glyphs) {
  std::string bitmaps;
  std::map<std::string, uint32_t> stored;  // identical bitmaps share one offset
  std::string entries;
  for (const TPixelGlyphSource& glyph : glyphs) {
    uint8_t entry[kPixelFontEntrySize] = {};
    PutU16(entry, glyph.code);
    bool blank = glyph.width == 0 || glyph.height == 0;
    PutU16(entry + 2, blank ? 0 : glyph.width);
    PutU16(entry + 4, blank ? 0 : glyph.height);
    PutU16(entry + 6, static_cast<uint16_t>(glyph.origin_x));
    PutU16(entry + 8, static_cast<uint16_t>(glyph.origin_y));
    PutU16(entry + 10, static_cast<uint16_t>(glyph.advance_x));
    if (!blank) {
      size_t stride = (static_cast<size_t>(glyph.width) + 3) & ~size_t{3};
      std::string bitmap(stride * glyph.height, '\0');
      for (size_t row = 0; row < glyph.height; ++row) {
        size_t file_row = glyph.height - 1 - row;  // bottom row first
        size_t from = row * glyph.width;
        if (from + glyph.width <= glyph.rows.size())
          std::memcpy(&bitmap[file_row * stride], glyph.rows.data() + from, glyph.width);
      }
      auto [found, added] = stored.try_emplace(bitmap, static_cast<uint32_t>(bitmaps.size()));
      if (added) bitmaps += bitmap;
      PutU32(entry + 14, found->second);
    }
    entries.append(reinterpret_cast<const char*>(entry), sizeof entry);
  }
  std::string index;
  if (!entries.empty()) {
    uLongf capacity = compressBound(static_cast<uLong>(entries.size()));
    index.resize(capacity);
    if (compress2(reinterpret_cast<Bytef*>(index.data()), &capacity, reinterpret_cast<const Bytef*>(entries.data()),
                  static_cast<uLong>(entries.size()), Z_BEST_COMPRESSION) != Z_OK)
      throw EFormatError("deflate failed");
    index.resize(capacity);
  }
  std::string out(kPixelFontHeaderSize, '\0');
  auto* p = reinterpret_cast<uint8_t*>(out.data());
  std::memcpy(p + 14, header.raw.data(), header.raw.size());
  std::memcpy(p, kMagic, sizeof kMagic);
  PutU32(p + 18, static_cast<uint32_t>(index.size()));
  std::memset(p + 26, 0, kPixelFontFaceBytes);
  std::memcpy(p + 26, header.face.data(), std::min(header.face.size(), kPixelFontFaceBytes - 1));
  PutU32(p + 90, static_cast<uint32_t>(header.size));
  p[94] = header.style;
  PutU32(p + 102, static_cast<uint32_t>(glyphs.size()));
  PutU32(p + kMetricsAt, 212);
  PutU32(p + kMetricsAt + 4, static_cast<uint32_t>(header.size));
  PutU32(p + kMetricsAt + 8, static_cast<uint32_t>(header.ascent));
  PutU32(p + kMetricsAt + 180, static_cast<uint32_t>(header.strike_size));
  PutU32(p + kMetricsAt + 184, static_cast<uint32_t>(header.strike_position));
  PutU32(p + kMetricsAt + 188, static_cast<uint32_t>(header.underline_size));
  p[318] = header.listed ? 1 : 0;
  return out + index + bitmaps;
}

TPixelFontSection::~TPixelFontSection() {
  if (file_) std::fclose(file_);
}

const TPixelGlyphRecord* TPixelFontSection::Find(uint16_t code) const {
  uint16_t number = table_[code];
  return number < records_.size() ? &records_[number] : nullptr;
}

bool TPixelFontSection::ReadBitmap(const TPixelGlyphRecord& record, TDIBX& coverage) const {
  if (record.IsBlank()) {
    coverage.SetSize(0, 0, 8);
    return true;
  }
  coverage.SetSize(record.width, record.height, 8);
  size_t bytes = record.BitmapBytes();
  if (!file_ || coverage.Store().ByteSize() < bytes) return false;
  if (::fseeko(file_, static_cast<off_t>(bitmap_start_ + record.offset), SEEK_SET) != 0) return false;
  // The rows are stored bottom-up and padded like the pixel store's memory.
  return std::fread(coverage.Store().Bits(), 1, bytes, file_) == bytes;
}

TPixelFontManager::TPixelFontManager() = default;
TPixelFontManager::~TPixelFontManager() = default;

TPixelFontSection* TPixelFontManager::AddFontFile(const std::string& path, std::string_view error_name) {
  for (const auto& section : sections_) {
    if (EqualsNoCase(section->FileName(), path)) return nullptr;
  }
  std::string name = error_name.empty() ? Utf8ToCp932(path) : std::string(error_name);
  auto section = std::make_unique<TPixelFontSection>();
  section->file_name_ = path;
  section->file_ = std::fopen(path.c_str(), "rb");
  if (!section->file_) throw EReadError(name + ErrorFromUtf8(":ファイルがありません").Message());
  if (::fseeko(section->file_, 0, SEEK_END) != 0) throw DamagedFontError(name);
  int64_t file_size = ::ftello(section->file_);
  std::string head(kPixelFontHeaderSize, '\0');
  if (file_size < static_cast<int64_t>(kPixelFontHeaderSize) || ::fseeko(section->file_, 0, SEEK_SET) != 0 ||
      std::fread(head.data(), 1, head.size(), section->file_) != head.size())
    throw DamagedFontError(name);
  section->header_ = ParsePixelFontHeader(head, file_size, name);
  std::string index(section->header_.index_bytes, '\0');
  if (std::fread(index.data(), 1, index.size(), section->file_) != index.size()) throw DamagedFontError(name);
  ParsePixelFontIndex(section->header_, index, file_size, name, section->codes_, section->records_);
  for (size_t i = 0; i < section->codes_.size(); ++i) section->table_[section->codes_[i]] = static_cast<uint16_t>(i);
  section->bitmap_start_ = static_cast<int64_t>(kPixelFontHeaderSize) + section->header_.index_bytes;
  std::string key = PixelFontKey(section->header_.face, section->header_.size, section->header_.style);
  if (sections_.Find(key)) return nullptr;
  return &sections_.Add(std::move(section), key);
}

TPixelFontSection* TPixelFontManager::FindSection(std::string_view face, int32_t size, uint8_t style) const {
  if (sections_.Empty()) return nullptr;
  return sections_.Find(PixelFontKey(face, size, style));
}

bool TPixelFontManager::ReadPixelGlyph(std::string_view face, int32_t size, uint8_t style, uint16_t code,
                                       TDIBX& coverage, const TPixelFontSection*& section,
                                       TPixelGlyphRecord& record) const {
  section = FindSection(face, size, style);
  if (!section) return false;
  const TPixelGlyphRecord* found = section->Find(code);
  if (!found) return false;
  record = *found;
  return section->ReadBitmap(record, coverage);
}

}  // namespace orvo
