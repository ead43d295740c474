#include "media/audio_engine.h"

#include <algorithm>
#include <cmath>

#include "base/binary_io.h"

namespace orvo {

uint32_t DecibelGain(int32_t hundredths) {
  if (hundredths <= -10000) return 0;
  if (hundredths >= 0) return 65536;
  return static_cast<uint32_t>(std::nearbyint(std::pow(10.0, hundredths / 2000.0) * 65536.0));
}

void ChannelGains(TGainLaw law, int32_t volume, int32_t pan, uint32_t& left, uint32_t& right) {
  if (law == TGainLaw::Linear) {
    left = right = static_cast<uint32_t>((std::clamp(volume, -5000, 0) + 5000) * 65536 / 5000);
    return;
  }
  pan = std::clamp(pan, -10000, 10000);
  if (volume <= -10000) {
    left = right = 0;
    return;
  }
  left = DecibelGain(volume - std::max(pan, 0));
  right = DecibelGain(volume + std::min(pan, 0));
}

TVoice::TVoice(std::unique_ptr<IAudioDecoder> decoder)
    : decoder_(std::move(decoder)), format_(decoder_->Output()), frames_(decoder_->Info().frames) {}

bool TVoice::Refill() {
  constexpr size_t kChunkFrames = 1024;
  chunk_.resize(kChunkFrames * static_cast<size_t>(format_.BlockAlign()));
  chunk_frames_ = decoder_->Read(chunk_.data(), kChunkFrames);
  chunk_at_ = 0;
  return chunk_frames_ > 0;
}

void TVoice::Mix(int32_t* acc, size_t frames) {
  const int64_t left_gain = gain_left_, right_gain = gain_right_;
  const bool stereo = format_.channels == 2;
  const bool eight = format_.bits == 8;
  size_t done = 0;
  bool wrapped = false;
  while (done < frames && playing_) {
    if (chunk_at_ >= chunk_frames_ && !Refill()) {
      // The stream ended: loop from the loop start, once per call at most
      // when nothing comes back, so that an empty stream cannot spin.
      if (loop_ && !wrapped && frames_ > 0) {
        wrapped = true;
        const int64_t start = loop_start_ < frames_ ? loop_start_ : 0;
        decoder_->Seek(start);
        position_ = start;
        chunk_at_ = chunk_frames_ = 0;
        continue;
      }
      if (!loop_) {
        playing_ = false;
        ended_ = true;
      }
      break;
    }
    wrapped = false;
    const size_t count = std::min(frames - done, chunk_frames_ - chunk_at_);
    const uint8_t* p = chunk_.data() + chunk_at_ * static_cast<size_t>(format_.BlockAlign());
    int32_t* a = acc + done * 2;
    for (size_t i = 0; i < count; ++i) {
      int32_t l, r;
      if (eight) {
        l = (p[0] - 128) * 256;
        r = stereo ? (p[1] - 128) * 256 : l;
        p += stereo ? 2 : 1;
      } else {
        l = static_cast<int16_t>(LoadU16(p));
        r = stereo ? static_cast<int16_t>(LoadU16(p + 2)) : l;
        p += stereo ? 4 : 2;
      }
      a[0] += static_cast<int32_t>((l * left_gain + 32768) >> 16);
      a[1] += static_cast<int32_t>((r * right_gain + 32768) >> 16);
      a += 2;
    }
    chunk_at_ += count;
    position_ += static_cast<int64_t>(count);
    done += count;
    // The last frame has just been rendered: the end latches now, not a
    // buffer later.
    if (!loop_ && position_ >= frames_ && chunk_at_ >= chunk_frames_) {
      playing_ = false;
      ended_ = true;
    }
  }
}

std::shared_ptr<TVoice> TAudioEngine::AddVoice(std::unique_ptr<IAudioDecoder> decoder) {
  auto voice = std::make_shared<TVoice>(std::move(decoder));
  std::lock_guard lock(mutex_);
  voices_.push_back(voice);
  return voice;
}

void TAudioEngine::RemoveVoice(const std::shared_ptr<TVoice>& voice) {
  std::lock_guard lock(mutex_);
  voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

void TAudioEngine::Play(TVoice& voice) {
  std::lock_guard lock(mutex_);
  if (voice.ended_ && !voice.loop_) return;
  voice.playing_ = true;
}

void TAudioEngine::Pause(TVoice& voice) {
  std::lock_guard lock(mutex_);
  voice.playing_ = false;
}

bool TAudioEngine::IsPlaying(const TVoice& voice) {
  std::lock_guard lock(mutex_);
  return voice.playing_;
}

void TAudioEngine::SetGain(TVoice& voice, TGainLaw law, int32_t volume, int32_t pan) {
  uint32_t left = 0, right = 0;
  ChannelGains(law, volume, pan, left, right);
  std::lock_guard lock(mutex_);
  voice.gain_left_ = left;
  voice.gain_right_ = right;
}

void TAudioEngine::SetLoop(TVoice& voice, bool loop, int64_t loop_start_frame) {
  std::lock_guard lock(mutex_);
  voice.loop_ = loop;
  voice.loop_start_ = loop_start_frame;
}

void TAudioEngine::SetPosition(TVoice& voice, int64_t frame) {
  std::lock_guard lock(mutex_);
  frame = std::clamp<int64_t>(frame, 0, voice.frames_);
  voice.decoder_->Seek(frame);
  voice.position_ = frame;
  voice.chunk_at_ = voice.chunk_frames_ = 0;
  voice.ended_ = false;
}

int64_t TAudioEngine::Position(const TVoice& voice) {
  std::lock_guard lock(mutex_);
  return voice.position_;
}

bool TAudioEngine::Ended(const TVoice& voice) {
  std::lock_guard lock(mutex_);
  return voice.ended_;
}

void TAudioEngine::SetQueue(IMixQueue* queue) {
  std::lock_guard lock(mutex_);
  queue_ = queue;
}

void TAudioEngine::AddSource(IMixQueue* source) {
  std::lock_guard lock(mutex_);
  sources_.push_back(source);
}

void TAudioEngine::RemoveSource(IMixQueue* source) {
  std::lock_guard lock(mutex_);
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void TAudioEngine::Render(int16_t* out, size_t frames) {
  std::lock_guard lock(mutex_);
  acc_.assign(frames * 2, 0);
  for (const auto& voice : voices_) voice->Mix(acc_.data(), frames);
  for (IMixQueue* source : sources_) source->MixQueued(acc_.data(), frames);
  if (queue_) queue_->MixQueued(acc_.data(), frames);
  for (size_t i = 0; i < frames * 2; ++i) out[i] = static_cast<int16_t>(std::clamp(acc_[i], -32768, 32767));
  rendered_ += static_cast<int64_t>(frames);
}

int64_t TAudioEngine::FramesRendered() {
  std::lock_guard lock(mutex_);
  return rendered_;
}

}  // namespace orvo
