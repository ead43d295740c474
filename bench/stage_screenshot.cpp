// SaveScreen of an 800 x 600 stage: the capture alone, and the whole call
// into a memory file (uncompressed) and into a game file (zlib), from a
// compiled expression.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "base/files.h"
#include "base/random.h"
#include "stage/functions/game_functions.h"
#include "stage/functions/screenshot.h"
#include "stage/stage_system_host.h"
#include "vars/parser.h"

namespace orvo {
namespace {

class TBenchBox : public TOrvoControl {
 public:
  using TOrvoControl::TOrvoControl;
  void Paint(TCustomDIBX& surface) override {
    surface.FillRect(ObjectRect(), static_cast<uint32_t>(surface.ColorToPixel(Color())));
  }
};

struct TBenchGame {
  TRuntimeState state;
  TOrvoBaseList stage{state};
  TStageSystemHost host{state, stage};
  TProcessRandom random;
  TExprEngine engine{host, random};
  TVrFileManager files;
  std::unique_ptr<IDialogs> dialogs = CreateHeadlessDialogs();
  std::unique_ptr<IDesktop> desktop;

  TBenchGame() {
    const std::string folder = PrivateTempFolder() + "/bench-game";
    std::filesystem::create_directories(folder);
    desktop = CreateHeadlessDesktop(*dialogs, folder);
    files.SetFolder(folder);
    stage.SetSize(800, 600);
    for (int i = 0; i < 200; ++i) {
      TBenchBox* box = stage.Create<TBenchBox>();
      box->SetParent(&stage.ActiveScreen());
      box->SetBoundsRect((i * 37) % 760, (i * 53) % 560, 40, 40);
      box->SetProperty(PR_COLOR, TPropValue::Int(i * 0x10101));
    }
    stage.PaintAll();
    stage.ClearDirty();
    RegisterGameFunctions(engine, TGameFunctionServices(stage, files, *desktop, state));
  }
};

void BM_CaptureScreen(benchmark::State& bench) {
  TBenchGame game;
  for (auto _ : bench) benchmark::DoNotOptimize(CaptureScreen(game.stage, 0));
}
BENCHMARK(BM_CaptureScreen)->Unit(benchmark::kMillisecond);

void BM_SaveScreenToMemory(benchmark::State& bench) {
  TBenchGame game;
  for (auto _ : bench) benchmark::DoNotOptimize(EvaluateText(game.engine, "SaveScreen(\"mem:shot.dov\")"));
}
BENCHMARK(BM_SaveScreenToMemory)->Unit(benchmark::kMillisecond);

void BM_SaveScreenToFile(benchmark::State& bench) {
  TBenchGame game;
  for (auto _ : bench) benchmark::DoNotOptimize(EvaluateText(game.engine, "SaveScreen(\"shot.dov\")"));
}
BENCHMARK(BM_SaveScreenToFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
