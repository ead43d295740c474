// SIMD forms of the 32-bit row kernels: SSE2 (part of the x86-64 baseline)
// and AVX2 (chosen at run time where the processor has it; the functions
// carry their own target attribute, so nothing else is built for AVX2). Every
// kernel computes the channel formulas of the scalar reference exactly:
// 16-bit lanes hold w*s + (255-w)*d <= 65025 without overflow, and the mask
// kernels' multiply-adds stay below 65280 per channel.
#include <emmintrin.h>
#include <immintrin.h>

#include <atomic>

#include "surface/kernels.h"

#define ORVO_AVX2 __attribute__((target("avx2")))

namespace orvo::pixel {
namespace {

TSimdLevel Detect() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? TSimdLevel::Avx2 : TSimdLevel::Sse2;
}

const TSimdLevel kBestLevel = Detect();
std::atomic<TSimdLevel> current_level{kBestLevel};

bool UseAvx2() { return current_level.load(std::memory_order_relaxed) == TSimdLevel::Avx2; }

uint32_t LoadMask4(const uint8_t* m) {
  uint32_t v;
  std::memcpy(&v, m, 4);
  return v;
}

// ---------------- SSE2 ----------------

inline __m128i Load4(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store4(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline __m128i Select(__m128i choose_a, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(choose_a, a), _mm_andnot_si128(choose_a, b));
}
inline __m128i ColourBytes() { return _mm_set1_epi32(0x00FFFFFF); }
inline __m128i Factors(const TWeightTable& table, uint8_t m) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(table.Factors(m)));
}

// floor((w*s + (255-w)*d) / 256) per byte at one weight.
inline __m128i BlendUniform(__m128i s, __m128i d, __m128i w, __m128i inverse) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), w),
                             _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), inverse));
  __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), w),
                             _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), inverse));
  return _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
}

// The kernels take the index of the first pixel to process and return the
// index after the last one they did: a counter passed by reference would be
// reloaded after every store, since the pixel pointers may alias it.

// Four pixels through their mask values' (source, destination) factors.
inline __m128i BlendFactors(__m128i s, __m128i d, __m128i f0, __m128i f1, __m128i f2, __m128i f3) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lo = _mm_unpacklo_epi8(s, d), hi = _mm_unpackhi_epi8(s, d);
  __m128i r0 = _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), f0), 8);
  __m128i r1 = _mm_srli_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), f1), 8);
  __m128i r2 = _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), f2), 8);
  __m128i r3 = _mm_srli_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), f3), 8);
  return _mm_packus_epi16(_mm_packs_epi32(r0, r1), _mm_packs_epi32(r2, r3));
}

// floor(w*s / 256) per byte, w (0..256) per 16-bit lane.
inline __m128i ScaleLanes(__m128i s, __m128i w_lo, __m128i w_hi) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), w_lo), 8);
  __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), w_hi), 8);
  return _mm_packus_epi16(lo, hi);
}

// All ones in the 32-bit lanes whose mask byte is 0.
inline __m128i ZeroMaskLanes(uint32_t m4) {
  const __m128i zero = _mm_setzero_si128();
  __m128i m = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(m4)), zero), zero);
  return _mm_cmpeq_epi32(m, zero);
}

int CopyKeySse2(uint8_t* d, const uint8_t* s, int n, uint32_t key, int i) {
  const __m128i vkey = _mm_set1_epi32(static_cast<int>(key));
  for (; i + 4 <= n; i += 4) {
    __m128i sv = Load4(s + 4 * i);
    __m128i is_key = _mm_cmpeq_epi32(sv, vkey);
    int bits = _mm_movemask_epi8(is_key);
    if (bits == 0xFFFF) continue;
    Store4(d + 4 * i, bits == 0 ? sv : Select(is_key, Load4(d + 4 * i), sv));
  }
  return i;
}

int BlendSse2(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key, bool skip_equal, int i) {
  const __m128i vw = _mm_set1_epi16(static_cast<short>(w)), inverse = _mm_set1_epi16(static_cast<short>(255 - w));
  const bool use_key = key != kNoKey;
  const __m128i vkey = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(key)));
  for (; i + 4 <= n; i += 4) {
    __m128i sv = Load4(s + 4 * i), dv = Load4(d + 4 * i);
    __m128i keep = _mm_setzero_si128();
    if (use_key) keep = _mm_cmpeq_epi32(sv, vkey);
    if (skip_equal) keep = _mm_or_si128(keep, _mm_cmpeq_epi32(sv, dv));
    __m128i out = _mm_and_si128(BlendUniform(sv, dv, vw, inverse), ColourBytes());
    Store4(d + 4 * i, Select(keep, dv, out));
  }
  return i;
}

int AddSse2(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key, int i) {
  const __m128i vw = _mm_set1_epi16(static_cast<short>(w));
  const bool use_key = key != kNoKey;
  const __m128i vkey = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(key)));
  for (; i + 4 <= n; i += 4) {
    __m128i sv = Load4(s + 4 * i), dv = Load4(d + 4 * i);
    __m128i out = _mm_and_si128(_mm_adds_epu8(dv, ScaleLanes(sv, vw, vw)), ColourBytes());
    if (use_key) out = Select(_mm_cmpeq_epi32(sv, vkey), dv, out);
    Store4(d + 4 * i, out);
  }
  return i;
}

int MaskSse2(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table, int i) {
  const bool zero_skips = table[0] == kSkip, full_copies = table[255] == kCopy;
  for (; i + 4 <= n; i += 4) {
    if ((i & 15) == 0 && i + 16 <= n && zero_skips) {
      // Whole runs of sixteen transparent mask bytes cost one compare.
      __m128i mv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + i));
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(mv, _mm_setzero_si128())) == 0xFFFF) {
        i += 12;
        continue;
      }
    }
    uint32_t m4 = LoadMask4(m + i);
    if (m4 == 0 && zero_skips) continue;
    __m128i sv = Load4(s + 4 * i);
    if (m4 == 0xFFFFFFFF && full_copies) {
      Store4(d + 4 * i, sv);
      continue;
    }
    const uint8_t* mm = m + i;
    Store4(d + 4 * i, BlendFactors(sv, Load4(d + 4 * i), Factors(table, mm[0]), Factors(table, mm[1]),
                                   Factors(table, mm[2]), Factors(table, mm[3])));
  }
  return i;
}

int ColorMaskSse2(uint8_t* d, const uint8_t* m, int n, uint32_t pixel, const TWeightTable& table, bool skip_equal,
                  int i) {
  const __m128i sv = _mm_set1_epi32(static_cast<int>(pixel));
  const bool zero_skips = table[0] == kSkip;
  for (; i + 4 <= n; i += 4) {
    uint32_t m4 = LoadMask4(m + i);
    if (m4 == 0 && zero_skips) continue;
    const uint8_t* mm = m + i;
    __m128i dv = Load4(d + 4 * i);
    __m128i out = BlendFactors(sv, dv, Factors(table, mm[0]), Factors(table, mm[1]), Factors(table, mm[2]),
                               Factors(table, mm[3]));
    if (skip_equal) out = Select(_mm_cmpeq_epi32(dv, sv), dv, out);
    Store4(d + 4 * i, out);
  }
  return i;
}

int MaskAddSse2(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table, int i) {
  for (; i + 4 <= n; i += 4) {
    uint32_t m4 = LoadMask4(m + i);
    if (m4 == 0) continue;
    const uint8_t* mm = m + i;
    auto half = [&](uint8_t a, uint8_t b) {
      return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(table.Factors(a))),
                                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(table.Factors(b))));
    };
    __m128i sv = Load4(s + 4 * i), dv = Load4(d + 4 * i);
    __m128i out =
        _mm_and_si128(_mm_adds_epu8(dv, ScaleLanes(sv, half(mm[0], mm[1]), half(mm[2], mm[3]))), ColourBytes());
    Store4(d + 4 * i, Select(ZeroMaskLanes(m4), dv, out));
  }
  return i;
}

int FillBlendSse2(uint8_t* d, int n, uint32_t pixel, uint32_t w, int i) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i pv = _mm_set1_epi32(static_cast<int>(pixel));
  // w * pixel per channel is the same for every pixel: computed once.
  const __m128i weighted = _mm_mullo_epi16(_mm_unpacklo_epi8(pv, zero), _mm_set1_epi16(static_cast<short>(w)));
  const __m128i inverse = _mm_set1_epi16(static_cast<short>(255 - w));
  for (; i + 4 <= n; i += 4) {
    __m128i dv = Load4(d + 4 * i);
    __m128i lo = _mm_srli_epi16(_mm_add_epi16(weighted, _mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), inverse)), 8);
    __m128i hi = _mm_srli_epi16(_mm_add_epi16(weighted, _mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), inverse)), 8);
    __m128i out = _mm_and_si128(_mm_packus_epi16(lo, hi), ColourBytes());
    Store4(d + 4 * i, Select(_mm_cmpeq_epi32(dv, pv), dv, out));
  }
  return i;
}

// ---------------- AVX2 (eight pixels; unpacks and packs stay within 128-bit
// halves, so pixel order is kept without permutes) ----------------

ORVO_AVX2 inline __m256i Load8(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
ORVO_AVX2 inline void Store8(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
ORVO_AVX2 inline __m256i ColourBytes8() { return _mm256_set1_epi32(0x00FFFFFF); }

ORVO_AVX2 int CopyKeyAvx2(uint8_t* d, const uint8_t* s, int n, uint32_t key, int i) {
  const __m256i vkey = _mm256_set1_epi32(static_cast<int>(key));
  for (; i + 8 <= n; i += 8) {
    __m256i sv = Load8(s + 4 * i);
    __m256i is_key = _mm256_cmpeq_epi32(sv, vkey);
    int bits = _mm256_movemask_epi8(is_key);
    if (bits == -1) continue;
    Store8(d + 4 * i, bits == 0 ? sv : _mm256_blendv_epi8(sv, Load8(d + 4 * i), is_key));
  }
  return i;
}

// floor((w*s + (255-w)*d) / 256) per byte of eight pixels, fourth byte cleared.
ORVO_AVX2 inline __m256i BlendUniform8(__m256i sv, __m256i dv, uint32_t w) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i vw = _mm256_set1_epi16(static_cast<short>(w)), inverse = _mm256_set1_epi16(static_cast<short>(255 - w));
  __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, zero), vw),
                                _mm256_mullo_epi16(_mm256_unpacklo_epi8(dv, zero), inverse));
  __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, zero), vw),
                                _mm256_mullo_epi16(_mm256_unpackhi_epi8(dv, zero), inverse));
  return _mm256_and_si256(_mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8)), ColourBytes8());
}

ORVO_AVX2 int BlendAvx2(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key, bool skip_equal, int i) {
  const bool use_key = key != kNoKey;
  const __m256i vkey = _mm256_set1_epi32(static_cast<int>(static_cast<uint32_t>(key)));
  for (; i + 8 <= n; i += 8) {
    __m256i sv = Load8(s + 4 * i), dv = Load8(d + 4 * i);
    __m256i out = BlendUniform8(sv, dv, w);
    __m256i keep = _mm256_setzero_si256();
    if (use_key) keep = _mm256_cmpeq_epi32(sv, vkey);
    if (skip_equal) keep = _mm256_or_si256(keep, _mm256_cmpeq_epi32(sv, dv));
    Store8(d + 4 * i, _mm256_blendv_epi8(out, dv, keep));
  }
  return i;
}

ORVO_AVX2 int AddAvx2(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key, int i) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i vw = _mm256_set1_epi16(static_cast<short>(w));
  const bool use_key = key != kNoKey;
  const __m256i vkey = _mm256_set1_epi32(static_cast<int>(static_cast<uint32_t>(key)));
  for (; i + 8 <= n; i += 8) {
    __m256i sv = Load8(s + 4 * i), dv = Load8(d + 4 * i);
    __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, zero), vw), 8);
    __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, zero), vw), 8);
    __m256i out = _mm256_and_si256(_mm256_adds_epu8(dv, _mm256_packus_epi16(lo, hi)), ColourBytes8());
    if (use_key) out = _mm256_blendv_epi8(out, dv, _mm256_cmpeq_epi32(sv, vkey));
    Store8(d + 4 * i, out);
  }
  return i;
}

ORVO_AVX2 inline __m256i FactorPair(const TWeightTable& table, uint8_t low, uint8_t high) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(table.Factors(low)))),
      _mm_load_si128(reinterpret_cast<const __m128i*>(table.Factors(high))), 1);
}

// Eight pixels of a masked blend.
ORVO_AVX2 inline void MaskGroup8(uint8_t* d, const uint8_t* s, const uint8_t* mm, const TWeightTable& table) {
  const __m256i zero = _mm256_setzero_si256();
  uint64_t m8;
  std::memcpy(&m8, mm, 8);
  if (m8 == (m8 & 0xFF) * 0x0101010101010101ull) {
    // A run of one mask value (the common case) is one skip, copy or blend.
    uint16_t w = table[mm[0]];
    if (w == kSkip) return;
    __m256i sv = Load8(s);
    Store8(d, w == kCopy ? sv : BlendUniform8(sv, Load8(d), w));
    return;
  }
  __m256i sv = Load8(s), dv = Load8(d);
  __m256i lo = _mm256_unpacklo_epi8(sv, dv), hi = _mm256_unpackhi_epi8(sv, dv);  // pixels 0,1|4,5 and 2,3|6,7
  __m256i r0 = _mm256_srli_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), FactorPair(table, mm[0], mm[4])), 8);
  __m256i r1 = _mm256_srli_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), FactorPair(table, mm[1], mm[5])), 8);
  __m256i r2 = _mm256_srli_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), FactorPair(table, mm[2], mm[6])), 8);
  __m256i r3 = _mm256_srli_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), FactorPair(table, mm[3], mm[7])), 8);
  Store8(d, _mm256_packus_epi16(_mm256_packs_epi32(r0, r1), _mm256_packs_epi32(r2, r3)));
}

ORVO_AVX2 int MaskAvx2(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table, int i) {
  const bool zero_skips = table[0] == kSkip;
  // Transparent stretches are skipped 32 mask bytes at a time.
  for (; i + 32 <= n; i += 32) {
    __m256i mv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m + i));
    if (zero_skips && _mm256_testz_si256(mv, mv)) continue;
    for (int k = 0; k < 32; k += 8) MaskGroup8(d + 4 * (i + k), s + 4 * (i + k), m + i + k, table);
  }
  for (; i + 8 <= n; i += 8) MaskGroup8(d + 4 * i, s + 4 * i, m + i, table);
  return i;
}

}  // namespace

void SetSimdLevel(TSimdLevel level) {
  if (level == TSimdLevel::Avx2 && kBestLevel != TSimdLevel::Avx2) level = TSimdLevel::Sse2;
  current_level.store(level, std::memory_order_relaxed);
}

TSimdLevel SimdLevel() { return current_level.load(std::memory_order_relaxed); }

void CopyKeyRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t key) {
  int i = 0;
  if (UseAvx2()) i = CopyKeyAvx2(d, s, n, key, i);
  i = CopyKeySse2(d, s, n, key, i);
  ScalarCopyKeyRow<TFormat32>(d + 4 * i, s + 4 * i, 1, n - i, key);
}

void BlendRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key, bool skip_equal) {
  int i = 0;
  if (UseAvx2()) i = BlendAvx2(d, s, n, w, key, skip_equal, i);
  i = BlendSse2(d, s, n, w, key, skip_equal, i);
  ScalarBlendRow<TFormat32>(d + 4 * i, s + 4 * i, 1, n - i, w, key, skip_equal);
}

void AddRow32Simd(uint8_t* d, const uint8_t* s, int n, uint32_t w, uint64_t key) {
  int i = 0;
  if (UseAvx2()) i = AddAvx2(d, s, n, w, key, i);
  i = AddSse2(d, s, n, w, key, i);
  ScalarAddRow<TFormat32>(d + 4 * i, s + 4 * i, 1, n - i, w, key);
}

void MaskRow32Simd(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table) {
  int i = 0;
  if (UseAvx2()) i = MaskAvx2(d, s, m, n, table, i);
  i = MaskSse2(d, s, m, n, table, i);
  ScalarMaskRow<TFormat32>(d + 4 * i, s + 4 * i, m + i, 1, n - i, table);
}

void MaskAddRow32Simd(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, const TWeightTable& table) {
  int i = 0;
  i = MaskAddSse2(d, s, m, n, table, i);
  ScalarMaskAddRow<TFormat32>(d + 4 * i, s + 4 * i, m + i, 1, n - i, table);
}

void ColorMaskRow32Simd(uint8_t* d, const uint8_t* m, int n, uint32_t pixel, const TWeightTable& table,
                        bool skip_equal) {
  int i = 0;
  i = ColorMaskSse2(d, m, n, pixel, table, skip_equal, i);
  ScalarColorMaskRow<TFormat32>(d + 4 * i, m + i, 1, n - i, pixel, table, skip_equal);
}

void FillBlendRow32Simd(uint8_t* d, int n, uint32_t pixel, uint32_t w) {
  int i = 0;
  i = FillBlendSse2(d, n, pixel, w, i);
  ScalarFillBlendRow<TFormat32>(d + 4 * i, n - i, pixel, w);
}

}  // namespace orvo::pixel
