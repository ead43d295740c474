#pragma once
// The stage behind the object and property commands of the interpreter.
#include "script/stage_commands.h"

namespace orvo {

class TOrvoBaseList;
class TOrvoObject;
class TOrvoControl;

class TStageCommands : public IStageCommands {
 public:
  explicit TStageCommands(TOrvoBaseList& stage) : stage_(&stage) {}

  TObjectHandle CreateByKind(int32_t kind) override;
  TObjectHandle FindComponent(std::string_view name) const override;
  TObjectHandle FindControl(std::string_view name) const override;
  TObjectHandle Screen(int index) const override;
  int ActiveScreenIndex() const override;
  std::string Name(TObjectHandle object) const override;
  void SetName(TObjectHandle object, const std::string& name) override;
  bool IsCabinet(TObjectHandle object) const override;
  void SetParent(TObjectHandle object, TObjectHandle parent) override;
  std::vector<TObjectHandle> Children(TObjectHandle parent) const override;
  void Scrap(TObjectHandle object) override;
  void Invalidate(TObjectHandle object) override;
  TParamType PropertyType(int32_t id) const override;
  void GetProperty(TCustomParam& variable, TObjectHandle object, int32_t id) override;
  void SetProperty(TObjectHandle object, int32_t id, const TCustomParam& value) override;
  void PrepareLeft(TObjectHandle object) override;
  void SetLastWait(TObjectHandle object, const TOrvoParser& expression) override;
  void SetParticleExpressions(TObjectHandle object, const TOrvoParser* appear_x, const TOrvoParser* appear_y,
                              const TOrvoParser* interval) override;
  void SetupPropMotion(TObjectHandle motion, const TPropMotionSetup& setup) override;
  void RestartMedia(TObjectHandle object) override;
  void StartMedia(TObjectHandle object) override;
  void SetMenuState(TObjectHandle object, int32_t state) override;
  bool StopMedia(TObjectHandle object, int32_t fade_time) override;
  bool Alive(TObjectHandle object) const override;
  bool IsMessage(TObjectHandle object) const override;
  void InsertText(TObjectHandle message, const TTextInsertion& insertion) override;
  bool HoldsText(TObjectHandle message) const override;
  void ClearText(TObjectHandle message) override;
  void ClearReadMarks() override;
  void PaintAll() override;
  TObjectHandle CreateFlipCover() override;
  void RenderScreen(int index) override;
  // Starts the kind's wipe from the active screen, with the command's
  // parameters, text and option; false for kind 0 and unknown kinds.
  bool StartTransition(const TTransitionSetup& setup) override;
  void SetTransitionElapsed(int32_t elapsed) override;
  void SwitchScreens() override;

 private:
  TOrvoObject* Object(TObjectHandle handle) const;
  TOrvoControl* Control(TObjectHandle handle) const;

  TOrvoBaseList* stage_;
};

// The name of the flip cover, "\x01\x01".
const std::string& FlipCoverName();

}  // namespace orvo
