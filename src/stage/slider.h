#pragma once
// Sliders (kind 21) and scroll bars (kind 22): a value between a minimum and
// a maximum shown by a thumb on a bar, with two arrow buttons. The user drags
// the thumb, clicks the bar, holds the buttons or the scroll bar's track
// (they repeat after 300 ms, then every 50 ms of frame time) or steps with
// the arrow keys; every change the user makes posts the change handler.
#include <cstdint>
#include <string>

#include "base/rect.h"
#include "stage/bar_picture.h"
#include "stage/orvo_control.h"

namespace orvo {

class TOrvoSlider : public TOrvoControl {
 public:
  // What a left press holds.
  enum TDragMode : int32_t {
    dmIdle = 0,
    dmThumb = 1,
    dmFirstButton = 2,
    dmSecondButton = 3,
    dmTrackBefore = 4,
    dmTrackAfter = 5,
  };
  // States of the thumb and the buttons.
  enum TPartState : int32_t { psNormal = 0, psPointed = 1, psPressed = 2 };

  explicit TOrvoSlider(TOrvoBaseList& stage);
  ~TOrvoSlider() override;

  uint8_t CompoType() const override { return kcSlider; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void Paint(TCustomDIBX& surface) override;
  void LButtonDown() override;
  void LButtonUp() override;
  void MouseMove() override;
  void MouseLeave(TOrvoControl* new_hover) override;
  void MouseHold() override;
  void KeyRepeat(const std::vector<int32_t>& keys) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  // The value inside [minimum, maximum] (below the minimum: the minimum).
  int32_t ClampedValue() const;
  int32_t RawValue() const { return value_; }
  int32_t ThumbOffset() const { return thumb_offset_; }
  int32_t ThumbState() const { return thumb_state_; }
  int32_t ButtonState(int index) const { return button_state_[index & 1]; }
  TDragMode DragMode() const { return drag_mode_; }
  int32_t BarWidth() const { return bar_width_; }
  int32_t BarHeight() const { return bar_height_; }
  bool Vertical() const { return orientation_ == 1; }

  // Rectangles on screen.
  virtual TRect BarRect() const;
  virtual TRect ThumbRect() const;
  TRect ButtonRect(int index) const;
  // Hit tests at the owner screen's mouse.
  bool HitBar() const;
  bool HitThumb() const;
  bool HitButton(int index) const;
  // A user's change: stores n and posts the change handler when the value changes.
  void SetValueNotify(int32_t value);
  // True when steps run against the screen's axis (the first button increases).
  virtual bool IsVertical() const { return Vertical(); }

 protected:
  // The scroll bar's paging step; the slider has none.
  virtual int32_t LargeChange() const { return 0; }
  virtual bool PagesTrack() const { return false; }
  // The thumb's length along the orientation.
  int32_t ThumbLength() const { return Vertical() ? thumb_height_ : thumb_width_; }
  int32_t BarLength() const { return Vertical() ? bar_height_ : bar_width_; }
  void UpdateBarSize();
  virtual void UpdateSize();
  virtual void UpdateThumbOffset();
  virtual void DrawSlider(TCustomDIBX& surface);
  // The value the mouse points at while the thumb is dragged (unclamped in 64 bits).
  virtual bool DraggedValue(int64_t& value) const;
  void DrawThumbAndButtons(TCustomDIBX& surface);
  // Sets Width and Height (the thumb offset follows).
  void ApplySize(int64_t width, int64_t height);
  void StoreThumbOffset(int64_t offset);
  int64_t Range() const { return int64_t{max_} - min_; }
  int32_t MouseX() const;
  int32_t MouseY() const;
  // Steps by delta (clamped) through SetValueNotify.
  void StepBy(int64_t delta);
  TBarPicture& BarPicture() { return bar_; }
  const TBarPicture& BarPicture() const { return bar_; }
  int32_t ButtonWidth() const { return button_width_; }
  int32_t ButtonHeight() const { return button_height_; }
  int32_t ThumbWidth() const { return thumb_width_; }
  int32_t ThumbHeight() const { return thumb_height_; }
  int32_t Opacity() const { return alpha_; }
  bool TrackHighlight() const { return track_highlight_; }
  int32_t GrabOffset() const { return grab_offset_; }
  int32_t Minimum() const { return min_; }
  int32_t Maximum() const { return max_; }

 private:
  void SetBarSource(const std::string& source);
  void SetThumbSource(const std::string& source);
  void SetButtonSource(const std::string& source);
  void RecomputeHover();
  void SetPartState(int32_t& field, int32_t state);
  void Capture();
  // +1 or -1: what the first button does (the second does the opposite).
  int FirstButtonSign() const { return IsVertical() ? 1 : -1; }

  std::string bar_source_, thumb_source_, button_source_;
  int32_t min_ = 0, max_ = 0, value_ = 0;
  int32_t alpha_ = 0;
  bool paused_ = false;
  uint8_t orientation_ = 0;
  std::string on_notify_;
  int32_t bar_width_ = 0, bar_height_ = 0;
  int32_t thumb_width_ = 0, thumb_height_ = 0;
  int32_t button_width_ = 0, button_height_ = 0;
  TBarPicture bar_, thumb_, button_;
  int32_t thumb_offset_ = 0;
  int32_t thumb_state_ = psNormal;
  int32_t button_state_[2] = {psNormal, psNormal};
  int32_t grab_offset_ = 0;
  int32_t repeat_countdown_ = 0;
  bool track_highlight_ = false;
  std::string on_hold_, on_release_;
  int32_t small_change_ = 0;
  bool capture_mask_ = false;
  int32_t mask_level_ = 128;
  int32_t bar_size_ = 0;
  TDragMode drag_mode_ = dmIdle;
};

class TOrvoScrollbar : public TOrvoSlider {
 public:
  explicit TOrvoScrollbar(TOrvoBaseList& stage);

  uint8_t CompoType() const override { return kcScrollbar; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;
  TRect BarRect() const override;
  TRect ThumbRect() const override;
  // Scroll bars step with the screen's axis in both orientations.
  bool IsVertical() const override { return false; }

 protected:
  int32_t LargeChange() const override { return large_change_; }
  bool PagesTrack() const override { return true; }
  void UpdateSize() override;
  void UpdateThumbOffset() override;
  void DrawSlider(TCustomDIBX& surface) override;
  bool DraggedValue(int64_t& value) const override;

 private:
  int32_t large_change_ = 0;
};

// Registers kinds 21, 22 and 23 on a stage.
void RegisterBarKinds(TOrvoBaseList& stage);

}  // namespace orvo
