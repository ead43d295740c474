#pragma once
// The main window of a running game and its frame loop: input routing,
// activation, full screen, the exit question and shutdown.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frame_clock.h"
#include "app/frame_step.h"
#include "app/game_host.h"
#include "app/game_ini.h"
#include "app/options.h"
#include "app/pad_mapper.h"
#include "app/read_aloud.h"
#include "base/runtime_state.h"
#include "data/file_manager.h"
#include "media/media_library.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/display.h"
#include "platform/input_script.h"
#include "platform/screen_manager.h"
#include "script/project.h"
#include "stage/presenter.h"
#include "stage/stage.h"

namespace orvo {

// Milliseconds since the first call (made at the very start of the program).
double MillisecondsSinceStart();

// What a running game consists of besides the window: the mounted data, the
// stage and the media layer.
struct TGameParts {
  TVrFileManager& files;
  TOrvoBaseList& stage;
  IMediaLibrary& media;
  TScreenManager* screens = nullptr;  // null when the game has no size
};

// Who asks for a window/full-screen switch: scripts need a chosen mode, the
// user's key and toolbar do not.
enum class TSwitchRequest { Script, User };

class TFormView : public IFrameParts, public IScreenControl {
 public:
  TFormView(const TPlayerOptions& options, TRuntimeState& state, IDisplay& display, IDialogs& dialogs, IClock& clock,
            TGameParts parts);

  // Runs frames until the window closes, --frames is reached, or a headless
  // game stops. project must have loaded its settings and started.
  void Run(TProject& project);

  // Asks the loop to end after the current frame (the Terminate command, a page too old to run).
  void Close() { closing_ = true; }

  // Frame parts that the shell itself owns.
  bool HasProject() const override { return project_ != nullptr; }
  void RunInterpreter() override;
  void Housekeeping() override;
  void ProcessInput() override;
  void UpdateStage() override;
  void PaintStage() override;
  void Present() override;
  void ClearDirty() override;
  // The pending load and save of the save subsystem; none: nothing to do.
  void SetPendingWork(std::function<bool()> work) { pending_work_ = std::move(work); }
  bool PerformPending() override { return pending_work_ ? pending_work_() : false; }

  // The switch between window and full screen, with its trace labels.
  void SetFullScreen(bool full, TSwitchRequest who);
  TScreenManager* Screens() const override { return parts_.screens; }
  void ScriptSetFullScreen(bool full) override { SetFullScreen(full, TSwitchRequest::Script); }
  void ApplyScreenMode() override;

  // Writes the stage as the window shows it (PNG).
  void SaveScreenshot(const std::string& path);
  // The player's own controls from game.ini: the fast-forward key and the pad mapping.
  void ConfigureControls(int fast_forward_key, TPadMap pad_map);
  // Read-aloud, switched by the toolbar (null: no read-aloud).
  void SetReadAloud(TReadAloud* read_aloud) {
    read_aloud_ = read_aloud;
    ShowToggles();
  }
  // Frame steps a tick runs while fast-forward is on; only the last is shown.
  static constexpr int kFastForwardSteps = 8;
  int64_t FramesRun() const { return frames_run_; }
  // Milliseconds from start-up to the first presented frame (-1 before it).
  double FirstPresentMs() const { return first_present_ms_; }

 private:
  void HandleEvent(const TInputEvent& event);
  void ConfirmExit();
  void Activate();
  void Deactivate();
  void ToggleFullScreen();
  void TakeShots();
  // The player's own keys and pad input; true when the event was theirs.
  bool HandlePlayerControl(const TInputEvent& event);
  void TakeUserScreenshot();
  bool FastForwarding() const { return fast_toggle_ || fast_key_held_ || pad_.FastForwardHeld(); }
  void ShowToggles();
  // Runs the frame steps of one tick.
  void RunTick();
  void MeasureFrameRate();

  const TPlayerOptions& options_;
  TRuntimeState& state_;
  IDisplay& display_;
  IDialogs& dialogs_;
  IClock& clock_;
  TGameParts parts_;
  TStagePresenter presenter_;
  TProject* project_ = nullptr;
  TFrameClock frame_clock_;
  TDrawPhase draw_;
  TInputScript input_;
  std::function<bool()> pending_work_;
  bool active_ = true;
  bool paused_ = false;
  bool closing_ = false;
  // Fast-forward: the toolbar's or the input script's switch, the key, the pad.
  bool fast_toggle_ = false;
  bool fast_key_held_ = false;
  int fast_forward_key_ = 9;
  TReadAloud* read_aloud_ = nullptr;
  TPadMapper pad_;
  // False during the steps of a fast-forward tick that are not shown.
  bool presenting_ = true;
  int64_t frames_run_ = 0;
  // The game clock without the 32-bit wrap, for lifetimes of temporary copies.
  int64_t long_clock_ = 0;
  int32_t long_clock_seen_ = 0;
  double first_present_ms_ = -1;
  // Frames per second over about two seconds.
  double rate_sum_ms_ = 0;
  int64_t rate_frames_ = 0;
  double rate_previous_ms_ = -1;
};

}  // namespace orvo
