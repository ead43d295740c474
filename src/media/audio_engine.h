#pragma once
// The one mixer behind the sound device: direct voices (Ogg, media-player
// audio, CD tracks, video sound) and the wave-output queue, rendered into
// 44100 Hz 16-bit stereo. Every operation takes the engine's lock, because
// the device pulls sound from a thread of its own.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio_decoder.h"

namespace orvo {

// How a voice's volume turns into a factor.
enum class TGainLaw {
  Decibel,  // 10^(v/2000), 0 at v <= -10000; pan attenuates one side in hundredths of a dB
  Linear,   // (max(v, -5000) + 5000) / 5000 on both sides (the CD line)
};

// Gain factor with 16 fractional bits of a volume in hundredths of a decibel.
uint32_t DecibelGain(int32_t hundredths);
// Left and right factors of a volume and a pan under a law.
void ChannelGains(TGainLaw law, int32_t volume, int32_t pan, uint32_t& left, uint32_t& right);

// Something the engine adds to its output after the voices (the wave-output queue).
class IMixQueue {
 public:
  virtual ~IMixQueue() = default;
  // Adds up to frames stereo frames into acc; called under the engine's lock.
  virtual void MixQueued(int32_t* acc, size_t frames) = 0;
};

// One sound on the direct path. Its fields belong to the engine's lock: use
// it only through TAudioEngine.
class TVoice {
 public:
  explicit TVoice(std::unique_ptr<IAudioDecoder> decoder);

  const TPcmFormat& Format() const { return format_; }
  int64_t Frames() const { return frames_; }

 private:
  friend class TAudioEngine;
  void Mix(int32_t* acc, size_t frames);
  bool Refill();

  std::unique_ptr<IAudioDecoder> decoder_;
  TPcmFormat format_;
  int64_t frames_ = 0;
  bool playing_ = false;
  bool loop_ = false;
  int64_t loop_start_ = 0;
  int64_t position_ = 0;  // the next frame to render
  bool ended_ = false;    // latched when the last frame was rendered
  uint32_t gain_left_ = 65536;
  uint32_t gain_right_ = 65536;
  std::vector<uint8_t> chunk_;
  size_t chunk_at_ = 0;  // frames of chunk_ already rendered
  size_t chunk_frames_ = 0;
};

class TAudioEngine {
 public:
  TAudioEngine() = default;
  TAudioEngine(const TAudioEngine&) = delete;
  TAudioEngine& operator=(const TAudioEngine&) = delete;

  // A new voice, stopped, at frame 0 and full volume.
  std::shared_ptr<TVoice> AddVoice(std::unique_ptr<IAudioDecoder> decoder);
  void RemoveVoice(const std::shared_ptr<TVoice>& voice);

  void Play(TVoice& voice);
  void Pause(TVoice& voice);
  bool IsPlaying(const TVoice& voice);
  void SetGain(TVoice& voice, TGainLaw law, int32_t volume, int32_t pan);
  void SetLoop(TVoice& voice, bool loop, int64_t loop_start_frame);
  // Moves to a frame (clamped); clears the end latch.
  void SetPosition(TVoice& voice, int64_t frame);
  int64_t Position(const TVoice& voice);
  // True once the last frame was rendered (until the next SetPosition).
  bool Ended(const TVoice& voice);

  // The wave-output queue, added after the voices; null for none.
  void SetQueue(IMixQueue* queue);
  // Another source added after the voices and before the queue (the MIDI
  // synthesizer); it must be removed before it goes.
  void AddSource(IMixQueue* source);
  void RemoveSource(IMixQueue* source);

  // Renders frames stereo frames: every voice in order, the sources, then the queue,
  // summed and saturated to 16 bits.
  void Render(int16_t* out, size_t frames);
  // Frames rendered since the engine was made.
  int64_t FramesRendered();

  std::mutex& Mutex() { return mutex_; }

 private:
  std::mutex mutex_;
  std::vector<std::shared_ptr<TVoice>> voices_;
  IMixQueue* queue_ = nullptr;
  std::vector<IMixQueue*> sources_;
  std::vector<int32_t> acc_;
  int64_t rendered_ = 0;
};

}  // namespace orvo
