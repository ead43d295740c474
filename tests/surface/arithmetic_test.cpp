// Per-format value tables of the surface arithmetic: blends, additive draws,
// fills, masks and colour masks on tiny surfaces, with hand-computed results.
#include <gtest/gtest.h>

#include "surface/dibx.h"
#include "surface_helpers.h"

namespace orvo {
namespace {

using test::FilledSurface;
using test::MakeSurface;
using test::Native;

struct TColourCase {
  int bits;
  int32_t colour;
  int32_t pixel;
};

TEST(ColorToPixel, DropsLowBitsAndKeepsRedRed) {
  const TColourCase cases[] = {
      {16, 0x0000FF, 0xF800},
      {15, 0x0000FF, 0x7C00},
      {32, 0x0000FF, 0xFF0000},
      {24, 0x0000FF, 0xFF0000},
      {32, 0xFF0000, 0x0000FF},
      {16, 0x07FF0F, 0x0FE0},
      {15, 0x070707, 0},
      {8, 0x123456, 0x123456},
      {32, -1, -1},
      {16, -5, -1},
      {24, 0x102030, 0x302010},
  };
  for (const auto& c : cases) {
    auto surface = FilledSurface(c.bits, 1, 1, 0);
    EXPECT_EQ(surface->ColorToPixel(c.colour), c.pixel) << c.bits << " bits, colour " << std::hex << c.colour;
  }
}

// One source pixel drawn over one destination pixel.
struct TPixelCase {
  const char* name;
  int bits;
  uint32_t source, dest;
  int opacity;
  uint32_t expected;
};

void RunBlend(const TPixelCase& c, bool additive) {
  auto src = FilledSurface(c.bits, 1, 1, c.source);
  auto dst = FilledSurface(c.bits, 1, 1, c.dest);
  if (additive) {
    dst->DrawAdd(0, 0, *src, src->GetBounds(), TDrawFlags::None, c.opacity);
  } else {
    dst->DrawBlend(0, 0, *src, src->GetBounds(), TDrawFlags::None, c.opacity);
  }
  EXPECT_EQ(dst->GetPixel(0, 0), c.expected) << c.name;
}

TEST(DrawBlend, FloorsPerChannelWithDivisor256) {
  const TPixelCase cases[] = {
      {"32 w1", 32, Native(32, 200, 100, 50), Native(32, 10, 20, 30), 1, Native(32, 10, 20, 29)},
      {"32 w128", 32, Native(32, 200, 100, 50), Native(32, 10, 20, 30), 128, Native(32, 104, 59, 39)},
      {"32 w254", 32, Native(32, 200, 100, 50), Native(32, 10, 20, 30), 254, Native(32, 198, 99, 49)},
      {"32 w255 copies", 32, Native(32, 200, 100, 50), Native(32, 10, 20, 30), 255, Native(32, 200, 100, 50)},
      {"32 fourth byte cleared", 32, 0xCD000000 | Native(32, 200, 100, 50), 0xAB000000 | Native(32, 10, 20, 30), 128,
       Native(32, 104, 59, 39)},
      {"32 equal pixel stays", 32, 0xFFFFFF, 0xFFFFFF, 128, 0xFFFFFF},
      {"24 w128", 24, Native(24, 200, 100, 50), Native(24, 10, 20, 30), 128, Native(24, 104, 59, 39)},
      {"16 w128", 16, Native(16, 31, 40, 7), Native(16, 2, 10, 20), 128, Native(16, 16, 24, 13)},
      {"16 w1", 16, Native(16, 31, 40, 7), Native(16, 2, 10, 20), 1, Native(16, 2, 10, 19)},
      {"15 w128", 15, Native(15, 31, 20, 7), Native(15, 2, 10, 20), 128, Native(15, 16, 14, 13)},
      {"8 w128", 8, 200, 10, 128, 104},
      {"opacity 0 draws nothing", 32, 0xFFFFFF, 0x000000, 0, 0x000000},
  };
  for (const auto& c : cases) RunBlend(c, false);
}

TEST(DrawAdd, AddsScaledSourceAndSaturates) {
  const TPixelCase cases[] = {
      {"32 a128", 32, Native(32, 200, 100, 50), Native(32, 100, 200, 10), 128, Native(32, 200, 250, 35)},
      {"32 a255", 32, Native(32, 200, 100, 50), Native(32, 100, 200, 10), 255, Native(32, 255, 255, 59)},
      {"24 a128", 24, Native(24, 200, 100, 50), Native(24, 100, 200, 10), 128, Native(24, 200, 250, 35)},
      {"16 a128", 16, Native(16, 31, 63, 31), Native(16, 20, 10, 0), 128, Native(16, 31, 41, 15)},
      {"15 a128", 15, Native(15, 31, 31, 31), Native(15, 20, 10, 0), 128, Native(15, 31, 25, 15)},
      {"8 adds whole index", 8, 20, 30, 1, 50},
      {"8 saturates", 8, 200, 100, 7, 255},
  };
  for (const auto& c : cases) RunBlend(c, true);
}

TEST(DrawAdd, SkipsKeyPixelsEvenWithoutUseKey) {
  auto src = MakeSurface(32, 2, 1, {0x00FF00, 0x000010});
  src->SetKeyColor(0x00FF00);
  auto dst = MakeSurface(32, 2, 1, {0x000001, 0x000001});
  dst->DrawAdd(0, 0, *src, src->GetBounds(), TDrawFlags::None, 255);
  EXPECT_EQ(test::Pixels(*dst), (std::vector<uint32_t>{0x000001, 0x000010}));
}

struct TFillCase {
  const char* name;
  int bits;
  uint32_t dest, fill;
  int mode;  // 0 blend at opacity, 1 add, 2 subtract
  int opacity;
  uint32_t expected;
};

TEST(Fills, BlendAddAndSubtractPerChannel) {
  const TFillCase cases[] = {
      {"blend 32", 32, Native(32, 10, 20, 30), Native(32, 200, 100, 50), 0, 128, Native(32, 104, 59, 39)},
      {"blend leaves equal pixel", 16, 0xFFFF, 0xFFFF, 0, 200, 0xFFFF},
      {"blend 16", 16, Native(16, 2, 10, 20), Native(16, 31, 40, 7), 0, 128, Native(16, 16, 24, 13)},
      {"blend 24", 24, Native(24, 10, 20, 30), Native(24, 200, 100, 50), 0, 1, Native(24, 10, 20, 29)},
      {"add white gives white", 32, Native(32, 1, 2, 3), 0xFFFFFF, 1, 0, 0xFFFFFF},
      {"add white 15", 15, Native(15, 1, 2, 3), 0x7FFF, 1, 0, 0x7FFF},
      {"add 16", 16, Native(16, 25, 60, 3), Native(16, 10, 10, 10), 1, 0, Native(16, 31, 63, 13)},
      {"add 8", 8, 250, 10, 1, 0, 255},
      {"sub white gives black", 24, Native(24, 1, 200, 255), 0xFFFFFF, 2, 0, 0},
      {"sub 16", 16, Native(16, 25, 5, 3), Native(16, 10, 10, 10), 2, 0, Native(16, 15, 0, 0)},
      {"sub 32", 32, Native(32, 100, 5, 50), Native(32, 10, 10, 10), 2, 0, Native(32, 90, 0, 40)},
  };
  for (const auto& c : cases) {
    auto surface = FilledSurface(c.bits, 2, 2, c.dest);
    TRect r{0, 0, 1, 1};
    if (c.mode == 0) surface->FillRectBlend(r, c.fill, c.opacity);
    if (c.mode == 1) surface->FillRectAdd(r, c.fill);
    if (c.mode == 2) surface->FillRectSub(r, c.fill);
    EXPECT_EQ(surface->GetPixel(0, 0), c.expected) << c.name;
    EXPECT_EQ(surface->GetPixel(1, 1), c.dest) << c.name << ": outside the rectangle";
  }
}

TEST(Fills, FrameWithHeightOfTwoBandsDrawsOnlyTopAndBottom) {
  for (int bits : test::kAllFormats) {
    auto surface = FilledSurface(bits, 6, 6, 0);
    surface->FrameRect({1, 1, 5, 5}, 2, 1);
    std::vector<uint32_t> expected(36, 0);
    for (int y = 1; y < 5; ++y) {
      for (int x = 1; x < 5; ++x) expected[y * 6 + x] = 1;
    }
    EXPECT_EQ(test::Pixels(*surface), expected) << bits;
    auto open = FilledSurface(bits, 8, 7, 0);
    open->FrameRect({0, 0, 8, 7}, 3, 1);
    EXPECT_EQ(open->GetPixel(3, 3), 0u) << bits << ": a 3-wide frame of height 7 leaves the middle row's centre";
    EXPECT_EQ(open->GetPixel(0, 3), 1u) << bits;
  }
}

TEST(Fills, ClearSetsEveryPixelWhateverTheClip) {
  for (int bits : test::kAllFormats) {
    auto surface = FilledSurface(bits, 3, 2, 0);
    surface->SetClipRect({0, 0, 1, 1});
    surface->Clear(5);
    EXPECT_EQ(test::Pixels(*surface), std::vector<uint32_t>(6, 5)) << bits;
  }
}

// Masked operations: one pixel through one mask value.
struct TMaskCase {
  const char* name;
  int bits;
  int op;  // 0 DrawMask, 1 DrawMaskBlend, 2 DrawMaskAdd, 3 DrawColorMask
  uint32_t source, dest;
  uint8_t mask;
  int opacity;
  uint32_t expected;
};

TEST(Masks, WeightsPerFormat) {
  const uint32_t white32 = 0xFFFFFF, white16 = 0xFFFF;
  const TMaskCase cases[] = {
      {"mask 0 leaves", 32, 0, white32, 0, 0, 255, 0},
      {"mask 255 copies", 32, 0, Native(32, 1, 2, 3), 0, 255, 255, Native(32, 1, 2, 3)},
      {"mask 128 blends", 24, 0, white32, 0, 128, 255, Native(24, 127, 127, 127)},
      {"full mask 32 uses opacity", 32, 1, white32, 0, 255, 128, Native(32, 127, 127, 127)},
      {"full mask 24 scales", 24, 1, white32, 0, 255, 128, Native(24, 126, 126, 126)},
      {"half mask half opacity", 32, 1, white32, 0, 128, 128, Native(32, 63, 63, 63)},
      {"mask blend at 255 is a masked copy", 16, 1, white16, 0, 255, 255, white16},
      {"mask blend darkens an equal pixel", 32, 1, Native(32, 200, 200, 200), Native(32, 200, 200, 200), 200, 100,
       Native(32, 199, 199, 199)},
      {"mask add", 32, 2, Native(32, 200, 100, 50), Native(32, 1, 1, 1), 128, 255, Native(32, 100, 50, 25)},
      {"mask add 16", 16, 2, Native(16, 31, 63, 31), Native(16, 0, 0, 0), 255, 128, Native(16, 15, 31, 15)},
      {"colour mask 32 full mask uses opacity", 32, 3, white32, 0, 255, 128, Native(32, 127, 127, 127)},
      {"colour mask 24 scales", 24, 3, white32, 0, 255, 128, Native(24, 126, 126, 126)},
      {"colour mask 16 keeps the colour", 16, 3, white16, white16, 255, 200, white16},
      {"colour mask 24 darkens the colour", 24, 3, white32, white32, 255, 200, Native(24, 254, 254, 254)},
      {"colour mask full opacity full mask paints", 16, 3, white16, 0, 255, 255, white16},
      {"colour mask weight is the mask at 255", 32, 3, white32, 0, 100, 255, Native(32, 99, 99, 99)},
  };
  for (const auto& c : cases) {
    auto src = FilledSurface(c.bits, 1, 1, c.source);
    auto dst = FilledSurface(c.bits, 1, 1, c.dest);
    auto mask = FilledSurface(8, 1, 1, c.mask);
    TRect r{0, 0, 1, 1};
    switch (c.op) {
      case 0:
        dst->DrawMask(0, 0, *src, r, TDrawFlags::None, *mask);
        break;
      case 1:
        dst->DrawMaskBlend(0, 0, *src, r, TDrawFlags::None, *mask, c.opacity);
        break;
      case 2:
        dst->DrawMaskAdd(0, 0, *src, r, TDrawFlags::None, *mask, c.opacity);
        break;
      default:
        dst->DrawColorMask(0, 0, *mask, r, TDrawFlags::None, c.source, c.opacity);
        break;
    }
    EXPECT_EQ(dst->GetPixel(0, 0), c.expected) << c.name;
  }
}

TEST(Masks, RefuseMasksThatAreNot8BitAndColourMasksOutsideTheMask) {
  auto src = FilledSurface(32, 2, 2, 0xFFFFFF);
  auto dst = FilledSurface(32, 2, 2, 0);
  auto wide_mask = FilledSurface(16, 2, 2, 255);
  dst->DrawMask(0, 0, *src, src->GetBounds(), TDrawFlags::None, *wide_mask);
  EXPECT_EQ(dst->GetPixel(0, 0), 0u);
  auto mask = FilledSurface(8, 2, 2, 255);
  dst->DrawColorMask(0, 0, *mask, {-1, 0, 2, 2}, TDrawFlags::None, 0xFFFFFF, 255);
  dst->DrawColorMask(0, 0, *mask, {0, 0, 3, 2}, TDrawFlags::None, 0xFFFFFF, 255);
  EXPECT_EQ(test::Pixels(*dst), std::vector<uint32_t>(4, 0));
}

}  // namespace
}  // namespace orvo
