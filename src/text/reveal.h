#pragma once
// The page's reveal, once per frame: glyphs appear at the speed their waits
// ask for, fade in, and the text's events fire once everything before them
// is opaque. Plus the page-level questions the message window asks.
#include <cstdint>
#include <string>

#include "text/kw_word.h"

namespace orvo {

struct TRevealStep {
  bool just_finished = false;  // true on the one frame the page became finished
  std::string new_text;        // the shown text of the glyphs revealed this frame
};

// One frame of revealing, fading and event firing; frame_delta in ms.
TRevealStep StepReveal(TWdPage& page, int32_t frame_delta);
// Every glyph is reached and opaque.
bool IsFinished(const TWdPage& page);
// Whether the reveal still has something to do that the viewer can see.
bool IsRevealing(const TWdPage& page);
void ResetReveal(TWdPage& page);
// After a pause or a scroll: the time that passed is not counted.
void ResumeReveal(TWdPage& page);

// The glyph under a screen point: fully revealed children first, then pictures and blocks.
TWdGlyph* HitTest(const TWdPage& page, int32_t x, int32_t y);
// The first glyph of the first row and the last glyph of the last row; null without rows.
TWdGlyph* FirstGlyphOf(const TWdPage& page);
TWdGlyph* LastGlyphOf(const TWdPage& page);
// Freezes the values the page's variables show into its frozen-values text.
void CollectPageValues(TWdPage& page);
// Sets the opacity of every glyph of the page.
void SetOpacityAll(TWdPage& page, int32_t opacity);

}  // namespace orvo
