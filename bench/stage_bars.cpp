// Bar controls on an 800 x 600 stage: 50 sliders whose values move and 50
// gauges that drain and fill, updated and repainted each frame; and a bar of
// 800 x 32 tiled from a 16-pixel cell against one plain copy of that area.
#include <benchmark/benchmark.h>

#include "base/runtime_state.h"
#include "base/stream.h"
#include "image/dova.h"
#include "stage/cell_draw.h"
#include "stage/stage.h"

namespace orvo {
namespace {

class TBenchFiles : public IPictureFiles {
 public:
  bool Contains(const std::string& name) override { return files.count(name) > 0; }
  std::string Load(const std::string& name) override { return files.at(name); }
  std::map<std::string, std::string> files;
};

// A picture of cells side by side, each shaded from its own colour.
std::string Cells(int32_t cell_width, int32_t height, int32_t count) {
  TDovaFrameList list;
  TDovaFrame& frame = list.AddFrame();
  frame.picture.SetSize(cell_width * count, height, 32);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < cell_width * count; ++x) {
      frame.picture.SetPixel(x, y, static_cast<uint32_t>((x / cell_width) * 0x304050 + y * 3 + x % cell_width));
    }
  }
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 90);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void SlidersAndGaugesPerFrame(benchmark::State& bench) {
  TRuntimeState state;
  state.frame_delta = 15;
  TOrvoBaseList stage(state);
  stage.SetSize(800, 600);
  TBenchFiles files;
  files.files["bar.dov"] = Cells(120, 8, 2);
  files.files["thumb.dov"] = Cells(12, 20, 3);
  files.files["buttons.dov"] = Cells(16, 16, 6);
  files.files["gauge.dov"] = Cells(16, 12, 2);
  stage.Pictures().SetFiles(&files);
  std::vector<TOrvoObject*> sliders, gauges;
  for (int i = 0; i < 50; ++i) {
    TOrvoObject* slider = stage.CreateByKind(kcSlider);
    slider->SetProperty(PR_PARENT, TPropValue::Str(""));
    slider->SetProperty(PR_SOURCE, TPropValue::Str("bar.dov"));
    slider->SetProperty(PR_THUMBSOURCE, TPropValue::Str("thumb.dov"));
    slider->SetProperty(PR_BUTTONSOURCE, TPropValue::Str("buttons.dov"));
    slider->SetProperty(PR_MAX, TPropValue::Int(100));
    slider->SetProperty(PR_ALPHA, TPropValue::Int(i % 2 ? 255 : 180));
    slider->SetProperty(PR_LEFT, TPropValue::Int((i % 5) * 160));
    slider->SetProperty(PR_TOP, TPropValue::Int((i / 5) * 30));
    sliders.push_back(slider);
    TOrvoObject* gauge = stage.CreateByKind(kcGauge);
    gauge->SetProperty(PR_PARENT, TPropValue::Str(""));
    gauge->SetProperty(PR_SOURCE, TPropValue::Str("gauge.dov"));
    gauge->SetProperty(PR_BARSIZE, TPropValue::Int(150));
    gauge->SetProperty(PR_MAX, TPropValue::Int(100));
    gauge->SetProperty(PR_VALUE, TPropValue::Int(100));
    gauge->SetProperty(PR_DELAY, TPropValue::Int(800));
    gauge->SetProperty(PR_DURATION, TPropValue::Int(100));
    gauge->SetProperty(PR_ALPHA, TPropValue::Int(255));
    gauge->SetProperty(PR_LEFT, TPropValue::Int((i % 5) * 160));
    gauge->SetProperty(PR_TOP, TPropValue::Int(300 + (i / 5) * 30));
    gauges.push_back(gauge);
  }
  int64_t frame = 0;
  for (auto _ : bench) {
    ++frame;
    state.total_elapsed += state.frame_delta;
    for (size_t i = 0; i < sliders.size(); ++i) {
      sliders[i]->SetProperty(PR_VALUE, TPropValue::Int(static_cast<int32_t>((frame + static_cast<int64_t>(i)) % 101)));
      // Every gauge changes direction every 40 frames.
      if ((frame + static_cast<int64_t>(i)) % 40 == 0) {
        gauges[i]->SetProperty(PR_VALUE, TPropValue::Int(gauges[i]->GetInt(PR_VALUE) > 50 ? 20 : 100));
      }
    }
    stage.UpdateAll();
    stage.PaintAll();
    stage.ClearDirty();
  }
}
BENCHMARK(SlidersAndGaugesPerFrame)->Unit(benchmark::kMicrosecond);

TDovaItemFrame BarFrame(int32_t cell_width) {
  TDovaItemFrame frame;
  frame.surface = std::make_shared<TDIBX>();
  frame.surface->SetSize(cell_width * 2, 32, 32);
  frame.surface->Clear(0x406080);
  return frame;
}

// 0: TileCell of a 16 x 32 cell over 800 x 32; 1: the same with a phase; 2: one Draw of 800 x 32.
void BarOf800x32(benchmark::State& bench) {
  const int how = static_cast<int>(bench.range(0));
  TDIBX target;
  target.SetSize(800, 600, 32);
  const TDovaItemFrame cell = BarFrame(16);
  TDIBX whole;
  whole.SetSize(800, 32, 32);
  whole.Clear(0x406080);
  for (auto _ : bench) {
    if (how == 2) {
      target.Draw(0, 100, whole, whole.GetBounds(), TDrawFlags::None);
    } else {
      TileCell(cell, target, {0, 100, 800, 132}, 255, TDrawFlags::None, how == 1 ? 7 : 0, 0, {16, 0, 32, 32});
    }
    benchmark::DoNotOptimize(target.GetPixel(5, 105));
  }
}
BENCHMARK(BarOf800x32)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvo
