#pragma once
// The numbering of shared records in a glyph stream being written: only the
// records that stored glyphs use, in the order of their first use, each
// counted once per stored glyph that holds it.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/records.h"

namespace orvo {

// Little-endian appends to the bytes of a stream being written: records are
// many small fields, and one buffer written at the end keeps them cheap.
inline void AppendByte(std::string& out, uint8_t value) { out += static_cast<char>(value); }
inline void AppendU16(std::string& out, uint16_t value) {
  char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  out.append(bytes, 2);
}
inline void AppendI32(std::string& out, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                   static_cast<char>(v >> 24)};
  out.append(bytes, 4);
}
inline void AppendString(std::string& out, std::string_view text) {
  AppendI32(out, static_cast<int32_t>(text.size()));
  out.append(text);
}

class TGlyphStreamWriter {
 public:
  // Numbers the records of one stored glyph (the first pass).
  void Use(const TWdCondition* condition, const TDecorate* decoration, const TWdLink* link);

  int32_t ConditionIndex(const TWdCondition* record) const { return Lookup(condition_index_, record); }
  int32_t DecorationIndex(const TDecorate* record) const { return Lookup(decoration_index_, record); }
  int32_t LinkIndex(const TWdLink* record) const { return Lookup(link_index_, record); }

  struct TUse {
    const void* record;
    int32_t count;
  };
  const std::vector<TUse>& Conditions() const { return conditions_; }
  const std::vector<TUse>& Decorations() const { return decorations_; }
  const std::vector<TUse>& Links() const { return links_; }

 private:
  // Neighbouring glyphs mostly share their records: the last answer is kept.
  struct TIndex {
    std::unordered_map<const void*, int32_t> map;
    mutable const void* last = nullptr;
    mutable int32_t last_index = -1;
  };
  static void Count(TIndex& index, std::vector<TUse>& uses, const void* record);
  static int32_t Lookup(const TIndex& index, const void* record);

  TIndex condition_index_, decoration_index_, link_index_;
  std::vector<TUse> conditions_, decorations_, links_;
};

}  // namespace orvo
