#pragma once
// Rectangles of surfaces and the window: (left, top, right, bottom), right and
// bottom exclusive.
#include <algorithm>
#include <cstdint>

namespace orvo {

struct TRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  // Widths are 64-bit: a rectangle may span the whole int32 range.
  int64_t Width() const { return static_cast<int64_t>(right) - left; }
  int64_t Height() const { return static_cast<int64_t>(bottom) - top; }
  bool IsEmpty() const { return left >= right || top >= bottom; }
  bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom) { return {left, top, right, bottom}; }

// The overlap of two rectangles; empty rectangles come out with left >= right or top >= bottom.
inline TRect IntersectRect(const TRect& a, const TRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// The smallest rectangle holding both.
inline TRect UnionRect(const TRect& a, const TRect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// Clamps a 64-bit coordinate into int32 (results of geometry that may leave the range).
inline int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace orvo
