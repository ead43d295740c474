#pragma once
// Rendering a page's characters into the document's work surfaces, and
// drawing the page from them onto the target surface.
#include <cstdint>

#include "text/kw_word.h"

namespace orvo {

// Sizes and clears the work surfaces and renders every glyph in view; reset
// first makes every glyph of the page transparent. bits: the display depth.
void Prepare(TWdPage& page, bool reset, int bits = 32);
// Renders one glyph again (a link's hover change); reset makes it transparent first.
void PrepareGlyph(TWdGlyph& glyph, bool reset);
// Clears the glyph's box in surface A.
void Erase(TWdGlyph& glyph);
// Draws the visible glyphs onto the document's target surface at its draw origin.
void Draw(TWdPage& page);
// After the scroll offset changed: the rows now in view are rendered again.
void ScrollTo(TWdPage& page, int32_t scroll_offset);
// The colour a character is drawn in (hover, link, decoration, document).
int32_t TextColorOf(const TWdGlyph& glyph);

// Links: the hover run follows the pointer; pressed is the glyph held down (may be null).
void TrackLink(TWdPage& page, int32_t x, int32_t y, TWdGlyph* pressed);
// The text of the run under the pointer.
std::string LinkRunText(const TWdPage& page);

}  // namespace orvo
