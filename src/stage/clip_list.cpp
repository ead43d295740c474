#include "stage/clip_list.h"

namespace orvo {

bool RectsNear(const TRect& e, const TRect& r) {
  const int64_t d = TClipList::kNearDistance;
  return !(int64_t{e.right} + d < r.left || int64_t{e.bottom} + d < r.top || r.right < int64_t{e.left} - d ||
           r.bottom < int64_t{e.top} - d);
}

void TClipList::Add(const TRect& rect, const TRect& bounds) {
  TRect r = IntersectRect(rect, bounds);
  if (r.IsEmpty()) return;
  for (size_t i = 0; i < rects_.size();) {
    const TRect e = rects_[i];
    if (!RectsNear(e, r)) {
      ++i;
      continue;
    }
    if (r.left >= e.left && r.top >= e.top && r.right <= e.right && r.bottom <= e.bottom) return;
    rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
    r = UnionRect(r, e);
    i = 0;
  }
  rects_.push_back(r);
}

}  // namespace orvo
