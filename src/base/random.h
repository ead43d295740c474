#pragma once
// The process-wide pseudo-random generator that scripts, effects and wipes
// share. Its seed is global and never saved; --seed makes runs repeatable.
#include <cstdint>

namespace orvo {

class TProcessRandom {
 public:
  void Seed(uint32_t seed) { seed_ = seed; }
  uint32_t CurrentSeed() const { return seed_; }
  // 0 .. n-1 for n > 0: the upper 32 bits of n (unsigned) times the new seed.
  uint32_t NextInt(int32_t n) {
    Step();
    return static_cast<uint32_t>((static_cast<uint64_t>(static_cast<uint32_t>(n)) * seed_) >> 32);
  }
  // A real in [0, 1): the new seed scaled by 2^-32.
  long double NextReal() {
    Step();
    return static_cast<long double>(seed_) / 4294967296.0L;
  }

 private:
  void Step() { seed_ = seed_ * 134775813u + 1u; }
  uint32_t seed_ = 0;
};

// The one generator of the process. The shell seeds it at start-up.
TProcessRandom& ProcessRandom();

// The default seed: milliseconds since midnight, UTC.
uint32_t TimeOfDaySeed();

}  // namespace orvo
