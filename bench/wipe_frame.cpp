// One step of every wipe kind on a 1280 x 720, 32-bit screen, next to memcpy
// of one frame. Each iteration moves the time on by 37 ms of a 1000 ms wipe,
// so that every kind's progress changes and the step draws.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/random.h"
#include "surface/dibx.h"
#include "wipe/wipe.h"

namespace {

using orvo::TDIBX;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int64_t kFrameBytes = int64_t{kWidth} * kHeight * 4;

std::unique_ptr<TDIBX> Picture(uint32_t seed) {
  auto picture = std::make_unique<TDIBX>();
  picture->SetSize(kWidth, kHeight, 32);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      uint32_t v = (static_cast<uint32_t>(x) * 2654435761u) ^ (static_cast<uint32_t>(y) * 40503u) ^ seed;
      picture->SetPixel(x, y, ((x / 40 + y / 40) % 2) ? (v & 0xFFFFFF) : 0x204080);
    }
  }
  return picture;
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> from(kFrameBytes, 1), to(kFrameBytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_Memcpy);

void BM_WipeFrame(benchmark::State& state) {
  const int32_t kind = static_cast<int32_t>(state.range(0));
  static std::unique_ptr<TDIBX> from = Picture(1), to = Picture(2);
  TDIBX destination;
  destination.SetSize(kWidth, kHeight, 32);
  destination.Assign(*from);
  orvo::ProcessRandom().Seed(1);
  std::unique_ptr<orvo::TCustomWipe> wipe = orvo::CreateWipe(kind, destination, *from, *to);
  wipe->SetDuration(1000);
  wipe->SetReverse(false);
  wipe->Prepare();
  int32_t t = 0;
  int64_t drawn = 0;
  for (auto _ : state) {
    t = (t + 37) % 1000;
    wipe->SetElapsed(t);
    wipe->Step();
    drawn += wipe->UpdateRect().IsEmpty() ? 0 : 1;
    benchmark::ClobberMemory();
  }
  if (drawn != static_cast<int64_t>(state.iterations())) state.SkipWithError("a step drew nothing");
  state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_WipeFrame)->DenseRange(1, 38)->Unit(benchmark::kMicrosecond);

}  // namespace
