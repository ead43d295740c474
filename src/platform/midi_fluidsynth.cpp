// FluidSynth as the General MIDI synthesizer: no audio driver of its own;
// our engine pulls its sound with the other voices.
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/midi_out.h"

namespace orvo {

namespace {

void QuietLog(int level, const char* message, void*) {
  if (level <= FLUID_ERR) std::fprintf(stderr, "orvoplayer: fluidsynth: %s\n", message);
}

class TFluidSynth;

class TFluidOut : public IMidiOut {
 public:
  explicit TFluidOut(fluid_synth_t* synth) : synth_(synth) {}
  void SendShort(uint32_t message) override {
    const int status = static_cast<int>(message & 0xFF);
    const int channel = status & 15;
    const int a = static_cast<int>((message >> 8) & 0x7F), b = static_cast<int>((message >> 16) & 0x7F);
    switch (status & 0xF0) {
      case 0x80:
        fluid_synth_noteoff(synth_, channel, a);
        break;
      case 0x90:
        if (b == 0) {
          fluid_synth_noteoff(synth_, channel, a);
        } else {
          fluid_synth_noteon(synth_, channel, a, b);
        }
        break;
      case 0xA0:
        fluid_synth_key_pressure(synth_, channel, a, b);
        break;
      case 0xB0:
        fluid_synth_cc(synth_, channel, a, b);
        break;
      case 0xC0:
        fluid_synth_program_change(synth_, channel, a);
        break;
      case 0xD0:
        fluid_synth_channel_pressure(synth_, channel, a);
        break;
      case 0xE0:
        fluid_synth_pitch_bend(synth_, channel, a | (b << 7));
        break;
      default:
        break;
    }
  }
  void SendLong(const uint8_t* data, size_t size) override {
    // The synthesizer takes the body without the F0 and F7 framing; other
    // long messages (F7 escapes, system common) mean nothing to it.
    if (size < 2 || data[0] != 0xF0) return;
    size_t length = size - 1;
    if (data[size - 1] == 0xF7) --length;
    fluid_synth_sysex(synth_, reinterpret_cast<const char*>(data + 1), static_cast<int>(length), nullptr, nullptr,
                      nullptr, 0);
  }
  void Reset() override { fluid_synth_all_notes_off(synth_, -1); }

 private:
  fluid_synth_t* synth_;
};

class TFluidSynth : public IMidiSynth {
 public:
  TFluidSynth(fluid_settings_t* settings, fluid_synth_t* synth) : settings_(settings), synth_(synth) {}
  ~TFluidSynth() override {
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
  }

  void MixInto(int32_t* acc, size_t frames) override {
    left_.resize(frames);
    right_.resize(frames);
    fluid_synth_write_float(synth_, static_cast<int>(frames), left_.data(), 0, 1, right_.data(), 0, 1);
    for (size_t i = 0; i < frames; ++i) {
      acc[2 * i] += static_cast<int32_t>(std::nearbyint(std::clamp(left_[i], -1.0f, 1.0f) * 32767.0f));
      acc[2 * i + 1] += static_cast<int32_t>(std::nearbyint(std::clamp(right_[i], -1.0f, 1.0f) * 32767.0f));
    }
  }

  std::unique_ptr<IMidiOut> OpenOutput() override { return std::make_unique<TFluidOut>(synth_); }

 private:
  fluid_settings_t* settings_;
  fluid_synth_t* synth_;
  std::vector<float> left_, right_;
};

}  // namespace

std::string DefaultSoundfontPath() {
  if (const char* path = std::getenv("ORVO_SOUNDFONT"); path && *path) return path;
  return "/usr/share/sounds/sf2/TimGM6mb.sf2";
}

std::unique_ptr<IMidiSynth> OpenFluidSynth(const std::string& soundfont) {
  static const bool quiet = [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, QuietLog, nullptr);
    }
    return true;
  }();
  (void)quiet;
  std::error_code error;
  if (soundfont.empty() || !std::filesystem::is_regular_file(soundfont, error)) {
    std::fprintf(stderr, "orvoplayer: no soundfont at %s; MIDI music is silent\n", soundfont.c_str());
    return nullptr;
  }
  fluid_settings_t* settings = new_fluid_settings();
  if (!settings) return nullptr;
  fluid_settings_setnum(settings, "synth.sample-rate", 44100.0);
  fluid_settings_setnum(settings, "synth.gain", 0.5);
  fluid_settings_setint(settings, "synth.threadsafe-api", 1);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (!synth) {
    delete_fluid_settings(settings);
    std::fprintf(stderr, "orvoplayer: FluidSynth does not start; MIDI music is silent\n");
    return nullptr;
  }
  if (fluid_synth_sfload(synth, soundfont.c_str(), 1) == FLUID_FAILED) {
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    std::fprintf(stderr, "orvoplayer: cannot load the soundfont %s; MIDI music is silent\n", soundfont.c_str());
    return nullptr;
  }
  return std::make_unique<TFluidSynth>(settings, synth);
}

}  // namespace orvo
