#pragma once
// The wave-output mixer used when the game turns the direct sound path off:
// it converts each source to 44100 Hz 16-bit stereo by a fixed table, scales
// it by its volume and adds all of them with saturation into buffers of the
// delay time, two ahead, which the engine plays as a queue.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "media/audio_engine.h"
#include "platform/audio_decoder.h"

namespace orvo {

class TWavOut;

// One source of the wave-output mixer; every operation takes the mixer's lock.
class TWavBuffer {
 public:
  TWavBuffer(TWavOut& owner, std::unique_ptr<IAudioDecoder> stream);

  const TPcmFormat& Format() const { return format_; }
  // Bytes of the decoded stream in the source's format.
  int64_t StreamSize() const { return stream_size_; }
  // Clears the ended and paused flags and makes the source active; the read position stays.
  void StartSource();
  // Sets paused and makes the source inactive.
  void PauseSource();
  // Ended, and the data mixed last has been played (2 × delay + 10 ms since the last mix).
  bool SourceEnded();
  void SetSourcePosition(int64_t bytes);
  // 0..256; 255 and 256 leave samples unchanged.
  void SetSourceVolume(int32_t volume);
  // The byte the listener hears now, allowing for the two queued buffers.
  int64_t SourcePosition();
  void SetLoop(bool loop, int64_t loop_start_bytes);
  bool Active();

 private:
  friend class TWavOut;
  // Mixes into out (B bytes of 16-bit stereo); false when the source supplies nothing.
  bool Mix(int16_t* out, size_t out_frames, uint32_t now);
  size_t ReadStream(uint8_t* buffer, size_t bytes);

  TWavOut& owner_;
  std::unique_ptr<IAudioDecoder> stream_;
  TPcmFormat format_;
  int64_t stream_size_ = 0;
  int64_t read_position_ = 0;
  std::vector<uint8_t> work_;
  int32_t volume_ = 256;
  bool ended_ = false;
  bool paused_ = false;
  bool active_ = false;
  bool loop_ = false;
  int64_t loop_start_ = 0;
  uint32_t last_mix_ = 0;
};

// Where "now" comes from: the game clock when the engine renders on it, the
// steady clock otherwise.
using TMillisecondClock = std::function<uint32_t()>;

class TWavOut : public IMixQueue {
 public:
  // delay_ms: the run configuration's sound delay (100..500); threaded: Fill
  // runs on a thread of its own every delay / 4 ms, otherwise the caller runs it.
  TWavOut(int32_t delay_ms, TMillisecondClock clock, bool threaded);
  ~TWavOut() override;
  TWavOut(const TWavOut&) = delete;
  TWavOut& operator=(const TWavOut&) = delete;

  void Open();
  void Close();
  bool IsOpen() const { return open_; }
  TWavBuffer* AddSource(std::unique_ptr<IAudioDecoder> stream);
  void RemoveSource(TWavBuffer* source);

  // Drops the played buffers and queues up to two new ones.
  void Fill();

  int32_t DelayMs() const { return delay_ms_; }
  // Bytes per buffer: delay × 176400 / 1000.
  size_t BufferBytes() const { return buffer_bytes_; }
  size_t QueuedCount();
  uint32_t Now() const { return clock_(); }

  void MixQueued(int32_t* acc, size_t frames) override;

 private:
  friend class TWavBuffer;
  struct TQueued {
    std::vector<int16_t> samples;
    size_t played = 0;  // samples already rendered
  };

  void ThreadMain();
  std::vector<int16_t> TakeBlock();

  const int32_t delay_ms_;
  const size_t buffer_bytes_;
  TMillisecondClock clock_;
  const bool threaded_;
  std::mutex mutex_;
  std::condition_variable stop_signal_;
  bool stop_ = false;
  bool open_ = false;
  std::thread thread_;
  std::vector<std::unique_ptr<TWavBuffer>> sources_;
  std::deque<TQueued> queue_;
  std::vector<std::vector<int16_t>> pool_;
};

}  // namespace orvo
