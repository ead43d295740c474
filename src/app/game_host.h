#pragma once
// The running game's services that the shell answers for the script engine,
// the system variables and the stage: the clocks, warnings, the close
// request, the mouse pointer and the sound switch.
#include <functional>
#include <string>

#include "media/media_library.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/display.h"
#include "script/script_services.h"
#include "stage/stage_host.h"
#include "stage/stage_system_host.h"

namespace orvo {

class TShellSystemHost : public TStageSystemHost {
 public:
  TShellSystemHost(TRuntimeState& state, TOrvoBaseList& stage, IClock& clock)
      : TStageSystemHost(state, stage), clock_(clock) {}
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

// The window's pointer, as the stage asks for it.
class TShellStageHost : public IStageHost {
 public:
  explicit TShellStageHost(IDisplay& display) : display_(display) {}
  // The media layer that @SoundON switches; none until it exists.
  void SetMedia(IMediaLibrary* media) { media_ = media; }
  void SetSoundOn(bool on) override {
    if (media_) media_->SetSoundOn(on);
  }
  void WarpMouse(int32_t x, int32_t y) override { display_.WarpMouse(x, y); }
  bool MousePosition(int32_t& x, int32_t& y) const override {
    int px = 0, py = 0;
    display_.MousePosition(px, py);
    x = px;
    y = py;
    return true;
  }

 private:
  IDisplay& display_;
  IMediaLibrary* media_ = nullptr;
};

}  // namespace orvo
