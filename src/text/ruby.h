#pragma once
// Where the ruby characters above a page's characters go: the first glyph of
// a ruby group spreads the ruby over the whole group.
#include <cstdint>
#include <string>
#include <vector>

namespace orvo {

class TWdGlyph;
class TWdPage;

struct TRubyPlace {
  const TWdGlyph* glyph = nullptr;  // the character that draws it
  int32_t number = 0;               // 1..n within the ruby text
  std::string text;                 // the ruby character (CP932)
  int32_t x = 0, y = 0;             // page coordinates of its box
  int32_t size = 0;                 // the box is size x size
};

// The ruby band height of a character: 0 without ruby.
int32_t RubySize(const TWdGlyph& glyph);
// The ruby characters a glyph draws (none unless it starts its group).
std::vector<TRubyPlace> RubyPlaces(const TWdGlyph& glyph);
// Every ruby character of a page, in glyph order.
std::vector<TRubyPlace> RubyPlaces(const TWdPage& page);

}  // namespace orvo
