#pragma once
// A time budget for one operation of a fuzz target: an operation whose cost
// grows with a product of its parameters instead of with the pixels or bytes
// it handles stalls a frame as surely as a crash ends it, so an input that
// makes one go over its budget aborts like a crash. The budgets are far above
// what a sound implementation needs, sanitizers and a loaded machine included.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace orvo::fuzz {

class TWorkBudget {
 public:
  // base_ms for any call plus per_unit_us for each pixel, byte or item it may touch.
  TWorkBudget(double base_ms, double per_unit_us) : base_ms_(base_ms), per_unit_us_(per_unit_us) {}

  void Start() { started_ = std::chrono::steady_clock::now(); }

  // Aborts when the time since Start exceeds what `units` allow.
  void Check(int64_t units, const char* what) const {
    double spent_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_).count();
    double allowed_ms = base_ms_ + per_unit_us_ * static_cast<double>(units) / 1000.0;
    if (spent_ms > allowed_ms) {
      std::fprintf(stderr, "%s took %.1f ms, over its budget of %.1f ms for %lld units\n", what, spent_ms, allowed_ms,
                   static_cast<long long>(units));
      std::abort();
    }
  }

 private:
  double base_ms_, per_unit_us_;
  std::chrono::steady_clock::time_point started_{};
};

}  // namespace orvo::fuzz
