#pragma once
// Row kernels of the surface operations, templated per pixel format. The
// scalar forms are the per-pixel reference; the 32-bit forms take SIMD paths
// (kernels_simd.cpp) that give identical results. Internal to the surfaces.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "surface/pixel_format.h"

namespace orvo::pixel {

// Per-mask-value weights of a masked operation. Blend tables hold 0..255 (a
// blend at that weight), kCopy (the source replaces the destination) or
// kSkip; add tables hold 0..256, and skip where the mask is 0. The SIMD
// kernels read the same table as 16-bit factors: for blends (source,
// destination) pairs per channel, so that copy (256, 0), skip (0, 256) and a
// blend (w, 255 - w) are one multiply-add each, with the fourth byte kept by
// copies and skips and cleared by blends; for adds the weight per channel.
constexpr uint16_t kSkip = 0xFFFF;
constexpr uint16_t kCopy = 0x100;

class TWeightTable {
 public:
  // rule(m) gives the blend weight code of every mask value.
  template <class Rule>
  static TWeightTable Blend(Rule&& rule) {
    TWeightTable table;
    for (uint32_t m = 0; m < 256; ++m) {
      uint16_t w = rule(m);
      table.weight_[m] = w;
      int16_t source = w == kSkip ? 0 : w == kCopy ? 256 : static_cast<int16_t>(w);
      int16_t dest = w == kSkip ? 256 : w == kCopy ? 0 : static_cast<int16_t>(255 - w);
      bool keeps_fourth = w == kSkip || w == kCopy;
      for (int c = 0; c < 4; ++c) {
        table.factors_[m][2 * c] = (c < 3 || keeps_fourth) ? source : 0;
        table.factors_[m][2 * c + 1] = (c < 3 || keeps_fourth) ? dest : 0;
      }
    }
    return table;
  }
  // Mask 0 skips; rule(m) gives the add weight (0..256) of the others.
  template <class Rule>
  static TWeightTable Add(Rule&& rule) {
    TWeightTable table;
    table.weight_[0] = kSkip;
    table.factors_[0] = {};
    for (uint32_t m = 1; m < 256; ++m) {
      uint16_t w = rule(m);
      table.weight_[m] = w;
      table.factors_[m] = {static_cast<int16_t>(w), static_cast<int16_t>(w), static_cast<int16_t>(w), 0, 0, 0, 0, 0};
    }
    return table;
  }

  uint16_t operator[](uint32_t m) const { return weight_[m]; }
  // Eight 16-bit factors of a mask value (aligned for vector loads).
  const int16_t* Factors(uint32_t m) const { return factors_[m].data(); }

 private:
  TWeightTable() = default;
  std::array<uint16_t, 256> weight_{};
  alignas(16) std::array<std::array<int16_t, 8>, 256> factors_{};
};

// "No key": the key argument of the kernels when nothing is left out. Key
// values are compared with the pixel's own bits (kValueMask), so -1 as a
// uint64 can never match.
constexpr uint64_t kNoKey = ~uint64_t{0};

template <class F>
inline bool IsKey(uint32_t s, uint64_t key) {
  return static_cast<uint64_t>(s) == key;
}

template <class F>
inline uint64_t KeyOf(int32_t key_color) {
  return key_color == -1 ? kNoKey : (static_cast<uint32_t>(key_color) & F::kValueMask);
}

// ---- SIMD entry points (32 bits, forward rows only) ----
void CopyKeyRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t key);
void BlendRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key, bool skip_equal);
void AddRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key);
void MaskRow32Simd(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table);
void MaskAddRow32Simd(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table);
void ColorMaskRow32Simd(uint8_t* d, const uint8_t* m, int n, uint32_t pixel, const TWeightTable& table,
                        bool skip_equal);
void FillBlendRow32Simd(uint8_t* d, int n, uint32_t pixel, uint32_t w);
// Kernels can be forced onto the scalar reference (tests compare the two).
// Which instruction set the kernels use: the scalar reference, SSE2 (the
// x86-64 baseline) or AVX2 where the processor has it. Every level gives the
// same pixels; tests switch between them.
enum class TSimdLevel { Scalar, Sse2, Avx2 };
void SetSimdLevel(TSimdLevel level);  // capped at what the processor supports
TSimdLevel SimdLevel();
inline bool SimdEnabled() { return SimdLevel() != TSimdLevel::Scalar; }

template <class F>
constexpr bool kIs32 = std::is_same_v<F, TFormat32>;

// ---- scalar reference kernels; sstep is +1 or -1 pixels ----

template <class F>
void ScalarCopyRow(uint8_t* d, const uint8_t* s, int sstep, int n) {
  for (int i = 0; i < n; ++i, d += F::kBytes, s += sstep * F::kBytes) F::Store(d, F::Load(s));
}

template <class F>
void ScalarCopyKeyRow(uint8_t* d, const uint8_t* s, int sstep, int n, uint64_t key) {
  for (int i = 0; i < n; ++i, d += F::kBytes, s += sstep * F::kBytes) {
    uint32_t v = F::Load(s);
    if (!IsKey<F>(v, key)) F::Store(d, v);
  }
}

template <class F>
void ScalarBlendRow(uint8_t* d, const uint8_t* s, int sstep, int n, uint32_t w, uint64_t key, bool skip_equal) {
  for (int i = 0; i < n; ++i, d += F::kBytes, s += sstep * F::kBytes) {
    uint32_t sv = F::Load(s);
    if (IsKey<F>(sv, key)) continue;
    uint32_t dv = F::Load(d);
    if (skip_equal && sv == dv) continue;
    F::Store(d, Blend<F>(sv, dv, w));
  }
}

template <class F>
void ScalarAddRow(uint8_t* d, const uint8_t* s, int sstep, int n, uint32_t w, uint64_t key) {
  for (int i = 0; i < n; ++i, d += F::kBytes, s += sstep * F::kBytes) {
    uint32_t sv = F::Load(s);
    if (IsKey<F>(sv, key)) continue;
    F::Store(d, AddWeighted<F>(sv, F::Load(d), w));
  }
}

template <class F>
void ScalarMaskRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int sstep, int n, const TWeightTable& table) {
  for (int i = 0; i < n; ++i, d += F::kBytes, s += sstep * F::kBytes, m += sstep) {
    uint16_t w = table[*m];
    if (w == kSkip) continue;
    uint32_t sv = F::Load(s);
    F::Store(d, w == kCopy ? sv : Blend<F>(sv, F::Load(d), w));
  }
}

template <class F>
void ScalarMaskAddRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int sstep, int n, const TWeightTable& table) {
  for (int i = 0; i < n; ++i, d += F::kBytes, s += sstep * F::kBytes, m += sstep) {
    uint16_t w = table[*m];
    if (w == kSkip) continue;
    F::Store(d, AddWeighted<F>(F::Load(s), F::Load(d), w));
  }
}

template <class F>
void ScalarColorMaskRow(uint8_t* d, const uint8_t* m, int mstep, int n, uint32_t pixel, const TWeightTable& table,
                        bool skip_equal) {
  for (int i = 0; i < n; ++i, d += F::kBytes, m += mstep) {
    uint16_t w = table[*m];
    if (w == kSkip) continue;
    uint32_t dv = F::Load(d);
    if (skip_equal && dv == pixel) continue;
    F::Store(d, w == kCopy ? pixel : Blend<F>(pixel, dv, w));
  }
}

template <class F>
void ScalarFillRow(uint8_t* d, int n, uint32_t pixel) {
  for (int i = 0; i < n; ++i, d += F::kBytes) F::Store(d, pixel);
}

template <class F>
void ScalarFillBlendRow(uint8_t* d, int n, uint32_t pixel, uint32_t w) {
  for (int i = 0; i < n; ++i, d += F::kBytes) {
    uint32_t dv = F::Load(d);
    if (dv != pixel) F::Store(d, Blend<F>(pixel, dv, w));
  }
}

template <class F>
void ScalarFillAddRow(uint8_t* d, int n, uint32_t pixel) {
  for (int i = 0; i < n; ++i, d += F::kBytes) F::Store(d, SaturatedAdd<F>(pixel, F::Load(d)));
}

template <class F>
void ScalarFillSubRow(uint8_t* d, int n, uint32_t pixel) {
  for (int i = 0; i < n; ++i, d += F::kBytes) F::Store(d, SaturatedSub<F>(pixel, F::Load(d)));
}

// ---- dispatching kernels: the fast path where one exists ----

template <class F>
void CopyRow(uint8_t* d, const uint8_t* s, int sstep, int n) {
  if (sstep == 1) {
    std::memmove(d, s, static_cast<size_t>(n) * F::kBytes);
  } else {
    ScalarCopyRow<F>(d, s, sstep, n);
  }
}

template <class F>
void CopyKeyRow(uint8_t* d, const uint8_t* s, int sstep, int n, uint64_t key) {
  if (key == kNoKey) return CopyRow<F>(d, s, sstep, n);
  if constexpr (kIs32<F>) {
    if (sstep == 1 && SimdEnabled()) return CopyKeyRow32Simd(d, s, n, static_cast<uint32_t>(key));
  }
  ScalarCopyKeyRow<F>(d, s, sstep, n, key);
}

template <class F>
void BlendRow(uint8_t* d, const uint8_t* s, int sstep, int n, uint32_t w, uint64_t key, bool skip_equal) {
  if constexpr (kIs32<F>) {
    if (sstep == 1 && SimdEnabled()) return BlendRow32Simd(d, s, n, w, key, skip_equal);
  }
  ScalarBlendRow<F>(d, s, sstep, n, w, key, skip_equal);
}

template <class F>
void AddRow(uint8_t* d, const uint8_t* s, int sstep, int n, uint32_t w, uint64_t key) {
  if constexpr (kIs32<F>) {
    if (sstep == 1 && SimdEnabled()) return AddRow32Simd(d, s, n, w, key);
  }
  ScalarAddRow<F>(d, s, sstep, n, w, key);
}

template <class F>
void MaskRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int sstep, int n, const TWeightTable& table) {
  if constexpr (kIs32<F>) {
    if (sstep == 1 && SimdEnabled()) return MaskRow32Simd(d, s, m, n, table);
  }
  ScalarMaskRow<F>(d, s, m, sstep, n, table);
}

template <class F>
void MaskAddRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int sstep, int n, const TWeightTable& table) {
  if constexpr (kIs32<F>) {
    if (sstep == 1 && SimdEnabled()) return MaskAddRow32Simd(d, s, m, n, table);
  }
  ScalarMaskAddRow<F>(d, s, m, sstep, n, table);
}

template <class F>
void ColorMaskRow(uint8_t* d, const uint8_t* m, int mstep, int n, uint32_t pixel, const TWeightTable& table,
                  bool skip_equal) {
  if constexpr (kIs32<F>) {
    if (mstep == 1 && SimdEnabled()) return ColorMaskRow32Simd(d, m, n, pixel, table, skip_equal);
  }
  ScalarColorMaskRow<F>(d, m, mstep, n, pixel, table, skip_equal);
}

template <class F>
void FillRow(uint8_t* d, int n, uint32_t pixel) {
  if constexpr (F::kBytes == 1) {
    std::memset(d, static_cast<int>(pixel & 0xFF), static_cast<size_t>(n));
  } else if constexpr (F::kBytes == 4) {
    // One store per pixel through memcpy: the compiler widens this into vector stores.
    for (int i = 0; i < n; ++i) std::memcpy(d + 4 * i, &pixel, 4);
  } else if constexpr (F::kBytes == 2) {
    uint16_t p = static_cast<uint16_t>(pixel);
    for (int i = 0; i < n; ++i) std::memcpy(d + 2 * i, &p, 2);
  } else {
    ScalarFillRow<F>(d, n, pixel);
  }
}

template <class F>
void FillBlendRow(uint8_t* d, int n, uint32_t pixel, uint32_t w) {
  if constexpr (kIs32<F>) {
    if (SimdEnabled()) return FillBlendRow32Simd(d, n, pixel, w);
  }
  ScalarFillBlendRow<F>(d, n, pixel, w);
}

}  // namespace orvo::pixel
