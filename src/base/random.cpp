#include "base/random.h"

#include <chrono>

namespace orvo {

TProcessRandom& ProcessRandom() {
  static TProcessRandom generator;
  return generator;
}

uint32_t TimeOfDaySeed() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 86400000);
}

}  // namespace orvo
