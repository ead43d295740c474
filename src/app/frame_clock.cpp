#include "app/frame_clock.h"

#include <algorithm>

namespace orvo {

void TFrameClock::Restart(uint32_t now) {
  reference_ = now;
  wait_ = 1;
}

int TFrameClock::Tick(uint32_t now, TRuntimeState& state) {
  // The millisecond counter wraps; its difference does not.
  uint32_t interval = now - reference_;
  state.total_elapsed = static_cast<int32_t>(static_cast<uint32_t>(state.total_elapsed) + interval);
  state.frame_delta = static_cast<int32_t>(std::min<uint32_t>(interval, kMaxFrameDelta));
  state.last_tick_time = now;
  int64_t wait = static_cast<int64_t>(kTickCadenceMs) - static_cast<int64_t>(interval);
  wait_ = static_cast<int>(std::max<int64_t>(1, wait));
  reference_ = now;
  return wait_;
}

int TFrameClock::TimeToNextTick(uint32_t now) const {
  uint32_t since = now - reference_;
  return since >= static_cast<uint32_t>(wait_) ? 0 : wait_ - static_cast<int>(since);
}

}  // namespace orvo
