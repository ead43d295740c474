#include "text/ruby.h"

#include <cmath>

#include "base/cp932.h"
#include "base/rect.h"
#include "text/kw_word.h"

namespace orvo {

namespace {

bool IsCharacter(const TWdGlyph* glyph) {
  return glyph && (glyph->Kind() == TGlyphKind::Char || glyph->Kind() == TGlyphKind::VarChar);
}

bool IsLineBreak(const TWdGlyph* glyph) {
  return glyph && (glyph->Kind() == TGlyphKind::Return || glyph->Kind() == TGlyphKind::VarReturn);
}

int32_t PageX(const TWdGlyph& glyph) {
  int64_t x = glyph.x;
  for (const TWdGlyph* up = glyph.parent; up && up->Kind() != TGlyphKind::Page; up = up->parent) x += up->x;
  return ClampToInt32(x);
}

}  // namespace

int32_t RubySize(const TWdGlyph& glyph) {
  if (!IsCharacter(&glyph) || glyph.Ruby().empty()) return 0;
  int32_t size = glyph.FontSize() != 0 ? glyph.FontSize() : glyph.Owner().default_font_size;
  return std::max(1, size / 2);
}

std::vector<TRubyPlace> RubyPlaces(const TWdGlyph& glyph) {
  std::vector<TRubyPlace> places;
  int32_t r = RubySize(glyph);
  if (r == 0) return places;
  const TKwWord& document = glyph.Owner();
  std::string ruby = glyph.Ruby();
  int32_t index = document.IndexOfGlyph(&glyph);
  const TWdGlyph* previous = document.GlyphAt(index - 1);
  bool expanded_first = glyph.Kind() == TGlyphKind::VarChar && previous &&
                        (previous->Kind() == TGlyphKind::Var || previous->Kind() == TGlyphKind::HistVar);
  if (previous && !IsLineBreak(previous) && previous->Ruby() == ruby && !expanded_first) return places;
  int64_t total = glyph.width;
  for (int32_t i = index + 1; i < document.GlyphCount(); ++i) {
    const TWdGlyph* next = document.GlyphAt(i);
    if (next->Ruby() != ruby) break;
    total += next->width;
  }
  std::vector<std::string> characters;
  for (size_t i = 0; i < ruby.size();) {
    size_t length = CharLength(ruby, i);
    characters.push_back(ruby.substr(i, length));
    i += length;
  }
  double step = static_cast<double>(total) / static_cast<double>(characters.size()) / 2.0;
  int32_t page_x = PageX(glyph);
  int32_t page_y = glyph.PageY();
  for (size_t k = 1; k <= characters.size(); ++k) {
    double centre = std::nearbyint(static_cast<double>(2 * k - 1) * step);
    int64_t x = static_cast<int64_t>(std::clamp(centre, -4e18, 4e18)) + page_x -
                (characters[k - 1].size() == 2 ? r / 2 : r / 4);
    places.push_back({&glyph, static_cast<int32_t>(k), characters[k - 1], ClampToInt32(x), page_y, r});
  }
  return places;
}

std::vector<TRubyPlace> RubyPlaces(const TWdPage& page) {
  std::vector<TRubyPlace> places;
  for (int32_t r = 0; r < page.ChildCount(); ++r) {
    const TWdGlyph* row = page.Child(r);
    for (int32_t c = 0; c < row->ChildCount(); ++c) {
      std::vector<TRubyPlace> some = RubyPlaces(*row->Child(c));
      places.insert(places.end(), some.begin(), some.end());
    }
  }
  return places;
}

}  // namespace orvo
