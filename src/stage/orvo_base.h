#pragma once
// A screen: the root of one object tree, with its own surface, its list of
// rectangles to repaint and the mouse state the window reports.
#include <cstdint>
#include <string>

#include "stage/clip_list.h"
#include "stage/orvo_control.h"
#include "surface/dibx.h"

namespace orvo {

// Capture bits: a left / right press is held by an object.
constexpr uint8_t kCaptureLeft = 4;
constexpr uint8_t kCaptureRight = 8;

struct TScreenMouse {
  int32_t x = 0;
  int32_t y = 0;
  // Set by the window; the "now" flags are what this frame's routing and scripts see.
  bool left_click = false;
  bool left_click_now = false;
  bool right_click = false;
  bool right_click_now = false;
  bool left_held = false;
  bool right_held = false;
  bool moved = false;
  uint8_t capture = 0;
  bool wheel_down = false;
  bool wheel_down_now = false;
  bool wheel_up = false;
  bool wheel_up_now = false;
};

class TOrvoBase : public TOrvoControl {
 public:
  // index 0 or 1: the screen "\x01BASE0" or "\x01BASE1".
  TOrvoBase(TOrvoBaseList& stage, int index);

  bool IsScreen() const override { return true; }
  int Index() const { return index_; }
  // The screens keep their names.
  void SetName(const std::string& name) override;

  TScreenMouse& Mouse() { return mouse_; }
  const TScreenMouse& Mouse() const { return mouse_; }
  // The object under the mouse at the last frame (0 for none).
  TObjectHandle Hover() const { return hover_; }
  void SetHover(TObjectHandle hover) { hover_ = hover; }
  const std::string& CursorFile() const { return cursor_file_; }
  void SetCursorFile(std::string file) { cursor_file_ = std::move(file); }
  // Set while the screen is painted on demand.
  bool Rendering() const { return rendering_; }
  void SetRendering(bool rendering) { rendering_ = rendering; }

  const TClipList& Dirty() const { return dirty_; }
  // Adds r (cut to the screen) to the rectangles to repaint.
  void AddDirty(const TRect& r);
  void AddWholeArea();
  void ClearDirty() { dirty_.Clear(); }
  // The screen's own surface (the inactive screen and transitions draw
  // there), made at the screen's size when first needed.
  TDIBX& Surface();
  // Paints every dirty rectangle into target: the background, then the children.
  void PaintScreen(TCustomDIBX& target);

  TCustomDIBX* TargetSurface() const override;
  void LButtonDown() override;
  void KeyDown(const std::vector<int32_t>& keys) override;
  void KeyUp(const std::vector<int32_t>& keys) override;
  void KeyRepeat(const std::vector<int32_t>& keys) override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

 protected:
  bool TakesIdleEvents() const override { return false; }

 private:
  friend class TOrvoBaseList;

  int index_;
  TScreenMouse mouse_;
  TObjectHandle hover_ = 0;
  std::string cursor_file_;
  bool rendering_ = false;
  TClipList dirty_;
  TDIBX surface_;
};

// The names of the screens.
const std::string& ScreenName(int index);

}  // namespace orvo
