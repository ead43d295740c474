#pragma once
// The break rules over what they look at of each glyph, so that the layout
// can gather those facts once per glyph instead of asking every glyph again
// for each neighbour.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/measure.h"

namespace orvo {

class TWdGlyph;

struct TBreakFacts {
  bool exists = false;
  bool line_break = false;
  bool no_break = false;
  bool shown = true;                  // the glyph's condition holds for the window
  uint16_t code = 0;                  // 0 for glyphs that are no characters
  const std::string* ruby = nullptr;  // null without ruby
  int32_t width = 0;
};

// The facts of a glyph (null: one that does not exist) for the window key.
TBreakFacts FactsOf(const TWdGlyph* glyph, std::string_view key);

inline bool BreakAllowedByFacts(const TBreakFacts& before, const TBreakFacts& after) {
  if (!after.exists) return true;
  if (before.no_break && after.no_break) return false;
  if (after.ruby && before.ruby && *after.ruby == *before.ruby) return false;
  if (before.code >= 33 && before.code <= 255 && after.code >= 33 && after.code <= 255) return false;
  if (after.code == 32 && before.exists && before.code != 32) return false;
  return !MayNotStartRow(after.code);
}

// MeasureUnit over facts: at(i) answers the facts of glyph i (not existing past the document).
template <typename FactsAt>
TUnitSize MeasureUnitByFacts(int32_t index, int32_t last_index, FactsAt&& at) {
  const TBreakFacts& head = at(index);
  if (!head.exists) return {};
  int64_t width = head.width;
  int32_t count = 1;
  auto result = [&] {
    return TUnitSize{static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX)), count};
  };
  if (head.line_break) return result();
  // Hidden glyphs take no room and so cannot hold a unit together.
  auto joins = [&](int32_t i, const TBreakFacts& next) { return next.exists && i <= last_index && next.shown; };
  auto extend = [&] {
    while (true) {
      int32_t i = index + count;
      const TBreakFacts& next = at(i);
      if (!joins(i, next) || BreakAllowedByFacts(at(i - 1), next)) break;
      width += next.width;
      ++count;
      if (next.line_break) break;
    }
  };
  extend();
  const TBreakFacts& next = at(index + 1);
  if (count == 1 && MayNotEndRow(head.code) && !next.line_break && joins(index + 1, next)) {
    width += next.width;
    ++count;
    extend();
  }
  return result();
}

}  // namespace orvo
