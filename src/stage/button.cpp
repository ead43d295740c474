#include "stage/button.h"

#include <algorithm>

#include "stage/motion.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"

namespace orvo {

namespace {

constexpr int32_t kKeyReturn = 13;
constexpr int32_t kKeySpace = 32;

size_t StateSlot(int32_t state) { return static_cast<size_t>(state - 1); }

}  // namespace

TOrvoButton::TOrvoButton(TOrvoBaseList& stage) : TOrvoImages(stage) {
  for (auto& list : lists_) list = std::make_unique<TOrvoImageList>(stage.Pictures(), this);
  caption_.AddLabel(std::string());
}

TOrvoButton::~TOrvoButton() = default;

TOrvoImageList* TOrvoButton::FrameList() {
  if (state_ >= bsHover && state_ <= bsClicked) return lists_[StateSlot(state_)].get();
  return TOrvoImages::FrameList();
}

TOrvoMotion* TOrvoButton::StateMotion() const {
  if (state_ >= bsHover && state_ <= bsClicked) return motions_[StateSlot(state_)].get();
  return Motion();
}

bool TOrvoButton::StateHasPicture(int32_t state) const {
  if (state <= bsNormal) return true;
  if (state > bsClicked) return false;
  return lists_[StateSlot(state)]->Count() > 0 || motions_[StateSlot(state)] != nullptr;
}

const std::string& TOrvoButton::PlayEndHandler() const {
  static const std::string kNone;
  return kNone;
}

// ---- states

void TOrvoButton::SetState(int32_t state) {
  if (state_ == bsClicked) {
    state_after_click_ = state;
    return;
  }
  if (state == state_ || !StateHasPicture(state)) return;
  Invalidate();
  state_ = state;
  if (state == bsClicked) state_after_click_ = bsNormal;
  SetIndex(-1);
  if (FrameList() && FrameList()->Count() == 0) ClearExternalPicture();
  SetIndex(0);
  if (TOrvoMotion* motion = StateMotion(); motion && state > bsNormal) motion->Rewind();
  Invalidate();
}

void TOrvoButton::SetStateSource(int32_t state, const std::string& source) {
  std::string& field = sources_[StateSlot(state)];
  if (field == source) return;
  field = source;
  const bool shown = state_ == state;
  if (shown) {
    Invalidate();
    SetIndex(-1);
    ClearExternalPicture();
  }
  TOrvoImageList& list = *lists_[StateSlot(state)];
  list.Clear();
  motions_[StateSlot(state)].reset();
  if (IsPictureFileName(source)) {
    list.LoadFrames(source, false);
  } else if (IsMotionFileName(source)) {
    if (const TMotionLoader& loader = Stage().MotionLoader()) {
      if (std::unique_ptr<IMotionFilm> film = loader(*this, source)) {
        motions_[StateSlot(state)] = std::make_unique<TOrvoMotion>(std::move(film));
      }
    }
  }
  if (shown && list.Count() > 0) SetIndex(0);
}

// ---- clicks and groups

void TOrvoButton::Click() {
  if (!on_notify_.empty()) Stage().Events().PostEvent(Handle(), on_notify_, {}, ecNotify);
  if (group_index_ == 0) {
    SetState(bsClicked);
    if (state_ != bsClicked && GetBool(PR_AUTOSCRAP)) press_state_ = -1;
    return;
  }
  if (allow_all_up_ || !selected_) SetGroupSelected(!selected_);
}

void TOrvoButton::SetSelectedSilently(bool selected) {
  selected_ = selected;
  SetState(selected ? bsPressed : bsNormal);
}

void TOrvoButton::SetGroupSelected(bool selected) {
  if (selected == selected_ || (selected && group_index_ == 0)) return;
  selected_ = selected;
  SetState(selected ? bsPressed : bsNormal);
  if (Parent()) UpdateGroup(*Parent(), this, group_index_);
}

void TOrvoButton::UpdateGroup(TOrvoControl& parent, TOrvoButton* button, int32_t group) {
  if (group == 0) return;
  std::vector<TOrvoButton*> members;
  for (TOrvoControl* child : parent.Children()) {
    if (child->IsScrapped() || child->CompoType() != kcButton) continue;
    auto* member = static_cast<TOrvoButton*>(child);
    if (member->group_index_ == group) members.push_back(member);
  }
  if (members.empty()) return;
  TOrvoButton* chosen = nullptr;
  if (button && button->selected_ && button->group_index_ == group) {
    chosen = button;
  } else {
    for (TOrvoButton* member : members) {
      if (member->selected_) {
        chosen = member;
        break;
      }
    }
  }
  if (!chosen && !(button && button->allow_all_up_)) chosen = members.front();
  for (TOrvoButton* member : members) {
    const bool wanted = member == chosen;
    if (member->selected_ != wanted) member->SetSelectedSilently(wanted);
  }
}

// ---- mouse and keys

void TOrvoButton::MouseMove() {
  if (press_state_ == 0) {
    if (Paused() || selected_) {
      SetState(selected_ ? bsPressed : bsNormal);
    } else {
      SetState(bsHover);
    }
  } else if (press_state_ == 1) {
    TOrvoBase* base = OwnerBase();
    const bool over = base && base->HitTest(base->Mouse().x, base->Mouse().y, kHitLeftClick) == this;
    SetState(!selected_ && !over ? bsNormal : bsPressed);
  }
  TOrvoImages::MouseMove();
}

void TOrvoButton::MouseLeave(TOrvoControl* new_hover) {
  if (state_ == bsClicked) return;
  SetState(selected_ ? bsPressed : bsNormal);
  TOrvoImages::MouseLeave(new_hover);
}

void TOrvoButton::LButtonDown() {
  const uint8_t mode = IgnoreMouse();
  if (mode != IM_NONE && mode != IM_RCLICK) {
    TOrvoImages::LButtonDown();
    return;
  }
  TOrvoBase* base = OwnerBase();
  if (!Paused() && state_ != bsClicked) {
    if (base) base->Mouse().capture |= kCaptureLeft;
    SetState(bsPressed);
    press_state_ = 1;
  }
  if (base) base->Mouse().left_click_now = false;
}

void TOrvoButton::LButtonUp() {
  TOrvoBase* base = OwnerBase();
  if (press_state_ == 1 && base && base->HitTest(base->Mouse().x, base->Mouse().y, kHitLeftClick) == this) {
    Click();
    if (press_state_ == -1) return;
  }
  press_state_ = 0;
  if (group_index_ == 0 && state_ != bsClicked) SetState(bsNormal);
}

void TOrvoButton::KeyRepeat(const std::vector<int32_t>& keys) {
  if (Stage().IsKeyRepeated(kKeyReturn) || Stage().IsKeyRepeated(kKeySpace)) Click();
  TOrvoImages::KeyRepeat(keys);
}

// ---- update

bool TOrvoButton::UpdatePicture() {
  if (press_state_ == -1) return true;
  finish_ = false;
  if (state_ > bsNormal && motions_[StateSlot(state_)]) {
    TOrvoMotion& motion = *motions_[StateSlot(state_)];
    if (motion.Step(*this, Stage().FrameDelta()) && state_ == bsClicked) ClickedEnded();
    return finish_;
  }
  const bool finished = TOrvoImages::UpdatePicture();
  return finished || finish_;
}

void TOrvoButton::AnimationEnded() {
  if (state_ == bsClicked) ClickedEnded();
}

void TOrvoButton::ClickedEnded() {
  if (GetBool(PR_AUTOSCRAP)) {
    finish_ = true;
    return;
  }
  const std::string handler = TOrvoImages::GetProperty(PR_ONPLAYEND).AsStr();
  if (!handler.empty()) Stage().Events().PostEvent(Handle(), handler, {}, ecPlayEnd);
  state_ = -1;
  SetState(state_after_click_);
  if (state_ < 0) SetState(bsNormal);
}

// ---- caption

void TOrvoButton::AfterPicture(TCustomDIBX& surface) {
  TKwLabelDIB& label = caption_.Label(0);
  if (label.Text().empty()) return;
  caption_.SetGlyphs(Stage().Glyphs());
  caption_.SetTarget(&surface);
  if (label.NeedsRender()) {
    caption_.MeasureLabel(label);
    caption_.Render(label);
  }
  const int32_t shift = state_ == bsPressed || state_ == bsClicked ? 1 : 0;
  const int64_t x = int64_t{AbsLeft()} + (int64_t{Width()} - label.Width()) / 2 + shift;
  const int64_t y = int64_t{AbsTop()} + (int64_t{Height()} - label.Height()) / 2 + shift;
  caption_.DrawLabel(label, static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
                     static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX)));
}

void TOrvoButton::CaptionChanged() {
  caption_.MarkAll();
  Invalidate();
}

void TOrvoButton::ReleaseSurfaces() {
  caption_.ReleaseLabels();
  TOrvoImages::ReleaseSurfaces();
}

// ---- properties

TPropValue TOrvoButton::GetProperty(int32_t id) const {
  switch (id) {
    case PR_HOVERSOURCE:
      return TPropValue::Str(sources_[0]);
    case PR_PRESSEDSOURCE:
      return TPropValue::Str(sources_[1]);
    case PR_CLICKEDSOURCE:
      return TPropValue::Str(sources_[2]);
    case PR_GROUPINDEX:
      return TPropValue::Int(group_index_);
    case PR_SELECTED:
      return TPropValue::Bool(selected_);
    case PR_ALLOWALLUP:
      return TPropValue::Bool(allow_all_up_);
    case PR_ONNOTIFY:
      return TPropValue::Str(on_notify_);
    case PR_REPEAT:
      return TPropValue::Bool(state_ != bsClicked);
    case PR_TEXT:
      return TPropValue::Str(caption_.Label(0).Text());
    case PR_FONTNAME:
      return TPropValue::Str(caption_.face);
    case PR_FONTHEIGHT:
      return TPropValue::Int(caption_.font_size);
    case PR_FONTSTYLE:
      return TPropValue::Int(FontStyleToInt(caption_.style));
    case PR_FONTCOLOR:
      return TPropValue::Int(caption_.colour);
    case PR_ANTIALIAS:
      return TPropValue::Bool(caption_.smoothing != 0);
    default:
      return TOrvoImages::GetProperty(id);
  }
}

void TOrvoButton::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_HOVERSOURCE:
      SetStateSource(bsHover, value.AsStr());
      break;
    case PR_PRESSEDSOURCE:
      SetStateSource(bsPressed, value.AsStr());
      break;
    case PR_CLICKEDSOURCE:
      SetStateSource(bsClicked, value.AsStr());
      break;
    case PR_GROUPINDEX:
      group_index_ = value.AsInt();
      if (Parent()) UpdateGroup(*Parent(), this, group_index_);
      break;
    case PR_SELECTED:
      SetGroupSelected(value.AsBool());
      break;
    case PR_ALLOWALLUP:
      allow_all_up_ = value.AsBool();
      if (Parent()) {
        for (TOrvoControl* child : Parent()->Children()) {
          if (child->CompoType() == kcButton && static_cast<TOrvoButton*>(child)->group_index_ == group_index_) {
            static_cast<TOrvoButton*>(child)->SetAllowAllUpSilently(allow_all_up_);
          }
        }
        UpdateGroup(*Parent(), this, group_index_);
      }
      break;
    case PR_ONNOTIFY:
      on_notify_ = value.AsStr();
      break;
    case PR_REPEAT:
      break;
    case PR_TEXT:
      if (caption_.Label(0).Text() == value.AsStr()) break;
      Invalidate();
      caption_.SetText(0, value.AsStr());
      CaptionChanged();
      break;
    case PR_FONTNAME:
      caption_.face = value.AsStr();
      CaptionChanged();
      break;
    case PR_FONTHEIGHT:
      caption_.font_size = value.AsInt();
      CaptionChanged();
      break;
    case PR_FONTSTYLE:
      caption_.style = IntToFontStyle(value.AsInt());
      CaptionChanged();
      break;
    case PR_FONTCOLOR:
      caption_.colour = value.AsInt();
      CaptionChanged();
      break;
    case PR_ANTIALIAS:
      caption_.smoothing = value.AsBool() ? 3 : 0;
      CaptionChanged();
      break;
    default:
      TOrvoImages::SetProperty(id, value);
      break;
  }
}

// ---- saves

void TOrvoButton::WriteState(TBinaryWriter& writer) const {
  TOrvoImages::WriteState(writer);
  writer.WriteString(sources_[0]);
  writer.WriteString(sources_[1]);
  writer.WriteInt32(group_index_);
  writer.WriteBool(selected_);
  writer.WriteBool(allow_all_up_);
  writer.WriteString(on_notify_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteString(sources_[2]);
  caption_.WriteLabels(writer);
  writer.WriteString(caption_.Label(0).Text());
}

void TOrvoButton::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoImages::ReadState(reader, version);
  const int32_t index = Current();
  const int32_t remaining = Remaining();
  state_ = bsNormal;
  const std::string hover = reader.ReadString();
  const std::string pressed = reader.ReadString();
  group_index_ = reader.ReadInt32();
  const bool selected = reader.ReadBool();
  allow_all_up_ = reader.ReadBool();
  on_notify_ = reader.ReadString();
  std::string clicked;
  if (version > 103) {
    SetHandler(THandler::Idle, reader.ReadString());
    clicked = reader.ReadString();
  }
  if (version > 136) caption_.ReadLabels(reader, version);
  if (version > 144) caption_.SetText(0, reader.ReadString());
  SetStateSource(bsHover, hover);
  SetStateSource(bsPressed, pressed);
  SetStateSource(bsClicked, clicked);
  selected_ = false;
  SetGroupSelected(selected);
  press_state_ = 0;
  RestoreFrame(index, remaining);
}

}  // namespace orvo
