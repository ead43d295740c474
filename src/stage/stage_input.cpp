// Input of the stage: what the window reports, and the per-frame routing of
// the active screen's mouse and keyboard into script events.
#include "stage/stage.h"

namespace orvo {

namespace {

bool IsKeyCode(int32_t code) { return code >= 0 && code < 256; }

}  // namespace

void TOrvoBaseList::SetKeyState(int32_t code, bool down) {
  if (!IsKeyCode(code)) return;
  const size_t key = static_cast<size_t>(code);
  if ((key_down_[key] != 0) == down) return;
  key_down_[key] = down;
  repeat_latch_[key] = down;
  if (down) {
    repeat_timer_[key] = kKeyRepeatDelay;
    key_pressed_flag_ = true;
    key_repeat_flag_ = true;
    pressed_keys_.push_back(code);
    repeated_keys_.push_back(code);
  } else {
    key_released_flag_ = true;
    released_keys_.push_back(code);
  }
}

void TOrvoBaseList::LatchKeyPress(int32_t code) {
  if (IsKeyCode(code)) press_latch_[static_cast<size_t>(code)] = 1;
}

bool TOrvoBaseList::IsKeyDown(int32_t code) const { return IsKeyCode(code) && key_down_[static_cast<size_t>(code)]; }

bool TOrvoBaseList::IsKeyPressed(int32_t code) const {
  return IsKeyCode(code) && pressed_now_[static_cast<size_t>(code)];
}

bool TOrvoBaseList::IsKeyRepeated(int32_t code) const {
  return IsKeyCode(code) && repeated_now_[static_cast<size_t>(code)];
}

void TOrvoBaseList::ClearKeys() {
  key_down_.fill(0);
  press_latch_.fill(0);
  pressed_now_.fill(0);
  repeat_latch_.fill(0);
  repeated_now_.fill(0);
  repeat_timer_.fill(0);
  key_pressed_flag_ = key_released_flag_ = key_repeat_flag_ = false;
  pressed_keys_.clear();
  released_keys_.clear();
  repeated_keys_.clear();
}

ITextFields& TOrvoBaseList::TextFields() {
  if (ITextFields* fields = host_->TextFields()) return *fields;
  if (!own_text_fields_) own_text_fields_ = CreateHeadlessTextFields();
  return *own_text_fields_;
}

void TOrvoBaseList::HandleInput(const TInputEvent& event) {
  if (HandleFieldInput(event)) return;
  switch (event.kind) {
    case TInputKind::KeyDown:
      // Auto-repeat is the stage's own; the window's repeated downs do not press again.
      if (event.repeat || !IsKeyCode(event.key)) return;
      SetKeyState(event.key, true);
      LatchKeyPress(event.key);
      return;
    case TInputKind::KeyUp:
      SetKeyState(event.key, false);
      return;
    case TInputKind::MouseMove:
      // Outside the stage only a held button keeps the mouse (dragging past the edge).
      if (!event.on_stage && !ActiveScreen().Mouse().left_held && !ActiveScreen().Mouse().right_held) return;
      for (TOrvoBase* screen : screens_) {
        screen->Mouse().x = event.x;
        screen->Mouse().y = event.y;
        screen->Mouse().moved = true;
      }
      return;
    case TInputKind::MouseDown: {
      // The middle button means nothing to games.
      if (!event.on_stage || event.button == TMouseButton::Middle) return;
      const bool left = event.button == TMouseButton::Left;
      for (TOrvoBase* screen : screens_) {
        TScreenMouse& mouse = screen->Mouse();
        if (mouse.x != event.x || mouse.y != event.y) mouse.moved = true;
        mouse.x = event.x;
        mouse.y = event.y;
        mouse.left_held = left;
        mouse.right_held = !left;
      }
      TScreenMouse& active = ActiveScreen().Mouse();
      active.left_click = left;
      active.right_click = !left;
      return;
    }
    case TInputKind::MouseUp:
      if (event.button == TMouseButton::Middle) return;
      for (TOrvoBase* screen : screens_) {
        screen->Mouse().left_held = false;
        screen->Mouse().right_held = false;
      }
      return;
    case TInputKind::WheelDown:
      ActiveScreen().Mouse().wheel_down = true;
      return;
    case TInputKind::WheelUp:
      ActiveScreen().Mouse().wheel_up = true;
      return;
    default:
      return;
  }
}

bool TOrvoBaseList::HandleFieldInput(const TInputEvent& event) {
  ITextFields& fields = TextFields();
  ITextField* focused = fields.FocusedField();
  switch (event.kind) {
    case TInputKind::KeyDown:
      if (!focused) return false;
      focused->KeyDown(event.key);
      return true;
    case TInputKind::KeyUp:
      if (!focused) return false;
      focused->KeyUp(event.key);
      return true;
    case TInputKind::TextInput:
      if (focused) focused->CommitText(event.text);
      return true;
    case TInputKind::MouseDown: {
      // A field lies over the stage and takes the clicks on it; a click
      // elsewhere takes the window focus from the fields.
      if (!event.on_stage) return false;
      ITextField* hit = fields.FieldAt(event.x, event.y);
      if (hit) {
        hit->TakeFocus();
        return true;
      }
      fields.ClearFocus();
      return false;
    }
    default:
      return false;
  }
}

void TOrvoBaseList::ProcessInput() {
  if (refocus_pending_) {
    SetFocusObject(ActiveScreen().FirstFocusable());
    refocus_pending_ = false;
  }
  pressed_now_ = press_latch_;
  press_latch_.fill(0);
  repeated_now_ = repeat_latch_;
  RouteMouse(ActiveScreen());
  DeliverKeys();
  StepKeyRepeat();
}

void TOrvoBaseList::RouteMouse(TOrvoBase& screen) {
  TScreenMouse& m = screen.Mouse();
  m.left_click_now = m.left_click;
  m.right_click_now = m.right_click;
  m.wheel_down_now = m.wheel_down;
  m.wheel_up_now = m.wheel_up;
  m.left_click = m.right_click = m.wheel_down = m.wheel_up = false;

  // A right click closes the topmost menu that may close on one.
  if (m.right_click_now) {
    for (size_t i = menu_list_.size(); i-- > 0;) {
      if (i >= menu_list_.size()) continue;
      TOrvoControl* menu = ResolveControl(menu_list_[i]);
      if (!menu || !menu->GetBool(PR_RCLICKSCRAP) || !menu->Visible() || menu->OwnerBase() != &screen ||
          menu->Paused() || menu->InCabinet() || (menu->IgnoreMouse() != IM_NONE && menu->IgnoreMouse() != IM_LCLICK)) {
        continue;
      }
      if (menu->RightClickClose()) {
        m.right_click_now = false;
        break;
      }
    }
  }

  // A captured press keeps every mouse event on its object until released.
  if ((m.capture & (kCaptureLeft | kCaptureRight)) && ResolveControl(screen.Hover())) {
    TOrvoControl* hover = ResolveControl(screen.Hover());
    if (m.capture & kCaptureLeft) {
      if (!m.left_held) {
        hover->LButtonUp();
        m.capture &= static_cast<uint8_t>(~kCaptureLeft);
      }
    } else if (!m.right_held) {
      hover->RButtonUp();
      m.capture &= static_cast<uint8_t>(~kCaptureRight);
    }
    if (m.moved) {
      if (TOrvoControl* still = ResolveControl(screen.Hover())) still->MouseMove();
    }
    if (TOrvoControl* still = ResolveControl(screen.Hover())) still->MouseHold();
    m.moved = false;
    return;
  }

  const uint32_t mask = m.left_click_now ? kHitLeftClick : m.right_click_now ? kHitRightClick : kHitHover;
  TOrvoControl* hit = screen.HitTest(m.x, m.y, mask);
  m.capture = 0;
  const TObjectHandle hit_handle = hit ? hit->Handle() : 0;
  if (hit) {
    std::string cursor = hit->CursorName();
    if (cursor.empty()) cursor = host_->DefaultCursorFile();
    if (cursor != screen.CursorFile()) {
      host_->ShowCursorFile(cursor);
      screen.SetCursorFile(cursor);
    }
    if (m.left_click_now) {
      hit->LButtonDown();
      TOrvoControl* still = ResolveControl(hit_handle);
      if (still && !still->Paused() && still->HandleKey()) SetFocusObject(still);
    } else if (m.right_click_now) {
      hit->RButtonDown();
    } else if (m.wheel_down_now || m.wheel_up_now) {
      const THandler which = m.wheel_down_now ? THandler::WheelDown : THandler::WheelUp;
      const int32_t code = m.wheel_down_now ? ecWheelDown : ecWheelUp;
      const std::string& handler = hit->Handler(which);
      if (!handler.empty() && !hit->EventsBlocked() && !events_.HasEvent(hit_handle, code)) {
        events_.PostEvent(hit_handle, handler, {}, code);
      }
    }
  }

  TOrvoControl* old = ResolveControl(screen.Hover());
  hit = ResolveControl(hit_handle);
  if (old && old != hit) {
    old->MouseLeave(hit);
    hit = ResolveControl(hit_handle);
  }
  if (hit && (m.moved || hit_handle != screen.Hover())) {
    if (hit_handle != screen.Hover()) {
      hit->MouseEnter(ResolveControl(screen.Hover()));
      hit = ResolveControl(hit_handle);
    }
    if (hit) hit->MouseMove();
  }
  screen.SetHover(ResolveControl(hit_handle) ? hit_handle : 0);
  m.moved = false;
}

void TOrvoBaseList::DeliverKeys() {
  TOrvoControl* focus = Focus();
  if (focus && focus->HandleKey()) {
    if (key_pressed_flag_) focus->KeyDown(pressed_keys_);
    if (key_repeat_flag_ && (focus = Focus()) != nullptr) focus->KeyRepeat(repeated_keys_);
    if (key_released_flag_ && (focus = Focus()) != nullptr) focus->KeyUp(released_keys_);
  }
  key_pressed_flag_ = key_released_flag_ = key_repeat_flag_ = false;
  pressed_keys_.clear();
  released_keys_.clear();
  repeated_keys_.clear();
}

void TOrvoBaseList::StepKeyRepeat() {
  const int32_t delta = FrameDelta();
  for (size_t key = 0; key < key_down_.size(); ++key) {
    if (!key_down_[key]) continue;
    repeat_timer_[key] -= delta;
    repeat_latch_[key] = repeat_timer_[key] <= 0;
    if (repeat_timer_[key] <= 0) {
      // Handed to the focus on the next frame.
      repeat_timer_[key] += kKeyRepeatInterval;
      key_repeat_flag_ = true;
      repeated_keys_.push_back(static_cast<int32_t>(key));
    }
  }
}

}  // namespace orvo
