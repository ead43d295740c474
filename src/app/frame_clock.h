#pragma once
// The game clock: ticks every 15 ms; each tick adds its whole interval to the
// total elapsed time (wrapping) and hands on a frame delta capped at 160 ms.
#include <cstdint>

#include "base/runtime_state.h"

namespace orvo {

class TFrameClock {
 public:
  // The pacing reference becomes now; called at start and after a pause, so
  // the time spent inactive never reaches the game clock.
  void Restart(uint32_t now);
  // Accounts a tick at time now into the state and returns the milliseconds to
  // wait before the next one (at least 1).
  int Tick(uint32_t now, TRuntimeState& state);
  // Ticks are due every 15 ms. A tick that comes a little late makes the next
  // wait shorter, so the cadence holds on average; after a stall of a whole
  // period or more the schedule starts again from now instead of catching up
  // in a burst.
  // Milliseconds until the next tick is due, from now (0 when overdue).
  int TimeToNextTick(uint32_t now) const;

 private:
  uint32_t reference_ = 0;
  uint32_t due_ = 1;
};

}  // namespace orvo
