#pragma once
// Where the engine's sound goes: a sound device that pulls it in real time,
// or the game clock, on which each frame step renders the frames of the time
// that passed, into a WAV file (--audio-out) or nowhere (the null device).
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "media/audio_engine.h"
#include "platform/audio_device.h"

namespace orvo {

// A 16-bit stereo 44100 Hz WAV file with the canonical 44-byte header; the
// sizes are written when it is finished.
class TWavFileWriter {
 public:
  TWavFileWriter() = default;
  ~TWavFileWriter();
  TWavFileWriter(const TWavFileWriter&) = delete;
  TWavFileWriter& operator=(const TWavFileWriter&) = delete;

  // False when the file cannot be made.
  bool Open(const std::string& path);
  void Append(const int16_t* samples, size_t frames);
  // Writes the sizes and closes; later calls do nothing.
  void Finish();
  int64_t Frames() const { return frames_; }

 private:
  std::FILE* file_ = nullptr;
  int64_t frames_ = 0;
};

// The canonical header of a 16-bit stereo 44100 Hz file of that many frames.
std::string CanonicalWavHeader(int64_t frames, int32_t channels = 2, int32_t rate = 44100);

class TAudioOutput {
 public:
  explicit TAudioOutput(TAudioEngine& engine) : engine_(engine) {}
  ~TAudioOutput();
  TAudioOutput(const TAudioOutput&) = delete;
  TAudioOutput& operator=(const TAudioOutput&) = delete;

  // Plays on a device; false when it does not start.
  bool StartDevice(std::unique_ptr<IAudioDevice> device);
  // Renders on the game clock into a file (empty path: discarded); false when the file cannot be made.
  bool StartGameClock(const std::string& path);
  bool OnGameClock() const { return game_clock_; }

  // The frame step at total elapsed time ms begins: renders the frames since the previous step.
  void AdvanceTo(int32_t total_elapsed);
  // On the game clock: called at every game-clock millisecond that is a
  // multiple of interval_ms, before the frames from that instant are rendered.
  void SetTicker(std::function<void(int32_t ms)> ticker, int32_t interval_ms = 10);
  // Stops the device or finishes the file.
  void Stop();

 private:
  TAudioEngine& engine_;
  std::unique_ptr<IAudioDevice> device_;
  bool game_clock_ = false;
  TWavFileWriter writer_;
  bool writing_ = false;
  int64_t rendered_frames_ = 0;
  std::vector<int16_t> scratch_;
  std::function<void(int32_t)> ticker_;
  int32_t tick_interval_ = 10;
  int64_t next_tick_ms_ = 0;
};

}  // namespace orvo
