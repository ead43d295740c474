#pragma once
// Locked views of surfaces and the shared geometry of the drawing operations.
// Internal to the surfaces.
#include <cstdint>
#include <memory>
#include <optional>

#include "surface/custom_dibx.h"
#include "surface/kernels.h"

namespace orvo::pixel {

// A surface locked at (0, 0): rows are origin + y * pitch. Unlocks on destruction.
class TView {
 public:
  explicit TView(TCustomDIBX& surface) : surface_(&surface) {
    width_ = surface.Width();
    height_ = surface.Height();
    bits_ = surface.BitCount();
    key_ = surface.KeyColor();
    if (width_ > 0 && height_ > 0) origin_ = surface.Lock(0, 0);
    if (origin_ != nullptr) pitch_ = surface.Pitch();
  }
  ~TView() {
    if (origin_ != nullptr) surface_->Unlock();
  }
  TView(const TView&) = delete;
  TView& operator=(const TView&) = delete;

  bool Valid() const { return origin_ != nullptr; }
  uint8_t* Row(int64_t y) const { return origin_ + y * pitch_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int64_t Pitch() const { return pitch_; }
  int Bits() const { return bits_; }
  int32_t Key() const { return key_; }
  TRect Bounds() const { return {0, 0, width_, height_}; }
  TCustomDIBX& Surface() const { return *surface_; }
  // The byte range the pixels occupy, to find surfaces that share memory.
  const uint8_t* Lowest() const { return pitch_ < 0 ? Row(height_ - 1) : origin_; }
  const uint8_t* Highest() const {
    return (pitch_ < 0 ? origin_ : Row(height_ - 1)) + static_cast<size_t>(width_) * ((bits_ + 7) / 8);
  }

 private:
  TCustomDIBX* surface_;
  uint8_t* origin_ = nullptr;
  int64_t pitch_ = 0;
  int32_t width_ = 0, height_ = 0;
  int bits_ = 0;
  int32_t key_ = -1;
};

inline bool Overlaps(const TView& a, const TView& b) {
  return a.Valid() && b.Valid() && a.Lowest() < b.Highest() && b.Lowest() < a.Highest();
}

inline bool IsDrawableBits(int bits) { return bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32; }

// An unscaled blit after clipping: destination rectangle, the source pixel
// that lands on its top-left corner and the source's walking directions.
struct TBlitPlan {
  int32_t dx = 0, dy = 0, width = 0, height = 0;
  int32_t sx = 0, sy = 0;
  int step_x = 1, step_y = 1;
};

// Clips the blit of source_rect at (x, y) against clip, reading only inside
// readable (the source's and mask's bounds). Flipped walks start at the far
// edge, so a cut on the destination's left removes the source's right columns.
bool PlanBlit(const TRect& clip, int32_t x, int32_t y, const TRect& source_rect, const TRect& readable,
              TDrawFlags flags, TBlitPlan& plan);

// A private copy of a source that shares memory with the destination, so
// that reads never see pixels the same operation already wrote.
std::unique_ptr<TCustomDIBX> SnapshotSurface(TCustomDIBX& surface);

// Locks the destination, a source and an optional mask, reading from private
// copies of those that share the destination's memory, and calls
// body(dest view, source view, mask view or null, the readable part of
// source_rect). Nothing happens when a surface cannot be locked or nothing of
// source_rect is readable.
template <class Body>
void WithSourceViews(TCustomDIBX& dest, TCustomDIBX& source, TCustomDIBX* mask, const TRect& source_rect, Body&& body) {
  std::unique_ptr<TCustomDIBX> source_copy, mask_copy;
  TCustomDIBX* src = &source;
  TCustomDIBX* msk = mask;
  {
    TView dv(dest), sv(source);
    if (&source == &dest || Overlaps(dv, sv)) source_copy = SnapshotSurface(source), src = source_copy.get();
    if (mask) {
      TView mv(*mask);
      if (mask == &dest || Overlaps(dv, mv)) mask_copy = SnapshotSurface(*mask), msk = mask_copy.get();
    }
  }
  TView dv(dest), sv(*src);
  std::optional<TView> mv;
  if (msk) mv.emplace(*msk);
  if (!dv.Valid() || !sv.Valid() || (mv && !mv->Valid())) return;
  TRect readable = IntersectRect(source_rect, sv.Bounds());
  if (mv) readable = IntersectRect(readable, mv->Bounds());
  if (readable.IsEmpty()) return;
  body(dv, sv, mv ? &*mv : nullptr, readable);
}

}  // namespace orvo::pixel
