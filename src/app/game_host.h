#pragma once
// The running game's services as the script engine and the system variables
// see them, until the stage and the media take their parts over: the clocks,
// warnings and the close request go to the shell.
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "script/script_services.h"
#include "script/system_host.h"

namespace orvo {

class TShellSystemHost : public TScriptSystemHost {
 public:
  TShellSystemHost(TRuntimeState& state, IClock& clock) : TScriptSystemHost(state), clock_(clock) {}
  // The frame loop's clock stands for the system timer, so that fixed-step runs repeat.
  int32_t SystemMilliseconds() const override { return static_cast<int32_t>(clock_.NowMs()); }
  TLocalTime LocalNow() const override;

 private:
  IClock& clock_;
};

class TShellScriptHost : public IScriptHost {
 public:
  TShellScriptHost(IDialogs& dialogs, std::function<void()> close) : dialogs_(dialogs), close_(std::move(close)) {}
  void RequestClose() override {
    if (close_) close_();
  }
  void Warn(const std::string& text) override;

 private:
  IDialogs& dialogs_;
  std::function<void()> close_;
};

}  // namespace orvo
