// A generated three-minute format-1 song on 16 channels: sequencing alone
// (to a recording sink) and sequencing with FluidSynth's synthesis, each as
// a share of the song's real time on one core ("rt_share_pct").
#include <benchmark/benchmark.h>
#include <time.h>

#include <filesystem>

#include "media/midi_player.h"
#include "media/midi_writer.h"
#include "platform/midi_out.h"

namespace orvo {
namespace {

constexpr int32_t kSongSeconds = 180;

class TOneOutput : public IMidiDevices {
 public:
  explicit TOneOutput(std::function<std::unique_ptr<IMidiOut>()> open) : open_(std::move(open)) {}
  std::vector<std::string> Names() const override { return {"bench"}; }
  std::unique_ptr<IMidiOut> Open(int32_t) override { return open_(); }

 private:
  std::function<std::unique_ptr<IMidiOut>()> open_;
};

const std::string& Song() {
  static const std::string song = ComposeSong(kSongSeconds, 16);
  return song;
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processor seconds of this thread per song second, in per cent.
double RealTimeShare(benchmark::State& state, double seconds) {
  return seconds * 100.0 / (static_cast<double>(state.iterations()) * kSongSeconds);
}

// Plays the whole song tick by tick; between ticks, step(ms) runs.
void PlaySong(IMidiDevices& devices, const std::function<void()>& between) {
  uint32_t clock = 0;
  TMidiPlayV sequencer(devices, TTimerDrive::Manual,
                       {[&clock] { return clock; }, [&clock](int32_t ms) { clock += static_cast<uint32_t>(ms); }});
  const std::string& song = Song();
  sequencer.LoadSong(reinterpret_cast<const uint8_t*>(song.data()), song.size());
  sequencer.OpenOutput(-1);
  sequencer.SendGmReset();
  sequencer.PlayFrom(0);
  while (!sequencer.SongEnded()) {
    clock += 10;
    sequencer.Tick();
    between();
  }
  sequencer.StopSong();
}

void BM_MidiSequencing(benchmark::State& state) {
  TMidiRecorder recorder(nullptr);
  TOneOutput devices([&recorder] { return recorder.OpenOutput(); });
  size_t messages = 0;
  const double start = ThreadSeconds();
  for (auto _ : state) {
    PlaySong(devices, [] {});
    messages = recorder.Records().size();
    recorder.Clear();
  }
  state.counters["rt_share_pct"] = RealTimeShare(state, ThreadSeconds() - start);
  state.counters["messages"] = static_cast<double>(messages);
}
BENCHMARK(BM_MidiSequencing)->Unit(benchmark::kMillisecond);

void BM_MidiSequencingAndSynthesis(benchmark::State& state) {
  if (!std::filesystem::exists(DefaultSoundfontPath())) {
    state.SkipWithError("no soundfont");
    return;
  }
  std::unique_ptr<IMidiSynth> synth = OpenFluidSynth(DefaultSoundfontPath());
  TOneOutput devices([&synth] { return synth->OpenOutput(); });
  std::vector<int32_t> acc(441 * 2);
  const double start = ThreadSeconds();
  for (auto _ : state) {
    PlaySong(devices, [&] {
      std::fill(acc.begin(), acc.end(), 0);
      synth->MixInto(acc.data(), 441);
      benchmark::DoNotOptimize(acc.data());
    });
  }
  state.counters["rt_share_pct"] = RealTimeShare(state, ThreadSeconds() - start);
}
BENCHMARK(BM_MidiSequencingAndSynthesis)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
