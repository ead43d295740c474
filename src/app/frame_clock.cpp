#include "app/frame_clock.h"

#include <algorithm>

namespace orvo {

void TFrameClock::Restart(uint32_t now) {
  reference_ = now;
  due_ = now + 1;
}

int TFrameClock::Tick(uint32_t now, TRuntimeState& state) {
  // The millisecond counter wraps; its difference does not.
  uint32_t interval = now - reference_;
  state.total_elapsed = static_cast<int32_t>(static_cast<uint32_t>(state.total_elapsed) + interval);
  state.frame_delta = static_cast<int32_t>(std::min<uint32_t>(interval, kMaxFrameDelta));
  state.last_tick_time = now;
  reference_ = now;
  int32_t late = static_cast<int32_t>(now - due_);
  if (late < 0) late = 0;
  due_ = late >= kTickCadenceMs ? now + kTickCadenceMs : due_ + kTickCadenceMs;
  return std::max(1, static_cast<int>(static_cast<int32_t>(due_ - now)));
}

int TFrameClock::TimeToNextTick(uint32_t now) const {
  int32_t left = static_cast<int32_t>(due_ - now);
  return left > 0 ? left : 0;
}

}  // namespace orvo
