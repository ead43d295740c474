// Effects on the stage, against a 15 ms frame: a 640 x 480 fire (one flame
// step and its drawing), 2,000 falling particles updated and repainted on an
// 800 x 600 stage, and a copy of a 640 x 480 32-bit surface for scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "base/random.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "image/dova.h"
#include "stage/fire.h"
#include "stage/particle.h"
#include "stage/stage.h"

namespace orvo {
namespace {

class TBenchFiles : public IPictureFiles {
 public:
  bool Contains(const std::string& name) override { return name == "flake.dov"; }
  std::string Load(const std::string&) override { return bytes; }
  std::string bytes;
};

// An 8 x 8 round flake with a key colour around it.
std::string Flake() {
  TDovaFrameList list;
  TDovaFrame& frame = list.AddFrame();
  frame.picture.SetSize(8, 8, 32);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const bool hole = (2 * x - 7) * (2 * x - 7) + (2 * y - 7) * (2 * y - 7) > 49;
      frame.picture.SetPixel(x, y, hole ? 0xFF00FF : 0xF0F0FF);
    }
  }
  frame.SetTransparentColor(0xFF00FF);
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 90);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void FireStepAndDraw(benchmark::State& bench) {
  TRuntimeState state;
  state.frame_delta = 16;
  TOrvoBaseList stage(state);
  stage.SetSize(640, 480);
  ProcessRandom().Seed(1);
  auto* fire = static_cast<TOrvoFire*>(stage.CreateByKind(kcFire));
  fire->SetProperty(PR_PARENT, TPropValue::Str(""));
  fire->SetProperty(PR_FLOATZOOMX, TPropValue::Float(1));
  fire->SetProperty(PR_FLOATZOOMY, TPropValue::Float(1));
  fire->SetProperty(PR_ORIGWIDTH, TPropValue::Int(640));
  fire->SetProperty(PR_ORIGHEIGHT, TPropValue::Int(480));
  stage.UpdateAll();
  TDIBX& display = stage.DisplaySurface();
  for (int i = 0; i < 30; ++i) fire->Step();
  for (auto _ : bench) {
    display.Clear(0);
    fire->Step();
    fire->Paint(display);
    benchmark::DoNotOptimize(display.GetPixel(320, 470));
  }
}
BENCHMARK(FireStepAndDraw)->Unit(benchmark::kMillisecond);

void ParticlesPerFrame(benchmark::State& bench) {
  TRuntimeState state;
  state.frame_delta = 16;
  TOrvoBaseList stage(state);
  stage.SetSize(800, 600);
  TBenchFiles files;
  files.bytes = Flake();
  stage.Pictures().SetFiles(&files);
  ProcessRandom().Seed(1);
  auto* emitter = static_cast<TOrvoParticle*>(stage.CreateByKind(kcParticle));
  emitter->SetProperty(PR_PARENT, TPropValue::Str(""));
  emitter->SetBoundsRect(0, 0, 800, 600);
  emitter->SetProperty(PR_SOURCE, TPropValue::Str("flake.dov"));
  emitter->SetProperty(PR_ALPHA, TPropValue::Int(255));
  emitter->SetProperty(PR_PARTMOTION, TPropValue::Int(PM_SNOW));
  emitter->SetProperty(PR_PARAM1, TPropValue::Float(0.01L));
  emitter->SetProperty(PR_PARAM2, TPropValue::Float(2));
  emitter->SetProperty(PR_PARAM3, TPropValue::Float(8));
  // 2,000 particles at once over the whole area, then none more.
  emitter->EmissionParam() = TOrvoParticleParam{0, 0, 800, 600, 2, 0};
  emitter->SetProperty(PR_INDEX, TPropValue::Int(4000));
  stage.UpdateAll();
  emitter->EmissionParam().IntervalBase = 1000000000;
  stage.PaintAll();
  stage.ClearDirty();
  for (auto _ : bench) {
    state.total_elapsed += 16;
    stage.UpdateAll();
    stage.PaintAll();
    stage.ClearDirty();
  }
  bench.counters["particles"] = emitter->ParticleCount();
}
BENCHMARK(ParticlesPerFrame)->Unit(benchmark::kMillisecond);

void CopySurface(benchmark::State& bench) {
  std::vector<uint32_t> from(640 * 480, 0x102030), to(640 * 480);
  for (auto _ : bench) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(CopySurface)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
