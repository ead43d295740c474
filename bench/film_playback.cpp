// Films on an 800 x 600 stage: 200 image tracks shown frame by frame (seek,
// update, paint) against the same properties set on 200 pictures directly;
// and loading a film of 1,000 tracks against reading its bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "base/runtime_state.h"
#include "base/stream.h"
#include "film/film.h"
#include "film/film_image.h"
#include "image/dova.h"
#include "stage/stage.h"
#include "support/film_writer.h"

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
  for (int f = 0; f < 2; ++f) {
    TDovaFrame& frame = list.AddFrame();
    frame.delay = 100;
    frame.picture.SetSize(32, 32, 32);
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 32; ++x)
        frame.picture.SetPixel(x, y, static_cast<uint32_t>(x * 8 << 16 | y * 8 << 8 | f * 200));
    }
  }
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 90);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

std::string ManyTracks(int count, const std::string& path) {
  test::TWriterFilm film;
  film.width = 800, film.height = 600;
  for (int i = 0; i < count; ++i) {
    test::TWriterTrack track;
    track.type = 0;
    track.length = 600;
    track.path = path;
    track.x0 = (i * 37) % 760, track.y0 = (i * 53) % 560;
    track.x1 = (i * 91) % 760, track.y1 = (i * 29) % 560;
    track.alpha0 = 200, track.alpha1 = 120;
    track.priority = i % 7;
    film.tracks.push_back(track);
  }
  return test::WriteFilmBytes(film);
}

struct TRig {
  TRig() : stage(state) {
    state.frame_delta = 16;
    stage.SetSize(800, 600);
    files.bytes = Picture();
    stage.Pictures().SetFiles(&files);
  }
  void Step() {
    state.total_elapsed += state.frame_delta;
    stage.UpdateAll();
    stage.PaintAll();
    stage.ClearDirty();
  }
  TRuntimeState state;
  TOrvoBaseList stage;
  TBenchFiles files;
};

void FilmOf200ImageTracks(benchmark::State& bench) {
  TRig rig;
  TFilmManager film;
  film.SetFilmStage(&rig.stage);
  film.LoadFilm(ManyTracks(200, "p.dov"), "");
  int32_t frame = 0;
  for (auto _ : bench) {
    film.SeekFrame(frame);
    frame = (frame + 1) % 600;
    rig.Step();
  }
}
BENCHMARK(FilmOf200ImageTracks)->Unit(benchmark::kMicrosecond);

// The same values on 200 pictures, computed ahead of the run.
void SamePropertiesOn200Pictures(benchmark::State& bench) {
  TRig rig;
  TFilmManager film;
  film.SetFilmStage(&rig.stage);
  film.LoadFilm(ManyTracks(200, "p.dov"), "");
  std::vector<TOrvoImage*> pictures;
  std::vector<std::vector<TTrackValues>> values(200);
  for (int i = 0; i < 200; ++i) {
    auto* picture = rig.stage.Create<TOrvoImage>();
    std::string name = std::to_string(i);
    picture->SetName(name.insert(0, 1, 'p'));
    picture->SetParent(&rig.stage.ActiveScreen());
    pictures.push_back(picture);
    for (int f = 0; f < 600; ++f) values[i].push_back(TrackValuesAt(*film.Track(i), f));
  }
  film.Clear();
  TDovaItem* item = rig.stage.Pictures().AcquirePicture(&pictures, "p.dov", true, false);
  int32_t frame = 0;
  for (auto _ : bench) {
    for (int i = 0; i < 200; ++i) {
      const TTrackValues& v = values[i][frame];
      TOrvoImage& p = *pictures[i];
      const TDovaItemFrame& source = item->Frames()[v.frame];
      p.SetExternalPicture({source.surface, source.mask, source.key_color, source.draw_rects});
      p.SetProperty(PR_PRIORITY, TPropValue::Int(i % 7));
      p.SetProperty(PR_LEFT, TPropValue::Int(v.x));
      p.SetProperty(PR_TOP, TPropValue::Int(v.y));
      p.SetProperty(PR_ALPHA, TPropValue::Int(v.alpha));
      p.MarkSizeDue();
    }
    rig.stage.ActiveScreen().SortChildren();
    frame = (frame + 1) % 600;
    rig.Step();
  }
  rig.stage.Pictures().ReleasePicture(item, &pictures);
}
BENCHMARK(SamePropertiesOn200Pictures)->Unit(benchmark::kMicrosecond);

void LoadAFilmOf1000Tracks(benchmark::State& bench) {
  const std::string bytes = ManyTracks(1000, "pictures\\p.dov");
  for (auto _ : bench) {
    TFilmManager film;
    benchmark::DoNotOptimize(film.LoadFilm(bytes, "films\\op.ocn"));
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(LoadAFilmOf1000Tracks)->Unit(benchmark::kMicrosecond);

void ReadTheBytesOfThatFilm(benchmark::State& bench) {
  const std::string bytes = ManyTracks(1000, "pictures\\p.dov");
  std::vector<char> copy(bytes.size());
  for (auto _ : bench) {
    TSpanStream stream(bytes.data(), bytes.size());
    stream.ReadBuffer(copy.data(), copy.size());
    benchmark::DoNotOptimize(copy.data());
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(ReadTheBytesOfThatFilm)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvo
