#include "stage/stage_system_host.h"

#include "stage/prop_access.h"
#include "stage/stage.h"

namespace orvo {

bool TStageSystemHost::LeftClickNow() const { return stage_->ActiveScreen().Mouse().left_click_now; }
void TStageSystemHost::SetLeftClickNow(bool value) { stage_->ActiveScreen().Mouse().left_click_now = value; }
bool TStageSystemHost::RightClickNow() const { return stage_->ActiveScreen().Mouse().right_click_now; }
void TStageSystemHost::SetRightClickNow(bool value) { stage_->ActiveScreen().Mouse().right_click_now = value; }

bool TStageSystemHost::LeftPush() const {
  const TScreenMouse& mouse = stage_->ActiveScreen().Mouse();
  return mouse.left_held && !(mouse.capture & kCaptureLeft);
}

bool TStageSystemHost::RightPush() const {
  const TScreenMouse& mouse = stage_->ActiveScreen().Mouse();
  return mouse.right_held && !(mouse.capture & kCaptureRight);
}

int32_t TStageSystemHost::MouseX() const { return stage_->ActiveScreen().Mouse().x; }
int32_t TStageSystemHost::MouseY() const { return stage_->ActiveScreen().Mouse().y; }
void TStageSystemHost::SetCursorX(int32_t x) { stage_->Host().WarpMouse(x, MouseY()); }
void TStageSystemHost::SetCursorY(int32_t y) { stage_->Host().WarpMouse(MouseX(), y); }
bool TStageSystemHost::WheelDownNow() const { return stage_->ActiveScreen().Mouse().wheel_down_now; }
bool TStageSystemHost::WheelUpNow() const { return stage_->ActiveScreen().Mouse().wheel_up_now; }
bool TStageSystemHost::IsKeyDown(int32_t key) const { return stage_->IsKeyDown(key); }
bool TStageSystemHost::IsKeyPressed(int32_t key) const { return stage_->IsKeyPressed(key); }
bool TStageSystemHost::IsKeyRepeated(int32_t key) const { return stage_->IsKeyRepeated(key); }
bool TStageSystemHost::CGDither() const { return stage_->CGDither(); }
void TStageSystemHost::SetCGDither(bool value) { stage_->SetCGDither(value); }
bool TStageSystemHost::SoundOn() const { return stage_->SoundOn(); }
void TStageSystemHost::SetSoundOn(bool value) { stage_->SetSoundOn(value); }

std::string TStageSystemHost::ActiveCompo() const {
  const TOrvoControl* focus = stage_->Focus();
  return focus ? focus->Name() : std::string();
}

void TStageSystemHost::SetActiveCompo(const std::string& name) {
  if (name.empty()) return;
  TOrvoControl* object = stage_->FindControl(name);
  if (object && !object->Paused() && object->Visible() && object->HandleKey()) stage_->SetFocusObject(object);
}

TParamType TStageSystemHost::PropertyKind(int32_t property) const { return PropParamType(property); }

}  // namespace orvo
