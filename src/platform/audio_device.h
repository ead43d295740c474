#pragma once
// The sound card: a device that asks for 44100 Hz 16-bit stereo frames from
// a thread of its own. The mixer behind it is ours (the media subsystem).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace orvo {

// Fills frames interleaved left-right frames; runs on the device's thread.
using TAudioPull = std::function<void(int16_t* out, size_t frames)>;

class IAudioDevice {
 public:
  virtual ~IAudioDevice() = default;
  // Starts asking pull for sound; false when the device cannot play.
  virtual bool Start(TAudioPull pull) = 0;
  // Stops asking; pull is not called once this returns.
  virtual void Stop() = 0;
};

// The default output of SDL with a buffer of at most 1024 frames; null when
// no device opens.
std::unique_ptr<IAudioDevice> OpenSdlAudioDevice();

}  // namespace orvo
