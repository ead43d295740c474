#pragma once
// The media services that the shell starts after the window and stops last at
// shutdown: video, compressed audio, Ogg decoding. On Windows they lived in a
// companion library; here they are our own media layer, which the sound
// subsystem fills. Until it does, every step is a no-op.
#include <memory>

namespace orvo {

struct TMediaStartOptions {
  bool use_direct_sound = true;  // "game.ini" [Sound] DirectSound
  int delay_time = 500;          // normalised sound delay (ms)
  bool use_wmp = false;          // "game.ini" [Video] UseWMP
  bool headless = false;         // no audio device: a null sink
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
  // Stops and frees every manager ("MediaFinal"); the last media step.
  virtual void Stop() = 0;
};

// The media layer that does nothing, for the shell before sound exists.
std::unique_ptr<IMediaLibrary> CreateSilentMediaLibrary();

}  // namespace orvo
