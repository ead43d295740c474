#include "stage/orvo_base.h"

#include <algorithm>

#include "stage/stage.h"

namespace orvo {

const std::string& ScreenName(int index) {
  static const std::string kNames[2] = {std::string("\x01"
                                                    "BASE0"),
                                        std::string("\x01"
                                                    "BASE1")};
  return kNames[index & 1];
}

TOrvoBase::TOrvoBase(TOrvoBaseList& stage, int index) : TOrvoControl(stage), index_(index & 1) {
  StoreName(ScreenName(index_));
}

void TOrvoBase::SetName(const std::string& name) { (void)name; }

void TOrvoBase::AddDirty(const TRect& r) { dirty_.Add(r, TRect{0, 0, Width(), Height()}); }

void TOrvoBase::AddWholeArea() { AddDirty(TRect{0, 0, Width(), Height()}); }

TDIBX& TOrvoBase::Surface() {
  // The screens have the stage's size, which the stage keeps within bounds.
  const int32_t width = std::clamp(Width(), 1, kMaxStageSide);
  const int32_t height = std::clamp(Height(), 1, kMaxStageSide);
  if (surface_.Width() != width || surface_.Height() != height || surface_.BitCount() != 32) {
    surface_.SetSize(width, height, 32);
    surface_.Clear(0);
  }
  return surface_;
}

void TOrvoBase::ReleaseSurfaces() { surface_.Release(); }

void TOrvoBase::RestoreSurfaces() { AddWholeArea(); }

TCustomDIBX* TOrvoBase::TargetSurface() const { return &Stage().ScreenTarget(*this); }

void TOrvoBase::PaintScreen(TCustomDIBX& target) {
  if (!Visible() || target.IsEmpty()) return;
  const TRect whole{0, 0, Width(), Height()};
  TRect background = whole;
  if (HasClip()) background = IntersectRect(background, ClipRectOnScreen());
  const int32_t pixel = Color() >= 0 ? target.ColorToPixel(Color()) : -1;
  for (const TRect& r : dirty_.Rects()) {
    target.SetClipRect(r);
    if (pixel >= 0) target.FillRect(background, static_cast<uint32_t>(pixel));
    PaintChildren(target);
  }
  target.ResetClip();
}

// A screen takes no clicks and sends no key events of its own.
void TOrvoBase::LButtonDown() {}
void TOrvoBase::KeyDown(const std::vector<int32_t>& keys) { (void)keys; }
void TOrvoBase::KeyUp(const std::vector<int32_t>& keys) { (void)keys; }
void TOrvoBase::KeyRepeat(const std::vector<int32_t>& keys) { (void)keys; }

}  // namespace orvo
