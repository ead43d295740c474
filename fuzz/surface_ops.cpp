// Random drawing operations with random rectangles, clips, flips, opacities
// and formats. Each operation runs twice, on the SIMD kernels and on the
// per-pixel reference, and the two results must agree.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

#include "fuzz_budget.h"
#include "surface/dibx.h"
#include "surface/dibx_wave.h"
#include "surface/kernels.h"

namespace {

using namespace orvo;

int32_t Coordinate(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 9)) {
    case 0:
      return std::numeric_limits<int32_t>::min();
    case 1:
      return std::numeric_limits<int32_t>::max();
    case 2:
      return in.ConsumeIntegral<int32_t>();
    default:
      return in.ConsumeIntegralInRange<int32_t>(-12, 52);
  }
}

TRect Rect(FuzzedDataProvider& in) { return {Coordinate(in), Coordinate(in), Coordinate(in), Coordinate(in)}; }

long double Real(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
      return NAN;
    case 1:
      return 1e30L;
    case 2:
      return -in.ConsumeFloatingPointInRange<double>(0, 4);
    case 3:
      return 1e-7L;
    default:
      return in.ConsumeFloatingPointInRange<double>(0, 6);
  }
}

std::unique_ptr<TDIBX> Surface(FuzzedDataProvider& in, int bits) {
  auto surface = std::make_unique<TDIBX>();
  int32_t width = in.ConsumeIntegralInRange<int32_t>(0, 40), height = in.ConsumeIntegralInRange<int32_t>(0, 40);
  surface->SetSize(width, height, bits);
  uint32_t seed = in.ConsumeIntegral<uint32_t>();
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      surface->SetPixel(x, y, (seed >> 7) % 5 == 0 ? 0u : seed >> 3);
    }
  }
  if (in.ConsumeBool()) surface->SetKeyColor(static_cast<int32_t>(surface->GetPixel(0, 0)));
  return surface;
}

struct TScene {
  std::unique_ptr<TDIBX> source, mask, bits1, bits4, bits8;
};

void RunOperation(TCustomDIBX& dest, TScene& scene, FuzzedDataProvider& in) {
  TCustomDIBX& src = *scene.source;
  TCustomDIBX& mask = *scene.mask;
  int op = in.ConsumeIntegralInRange<int>(0, 40);
  if (in.ConsumeBool()) dest.AddClip(Rect(in));
  if (in.ConsumeBool()) dest.SetClipRect(Rect(in));
  TRect r = Rect(in), s = in.ConsumeBool() ? src.GetBounds() : Rect(in);
  int32_t x = Coordinate(in), y = Coordinate(in);
  auto flags = static_cast<TDrawFlags>(in.ConsumeIntegralInRange<int>(0, 7));
  int opacity = in.ConsumeIntegralInRange<int>(-10, 600);
  uint32_t pixel = in.ConsumeIntegral<uint32_t>();
  long double sx = Real(in), sy = Real(in), angle = Real(in);
  int32_t gx = in.ConsumeIntegralInRange<int32_t>(-45, 10), gy = in.ConsumeIntegralInRange<int32_t>(-45, 10);
  TBytePalette palette{};
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010203u;
  TNibblePalette nibbles{};
  for (uint32_t i = 0; i < 16; ++i) nibbles[i] = i * 0x11223u;
  switch (op) {
    case 0:
      dest.FillRect(r, pixel);
      break;
    case 1:
      dest.FillRectBlend(r, pixel, opacity);
      break;
    case 2:
      dest.FillRectAdd(r, pixel);
      break;
    case 3:
      dest.FillRectSub(r, pixel);
      break;
    case 4:
      dest.FrameRect(r, gx, pixel);
      break;
    case 5:
      dest.FrameRectBlend(r, gx, pixel, opacity);
      break;
    case 6:
      dest.Assign(src);
      break;
    case 7:
      dest.Draw(x, y, src, s, flags);
      break;
    case 8:
      dest.DrawMask(x, y, src, s, flags, mask);
      break;
    case 9:
      dest.DrawBlend(x, y, src, s, flags, opacity);
      break;
    case 10:
      dest.DrawMaskBlend(x, y, src, s, flags, mask, opacity);
      break;
    case 11:
      dest.DrawAdd(x, y, src, s, flags, opacity);
      break;
    case 12:
      dest.DrawMaskAdd(x, y, src, s, flags, mask, opacity);
      break;
    case 13:
      dest.DrawColorMask(x, y, mask, s, flags, pixel, opacity);
      break;
    case 14:
      dest.DrawTransformed(x, y, sx, sy, src, s, gx, gy, angle, flags, opacity);
      break;
    case 15:
      dest.DrawTransformedMask(x, y, sx, sy, src, s, gx, gy, angle, flags, mask, opacity);
      break;
    case 16:
      dest.DrawTransformedSmooth(x, y, sx, sy, src, s, gx, gy, angle, flags, &mask, opacity);
      break;
    case 17:
      dest.StretchDraw(r, src, s, flags, opacity);
      break;
    case 18:
      dest.StretchDrawMask(r, src, s, flags, mask, opacity);
      break;
    case 19:
      dest.StretchDrawAdd(r, src, s, flags, opacity);
      break;
    case 20:
      dest.StretchDrawMaskAdd(r, src, s, flags, mask, opacity);
      break;
    case 21:
      dest.DrawCoverage(x, y, *scene.bits1, s, pixel, flags, opacity, gx);
      break;
    case 22:
      dest.DrawCoverage3(x, y, *scene.bits4, s, {pixel, pixel >> 3, ~pixel}, flags, opacity, gy);
      break;
    case 23:
      dest.TileDraw(r, gx, gy, src, s, flags, x, y);
      break;
    case 24:
      dest.TileDrawBlend(r, gx, gy, src, s, flags, opacity, x, y);
      break;
    case 25:
      dest.TileDrawAdd(r, gx, gy, src, s, flags, opacity, x, y);
      break;
    case 26:
      dest.TileDrawMask(r, gx, gy, src, s, mask, x, y);
      break;
    case 27:
      dest.TileDrawMaskBlend(r, gx, gy, src, s, mask, opacity, x, y);
      break;
    case 28:
      dest.TileDrawMaskAdd(r, gx, gy, src, s, mask, opacity, x, y);
      break;
    case 29:
      dest.TileStretchDraw(r, gx, gy, sx, sy, src, s, flags, opacity, x, y);
      break;
    case 30:
      dest.TileStretchDrawMask(r, gx, gy, sx, sy, src, s, mask, flags, opacity, x, y);
      break;
    case 31:
      dest.PatternFrame(r, gx, src, x, y);
      break;
    case 32:
      dest.DrawNibblePalette(x, y, *scene.bits4, s, flags, opacity, nibbles);
      break;
    case 33:
      dest.DrawPaletteAdd(x, y, *scene.bits8, s, gx, flags, opacity, palette);
      break;
    case 34:
      dest.StretchDrawPaletteAdd(r, *scene.bits8, s, gy, flags, opacity, palette);
      break;
    case 35:
      dest.ScaledPatternFill(r, src, sx, sy, x, y, flags, opacity);
      break;
    case 36:
      dest.ScaledPatternFillMask(r, src, sx, sy, x, y, mask, flags, opacity);
      break;
    case 37:
      dest.PatternFill(r, src, x, y, flags);
      break;
    case 38:
      dest.Draw(x, y, dest, s, flags);
      break;  // onto itself
    case 39:
      dest.Clear(pixel);
      break;
    default:
      dest.DrawTransformedAll(x, y, sx, sy, src, gx, gy, angle, flags, opacity);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  static const int kFormats[] = {8, 15, 16, 24, 32};
  int bits = kFormats[in.ConsumeIntegralInRange<int>(0, 4)];
  TScene scene;
  auto dest = Surface(in, bits);
  scene.source = Surface(in, in.ConsumeIntegralInRange<int>(0, 9) == 0 ? 8 : bits);
  scene.mask = Surface(in, 8);
  scene.bits1 = Surface(in, 1);
  scene.bits4 = Surface(in, 4);
  scene.bits8 = Surface(in, 8);
  bool through_wave = in.ConsumeBool();
  for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step) {
    auto operation_bytes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 64));
    auto reference = std::make_unique<TDIBX>();
    reference->SetSize(dest->Width(), dest->Height(), bits);
    reference->Assign(*dest);
    reference->RestoreClip(dest->SaveClip());
    for (int pass = 0; pass < 2; ++pass) {
      TDIBX& target = pass == 0 ? *dest : *reference;
      pixel::SetSimdLevel(pass == 0 ? pixel::TSimdLevel::Avx2 : pixel::TSimdLevel::Scalar);
      FuzzedDataProvider op_input(operation_bytes.data(), operation_bytes.size());
      // Every operation may cost a constant times the pixels it can change, never more.
      fuzz::TWorkBudget budget(50, 10);
      budget.Start();
      if (through_wave) {
        TDIBXWave wave(&target);
        wave.SetSize(target.Width(), target.Height(), bits);
        for (size_t i = 0; i < wave.Offsets().size(); ++i) wave.Offsets()[i] = static_cast<int32_t>(i % 5) - 2;
        RunOperation(wave, scene, op_input);
      } else {
        RunOperation(target, scene, op_input);
      }
      budget.Check(int64_t{target.Width()} * target.Height(), "a drawing operation");
    }
    pixel::SetSimdLevel(pixel::TSimdLevel::Avx2);
    for (int32_t y = 0; y < dest->Height(); ++y) {
      for (int32_t x = 0; x < dest->Width(); ++x) {
        if (dest->GetPixel(x, y) != reference->GetPixel(x, y)) std::abort();
      }
    }
  }
  return 0;
}
