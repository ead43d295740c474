#pragma once
// Test-only writer of every glyph-stream layout (0 and 99..105), so that the
// reader's handling of old versions is checked against streams of known content.
#include <cstdint>
#include <string>
#include <string_view>

#include "text/kw_word.h"

namespace orvo::test {

// The stored glyphs of document and all its records (list order, stored
// counts as the lists hold them) in the layout of version; version 0 has no header.
std::string WriteOldStream(const TKwWord& document, int32_t version);

// Little-endian bytes for hand-made streams.
class TBytes {
 public:
  TBytes& I32(int32_t value);
  TBytes& U16(uint16_t value);
  TBytes& Byte(uint8_t value);
  TBytes& Str(std::string_view text);
  TBytes& Raw(std::string_view bytes);
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace orvo::test
