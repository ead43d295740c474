// The SIMD row kernels against the per-pixel reference, on random rows of
// every length around the vector width, and whole operations with the SIMD
// paths switched off.
#include <gtest/gtest.h>

#include <functional>

#include "surface/dibx.h"
#include "surface/kernels.h"
#include "surface_helpers.h"

namespace orvo {
namespace {

using namespace pixel;

struct TKernelCase {
  const char* name;
  // Runs the kernel on (dest, source, mask, count) with the given SIMD setting.
  std::function<void(uint8_t*, const uint8_t*, const uint8_t*, int, test::TTestRandom&)> run;
};

TWeightTable RandomTable(test::TTestRandom& random, bool add) {
  if (add) return TWeightTable::Add([&](uint32_t) { return static_cast<uint16_t>(random.Range(0, 256)); });
  return TWeightTable::Blend([&](uint32_t) -> uint16_t {
    int pick = random.Range(0, 9);
    return pick == 0 ? kSkip : pick == 1 ? kCopy : static_cast<uint16_t>(random.Range(0, 255));
  });
}

TEST(Kernels, SimdMatchesTheReference) {
  const TKernelCase cases[] = {
      {"copy key",
       [](uint8_t* d, const uint8_t* s, const uint8_t*, int n, test::TTestRandom& r) {
         CopyKeyRow<TFormat32>(d, s, 1, n, r.Range(0, 1) ? TFormat32::Load(s) : 0x00123456);
       }},
      {"blend",
       [](uint8_t* d, const uint8_t* s, const uint8_t*, int n, test::TTestRandom& r) {
         uint64_t key = r.Range(0, 1) ? kNoKey : 0x00123456;
         BlendRow<TFormat32>(d, s, 1, n, static_cast<uint32_t>(r.Range(0, 255)), key, r.Range(0, 1) == 1);
       }},
      {"add",
       [](uint8_t* d, const uint8_t* s, const uint8_t*, int n, test::TTestRandom& r) {
         uint64_t key = r.Range(0, 1) ? kNoKey : 0x00123456;
         AddRow<TFormat32>(d, s, 1, n, static_cast<uint32_t>(r.Range(0, 256)), key);
       }},
      {"mask", [](uint8_t* d, const uint8_t* s, const uint8_t* m, int n,
                  test::TTestRandom& r) { MaskRow<TFormat32>(d, s, m, 1, n, RandomTable(r, false)); }},
      {"mask add", [](uint8_t* d, const uint8_t* s, const uint8_t* m, int n,
                      test::TTestRandom& r) { MaskAddRow<TFormat32>(d, s, m, 1, n, RandomTable(r, true)); }},
      {"colour mask",
       [](uint8_t* d, const uint8_t* s, const uint8_t* m, int n, test::TTestRandom& r) {
         ColorMaskRow<TFormat32>(d, m, 1, n, TFormat32::Load(s), RandomTable(r, false), r.Range(0, 1) == 1);
       }},
      {"fill blend",
       [](uint8_t* d, const uint8_t* s, const uint8_t*, int n, test::TTestRandom& r) {
         FillBlendRow<TFormat32>(d, n, TFormat32::Load(s), static_cast<uint32_t>(r.Range(0, 255)));
       }},
  };
  for (const auto& c : cases) {
    for (int round = 0; round < 400; ++round) {
      test::TTestRandom data(round);
      int n = data.Range(1, 41);
      std::vector<uint8_t> dest(4 * n), source(4 * n), mask(n);
      for (int i = 0; i < n; ++i) {
        uint32_t s = data.Range(0, 2) ? data.Next() : 0x00123456;
        uint32_t d = data.Range(0, 2) ? data.Next() : s;  // equal pixels occur
        TFormat32::Store(source.data() + 4 * i, s);
        TFormat32::Store(dest.data() + 4 * i, d);
        int pick = data.Range(0, 3);
        mask[i] = static_cast<uint8_t>(pick == 0 ? 0 : pick == 1 ? 255 : data.Range(0, 255));
      }
      std::vector<uint8_t> expected = dest;
      test::TTestRandom params_a(round * 31 + 1);
      SetSimdLevel(TSimdLevel::Scalar);
      c.run(expected.data(), source.data(), mask.data(), n, params_a);
      for (TSimdLevel level : {TSimdLevel::Sse2, TSimdLevel::Avx2}) {
        std::vector<uint8_t> actual = dest;
        test::TTestRandom params_b(round * 31 + 1);
        SetSimdLevel(level);
        c.run(actual.data(), source.data(), mask.data(), n, params_b);
        ASSERT_EQ(actual, expected) << c.name << " round " << round << " length " << n << " level "
                                    << static_cast<int>(level);
      }
      SetSimdLevel(TSimdLevel::Avx2);
    }
  }
}

TEST(Kernels, WholeOperationsAgreeWithTheReference) {
  test::TTestRandom random(99);
  for (int round = 0; round < 60; ++round) {
    auto src = test::RandomSurface(random, 32, random.Range(1, 40), random.Range(1, 5));
    src->SetKeyColor(0x00123456);
    auto mask = test::RandomSurface(random, 8, src->Width(), src->Height());
    auto base = test::RandomSurface(random, 32, 45, 6);
    int opacity = random.Range(1, 254);
    int32_t x = random.Range(-5, 10);
    std::vector<uint32_t> results[3];
    for (int level = 0; level < 3; ++level) {
      SetSimdLevel(static_cast<TSimdLevel>(level));
      auto dst = test::FilledSurface(32, 45, 6, 0);
      dst->Assign(*base);
      dst->DrawBlend(x, 0, *src, src->GetBounds(), TDrawFlags::UseKey, opacity);
      dst->DrawMaskBlend(x + 1, 1, *src, src->GetBounds(), TDrawFlags::None, *mask, opacity);
      dst->DrawMaskAdd(x, 0, *src, src->GetBounds(), TDrawFlags::None, *mask, opacity);
      dst->StretchDrawMask({0, 0, 45, 6}, *src, src->GetBounds(), TDrawFlags::None, *mask, 255);
      dst->DrawColorMask(x, 2, *mask, mask->GetBounds(), TDrawFlags::None, 0x00ABCDEF, opacity);
      dst->FillRectBlend({3, 1, 40, 5}, 0x00FFFFFF, opacity);
      results[level] = test::Pixels(*dst);
    }
    SetSimdLevel(TSimdLevel::Avx2);
    ASSERT_EQ(results[1], results[0]) << "round " << round;
    ASSERT_EQ(results[2], results[0]) << "round " << round;
  }
}

}  // namespace
}  // namespace orvo
