#pragma once
// Reals are x87 80-bit values; script integers are 32-bit and wrap.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace orvo {

static_assert(LDBL_MANT_DIG == 64, "the player needs the x87 80-bit long double");

constexpr size_t kExt80Size = 10;

// ext80: the 10 bytes of an x87 extended value, as files store it.
inline long double ReadExt80(const uint8_t* bytes) {
  long double value = 0;
  std::memset(&value, 0, sizeof value);
  std::memcpy(&value, bytes, kExt80Size);
  return value;
}

inline void WriteExt80(long double value, uint8_t* bytes) { std::memcpy(bytes, &value, kExt80Size); }

// "Round" everywhere in the player: half to even, as the x87 default mode does.
inline long double RoundHalfEven(long double value) { return std::nearbyintl(value); }

// Integer conversions of reals that never invoke undefined behaviour: NaN and
// values out of range are reported through ok (and give 0).
template <class Int>
inline Int RealToIntTrunc(long double value, bool* ok = nullptr) {
  long double t = std::truncl(value);
  bool inside = !std::isnan(t) && t >= static_cast<long double>(std::numeric_limits<Int>::min()) &&
                t <= static_cast<long double>(std::numeric_limits<Int>::max());
  if (ok) *ok = inside;
  return inside ? static_cast<Int>(t) : Int{0};
}

template <class Int>
inline Int RealToIntRound(long double value, bool* ok = nullptr) {
  return RealToIntTrunc<Int>(RoundHalfEven(value), ok);
}

// Saturating form for pixel and geometry code, where a clamp is the sane answer.
template <class Int>
inline Int RealToIntSaturate(long double value) {
  if (std::isnan(value)) return 0;
  long double t = std::truncl(value);
  if (t <= static_cast<long double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  if (t >= static_cast<long double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  return static_cast<Int>(t);
}

// Wrapping 32-bit arithmetic of script integers.
constexpr int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
constexpr int32_t WrapNeg(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }
// Truncating division; the caller rejects b == 0. INT_MIN / -1 wraps to INT_MIN.
constexpr int32_t WrapDiv(int32_t a, int32_t b) { return (b == -1) ? WrapNeg(a) : a / b; }
// Remainder with the sign of a; INT_MIN % -1 is 0.
constexpr int32_t WrapMod(int32_t a, int32_t b) { return (b == -1) ? 0 : a % b; }

// Truncates a 64-bit value to 32 bits, two's complement.
constexpr int32_t WrapToInt32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace orvo
