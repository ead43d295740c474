#pragma once
// The system variables' view of the running game as far as the script
// engine knows it: the frame clock, the project and the interpreter. The
// stage and the shell derive from it to add input, screens and clocks.
#include "base/runtime_state.h"
#include "vars/host.h"

namespace orvo {

class TCallMan;
class TProject;

class TScriptSystemHost : public ISystemHost {
 public:
  explicit TScriptSystemHost(TRuntimeState& state) : state_(state) {}

  void SetProject(TProject* project) { project_ = project; }
  // The interpreter whose arguments, sender, stack and result the variables read; null before it exists.
  void SetCallMan(TCallMan* call_man) { call_man_ = call_man; }

  int32_t TotalElapsed() const override { return state_.total_elapsed; }
  int32_t FrameCounter() const override { return state_.frame_counter; }
  std::string ProjectTitle() const override;
  int32_t ScreenWidth() const override;
  int32_t ScreenHeight() const override;
  TCustomParam* ReturnValue() override;
  int32_t ArgumentCount() const override;
  std::string Argument(int32_t index) const override;
  std::string EventSenderName() const override;
  int32_t CallStackCount() const override;
  void RemoveCallFrame(int32_t index) override;

 private:
  TCallMan* Interpreter() const;

  TRuntimeState& state_;
  TProject* project_ = nullptr;
  TCallMan* call_man_ = nullptr;
};

}  // namespace orvo
