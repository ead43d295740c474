// Tiles and patterns: repeated unscaled and scaled draws over a rectangle, and
// texture fills. The tiling operations narrow the clip for their duration and
// restore it on every exit.
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

int64_t FloorMod(int64_t value, int64_t modulus) {
  int64_t r = value % modulus;
  return r < 0 ? r + modulus : r;
}

// Narrows a surface's clip to clip ∩ rect and restores it when done.
class TClipNarrowing {
 public:
  TClipNarrowing(TCustomDIBX& surface, const TRect& rect) : surface_(surface), saved_(surface.SaveClip()) {
    narrowed_ = IntersectRect(surface.GetClipRect(), rect);
    surface.SetClipRect(narrowed_);
  }
  ~TClipNarrowing() { surface_.RestoreClip(saved_); }
  const TRect& Narrowed() const { return narrowed_; }

 private:
  TCustomDIBX& surface_;
  TClipState saved_;
  TRect narrowed_;
};

// Overlapping tiles compound wherever the draw lets what lies below show
// (blends, keys, masks, adds); a plain copy shows only the topmost tile. With a
// gap near minus the tile's size every pixel lies under a great many tiles, so
// only the topmost kStackedTiles per axis reach it, and each tile is drawn only
// where no deeper stacking would bury it: the work stays a constant times the
// area whatever the gap.
constexpr int64_t kStackedTiles = 3;

enum class TTileStacking { TopmostOnly, Compounding };

// The tiles along one axis: the first shows the source from offset to its
// end, the others the whole source, each followed by the gap.
struct TTileRun {
  int64_t start, size, gap, offset;
  int64_t Period() const { return size + gap; }
  int64_t First() const { return size - offset; }
  int64_t Position(int64_t k) const { return k == 0 ? start : start + First() + gap + (k - 1) * Period(); }
  int64_t Width(int64_t k) const { return k == 0 ? First() : size; }
  // The first tile that starts after p.
  int64_t FirstAfter(int64_t p) const {
    if (start > p) return 0;
    int64_t rest = p - (start + First() + gap);
    return rest < 0 ? 1 : rest / Period() + 2;
  }
};

// Calls fn(position, source offset, cell low, cell high) for every tile that
// shows on [visible_lo, end): the cell is the part of the tile that fewer than
// `depth` later tiles cover.
template <class Fn>
void ForTilesOnAxis(const TTileRun& run, int64_t end, int64_t visible_lo, int64_t depth, Fn&& fn) {
  for (int64_t k = std::max<int64_t>(0, run.FirstAfter(visible_lo) - depth);; ++k) {
    int64_t pos = run.Position(k);
    if (pos >= end) break;
    int64_t cell_hi = std::min(pos + run.Width(k), run.Position(k + depth));
    if (cell_hi > visible_lo) fn(pos, k == 0 ? run.offset : int64_t{0}, std::max(pos, visible_lo), cell_hi);
  }
}

// Calls draw(x, y, tile source rectangle) for every tile of an unscaled
// tiling, with the destination's clip narrowed to the tile's cell.
template <class Draw>
void Tile(TCustomDIBX& dest, const TRect& dest_rect, int32_t gap_x, int32_t gap_y, const TRect& source_rect,
          int32_t origin_x, int32_t origin_y, TTileStacking stacking, Draw&& draw) {
  int64_t w = source_rect.Width(), h = source_rect.Height();
  // A period of zero or less would never reach the rectangle's end.
  if (w <= 0 || h <= 0 || w + gap_x <= 0 || h + gap_y <= 0) return;
  TClipNarrowing narrowing(dest, dest_rect);
  const TRect visible = narrowing.Narrowed();
  if (visible.IsEmpty()) return;
  int64_t depth = stacking == TTileStacking::TopmostOnly ? 1 : kStackedTiles;
  TTileRun across{dest_rect.left, w, gap_x, FloorMod(origin_x, w)};
  TTileRun down{dest_rect.top, h, gap_y, FloorMod(origin_y, h)};
  int64_t end_x = std::min<int64_t>(dest_rect.right, visible.right);
  int64_t end_y = std::min<int64_t>(dest_rect.bottom, visible.bottom);
  ForTilesOnAxis(down, end_y, visible.top, depth, [&](int64_t ty, int64_t sy, int64_t cell_top, int64_t cell_bottom) {
    ForTilesOnAxis(across, end_x, visible.left, depth,
                   [&](int64_t tx, int64_t sx, int64_t cell_left, int64_t cell_right) {
                     TRect cell{ClampToInt32(cell_left), ClampToInt32(cell_top), ClampToInt32(cell_right),
                                ClampToInt32(cell_bottom)};
                     dest.SetClipRect(IntersectRect(visible, cell));
                     TRect tile{static_cast<int32_t>(source_rect.left + sx), static_cast<int32_t>(source_rect.top + sy),
                                source_rect.right, source_rect.bottom};
                     draw(static_cast<int32_t>(tx), static_cast<int32_t>(ty), tile);
                   });
  });
}

struct TPatternWalk {
  int64_t start = 0;   // 16.16
  int64_t step = 0;    // 16.16
  int64_t period = 0;  // texture size << 16
  int64_t Index(int64_t i) const { return FloorMod(start + i * step, period) >> 16; }
};

// Locks and walks a texture fill; index_x(i, cut) and index_y(j, cut) give
// texture indices for the i-th visible column and j-th visible row.
template <class IndexX, class IndexY, class Body>
void WalkTexture(TCustomDIBX& dest, const TRect& rect, TCustomDIBX& texture, TCustomDIBX* mask, IndexX&& index_x,
                 IndexY&& index_y, Body&& body) {
  int bits = dest.BitCount();
  if (!IsDrawableBits(bits) || texture.BitCount() != bits || texture.IsEmpty()) return;
  if (mask != nullptr &&
      (mask->BitCount() != 8 || mask->Width() < texture.Width() || mask->Height() < texture.Height())) {
    return;
  }
  WithSourceViews(dest, texture, mask, texture.GetBounds(), [&](TView& dv, TView& tv, TView* mv, const TRect&) {
    TRect visible = IntersectRect(IntersectRect(rect, dest.GetClipRect()), dv.Bounds());
    if (visible.IsEmpty()) return;
    int64_t cut_x = static_cast<int64_t>(visible.left) - rect.left,
            cut_y = static_cast<int64_t>(visible.top) - rect.top;
    int n = static_cast<int>(visible.Width());
    std::vector<int32_t> columns(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) columns[static_cast<size_t>(i)] = static_cast<int32_t>(index_x(i, cut_x));
    std::vector<uint8_t> buffer(static_cast<size_t>(n) * 4), mask_buffer(mv ? static_cast<size_t>(n) : 0);
    DispatchFormat(bits, [&](auto format) {
      using F = decltype(format);
      for (int64_t j = 0; j < visible.Height(); ++j) {
        int64_t ty = index_y(j, cut_y);
        const uint8_t* trow = tv.Row(ty);
        for (int i = 0; i < n; ++i) {
          std::memcpy(buffer.data() + static_cast<size_t>(i) * F::kBytes,
                      trow + static_cast<size_t>(columns[static_cast<size_t>(i)]) * F::kBytes, F::kBytes);
        }
        const uint8_t* m = nullptr;
        if (mv) {
          const uint8_t* mrow = mv->Row(ty);
          for (int i = 0; i < n; ++i) mask_buffer[static_cast<size_t>(i)] = mrow[columns[static_cast<size_t>(i)]];
          m = mask_buffer.data();
        }
        uint8_t* d = dv.Row(visible.top + j) + static_cast<size_t>(visible.left) * F::kBytes;
        body(F{}, d, static_cast<const uint8_t*>(buffer.data()), m, n, tv.Key());
      }
    });
  });
}

// The walk of a scaled pattern along one axis (16.16, wrapping at the texture's size).
bool ScaledWalk(int64_t origin, int64_t size, long double scale, bool flip, TPatternWalk& walk) {
  if (!(scale > 0) || !std::isfinite(scale)) return false;
  walk.period = size << 16;
  walk.step = std::min<int64_t>(RealToIntSaturate<int64_t>(65536.0L / scale), walk.period);
  if (flip) walk.step = -walk.step;
  long double ratio = static_cast<long double>(origin) / (static_cast<long double>(size) * scale);
  long double t = (ratio - std::truncl(ratio)) * size;
  if (origin < 0) t += size;
  if (flip) t = size - t;
  if (t >= size) t -= size;
  walk.start = RealToIntSaturate<int64_t>(RoundHalfEven(t * 65536.0L));
  return true;
}

// Weights of a scaled pattern through a mask (as the stretched mask draws).
TWeightTable PatternMaskTable(bool add, uint32_t weight, int bits) {
  if (add) return TWeightTable::Add([&](uint32_t m) { return static_cast<uint16_t>(m * weight / 256); });
  bool centred = bits == 15 || bits == 16 || bits == 32;
  return TWeightTable::Blend([&](uint32_t m) -> uint16_t {
    if (m == 0) return kSkip;
    if (weight == 255 && m == 255) return kCopy;
    return static_cast<uint16_t>((weight == 255 && centred) ? m : m * weight / 256);
  });
}

void ScaledPattern(TCustomDIBX& dest, const TRect& rect, TCustomDIBX& texture, long double scale_x, long double scale_y,
                   int32_t origin_x, int32_t origin_y, TCustomDIBX* mask, TDrawFlags flags, int opacity) {
  if (opacity <= 0 || texture.IsEmpty()) return;
  bool add = opacity >= 256;
  uint32_t weight = static_cast<uint32_t>(add ? std::min(opacity - 256, 255) : std::min(opacity, 255));
  if (weight == 0) return;
  int64_t tw = texture.Width(), th = texture.Height();
  bool flip_h = HasFlag(flags, TDrawFlags::FlipH), flip_v = HasFlag(flags, TDrawFlags::FlipV);
  TRect visible = IntersectRect(rect, dest.GetClipRect());
  if (visible.IsEmpty()) return;
  // Cuts on the left and top move the origin with them.
  int64_t ox = static_cast<int64_t>(origin_x) + (static_cast<int64_t>(visible.left) - rect.left);
  int64_t oy = static_cast<int64_t>(origin_y) + (static_cast<int64_t>(visible.top) - rect.top);
  TPatternWalk wx, wy;
  if (!ScaledWalk(ox, tw, scale_x, flip_h, wx) || !ScaledWalk(oy, th, scale_y, flip_v, wy)) return;
  bool use_key = mask == nullptr && HasFlag(flags, TDrawFlags::UseKey);
  TWeightTable table = PatternMaskTable(add, weight, dest.BitCount());
  WalkTexture(
      dest, visible, texture, mask, [&](int64_t i, int64_t) { return wx.Index(i); },
      [&](int64_t j, int64_t) { return wy.Index(j); },
      [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t* m, int n, int32_t key_colour) {
        using F = decltype(format);
        if (m != nullptr) {
          if (add) {
            MaskAddRow<F>(d, s, m, 1, n, table);
          } else {
            MaskRow<F>(d, s, m, 1, n, table);
          }
          return;
        }
        uint64_t key = use_key ? KeyOf<F>(key_colour) : kNoKey;
        if (add) {
          AddRow<F>(d, s, 1, n, weight, key);
        } else if (weight == 255) {
          CopyKeyRow<F>(d, s, 1, n, key);
        } else {
          BlendRow<F>(d, s, 1, n, weight, key, false);
        }
      });
}

}  // namespace

void TCustomDIBX::TileDraw(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                           const TRect& source_rect, TDrawFlags flags, int32_t origin_x, int32_t origin_y) {
  TDrawFlags key = HasFlag(flags, TDrawFlags::UseKey) ? TDrawFlags::UseKey : TDrawFlags::None;
  TTileStacking stacking = key == TDrawFlags::None ? TTileStacking::TopmostOnly : TTileStacking::Compounding;
  Tile(*this, dest_rect, gap_x, gap_y, source_rect, origin_x, origin_y, stacking,
       [&](int32_t x, int32_t y, const TRect& tile) { Draw(x, y, source, tile, key); });
}

void TCustomDIBX::TileDrawBlend(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                                const TRect& source_rect, TDrawFlags flags, int opacity, int32_t origin_x,
                                int32_t origin_y) {
  if (opacity <= 0) return;
  TDrawFlags key = HasFlag(flags, TDrawFlags::UseKey) ? TDrawFlags::UseKey : TDrawFlags::None;
  Tile(*this, dest_rect, gap_x, gap_y, source_rect, origin_x, origin_y, TTileStacking::Compounding,
       [&](int32_t x, int32_t y, const TRect& tile) { DrawBlend(x, y, source, tile, key, opacity); });
}

void TCustomDIBX::TileDrawAdd(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                              const TRect& source_rect, TDrawFlags flags, int opacity, int32_t origin_x,
                              int32_t origin_y) {
  if (opacity <= 0) return;
  TDrawFlags key = HasFlag(flags, TDrawFlags::UseKey) ? TDrawFlags::UseKey : TDrawFlags::None;
  Tile(*this, dest_rect, gap_x, gap_y, source_rect, origin_x, origin_y, TTileStacking::Compounding,
       [&](int32_t x, int32_t y, const TRect& tile) { DrawAdd(x, y, source, tile, key, opacity); });
}

void TCustomDIBX::TileDrawMask(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                               const TRect& source_rect, TCustomDIBX& mask, int32_t origin_x, int32_t origin_y) {
  Tile(*this, dest_rect, gap_x, gap_y, source_rect, origin_x, origin_y, TTileStacking::Compounding,
       [&](int32_t x, int32_t y, const TRect& tile) { DrawMask(x, y, source, tile, TDrawFlags::None, mask); });
}

void TCustomDIBX::TileDrawMaskBlend(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                                    const TRect& source_rect, TCustomDIBX& mask, int opacity, int32_t origin_x,
                                    int32_t origin_y) {
  if (opacity <= 0) return;
  Tile(*this, dest_rect, gap_x, gap_y, source_rect, origin_x, origin_y, TTileStacking::Compounding,
       [&](int32_t x, int32_t y, const TRect& tile) {
         DrawMaskBlend(x, y, source, tile, TDrawFlags::None, mask, opacity);
       });
}

void TCustomDIBX::TileDrawMaskAdd(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                                  const TRect& source_rect, TCustomDIBX& mask, int opacity, int32_t origin_x,
                                  int32_t origin_y) {
  if (opacity <= 0) return;
  Tile(*this, dest_rect, gap_x, gap_y, source_rect, origin_x, origin_y, TTileStacking::Compounding,
       [&](int32_t x, int32_t y, const TRect& tile) {
         DrawMaskAdd(x, y, source, tile, TDrawFlags::None, mask, opacity);
       });
}

void TCustomDIBX::PatternFill(const TRect& r, TCustomDIBX& texture, int32_t origin_x, int32_t origin_y,
                              TDrawFlags flags) {
  int64_t tw = texture.Width(), th = texture.Height();
  if (tw <= 0 || th <= 0) return;
  bool flip_h = HasFlag(flags, TDrawFlags::FlipH), flip_v = HasFlag(flags, TDrawFlags::FlipV);
  WalkTexture(
      *this, r, texture, nullptr,
      [&](int64_t i, int64_t cut) {
        int64_t first = FloorMod(origin_x + cut, tw);
        return flip_h ? FloorMod(tw - 1 - first - i, tw) : FloorMod(first + i, tw);
      },
      [&](int64_t j, int64_t cut) {
        int64_t first = FloorMod(origin_y + cut, th);
        return flip_v ? FloorMod(th - 1 - first - j, th) : FloorMod(first + j, th);
      },
      [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int n, int32_t) {
        std::memcpy(d, s, static_cast<size_t>(n) * decltype(format)::kBytes);
      });
}

void TCustomDIBX::ScaledPatternFill(const TRect& r, TCustomDIBX& texture, long double scale_x, long double scale_y,
                                    int32_t origin_x, int32_t origin_y, TDrawFlags flags, int opacity) {
  ScaledPattern(*this, r, texture, scale_x, scale_y, origin_x, origin_y, nullptr, flags, opacity);
}

void TCustomDIBX::ScaledPatternFillMask(const TRect& r, TCustomDIBX& texture, long double scale_x, long double scale_y,
                                        int32_t origin_x, int32_t origin_y, TCustomDIBX& mask, TDrawFlags flags,
                                        int opacity) {
  ScaledPattern(*this, r, texture, scale_x, scale_y, origin_x, origin_y, &mask, FlipsOf(flags), opacity);
}

}  // namespace orvo
