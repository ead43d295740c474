#include "stage/cell_draw.h"

#include <algorithm>
#include <cstring>

#include "surface/dibx.h"

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

namespace {

// The copies of the cell that meet `visible` (a part of dest inside the clip).
void TileCellPieces(const TDovaItemFrame& frame, TCustomDIBX& surface, const TRect& dest, int32_t opacity,
                    TDrawFlags flips, int32_t phase_x, int32_t phase_y, const TRect& source_rect,
                    const TRect& visible) {
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

// A plain copy into a memory surface: the tiling repeats every cell width
// across and every cell height down, so once one period is drawn the rest
// of each row is copied from its own start in spans that double, and each
// later row from the row one period above (a few copies per row instead of
// one small draw per cell). False when it does not apply.
bool TileByDoubling(const TDovaItemFrame& frame, TCustomDIBX& surface, const TRect& dest, TDrawFlags flips,
                    int32_t phase_x, int32_t phase_y, const TRect& source_rect, const TRect& visible) {
  const int64_t cell_w = source_rect.Width(), cell_h = source_rect.Height();
  const int64_t width = visible.Width(), height = visible.Height();
  if (frame.mask || frame.key_color != -1) return false;
  if (dynamic_cast<TDIBX*>(&surface) == nullptr || surface.BitCount() != frame.surface->BitCount()) return false;
  const int bits = surface.BitCount();
  const size_t pixel_bytes = bits == 15 || bits == 16 ? 2 : static_cast<size_t>(bits / 8);
  // Only worth it when several cells are drawn.
  if (pixel_bytes == 0 || (width <= 2 * cell_w && height <= 2 * cell_h)) return false;
  const TRect first{visible.left, visible.top, static_cast<int32_t>(visible.left + std::min(width, cell_w)),
                    static_cast<int32_t>(visible.top + std::min(height, cell_h))};
  TileCellPieces(frame, surface, dest, 255, flips, phase_x, phase_y, source_rect, first);
  uint8_t* origin = surface.Lock(visible.left, visible.top);
  if (!origin) return true;
  const int64_t pitch = surface.Pitch();
  const size_t row_bytes = static_cast<size_t>(width) * pixel_bytes;
  const int64_t first_rows = first.bottom - first.top;
  for (int64_t row = 0; row < height; ++row) {
    uint8_t* line = origin + row * pitch;
    if (row >= first_rows) {
      std::memcpy(line, line - first_rows * pitch, row_bytes);
      continue;
    }
    for (size_t done = static_cast<size_t>(first.right - first.left) * pixel_bytes; done < row_bytes;) {
      const size_t span = std::min(done, row_bytes - done);
      std::memcpy(line + done, line, span);
      done += span;
    }
  }
  surface.Unlock();
  return true;
}

}  // namespace

void TileCell(const TDovaItemFrame& frame, TCustomDIBX& surface, const TRect& dest, int32_t opacity, TDrawFlags flips,
              int32_t phase_x, int32_t phase_y, const TRect& source_rect) {
  if (!frame.surface || opacity < 1 || dest.IsEmpty() || source_rect.IsEmpty()) return;
  const TRect visible = IntersectRect(dest, surface.GetClipRect());
  if (visible.IsEmpty()) return;
  if (opacity == 255 && TileByDoubling(frame, surface, dest, flips, phase_x, phase_y, source_rect, visible)) return;
  TileCellPieces(frame, surface, dest, opacity, flips, phase_x, phase_y, source_rect, visible);
}

}  // namespace orvo
