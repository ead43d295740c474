#pragma once
// The numbering of shared records in a glyph stream being written: only the
// records that stored glyphs use, in the order of their first use, each
// counted once per stored glyph that holds it.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "text/records.h"

namespace orvo {

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
  static void Count(std::unordered_map<const void*, int32_t>& index, std::vector<TUse>& uses, const void* record);
  static int32_t Lookup(const std::unordered_map<const void*, int32_t>& index, const void* record);

  std::unordered_map<const void*, int32_t> condition_index_, decoration_index_, link_index_;
  std::vector<TUse> conditions_, decorations_, links_;
};

}  // namespace orvo
