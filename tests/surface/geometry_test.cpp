// Clipping, flips, keys, sources that share memory with the destination,
// Assign and the wave proxy.
#include <gtest/gtest.h>

#include "surface/dibx.h"
#include "surface/dibx_wave.h"
#include "surface_helpers.h"

namespace orvo {
namespace {

using test::FilledSurface;
using test::MakeSurface;
using test::Pixels;

TEST(Clip, AddClipClampsAndMerges) {
  struct TCase {
    const char* name;
    std::vector<TRect> adds;
    TRect expected;
  } cases[] = {
      {"none set is the whole surface", {}, {0, 0, 10, 8}},
      {"outside leaves the clip as it was", {{2, 2, 4, 4}, {20, 20, 30, 30}}, {2, 2, 4, 4}},
      {"outside with nothing set keeps it unset", {{-9, 0, -1, 5}}, {0, 0, 10, 8}},
      {"clamped to the surface", {{-5, -5, 3, 100}}, {0, 0, 3, 8}},
      {"two disjoint rectangles give their bounding box", {{1, 1, 2, 2}, {6, 5, 7, 6}}, {1, 1, 7, 6}},
  };
  for (const auto& c : cases) {
    auto surface = FilledSurface(32, 10, 8, 0);
    for (const auto& r : c.adds) surface->AddClip(r);
    EXPECT_EQ(surface->GetClipRect(), c.expected) << c.name;
  }
}

TEST(Clip, SetClipRectIsKeptInsideTheSurface) {
  auto surface = FilledSurface(32, 4, 4, 0);
  surface->SetClipRect({-100, 2, 100, 100});
  EXPECT_EQ(surface->GetClipRect(), (TRect{0, 2, 4, 4}));
  surface->FillRect({-50, -50, 50, 50}, 7);
  EXPECT_EQ(Pixels(*surface), (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 0, 7, 7, 7, 7, 7, 7, 7, 7}));
  // An empty clip draws nothing (it does not fall back to the whole surface).
  surface->SetClipRect({-3, 0, 0, 4});
  surface->FillRect(surface->GetBounds(), 9);
  EXPECT_EQ(surface->GetPixel(0, 0), 0u);
  surface->ResetClip();
  EXPECT_EQ(surface->GetClipRect(), surface->GetBounds());
}

// Source pixels are numbered 1..n so each destination value names its source.
struct TBlitCase {
  const char* name;
  int32_t x, y;
  TRect source_rect;
  TDrawFlags flags;
  TRect clip;
  std::vector<uint32_t> expected;  // 4 x 2 destination, row-major
};

TEST(Draw, ClipsFlipsAndCutsTheSourceOnTheRightSide) {
  using F = TDrawFlags;
  const TBlitCase cases[] = {
      {"plain", 1, 0, {0, 0, 3, 2}, F::None, {0, 0, 4, 2}, {0, 1, 2, 3, 0, 4, 5, 6}},
      {"left cut", -1, 0, {0, 0, 3, 2}, F::None, {0, 0, 4, 2}, {2, 3, 0, 0, 5, 6, 0, 0}},
      {"left cut with flipH keeps the left part mirrored",
       -1,
       0,
       {0, 0, 3, 2},
       F::FlipH,
       {0, 0, 4, 2},
       {2, 1, 0, 0, 5, 4, 0, 0}},
      {"right cut with flipH", 2, 0, {0, 0, 3, 2}, F::FlipH, {0, 0, 4, 2}, {0, 0, 3, 2, 0, 0, 6, 5}},
      {"flipV", 0, 0, {0, 0, 3, 2}, F::FlipV, {0, 0, 4, 2}, {4, 5, 6, 0, 1, 2, 3, 0}},
      {"top cut with flipV", 0, -1, {0, 0, 3, 2}, F::FlipV, {0, 0, 4, 2}, {1, 2, 3, 0, 0, 0, 0, 0}},
      {"clip", 0, 0, {0, 0, 3, 2}, F::None, {1, 1, 2, 2}, {0, 0, 0, 0, 0, 5, 0, 0}},
      {"sub-rectangle", 0, 0, {1, 1, 3, 2}, F::None, {0, 0, 4, 2}, {5, 6, 0, 0, 0, 0, 0, 0}},
      {"source rectangle beyond the source is cut",
       0,
       0,
       {-1, 0, 5, 1},
       F::None,
       {0, 0, 4, 2},
       {0, 1, 2, 3, 0, 0, 0, 0}},
      {"flipped source rectangle beyond the source",
       0,
       0,
       {-1, 0, 4, 1},
       F::FlipH,
       {0, 0, 4, 2},
       {0, 3, 2, 1, 0, 0, 0, 0}},
      {"far outside", 2000000000, 0, {0, 0, 3, 2}, F::None, {0, 0, 4, 2}, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"key", 0, 0, {0, 0, 3, 2}, F::UseKey, {0, 0, 4, 2}, {1, 0, 3, 0, 4, 5, 6, 0}},
  };
  for (int bits : test::kAllFormats) {
    auto src = MakeSurface(bits, 3, 2, {1, 2, 3, 4, 5, 6});
    src->SetKeyColor(2);
    for (const auto& c : cases) {
      auto dst = FilledSurface(bits, 4, 2, 0);
      dst->SetClipRect(c.clip);
      dst->Draw(c.x, c.y, *src, c.source_rect, c.flags);
      EXPECT_EQ(Pixels(*dst), c.expected) << bits << " bits: " << c.name;
    }
  }
}

TEST(Draw, KeyComparesTheWholePixelOn32AndLow24BitsOn24) {
  auto src32 = MakeSurface(32, 2, 1, {0x01FF00FF, 0x00FF00FF});
  src32->SetKeyColor(0x00FF00FF);
  auto dst32 = FilledSurface(32, 2, 1, 7);
  dst32->Draw(0, 0, *src32, src32->GetBounds(), TDrawFlags::UseKey);
  EXPECT_EQ(Pixels(*dst32), (std::vector<uint32_t>{0x01FF00FF, 7}));

  auto src24 = MakeSurface(24, 2, 1, {0xFF00FF, 0xFF00FE});
  src24->SetKeyColor(0x7FFF00FF);  // only the low 24 bits count
  auto dst24 = FilledSurface(24, 2, 1, 7);
  dst24->Draw(0, 0, *src24, src24->GetBounds(), TDrawFlags::UseKey);
  EXPECT_EQ(Pixels(*dst24), (std::vector<uint32_t>{7, 0xFF00FE}));
}

TEST(Draw, OverlappingDrawsOntoItselfReadTheOriginalPixels) {
  for (auto flags : {TDrawFlags::None, TDrawFlags::FlipH}) {
    auto surface = MakeSurface(32, 5, 1, {1, 2, 3, 4, 5});
    surface->Draw(1, 0, *surface, {0, 0, 4, 1}, flags);
    std::vector<uint32_t> expected =
        flags == TDrawFlags::None ? std::vector<uint32_t>{1, 1, 2, 3, 4} : std::vector<uint32_t>{1, 4, 3, 2, 1};
    EXPECT_EQ(Pixels(*surface), expected);
  }
  // A second surface over the same store is the same memory.
  auto owner = MakeSurface(16, 4, 1, {1, 2, 3, 4});
  TDIBX alias(owner->Store());
  owner->DrawBlend(1, 0, alias, {0, 0, 3, 1}, TDrawFlags::FlipH, 255);
  EXPECT_EQ(Pixels(*owner), (std::vector<uint32_t>{1, 3, 2, 1}));
}

TEST(Draw, SourcesOfAnotherFormatDrawNothing) {
  auto src = FilledSurface(16, 2, 2, 0xFFFF);
  auto dst = FilledSurface(32, 2, 2, 0);
  dst->Draw(0, 0, *src, src->GetBounds(), TDrawFlags::None);
  dst->DrawBlend(0, 0, *src, src->GetBounds(), TDrawFlags::None, 100);
  dst->StretchDraw({0, 0, 2, 2}, *src, src->GetBounds(), TDrawFlags::None, 255);
  dst->DrawTransformed(0, 0, 1, 1, *src, src->GetBounds(), 0, 0, 0, TDrawFlags::None, 255);
  EXPECT_EQ(Pixels(*dst), std::vector<uint32_t>(4, 0));
}

TEST(Assign, ComparesFormatsAsWellAsPitches) {
  // 15 and 16 bits share the pitch of equal widths: the block copy must not mix them.
  auto src = FilledSurface(16, 2, 1, test::Native(16, 31, 0, 0));
  auto dst = FilledSurface(15, 2, 1, 0);
  ASSERT_EQ(src->Pitch(), dst->Pitch());
  dst->Assign(*src);
  EXPECT_EQ(Pixels(*dst), std::vector<uint32_t>(2, test::Native(15, 31, 0, 0)));

  auto same = FilledSurface(32, 3, 2, 0);
  auto from = test::MakeSurface(32, 3, 2, {1, 2, 3, 4, 5, 6});
  same->Assign(*from);
  EXPECT_EQ(Pixels(*same), Pixels(*from));
}

TEST(Lifecycle, NewSurfacesAreEmptyAndReleaseEmptiesThem) {
  TDIBX surface;
  EXPECT_TRUE(surface.IsEmpty());
  EXPECT_EQ(surface.BitCount(), 15);
  surface.FillRect({0, 0, 5, 5}, 1);  // nothing to draw into
  surface.SetSize(3, 2, 16);
  EXPECT_FALSE(surface.IsEmpty());
  EXPECT_EQ(surface.Pitch(), -8);
  surface.Release();
  EXPECT_TRUE(surface.IsEmpty());
  EXPECT_EQ(surface.GetPixel(0, 0), 0u);
  // A borrowed store that shrinks behind the surface's back limits it.
  TDIBSurface store(4, 4, 32);
  TDIBX borrowed(store);
  store.SetSize(2, 1, 32);
  borrowed.FillRect({0, 0, 4, 4}, 3);
  EXPECT_EQ(borrowed.Width(), 2);
  EXPECT_EQ(store.GetPixel(1, 0), 3u);
}

TEST(Wave, ForwardsBandsOfEqualOffsetsShifted) {
  auto target = FilledSurface(32, 8, 5, 0);
  TDIBXWave wave(target.get());
  wave.SetSize(8, 5, 32);
  wave.Offsets() = {0, 0, 3, 3, 3};
  wave.FillRect({0, 0, 1, 5}, 1);
  for (int y = 0; y < 5; ++y) {
    int expected_x = y < 2 ? 0 : 3;
    for (int x = 0; x < 8; ++x) EXPECT_EQ(target->GetPixel(x, y), x == expected_x ? 1u : 0u) << x << "," << y;
  }
  // Drawing through the proxy moves a source row by row.
  auto src = MakeSurface(32, 1, 5, {1, 2, 3, 4, 5});
  auto canvas = FilledSurface(32, 6, 7, 0);
  TDIBXWave shifted(canvas.get());
  shifted.SetSize(6, 5, 32);
  shifted.SetOrigin(0, 2);
  shifted.Offsets() = {0, 1, 2, 1, 0};
  shifted.Draw(0, 1, *src, src->GetBounds(), TDrawFlags::None);
  std::vector<uint32_t> column(7, 0);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 6; ++x) {
      if (canvas->GetPixel(x, y) != 0) column[y] = canvas->GetPixel(x, y) * 10 + x;
    }
  }
  // Row 1 is outside the proxy (origin y 2); rows 2..5 take offsets 0, 1, 2, 1.
  EXPECT_EQ(column, (std::vector<uint32_t>{0, 0, 20, 31, 42, 51, 0}));
  EXPECT_EQ(canvas->GetClipRect(), canvas->GetBounds()) << "the target's clip is given back";
}

TEST(Wave, TiledStretchesMoveWithTheirBand) {
  auto src = MakeSurface(32, 2, 1, {1, 2});
  auto target = FilledSurface(32, 8, 4, 0);
  TDIBXWave wave(target.get());
  wave.SetSize(8, 4, 32);
  wave.Offsets() = {0, 0, 2, 2};
  wave.TileStretchDraw({0, 0, 6, 4}, 2, 1, 1, 1, *src, src->GetBounds(), TDrawFlags::None, 255, 0, 0);
  auto mask = FilledSurface(8, 2, 1, 255);
  auto masked = FilledSurface(32, 8, 4, 0);
  wave.SetTargetSurface(masked.get());
  wave.TileStretchDrawMask({0, 0, 6, 4}, 2, 1, 1, 1, *src, src->GetBounds(), *mask, TDrawFlags::None, 255, 0, 0);
  const std::vector<uint32_t> top{1, 2, 1, 2, 1, 2, 0, 0}, bottom{0, 0, 1, 2, 1, 2, 1, 2};
  for (const auto* surface : {target.get(), masked.get()}) {
    for (int y = 0; y < 4; ++y) {
      std::vector<uint32_t> row;
      for (int x = 0; x < 8; ++x) row.push_back(surface->GetPixel(x, y));
      EXPECT_EQ(row, y < 2 ? top : bottom) << "row " << y;
    }
  }
}

TEST(Wave, AddClipClampsToTheProxyAreaAndReachesTheTarget) {
  auto target = FilledSurface(32, 10, 10, 0);
  TDIBXWave wave(target.get());
  wave.SetSize(4, 4, 32);
  wave.SetOrigin(2, 3);
  wave.AddClip({0, 0, 5, 100});
  EXPECT_EQ(wave.GetClipRect(), (TRect{2, 3, 5, 7}));
  EXPECT_EQ(target->GetClipRect(), (TRect{2, 3, 5, 7}));
  wave.ResetClip();
  EXPECT_EQ(target->GetClipRect(), target->GetBounds());
}

}  // namespace
}  // namespace orvo
