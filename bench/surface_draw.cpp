// The hot loops of a frame at 1280 x 720, 32 bits, next to memcpy of the same
// bytes and the equivalent pixman composites.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "surface/dibx.h"

#ifdef ORVO_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

using orvo::TDIBX;
using orvo::TDrawFlags;
using orvo::TRect;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int64_t kFrameBytes = int64_t{kWidth} * kHeight * 4;

uint32_t Mix(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7FEB352D;
  v ^= v >> 15;
  return v;
}

// A picture with a key colour in a quarter of its pixels, and an 8-bit mask
// like anti-aliased shapes have: mostly 0 or 255 with soft edges.
struct TScene {
  std::unique_ptr<TDIBX> dest, source, mask, half;
  TScene() {
    dest = std::make_unique<TDIBX>();
    source = std::make_unique<TDIBX>();
    mask = std::make_unique<TDIBX>();
    half = std::make_unique<TDIBX>();
    dest->SetSize(kWidth, kHeight, 32);
    source->SetSize(kWidth, kHeight, 32);
    mask->SetSize(kWidth, kHeight, 8);
    half->SetSize(kWidth / 2, kHeight / 2, 32);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        uint32_t h = Mix(static_cast<uint32_t>(y * kWidth + x));
        dest->SetPixel(x, y, h & 0xFFFFFF);
        source->SetPixel(x, y, ((x / 16 + y / 16) % 4 == 0) ? 0x00FF00FF : (Mix(h) & 0xFFFFFF));
        int ring = (x + 2 * y) % 64;
        mask->SetPixel(x, y, ring < 24 ? 0 : ring < 32 ? static_cast<uint32_t>((ring - 24) * 32) : 255);
        if (x < kWidth / 2 && y < kHeight / 2) half->SetPixel(x, y, h & 0xFFFFFF);
      }
    }
    source->SetKeyColor(0x00FF00FF);
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void Finish(benchmark::State& state) { state.SetBytesProcessed(state.iterations() * kFrameBytes); }

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> a(kFrameBytes, 1), b(kFrameBytes, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::ClobberMemory();
  }
  Finish(state);
}
BENCHMARK(BM_Memcpy);

void BM_Draw(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) s.dest->Draw(0, 0, *s.source, s.source->GetBounds(), TDrawFlags::None);
  Finish(state);
}
BENCHMARK(BM_Draw);

void BM_DrawKeyed(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) s.dest->Draw(0, 0, *s.source, s.source->GetBounds(), TDrawFlags::UseKey);
  Finish(state);
}
BENCHMARK(BM_DrawKeyed);

void BM_DrawBlend(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) s.dest->DrawBlend(0, 0, *s.source, s.source->GetBounds(), TDrawFlags::None, 128);
  Finish(state);
}
BENCHMARK(BM_DrawBlend);

void BM_DrawMaskBlend(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) {
    s.dest->DrawMaskBlend(0, 0, *s.source, s.source->GetBounds(), TDrawFlags::None, *s.mask, 200);
  }
  Finish(state);
}
BENCHMARK(BM_DrawMaskBlend);

void BM_DrawAdd(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) s.dest->DrawAdd(0, 0, *s.source, s.source->GetBounds(), TDrawFlags::None, 128);
  Finish(state);
}
BENCHMARK(BM_DrawAdd);

void BM_FillRect(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) s.dest->FillRect(s.dest->GetBounds(), 0x00336699);
  Finish(state);
}
BENCHMARK(BM_FillRect);

void BM_StretchDraw2x(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) s.dest->StretchDraw(s.dest->GetBounds(), *s.half, s.half->GetBounds(), TDrawFlags::None, 255);
  Finish(state);
}
BENCHMARK(BM_StretchDraw2x);

void BM_DrawTransformed(benchmark::State& state) {
  TScene& s = Scene();
  for (auto _ : state) {
    s.dest->DrawTransformed(kWidth / 2, kHeight / 2, 1.5L, 1.5L, *s.source, s.source->GetBounds(), kWidth / 2,
                            kHeight / 2, 0.3L, TDrawFlags::None, 255);
  }
  Finish(state);
}
BENCHMARK(BM_DrawTransformed);

// A 32 x 32 picture tiled every source pixel at zoom 50: each tile is 1600
// pixels wide and every pixel of the frame lies under 2500 of them.
std::unique_ptr<TDIBX> SmallTile() {
  auto tile = std::make_unique<TDIBX>();
  tile->SetSize(32, 32, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) tile->SetPixel(x, y, Mix(static_cast<uint32_t>(y * 32 + x)) & 0xFFFFFF);
  }
  return tile;
}

void BM_TileStretchPitch1Zoom50(benchmark::State& state) {
  TScene& s = Scene();
  auto tile = SmallTile();
  for (auto _ : state) {
    s.dest->TileStretchDraw(s.dest->GetBounds(), 1, 1, 50, 50, *tile, tile->GetBounds(), TDrawFlags::None, 255, 0, 0);
  }
  Finish(state);
}
BENCHMARK(BM_TileStretchPitch1Zoom50);

// The same through a mask: overlapping tiles compound, so the three topmost per axis are drawn.
void BM_TileStretchMaskPitch1Zoom50(benchmark::State& state) {
  TScene& s = Scene();
  auto tile = SmallTile();
  for (auto _ : state) {
    s.dest->TileStretchDrawMask(s.dest->GetBounds(), 1, 1, 50, 50, *tile, tile->GetBounds(), *s.mask, TDrawFlags::None,
                                200, 0, 0);
  }
  Finish(state);
}
BENCHMARK(BM_TileStretchMaskPitch1Zoom50);

// A plain stretch of the same picture over the same area, for comparison.
void BM_StretchTileSizedArea(benchmark::State& state) {
  TScene& s = Scene();
  auto tile = SmallTile();
  for (auto _ : state) s.dest->StretchDraw(s.dest->GetBounds(), *tile, tile->GetBounds(), TDrawFlags::None, 255);
  Finish(state);
}
BENCHMARK(BM_StretchTileSizedArea);

#ifdef ORVO_HAVE_PIXMAN

// pixman images over the same pixel rows (top-down views of the bottom-up stores).
struct TPixmanScene {
  pixman_image_t *dest, *source, *keyed, *mask, *half, *solid_half, *colour;
  TPixmanScene() {
    TScene& s = Scene();
    auto wrap = [](TDIBX& surface, pixman_format_code_t format) {
      int bytes = format == PIXMAN_a8 ? 1 : 4;
      // pixman wants a positive stride from the top row: copy into a private buffer.
      int stride = (surface.Width() * bytes + 3) & ~3;
      auto* bits = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(stride) * surface.Height(), 1));
      for (int y = 0; y < surface.Height(); ++y) {
        std::memcpy(reinterpret_cast<uint8_t*>(bits) + static_cast<size_t>(y) * stride, surface.Lock(0, y),
                    static_cast<size_t>(surface.Width()) * bytes);
      }
      return pixman_image_create_bits(format, surface.Width(), surface.Height(), bits, stride);
    };
    dest = wrap(*s.dest, PIXMAN_x8r8g8b8);
    source = wrap(*s.source, PIXMAN_x8r8g8b8);
    keyed = wrap(*s.source, PIXMAN_a8r8g8b8);  // key pixels as transparent
    uint32_t* k = pixman_image_get_data(keyed);
    for (int i = 0; i < kWidth * kHeight; ++i) k[i] = (k[i] == 0x00FF00FF) ? 0 : (k[i] | 0xFF000000);
    mask = wrap(*s.mask, PIXMAN_a8);
    half = wrap(*s.half, PIXMAN_x8r8g8b8);
    pixman_color_t grey{0x8080, 0x8080, 0x8080, 0x8080};
    solid_half = pixman_image_create_solid_fill(&grey);
    pixman_color_t fill{0x3333, 0x6666, 0x9999, 0xFFFF};
    colour = pixman_image_create_solid_fill(&fill);
  }
};

TPixmanScene& Pixman() {
  static TPixmanScene scene;
  return scene;
}

void Composite(pixman_op_t op, pixman_image_t* src, pixman_image_t* mask, pixman_image_t* dst) {
  pixman_image_composite32(op, src, mask, dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
}

void BM_PixmanCopy(benchmark::State& state) {
  TPixmanScene& p = Pixman();
  for (auto _ : state) Composite(PIXMAN_OP_SRC, p.source, nullptr, p.dest);
  Finish(state);
}
BENCHMARK(BM_PixmanCopy);

void BM_PixmanKeyedOver(benchmark::State& state) {
  TPixmanScene& p = Pixman();
  for (auto _ : state) Composite(PIXMAN_OP_OVER, p.keyed, nullptr, p.dest);
  Finish(state);
}
BENCHMARK(BM_PixmanKeyedOver);

void BM_PixmanOverSolidMask(benchmark::State& state) {
  TPixmanScene& p = Pixman();
  for (auto _ : state) Composite(PIXMAN_OP_OVER, p.source, p.solid_half, p.dest);
  Finish(state);
}
BENCHMARK(BM_PixmanOverSolidMask);

void BM_PixmanOverA8Mask(benchmark::State& state) {
  TPixmanScene& p = Pixman();
  for (auto _ : state) Composite(PIXMAN_OP_OVER, p.source, p.mask, p.dest);
  Finish(state);
}
BENCHMARK(BM_PixmanOverA8Mask);

void BM_PixmanAddSolidMask(benchmark::State& state) {
  TPixmanScene& p = Pixman();
  for (auto _ : state) Composite(PIXMAN_OP_ADD, p.source, p.solid_half, p.dest);
  Finish(state);
}
BENCHMARK(BM_PixmanAddSolidMask);

void BM_PixmanFill(benchmark::State& state) {
  TPixmanScene& p = Pixman();
  for (auto _ : state) {
    pixman_fill(pixman_image_get_data(p.dest), pixman_image_get_stride(p.dest) / 4, 32, 0, 0, kWidth, kHeight,
                0x00336699);
  }
  Finish(state);
}
BENCHMARK(BM_PixmanFill);

void BM_PixmanScale2x(benchmark::State& state) {
  TPixmanScene& p = Pixman();
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(p.half, &t);
  pixman_image_set_filter(p.half, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) Composite(PIXMAN_OP_SRC, p.half, nullptr, p.dest);
  pixman_image_set_transform(p.half, nullptr);
  Finish(state);
}
BENCHMARK(BM_PixmanScale2x);

void BM_PixmanRotate(benchmark::State& state) {
  TPixmanScene& p = Pixman();
  // Destination to source: about the centre, turned by -0.3 rad and scaled by 1 / 1.5.
  pixman_f_transform_t f;
  pixman_f_transform_init_translate(&f, -kWidth / 2.0, -kHeight / 2.0);
  pixman_f_transform_rotate(&f, nullptr, std::cos(-0.3), std::sin(-0.3));
  pixman_f_transform_scale(&f, nullptr, 1 / 1.5, 1 / 1.5);
  pixman_f_transform_translate(&f, nullptr, kWidth / 2.0, kHeight / 2.0);
  pixman_transform_t t;
  pixman_transform_from_pixman_f_transform(&t, &f);
  pixman_image_set_transform(p.source, &t);
  pixman_image_set_filter(p.source, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) Composite(PIXMAN_OP_SRC, p.source, nullptr, p.dest);
  pixman_image_set_transform(p.source, nullptr);
  Finish(state);
}
BENCHMARK(BM_PixmanRotate);

#endif

}  // namespace
