// Scaled drawing: StretchDraw and its mask, additive and palette forms. One
// source column per destination column is computed once per call (the column
// table, as wide as the clipped destination), and each row is gathered into a
// contiguous buffer that the row kernels then treat like an unscaled row.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "base/numeric.h"
#include "surface/custom_dibx.h"
#include "surface/view.h"

namespace orvo {

using namespace pixel;

namespace {

// The 15-, 16- and 32-bit paths sample at pixel centres (half a step in);
// 8 and 24 bits start at the edges.
bool CentredSampling(int bits) { return bits == 15 || bits == 16 || bits == 32; }

// One axis of a stretch: the first 16.16 source position of the clipped
// destination and the step, in 64 bits so that no product wraps.
struct TStretchAxis {
  int64_t start = 0;
  int64_t step = 0;
  int64_t Index(int64_t i) const { return (start + i * step) >> 16; }
};

TStretchAxis PlanStretchAxis(int64_t dest_lo, int64_t dest_hi, int64_t clip_lo, int64_t src_lo, int64_t src_hi,
                             bool flip, bool centred) {
  long double ratio = static_cast<long double>(src_hi - src_lo) / static_cast<long double>(dest_hi - dest_lo);
  long double cut = static_cast<long double>(clip_lo - dest_lo) * ratio;
  long double whole = std::truncl(cut);
  int64_t fraction = static_cast<int64_t>(std::truncl((cut - whole) * 65536.0L));
  int64_t skipped = static_cast<int64_t>(whole);
  TStretchAxis axis;
  axis.step = static_cast<int64_t>(std::truncl(ratio * 65536.0L));
  if (flip) axis.step = -axis.step;
  if (!flip) {
    axis.start = (src_lo + skipped) * 65536 + fraction;
  } else if (centred) {
    axis.start = (src_hi - skipped) * 65536 - fraction - 1;
  } else {
    axis.start = (src_hi - skipped - 1) * 65536 - fraction;
  }
  if (centred) axis.start += axis.step / 2;
  return axis;
}

// Locks and plans a stretch, then calls body(F, dest row, gathered source
// row, gathered mask row or null, count) for every drawn row. source_bits is
// the source's required bit count (0: the destination's).
template <class Body>
void RunStretch(TCustomDIBX& dest, const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                TDrawFlags flags, TCustomDIBX* mask, int source_bits, Body&& body) {
  int bits = dest.BitCount();
  if (!IsDrawableBits(bits) || dest_rect.IsEmpty() || source_rect.IsEmpty()) return;
  if (source.BitCount() != (source_bits == 0 ? bits : source_bits)) return;
  if (mask != nullptr && mask->BitCount() != 8) return;
  WithSourceViews(dest, source, mask, source_rect, [&](TView& dv, TView& sv, TView* mv, const TRect& readable) {
    TRect clip = IntersectRect(IntersectRect(dest.GetClipRect(), dv.Bounds()), dest_rect);
    if (clip.IsEmpty()) return;

    bool centred = CentredSampling(bits);
    TStretchAxis ax = PlanStretchAxis(dest_rect.left, dest_rect.right, clip.left, source_rect.left, source_rect.right,
                                      HasFlag(flags, TDrawFlags::FlipH), centred);
    TStretchAxis ay = PlanStretchAxis(dest_rect.top, dest_rect.bottom, clip.top, source_rect.top, source_rect.bottom,
                                      HasFlag(flags, TDrawFlags::FlipV), centred);
    // The columns move monotonically, so the readable ones form one run.
    int64_t count = clip.Width();
    int64_t first = 0, last = count;
    while (first < last && (ax.Index(first) < readable.left || ax.Index(first) >= readable.right)) ++first;
    while (last > first && (ax.Index(last - 1) < readable.left || ax.Index(last - 1) >= readable.right)) --last;
    if (first >= last) return;
    std::vector<int32_t> columns(static_cast<size_t>(last - first));
    for (int64_t i = first; i < last; ++i) columns[static_cast<size_t>(i - first)] = static_cast<int32_t>(ax.Index(i));
    int n = static_cast<int>(columns.size());
    int source_bytes = source_bits == 0 ? (bits + 7) / 8 : source_bits / 8;
    std::vector<uint8_t> row_buffer(static_cast<size_t>(n) * 4 + 4), mask_buffer(mv ? static_cast<size_t>(n) : 0);

    DispatchFormat(bits, [&](auto format) {
      using F = decltype(format);
      for (int64_t j = 0; j < clip.Height(); ++j) {
        int64_t sy = ay.Index(j);
        if (sy < readable.top || sy >= readable.bottom) continue;
        const uint8_t* srow = sv.Row(sy);
        uint8_t* buffer = row_buffer.data();
        switch (source_bytes) {
          case 1:
            for (int i = 0; i < n; ++i) buffer[i] = srow[columns[i]];
            break;
          case 2:
            for (int i = 0; i < n; ++i) std::memcpy(buffer + 2 * i, srow + 2 * static_cast<size_t>(columns[i]), 2);
            break;
          case 3:
            for (int i = 0; i < n; ++i) std::memcpy(buffer + 3 * i, srow + 3 * static_cast<size_t>(columns[i]), 3);
            break;
          default:
            for (int i = 0; i < n; ++i) std::memcpy(buffer + 4 * i, srow + 4 * static_cast<size_t>(columns[i]), 4);
            break;
        }
        const uint8_t* m = nullptr;
        if (mv) {
          const uint8_t* mrow = mv->Row(sy);
          for (int i = 0; i < n; ++i) mask_buffer[static_cast<size_t>(i)] = mrow[columns[i]];
          m = mask_buffer.data();
        }
        uint8_t* d = dv.Row(clip.top + j) + static_cast<size_t>(clip.left + first) * F::kBytes;
        body(F{}, d, static_cast<const uint8_t*>(buffer), m, n);
      }
    });
  });
}

// The mask weights of the stretched and pattern draws: floor(m * a / 256); on
// the centred paths at a = 255 the mask value itself; a full mask at full
// opacity copies.
TWeightTable StretchMaskTable(int opacity, int bits) {
  uint32_t a = static_cast<uint32_t>(std::clamp(opacity, 0, 255));
  bool centred = CentredSampling(bits);
  return TWeightTable::Blend([&](uint32_t m) -> uint16_t {
    if (m == 0) return kSkip;
    if (a == 255 && m == 255) return kCopy;
    return static_cast<uint16_t>((a == 255 && centred) ? m : m * a / 256);
  });
}

TWeightTable AddMaskTable(int opacity) {
  uint32_t a = static_cast<uint32_t>(std::clamp(opacity, 0, 255));
  return TWeightTable::Add([&](uint32_t m) { return static_cast<uint16_t>(m * a / 256); });
}

// --- tiled stretches ---

// Tiles that overlap compound wherever a draw lets what lies below show
// (blends, keys, masks, adds); a plain copy shows only the topmost tile. With
// a pitch far below the tile's size every pixel lies under a great many
// tiles, so only the topmost kStackedTiles per axis are drawn: the tile
// object, whose pitch is at least half its picture, never stacks more, and the
// work stays a constant times the area whatever the pitch and the zoom.
constexpr int kStackedTiles = 3;

// First tile position of a tiled stretch in 16.16, from the origin and the pitch in pixels.
bool FirstStretchTile(int64_t edge, int32_t origin, long double pitch, int64_t& first16, int64_t& step16) {
  if (!std::isfinite(pitch)) return false;
  long double first = edge;
  if (pitch > 0) {
    long double ratio = origin / pitch;
    long double frac = ratio - std::truncl(ratio);
    first = origin < 0 ? edge - (pitch + frac * pitch) : edge - frac * pitch;
  }
  first16 = RealToIntSaturate<int64_t>(RoundHalfEven(first * 65536.0L));
  step16 = std::max<int64_t>(RealToIntSaturate<int64_t>(RoundHalfEven(pitch * 65536.0L)), 65536);
  return true;
}

// One axis of a tiled stretch: tile k (k >= 0) starts at (first16 + k * step16) >> 16.
struct TTileAxis {
  int64_t first16 = 0, step16 = 65536, size = 1;
  int64_t Start(int64_t k) const { return static_cast<int64_t>((static_cast<__int128>(k) * step16 + first16) >> 16); }
  // The last tile that starts at or before p, or -1.
  int64_t LastAt(int64_t p) const {
    __int128 room = static_cast<__int128>(p + 1) * 65536 - first16;
    return room <= 0 ? -1 : static_cast<int64_t>((room - 1) / step16);
  }
};

// For each visible coordinate and each stacking depth (0: the topmost tile),
// the source index that the tile at that depth shows there, or -1. Each tile
// samples as a stretch of its own rectangle clipped to the visible area.
std::vector<std::vector<int32_t>> TileSourceMap(const TTileAxis& axis, int64_t visible_lo, int64_t visible_hi,
                                                int64_t src_lo, int64_t src_hi, int64_t readable_lo,
                                                int64_t readable_hi, bool flip, bool centred, int depths) {
  std::vector<std::vector<int32_t>> map(static_cast<size_t>(depths),
                                        std::vector<int32_t>(static_cast<size_t>(visible_hi - visible_lo), -1));
  for (int depth = 0; depth < depths; ++depth) {
    std::vector<int32_t>& out = map[static_cast<size_t>(depth)];
    int64_t planned = -1, clip_lo = 0;
    TStretchAxis plan;
    for (int64_t p = visible_lo; p < visible_hi; ++p) {
      int64_t k = axis.LastAt(p) - depth;
      if (k < 0) continue;
      int64_t start = axis.Start(k);
      if (start + axis.size <= p) continue;
      if (k != planned) {
        planned = k;
        clip_lo = std::max(start, visible_lo);
        plan = PlanStretchAxis(start, start + axis.size, clip_lo, src_lo, src_hi, flip, centred);
      }
      int64_t index = plan.Index(p - clip_lo);
      if (index >= readable_lo && index < readable_hi)
        out[static_cast<size_t>(p - visible_lo)] = static_cast<int32_t>(index);
    }
  }
  return map;
}

// Draws a tiled stretch as one pass per stacking depth over the visible area:
// body(F, dest, gathered source, gathered mask or null, count) per run of
// pixels that a tile covers. Depths go from the deepest up, x inside y, which
// is the order in which the tiles themselves would be drawn over each pixel.
template <class Body>
void RunTileStretch(TCustomDIBX& dest, const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                    long double scale_y, TCustomDIBX& source, const TRect& source_rect, int32_t origin_x,
                    int32_t origin_y, TDrawFlags flags, TCustomDIBX* mask, bool stacks, Body&& body) {
  int bits = dest.BitCount();
  if (!IsDrawableBits(bits) || source_rect.IsEmpty() || source.BitCount() != bits) return;
  if (mask != nullptr && mask->BitCount() != 8) return;
  if (!(scale_x > 0) || !(scale_y > 0) || !std::isfinite(scale_x) || !std::isfinite(scale_y)) return;
  TTileAxis ax, ay;
  ax.size = std::max<int64_t>(1, RealToIntSaturate<int32_t>(scale_x * source_rect.Width()));
  ay.size = std::max<int64_t>(1, RealToIntSaturate<int32_t>(scale_y * source_rect.Height()));
  if (!FirstStretchTile(dest_rect.left, origin_x, scale_x * pitch_x, ax.first16, ax.step16) ||
      !FirstStretchTile(dest_rect.top, origin_y, scale_y * pitch_y, ay.first16, ay.step16)) {
    return;
  }
  WithSourceViews(dest, source, mask, source_rect, [&](TView& dv, TView& sv, TView* mv, const TRect& readable) {
    TRect visible = IntersectRect(IntersectRect(dest.GetClipRect(), dv.Bounds()), dest_rect);
    if (visible.IsEmpty()) return;

    bool centred = CentredSampling(bits);
    int depths = stacks ? kStackedTiles : 1;
    auto columns = TileSourceMap(ax, visible.left, visible.right, source_rect.left, source_rect.right, readable.left,
                                 readable.right, HasFlag(flags, TDrawFlags::FlipH), centred, depths);
    auto rows = TileSourceMap(ay, visible.top, visible.bottom, source_rect.top, source_rect.bottom, readable.top,
                              readable.bottom, HasFlag(flags, TDrawFlags::FlipV), centred, depths);
    int64_t width = visible.Width();
    std::vector<uint8_t> row_buffer(static_cast<size_t>(width) * 4 + 4),
        mask_buffer(mv ? static_cast<size_t>(width) : 0);

    DispatchFormat(bits, [&](auto format) {
      using F = decltype(format);
      for (int depth_y = depths - 1; depth_y >= 0; --depth_y) {
        for (int depth_x = depths - 1; depth_x >= 0; --depth_x) {
          const std::vector<int32_t>& cols = columns[static_cast<size_t>(depth_x)];
          const std::vector<int32_t>& sys = rows[static_cast<size_t>(depth_y)];
          for (int64_t j = 0; j < visible.Height(); ++j) {
            int32_t sy = sys[static_cast<size_t>(j)];
            if (sy < 0) continue;
            const uint8_t* srow = sv.Row(sy);
            const uint8_t* mrow = mv ? mv->Row(sy) : nullptr;
            uint8_t* drow = dv.Row(visible.top + j) + static_cast<size_t>(visible.left) * F::kBytes;
            for (int64_t i = 0; i < width;) {
              if (cols[static_cast<size_t>(i)] < 0) {
                ++i;
                continue;
              }
              int64_t run_start = i;
              uint8_t* buffer = row_buffer.data();
              for (; i < width && cols[static_cast<size_t>(i)] >= 0; ++i, buffer += F::kBytes) {
                std::memcpy(buffer, srow + static_cast<size_t>(cols[static_cast<size_t>(i)]) * F::kBytes, F::kBytes);
                if (mrow) mask_buffer[static_cast<size_t>(i)] = mrow[cols[static_cast<size_t>(i)]];
              }
              body(F{}, drow + static_cast<size_t>(run_start) * F::kBytes,
                   static_cast<const uint8_t*>(row_buffer.data()),
                   mrow ? static_cast<const uint8_t*>(mask_buffer.data() + run_start) : nullptr,
                   static_cast<int>(i - run_start));
            }
          }
        }
      }
    });
  });
}

}  // namespace

void TCustomDIBX::StretchDraw(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                              int opacity) {
  if (opacity <= 0) return;
  uint32_t a = static_cast<uint32_t>(std::min(opacity, 255));
  bool use_key = HasFlag(flags, TDrawFlags::UseKey);
  RunStretch(*this, dest_rect, source, source_rect, flags, nullptr, 0,
             [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int n) {
               using F = decltype(format);
               uint64_t key = use_key ? KeyOf<F>(source.KeyColor()) : kNoKey;
               if (a == 255) {
                 CopyKeyRow<F>(d, s, 1, n, key);
               } else {
                 BlendRow<F>(d, s, 1, n, a, key, false);
               }
             });
}

void TCustomDIBX::StretchDrawMask(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                                  TDrawFlags flags, TCustomDIBX& mask, int opacity) {
  if (opacity <= 0) return;
  TWeightTable table = StretchMaskTable(opacity, BitCount());
  RunStretch(*this, dest_rect, source, source_rect, flags, &mask, 0,
             [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t* m, int n) {
               MaskRow<decltype(format)>(d, s, m, 1, n, table);
             });
}

void TCustomDIBX::StretchDrawAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                                 TDrawFlags flags, int opacity) {
  if (opacity <= 0) return;
  uint32_t a = static_cast<uint32_t>(std::min(opacity, 255));
  bool use_key = HasFlag(flags, TDrawFlags::UseKey);
  RunStretch(*this, dest_rect, source, source_rect, flags, nullptr, 0,
             [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int n) {
               using F = decltype(format);
               AddRow<F>(d, s, 1, n, a, use_key ? KeyOf<F>(source.KeyColor()) : kNoKey);
             });
}

void TCustomDIBX::StretchDrawMaskAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                                     TDrawFlags flags, TCustomDIBX& mask, int opacity) {
  if (opacity <= 0) return;
  TWeightTable table = AddMaskTable(opacity);
  RunStretch(*this, dest_rect, source, source_rect, flags, &mask, 0,
             [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t* m, int n) {
               MaskAddRow<decltype(format)>(d, s, m, 1, n, table);
             });
}

void TCustomDIBX::StretchDrawPaletteAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                                        int threshold, TDrawFlags flags, int opacity, const TBytePalette& table) {
  int bits = BitCount();
  if (opacity <= 0 || !CentredSampling(bits)) return;
  uint32_t a = static_cast<uint32_t>(std::min(opacity, 255));
  RunStretch(*this, dest_rect, source, source_rect, flags, nullptr, 8,
             [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int n) {
               using F = decltype(format);
               for (int i = 0; i < n; ++i, d += F::kBytes) {
                 if (s[i] < threshold) continue;
                 F::Store(d, AddWeighted<F>(table[s[i]] & F::kValueMask, F::Load(d), a));
               }
             });
}

}  // namespace orvo

namespace orvo {

void TCustomDIBX::TileStretchDraw(const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                                  long double scale_y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                                  int opacity, int32_t origin_x, int32_t origin_y) {
  if (opacity <= 0) return;
  bool add = opacity > 255;
  uint32_t a = static_cast<uint32_t>(add ? std::min(opacity - 256, 255) : opacity);
  if (a == 0) return;
  bool use_key = HasFlag(flags, TDrawFlags::UseKey);
  int32_t key_colour = source.KeyColor();
  RunTileStretch(*this, dest_rect, pitch_x, pitch_y, scale_x, scale_y, source, source_rect, origin_x, origin_y, flags,
                 nullptr, add || use_key || a < 255,
                 [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int n) {
                   using F = decltype(format);
                   uint64_t key = use_key ? KeyOf<F>(key_colour) : kNoKey;
                   if (add) {
                     AddRow<F>(d, s, 1, n, a, key);
                   } else if (a == 255) {
                     CopyKeyRow<F>(d, s, 1, n, key);
                   } else {
                     BlendRow<F>(d, s, 1, n, a, key, false);
                   }
                 });
}

void TCustomDIBX::TileStretchDrawMask(const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                                      long double scale_y, TCustomDIBX& source, const TRect& source_rect,
                                      TCustomDIBX& mask, TDrawFlags flags, int opacity, int32_t origin_x,
                                      int32_t origin_y) {
  if (opacity <= 0) return;
  opacity = std::min(opacity, 511);
  bool add = opacity > 255;
  if (add && opacity == 256) return;
  // One weight table for every tile.
  TWeightTable table = add ? AddMaskTable(opacity - 256) : StretchMaskTable(opacity, BitCount());
  RunTileStretch(*this, dest_rect, pitch_x, pitch_y, scale_x, scale_y, source, source_rect, origin_x, origin_y,
                 FlipsOf(flags), &mask, true, [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t* m, int n) {
                   using F = decltype(format);
                   if (add) {
                     MaskAddRow<F>(d, s, m, 1, n, table);
                   } else {
                     MaskRow<F>(d, s, m, 1, n, table);
                   }
                 });
}

}  // namespace orvo
