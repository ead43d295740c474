#include "stage/slider.h"

#include <algorithm>

#include "base/numeric.h"
#include "stage/cell_draw.h"
#include "stage/gauge.h"
#include "stage/stage.h"

namespace orvo {

namespace {

constexpr int32_t kRepeatDelay = 300;
constexpr int32_t kRepeatInterval = 50;
constexpr int32_t kHoldEvent = 135;
constexpr int32_t kReleaseEvent = 136;
constexpr int32_t kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;

TRect RectOf(int64_t x, int64_t y, int64_t width, int64_t height) {
  return {ClampToInt32(x), ClampToInt32(y), ClampToInt32(x + width), ClampToInt32(y + height)};
}

int64_t Clamp64(int64_t value, int32_t low, int32_t high) {
  return std::max<int64_t>(low, std::min<int64_t>(value, high));
}

}  // namespace

TOrvoSlider::TOrvoSlider(TOrvoBaseList& stage)
    : TOrvoControl(stage), bar_(stage.Pictures()), thumb_(stage.Pictures()), button_(stage.Pictures()) {}

TOrvoSlider::~TOrvoSlider() = default;

int32_t TOrvoSlider::ClampedValue() const { return value_ < min_ ? min_ : std::min(value_, max_); }

int32_t TOrvoSlider::MouseX() const {
  const TOrvoBase* base = OwnerBase();
  return base ? base->Mouse().x : 0;
}

int32_t TOrvoSlider::MouseY() const {
  const TOrvoBase* base = OwnerBase();
  return base ? base->Mouse().y : 0;
}

// ---- properties

TPropValue TOrvoSlider::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(bar_source_);
    case PR_THUMBSOURCE:
      return TPropValue::Str(thumb_source_);
    case PR_BUTTONSOURCE:
      return TPropValue::Str(button_source_);
    case PR_MIN:
      return TPropValue::Int(min_);
    case PR_MAX:
      return TPropValue::Int(max_);
    case PR_VALUE:
      return TPropValue::Int(ClampedValue());
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_ORIENTATION:
      return TPropValue::Int(orientation_);
    case PR_ONNOTIFY:
      return TPropValue::Str(on_notify_);
    case PR_ONHOLD:
      return TPropValue::Str(on_hold_);
    case PR_ONRELEASE:
      return TPropValue::Str(on_release_);
    case PR_SMALLCHANGE:
      return TPropValue::Int(small_change_);
    case PR_CAPTUREMASK:
      return TPropValue::Bool(capture_mask_);
    case PR_CAPMASKLEVEL:
      return TPropValue::Int(mask_level_);
    case PR_BARSIZE:
      return TPropValue::Int(bar_size_);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoSlider::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetBarSource(value.AsStr());
      break;
    case PR_THUMBSOURCE:
      SetThumbSource(value.AsStr());
      break;
    case PR_BUTTONSOURCE:
      SetButtonSource(value.AsStr());
      break;
    case PR_MIN:
    case PR_MAX:
    case PR_VALUE: {
      int32_t& field = id == PR_MIN ? min_ : id == PR_MAX ? max_ : value_;
      if (field == value.AsInt()) break;
      field = value.AsInt();
      UpdateThumbOffset();
      break;
    }
    case PR_ALPHA:
      if (alpha_ != value.AsInt()) {
        alpha_ = value.AsInt();
        Invalidate();
      }
      break;
    case PR_ORIENTATION:
    case PR_BARSIZE: {
      const int32_t next = value.AsInt();
      if (id == PR_ORIENTATION ? orientation_ == static_cast<uint8_t>(next) : bar_size_ == next) break;
      if (id == PR_ORIENTATION) {
        orientation_ = static_cast<uint8_t>(next);
      } else {
        bar_size_ = next;
      }
      UpdateBarSize();
      UpdateSize();
      break;
    }
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    case PR_ONNOTIFY:
      on_notify_ = value.AsStr();
      break;
    case PR_ONHOLD:
      on_hold_ = value.AsStr();
      break;
    case PR_ONRELEASE:
      on_release_ = value.AsStr();
      break;
    case PR_SMALLCHANGE:
      small_change_ = value.AsInt();
      break;
    case PR_CAPTUREMASK:
      capture_mask_ = value.AsBool();
      break;
    case PR_CAPMASKLEVEL:
      mask_level_ = value.AsInt();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

void TOrvoSlider::SetBarSource(const std::string& source) {
  if (source == bar_source_) return;
  bar_source_ = source;
  bar_width_ = bar_height_ = 0;
  bar_.Load(source);
  UpdateBarSize();
  UpdateSize();
}

void TOrvoSlider::SetThumbSource(const std::string& source) {
  if (source == thumb_source_) return;
  thumb_source_ = source;
  thumb_width_ = thumb_height_ = 0;
  thumb_.Load(source);
  thumb_width_ = thumb_.CellWidth(3);
  thumb_height_ = thumb_.Height();
  UpdateSize();
}

void TOrvoSlider::SetButtonSource(const std::string& source) {
  if (source == button_source_) return;
  button_source_ = source;
  button_width_ = button_height_ = 0;
  button_.Load(source);
  button_width_ = button_.CellWidth(6);
  button_height_ = button_.Height();
  UpdateSize();
}

// ---- geometry

void TOrvoSlider::UpdateBarSize() {
  bar_width_ = bar_.CellWidth(2);
  bar_height_ = bar_.Height();
  if (bar_size_ > 0) (Vertical() ? bar_height_ : bar_width_) = bar_size_;
}

void TOrvoSlider::ApplySize(int64_t width, int64_t height) {
  SetBoundsRect(Left(), Top(), ClampToInt32(width), ClampToInt32(height));
}

void TOrvoSlider::UpdateSize() {
  if (bar_width_ <= 0 || bar_height_ <= 0) {
    ApplySize(0, 0);
  } else if (Vertical()) {
    ApplySize(std::max({bar_width_, thumb_width_, button_width_}),
              int64_t{bar_height_} + thumb_height_ + 2 * int64_t{button_height_});
  } else {
    ApplySize(int64_t{bar_width_} + thumb_width_ + 2 * int64_t{button_width_},
              std::max({bar_height_, thumb_height_, button_height_}));
  }
  UpdateThumbOffset();
}

void TOrvoSlider::StoreThumbOffset(int64_t offset) {
  const int32_t next = ClampToInt32(std::max<int64_t>(0, offset));
  if (next == thumb_offset_) return;
  thumb_offset_ = next;
  Invalidate();
}

void TOrvoSlider::UpdateThumbOffset() {
  const int64_t range = Range();
  if (range <= 0) {
    StoreThumbOffset(0);
    return;
  }
  const long double share = static_cast<long double>(int64_t{ClampedValue()} - min_) / range;
  StoreThumbOffset(RealToIntSaturate<int64_t>(RoundHalfEven(share * BarLength())));
}

TRect TOrvoSlider::BarRect() const {
  const int64_t x = AbsLeft(), y = AbsTop();
  if (Vertical()) {
    return RectOf(x + (int64_t{Width()} - bar_width_) / 2, y + button_height_ + thumb_height_ / 2, bar_width_,
                  bar_height_);
  }
  return RectOf(x + button_width_ + thumb_width_ / 2, y + (int64_t{Height()} - bar_height_) / 2, bar_width_,
                bar_height_);
}

TRect TOrvoSlider::ThumbRect() const {
  const int64_t x = AbsLeft(), y = AbsTop();
  if (Vertical()) {
    return RectOf(x + (int64_t{Width()} - thumb_width_) / 2, y + button_height_ + int64_t{bar_height_} - thumb_offset_,
                  thumb_width_, thumb_height_);
  }
  return RectOf(x + button_width_ + int64_t{thumb_offset_}, y + (int64_t{Height()} - thumb_height_) / 2, thumb_width_,
                thumb_height_);
}

TRect TOrvoSlider::ButtonRect(int index) const {
  const int64_t x = AbsLeft(), y = AbsTop(), w = Width(), h = Height();
  if (Vertical()) {
    return RectOf(x + (w - button_width_) / 2, index == 0 ? y : y + h - button_height_, button_width_, button_height_);
  }
  return RectOf(index == 0 ? x : x + w - button_width_, y + (h - button_height_) / 2, button_width_, button_height_);
}

// ---- hit tests

bool TOrvoSlider::HitBar() const {
  const TRect r = BarRect();
  const int32_t mx = MouseX(), my = MouseY();
  if (!r.Contains(mx, my)) return false;
  if (!bar_.HasMask()) return true;
  // A bar longer than its picture repeats the picture's cell: so does its mask.
  const int64_t cell_width = std::max(1, bar_.CellWidth(2)), cell_height = std::max(1, bar_.Height());
  const int64_t px = (int64_t{mx} - r.left) % cell_width, py = (int64_t{my} - r.top) % cell_height;
  return bar_.MaskAt(px, py) > 127;
}

bool TOrvoSlider::HitThumb() const {
  const TRect r = ThumbRect();
  const int32_t mx = MouseX(), my = MouseY();
  if (!r.Contains(mx, my)) return false;
  if (!thumb_.HasMask() || !capture_mask_) return true;
  return thumb_.MaskAt(int64_t{mx} - r.left, int64_t{my} - r.top) >= mask_level_;
}

bool TOrvoSlider::HitButton(int index) const {
  const TRect r = ButtonRect(index);
  const int32_t mx = MouseX(), my = MouseY();
  if (!r.Contains(mx, my)) return false;
  if (!button_.HasMask()) return true;
  return button_.MaskAt(int64_t{mx} - r.left + 3 * int64_t{index & 1} * button_width_, int64_t{my} - r.top) > 127;
}

// ---- value

void TOrvoSlider::SetValueNotify(int32_t value) {
  if (value == ClampedValue()) return;
  SetProperty(PR_VALUE, TPropValue::Int(value));
  if (!on_notify_.empty()) {
    Stage().Events().PostEvent(Handle(), on_notify_, {std::to_string(ClampedValue())}, ecNotify);
  }
}

void TOrvoSlider::StepBy(int64_t delta) {
  SetValueNotify(static_cast<int32_t>(Clamp64(int64_t{ClampedValue()} + delta, min_, max_)));
}

bool TOrvoSlider::DraggedValue(int64_t& value) const {
  const TRect bar = BarRect();
  const int64_t length = BarLength();
  if (length <= 0) return false;
  const int64_t along = Vertical() ? int64_t{bar.top} + length + grab_offset_ - MouseY() - 1
                                   : int64_t{MouseX()} - bar.left - grab_offset_;
  value = int64_t{min_} + RealToIntSaturate<int64_t>(RoundHalfEven(static_cast<long double>(Range()) / length * along));
  return true;
}

// ---- mouse

void TOrvoSlider::SetPartState(int32_t& field, int32_t state) {
  if (field == state) return;
  field = state;
  Invalidate();
}

void TOrvoSlider::RecomputeHover() {
  const bool active = Range() > 0 && IgnoreMouse() != IM_ALL && !paused_;
  SetPartState(thumb_state_, active && HitThumb() ? psPointed : psNormal);
  for (int i = 0; i < 2; ++i) SetPartState(button_state_[i], active && HitButton(i) ? psPointed : psNormal);
}

void TOrvoSlider::Capture() {
  if (TOrvoBase* base = OwnerBase()) {
    base->Mouse().capture |= kCaptureLeft;
    base->Mouse().left_click_now = false;
  }
}

void TOrvoSlider::LButtonDown() {
  TOrvoControl::LButtonDown();
  if (paused_ || drag_mode_ != dmIdle || (IgnoreMouse() != IM_NONE && IgnoreMouse() != IM_RCLICK) || Range() < 1) {
    return;
  }
  if (thumb_state_ == psPointed) {
    if (!on_hold_.empty()) Stage().Events().PostEvent(Handle(), on_hold_, {}, kHoldEvent);
    Capture();
    const TRect thumb = ThumbRect();
    int64_t grab = Vertical() ? int64_t{MouseY()} - thumb.top : int64_t{MouseX()} - thumb.left;
    if (!PagesTrack()) grab -= ThumbLength() / 2;
    grab_offset_ = ClampToInt32(grab);
    SetPartState(thumb_state_, psPressed);
    drag_mode_ = dmThumb;
    return;
  }
  for (int i = 0; i < 2; ++i) {
    if (button_state_[i] != psPointed) continue;
    StepBy((i == 0 ? FirstButtonSign() : -FirstButtonSign()) * int64_t{small_change_});
    Capture();
    SetPartState(button_state_[i], psPressed);
    repeat_countdown_ = kRepeatDelay;
    drag_mode_ = i == 0 ? dmFirstButton : dmSecondButton;
    return;
  }
  if (!HitBar()) return;
  int64_t next = ClampedValue();
  if (!PagesTrack()) {
    if (!on_hold_.empty()) Stage().Events().PostEvent(Handle(), on_hold_, {}, kHoldEvent);
    SetPartState(thumb_state_, psPressed);
    drag_mode_ = dmThumb;
    grab_offset_ = 0;
    DraggedValue(next);
  } else {
    track_highlight_ = true;
    Invalidate();
    repeat_countdown_ = kRepeatDelay;
    const TRect thumb = ThumbRect();
    const bool after = Vertical() ? thumb.top < MouseY() : thumb.left < MouseX();
    drag_mode_ = after ? dmTrackAfter : dmTrackBefore;
    next += after ? int64_t{LargeChange()} : -int64_t{LargeChange()};
  }
  SetValueNotify(static_cast<int32_t>(Clamp64(next, min_, max_)));
  Capture();
}

void TOrvoSlider::LButtonUp() {
  TOrvoControl::LButtonUp();
  if (drag_mode_ == dmIdle) return;
  if (drag_mode_ == dmThumb && !on_release_.empty()) {
    Stage().Events().PostEvent(Handle(), on_release_, {}, kReleaseEvent);
  }
  drag_mode_ = dmIdle;
  RecomputeHover();
  if (track_highlight_) {
    track_highlight_ = false;
    Invalidate();
  }
}

void TOrvoSlider::MouseMove() {
  if (drag_mode_ == dmIdle) {
    RecomputeHover();
  } else if (drag_mode_ == dmThumb) {
    int64_t next = 0;
    if (DraggedValue(next)) SetValueNotify(static_cast<int32_t>(Clamp64(next, min_, max_)));
  }
  TOrvoControl::MouseMove();
}

void TOrvoSlider::MouseLeave(TOrvoControl* new_hover) {
  if (drag_mode_ == dmIdle) {
    SetPartState(thumb_state_, psNormal);
    SetPartState(button_state_[0], psNormal);
    SetPartState(button_state_[1], psNormal);
  }
  TOrvoControl::MouseLeave(new_hover);
}

void TOrvoSlider::MouseHold() {
  if (drag_mode_ == dmFirstButton || drag_mode_ == dmSecondButton) {
    repeat_countdown_ = WrapSub(repeat_countdown_, Stage().FrameDelta());
    if (repeat_countdown_ > 0) return;
    repeat_countdown_ += kRepeatInterval;
    const int index = drag_mode_ == dmFirstButton ? 0 : 1;
    SetPartState(button_state_[index], HitButton(index) ? psPressed : psNormal);
    if (button_state_[index] == psPressed) {
      StepBy((index == 0 ? FirstButtonSign() : -FirstButtonSign()) * int64_t{small_change_});
    }
  } else if (drag_mode_ == dmTrackBefore || drag_mode_ == dmTrackAfter) {
    repeat_countdown_ = WrapSub(repeat_countdown_, Stage().FrameDelta());
    if (repeat_countdown_ > 0) return;
    repeat_countdown_ += kRepeatInterval;
    if (track_highlight_) {
      track_highlight_ = false;
      Invalidate();
    }
    const TRect thumb = ThumbRect();
    const int32_t m = Vertical() ? MouseY() : MouseX();
    const int32_t start = Vertical() ? thumb.top : thumb.left, end = Vertical() ? thumb.bottom : thumb.right;
    const bool arrived = drag_mode_ == dmTrackBefore ? m >= start : m < end;
    if (HitBar() && !arrived) {
      StepBy(drag_mode_ == dmTrackAfter ? int64_t{LargeChange()} : -int64_t{LargeChange()});
      track_highlight_ = true;
      Invalidate();
    }
  }
}

// ---- keys

void TOrvoSlider::KeyRepeat(const std::vector<int32_t>& keys) {
  int32_t increase = kKeyRight, decrease = kKeyLeft;
  if (Vertical()) {
    increase = IsVertical() ? kKeyUp : kKeyDown;
    decrease = IsVertical() ? kKeyDown : kKeyUp;
  }
  const int32_t v = ClampedValue();
  if (Stage().IsKeyRepeated(increase) && v < max_) {
    SetValueNotify(static_cast<int32_t>(std::min<int64_t>(max_, int64_t{v} + small_change_)));
  } else if (Stage().IsKeyRepeated(decrease) && min_ < v) {
    SetValueNotify(static_cast<int32_t>(std::max<int64_t>(min_, int64_t{v} - small_change_)));
  }
  TOrvoControl::KeyRepeat(keys);
}

// ---- drawing

void TOrvoSlider::Paint(TCustomDIBX& surface) {
  if (Width() <= 0 || Height() <= 0) return;
  if (IntersectRect(ObjectRect(), surface.GetClipRect()).IsEmpty()) return;
  if (bar_.Frame()) DrawSlider(surface);
  PaintChildren(surface);
}

void TOrvoSlider::DrawThumbAndButtons(TCustomDIBX& surface) {
  if (const TDovaItemFrame* frame = thumb_.Frame(); frame && thumb_width_ > 0 && thumb_height_ > 0 && Range() > 0) {
    const TRect r = ThumbRect();
    const int32_t cell_left = thumb_state_ * thumb_width_;
    DrawCell(*frame, surface, r.left, r.top, alpha_, TDrawFlags::None,
             {cell_left, 0, cell_left + thumb_width_, thumb_height_});
  }
  if (const TDovaItemFrame* frame = button_.Frame(); frame && button_width_ >= 1 && button_height_ >= 1) {
    for (int i = 0; i < 2; ++i) {
      const TRect r = ButtonRect(i);
      const int32_t cell_left = (button_state_[i] + 3 * i) * button_width_;
      DrawCell(*frame, surface, r.left, r.top, alpha_, TDrawFlags::None,
               {cell_left, 0, cell_left + button_width_, button_height_});
    }
  }
}

void TOrvoSlider::DrawSlider(TCustomDIBX& surface) {
  const TDovaItemFrame& frame = *bar_.Frame();
  const int32_t h = bar_.CellWidth(2), p = bar_.Height(), o = thumb_offset_;
  if (h > 0 && p > 0) {
    const TRect left_cell{0, 0, h, p}, right_cell{h, 0, 2 * h, p};
    const int64_t x = AbsLeft(), y = AbsTop();
    if (Vertical()) {
      const int64_t left = x + (int64_t{Width()} - bar_width_) / 2, top = y + button_height_ + thumb_height_ / 2;
      if (o > 0) {
        TileCell(frame, surface, RectOf(left, top + bar_height_ - o, h, o), alpha_, TDrawFlags::None, 0, p - o % p,
                 right_cell);
      }
      if (int64_t{bar_height_} - o > 0) {
        TileCell(frame, surface, RectOf(left, top, h, int64_t{bar_height_} - o), alpha_, TDrawFlags::None, 0,
                 p - bar_height_ % p, left_cell);
      }
    } else {
      const int64_t left = x + button_width_ + thumb_width_ / 2, top = y + (int64_t{Height()} - bar_height_) / 2;
      if (o > 0)
        TileCell(frame, surface, RectOf(left, top, o, bar_height_), alpha_, TDrawFlags::None, 0, 0, right_cell);
      if (int64_t{bar_width_} - o > 0) {
        TileCell(frame, surface, RectOf(left + o, top, int64_t{bar_width_} - o, bar_height_), alpha_, TDrawFlags::None,
                 o, 0, left_cell);
      }
    }
  }
  DrawThumbAndButtons(surface);
}

// ---- saves

void TOrvoSlider::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteString(bar_source_);
  writer.WriteString(thumb_source_);
  writer.WriteString(button_source_);
  writer.WriteInt32(min_);
  writer.WriteInt32(max_);
  writer.WriteInt32(value_);
  writer.WriteInt32(small_change_);
  writer.WriteInt32(alpha_);
  writer.WriteBool(paused_);
  writer.WriteByte(orientation_);
  writer.WriteString(on_notify_);
  writer.WriteString(on_hold_);
  writer.WriteString(on_release_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteBool(capture_mask_);
  writer.WriteInt32(bar_size_);
  writer.WriteInt32(mask_level_);
}

void TOrvoSlider::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  SetBarSource(reader.ReadString());
  SetThumbSource(reader.ReadString());
  SetButtonSource(reader.ReadString());
  min_ = reader.ReadInt32();
  max_ = reader.ReadInt32();
  value_ = reader.ReadInt32();
  small_change_ = reader.ReadInt32();
  alpha_ = reader.ReadInt32();
  paused_ = reader.ReadBool();
  orientation_ = reader.ReadByte();
  on_notify_ = reader.ReadString();
  on_hold_ = reader.ReadString();
  on_release_ = reader.ReadString();
  SetHandler(THandler::Idle, reader.ReadString());
  if (version > 118) capture_mask_ = reader.ReadBool();
  if (version > 127) SetProperty(PR_BARSIZE, TPropValue::Int(reader.ReadInt32()));
  mask_level_ = version == 144 || version > 199 ? reader.ReadInt32() : 128;
  // The orientation came after the pictures: the bar's length follows it now.
  UpdateBarSize();
  UpdateSize();
}

// ---- scroll bar

TOrvoScrollbar::TOrvoScrollbar(TOrvoBaseList& stage) : TOrvoSlider(stage) {}

TPropValue TOrvoScrollbar::GetProperty(int32_t id) const {
  if (id == PR_LARGECHANGE) return TPropValue::Int(large_change_);
  return TOrvoSlider::GetProperty(id);
}

void TOrvoScrollbar::SetProperty(int32_t id, const TPropValue& value) {
  if (id == PR_LARGECHANGE) {
    large_change_ = value.AsInt();
    return;
  }
  TOrvoSlider::SetProperty(id, value);
}

void TOrvoScrollbar::UpdateSize() {
  if (BarWidth() <= 0 || BarHeight() <= 0) {
    ApplySize(0, 0);
  } else if (Vertical()) {
    ApplySize(std::max({BarWidth(), ThumbWidth(), ButtonWidth()}), int64_t{BarHeight()} + 2 * int64_t{ButtonHeight()});
  } else {
    ApplySize(int64_t{BarWidth()} + 2 * int64_t{ButtonWidth()}, std::max({BarHeight(), ThumbHeight(), ButtonHeight()}));
  }
  UpdateThumbOffset();
}

void TOrvoScrollbar::UpdateThumbOffset() {
  const int64_t range = Range(), length = int64_t{BarLength()} - ThumbLength();
  // A thumb as long as the bar (or longer) has nowhere to go.
  if (range <= 0 || length <= 0) {
    StoreThumbOffset(0);
    return;
  }
  const long double share = static_cast<long double>(int64_t{ClampedValue()} - Minimum()) / range;
  StoreThumbOffset(RealToIntSaturate<int64_t>(RoundHalfEven(share * length)));
}

TRect TOrvoScrollbar::BarRect() const {
  const int64_t x = AbsLeft(), y = AbsTop();
  if (Vertical()) {
    return RectOf(x + (int64_t{Width()} - BarWidth()) / 2, y + ButtonHeight(), BarWidth(), BarHeight());
  }
  return RectOf(x + ButtonWidth(), y + (int64_t{Height()} - BarHeight()) / 2, BarWidth(), BarHeight());
}

TRect TOrvoScrollbar::ThumbRect() const {
  const int64_t x = AbsLeft(), y = AbsTop();
  if (Vertical()) {
    return RectOf(x + (int64_t{Width()} - ThumbWidth()) / 2, y + ButtonHeight() + int64_t{ThumbOffset()}, ThumbWidth(),
                  ThumbHeight());
  }
  return RectOf(x + ButtonWidth() + int64_t{ThumbOffset()}, y + (int64_t{Height()} - ThumbHeight()) / 2, ThumbWidth(),
                ThumbHeight());
}

bool TOrvoScrollbar::DraggedValue(int64_t& value) const {
  const TRect bar = BarRect();
  const int64_t length = int64_t{BarLength()} - ThumbLength();
  // Nothing to drag along: the value stays.
  if (length <= 0) return false;
  const int64_t along = Vertical() ? int64_t{MouseY()} - bar.top : int64_t{MouseX()} - bar.left;
  value = int64_t{Minimum()} + RealToIntSaturate<int64_t>(
                                   RoundHalfEven(static_cast<long double>(Range()) / length * (along - GrabOffset())));
  return true;
}

void TOrvoScrollbar::DrawSlider(TCustomDIBX& surface) {
  const TDovaItemFrame& frame = *BarPicture().Frame();
  const int32_t h = BarPicture().CellWidth(2), p = BarPicture().Height();
  if (h > 0 && p > 0) {
    const TRect left_cell{0, 0, h, p}, right_cell{h, 0, 2 * h, p};
    const bool track_held = (DragMode() == dmTrackBefore || DragMode() == dmTrackAfter) && TrackHighlight();
    const int64_t length = BarLength();
    const int64_t split =
        track_held ? std::clamp<int64_t>(ThumbLength() / 2 + int64_t{ThumbOffset()}, 0, length) : length;
    const bool first_highlighted = DragMode() == dmTrackBefore && TrackHighlight();
    const TRect& first = first_highlighted ? right_cell : left_cell;
    const TRect& second = first_highlighted ? left_cell : right_cell;
    const int64_t x = AbsLeft(), y = AbsTop();
    if (Vertical()) {
      const int64_t left = x + (int64_t{Width()} - BarWidth()) / 2, top = y + ButtonHeight();
      TileCell(frame, surface, RectOf(left, top, h, split), Opacity(), TDrawFlags::None, 0, 0, first);
      TileCell(frame, surface, RectOf(left, top + split, h, BarHeight() - split), Opacity(), TDrawFlags::None, 0,
               ClampToInt32(split), second);
    } else {
      const int64_t left = x + ButtonWidth(), top = y + (int64_t{Height()} - BarHeight()) / 2;
      TileCell(frame, surface, RectOf(left, top, split, p), Opacity(), TDrawFlags::None, 0, 0, first);
      TileCell(frame, surface, RectOf(left + split, top, BarWidth() - split, p), Opacity(), TDrawFlags::None,
               ClampToInt32(split), 0, second);
    }
  }
  DrawThumbAndButtons(surface);
}

void TOrvoScrollbar::WriteState(TBinaryWriter& writer) const {
  TOrvoSlider::WriteState(writer);
  writer.WriteInt32(large_change_);
}

void TOrvoScrollbar::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoSlider::ReadState(reader, version);
  large_change_ = reader.ReadInt32();
}

void RegisterBarKinds(TOrvoBaseList& stage) {
  stage.RegisterKind(kcSlider, [](TOrvoBaseList& s) { return std::make_unique<TOrvoSlider>(s); });
  stage.RegisterKind(kcScrollbar, [](TOrvoBaseList& s) { return std::make_unique<TOrvoScrollbar>(s); });
  stage.RegisterKind(kcGauge, [](TOrvoBaseList& s) { return std::make_unique<TOrvoGauge>(s); });
}

}  // namespace orvo
