#include "stage/cell_draw.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvo {
namespace {

constexpr uint32_t kBackground = 0x000000;

// A 32-bit frame whose pixel (x, y) is 0x10000 * (x + 1) + 0x100 * (y + 1) + 0x80.
TDovaItemFrame CodedFrame(int32_t width, int32_t height) {
  TDovaItemFrame frame;
  frame.surface = std::make_shared<TDIBX>();
  frame.surface->SetSize(width, height, 32);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) frame.surface->SetPixel(x, y, 0x10000u * (x + 1) + 0x100u * (y + 1) + 0x80u);
  }
  return frame;
}

uint32_t Coded(int64_t x, int64_t y) { return static_cast<uint32_t>(0x10000 * (x + 1) + 0x100 * (y + 1) + 0x80); }

int64_t Mod(int64_t a, int64_t b) { return ((a % b) + b) % b; }

TEST(CellDrawTest, TileCellLaysCopiesWithPhasesAndFlips) {
  // Source: the cell (1, 1)-(4, 3) of a 5 x 4 frame, 3 x 2 pixels.
  const TDovaItemFrame frame = CodedFrame(5, 4);
  const TRect cell{1, 1, 4, 3};
  struct Case {
    const char* name;
    TRect dest;
    TDrawFlags flips;
    int32_t phase_x, phase_y;
    TRect clip;  // empty: none
  };
  const Case cases[] = {
      {"plain", {2, 1, 10, 6}, TDrawFlags::None, 0, 0, {}},
      {"phases", {2, 1, 10, 6}, TDrawFlags::None, 2, 1, {}},
      {"phase beyond the cell", {2, 1, 10, 6}, TDrawFlags::None, 7, 5, {}},
      {"negative phase wraps", {0, 0, 7, 5}, TDrawFlags::None, -1, -3, {}},
      {"flip h from the right", {1, 2, 9, 7}, TDrawFlags::FlipH, 1, 0, {}},
      {"flip v from the bottom", {1, 2, 9, 7}, TDrawFlags::FlipV, 0, 1, {}},
      {"both flips", {1, 0, 12, 9}, TDrawFlags::FlipH | TDrawFlags::FlipV, 2, 1, {}},
      {"clipped by the surface", {0, 0, 12, 10}, TDrawFlags::FlipH, 1, 1, {3, 2, 8, 7}},
      {"smaller than one cell", {4, 4, 6, 5}, TDrawFlags::None, 1, 1, {}},
      {"key flag ignored", {0, 0, 5, 5}, TDrawFlags::UseKey, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDIBX target;
    target.SetSize(14, 12, 32);
    target.Clear(kBackground);
    if (!c.clip.IsEmpty()) target.SetClipRect(c.clip);
    TileCell(frame, target, c.dest, 255, c.flips, c.phase_x, c.phase_y, cell);
    const bool flip_h = HasFlag(c.flips, TDrawFlags::FlipH), flip_v = HasFlag(c.flips, TDrawFlags::FlipV);
    for (int32_t y = 0; y < target.Height(); ++y) {
      for (int32_t x = 0; x < target.Width(); ++x) {
        const bool inside = c.dest.Contains(x, y) && (c.clip.IsEmpty() || c.clip.Contains(x, y));
        uint32_t expected = kBackground;
        if (inside) {
          // The flipped tiling is the mirror image of the plain one.
          const int64_t ox = flip_h ? c.dest.right - 1 - x : x - c.dest.left;
          const int64_t oy = flip_v ? c.dest.bottom - 1 - y : y - c.dest.top;
          const int64_t sx = cell.left + Mod(ox + c.phase_x, 3);
          const int64_t sy = cell.top + Mod(oy + c.phase_y, 2);
          expected = Coded(sx, sy);
        }
        ASSERT_EQ(target.GetPixel(x, y), expected) << "at " << x << "," << y;
      }
    }
  }
}

TEST(CellDrawTest, TileCellOverAHugeRectangleDrawsOnlyTheVisiblePart) {
  const TDovaItemFrame frame = CodedFrame(4, 4);
  TDIBX target;
  target.SetSize(8, 8, 32);
  target.Clear(kBackground);
  const TRect dest{-2000000000, -2000000000, 2000000000, 2000000000};
  TileCell(frame, target, dest, 255, TDrawFlags::FlipH | TDrawFlags::FlipV, 3, 1, {0, 0, 4, 4});
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const int64_t ox = int64_t{dest.right} - 1 - x, oy = int64_t{dest.bottom} - 1 - y;
      ASSERT_EQ(target.GetPixel(x, y), Coded(Mod(ox + 3, 4), Mod(oy + 1, 4))) << x << "," << y;
    }
  }
}

TEST(CellDrawTest, DrawCellChoosesMaskKeyBlendCopyOrAdd) {
  struct Case {
    const char* name;
    bool masked;
    uint8_t mask_value;
    bool keyed;  // the source pixel is the frame's key colour
    int32_t opacity;
    uint32_t expected;
  };
  // Source 0x604020 over destination 0x204060.
  const Case cases[] = {
      {"copy", false, 0, false, 255, 0x604020},
      {"nothing at 0", false, 0, false, 0, 0x204060},
      {"negative draws nothing", false, 0, false, -5, 0x204060},
      {"blend", false, 0, false, 128, 0x3F3F3F},
      {"add", false, 0, false, 256 + 255, 0x7F7F7F},
      {"add capped at full strength", false, 0, false, 4000, 0x7F7F7F},
      {"key colour left out", false, 0, true, 255, 0x204060},
      {"key left out when adding", false, 0, true, 300, 0x204060},
      {"mask opaque copies", true, 255, false, 255, 0x604020},
      {"mask clear keeps", true, 0, false, 255, 0x204060},
      {"mask beats the key", true, 255, true, 255, 0x604020},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDovaItemFrame frame;
    frame.surface = std::make_shared<TDIBX>();
    frame.surface->SetSize(2, 1, 32);
    frame.surface->Clear(0x604020);
    if (c.keyed) {
      frame.key_color = 0x204060;  // any colour: the pixel value below is what counts
      frame.surface->SetKeyColor(0x604020);
    }
    if (c.masked) {
      frame.mask = std::make_shared<TDIBX>();
      frame.mask->SetSize(2, 1, 8);
      frame.mask->Clear(c.mask_value);
    }
    TDIBX target;
    target.SetSize(3, 1, 32);
    target.Clear(0x204060);
    DrawCell(frame, target, 1, 0, c.opacity, TDrawFlags::None, {1, 0, 2, 1});
    EXPECT_EQ(target.GetPixel(0, 0), 0x204060u);
    EXPECT_EQ(target.GetPixel(1, 0), c.expected);
    EXPECT_EQ(target.GetPixel(2, 0), 0x204060u);
  }
}

}  // namespace
}  // namespace orvo
