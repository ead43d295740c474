// Pixel-font files from untrusted bytes: every input is refused with the
// damaged-font error or gives records whose bitmaps all lie inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "surface/pixel_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto file_size = static_cast<int64_t>(size);
  std::vector<uint16_t> codes;
  std::vector<orvo::TPixelGlyphRecord> records;
  orvo::TPixelFontHeader header;
  try {
    header = orvo::ParsePixelFontHeader(bytes, file_size, "fuzz.oft");
    orvo::ParsePixelFontIndex(header, bytes.substr(orvo::kPixelFontHeaderSize), file_size, "fuzz.oft", codes, records);
  } catch (const orvo::EPixelFontError&) {
    return 0;
  }
  if (codes.size() != static_cast<size_t>(header.count) || records.size() != codes.size()) std::abort();
  if (header.face.size() >= orvo::kPixelFontFaceBytes) std::abort();
  int64_t start = static_cast<int64_t>(orvo::kPixelFontHeaderSize) + header.index_bytes;
  for (const orvo::TPixelGlyphRecord& record : records) {
    if (record.IsBlank()) continue;
    if (start + record.offset + static_cast<int64_t>(record.BitmapBytes()) > file_size) std::abort();
  }
  return 0;
}
