// The unscaled operations: copies, blends, additive draws, masks, colour
// masks, the palette draws and the two anti-aliased coverage draws.
#include <algorithm>
#include <optional>

#include "surface/custom_dibx.h"
#include "surface/view.h"

namespace orvo {

using namespace pixel;

namespace {

// The source itself, or a snapshot when it shares memory with the destination.
TCustomDIBX* Unaliased(TCustomDIBX& dest, TCustomDIBX& source, std::unique_ptr<TCustomDIBX>& holder) {
  bool alias = &dest == &source;
  if (!alias) {
    TView a(dest), b(source);
    alias = Overlaps(a, b);
  }
  if (!alias) return &source;
  holder = SnapshotSurface(source);
  return holder.get();
}

// Locks destination, source and mask, clips, and calls
// body(F, dest row, source row, mask row or null, source step, count) per row.
// source_bits is the source's required bit count (0: the destination's).
template <class Body>
void RunBlit(TCustomDIBX& dest, int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
             TCustomDIBX* mask, int source_bits, Body&& body) {
  int bits = dest.BitCount();
  if (!IsDrawableBits(bits)) return;
  if (source.BitCount() != (source_bits == 0 ? bits : source_bits)) return;
  if (mask != nullptr && mask->BitCount() != 8) return;
  std::unique_ptr<TCustomDIBX> source_copy, mask_copy;
  TCustomDIBX* src = Unaliased(dest, source, source_copy);
  TCustomDIBX* msk = mask ? Unaliased(dest, *mask, mask_copy) : nullptr;
  TView dv(dest), sv(*src);
  std::optional<TView> mv;
  if (msk) mv.emplace(*msk);
  if (!dv.Valid() || !sv.Valid() || (mv && !mv->Valid())) return;
  TRect readable = sv.Bounds();
  if (mv) readable = IntersectRect(readable, mv->Bounds());
  TBlitPlan plan;
  if (!PlanBlit(IntersectRect(dest.GetClipRect(), dv.Bounds()), x, y, source_rect, readable, flags, plan)) return;
  int source_bytes = source_bits == 0 ? (bits + 7) / 8 : source_bits / 8;
  // Rows are visited in ascending memory order (bottom row first for the
  // bottom-up stores): the hardware prefetchers follow ascending streams.
  bool upwards = dv.Pitch() < 0;
  DispatchFormat(bits, [&](auto format) {
    using F = decltype(format);
    for (int32_t k = 0; k < plan.height; ++k) {
      int32_t r = upwards ? plan.height - 1 - k : k;
      int64_t sy = plan.sy + static_cast<int64_t>(r) * plan.step_y;
      uint8_t* d = dv.Row(plan.dy + r) + static_cast<size_t>(plan.dx) * F::kBytes;
      // 4-bit and 1-bit sources are addressed by the body from the row start.
      const uint8_t* s = sv.Row(sy) + (source_bytes > 0 ? static_cast<size_t>(plan.sx) * source_bytes : 0);
      const uint8_t* m = mv ? mv->Row(sy) + plan.sx : nullptr;
      body(F{}, d, s, m, plan.step_x, plan.width, plan.sx);
    }
  });
}

// DrawMask's weights: 0 leaves the destination, 255 copies, others blend.
const TWeightTable& MaskCopyTable() {
  static const TWeightTable table = TWeightTable::Blend([](uint32_t m) -> uint16_t {
    return m == 0 ? kSkip : m == 255 ? kCopy : static_cast<uint16_t>(m);
  });
  return table;
}

}  // namespace

void TCustomDIBX::Draw(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags) {
  bool use_key = HasFlag(flags, TDrawFlags::UseKey);
  RunBlit(*this, x, y, source, source_rect, flags, nullptr, 0,
          [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int step, int n, int32_t) {
            using F = decltype(format);
            CopyKeyRow<F>(d, s, step, n, use_key ? KeyOf<F>(source.KeyColor()) : kNoKey);
          });
}

void TCustomDIBX::DrawMask(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                           TCustomDIBX& mask) {
  const TWeightTable& table = MaskCopyTable();
  RunBlit(*this, x, y, source, source_rect, flags, &mask, 0,
          [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t* m, int step, int n, int32_t) {
            MaskRow<decltype(format)>(d, s, m, step, n, table);
          });
}

void TCustomDIBX::DrawBlend(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                            int opacity) {
  if (opacity <= 0) return;
  if (opacity >= 255) return Draw(x, y, source, source_rect, flags);
  bool use_key = HasFlag(flags, TDrawFlags::UseKey);
  RunBlit(*this, x, y, source, source_rect, flags, nullptr, 0,
          [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int step, int n, int32_t) {
            using F = decltype(format);
            BlendRow<F>(d, s, step, n, static_cast<uint32_t>(opacity), use_key ? KeyOf<F>(source.KeyColor()) : kNoKey,
                        true);
          });
}

void TCustomDIBX::DrawMaskBlend(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                                TCustomDIBX& mask, int opacity) {
  if (opacity <= 0) return;
  if (opacity >= 255) return DrawMask(x, y, source, source_rect, flags, mask);
  // Weight floor(m * a / 256); the 32-bit path gives a full mask the opacity itself.
  uint32_t a = static_cast<uint32_t>(opacity);
  bool full_mask_uses_opacity = BitCount() == 32;
  TWeightTable table = TWeightTable::Blend([&](uint32_t m) -> uint16_t {
    if (m == 0) return kSkip;
    if (m == 255 && full_mask_uses_opacity) return static_cast<uint16_t>(a);
    return static_cast<uint16_t>(m * a / 256);
  });
  RunBlit(*this, x, y, source, source_rect, flags, &mask, 0,
          [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t* m, int step, int n, int32_t) {
            MaskRow<decltype(format)>(d, s, m, step, n, table);
          });
}

void TCustomDIBX::DrawAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                          int opacity) {
  if (opacity <= 0) return;
  // 8-bit surfaces add the index values whatever the opacity.
  uint32_t w = BitCount() == 8 ? 256 : static_cast<uint32_t>(std::min(opacity, 255));
  RunBlit(*this, x, y, source, source_rect, flags, nullptr, 0,
          [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int step, int n, int32_t) {
            using F = decltype(format);
            AddRow<F>(d, s, step, n, w, KeyOf<F>(source.KeyColor()));
          });
}

void TCustomDIBX::DrawMaskAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                              TCustomDIBX& mask, int opacity) {
  if (opacity <= 0) return;
  uint32_t a = static_cast<uint32_t>(std::min(opacity, 255));
  TWeightTable table = TWeightTable::Add([&](uint32_t m) { return static_cast<uint16_t>(m * a / 256); });
  RunBlit(*this, x, y, source, source_rect, flags, &mask, 0,
          [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t* m, int step, int n, int32_t) {
            MaskAddRow<decltype(format)>(d, s, m, step, n, table);
          });
}

void TCustomDIBX::DrawColorMask(int32_t x, int32_t y, TCustomDIBX& mask, const TRect& source_rect, TDrawFlags flags,
                                uint32_t pixel, int opacity) {
  if (opacity <= 0) return;
  if (source_rect.left < 0 || source_rect.top < 0 || source_rect.right > mask.Width() ||
      source_rect.bottom > mask.Height()) {
    return;
  }
  int bits = BitCount();
  uint32_t a = static_cast<uint32_t>(std::min(opacity, 255));
  TWeightTable table = TWeightTable::Blend([&](uint32_t m) -> uint16_t {
    if (m == 0) return kSkip;
    // A full mask at full opacity paints the colour exactly.
    if (a >= 255) return m == 255 ? kCopy : static_cast<uint16_t>(m);
    if (m == 255 && bits == 32) return static_cast<uint16_t>(a);
    return static_cast<uint16_t>(m * a / 256);
  });
  // Pixels that already have the colour stay on 15, 16 and 32 bits.
  bool skip_equal = bits == 15 || bits == 16 || bits == 32;
  RunBlit(*this, x, y, mask, source_rect, flags, nullptr, 8,
          [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int step, int n, int32_t) {
            using F = decltype(format);
            ColorMaskRow<F>(d, s, step, n, pixel & F::kValueMask, table, skip_equal);
          });
}

void TCustomDIBX::DrawNibblePalette(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect,
                                    TDrawFlags flags, int opacity, const TNibblePalette& table) {
  int bits = BitCount();
  if (opacity <= 0 || (bits != 15 && bits != 16 && bits != 32)) return;
  uint32_t a = static_cast<uint32_t>(std::min(opacity, 511));
  int32_t key = source.KeyColor();
  RunBlit(*this, x, y, source, source_rect, flags, nullptr, 4,
          [&](auto format, uint8_t* d, const uint8_t* row, const uint8_t*, int step, int n, int32_t sx) {
            using F = decltype(format);
            for (int i = 0; i < n; ++i, d += F::kBytes, sx += step) {
              uint32_t index = (row[sx >> 1] >> ((sx & 1) ? 0 : 4)) & 0xF;
              if (static_cast<int32_t>(index) == key) continue;
              uint32_t colour = table[index] & F::kValueMask;
              uint32_t dv = F::Load(d);
              if (a == 255) {
                F::Store(d, colour);
              } else if (a >= 256) {
                if (colour == 0 || (dv & kWhite<F>) == kWhite<F>) continue;
                F::Store(d, AddWeighted<F>(colour, dv, a - 256));
              } else if (dv != colour) {
                F::Store(d, Blend<F>(colour, dv, a));
              }
            }
          });
}

void TCustomDIBX::DrawPaletteAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, int threshold,
                                 TDrawFlags flags, int opacity, const TBytePalette& table) {
  if (opacity <= 0) return;
  int bits = BitCount();
  uint32_t w = static_cast<uint32_t>(std::min(opacity, 255));
  // 8- and 24-bit surfaces take the per-pixel path, which adds the indices
  // above the source's key instead of those at or above the threshold.
  int64_t lowest = (bits == 8 || bits == 24) ? static_cast<int64_t>(source.KeyColor()) + 1 : threshold;
  RunBlit(*this, x, y, source, source_rect, flags, nullptr, 8,
          [&](auto format, uint8_t* d, const uint8_t* s, const uint8_t*, int step, int n, int32_t) {
            using F = decltype(format);
            for (int i = 0; i < n; ++i, d += F::kBytes, s += step) {
              if (*s < lowest) continue;
              F::Store(d, AddWeighted<F>(table[*s] & F::kValueMask, F::Load(d), w));
            }
          });
}

namespace {

// Geometry of the coverage draws: one destination pixel per factor x factor
// block; clipping cuts whole blocks (from the far side when flipped) and only
// blocks wholly inside the source are read.
template <class Body>
void RunCoverage(TCustomDIBX& dest, int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect,
                 TDrawFlags flags, int factor, int source_bits, Body&& body) {
  int bits = dest.BitCount();
  if (!IsDrawableBits(bits) || source.BitCount() != source_bits || factor < 1 || factor > 16) return;
  if (source_rect.IsEmpty()) return;
  TView dv(dest), sv(source);
  if (!dv.Valid() || !sv.Valid()) return;
  int64_t n = factor;
  int64_t blocks_x = source_rect.Width() / n, blocks_y = source_rect.Height() / n;
  if (blocks_x <= 0 || blocks_y <= 0) return;
  auto first_inside = [&](int64_t edge) { return edge >= 0 ? int64_t{0} : (-edge + n - 1) / n; };
  auto end_inside = [&](int64_t edge, int64_t size) { return std::max<int64_t>(0, (size - edge) / n); };
  TRect readable{static_cast<int32_t>(std::min(first_inside(source_rect.left), blocks_x)),
                 static_cast<int32_t>(std::min(first_inside(source_rect.top), blocks_y)),
                 static_cast<int32_t>(std::min(end_inside(source_rect.left, sv.Width()), blocks_x)),
                 static_cast<int32_t>(std::min(end_inside(source_rect.top, sv.Height()), blocks_y))};
  TBlitPlan plan;
  TRect blocks{0, 0, static_cast<int32_t>(blocks_x), static_cast<int32_t>(blocks_y)};
  if (!PlanBlit(IntersectRect(dest.GetClipRect(), dv.Bounds()), x, y, blocks, readable, flags, plan)) return;
  DispatchFormat(bits, [&](auto format) {
    using F = decltype(format);
    for (int32_t r = 0; r < plan.height; ++r) {
      int64_t block_y = plan.sy + static_cast<int64_t>(r) * plan.step_y;
      int64_t top = source_rect.top + block_y * n;
      uint8_t* d = dv.Row(plan.dy + r) + static_cast<size_t>(plan.dx) * F::kBytes;
      for (int32_t c = 0; c < plan.width; ++c, d += F::kBytes) {
        int64_t block_x = plan.sx + static_cast<int64_t>(c) * plan.step_x;
        int64_t left = source_rect.left + block_x * n;
        body(F{}, d, sv, left, top);
      }
    }
  });
}

}  // namespace

void TCustomDIBX::DrawCoverage(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, uint32_t pixel,
                               TDrawFlags flags, int opacity, int factor) {
  if (opacity <= 0) return;
  int64_t n = factor, area = n * n;
  RunCoverage(*this, x, y, source, source_rect, flags, factor, 1,
              [&](auto format, uint8_t* d, const TView& sv, int64_t left, int64_t top) {
                using F = decltype(format);
                int64_t ink = 0;
                for (int64_t j = 0; j < n; ++j) {
                  const uint8_t* row = sv.Row(top + j);
                  for (int64_t i = left; i < left + n; ++i) ink += ((row[i >> 3] >> (7 - (i & 7))) & 1) ^ 1;
                }
                if (opacity <= 254) ink = opacity * ink / 256;
                TChannels<F> c = Split<F>(pixel), dc = Split<F>(F::Load(d)), mx = kMax<F>;
                // The divisor 16 belongs to 4 x 4 blocks; other factors saturate.
                auto mix = [&](uint32_t cv, uint32_t dv, uint32_t max) {
                  int64_t v = (cv * ink + dv * (area - ink)) / 16;
                  return static_cast<uint32_t>(std::min<int64_t>(v, max));
                };
                F::Store(d, Join<F>(mix(c.r, dc.r, mx.r), mix(c.g, dc.g, mx.g), mix(c.b, dc.b, mx.b)));
              });
}

void TCustomDIBX::DrawCoverage3(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect,
                                const TColor3& colours, TDrawFlags flags, int opacity, int factor) {
  if (opacity <= 0) return;
  int64_t a = std::min(opacity, 511);
  int64_t n = factor, area = n * n;
  int shift = 8;
  while ((int64_t{2} << (shift - 8)) <= area) ++shift;  // Trunc(log2(area * 256))
  RunCoverage(*this, x, y, source, source_rect, flags, factor, 4,
              [&](auto format, uint8_t* d, const TView& sv, int64_t left, int64_t top) {
                using F = decltype(format);
                int64_t h[4] = {0, 0, 0, 0};
                for (int64_t j = 0; j < n; ++j) {
                  const uint8_t* row = sv.Row(top + j);
                  for (int64_t i = left; i < left + n; ++i) ++h[(row[i >> 1] >> ((i & 1) ? 0 : 4)) & 3];
                }
                if (h[0] == area) return;
                uint32_t c1 = colours.c1 & F::kValueMask, c2 = colours.c2 & F::kValueMask;
                if (a == 255 && h[1] == area) return F::Store(d, c1);
                if (a == 255 && h[2] == area) return F::Store(d, c2);
                int64_t w[4];
                for (int k = 1; k < 4; ++k) w[k] = (a == 255 ? 256 : a) * h[k];
                int64_t dest_weight = a > 255 ? area * 256 : area * 256 - w[1] - w[2] - w[3];
                TChannels<F> k1 = Split<F>(c1), k2 = Split<F>(c2), k3 = Split<F>(colours.c3 & F::kValueMask);
                TChannels<F> dc = Split<F>(F::Load(d)), mx = kMax<F>;
                auto mix = [&](uint32_t v1, uint32_t v2, uint32_t v3, uint32_t dv, uint32_t max) {
                  int64_t v = (v1 * w[1] + v2 * w[2] + v3 * w[3] + dv * dest_weight) >> shift;
                  return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, max));
                };
                F::Store(d, Join<F>(mix(k1.r, k2.r, k3.r, dc.r, mx.r), mix(k1.g, k2.g, k3.g, dc.g, mx.g),
                                    mix(k1.b, k2.b, k3.b, dc.b, mx.b)));
              });
}

}  // namespace orvo
