#pragma once
// Drawing of picture cells: a cell is a rectangle of one cache frame (bars,
// thumbs and buttons are pictures cut into equal cells side by side). One
// cell is drawn once (DrawCell) or repeated over a rectangle (TileCell), with
// the frame's mask or key colour and the stage's opacity convention.
#include <cstdint>

#include "stage/picture_cache.h"
#include "surface/custom_dibx.h"

namespace orvo {

// Draws source_rect of the frame at (x, y). Opacity 0 (or less) draws
// nothing, 1-254 blends, 255 copies, 256-511 adds with opacity - 256 (larger
// values add at full strength). A frame with a mask draws through it;
// otherwise its key colour, when it has one, is left out. Only the FlipH and
// FlipV bits of flips count.
void DrawCell(const TDovaItemFrame& frame, TCustomDIBX& surface, int32_t x, int32_t y, int32_t opacity,
              TDrawFlags flips, const TRect& source_rect);

// Covers dest with copies of source_rect, each drawn with DrawCell and
// clipped to dest. The first row starts (phase_y mod source height) pixels
// into the source and the first column (phase_x mod source width); with FlipV
// the rows are laid from the bottom of dest upwards and each copy is drawn
// flipped, with FlipH the columns from the right. An empty source draws
// nothing; only the copies that meet the surface's clip are drawn, so a huge
// dest costs no more than the visible part.
void TileCell(const TDovaItemFrame& frame, TCustomDIBX& surface, const TRect& dest, int32_t opacity, TDrawFlags flips,
              int32_t phase_x, int32_t phase_y, const TRect& source_rect);

}  // namespace orvo
