#include "media/midi_timer.h"

#include <chrono>

namespace orvo {

TMMTimer::TMMTimer(TTimerDrive drive, std::function<void()> callback, int32_t interval_ms)
    : callback_(std::move(callback)), interval_ms_(interval_ms) {
  if (drive == TTimerDrive::Thread) thread_ = std::thread([this] { Run(); });
}

TMMTimer::~TMMTimer() {
  {
    std::lock_guard lock(mutex_);
    terminated_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TMMTimer::EnableTimer(bool enabled) {
  {
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
  }
  // A disabled thread sleeps until enabled again, like a suspended one.
  if (enabled) wake_.notify_all();
}

bool TMMTimer::Enabled() const {
  std::lock_guard lock(mutex_);
  return enabled_;
}

void TMMTimer::SetInterval(int32_t interval_ms) {
  std::lock_guard lock(mutex_);
  interval_ms_ = interval_ms > 0 ? interval_ms : 1;
}

int32_t TMMTimer::Interval() const {
  std::lock_guard lock(mutex_);
  return interval_ms_;
}

void TMMTimer::HoldTick() {
  std::unique_lock lock(mutex_);
  ++holds_;
  idle_.wait(lock, [this] { return !running_; });
}

void TMMTimer::ReleaseTick() {
  std::lock_guard lock(mutex_);
  if (holds_ > 0) --holds_;
}

void TMMTimer::Tick() {
  {
    std::lock_guard lock(mutex_);
    if (!enabled_ || holds_ > 0 || terminated_ || running_) return;
    running_ = true;
  }
  callback_();
  {
    std::lock_guard lock(mutex_);
    running_ = false;
  }
  idle_.notify_all();
}

void TMMTimer::Run() {
  using Clock = std::chrono::steady_clock;
  std::unique_lock lock(mutex_);
  Clock::time_point next = Clock::now();
  while (!terminated_) {
    if (!enabled_) {
      wake_.wait(lock, [this] { return terminated_ || enabled_; });
      next = Clock::now();
      continue;
    }
    next += std::chrono::milliseconds(interval_ms_);
    const Clock::time_point now = Clock::now();
    // After a long stall the ticks go on from now instead of catching up.
    if (next < now - std::chrono::milliseconds(interval_ms_)) next = now;
    if (wake_.wait_until(lock, next, [this] { return terminated_; })) break;
    if (!enabled_ || holds_ > 0 || running_) continue;
    running_ = true;
    lock.unlock();
    callback_();
    lock.lock();
    running_ = false;
    idle_.notify_all();
  }
}

}  // namespace orvo
