// Pictures on a 640 x 480 stage: 40 animated 96 x 96 pictures (key-coloured,
// blended, added, zoomed or turned) updated and repainted each frame, and
// the cache's first load of a picture.
#include <benchmark/benchmark.h>

#include <numbers>

#include "base/runtime_state.h"
#include "base/stream.h"
#include "image/dova.h"
#include "stage/stage.h"

namespace orvo {
namespace {

class TBenchFiles : public IPictureFiles {
 public:
  bool Contains(const std::string& name) override { return name == "p.dov"; }
  std::string Load(const std::string&) override { return bytes; }
  std::string bytes;
};

std::string Picture() {
  TDovaFrameList list;
  for (int f = 0; f < 4; ++f) {
    TDovaFrame& frame = list.AddFrame();
    frame.delay = 60;
    frame.picture.SetSize(96, 96, 32);
    for (int32_t y = 0; y < 96; ++y) {
      for (int32_t x = 0; x < 96; ++x) {
        const bool hole = (x - 48) * (x - 48) + (y - 48) * (y - 48) > 44 * 44;
        frame.picture.SetPixel(x, y, hole ? 0xFF00FF : static_cast<uint32_t>((x * 2 + f * 40) << 16 | y * 2 << 8 | 90));
      }
    }
    frame.SetTransparentColor(0xFF00FF);
  }
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 90);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

// Every picture's look: 0 key-coloured copy, 1 blend, 2 add, 3 zoomed, 4 turned.
void PicturesPerFrame(benchmark::State& bench) {
  TRuntimeState state;
  state.frame_delta = 15;
  TOrvoBaseList stage(state);
  stage.SetSize(640, 480);
  TBenchFiles files;
  files.bytes = Picture();
  stage.Pictures().SetFiles(&files);
  const int look = static_cast<int>(bench.range(0));
  for (int i = 0; i < 40; ++i) {
    TOrvoObject* picture = stage.CreateByKind(kcImages);
    picture->SetProperty(PR_PARENT, TPropValue::Str(""));
    picture->SetProperty(PR_SOURCE, TPropValue::Str("p.dov"));
    picture->SetProperty(PR_REPEAT, TPropValue::Bool(true));
    picture->SetProperty(PR_LEFT, TPropValue::Int((i % 8) * 80));
    picture->SetProperty(PR_TOP, TPropValue::Int((i / 8) * 90));
    if (look == 1) picture->SetProperty(PR_ALPHA, TPropValue::Int(160));
    if (look == 2) picture->SetProperty(PR_ALPHA, TPropValue::Int(400));
    if (look == 3) picture->SetProperty(PR_FLOATZOOMX, TPropValue::Float(1.5));
    if (look == 4) picture->SetProperty(PR_FLOATANGLE, TPropValue::Float(std::numbers::pi_v<long double> / 5));
  }
  for (auto _ : bench) {
    state.total_elapsed += state.frame_delta;
    stage.UpdateAll();
    stage.PaintAll();
    stage.ClearDirty();
  }
}
BENCHMARK(PicturesPerFrame)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void FirstLoadOfAPicture(benchmark::State& bench) {
  TRuntimeState state;
  TOrvoBaseList stage(state);
  TBenchFiles files;
  files.bytes = Picture();
  stage.Pictures().SetFiles(&files);
  int user = 0;
  for (auto _ : bench) {
    TDovaItem* item = stage.Pictures().AcquirePicture(&user, "p.dov", false, false);
    stage.Pictures().ReleasePicture(item, &user);
  }
}
BENCHMARK(FirstLoadOfAPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvo
