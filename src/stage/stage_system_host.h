#pragma once
// The system variables that read the stage: clicks, pushes, the mouse, the
// key arrays, the wheel, the focus (@ActiveCompo), @CGDither and @SoundON,
// over what the script engine already answers. The shell derives from it for
// the screen manager, fonts and the rest.
#include "script/system_host.h"

namespace orvo {

class TOrvoBaseList;

class TStageSystemHost : public TScriptSystemHost {
 public:
  TStageSystemHost(TRuntimeState& state, TOrvoBaseList& stage) : TScriptSystemHost(state), stage_(&stage) {}

  bool LeftClickNow() const override;
  void SetLeftClickNow(bool value) override;
  bool RightClickNow() const override;
  void SetRightClickNow(bool value) override;
  bool LeftPush() const override;
  bool RightPush() const override;
  int32_t MouseX() const override;
  int32_t MouseY() const override;
  // Writing @MouseX/@MouseY moves the pointer (the other coordinate kept).
  void SetCursorX(int32_t x) override;
  void SetCursorY(int32_t y) override;
  bool WheelDownNow() const override;
  bool WheelUpNow() const override;
  bool IsKeyDown(int32_t key) const override;
  bool IsKeyPressed(int32_t key) const override;
  bool IsKeyRepeated(int32_t key) const override;
  bool CGDither() const override;
  void SetCGDither(bool value) override;
  bool SoundOn() const override;
  void SetSoundOn(bool value) override;
  std::string ActiveCompo() const override;
  void SetActiveCompo(const std::string& name) override;
  TParamType PropertyKind(int32_t property) const override;

 private:
  TOrvoBaseList* stage_;
};

}  // namespace orvo
