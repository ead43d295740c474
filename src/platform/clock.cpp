#include "platform/clock.h"

#include <chrono>

namespace orvo {

namespace {

class TSteadyClock : public IClock {
 public:
  uint32_t NowMs() override {
    auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
  }
  void OnTick() override {}
  bool IsFixedStep() const override { return false; }
};

class TFixedStepClock : public IClock {
 public:
  explicit TFixedStepClock(uint32_t step) : step_(step) {}
  uint32_t NowMs() override { return now_; }
  void OnTick() override { now_ += step_; }
  bool IsFixedStep() const override { return true; }

 private:
  uint32_t step_;
  uint32_t now_ = 0;
};

}  // namespace

std::unique_ptr<IClock> CreateSteadyClock() { return std::make_unique<TSteadyClock>(); }
std::unique_ptr<IClock> CreateFixedStepClock(uint32_t step_ms) { return std::make_unique<TFixedStepClock>(step_ms); }

}  // namespace orvo
