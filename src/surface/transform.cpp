// Rotated and scaled drawing. The integer operations step 16.16 source
// positions across the destination's bounding box; the smoothed one samples
// in reals. Steps and positions are 64-bit (products of 32-bit steps wrap).
#include <algorithm>
#include <cmath>
#include <optional>

#include "base/numeric.h"
#include "surface/custom_dibx.h"
#include "surface/view.h"

namespace orvo {

using namespace pixel;

namespace {

// A step of more than 2^24 source pixels per destination pixel reaches at
// most one pixel of any source; clamping it there keeps every product in 64 bits.
constexpr int64_t kMaxStep = int64_t{1} << 40;
constexpr int64_t kMaxPosition = int64_t{1} << 62;

int64_t Step(long double value) { return std::clamp(RealToIntSaturate<int64_t>(value), -kMaxStep, kMaxStep); }

struct TTransformGeometry {
  TRect box;  // destination pixels to visit (clipped)
  long double cos_angle = 1, sin_angle = 0;
};

// The destination box of the turned and scaled source rectangle, clipped.
// The corners are taken from the source rectangle's own edges, so that a
// rectangle that does not start at (0, 0) is boxed where it lands.
bool TransformBox(int32_t x, int32_t y, long double scale_x, long double scale_y, const TRect& source_rect,
                  int32_t pivot_x, int32_t pivot_y, long double angle, const TRect& clip, int extra,
                  TTransformGeometry& geometry) {
  if (!(scale_x > 0) || !(scale_y > 0) || !std::isfinite(scale_x) || !std::isfinite(scale_y) || !std::isfinite(angle) ||
      source_rect.IsEmpty()) {
    return false;
  }
  long double c = std::cos(angle), s = std::sin(angle);
  long double xs[2] = {scale_x * (static_cast<long double>(source_rect.left) - pivot_x),
                       scale_x * (static_cast<long double>(source_rect.right) - pivot_x) - 1};
  long double ys[2] = {scale_y * (static_cast<long double>(source_rect.top) - pivot_y),
                       scale_y * (static_cast<long double>(source_rect.bottom) - pivot_y) - 1};
  long double min_x = INFINITY, max_x = -INFINITY, min_y = INFINITY, max_y = -INFINITY;
  for (long double cx : xs) {
    for (long double cy : ys) {
      long double tx = cx * c - cy * s + x, ty = cx * s + cy * c + y;
      min_x = std::min(min_x, tx);
      max_x = std::max(max_x, tx);
      min_y = std::min(min_y, ty);
      max_y = std::max(max_y, ty);
    }
  }
  TRect box{RealToIntSaturate<int32_t>(min_x), RealToIntSaturate<int32_t>(min_y),
            RealToIntSaturate<int32_t>(max_x + extra), RealToIntSaturate<int32_t>(max_y + extra)};
  geometry.box = IntersectRect(box, clip);
  geometry.cos_angle = c;
  geometry.sin_angle = s;
  return !geometry.box.IsEmpty();
}

enum class TTransformMode { Copy, Blend, Add };

// The per-pixel walk of DrawTransformed and DrawTransformedMask.
template <class F, bool kHasMask>
void TransformRows(const TView& dv, const TView& sv, const TView* mv, const TTransformGeometry& g, int32_t x, int32_t y,
                   long double scale_x, long double scale_y, const TRect& source_rect, const TRect& readable,
                   int32_t pivot_x, int32_t pivot_y, TDrawFlags flags, uint64_t key, int opacity) {
  const int64_t du_dx = Step(65536.0L * g.cos_angle / scale_x), dv_dx = Step(-65536.0L * g.sin_angle / scale_y);
  const int64_t du_dy = Step(65536.0L * g.sin_angle / scale_x), dv_dy = Step(65536.0L * g.cos_angle / scale_y);
  const bool flip_h = HasFlag(flags, TDrawFlags::FlipH), flip_v = HasFlag(flags, TDrawFlags::FlipV);
  const TTransformMode mode = opacity == 255  ? TTransformMode::Copy
                              : opacity > 255 ? TTransformMode::Add
                                              : TTransformMode::Blend;
  const uint32_t weight = static_cast<uint32_t>(opacity > 255 ? opacity - 256 : opacity);
  for (int32_t row = g.box.top; row < g.box.bottom; ++row) {
    __int128 dx0 = static_cast<__int128>(g.box.left) - x, dy0 = static_cast<__int128>(row) - y;
    __int128 u0 = static_cast<__int128>(pivot_x) * 65536 + dx0 * du_dx + dy0 * du_dy;
    __int128 v0 = static_cast<__int128>(pivot_y) * 65536 + dx0 * dv_dx + dy0 * dv_dy;
    int64_t u = static_cast<int64_t>(std::clamp<__int128>(u0, -kMaxPosition, kMaxPosition));
    int64_t v = static_cast<int64_t>(std::clamp<__int128>(v0, -kMaxPosition, kMaxPosition));
    uint8_t* d = dv.Row(row) + static_cast<size_t>(g.box.left) * F::kBytes;
    for (int32_t col = g.box.left; col < g.box.right; ++col, d += F::kBytes, u += du_dx, v += dv_dx) {
      // Arithmetic shifts floor negative positions; every index is checked
      // against the readable rectangle after mirroring.
      int64_t i = u >> 16, j = v >> 16;
      // Mirrored within the source rectangle (about its own centre, also when
      // it does not start at 0).
      if (flip_h) i = static_cast<int64_t>(source_rect.left) + source_rect.right - 1 - i;
      if (flip_v) j = static_cast<int64_t>(source_rect.top) + source_rect.bottom - 1 - j;
      if (i < readable.left || i >= readable.right || j < readable.top || j >= readable.bottom) continue;
      uint32_t s = F::Load(sv.Row(j) + static_cast<size_t>(i) * F::kBytes);
      if (IsKey<F>(s, key)) continue;
      if constexpr (kHasMask) {
        uint32_t m = mv->Row(j)[i];
        if (m == 0) continue;
        if (mode == TTransformMode::Add) {
          F::Store(d, AddWeighted<F>(s, F::Load(d), m * weight / 256));
        } else if (mode == TTransformMode::Copy) {
          F::Store(d, m == 255 ? s : Blend<F>(s, F::Load(d), m));
        } else {
          F::Store(d, Blend<F>(s, F::Load(d), m * weight / 256));
        }
      } else {
        if (mode == TTransformMode::Copy) {
          F::Store(d, s);
        } else if (mode == TTransformMode::Add) {
          F::Store(d, AddWeighted<F>(s, F::Load(d), weight));
        } else {
          uint32_t dvalue = F::Load(d);
          if (dvalue != s) F::Store(d, Blend<F>(s, dvalue, weight));
        }
      }
    }
  }
}

// Locks the three surfaces (snapshots of sources that share the
// destination's memory) and calls body(dest view, source view, mask view or null, readable).
template <class Body>
void WithTransformViews(TCustomDIBX& dest, TCustomDIBX& source, TCustomDIBX* mask, const TRect& source_rect,
                        Body&& body) {
  if (!IsDrawableBits(dest.BitCount()) || source.BitCount() != dest.BitCount()) return;
  if (mask != nullptr && mask->BitCount() != 8) return;
  WithSourceViews(dest, source, mask, source_rect, body);
}

void DrawTransformedImpl(TCustomDIBX& dest, int32_t x, int32_t y, long double scale_x, long double scale_y,
                         TCustomDIBX& source, const TRect& source_rect, int32_t pivot_x, int32_t pivot_y,
                         long double angle, TDrawFlags flags, TCustomDIBX* mask, int opacity) {
  if (opacity <= 0) return;
  opacity = std::min(opacity, 511);
  TTransformGeometry g;
  if (!TransformBox(x, y, scale_x, scale_y, source_rect, pivot_x, pivot_y, angle, dest.GetClipRect(), 1, g)) return;
  WithTransformViews(
      dest, source, mask, source_rect, [&](const TView& dv, const TView& sv, const TView* mv, const TRect& readable) {
        g.box = IntersectRect(g.box, dv.Bounds());
        DispatchFormat(dv.Bits(), [&](auto format) {
          using F = decltype(format);
          uint64_t key = (mask == nullptr && HasFlag(flags, TDrawFlags::UseKey)) ? KeyOf<F>(source.KeyColor()) : kNoKey;
          if (mv) {
            TransformRows<F, true>(dv, sv, mv, g, x, y, scale_x, scale_y, source_rect, readable, pivot_x, pivot_y,
                                   flags, key, opacity);
          } else {
            TransformRows<F, false>(dv, sv, nullptr, g, x, y, scale_x, scale_y, source_rect, readable, pivot_x, pivot_y,
                                    flags, key, opacity);
          }
        });
      });
}

}  // namespace

void TCustomDIBX::DrawTransformed(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                                  const TRect& source_rect, int32_t pivot_x, int32_t pivot_y, long double angle,
                                  TDrawFlags flags, int opacity) {
  DrawTransformedImpl(*this, x, y, scale_x, scale_y, source, source_rect, pivot_x, pivot_y, angle, flags, nullptr,
                      opacity);
}

void TCustomDIBX::DrawTransformedMask(int32_t x, int32_t y, long double scale_x, long double scale_y,
                                      TCustomDIBX& source, const TRect& source_rect, int32_t pivot_x, int32_t pivot_y,
                                      long double angle, TDrawFlags flags, TCustomDIBX& mask, int opacity) {
  DrawTransformedImpl(*this, x, y, scale_x, scale_y, source, source_rect, pivot_x, pivot_y, angle, flags, &mask,
                      opacity);
}

void TCustomDIBX::DrawTransformedSmooth(int32_t x, int32_t y, long double scale_x, long double scale_y,
                                        TCustomDIBX& source, const TRect& source_rect, int32_t pivot_x, int32_t pivot_y,
                                        long double angle, TDrawFlags flags, TCustomDIBX* mask, int opacity) {
  int bits = BitCount();
  if (opacity <= 0 || (bits != 15 && bits != 16 && bits != 24 && bits != 32)) return;
  opacity = std::min(opacity, 511);
  TTransformGeometry g;
  if (!TransformBox(x, y, scale_x, scale_y, source_rect, pivot_x, pivot_y, angle, GetClipRect(), 2, g)) return;
  const bool flip_h = HasFlag(flags, TDrawFlags::FlipH), flip_v = HasFlag(flags, TDrawFlags::FlipV);
  const long double c = g.cos_angle, s = g.sin_angle;
  const int64_t strength = opacity % 256;
  WithTransformViews(
      *this, source, mask, source_rect, [&](const TView& dv, const TView& sv, const TView* mv, const TRect& readable) {
        g.box = IntersectRect(g.box, dv.Bounds());
        DispatchFormat(bits, [&](auto format) {
          using F = decltype(format);
          for (int32_t row = g.box.top; row < g.box.bottom; ++row) {
            uint8_t* d = dv.Row(row) + static_cast<size_t>(g.box.left) * F::kBytes;
            for (int32_t col = g.box.left; col < g.box.right; ++col, d += F::kBytes) {
              long double ex = static_cast<long double>(col) - x, ey = static_cast<long double>(row) - y;
              long double u = pivot_x + (ex * c + ey * s) / scale_x;
              long double v = pivot_y + (-ex * s + ey * c) / scale_y;
              int64_t count = 0, alpha_sum = 0, sum_r = 0, sum_g = 0, sum_b = 0;
              for (int j = 0; j < 2; ++j) {
                for (int i = 0; i < 2; ++i) {
                  long double qx = u - 0.5L + i * c / 2 + j * s / 2;
                  long double qy = v - 0.5L - i * s / 2 + j * c / 2;
                  if (flip_h) qx = source_rect.left + source_rect.right - 0.5L - qx;
                  if (flip_v) qy = source_rect.top + source_rect.bottom - 0.5L - qy;
                  int64_t sx = RealToIntSaturate<int64_t>(RoundHalfEven(qx));
                  int64_t sy = RealToIntSaturate<int64_t>(RoundHalfEven(qy));
                  if (sx < readable.left || sx >= readable.right || sy < readable.top || sy >= readable.bottom) {
                    continue;
                  }
                  int64_t m = mv ? mv->Row(sy)[sx] : 255;
                  if (m == 0) continue;
                  TChannels<F> ch = Split<F>(F::Load(sv.Row(sy) + static_cast<size_t>(sx) * F::kBytes));
                  ++count;
                  alpha_sum += m;
                  sum_r += ch.r * m;
                  sum_g += ch.g * m;
                  sum_b += ch.b * m;
                }
              }
              if (count == 0) continue;
              int64_t alpha = alpha_sum / 4;
              if (strength != 255) alpha = alpha * strength / 256;
              uint32_t colour =
                  Join<F>(static_cast<uint32_t>(sum_r / count / 256), static_cast<uint32_t>(sum_g / count / 256),
                          static_cast<uint32_t>(sum_b / count / 256));
              uint32_t w = static_cast<uint32_t>(alpha);
              if (opacity > 255) {
                F::Store(d, AddWeighted<F>(colour, F::Load(d), w));
              } else if (alpha < 255) {
                F::Store(d, Blend<F>(colour, F::Load(d), w));
              } else {
                F::Store(d, colour);
              }
            }
          }
        });
      });
}

}  // namespace orvo
