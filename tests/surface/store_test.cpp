// The pixel store's own primitives: their arithmetic divides differently
// from the surfaces', and palette stores dither instead of mixing.
#include <gtest/gtest.h>

#include "base/error.h"
#include "surface/dib_surface.h"
#include "surface_helpers.h"

namespace orvo {
namespace {

using test::Native;

std::unique_ptr<TDIBSurface> Store(int bits, int32_t width, int32_t height, uint32_t pixel) {
  auto store = std::make_unique<TDIBSurface>(width, height, bits);
  store->FillRect(store->Bounds(), pixel);
  return store;
}

struct TOpacityCase {
  const char* name;
  int bits;
  uint32_t source, dest;
  int opacity;
  int32_t key;
  uint32_t expected;
};

TEST(StoreDrawOpacity, DividesBy255ExceptOn32Bits) {
  const TOpacityCase cases[] = {
      {"24 bits", 24, 0xFFFFFF, 0, 128, -1, 0x808080},
      {"32 bits", 32, 0xFFFFFF, 0, 128, -1, 0x7F7F7F},
      {"32 bits clear the fourth byte", 32, 0xAAFFFFFF, 0xBB000000, 128, -1, 0x7F7F7F},
      {"16 bits", 16, Native(16, 31, 63, 31), 0, 128, -1, Native(16, 15, 31, 15)},
      {"15 bits", 15, Native(15, 31, 31, 31), Native(15, 0, 31, 2), 100, -1, Native(15, 12, 31, 13)},
      {"key left out", 24, 0x123456, 0, 128, 0x123456, 0},
      {"255 copies", 32, 0xAAFFFFFF, 0, 255, -1, 0xAAFFFFFF},
      {"negative copies", 24, 0x010203, 0, -4, -1, 0x010203},
      {"zero draws nothing", 24, 0x010203, 0, 0, -1, 0},
  };
  for (const auto& c : cases) {
    auto src = Store(c.bits, 1, 1, 0);
    src->SetPixel(0, 0, c.source);
    auto dst = Store(c.bits, 1, 1, 0);
    dst->SetPixel(0, 0, c.dest);
    dst->DrawOpacity(0, 0, c.opacity, c.key, src->Bounds(), *src);
    EXPECT_EQ(dst->GetPixel(0, 0), c.expected) << c.name;
  }
}

TEST(StoreDrawOpacity, PaletteStoresDitherInSixteenLevels) {
  struct TCase {
    int opacity;
    int copied;  // of the 16 pixels of a 4 x 4 block
  } cases[] = {{15, 1}, {16, 2}, {128, 9}, {224, 15}, {239, 15}, {240, 16}};
  for (int bits : {1, 4, 8}) {
    for (const auto& c : cases) {
      auto src = Store(bits, 4, 4, 1);
      auto dst = Store(bits, 8, 8, 0);
      dst->DrawOpacity(2, 1, c.opacity, -1, src->Bounds(), *src);
      int copied = 0;
      for (int y = 1; y < 5; ++y) {
        for (int x = 2; x < 6; ++x) copied += static_cast<int>(dst->GetPixel(x, y));
      }
      EXPECT_EQ(copied, c.copied) << bits << " bits at " << c.opacity;
    }
  }
  // Level 0 copies only where the destination row and column are multiples of 4.
  auto src = Store(8, 8, 8, 1);
  auto dst = Store(8, 8, 8, 0);
  dst->DrawOpacity(0, 0, 15, -1, src->Bounds(), *src);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dst->GetPixel(x, y), (x % 4 == 0 && y % 4 == 0) ? 1u : 0u);
  }
}

struct TMaskCase {
  const char* name;
  int bits;
  uint32_t source, dest;
  uint8_t mask;
  int opacity;
  uint32_t expected;
};

TEST(StoreDrawThroughMask, PerFormatRules) {
  const TMaskCase cases[] = {
      {"palette 127 is transparent", 8, 5, 1, 127, 255, 1},
      {"palette 128 is opaque", 8, 5, 1, 128, 255, 5},
      {"16 ignores opacity", 16, Native(16, 31, 63, 31), 0, 128, 10, Native(16, 15, 31, 15)},
      {"16 full mask copies", 16, 0xFFFF, 0, 255, 10, 0xFFFF},
      {"24 at 255", 24, 0xFFFFFF, 0, 128, 255, 0x7F7F7F},
      {"24 below 255 scales the mask", 24, 0xFFFFFF, 0, 128, 128, 0x3F3F3F},
      {"24 leaves a*m below 256", 24, 0xFFFFFF, 0, 1, 200, 0},
      {"32 full mask keeps the fourth byte", 32, 0xAA102030, 0, 255, 10, 0xAA102030},
      {"32 blended clears the fourth byte", 32, 0xAAFFFFFF, 0xBB000000, 128, 10, 0x7F7F7F},
      {"mask 0 leaves", 32, 0xFFFFFF, 0x123456, 0, 255, 0x123456},
  };
  for (const auto& c : cases) {
    auto src = Store(c.bits, 1, 1, 0);
    src->SetPixel(0, 0, c.source);
    src->EnsureMask();
    src->Mask()->SetPixel(0, 0, c.mask);
    auto dst = Store(c.bits, 1, 1, 0);
    dst->SetPixel(0, 0, c.dest);
    dst->DrawThroughMask(0, 0, c.opacity, src->Bounds(), *src);
    EXPECT_EQ(dst->GetPixel(0, 0), c.expected) << c.name;
  }
}

TEST(StoreDrawThroughMask, WithoutMaskIsAnOpacityCopy) {
  auto src = Store(24, 1, 1, 0xFFFFFF);
  auto dst = Store(24, 1, 1, 0);
  dst->DrawThroughMask(0, 0, 128, src->Bounds(), *src);
  EXPECT_EQ(dst->GetPixel(0, 0), 0x808080u);
}

TEST(StoreFillRect, KeepsTheBitsOfTheFormat) {
  struct TCase {
    int bits;
    uint32_t pixel, expected;
  } cases[] = {{15, 0xFFFF, 0x7FFF},      {16, 0xFFFF, 0xFFFF}, {4, 0x1F, 0xF}, {1, 2, 0}, {1, 3, 1},
               {24, 0xFF123456, 0x123456}};
  for (const auto& c : cases) {
    auto store = Store(c.bits, 9, 3, c.pixel);
    EXPECT_EQ(store->GetPixel(8, 2), c.expected) << c.bits;
    EXPECT_EQ(store->GetPixel(0, 0), c.expected) << c.bits;
  }
}

TEST(StoreClipping, ClipsDestinationAndSource) {
  auto src = std::make_unique<TDIBSurface>(3, 1, 32);
  for (int x = 0; x < 3; ++x) src->SetPixel(x, 0, static_cast<uint32_t>(x + 1));
  auto dst = Store(32, 4, 1, 0);
  dst->SetClipRect({1, 0, 3, 1});
  dst->CopyRect(0, 0, {-1, 0, 5, 1}, *src);  // the source rectangle is cut to the source first
  EXPECT_EQ(dst->GetPixel(0, 0), 0u);
  EXPECT_EQ(dst->GetPixel(1, 0), 1u);
  EXPECT_EQ(dst->GetPixel(2, 0), 2u);
  EXPECT_EQ(dst->GetPixel(3, 0), 0u);
  // A clip outside the store draws nothing.
  dst->SetClipRect({10, 0, 20, 1});
  dst->DrawKeyed(0, 0, -1, src->Bounds(), *src);
  EXPECT_EQ(dst->GetPixel(3, 0), 0u);
}

TEST(StoreFormats, SourcesOfAnotherFormatAreConvertedFirst) {
  auto src = std::make_unique<TDIBSurface>(1, 1, 32);
  src->SetPixel(0, 0, 0xFF0000);  // red
  auto dst = Store(16, 1, 1, 0);
  dst->CopyRect(0, 0, src->Bounds(), *src);
  EXPECT_EQ(dst->GetPixel(0, 0), 0xF800u);
}

TEST(StoreMasks, MakeFromKeyCropAndAssign) {
  auto store = std::make_unique<TDIBSurface>(3, 2, 16);
  for (int i = 0; i < 6; ++i) store->SetPixel(i % 3, i / 3, i == 4 ? 0x1234u : 7u);
  store->MakeMaskFromKey(0x1234);
  EXPECT_EQ(store->Mask()->GetPixel(1, 1), 0u);
  EXPECT_EQ(store->Mask()->GetPixel(0, 0), 255u);
  store->Crop({1, 1, 9, 9});
  EXPECT_EQ(store->Width(), 2);
  EXPECT_EQ(store->Height(), 1);
  EXPECT_EQ(store->GetPixel(0, 0), 0x1234u);
  EXPECT_EQ(store->Mask()->GetPixel(0, 0), 0u);
  TDIBSurface copy;
  copy.AssignStore(*store);
  EXPECT_EQ(copy.StoreBitCount(), 16);
  EXPECT_EQ(copy.Mask()->GetPixel(1, 0), 255u);
  store->SetSize(5, 5, 15);
  EXPECT_EQ(store->Mask()->Width(), 5) << "resizing the store resizes its mask";
  EXPECT_EQ(store->StoreBitCount(), 15);
  EXPECT_EQ(store->BitCount(), 16);
}

TEST(StoreFormats, ConversionKeepsColoursAndFindsNearestPaletteEntries) {
  auto store = std::make_unique<TDIBSurface>(2, 1, 24);
  store->SetPixel(0, 0, 0xFF0000);
  store->SetPixel(1, 0, 0x0A0B0C);
  store->ConvertBitCount(16);
  EXPECT_EQ(store->GetPixel(0, 0), 0xF800u);
  store->ConvertBitCount(32);
  EXPECT_EQ(store->GetPixel(0, 0), 0xF80000u);
  EXPECT_EQ(store->GetPixel(1, 0), 0x080808u);
  store->ConvertBitCount(8);  // grey ramp palette
  EXPECT_EQ(store->GetPixel(1, 0), 8u);
  EXPECT_EQ(store->RGBToPixel(250, 250, 250), 250u);
}

TEST(StoreLimits, RefusesSizesOutOfRange) {
  TDIBSurface store;
  EXPECT_THROW(store.SetSize(-1, 4, 32), EOrvoError);
  EXPECT_THROW(store.SetSize(40000, 4, 32), EOrvoError);
  EXPECT_THROW(store.SetSize(30000, 30000, 32), EOrvoError);
  EXPECT_THROW(store.SetSize(4, 4, 12), EOrvoError);
  EXPECT_THROW(store.ScanLine(0), EOrvoError);
  EXPECT_EQ(store.GetPixel(0, 0), 0u);
}

}  // namespace
}  // namespace orvo
