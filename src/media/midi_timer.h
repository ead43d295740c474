#pragma once
// The sequencer's timer: a callback every interval, on a thread of its own
// (real time) or whenever its owner drives it (the game clock, tests, the
// kit). HoldTick waits for a running callback and keeps new ones from
// starting until the matching ReleaseTick.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace orvo {

enum class TTimerDrive {
  Thread,  // ticks every interval of the steady clock on its own thread
  Manual,  // ticks only through Tick()
};

class TMMTimer {
 public:
  TMMTimer(TTimerDrive drive, std::function<void()> callback, int32_t interval_ms = 100);
  ~TMMTimer();
  TMMTimer(const TMMTimer&) = delete;
  TMMTimer& operator=(const TMMTimer&) = delete;

  void EnableTimer(bool enabled);
  bool Enabled() const;
  void SetInterval(int32_t interval_ms);
  int32_t Interval() const;
  // Waits until no callback runs; none starts until ReleaseTick. Nests.
  void HoldTick();
  void ReleaseTick();
  // One tick now (the manual drive): runs the callback when enabled and not held.
  void Tick();

 private:
  void Run();

  std::function<void()> callback_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;  // the thread's sleep; signalled only to end it or on enabling
  std::condition_variable idle_;  // a callback finished
  int32_t interval_ms_;
  bool enabled_ = false;
  int32_t holds_ = 0;
  bool running_ = false;
  bool terminated_ = false;
  std::thread thread_;
};

// Holds the tick for a scope.
class TTickHold {
 public:
  explicit TTickHold(TMMTimer& timer) : timer_(timer) { timer_.HoldTick(); }
  ~TTickHold() { timer_.ReleaseTick(); }
  TTickHold(const TTickHold&) = delete;
  TTickHold& operator=(const TTickHold&) = delete;

 private:
  TMMTimer& timer_;
};

}  // namespace orvo
