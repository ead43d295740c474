// SSE2 forms of the 32-bit row kernels. SSE2 is part of the x86-64 baseline,
// so no CPU detection is needed; each kernel computes exactly the channel
// formulas of the scalar reference (16-bit lanes hold w*s + (255-w)*d <= 65025
// without overflow), so the two paths give identical pixels.
#include <emmintrin.h>

#include <atomic>

#include "surface/kernels.h"

namespace orvo::pixel {
namespace {

std::atomic<bool> simd_enabled{true};

inline __m128i Load4(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store4(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Selects a where the 32-bit lane of choose_a is all ones, else b.
inline __m128i Select(__m128i choose_a, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(choose_a, a), _mm_andnot_si128(choose_a, b));
}

// floor((w*s + (255-w)*d) / 256) per byte, w given per 16-bit lane.
inline __m128i BlendLanes(__m128i s, __m128i d, __m128i w_lo, __m128i w_hi) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i k255 = _mm_set1_epi16(255);
  __m128i slo = _mm_unpacklo_epi8(s, zero), shi = _mm_unpackhi_epi8(s, zero);
  __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
  __m128i lo = _mm_add_epi16(_mm_mullo_epi16(slo, w_lo), _mm_mullo_epi16(dlo, _mm_sub_epi16(k255, w_lo)));
  __m128i hi = _mm_add_epi16(_mm_mullo_epi16(shi, w_hi), _mm_mullo_epi16(dhi, _mm_sub_epi16(k255, w_hi)));
  return _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
}

// floor(w*s / 256) per byte, w (0..256) per 16-bit lane.
inline __m128i ScaleLanes(__m128i s, __m128i w_lo, __m128i w_hi) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), w_lo), 8);
  __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), w_hi), 8);
  return _mm_packus_epi16(lo, hi);
}

inline __m128i ColourBytes() { return _mm_set1_epi32(0x00FFFFFF); }

// Weights of four pixels as 16-bit lanes (pixels 0, 1 low; 2, 3 high).
inline void WeightLanes(const uint16_t w[4], __m128i& lo, __m128i& hi) {
  auto lane = [](uint16_t v) { return static_cast<short>(v); };
  lo = _mm_set_epi16(lane(w[1]), lane(w[1]), lane(w[1]), lane(w[1]), lane(w[0]), lane(w[0]), lane(w[0]), lane(w[0]));
  hi = _mm_set_epi16(lane(w[3]), lane(w[3]), lane(w[3]), lane(w[3]), lane(w[2]), lane(w[2]), lane(w[2]), lane(w[2]));
}

inline __m128i LaneFlags(bool f0, bool f1, bool f2, bool f3) {
  return _mm_set_epi32(f3 ? -1 : 0, f2 ? -1 : 0, f1 ? -1 : 0, f0 ? -1 : 0);
}

}  // namespace

void SetSimdEnabled(bool enabled) { simd_enabled.store(enabled, std::memory_order_relaxed); }
bool SimdEnabled() { return simd_enabled.load(std::memory_order_relaxed); }

void CopyKeyRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t key) {
  const __m128i vkey = _mm_set1_epi32(static_cast<int>(key));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i sv = Load4(s + 4 * i);
    __m128i is_key = _mm_cmpeq_epi32(sv, vkey);
    int bits = _mm_movemask_epi8(is_key);
    if (bits == 0xFFFF) continue;  // runs of key pixels cost one compare
    if (bits == 0) {
      Store4(d + 4 * i, sv);
    } else {
      Store4(d + 4 * i, Select(is_key, Load4(d + 4 * i), sv));
    }
  }
  ScalarCopyKeyRow<TFormat32>(d + 4 * i, s + 4 * i, 1, n - i, key);
}

void BlendRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key, bool skip_equal) {
  const __m128i vw = _mm_set1_epi16(static_cast<short>(w));
  const bool use_key = key != kNoKey;
  const __m128i vkey = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(key)));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i sv = Load4(s + 4 * i), dv = Load4(d + 4 * i);
    __m128i keep = _mm_setzero_si128();
    if (use_key) keep = _mm_cmpeq_epi32(sv, vkey);
    if (skip_equal) keep = _mm_or_si128(keep, _mm_cmpeq_epi32(sv, dv));
    __m128i out = _mm_and_si128(BlendLanes(sv, dv, vw, vw), ColourBytes());
    Store4(d + 4 * i, Select(keep, dv, out));
  }
  ScalarBlendRow<TFormat32>(d + 4 * i, s + 4 * i, 1, n - i, w, key, skip_equal);
}

void AddRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key) {
  const __m128i vw = _mm_set1_epi16(static_cast<short>(w));
  const bool use_key = key != kNoKey;
  const __m128i vkey = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(key)));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i sv = Load4(s + 4 * i), dv = Load4(d + 4 * i);
    __m128i out = _mm_and_si128(_mm_adds_epu8(dv, ScaleLanes(sv, vw, vw)), ColourBytes());
    if (use_key) out = Select(_mm_cmpeq_epi32(sv, vkey), dv, out);
    Store4(d + 4 * i, out);
  }
  ScalarAddRow<TFormat32>(d + 4 * i, s + 4 * i, 1, n - i, w, key);
}

void MaskRow32Simd(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    uint16_t w[4] = {table[m[i]], table[m[i + 1]], table[m[i + 2]], table[m[i + 3]]};
    bool skip[4], copy[4];
    for (int k = 0; k < 4; ++k) {
      skip[k] = w[k] == kSkip;
      copy[k] = w[k] == kCopy;
      if (skip[k] || copy[k]) w[k] = 0;
    }
    if (skip[0] && skip[1] && skip[2] && skip[3]) continue;
    __m128i sv = Load4(s + 4 * i);
    if (copy[0] && copy[1] && copy[2] && copy[3]) {
      Store4(d + 4 * i, sv);
      continue;
    }
    __m128i dv = Load4(d + 4 * i);
    __m128i wlo, whi;
    WeightLanes(w, wlo, whi);
    __m128i out = _mm_and_si128(BlendLanes(sv, dv, wlo, whi), ColourBytes());
    out = Select(LaneFlags(copy[0], copy[1], copy[2], copy[3]), sv, out);
    out = Select(LaneFlags(skip[0], skip[1], skip[2], skip[3]), dv, out);
    Store4(d + 4 * i, out);
  }
  ScalarMaskRow<TFormat32>(d + 4 * i, s + 4 * i, m + i, 1, n - i, table);
}

void MaskAddRow32Simd(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    uint16_t w[4] = {table[m[i]], table[m[i + 1]], table[m[i + 2]], table[m[i + 3]]};
    bool skip[4];
    for (int k = 0; k < 4; ++k) {
      skip[k] = w[k] == kSkip;
      if (skip[k]) w[k] = 0;
    }
    if (skip[0] && skip[1] && skip[2] && skip[3]) continue;
    __m128i sv = Load4(s + 4 * i), dv = Load4(d + 4 * i);
    __m128i wlo, whi;
    WeightLanes(w, wlo, whi);
    __m128i out = _mm_and_si128(_mm_adds_epu8(dv, ScaleLanes(sv, wlo, whi)), ColourBytes());
    Store4(d + 4 * i, Select(LaneFlags(skip[0], skip[1], skip[2], skip[3]), dv, out));
  }
  ScalarMaskAddRow<TFormat32>(d + 4 * i, s + 4 * i, m + i, 1, n - i, table);
}

void ColorMaskRow32Simd(uint8_t* d, const uint8_t* m, int n, uint32_t pixel, const TWeightTable& table,
                        bool skip_equal) {
  const __m128i sv = _mm_set1_epi32(static_cast<int>(pixel));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    uint16_t w[4] = {table[m[i]], table[m[i + 1]], table[m[i + 2]], table[m[i + 3]]};
    bool skip[4], copy[4];
    for (int k = 0; k < 4; ++k) {
      skip[k] = w[k] == kSkip;
      copy[k] = w[k] == kCopy;
      if (skip[k] || copy[k]) w[k] = 0;
    }
    if (skip[0] && skip[1] && skip[2] && skip[3]) continue;
    __m128i dv = Load4(d + 4 * i);
    __m128i wlo, whi;
    WeightLanes(w, wlo, whi);
    __m128i out = _mm_and_si128(BlendLanes(sv, dv, wlo, whi), ColourBytes());
    out = Select(LaneFlags(copy[0], copy[1], copy[2], copy[3]), sv, out);
    __m128i keep = LaneFlags(skip[0], skip[1], skip[2], skip[3]);
    if (skip_equal) keep = _mm_or_si128(keep, _mm_cmpeq_epi32(dv, sv));
    Store4(d + 4 * i, Select(keep, dv, out));
  }
  ScalarColorMaskRow<TFormat32>(d + 4 * i, m + i, 1, n - i, pixel, table, skip_equal);
}

void FillBlendRow32Simd(uint8_t* d, int n, uint32_t pixel, uint32_t w) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i pv = _mm_set1_epi32(static_cast<int>(pixel));
  // w * pixel per channel is the same for every pixel: computed once.
  const __m128i weighted = _mm_mullo_epi16(_mm_unpacklo_epi8(pv, zero), _mm_set1_epi16(static_cast<short>(w)));
  const __m128i inverse = _mm_set1_epi16(static_cast<short>(255 - w));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i dv = Load4(d + 4 * i);
    __m128i lo = _mm_srli_epi16(_mm_add_epi16(weighted, _mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), inverse)), 8);
    __m128i hi = _mm_srli_epi16(_mm_add_epi16(weighted, _mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), inverse)), 8);
    __m128i out = _mm_and_si128(_mm_packus_epi16(lo, hi), ColourBytes());
    Store4(d + 4 * i, Select(_mm_cmpeq_epi32(dv, pv), dv, out));
  }
  ScalarFillBlendRow<TFormat32>(d + 4 * i, n - i, pixel, w);
}

}  // namespace orvo::pixel
