#pragma once
// The five pixel formats of surfaces and their channel arithmetic. Every hot
// loop is a template over one of these traits, so the masks are constants and
// the compiler sees through the per-channel work.
#include <cstdint>
#include <cstring>

namespace orvo::pixel {

// Traits: bytes per pixel, channel masks in place, raw load and store. The
// 8-bit format has one channel (the palette index) in the blue position.
template <int kBitsV>
struct TFormat;

template <>
struct TFormat<8> {
  static constexpr int kBits = 8;
  static constexpr int kBytes = 1;
  static constexpr uint32_t kRed = 0, kGreen = 0, kBlue = 0xFF;
  static constexpr uint32_t kValueMask = 0xFF;
  static uint32_t Load(const uint8_t* p) { return *p; }
  static void Store(uint8_t* p, uint32_t v) { *p = static_cast<uint8_t>(v); }
};

template <>
struct TFormat<15> {
  static constexpr int kBits = 15;
  static constexpr int kBytes = 2;
  static constexpr uint32_t kRed = 0x7C00, kGreen = 0x03E0, kBlue = 0x001F;
  static constexpr uint32_t kValueMask = 0xFFFF;
  static uint32_t Load(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  static void Store(uint8_t* p, uint32_t v) {
    uint16_t w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, 2);
  }
};

template <>
struct TFormat<16> : TFormat<15> {
  static constexpr int kBits = 16;
  static constexpr uint32_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F;
};

template <>
struct TFormat<24> {
  static constexpr int kBits = 24;
  static constexpr int kBytes = 3;
  static constexpr uint32_t kRed = 0xFF0000, kGreen = 0xFF00, kBlue = 0xFF;
  static constexpr uint32_t kValueMask = 0xFFFFFF;
  static uint32_t Load(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
  }
  static void Store(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
  }
};

template <>
struct TFormat<32> {
  static constexpr int kBits = 32;
  static constexpr int kBytes = 4;
  static constexpr uint32_t kRed = 0xFF0000, kGreen = 0xFF00, kBlue = 0xFF;
  static constexpr uint32_t kValueMask = 0xFFFFFFFF;
  static uint32_t Load(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  static void Store(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
};

using TFormat8 = TFormat<8>;
using TFormat15 = TFormat<15>;
using TFormat16 = TFormat<16>;
using TFormat24 = TFormat<24>;
using TFormat32 = TFormat<32>;

// Every channel at its maximum: the "white" of the format.
template <class F>
constexpr uint32_t kWhite = F::kRed | F::kGreen | F::kBlue;

// One channel of a blend, computed in place: floor((w*s + (255-w)*d) / 256)
// lands in the channel's bits because the divisor is a power of two. The sum
// stays below 255 * 0xFF0000, inside 32 bits.
template <uint32_t C>
inline uint32_t BlendChannel(uint32_t s, uint32_t d, uint32_t w) {
  if constexpr (C == 0) {
    return 0;
  } else {
    return ((w * (s & C) + (255 - w) * (d & C)) >> 8) & C;
  }
}

// Blend at weight w (0..255). The unused bits (the fourth byte of 32-bit
// pixels, the top bit of 15-bit ones) come out 0.
template <class F>
inline uint32_t Blend(uint32_t s, uint32_t d, uint32_t w) {
  return BlendChannel<F::kRed>(s, d, w) | BlendChannel<F::kGreen>(s, d, w) | BlendChannel<F::kBlue>(s, d, w);
}

// 32-bit blends: red and blue share one multiplication.
template <>
inline uint32_t Blend<TFormat32>(uint32_t s, uint32_t d, uint32_t w) {
  uint32_t rb = ((w * (s & 0xFF00FF) + (255 - w) * (d & 0xFF00FF)) >> 8) & 0xFF00FF;
  uint32_t g = ((w * (s & 0xFF00) + (255 - w) * (d & 0xFF00)) >> 8) & 0xFF00;
  return rb | g;
}
template <>
inline uint32_t Blend<TFormat24>(uint32_t s, uint32_t d, uint32_t w) {
  return Blend<TFormat32>(s, d, w);
}

template <uint32_t C>
inline uint32_t AddChannel(uint32_t s, uint32_t d, uint32_t w) {
  if constexpr (C == 0) {
    return 0;
  } else {
    uint32_t sum = (d & C) + (((w * (s & C)) >> 8) & C);
    return sum > C ? C : sum;
  }
}

// Additive draw at weight w (0..256; 256 adds the source unscaled):
// min(channel maximum, d + floor(w*s/256)).
template <class F>
inline uint32_t AddWeighted(uint32_t s, uint32_t d, uint32_t w) {
  return AddChannel<F::kRed>(s, d, w) | AddChannel<F::kGreen>(s, d, w) | AddChannel<F::kBlue>(s, d, w);
}

template <uint32_t C>
inline uint32_t SaturatedAddChannel(uint32_t c, uint32_t d) {
  if constexpr (C == 0) {
    return 0;
  } else {
    uint32_t sum = (d & C) + (c & C);
    return sum > C ? C : sum;
  }
}
template <uint32_t C>
inline uint32_t SaturatedSubChannel(uint32_t c, uint32_t d) {
  if constexpr (C == 0) {
    return 0;
  } else {
    return (d & C) > (c & C) ? (d & C) - (c & C) : 0;
  }
}

// Fill arithmetic: min(max, d + c) and max(0, d - c) per channel.
template <class F>
inline uint32_t SaturatedAdd(uint32_t c, uint32_t d) {
  return SaturatedAddChannel<F::kRed>(c, d) | SaturatedAddChannel<F::kGreen>(c, d) |
         SaturatedAddChannel<F::kBlue>(c, d);
}
template <class F>
inline uint32_t SaturatedSub(uint32_t c, uint32_t d) {
  return SaturatedSubChannel<F::kRed>(c, d) | SaturatedSubChannel<F::kGreen>(c, d) |
         SaturatedSubChannel<F::kBlue>(c, d);
}

// Channel values (0..max) of a pixel and back, for arithmetic that is not a
// plain weighted blend (coverage, smoothing).
template <uint32_t C>
constexpr int kShiftOf = C == 0 ? 0 : __builtin_ctz(C);

template <class F>
struct TChannels {
  uint32_t r, g, b;
};

template <class F>
inline TChannels<F> Split(uint32_t p) {
  return {(p & F::kRed) >> kShiftOf<F::kRed>, (p & F::kGreen) >> kShiftOf<F::kGreen>,
          (p & F::kBlue) >> kShiftOf<F::kBlue>};
}

template <class F>
inline uint32_t Join(uint32_t r, uint32_t g, uint32_t b) {
  return ((r << kShiftOf<F::kRed>)&F::kRed) | ((g << kShiftOf<F::kGreen>)&F::kGreen) |
         ((b << kShiftOf<F::kBlue>)&F::kBlue);
}

// Largest channel values of a format.
template <class F>
constexpr TChannels<F> kMax = {F::kRed >> kShiftOf<F::kRed>, F::kGreen >> kShiftOf<F::kGreen>,
                               F::kBlue >> kShiftOf<F::kBlue>};

// Calls fn with the traits type of a bit count; returns false for other counts.
template <class Fn>
inline bool DispatchFormat(int bits, Fn&& fn) {
  switch (bits) {
    case 8:
      fn(TFormat8{});
      return true;
    case 15:
      fn(TFormat15{});
      return true;
    case 16:
      fn(TFormat16{});
      return true;
    case 24:
      fn(TFormat24{});
      return true;
    case 32:
      fn(TFormat32{});
      return true;
    default:
      return false;
  }
}

}  // namespace orvo::pixel
