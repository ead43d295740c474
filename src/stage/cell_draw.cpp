#include "stage/cell_draw.h"

#include <algorithm>

namespace orvo {

namespace {

// One axis of a tiling: copies of a source span of length `length` laid over
// a destination span of length `extent`, the first starting `phase` into the
// source. Offsets are relative to the start of the destination span, in the
// unflipped layout.
struct TTileAxis {
  int64_t length;
  int64_t extent;
  int64_t phase;

  // End of the copy k (copy 0 is the shortened first one).
  int64_t End(int64_t k) const { return std::min(extent, length - phase + k * length); }
  int64_t Start(int64_t k) const { return k == 0 ? 0 : length - phase + (k - 1) * length; }
  // The first copy that reaches beyond offset.
  int64_t CopyAt(int64_t offset) const {
    const int64_t first_end = length - phase;
    if (offset < first_end) return 0;
    return 1 + (offset - first_end) / length;
  }
};

int64_t PositiveMod(int64_t value, int64_t divisor) {
  const int64_t rest = value % divisor;
  return rest < 0 ? rest + divisor : rest;
}

}  // namespace

void DrawCell(const TDovaItemFrame& frame, TCustomDIBX& surface, int32_t x, int32_t y, int32_t opacity,
              TDrawFlags flips, const TRect& source_rect) {
  if (!frame.surface || opacity < 1) return;
  TDIBX& source = *frame.surface;
  const int strength = std::min(opacity, 511);
  flips = FlipsOf(flips);
  if (frame.mask) {
    TDIBX& mask = *frame.mask;
    if (strength < 255) {
      surface.DrawMaskBlend(x, y, source, source_rect, flips, mask, strength);
    } else if (strength == 255) {
      surface.DrawMask(x, y, source, source_rect, flips, mask);
    } else {
      surface.DrawMaskAdd(x, y, source, source_rect, flips, mask, strength - 256);
    }
    return;
  }
  const TDrawFlags flags = frame.key_color != -1 ? flips | TDrawFlags::UseKey : flips;
  if (strength < 255) {
    surface.DrawBlend(x, y, source, source_rect, flags, strength);
  } else if (strength == 255) {
    surface.Draw(x, y, source, source_rect, flags);
  } else {
    surface.DrawAdd(x, y, source, source_rect, flags, strength - 256);
  }
}

void TileCell(const TDovaItemFrame& frame, TCustomDIBX& surface, const TRect& dest, int32_t opacity, TDrawFlags flips,
              int32_t phase_x, int32_t phase_y, const TRect& source_rect) {
  if (!frame.surface || opacity < 1 || dest.IsEmpty() || source_rect.IsEmpty()) return;
  const TRect visible = IntersectRect(dest, surface.GetClipRect());
  if (visible.IsEmpty()) return;
  const bool flip_h = HasFlag(flips, TDrawFlags::FlipH), flip_v = HasFlag(flips, TDrawFlags::FlipV);
  const TTileAxis across{source_rect.Width(), dest.Width(), PositiveMod(phase_x, source_rect.Width())};
  const TTileAxis down{source_rect.Height(), dest.Height(), PositiveMod(phase_y, source_rect.Height())};
  // The visible part in offsets of the unflipped layout.
  const int64_t seen_x0 = flip_h ? int64_t{dest.right} - visible.right : int64_t{visible.left} - dest.left;
  const int64_t seen_x1 = flip_h ? int64_t{dest.right} - visible.left : int64_t{visible.right} - dest.left;
  const int64_t seen_y0 = flip_v ? int64_t{dest.bottom} - visible.bottom : int64_t{visible.top} - dest.top;
  const int64_t seen_y1 = flip_v ? int64_t{dest.bottom} - visible.top : int64_t{visible.bottom} - dest.top;
  const int64_t last_row = down.CopyAt(seen_y1 - 1), last_column = across.CopyAt(seen_x1 - 1);
  for (int64_t row = down.CopyAt(seen_y0); row <= last_row; ++row) {
    const int64_t top = down.Start(row), bottom = down.End(row);
    const int64_t source_top = source_rect.top + (row == 0 ? down.phase : 0);
    const int64_t y = flip_v ? int64_t{dest.bottom} - bottom : int64_t{dest.top} + top;
    for (int64_t column = across.CopyAt(seen_x0); column <= last_column; ++column) {
      const int64_t left = across.Start(column), right = across.End(column);
      const int64_t source_left = source_rect.left + (column == 0 ? across.phase : 0);
      const int64_t x = flip_h ? int64_t{dest.right} - right : int64_t{dest.left} + left;
      const TRect part{static_cast<int32_t>(source_left), static_cast<int32_t>(source_top),
                       static_cast<int32_t>(source_left + (right - left)),
                       static_cast<int32_t>(source_top + (bottom - top))};
      DrawCell(frame, surface, static_cast<int32_t>(x), static_cast<int32_t>(y), opacity, flips, part);
    }
  }
}

}  // namespace orvo
