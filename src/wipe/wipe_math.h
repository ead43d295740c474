#pragma once
// Rounding and ranges shared by the wipe kinds. Internal to the wipes.
#include <cstdint>
#include <numbers>

#include "base/numeric.h"
#include "base/rect.h"

namespace orvo::wipe {

constexpr long double kPi = std::numbers::pi_v<long double>;

// Round half to even, saturated into 64 bits.
inline int64_t Round(long double value) { return RealToIntSaturate<int64_t>(RoundHalfEven(value)); }

inline int32_t ToInt32(int64_t value) { return ClampToInt32(value); }

// A rectangle from 64-bit corners, each clamped into int32.
inline TRect Rect64(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return {ToInt32(left), ToInt32(top), ToInt32(right), ToInt32(bottom)};
}

}  // namespace orvo::wipe
