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
#include "surface/font_pixel_manager.h"

namespace orvo {

class TScreenManager;

// The window's full-screen switching as scripts reach it.
class IScreenControl {
 public:
  virtual ~IScreenControl() = default;
  // The display modes; null when the game has none.
  virtual TScreenManager* Screens() const = 0;
  // A script's switch: full screen only with a chosen mode.
  virtual void ScriptSetFullScreen(bool full) = 0;
  // After a script chose a mode: takes it when in full screen.
  virtual void ApplyScreenMode() = 0;
};

class TShellSystemHost : public TStageSystemHost {
 public:
  TShellSystemHost(TRuntimeState& state, TOrvoBaseList& stage, IClock& clock)
      : TStageSystemHost(state, stage), clock_(clock) {}
  // The frame loop's clock stands for the system timer, so that fixed-step runs repeat.
  int32_t SystemMilliseconds() const override { return static_cast<int32_t>(clock_.NowMs()); }
  TLocalTime LocalNow() const override;
  // "@Fonts" and "@FixedFonts" list the glyph manager's faces once it is set.
  void SetFonts(TFontPixelManager* glyphs) { glyphs_ = glyphs; }
  std::vector<std::string> ListFonts(bool fixed_only) const override;

  void SetScreenControl(IScreenControl* control) { screen_control_ = control; }
  bool FullScreen() const override;
  void SetFullScreen(bool value) override;
  int32_t DisplayModeCount() const override;
  int32_t DisplayModeIndex() const override;
  // Indices outside the mode list are ignored.
  void SetDisplayModeIndex(int32_t index) override;
  bool DisplayMode(int32_t index, int32_t& width, int32_t& height, int32_t& bits, int32_t& refresh) const override;

 private:
  TScreenManager* Screens() const { return screen_control_ ? screen_control_->Screens() : nullptr; }

  IClock& clock_;
  TFontPixelManager* glyphs_ = nullptr;
  IScreenControl* screen_control_ = nullptr;
};

class TShellScriptHost : public IScriptHost {
 public:
  TShellScriptHost(IDialogs& dialogs, std::function<void()> close) : dialogs_(dialogs), close_(std::move(close)) {}
  void RequestClose() override {
    if (close_) close_();
  }
  void Warn(const std::string& text) override;
  void ReportError(const std::string& text) override;

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
  ITextFields* TextFields() override { return display_.TextFields(); }
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
