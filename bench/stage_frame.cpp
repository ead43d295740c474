// Update and paint of a full stage: 800 x 600, 1,000 boxes, with one small
// box or every box moving each frame. Only the dirty area is repainted.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "base/runtime_state.h"
#include "stage/stage.h"
#include "surface/custom_dibx.h"

namespace orvo {
namespace {

class TBenchBox : public TOrvoControl {
 public:
  using TOrvoControl::TOrvoControl;
  uint8_t CompoType() const override { return kcBox; }
  void Paint(TCustomDIBX& surface) override {
    surface.FillRect(ObjectRect(), static_cast<uint32_t>(surface.ColorToPixel(Color())));
    PaintChildren(surface);
  }
};

struct TBenchStage {
  TRuntimeState state;
  TOrvoBaseList stage{state};
  std::vector<TBenchBox*> boxes;

  explicit TBenchStage(int count) {
    state.frame_delta = 15;
    stage.SetSize(800, 600);
    uint32_t seed = 12345;
    for (int i = 0; i < count; ++i) {
      seed = seed * 1103515245u + 12345u;
      TBenchBox* box = stage.Create<TBenchBox>();
      box->SetParent(&stage.ActiveScreen());
      box->SetBoundsRect(static_cast<int32_t>(seed % 768), static_cast<int32_t>((seed >> 10) % 568), 32, 32);
      box->SetProperty(PR_COLOR, TPropValue::Int(static_cast<int32_t>(seed & 0xFFFFFF)));
      boxes.push_back(box);
    }
    Frame();
  }

  void Frame() {
    state.total_elapsed += state.frame_delta;
    stage.UpdateAll();
    stage.PaintAll();
    stage.ClearDirty();
  }
};

void BM_OneSmallObjectMoves(benchmark::State& bench) {
  TBenchStage s(1000);
  TBenchBox* mover = s.boxes[500];
  mover->SetBoundsRect(0, 300, 16, 16);
  s.Frame();
  int32_t x = 0;
  for (auto _ : bench) {
    x = (x + 3) % 780;
    mover->SetProperty(PR_LEFT, TPropValue::Int(x));
    s.Frame();
  }
}
BENCHMARK(BM_OneSmallObjectMoves)->Unit(benchmark::kMicrosecond);

void BM_AllObjectsMove(benchmark::State& bench) {
  TBenchStage s(1000);
  for (auto _ : bench) {
    for (TBenchBox* box : s.boxes) box->SetProperty(PR_LEFT, TPropValue::Int((box->Left() + 1) % 768));
    s.Frame();
  }
}
BENCHMARK(BM_AllObjectsMove)->Unit(benchmark::kMicrosecond);

void BM_NothingChanges(benchmark::State& bench) {
  TBenchStage s(1000);
  for (auto _ : bench) s.Frame();
}
BENCHMARK(BM_NothingChanges)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvo
