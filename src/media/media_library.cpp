#include "media/media_library.h"

#include <chrono>
#include <cstdio>

#include "media/audio_output.h"
#include "stage/stage.h"

namespace orvo {

namespace {

class TSilentMediaLibrary : public IMediaLibrary {
 public:
  void Start(const TMediaStartOptions&) override {}
  void Suspend() override {}
  void Resume() override {}
  void Stop() override {}
};

uint32_t SteadyMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

class TMediaLibrary : public IMediaLibrary {
 public:
  TMediaLibrary(TOrvoBaseList& stage, TMediaServices services) : stage_(stage), services_(std::move(services)) {}
  ~TMediaLibrary() override { Stop(); }

  void Start(const TMediaStartOptions& options) override {
    if (system_) return;
    bool game_clock = options.game_clock || !options.audio_out.empty();
    std::unique_ptr<IAudioDevice> device;
    if (!game_clock && !options.headless) {
      device = OpenSdlAudioDevice();
      if (!device) std::fprintf(stderr, "orvoplayer: no sound device; sound is not played\n");
    }
    if (!device) game_clock = true;
    TMillisecondClock clock;
    if (game_clock) {
      TOrvoBaseList* stage = &stage_;
      clock = [stage] { return static_cast<uint32_t>(stage->GameClock()); };
    } else {
      clock = SteadyMs;
    }
    system_ = std::make_unique<TMediaSystem>(services_, options.use_direct_sound, options.delay_time, !game_clock,
                                             std::move(clock));
    TMidiStartOptions midi;
    midi.open_synth = [] { return OpenFluidSynth(DefaultSoundfontPath()); };
    midi.mapper_port = options.midi_port;
    if (game_clock) {
      // Ticks come from the rendering, at the game clock's multiples of 10 ms.
      midi.drive = TTimerDrive::Manual;
      midi.real_time_pauses = false;
      TOrvoBaseList* stage = &stage_;
      midi.clock = [stage] { return static_cast<uint32_t>(stage->GameClock()); };
    } else {
      midi.drive = TTimerDrive::Thread;
      midi.clock = SteadyMs;
      midi.list_ports = ListAlsaMidiPorts;
      midi.open_port = OpenAlsaMidiOut;
    }
    system_->ConfigureMidi(std::move(midi));
    system_->RegisterKinds(stage_);
    output_ = std::make_unique<TAudioOutput>(system_->Engine());
    if (game_clock) {
      TMediaSystem* system = system_.get();
      output_->SetTicker([system](int32_t ms) {
        if (system->HasMidiMan()) system->MidiMan().TickAt(ms);
      });
      if (!output_->StartGameClock(options.audio_out)) {
        std::fprintf(stderr, "orvoplayer: cannot write %s\n", options.audio_out.c_str());
      }
    } else {
      output_->StartDevice(std::move(device));
    }
    if (!stage_.SoundOn()) system_->SetEnabled(false);
  }

  void Suspend() override {
    if (system_) system_->Suspend();
  }
  void Resume() override {
    if (system_) system_->Resume();
  }

  void Stop() override {
    // The managers stay: the stage's sound objects still hold their items
    // until the stage goes. The music stops before the output does.
    if (system_ && system_->HasMidiMan()) system_->MidiMan().Sequencer().StopSong();
    if (output_) output_->Stop();
    if (system_) system_->WaveOut().Close();
  }

  void SetSoundOn(bool on) override {
    if (system_) system_->SetEnabled(on);
  }

  std::vector<std::string> MidiPorts() const override {
    return system_ ? system_->MidiMan().PortNames() : std::vector<std::string>();
  }
  std::string MidiPort() const override { return system_ ? system_->MidiMan().PortName() : std::string(); }
  void SetMidiPort(const std::string& name) override {
    if (system_) system_->MidiMan().SelectPort(name);
  }

  void BeginFrame(int32_t total_elapsed) override {
    if (output_) output_->AdvanceTo(total_elapsed);
  }

  void EndFrame() override {
    if (output_ && output_->OnGameClock()) system_->WaveOut().Fill();
  }

 private:
  TOrvoBaseList& stage_;
  TMediaServices services_;
  std::unique_ptr<TMediaSystem> system_;
  std::unique_ptr<TAudioOutput> output_;
};

}  // namespace

std::unique_ptr<IMediaLibrary> CreateSilentMediaLibrary() { return std::make_unique<TSilentMediaLibrary>(); }

std::unique_ptr<IMediaLibrary> CreateMediaLibrary(TOrvoBaseList& stage, TMediaServices services) {
  return std::make_unique<TMediaLibrary>(stage, std::move(services));
}

}  // namespace orvo
