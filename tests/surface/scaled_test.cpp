// Stretching, rotation, tiles, patterns, the palette draws and the
// anti-aliased coverage draws.
#include <gtest/gtest.h>

#include <cmath>

#include "surface/dibx.h"
#include "surface_helpers.h"

namespace orvo {
namespace {

using test::FilledSurface;
using test::MakeSurface;
using test::Native;
using test::Pixels;

std::vector<uint32_t> Row(const TCustomDIBX& surface, int32_t y) {
  std::vector<uint32_t> out;
  for (int32_t x = 0; x < surface.Width(); ++x) out.push_back(surface.GetPixel(x, y));
  return out;
}

struct TStretchCase {
  const char* name;
  int source_width;
  TRect dest;
  TRect clip;
  TDrawFlags flags;
  std::vector<uint32_t> centred;  // 15, 16 and 32 bits: samples at pixel centres
  std::vector<uint32_t> edges;    // 8 and 24 bits: samples from the edges
};

TEST(StretchDraw, SamplesPerFormat) {
  using F = TDrawFlags;
  const TStretchCase cases[] = {
      {"3 to 2", 3, {0, 0, 2, 1}, {0, 0, 8, 1}, F::None, {1, 3, 0, 0, 0, 0, 0, 0}, {1, 2, 0, 0, 0, 0, 0, 0}},
      {"5 to 3", 5, {0, 0, 3, 1}, {0, 0, 8, 1}, F::None, {1, 3, 5, 0, 0, 0, 0, 0}, {1, 2, 4, 0, 0, 0, 0, 0}},
      {"3 to 2 flipped", 3, {0, 0, 2, 1}, {0, 0, 8, 1}, F::FlipH, {3, 1, 0, 0, 0, 0, 0, 0}, {3, 1, 0, 0, 0, 0, 0, 0}},
      {"2 to 8 doubles and carries the clipped fraction",
       2,
       {0, 0, 8, 1},
       {3, 0, 8, 1},
       F::None,
       {0, 0, 0, 1, 2, 2, 2, 2},
       {0, 0, 0, 1, 2, 2, 2, 2}},
      // The edge walk starts flipped rows at (right - 1) - fraction: it runs
      // off the left edge one column early, and that column stays.
      {"4 to 8 flipped with a left cut",
       4,
       {0, 0, 8, 1},
       {1, 0, 8, 1},
       F::FlipH,
       {0, 4, 3, 3, 2, 2, 1, 1},
       {0, 3, 3, 2, 2, 1, 1, 0}},
      {"key", 3, {0, 0, 6, 1}, {0, 0, 8, 1}, F::UseKey, {1, 1, 0, 0, 3, 3, 0, 0}, {1, 1, 0, 0, 3, 3, 0, 0}},
  };
  for (int bits : test::kAllFormats) {
    bool centred = bits == 15 || bits == 16 || bits == 32;
    for (const auto& c : cases) {
      std::vector<uint32_t> values;
      for (int i = 0; i < c.source_width; ++i) values.push_back(static_cast<uint32_t>(i + 1));
      auto src = MakeSurface(bits, c.source_width, 1, values);
      src->SetKeyColor(2);
      auto dst = FilledSurface(bits, 8, 1, 0);
      dst->SetClipRect(c.clip);
      dst->StretchDraw(c.dest, *src, src->GetBounds(), c.flags, 255);
      EXPECT_EQ(Row(*dst, 0), centred ? c.centred : c.edges) << bits << " bits: " << c.name;
    }
  }
}

TEST(StretchDraw, TenColumnsToTwentyRepeatEachColumnTwiceOn32Bits) {
  std::vector<uint32_t> values;
  for (uint32_t i = 1; i <= 10; ++i) values.push_back(i);
  auto src = MakeSurface(32, 10, 1, values);
  auto dst = FilledSurface(32, 20, 1, 0);
  dst->StretchDraw({0, 0, 20, 1}, *src, src->GetBounds(), TDrawFlags::None, 255);
  std::vector<uint32_t> expected;
  for (uint32_t i = 1; i <= 10; ++i) expected.insert(expected.end(), {i, i});
  EXPECT_EQ(Row(*dst, 0), expected);
}

TEST(StretchDraw, DestinationsWiderThanTheOldColumnTableAreDrawnWhole) {
  auto src = MakeSurface(32, 2, 1, {1, 2});
  auto dst = FilledSurface(32, 1500, 1, 0);
  dst->StretchDraw({0, 0, 1500, 1}, *src, src->GetBounds(), TDrawFlags::None, 255);
  EXPECT_EQ(dst->GetPixel(0, 0), 1u);
  EXPECT_EQ(dst->GetPixel(1499, 0), 2u);
  std::vector<uint32_t> pixels = Pixels(*dst);
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0u), 0);
}

TEST(StretchDraw, MaskAndAdditiveWeights) {
  auto src = FilledSurface(32, 1, 1, 0xFFFFFF);
  auto mask = FilledSurface(8, 1, 1, 128);
  struct TCase {
    const char* name;
    int bits;
    int op;  // 0 mask, 1 add, 2 mask add
    int opacity;
    uint32_t expected;
  } cases[] = {
      {"mask at 255 on 32 uses the mask", 32, 0, 255, Native(32, 127, 127, 127)},
      {"mask at 255 on 24 scales it", 24, 0, 255, Native(24, 126, 126, 126)},
      {"mask at 128", 32, 0, 128, Native(32, 63, 63, 63)},
      {"add", 32, 1, 128, Native(32, 127, 127, 127)},
      {"mask add", 32, 2, 255, Native(32, 126, 126, 126)},
  };
  for (const auto& c : cases) {
    auto s = FilledSurface(c.bits, 1, 1, 0xFFFFFF);
    auto d = FilledSurface(c.bits, 2, 2, 0);
    if (c.op == 0) d->StretchDrawMask({0, 0, 2, 2}, *s, s->GetBounds(), TDrawFlags::None, *mask, c.opacity);
    if (c.op == 1) d->StretchDrawAdd({0, 0, 2, 2}, *s, s->GetBounds(), TDrawFlags::None, c.opacity);
    if (c.op == 2) d->StretchDrawMaskAdd({0, 0, 2, 2}, *s, s->GetBounds(), TDrawFlags::None, *mask, c.opacity);
    EXPECT_EQ(Pixels(*d), std::vector<uint32_t>(4, c.expected)) << c.name;
  }
}

TEST(DrawTransformed, QuarterTurnClockwiseAboutThePivot) {
  for (int bits : test::kAllFormats) {
    auto src = MakeSurface(bits, 2, 2, {1, 2, 3, 4});  // A B / C D
    auto dst = FilledSurface(bits, 8, 8, 0);
    dst->DrawTransformed(5, 5, 1, 1, *src, src->GetBounds(), 1, 1, std::acos(-1.0L) / 2, TDrawFlags::None, 255);
    std::vector<uint32_t> expected(64, 0);
    expected[4 * 8 + 5] = 3;  // C A
    expected[4 * 8 + 6] = 1;
    expected[5 * 8 + 5] = 4;  // D B
    expected[5 * 8 + 6] = 2;
    EXPECT_EQ(Pixels(*dst), expected) << bits;
  }
}

TEST(DrawTransformed, IdentityEqualsDraw) {
  test::TTestRandom random(7);
  for (int round = 0; round < 300; ++round) {
    int bits = test::kAllFormats[random.Range(0, 4)];
    auto src = test::RandomSurface(random, bits, random.Range(1, 9), random.Range(1, 9));
    if (random.Range(0, 1)) src->SetKeyColor(static_cast<int32_t>(src->GetPixel(0, 0)));
    TRect source_rect{random.Range(-2, 4), random.Range(-2, 4), 0, 0};
    source_rect.right = source_rect.left + random.Range(1, 9);
    source_rect.bottom = source_rect.top + random.Range(1, 9);
    auto flags = static_cast<TDrawFlags>(random.Range(0, 7));
    int32_t x = random.Range(-6, 12), y = random.Range(-6, 12);
    TRect clip{random.Range(0, 6), random.Range(0, 6), random.Range(5, 12), random.Range(5, 12)};
    auto expected = test::RandomSurface(random, bits, 12, 12);
    auto actual = FilledSurface(bits, 12, 12, 0);
    actual->Assign(*expected);
    expected->SetClipRect(clip);
    actual->SetClipRect(clip);
    expected->Draw(x, y, *src, source_rect, flags);
    actual->DrawTransformed(x, y, 1, 1, *src, source_rect, source_rect.left, source_rect.top, 0, flags, 255);
    ASSERT_EQ(Pixels(*actual), Pixels(*expected))
        << "round " << round << " bits " << bits << " flags " << static_cast<int>(flags) << " at " << x << "," << y
        << " rect " << source_rect.left << "," << source_rect.top << "," << source_rect.right << ","
        << source_rect.bottom << " source " << src->Width() << "x" << src->Height() << " clip " << clip.left << ","
        << clip.top << "," << clip.right << "," << clip.bottom;
  }
}

TEST(DrawTransformed, OpacityRangesAndMask) {
  auto src = FilledSurface(32, 1, 1, Native(32, 200, 100, 50));
  auto mask = FilledSurface(8, 1, 1, 128);
  struct TCase {
    int opacity;
    bool masked;
    uint32_t expected;
  } cases[] = {
      {128, false, Native(32, 104, 59, 39)},  // blend as DrawBlend
      {384, false, Native(32, 110, 70, 55)},  // add at 128: 10 + 100, 20 + 50, 30 + 25
      {511, false, Native(32, 209, 119, 79)}, {255, true, Native(32, 104, 59, 39)},  // mask 128 is the weight
      {384, true, Native(32, 60, 45, 42)},  // add at floor(128 * 128 / 256) = 64
  };
  for (const auto& c : cases) {
    auto dst = FilledSurface(32, 1, 1, Native(32, 10, 20, 30));
    if (c.masked) {
      dst->DrawTransformedMask(0, 0, 1, 1, *src, src->GetBounds(), 0, 0, 0, TDrawFlags::None, *mask, c.opacity);
    } else {
      dst->DrawTransformed(0, 0, 1, 1, *src, src->GetBounds(), 0, 0, 0, TDrawFlags::None, c.opacity);
    }
    EXPECT_EQ(dst->GetPixel(0, 0), c.expected) << c.opacity << (c.masked ? " masked" : "");
  }
}

TEST(DrawTransformed, ExtremeScalesAndPositionsStayInBounds) {
  auto src = MakeSurface(32, 3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  auto dst = FilledSurface(32, 16, 16, 0);
  const long double scales[] = {1e-30L, 1e-6L, 0.25L, 4000.0L, 1e30L};
  for (long double scale : scales) {
    for (int32_t at : {INT32_MIN, -70000, 5, 70000, INT32_MAX}) {
      dst->DrawTransformed(at, 5, scale, scale, *src, src->GetBounds(), 1, 1, 0.3L, TDrawFlags::None, 255);
      dst->DrawTransformed(5, at, scale, 1, *src, {-100, -100, 100, 100}, INT32_MIN, INT32_MAX, 2.0L, TDrawFlags::FlipH,
                           300);
    }
  }
  // At a large scale the pivot (the top-left corner of the middle pixel)
  // lands on (8, 8): the quadrants show the four pixels around that corner.
  auto big = FilledSurface(32, 16, 16, 0);
  big->DrawTransformed(8, 8, 1000, 1000, *src, src->GetBounds(), 1, 1, 0, TDrawFlags::None, 255);
  EXPECT_EQ(big->GetPixel(0, 0), 1u);
  EXPECT_EQ(big->GetPixel(15, 0), 2u);
  EXPECT_EQ(big->GetPixel(0, 15), 4u);
  EXPECT_EQ(big->GetPixel(8, 8), 5u);
  EXPECT_EQ(big->GetPixel(15, 15), 5u);
  dst->DrawTransformed(0, 0, 0, 1, *src, src->GetBounds(), 0, 0, 0, TDrawFlags::None, 255);
  dst->DrawTransformed(0, 0, NAN, 1, *src, src->GetBounds(), 0, 0, 0, TDrawFlags::None, 255);
}

TEST(DrawTransformedSmooth, AveragesFourSamplesAtIdentity) {
  // At the identity pixel x samples x - 0.5 and x, rows y - 0.5 and y, each
  // rounded to even: pixel 1 reads columns 0 and 1 twice, pixel 2 column 2
  // four times. Colours are sum(c * 255) / count / 256, so 60 becomes 59.
  auto src = MakeSurface(32, 3, 1, {Native(32, 0, 0, 0), Native(32, 200, 100, 40), Native(32, 60, 60, 60)});
  auto dst = FilledSurface(32, 3, 1, Native(32, 9, 9, 9));
  dst->DrawTransformedSmooth(0, 0, 1, 1, *src, src->GetBounds(), 0, 0, 0, TDrawFlags::None, nullptr, 255);
  EXPECT_EQ(dst->GetPixel(1, 0), Native(32, 99, 49, 19));
  EXPECT_EQ(dst->GetPixel(2, 0), Native(32, 59, 59, 59));
  // Half opacity halves the alpha: pixel 2 blends at 127 over 9.
  auto half = FilledSurface(32, 3, 1, Native(32, 9, 9, 9));
  half->DrawTransformedSmooth(0, 0, 1, 1, *src, src->GetBounds(), 0, 0, 0, TDrawFlags::None, nullptr, 128);
  EXPECT_EQ(half->GetPixel(2, 0), Native(32, 33, 33, 33));
}

TEST(Tiles, OriginsWrapWithATrueModulo) {
  auto src = MakeSurface(32, 3, 2, {1, 2, 3, 4, 5, 6});
  struct TCase {
    int32_t origin_x, origin_y, gap_x;
    std::vector<uint32_t> row0;
  } cases[] = {
      {0, 0, 0, {1, 2, 3, 1, 2, 3, 1}},  {-1, 0, 0, {3, 1, 2, 3, 1, 2, 3}}, {4, 0, 0, {2, 3, 1, 2, 3, 1, 2}},
      {0, -1, 0, {4, 5, 6, 4, 5, 6, 4}}, {0, 0, 1, {1, 2, 3, 0, 1, 2, 3}},  {0, 0, -1, {1, 2, 1, 2, 1, 2, 1}},
  };
  for (const auto& c : cases) {
    auto dst = FilledSurface(32, 7, 2, 0);
    dst->TileDraw({0, 0, 7, 2}, c.gap_x, 0, *src, src->GetBounds(), TDrawFlags::None, c.origin_x, c.origin_y);
    EXPECT_EQ(Row(*dst, 0), c.row0) << c.origin_x << "," << c.origin_y << " gap " << c.gap_x;
    EXPECT_EQ(dst->GetClipRect(), dst->GetBounds()) << "the clip is restored";
  }
}

TEST(Tiles, GapsThatWouldNeverAdvanceAreRefused) {
  auto src = MakeSurface(32, 3, 2, {1, 2, 3, 4, 5, 6});
  auto dst = FilledSurface(32, 7, 2, 0);
  dst->TileDraw({0, 0, 7, 2}, -3, 0, *src, src->GetBounds(), TDrawFlags::None, 0, 0);
  dst->TileDrawBlend({0, 0, 7, 2}, 0, -5, *src, src->GetBounds(), TDrawFlags::None, 100, 0, 0);
  EXPECT_EQ(Pixels(*dst), std::vector<uint32_t>(14, 0));
  // A huge rectangle far to the left is walked without drawing every tile.
  dst->TileDraw({INT32_MIN, 0, 7, 2}, 0, 0, *src, src->GetBounds(), TDrawFlags::None, 0, 0);
  EXPECT_NE(dst->GetPixel(0, 0), 0u);
}

TEST(Tiles, StretchedTilesFollowThePitch) {
  auto src = MakeSurface(32, 2, 1, {1, 2});
  auto dst = FilledSurface(32, 9, 1, 0);
  // Tiles 4 wide every 4 pixels (pitch 2 source pixels at scale 2).
  dst->TileStretchDraw({0, 0, 9, 1}, 2, 1, 2, 1, *src, src->GetBounds(), TDrawFlags::None, 255, 0, 0);
  EXPECT_EQ(Row(*dst, 0), (std::vector<uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 1}));
  auto gapped = FilledSurface(32, 9, 1, 0);
  gapped->TileStretchDraw({0, 0, 9, 1}, 3, 1, 2, 1, *src, src->GetBounds(), TDrawFlags::None, 255, -1, 0);
  // Pitch 6: first tile at 0 - (6 + frac(-1/6) * 6) = -5, then 1, 7.
  EXPECT_EQ(Row(*gapped, 0), (std::vector<uint32_t>{0, 1, 1, 2, 2, 0, 0, 1, 1}));
}

TEST(PatternFill, WrapsFromTheOriginAndMirrors) {
  auto texture = MakeSurface(16, 3, 2, {1, 2, 3, 4, 5, 6});
  struct TCase {
    int32_t origin_x, origin_y;
    TDrawFlags flags;
    TRect clip;
    std::vector<uint32_t> row0;
  } cases[] = {
      {0, 0, TDrawFlags::None, {0, 0, 5, 2}, {1, 2, 3, 1, 2}},
      {-1, 1, TDrawFlags::None, {0, 0, 5, 2}, {6, 4, 5, 6, 4}},
      {0, 0, TDrawFlags::FlipH, {0, 0, 5, 2}, {3, 2, 1, 3, 2}},
      {1, 0, TDrawFlags::FlipH | TDrawFlags::FlipV, {0, 0, 5, 2}, {5, 4, 6, 5, 4}},
      {0, 0, TDrawFlags::None, {2, 0, 5, 2}, {0, 0, 3, 1, 2}},
  };
  for (const auto& c : cases) {
    auto dst = FilledSurface(16, 5, 2, 0);
    dst->SetClipRect(c.clip);
    dst->PatternFill({0, 0, 5, 2}, *texture, c.origin_x, c.origin_y, c.flags);
    EXPECT_EQ(Row(*dst, 0), c.row0) << c.origin_x << "," << c.origin_y;
  }
  auto empty = std::make_unique<TDIBX>();
  auto dst = FilledSurface(16, 5, 2, 0);
  dst->PatternFill({0, 0, 5, 2}, *empty, 0, 0, TDrawFlags::None);
  dst->ScaledPatternFill({0, 0, 5, 2}, *empty, 1, 1, 0, 0, TDrawFlags::None, 255);
  EXPECT_EQ(Pixels(*dst), std::vector<uint32_t>(10, 0));
}

TEST(ScaledPatternFill, StepsThroughTheTextureAtScale) {
  auto texture = MakeSurface(32, 4, 1, {1, 2, 3, 4});
  struct TCase {
    long double scale;
    int32_t origin;
    TDrawFlags flags;
    std::vector<uint32_t> row;
  } cases[] = {
      {1, 0, TDrawFlags::None, {1, 2, 3, 4, 1, 2}},  {2, 0, TDrawFlags::None, {1, 1, 2, 2, 3, 3}},
      {2, 3, TDrawFlags::None, {2, 3, 3, 4, 4, 1}},  {1, -1, TDrawFlags::None, {4, 1, 2, 3, 4, 1}},
      {1, 0, TDrawFlags::FlipH, {1, 4, 3, 2, 1, 4}},
  };
  for (const auto& c : cases) {
    auto dst = FilledSurface(32, 6, 1, 0);
    dst->ScaledPatternFill({0, 0, 6, 1}, *texture, c.scale, 1, c.origin, 0, c.flags, 255);
    EXPECT_EQ(Row(*dst, 0), c.row) << static_cast<double>(c.scale) << " origin " << c.origin;
  }
}

TEST(PaletteDraws, ThresholdsKeysAndFormats) {
  TBytePalette table{};
  table[16] = Native(32, 100, 100, 100);
  table[17] = Native(32, 100, 100, 100);
  auto heat = MakeSurface(8, 2, 1, {16, 17});
  heat->SetKeyColor(16);
  // 32 bits use the threshold, 24 bits add the indices above the key.
  auto d32 = FilledSurface(32, 2, 1, 0);
  d32->DrawPaletteAdd(0, 0, *heat, heat->GetBounds(), 17, TDrawFlags::None, 255, table);
  EXPECT_EQ(Row(*d32, 0), (std::vector<uint32_t>{0, Native(32, 99, 99, 99)}));
  auto d24 = FilledSurface(24, 2, 1, 0);
  d24->DrawPaletteAdd(0, 0, *heat, heat->GetBounds(), 0, TDrawFlags::None, 255, table);
  EXPECT_EQ(Row(*d24, 0), (std::vector<uint32_t>{0, Native(24, 99, 99, 99)}));
  // The stretched form draws only on 15, 16 and 32 bits.
  d24->StretchDrawPaletteAdd({0, 0, 2, 1}, *heat, heat->GetBounds(), 0, TDrawFlags::None, 255, table);
  EXPECT_EQ(d24->GetPixel(0, 0), 0u);
  auto wide = FilledSurface(32, 4, 1, 0);
  wide->StretchDrawPaletteAdd({0, 0, 4, 1}, *heat, heat->GetBounds(), 17, TDrawFlags::None, 255, table);
  EXPECT_EQ(Row(*wide, 0), (std::vector<uint32_t>{0, 0, Native(32, 99, 99, 99), Native(32, 99, 99, 99)}));
}

TEST(PaletteDraws, NibblePaletteModes) {
  TNibblePalette table{};
  table[1] = Native(16, 31, 0, 0);
  table[2] = Native(16, 10, 10, 10);
  table[3] = 0;
  auto source = std::make_unique<TDIBX>();
  source->SetSize(4, 1, 4);
  const uint32_t indices[] = {1, 2, 3, 5};
  for (int x = 0; x < 4; ++x) source->SetPixel(x, 0, indices[x]);
  source->SetKeyColor(5);
  struct TCase {
    int bits, opacity;
    std::vector<uint32_t> row;
  } cases[] = {
      {16, 255, {Native(16, 31, 0, 0), Native(16, 10, 10, 10), 0, 7}},
      {16, 256 + 128, {Native(16, 15, 0, 7), Native(16, 5, 5, 12), 7, 7}},
      {24, 255, {7, 7, 7, 7}},
  };
  for (const auto& c : cases) {
    auto dst = FilledSurface(c.bits, 4, 1, 7);
    dst->DrawNibblePalette(0, 0, *source, source->GetBounds(), TDrawFlags::None, c.opacity, table);
    EXPECT_EQ(Row(*dst, 0), c.row) << c.bits << " at " << c.opacity;
  }
}

// A 1- or 4-bit source of block x block pixels from a list of values.
std::unique_ptr<TDIBX> CoverageSource(int bits, int32_t width, int32_t height, const std::vector<uint32_t>& values) {
  auto source = std::make_unique<TDIBX>();
  source->SetSize(width, height, bits);
  for (int32_t i = 0; i < width * height; ++i) source->SetPixel(i % width, i / width, values[i]);
  return source;
}

TEST(Coverage, InkCountsBlendTheColour) {
  // 8 of 16 bits are ink (0): the average of colour and destination, truncated.
  std::vector<uint32_t> half(16, 1);
  for (int i = 0; i < 8; ++i) half[i] = 0;
  auto source = CoverageSource(1, 4, 4, half);
  auto dst = FilledSurface(32, 1, 1, Native(32, 0, 255, 51));
  dst->DrawCoverage(0, 0, *source, source->GetBounds(), Native(32, 255, 0, 100), TDrawFlags::None, 255, 4);
  EXPECT_EQ(dst->GetPixel(0, 0), Native(32, 127, 127, 75));
  // Below full opacity the count is scaled: floor(128 * 8 / 256) = 4.
  auto faint = FilledSurface(16, 1, 1, 0);
  faint->DrawCoverage(0, 0, *source, source->GetBounds(), Native(16, 31, 63, 31), TDrawFlags::None, 128, 4);
  EXPECT_EQ(faint->GetPixel(0, 0), Native(16, 7, 15, 7));
}

TEST(Coverage, ClipsWholeBlocksFromTheFarSideWhenFlipped) {
  // Two blocks side by side: the left all ink, the right blank.
  std::vector<uint32_t> bits(32, 1);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) bits[y * 8 + x] = 0;
  }
  auto source = CoverageSource(1, 8, 4, bits);
  for (auto flags : {TDrawFlags::None, TDrawFlags::FlipH}) {
    auto dst = FilledSurface(32, 2, 1, 0);
    dst->DrawCoverage(-1, 0, *source, source->GetBounds(), 0xFFFFFF, flags, 255, 4);
    uint32_t expected = flags == TDrawFlags::None ? 0u : 0xFFFFFFu;
    EXPECT_EQ(dst->GetPixel(0, 0), expected);
    EXPECT_EQ(dst->GetPixel(1, 0), 0u);
  }
}

TEST(Coverage, ThreeColours) {
  TColor3 colours{Native(32, 200, 0, 0), Native(32, 0, 200, 0), Native(32, 0, 0, 200)};
  struct TCase {
    const char* name;
    std::vector<uint32_t> counts;  // how many of the 16 samples take each value 0..3
    int opacity;
    uint32_t dest, expected;
  } cases[] = {
      {"all transparent", {16, 0, 0, 0}, 255, 9, 9},
      {"all c2", {0, 0, 16, 0}, 255, 9, Native(32, 0, 200, 0)},
      {"all c3", {0, 0, 0, 16}, 255, 9, Native(32, 0, 0, 200)},
      {"mixed", {8, 4, 0, 4}, 255, Native(32, 100, 100, 100), Native(32, 100, 50, 100)},
      {"half opacity", {0, 16, 0, 0}, 128, Native(32, 0, 0, 0), Native(32, 100, 0, 0)},
      {"additive", {8, 8, 0, 0}, 300, Native(32, 250, 10, 10), Native(32, 255, 10, 10)},
  };
  for (const auto& c : cases) {
    std::vector<uint32_t> values;
    for (uint32_t v = 0; v < 4; ++v) values.insert(values.end(), c.counts[v], v);
    auto source = CoverageSource(4, 4, 4, values);
    auto dst = FilledSurface(32, 1, 1, c.dest);
    dst->DrawCoverage3(0, 0, *source, source->GetBounds(), colours, TDrawFlags::None, c.opacity, 4);
    EXPECT_EQ(dst->GetPixel(0, 0), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace orvo
