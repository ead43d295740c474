#pragma once
// A time budget for one operation of a fuzz target: an operation whose cost
// grows with a product of its parameters instead of with the pixels or bytes
// it handles stalls a frame as surely as a crash ends it, so an input that
// makes one go over its budget aborts like a crash. The budgets are far above
// what a sound implementation needs, sanitizers included. They count the
// thread's processor time, so a busy machine that leaves the thread waiting
// does not trip them.
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace orvo::fuzz {

class TWorkBudget {
 public:
  // base_ms for any call plus per_unit_us for each pixel, byte or item it may touch.
  TWorkBudget(double base_ms, double per_unit_us) : base_ms_(base_ms), per_unit_us_(per_unit_us) {}

  void Start() { started_ms_ = ThreadMilliseconds(); }

  // Aborts when the time since Start exceeds what `units` allow.
  void Check(int64_t units, const char* what) const {
    double spent_ms = ThreadMilliseconds() - started_ms_;
    double allowed_ms = base_ms_ + per_unit_us_ * static_cast<double>(units) / 1000.0;
    if (spent_ms > allowed_ms) {
      std::fprintf(stderr, "%s took %.1f ms, over its budget of %.1f ms for %lld units\n", what, spent_ms, allowed_ms,
                   static_cast<long long>(units));
      std::abort();
    }
  }

 private:
  static double ThreadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
  }

  double base_ms_, per_unit_us_;
  double started_ms_ = 0;
};

}  // namespace orvo::fuzz
