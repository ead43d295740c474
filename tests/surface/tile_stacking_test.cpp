// Tiled draws cut the tiles that later tiles bury: the pictures must stay
// exactly those of drawing every tile in turn, wherever no pixel lies under
// more tiles than the cut keeps.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>

#include "surface/dibx.h"
#include "surface_helpers.h"

namespace orvo {
namespace {

using test::FilledSurface;
using test::MakeSurface;
using test::Pixels;

struct TRandom {
  uint32_t state;
  uint32_t Next() { return state = state * 1664525u + 1013904223u; }
  int32_t In(int32_t lo, int32_t hi) {
    return lo + static_cast<int32_t>((Next() >> 8) % static_cast<uint32_t>(hi - lo + 1));
  }
};

std::unique_ptr<TDIBX> Noise(int bits, int32_t w, int32_t h, TRandom& random) {
  auto s = MakeSurface(bits, w, h);
  uint32_t mask = bits == 8 ? 0xFFu : bits == 15 ? 0x7FFFu : bits == 16 ? 0xFFFFu : 0xFFFFFFu;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) s->SetPixel(x, y, random.Next() % 5 == 0 ? 0 : (random.Next() >> 4) & mask);
  }
  return s;
}

// Every tile of a tiled stretch, drawn one after the other, as the tiling is defined.
void EveryStretchedTile(TCustomDIBX& dest, const TRect& rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                        long double scale_y, const TRect& source_rect, int32_t origin_x, int32_t origin_y,
                        const std::function<void(const TRect&)>& draw) {
  auto first = [](int64_t edge, int32_t origin, long double pitch, int64_t& first16, int64_t& step16) {
    long double at = edge;
    if (pitch > 0) {
      long double ratio = origin / pitch;
      long double frac = ratio - std::truncl(ratio);
      at = origin < 0 ? edge - (pitch + frac * pitch) : edge - frac * pitch;
    }
    first16 = static_cast<int64_t>(std::nearbyintl(at * 65536.0L));
    step16 = std::max<int64_t>(static_cast<int64_t>(std::nearbyintl(pitch * 65536.0L)), 65536);
  };
  int64_t tile_w = std::max<int64_t>(1, static_cast<int64_t>(scale_x * source_rect.Width()));
  int64_t tile_h = std::max<int64_t>(1, static_cast<int64_t>(scale_y * source_rect.Height()));
  int64_t x16, sx, y16, sy;
  first(rect.left, origin_x, scale_x * pitch_x, x16, sx);
  first(rect.top, origin_y, scale_y * pitch_y, y16, sy);
  TClipState saved = dest.SaveClip();
  dest.SetClipRect(IntersectRect(dest.GetClipRect(), rect));
  for (int64_t ty = y16; (ty >> 16) < rect.bottom; ty += sy) {
    for (int64_t tx = x16; (tx >> 16) < rect.right; tx += sx) {
      int32_t left = static_cast<int32_t>(tx >> 16), top = static_cast<int32_t>(ty >> 16);
      draw(TRect{left, top, static_cast<int32_t>(left + tile_w), static_cast<int32_t>(top + tile_h)});
    }
  }
  dest.RestoreClip(saved);
}

TEST(TileStacking, StretchedTilesMatchDrawingEveryTile) {
  TRandom random{7};
  for (int bits : {8, 15, 16, 24, 32}) {
    for (int round = 0; round < 120; ++round) {
      int32_t sw = random.In(1, 6), sh = random.In(1, 6);
      auto source = Noise(bits, sw, sh, random);
      if (random.In(0, 1)) source->SetKeyColor(0);
      auto mask = Noise(8, sw, sh, random);
      long double scale_x = random.In(1, 12) / 4.0L, scale_y = random.In(1, 12) / 4.0L;
      int mode = random.In(0, 5);
      bool plain_copy = mode == 0;
      // Compounding draws stack at most three tiles per axis when the pitch is half the picture or more.
      int32_t pitch_x = plain_copy ? random.In(-2, 8) : random.In((sw + 1) / 2, sw + 3);
      int32_t pitch_y = plain_copy ? random.In(-2, 8) : random.In((sh + 1) / 2, sh + 3);
      int32_t origin_x = random.In(-9, 9), origin_y = random.In(-9, 9);
      TRect rect{random.In(-4, 6), random.In(-4, 6), random.In(8, 24), random.In(8, 24)};
      auto flags = static_cast<TDrawFlags>(random.In(0, 6) & (plain_copy ? 6 : 7));
      int opacity = mode == 0 ? 255 : mode == 1 ? random.In(1, 254) : mode == 2 ? random.In(257, 600) : 255;
      auto start = Noise(bits, 24, 20, random);
      auto expected = MakeSurface(bits, 24, 20), actual = MakeSurface(bits, 24, 20);
      expected->Assign(*start);
      actual->Assign(*start);
      TRect clip{random.In(0, 6), random.In(0, 6), random.In(10, 24), random.In(10, 20)};
      expected->SetClipRect(clip);
      actual->SetClipRect(clip);
      if (mode <= 3) {
        if (mode == 3) flags = flags | TDrawFlags::UseKey;
        actual->TileStretchDraw(rect, pitch_x, pitch_y, scale_x, scale_y, *source, source->GetBounds(), flags, opacity,
                                origin_x, origin_y);
        EveryStretchedTile(*expected, rect, pitch_x, pitch_y, scale_x, scale_y, source->GetBounds(), origin_x, origin_y,
                           [&](const TRect& tile) {
                             if (opacity > 255) {
                               expected->StretchDrawAdd(tile, *source, source->GetBounds(), flags,
                                                        std::min(opacity, 511) - 256);
                             } else {
                               expected->StretchDraw(tile, *source, source->GetBounds(), flags, opacity);
                             }
                           });
      } else {
        opacity = mode == 4 ? random.In(1, 255) : random.In(257, 511);
        actual->TileStretchDrawMask(rect, pitch_x, pitch_y, scale_x, scale_y, *source, source->GetBounds(), *mask,
                                    flags, opacity, origin_x, origin_y);
        EveryStretchedTile(*expected, rect, pitch_x, pitch_y, scale_x, scale_y, source->GetBounds(), origin_x, origin_y,
                           [&](const TRect& tile) {
                             TDrawFlags flips = FlipsOf(flags);
                             if (opacity > 255) {
                               expected->StretchDrawMaskAdd(tile, *source, source->GetBounds(), flips, *mask,
                                                            opacity - 256);
                             } else {
                               expected->StretchDrawMask(tile, *source, source->GetBounds(), flips, *mask, opacity);
                             }
                           });
      }
      ASSERT_EQ(Pixels(*actual), Pixels(*expected))
          << bits << " bits, round " << round << ", mode " << mode << ", pitch " << pitch_x << "x" << pitch_y
          << ", scale " << static_cast<double>(scale_x) << "x" << static_cast<double>(scale_y);
      EXPECT_EQ(actual->GetClipRect(), expected->GetClipRect());
    }
  }
}

TEST(TileStacking, UnscaledTilesMatchDrawingEveryTile) {
  TRandom random{11};
  for (int bits : {8, 16, 32}) {
    for (int round = 0; round < 120; ++round) {
      int32_t sw = random.In(1, 7), sh = random.In(1, 7);
      auto source = Noise(bits, sw + 2, sh + 2, random);
      source->SetKeyColor(0);
      auto mask = Noise(8, sw + 2, sh + 2, random);
      TRect source_rect{random.In(0, 2), random.In(0, 2), 0, 0};
      source_rect.right = source_rect.left + sw;
      source_rect.bottom = source_rect.top + sh;
      int mode = random.In(0, 6);
      // A plain copy keeps only the topmost tile, so any gap; the others stack at most three deep.
      int32_t gap_x = mode == 0 ? random.In(1 - sw, 3) : random.In(-sw / 2, 3);
      int32_t gap_y = mode == 0 ? random.In(1 - sh, 3) : random.In(-sh / 2, 3);
      int32_t origin_x = random.In(-9, 9), origin_y = random.In(-9, 9);
      TRect rect{random.In(-4, 6), random.In(-4, 6), random.In(8, 24), random.In(8, 20)};
      int opacity = random.In(1, 300);
      auto start = Noise(bits, 24, 20, random);
      auto expected = MakeSurface(bits, 24, 20), actual = MakeSurface(bits, 24, 20);
      expected->Assign(*start);
      actual->Assign(*start);
      TDrawFlags key = mode == 1 ? TDrawFlags::UseKey : TDrawFlags::None;
      std::function<void(TCustomDIBX&, int32_t, int32_t, const TRect&)> one;
      switch (mode) {
        case 0:
        case 1:
          actual->TileDraw(rect, gap_x, gap_y, *source, source_rect, key, origin_x, origin_y);
          one = [&](TCustomDIBX& d, int32_t x, int32_t y, const TRect& r) { d.Draw(x, y, *source, r, key); };
          break;
        case 2:
          actual->TileDrawBlend(rect, gap_x, gap_y, *source, source_rect, TDrawFlags::UseKey, opacity, origin_x,
                                origin_y);
          one = [&](TCustomDIBX& d, int32_t x, int32_t y, const TRect& r) {
            d.DrawBlend(x, y, *source, r, TDrawFlags::UseKey, opacity);
          };
          break;
        case 3:
          actual->TileDrawAdd(rect, gap_x, gap_y, *source, source_rect, TDrawFlags::None, opacity, origin_x, origin_y);
          one = [&](TCustomDIBX& d, int32_t x, int32_t y, const TRect& r) {
            d.DrawAdd(x, y, *source, r, TDrawFlags::None, opacity);
          };
          break;
        case 4:
          actual->TileDrawMask(rect, gap_x, gap_y, *source, source_rect, *mask, origin_x, origin_y);
          one = [&](TCustomDIBX& d, int32_t x, int32_t y, const TRect& r) {
            d.DrawMask(x, y, *source, r, TDrawFlags::None, *mask);
          };
          break;
        case 5:
          actual->TileDrawMaskBlend(rect, gap_x, gap_y, *source, source_rect, *mask, opacity, origin_x, origin_y);
          one = [&](TCustomDIBX& d, int32_t x, int32_t y, const TRect& r) {
            d.DrawMaskBlend(x, y, *source, r, TDrawFlags::None, *mask, opacity);
          };
          break;
        default:
          actual->TileDrawMaskAdd(rect, gap_x, gap_y, *source, source_rect, *mask, opacity, origin_x, origin_y);
          one = [&](TCustomDIBX& d, int32_t x, int32_t y, const TRect& r) {
            d.DrawMaskAdd(x, y, *source, r, TDrawFlags::None, *mask, opacity);
          };
          break;
      }
      // Every tile in turn: the first of a row or column starts at the origin's offset.
      auto floor_mod = [](int32_t v, int32_t m) { return ((v % m) + m) % m; };
      int32_t off_x = floor_mod(origin_x, sw), off_y = floor_mod(origin_y, sh);
      TClipState saved = expected->SaveClip();
      expected->SetClipRect(IntersectRect(expected->GetClipRect(), rect));
      for (int32_t y = rect.top, row = 0; y < rect.bottom; ++row) {
        int32_t sy = row == 0 ? off_y : 0;
        for (int32_t x = rect.left, column = 0; x < rect.right; ++column) {
          int32_t sx = column == 0 ? off_x : 0;
          one(*expected, x, y,
              TRect{source_rect.left + sx, source_rect.top + sy, source_rect.right, source_rect.bottom});
          x += sw - sx + gap_x;
        }
        y += sh - sy + gap_y;
      }
      expected->RestoreClip(saved);
      ASSERT_EQ(Pixels(*actual), Pixels(*expected))
          << bits << " bits, round " << round << ", mode " << mode << ", gaps " << gap_x << "," << gap_y;
    }
  }
}

// A pitch of one pixel under a large zoom puts every pixel under thousands of
// tiles; the draw still touches each pixel a bounded number of times. Drawing
// every tile here would take minutes, the cut draw a few milliseconds, so the
// limit holds under the sanitizers and a busy machine.
TEST(TileStacking, DensePitchesStayCheap) {
  auto source = MakeSurface(32, 40, 40);
  for (int32_t i = 0; i < 1600; ++i) source->SetPixel(i % 40, i / 40, static_cast<uint32_t>(i * 2654435761u) >> 8);
  auto mask = FilledSurface(8, 40, 40, 128);
  auto dest = FilledSurface(32, 320, 180, 0);
  auto started = std::chrono::steady_clock::now();
  dest->TileStretchDraw(dest->GetBounds(), 1, 1, 50, 50, *source, source->GetBounds(), TDrawFlags::None, 255, 0, 0);
  dest->TileStretchDrawMask(dest->GetBounds(), 1, 1, 50, 50, *source, source->GetBounds(), *mask, TDrawFlags::None,
                            200, 3, 5);
  auto spent = std::chrono::steady_clock::now() - started;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(spent).count(), 5000);
}

}  // namespace
}  // namespace orvo
