#pragma once
// The media services that the shell starts after the window and stops last at
// shutdown: the sound and video managers, the mixer and the sound output.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/media_system.h"

namespace orvo {

class TOrvoBaseList;

struct TMediaStartOptions {
  bool use_direct_sound = true;  // "game.ini" [Sound] DirectSound
  int delay_time = 500;          // normalised sound delay (ms)
  bool use_wmp = false;          // "game.ini" [Video] UseWMP
  bool headless = false;         // no audio device: the null device
  bool game_clock = false;       // sound rendered on the game clock (--fixed-step, --audio-out)
  std::string audio_out;         // --audio-out: the WAV file the sound goes into
  std::string midi_port;         // "game.ini" [Sound] MidiPort: the mapper's ALSA port
};

class IMediaLibrary {
 public:
  virtual ~IMediaLibrary() = default;
  // Starts the media managers ("MediaInit"); failures fall back to silence.
  virtual void Start(const TMediaStartOptions& options) = 0;
  // Pauses everything that plays (the window was deactivated with pausing on).
  virtual void Suspend() = 0;
  // Plays again what Suspend paused.
  virtual void Resume() = 0;
  // Stops the sound output and finishes an --audio-out file ("MediaFinal").
  virtual void Stop() = 0;
  // @SoundON: every manager on or off.
  virtual void SetSoundOn(bool on) { (void)on; }
  // A frame step at total elapsed time ms begins (after the tick, before input).
  virtual void BeginFrame(int32_t total_elapsed) { (void)total_elapsed; }
  // A frame step ended.
  virtual void EndFrame() {}
  // @MidiPorts: the mapper and the MIDI devices; empty before Start.
  virtual std::vector<std::string> MidiPorts() const { return {}; }
  // @MidiPort: the selected one; empty before Start.
  virtual std::string MidiPort() const { return {}; }
  virtual void SetMidiPort(const std::string& name) { (void)name; }
};

// The media layer that does nothing, for tests of the shell.
std::unique_ptr<IMediaLibrary> CreateSilentMediaLibrary();

// The media layer of a game on a stage: its kinds are registered on Start.
std::unique_ptr<IMediaLibrary> CreateMediaLibrary(TOrvoBaseList& stage, TMediaServices services);

}  // namespace orvo
