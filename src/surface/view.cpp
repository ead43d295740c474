#include "surface/view.h"

#include <algorithm>

#include "surface/dibx.h"

namespace orvo::pixel {
namespace {

// One axis of PlanBlit: destination start and length, first source index, step.
bool PlanAxis(int64_t at, int64_t src_lo, int64_t src_hi, int64_t read_lo, int64_t read_hi, int64_t clip_lo,
              int64_t clip_hi, bool flip, int32_t& dest, int32_t& length, int32_t& source, int& step) {
  int64_t lo = std::max(src_lo, read_lo), hi = std::min(src_hi, read_hi);
  if (lo >= hi) return false;
  // Destination span of the readable source indices.
  int64_t d_lo = flip ? at + (src_hi - hi) : at + (lo - src_lo);
  int64_t d_hi = flip ? at + (src_hi - lo) : at + (hi - src_lo);
  d_lo = std::max(d_lo, clip_lo);
  d_hi = std::min(d_hi, clip_hi);
  if (d_lo >= d_hi) return false;
  dest = static_cast<int32_t>(d_lo);
  length = static_cast<int32_t>(d_hi - d_lo);
  source = static_cast<int32_t>(flip ? src_hi - 1 - (d_lo - at) : src_lo + (d_lo - at));
  step = flip ? -1 : 1;
  return true;
}

}  // namespace

bool PlanBlit(const TRect& clip, int32_t x, int32_t y, const TRect& source_rect, const TRect& readable,
              TDrawFlags flags, TBlitPlan& plan) {
  if (source_rect.IsEmpty() || clip.IsEmpty()) return false;
  return PlanAxis(x, source_rect.left, source_rect.right, readable.left, readable.right, clip.left, clip.right,
                  HasFlag(flags, TDrawFlags::FlipH), plan.dx, plan.width, plan.sx, plan.step_x) &&
         PlanAxis(y, source_rect.top, source_rect.bottom, readable.top, readable.bottom, clip.top, clip.bottom,
                  HasFlag(flags, TDrawFlags::FlipV), plan.dy, plan.height, plan.sy, plan.step_y);
}

std::unique_ptr<TCustomDIBX> SnapshotSurface(TCustomDIBX& surface) {
  auto copy = std::make_unique<TDIBX>();
  copy->SetSize(surface.Width(), surface.Height(), surface.BitCount());
  copy->SetKeyColor(surface.KeyColor());
  copy->Assign(surface);
  return copy;
}

}  // namespace orvo::pixel
