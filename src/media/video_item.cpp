#include "media/video_item.h"

#include <algorithm>
#include <cstring>

#include "media/sound_decoder.h"

namespace orvo {

namespace {

// Silence of a given length: the clock of a video without sound.
class TSilence : public IAudioDecoder {
 public:
  explicit TSilence(int64_t frames) {
    info_.format = "silence";
    info_.channels = 1;
    info_.rate = kMixRate;
    info_.bits = 16;
    info_.frames = frames;
  }
  const TSoundInfo& Info() const override { return info_; }
  TPcmFormat Output() const override { return TPcmFormat{1, kMixRate, 16}; }
  size_t Read(uint8_t* out, size_t frames) override {
    const size_t count = std::min<size_t>(frames, static_cast<size_t>(info_.frames - position_));
    std::memset(out, 0, count * 2);
    position_ += static_cast<int64_t>(count);
    return count;
  }
  bool Seek(int64_t frame) override {
    position_ = std::clamp<int64_t>(frame, 0, info_.frames);
    return true;
  }

 private:
  TSoundInfo info_;
  int64_t position_ = 0;
};

std::unique_ptr<IAudioDecoder> ClockOf(TVideoClip& clip) {
  if (clip.audio) return std::move(clip.audio);
  return std::make_unique<TSilence>(PictureSpanMs(clip) * kMixRate / 1000);
}

}  // namespace

int64_t PictureSpanMs(const TVideoClip& clip) {
  if (clip.frames.empty()) return 0;
  const int64_t last = clip.frames.back().start_ms;
  const int64_t step = clip.frames.size() > 1 ? last - clip.frames[clip.frames.size() - 2].start_ms : 40;
  return last + std::max<int64_t>(step, 1);
}

TDsVideoItem::TDsVideoItem(TMediaManager& owner, TAudioEngine& engine, std::unique_ptr<TVideoClip> clip)
    : TVoiceItem(owner, engine, ClockOf(*clip), TGainLaw::Decibel), clip_(std::move(clip)) {}

size_t TDsVideoItem::FrameIndexAt(int32_t ms) const {
  const auto& frames = clip_->frames;
  auto it = std::upper_bound(frames.begin(), frames.end(), static_cast<int64_t>(ms),
                             [](int64_t value, const TVideoFrame& frame) { return value < frame.start_ms; });
  return it == frames.begin() ? 0 : static_cast<size_t>(it - frames.begin() - 1);
}

}  // namespace orvo
