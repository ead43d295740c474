#include "media/fade.h"

#include "media/media_item.h"

namespace orvo {

int32_t FadeVolume(int32_t start, int32_t target, uint32_t elapsed, uint32_t duration, bool midi) {
  if (elapsed >= duration) return target;
  const int64_t s = start, t = target, e = elapsed, n = duration;
  // MIDI fades move from the start over the whole range both ways; the
  // others start fading up at the midpoint.
  if (midi) return static_cast<int32_t>(s + e * (t - s) / n);
  const int64_t d = (t - s) / 2;
  if (s > t) return static_cast<int32_t>(s + e * d / n);
  return static_cast<int32_t>(s + d + e * d / n);
}

bool TOrvoMixer::Step(int32_t now) {
  if (!started_) {
    started_ = true;
    start_time_ = now;
    if (kind_ == TFadeKind::In) {
      item_.SetVolume(-10000);
      item_.Play();
      start_volume_ = -10000;
    } else {
      start_volume_ = item_.GetVolume();
      target_ = -10000;
    }
    return false;
  }
  const uint32_t elapsed = static_cast<uint32_t>(now) - static_cast<uint32_t>(start_time_);
  const uint32_t duration = static_cast<uint32_t>(duration_);
  if (kind_ == TFadeKind::In) {
    item_.SetVolume(FadeVolume(start_volume_, target_, elapsed, duration, midi_));
    return elapsed >= duration;
  }
  if (elapsed >= duration) return true;
  item_.SetVolume(FadeVolume(start_volume_, target_, elapsed, duration, midi_));
  return false;
}

}  // namespace orvo
