#pragma once
// The clock that paces the frame loop: the system's steady clock, or a fixed
// step per tick for repeatable runs.
#include <cstdint>
#include <memory>

namespace orvo {

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds on a 32-bit wrapping counter, like the Windows multimedia clock.
  virtual uint32_t NowMs() = 0;
  // Called once per tick; a fixed-step clock advances here.
  virtual void OnTick() = 0;
  // True when the loop must not sleep between ticks.
  virtual bool IsFixedStep() const = 0;
};

std::unique_ptr<IClock> CreateSteadyClock();
std::unique_ptr<IClock> CreateFixedStepClock(uint32_t step_ms);

}  // namespace orvo
