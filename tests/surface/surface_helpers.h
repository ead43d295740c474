#pragma once
// Small surfaces for the surface tests: build them from native pixel values
// and read them back.
#include <cstdint>
#include <memory>
#include <vector>

#include "surface/dibx.h"

namespace orvo::test {

// A native pixel from channel values in the format's own units (8 bits: the
// value in blue; 15: 5/5/5; 16: 5/6/5; 24 and 32: 8/8/8).
inline uint32_t Native(int bits, uint32_t r, uint32_t g, uint32_t b) {
  switch (bits) {
    case 8:
      return b;
    case 15:
      return (r << 10) | (g << 5) | b;
    case 16:
      return (r << 11) | (g << 5) | b;
    default:
      return (r << 16) | (g << 8) | b;
  }
}

inline std::unique_ptr<TDIBX> MakeSurface(int bits, int32_t width, int32_t height,
                                          const std::vector<uint32_t>& pixels = {}) {
  auto surface = std::make_unique<TDIBX>();
  surface->SetSize(width, height, bits);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      size_t i = static_cast<size_t>(y) * width + x;
      surface->SetPixel(x, y, i < pixels.size() ? pixels[i] : 0);
    }
  }
  return surface;
}

inline std::unique_ptr<TDIBX> FilledSurface(int bits, int32_t width, int32_t height, uint32_t pixel) {
  return MakeSurface(bits, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, pixel));
}

inline std::vector<uint32_t> Pixels(const TCustomDIBX& surface) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < surface.Height(); ++y) {
    for (int32_t x = 0; x < surface.Width(); ++x) out.push_back(surface.GetPixel(x, y));
  }
  return out;
}

// A pseudo-random generator for property tests (fixed seeds, no global state).
class TTestRandom {
 public:
  explicit TTestRandom(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 11);
  }
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }

 private:
  uint64_t state_;
};

inline std::unique_ptr<TDIBX> RandomSurface(TTestRandom& random, int bits, int32_t width, int32_t height) {
  auto surface = std::make_unique<TDIBX>();
  surface->SetSize(width, height, bits);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      // Few distinct values so that key and equality cases occur.
      uint32_t v = random.Next();
      if (random.Range(0, 3) == 0) v = 0x00123456;
      surface->SetPixel(x, y, v);
    }
  }
  return surface;
}

inline const int kAllFormats[] = {8, 15, 16, 24, 32};

}  // namespace orvo::test
