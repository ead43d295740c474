#pragma once
// A screen's list of rectangles to repaint. Rectangles that lie near each
// other are merged so that the list stays short.
#include <vector>

#include "base/rect.h"

namespace orvo {

class TClipList {
 public:
  // Two rectangles are near when neither lies more than this far beyond the other.
  static constexpr int32_t kNearDistance = 20;

  // Clamps r to bounds and adds it: merged into the first stored rectangle
  // near it (and the union again, until nothing near is left), else appended.
  void Add(const TRect& r, const TRect& bounds);
  void Clear() { rects_.clear(); }
  bool Empty() const { return rects_.empty(); }
  const std::vector<TRect>& Rects() const { return rects_; }

 private:
  std::vector<TRect> rects_;
};

// True when a and b lie within TClipList::kNearDistance of each other.
bool RectsNear(const TRect& a, const TRect& b);

}  // namespace orvo
