#include <algorithm>

#include "stage/list_box.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"

namespace orvo {

namespace {

constexpr int32_t kKeyReturn = 13;
constexpr int32_t kKeyEscape = 27;
constexpr int32_t kKeySpace = 32;

// Animation stages of a menu: idle, close requested, opening, closing, closing at once.
enum : int32_t {
  kStageIdle = 0,
  kStageCloseRequest = 10,
  kStageOpen = 100,
  kStageOpenStart = 101,
  kStageOpening = 102,
  kStageClose = 200,
  kStageClosing = 201,
  kStageCloseNow = 300,
  kStageClosed = 301,
  kStageDelete = 302,
};

}  // namespace

TOrvoMenu::TOrvoMenu(TOrvoBaseList& stage) : TOrvoCustomListBox(stage) {}

TOrvoMenu::~TOrvoMenu() = default;

void TOrvoMenu::Adopted() { Stage().AddMenu(*this); }

void TOrvoMenu::Post(const std::string& handler, int32_t code) {
  if (!handler.empty()) Stage().Events().PostEvent(Handle(), handler, {}, code);
}

void TOrvoMenu::TakeFocus() {
  if (Visible() && !Paused() && HandleKey()) Stage().SetFocusObject(this);
}

void TOrvoMenu::GiveFocusBack() {
  if (Stage().Focus() == this) Stage().RequestRefocus();
}

void TOrvoMenu::SetPlayState(uint8_t state) {
  auto settled = [](uint8_t s) -> int {
    return s == msOpening ? int{msOpen} : s == msClosing ? int{msClosed} : int{s};
  };
  if (settled(state) == settled(menu_state_)) return;
  menu_state_ = state;
  switch (state) {
    case msOpen:
      Relayout();
      full_height_ = Height();
      animation_stage_ = kStageIdle;
      TakeFocus();
      Post(on_opening_, PR_ONOPENING);
      Post(on_opened_, PR_ONOPENED);
      break;
    case msOpening:
      animation_stage_ = kStageOpen;
      TakeFocus();
      break;
    case msClosed:
      SetProperty(PR_HEIGHT, TPropValue::Int(0));
      animation_stage_ = kStageIdle;
      GiveFocusBack();
      Post(on_closing_, PR_ONCLOSING);
      Post(on_closed_, PR_ONCLOSED);
      break;
    default:
      if (animation_stage_ == kStageIdle) full_height_ = Height();
      animation_stage_ = kStageClose;
      GiveFocusBack();
      break;
  }
}

void TOrvoMenu::CloseMenu() {
  SetLastSelection(std::string(), -1);
  SetPlayState(msClosing);
}

bool TOrvoMenu::RightClickClose() {
  const uint8_t mode = IgnoreMouse();
  if (blocked_ || (mode != IM_NONE && mode != IM_LCLICK)) return false;
  blocked_ = true;
  animation_stage_ = kStageCloseRequest;
  return true;
}

void TOrvoMenu::RButtonDown() {
  if (!Paused() && rclick_scrap_) {
    CloseMenu();
    if (TOrvoBase* base = OwnerBase()) base->Mouse().right_click_now = false;
    return;
  }
  TOrvoCustomListBox::RButtonDown();
}

void TOrvoMenu::Select() {
  TOrvoCustomListBox::Select();
  if (auto_scrap_) {
    blocked_ = true;
    animation_stage_ = kStageCloseNow;
  }
}

void TOrvoMenu::KeyRepeat(const std::vector<int32_t>& keys) {
  if (menu_state_ == msClosed || menu_state_ == msClosing) return;
  const TOrvoBaseList& stage = Stage();
  if ((stage.IsKeyPressed(kKeyReturn) || stage.IsKeyPressed(kKeySpace)) && Hover() >= 0 && !blocked_) {
    Select();
  } else if (stage.IsKeyPressed(kKeyEscape) && rclick_scrap_ && menu_state_ != msClosed) {
    animation_stage_ = kStageCloseRequest;
  }
  TOrvoCustomListBox::KeyRepeat(keys);
}

bool TOrvoMenu::Update() {
  const bool finished = TOrvoControl::Update();
  if (StepBorders()) Invalidate();
  const int32_t now = Stage().GameClock();
  const int64_t elapsed = static_cast<int64_t>(now) - start_;
  switch (animation_stage_) {
    case kStageIdle:
      if (NeedsLayout()) Relayout();
      break;
    case kStageCloseRequest:
      if (NeedsLayout()) Relayout();
      SetPlayState(msClosing);
      break;
    case kStageOpen:
      Relayout();
      Post(on_opening_, PR_ONOPENING);
      full_height_ = Height();
      SetProperty(PR_HEIGHT, TPropValue::Int(0));
      animation_stage_ = kStageOpenStart;
      break;
    case kStageOpenStart:
      start_ = now;
      animation_stage_ = kStageOpening;
      break;
    case kStageOpening:
      if (elapsed < duration_) {
        SetProperty(PR_HEIGHT, TPropValue::Int(static_cast<int32_t>(elapsed * full_height_ / duration_)));
      } else {
        SetProperty(PR_HEIGHT, TPropValue::Int(full_height_));
        animation_stage_ = kStageIdle;
        // The items and the scroll bar show from now on.
        Invalidate();
        Post(on_opened_, PR_ONOPENED);
      }
      break;
    case kStageClose:
      blocked_ = true;
      Invalidate();
      start_ = now;
      Post(on_closing_, PR_ONCLOSING);
      animation_stage_ = kStageClosing;
      break;
    case kStageClosing:
      blocked_ = true;
      if (elapsed < duration_) {
        SetProperty(PR_HEIGHT,
                    TPropValue::Int(static_cast<int32_t>(full_height_ - elapsed * full_height_ / duration_)));
      } else {
        Post(on_closed_, PR_ONCLOSED);
        animation_stage_ = kStageDelete;
      }
      break;
    case kStageCloseNow:
      blocked_ = true;
      Post(on_closing_, PR_ONCLOSING);
      Post(on_closed_, PR_ONCLOSED);
      animation_stage_ = kStageClosed;
      break;
    case kStageClosed:
      animation_stage_ = kStageDelete;
      break;
    case kStageDelete: {
      const TTimerList& events = Stage().Events();
      if (!events.HasEvent(Handle(), PR_ONCLOSING) && !events.HasEvent(Handle(), PR_ONCLOSED)) return true;
      break;
    }
    default:
      break;
  }
  return finished;
}

// ---- properties

TPropValue TOrvoMenu::GetProperty(int32_t id) const {
  switch (id) {
    case PR_DELAY:
      return TPropValue::Int(duration_);
    case PR_HOVERCOLOR:
      return TPropValue::Int(hover_colour_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_RCLICKSCRAP:
      return TPropValue::Bool(rclick_scrap_);
    case PR_ONOPENING:
      return TPropValue::Str(on_opening_);
    case PR_ONOPENED:
      return TPropValue::Str(on_opened_);
    case PR_ONCLOSING:
      return TPropValue::Str(on_closing_);
    case PR_ONCLOSED:
      return TPropValue::Str(on_closed_);
    case PR_FONTHOVERSTYLE:
      return TPropValue::Int(FontStyleToInt(const_cast<TOrvoMenu*>(this)->HoverLabels().style));
    case PR_FONTHOVERCOLOR:
      return TPropValue::Int(const_cast<TOrvoMenu*>(this)->HoverLabels().colour);
    case PR_ORIGHEIGHT:
      if (animation_stage_ >= kStageOpen) return TPropValue::Int(full_height_);
      return TOrvoCustomListBox::GetProperty(id);
    default:
      return TOrvoCustomListBox::GetProperty(id);
  }
}

void TOrvoMenu::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_DELAY:
      duration_ = value.AsInt();
      break;
    case PR_HOVERCOLOR:
      hover_colour_ = value.AsInt();
      Invalidate();
      break;
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      break;
    case PR_RCLICKSCRAP:
      rclick_scrap_ = value.AsBool();
      break;
    case PR_ONOPENING:
      on_opening_ = value.AsStr();
      break;
    case PR_ONOPENED:
      on_opened_ = value.AsStr();
      break;
    case PR_ONCLOSING:
      on_closing_ = value.AsStr();
      break;
    case PR_ONCLOSED:
      on_closed_ = value.AsStr();
      break;
    case PR_FONTHOVERSTYLE:
      HoverLabels().style = IntToFontStyle(value.AsInt());
      HoverLabels().MarkAll();
      Invalidate();
      break;
    case PR_FONTHOVERCOLOR:
      HoverLabels().colour = value.AsInt();
      HoverLabels().MarkAll();
      Invalidate();
      break;
    default:
      TOrvoCustomListBox::SetProperty(id, value);
      break;
  }
}

// ---- saves

void TOrvoMenu::WriteState(TBinaryWriter& writer) const {
  TOrvoCustomListBox::WriteState(writer);
  writer.WriteInt32(duration_);
  writer.WriteInt32(hover_colour_);
  writer.WriteBool(auto_scrap_);
  writer.WriteBool(rclick_scrap_);
  writer.WriteByte(menu_state_);
  writer.WriteString(on_opening_);
  writer.WriteString(on_opened_);
  writer.WriteString(on_closing_);
  writer.WriteString(on_closed_);
}

void TOrvoMenu::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoCustomListBox::ReadState(reader, version);
  duration_ = reader.ReadInt32();
  hover_colour_ = reader.ReadInt32();
  auto_scrap_ = reader.ReadBool();
  rclick_scrap_ = reader.ReadBool();
  menu_state_ = reader.ReadByte();
  on_opening_ = reader.ReadString();
  on_opened_ = reader.ReadString();
  on_closing_ = reader.ReadString();
  on_closed_ = reader.ReadString();
  // An animation saved half-way resumes from its full height.
  Relayout();
  full_height_ = Height();
  start_ = Stage().GameClock();
}

}  // namespace orvo
