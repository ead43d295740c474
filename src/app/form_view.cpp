#include "app/form_view.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "app/screenshot_path.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/trace.h"
#include "platform/locale.h"

namespace orvo {

double MillisecondsSinceStart() {
  static const auto process_start = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - process_start).count();
}

TFormView::TFormView(const TPlayerOptions& options, TRuntimeState& state, IDisplay& display, IDialogs& dialogs,
                     IClock& clock, TGameParts parts)
    : options_(options), state_(state), display_(display), dialogs_(dialogs), clock_(clock), parts_(parts) {}

void TFormView::Housekeeping() {
  long_clock_ += static_cast<uint32_t>(state_.total_elapsed) - static_cast<uint32_t>(long_clock_seen_);
  long_clock_seen_ = state_.total_elapsed;
  parts_.files.Housekeeping(long_clock_);
}

void TFormView::RunInterpreter() {
  if (TCallMan* interpreter = project_->CallMan()) interpreter->RunFrame();
}

void TFormView::ProcessInput() { parts_.stage.ProcessInput(); }

void TFormView::UpdateStage() { parts_.stage.UpdateAll(); }

void TFormView::PaintStage() {
  if (presenting_) parts_.stage.PaintAll();
}

void TFormView::Present() {
  if (!presenting_) return;
  if (!presenter_.PresentTo(parts_.stage, display_)) return;  // nothing changed: nothing is shown again
  if (first_present_ms_ < 0) first_present_ms_ = MillisecondsSinceStart();
}

void TFormView::ClearDirty() {
  // Steps that are not shown keep their dirty rectangles for the one that is.
  if (presenting_) parts_.stage.ClearDirty();
}

void TFormView::SaveScreenshot(const std::string& path) { parts_.stage.SaveScreenshot(path); }

void TFormView::ConfirmExit() {
  bool saved = state_.terminating;
  state_.terminating = true;
  std::string title = Cp932ToUtf8(project_->Title());
  std::string question =
      UserLanguageIsJapanese() ? "「" + title + "」を終了しますか？" : "Do you want to exit " + title + "?";
  if (dialogs_.MessageBox(title, question, TBoxButtons::YesNo, TBoxIcon::Question) == TBoxAnswer::Yes) {
    closing_ = true;
  } else {
    state_.terminating = saved;
  }
}

void TFormView::Deactivate() {
  fast_key_held_ = false;  // its release goes to another window
  if (!project_->Settings().pause_when_inactive) return;
  paused_ = true;
  active_ = false;
  parts_.media.Suspend();
  parts_.stage.ClearKeys();
}

void TFormView::Activate() {
  if (paused_) parts_.media.Resume();
  paused_ = false;
  active_ = true;
  // The pause never reaches the game clock: the next tick counts from now.
  frame_clock_.Restart(clock_.NowMs());
  state_.last_tick_time = clock_.NowMs();
}

void TFormView::ToggleFullScreen() { SetFullScreen(!display_.IsFullScreen(), TSwitchRequest::User); }

void TFormView::SetFullScreen(bool full, TSwitchRequest who) {
  Trace().Line("SetFullScreen");
  if (full == display_.IsFullScreen()) return;
  TScreenManager* screens = parts_.screens;
  const int32_t chosen = screens ? screens->SelectedMode() : -1;
  // A script asks for a chosen mode; the user's own switch works without one.
  if (full && chosen < 0 && who == TSwitchRequest::Script) return;
  state_.display_switching = true;
  const char* side = full ? "SetFullScreen.Full" : "SetFullScreen.Normal";
  const std::string prefix = side;
  Trace().Line(prefix);
  Trace().Line(prefix + ".Bases.FreeDX");
  parts_.stage.ReleaseSurfaces();
  Trace().Line(prefix + ".MediaSuspend");
  Trace().Line(prefix + ".ScreenMan.FreeDX");
  if (screens) screens->ReleaseDevice();
  if (!full) {
    Trace().Line("SetFullScreen.Normal.RestoreWindow");
    if (screens) {
      screens->SelectMode(-1);
    } else {
      display_.SetFullScreen(false);
    }
  } else {
    Trace().Line("SetFullScreen.Full.StoreWindow");
    Trace().Line("SetFullScreen.Full.SetScreenManIndex");
    if (screens && chosen >= 0) {
      screens->SelectMode(chosen);
    } else if (screens) {
      screens->EnterDesktopFullScreen();
    } else {
      display_.SetFullScreen(true);
    }
    if (!display_.IsFullScreen()) {
      // The switch did not take: the window stays as it was.
      Trace().Line("SetFullScreen.Full.SetScreenManIndexFail");
      if (screens) screens->SelectMode(-1);
    }
  }
  Trace().Line("SetFullScreen.SetBounds");
  Trace().Line("SetFullScreen.Bases.Reload");
  parts_.stage.RestoreSurfaces();
  Trace().Line("SetFullScreen.MediaResume");
  state_.display_switching = false;
}

void TFormView::ApplyScreenMode() {
  TScreenManager* screens = parts_.screens;
  if (!screens || !display_.IsFullScreen()) return;
  const int32_t chosen = screens->SelectedMode();
  if (chosen < 0 || chosen == screens->CurrentMode()) return;
  state_.display_switching = true;
  parts_.stage.ReleaseSurfaces();
  screens->SelectMode(chosen);
  Trace().Line("SetFullScreen.SetBounds");
  Trace().Line("SetFullScreen.Bases.Reload");
  parts_.stage.RestoreSurfaces();
  Trace().Line("SetFullScreen.MediaResume");
  state_.display_switching = false;
}

void TFormView::MeasureFrameRate() {
  if (!parts_.screens) return;
  const double now = static_cast<double>(clock_.NowMs());
  if (rate_previous_ms_ >= 0) rate_sum_ms_ += now - rate_previous_ms_;
  rate_previous_ms_ = now;
  if (rate_sum_ms_ < 2000) {
    ++rate_frames_;
  } else {
    parts_.screens->SetFrameRate(static_cast<double>(rate_frames_) * 1000.0 / rate_sum_ms_);
    rate_sum_ms_ = 0;
    rate_frames_ = 0;
  }
}

void TFormView::ConfigureControls(int fast_forward_key, TPadMap pad_map) {
  fast_forward_key_ = fast_forward_key;
  pad_ = TPadMapper(std::move(pad_map));
  pad_.SetStage(parts_.stage.Width(), parts_.stage.Height());
}

void TFormView::ShowToggles() { display_.ShowToggles(fast_toggle_, read_aloud_ && read_aloud_->Enabled()); }

void TFormView::TakeUserScreenshot() {
  std::error_code ignored;
  const std::string folder = ScreenshotFolder();
  std::filesystem::create_directories(folder, ignored);
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  const std::string path = ScreenshotPath(folder, Cp932ToUtf8(project_->Title()), local, [](const std::string& name) {
    std::error_code error;
    return std::filesystem::exists(name, error);
  });
  try {
    SaveScreenshot(path);
  } catch (const EOrvoError& failure) {
    std::fprintf(stderr, "orvoplayer: %s\n", failure.what());
    display_.ShowNote(UserLanguageIsJapanese() ? "スクリーンショットを保存できません" : "Cannot save the screenshot");
    return;
  }
  std::printf("screenshot: %s\n", path.c_str());
  std::fflush(stdout);
  display_.ShowNote((UserLanguageIsJapanese() ? "保存しました: " : "Saved: ") +
                    std::filesystem::path(path).filename().string());
}

bool TFormView::HandlePlayerControl(const TInputEvent& event) {
  constexpr int kVkSnapshot = 44, kVkF12 = 123;
  switch (event.kind) {
    case TInputKind::KeyDown:
    case TInputKind::KeyUp:
      if (event.key == kVkF12 || event.key == kVkSnapshot) {
        if (event.kind == TInputKind::KeyDown && !event.repeat) TakeUserScreenshot();
        return true;
      }
      if (event.key == fast_forward_key_) {
        fast_key_held_ = event.kind == TInputKind::KeyDown;
        return true;
      }
      return false;
    case TInputKind::MouseMove:
      if (event.on_stage) pad_.FollowPointer(event.x, event.y);
      return false;
    case TInputKind::FastForward:
      fast_toggle_ = event.key != 0;
      ShowToggles();
      return true;
    case TInputKind::ToggleFastForward:
      fast_toggle_ = !fast_toggle_;
      ShowToggles();
      return true;
    case TInputKind::ToggleReadAloud:
      if (read_aloud_) read_aloud_->SetEnabled(!read_aloud_->Enabled());
      ShowToggles();
      return true;
    case TInputKind::PadButtonDown:
    case TInputKind::PadButtonUp:
    case TInputKind::PadAxis: {
      std::vector<TInputEvent> mapped;
      pad_.Handle(event, mapped);
      for (const TInputEvent& one : mapped) HandleEvent(one);
      return true;
    }
    default:
      return false;
  }
}

void TFormView::HandleEvent(const TInputEvent& event) {
  if (HandlePlayerControl(event)) return;
  switch (event.kind) {
    case TInputKind::CloseRequest:
      closing_ = true;
      break;
    case TInputKind::ExitButton:
      ConfirmExit();
      break;
    case TInputKind::ToggleFullScreen:
      ToggleFullScreen();
      break;
    case TInputKind::Activate:
      Activate();
      break;
    case TInputKind::Deactivate:
      Deactivate();
      break;
    case TInputKind::Answer:
      dialogs_.QueueAnswer(event.text);
      break;
    default:
      // Keys, mouse and wheel; the stage takes input only while the window is active.
      if (active_) parts_.stage.HandleInput(event);
      break;
  }
}

void TFormView::TakeShots() {
  for (const TShotRequest& shot : options_.shots) {
    if (shot.frame == frames_run_) SaveScreenshot(shot.path);
  }
}

void TFormView::RunTick() {
  std::vector<TInputEvent> pointer;
  pad_.Tick(pointer);
  for (const TInputEvent& move : pointer) {
    if (display_.HasWindow()) display_.WarpMouse(move.x, move.y);
    HandleEvent(move);
  }
  // Fast-forward runs further steps with the tick's own delta, so the game
  // clock runs that many times faster and shows only the last step.
  const int steps = FastForwarding() ? kFastForwardSteps : 1;
  for (int step = 0; step < steps; ++step) {
    if (step > 0) {
      state_.total_elapsed =
          static_cast<int32_t>(static_cast<uint32_t>(state_.total_elapsed) + static_cast<uint32_t>(state_.frame_delta));
    }
    presenting_ = step == steps - 1;
    parts_.media.BeginFrame(state_.total_elapsed);
    StepFrame(state_, draw_, *this);
    parts_.media.EndFrame();
    if (state_.terminating || closing_) break;
  }
  presenting_ = true;
}

void TFormView::Run(TProject& project) {
  project_ = &project;
  if (!options_.input_file.empty()) {
    std::string text, error;
    std::vector<TTimedInput> events;
    if (!ReadWholeFile(options_.input_file, text)) throw EOrvoError("Cannot read input script " + options_.input_file);
    if (!ParseInputScript(text, events, error)) throw EOrvoError(options_.input_file + ": " + error);
    input_ = TInputScript(std::move(events));
  }
  frame_clock_.Restart(clock_.NowMs());
  state_.last_tick_time = clock_.NowMs();
  TakeShots();
  std::vector<TInputEvent> events;
  while (!closing_) {
    if (options_.frames >= 0 && frames_run_ >= options_.frames) break;
    events.clear();
    display_.PollEvents(events);
    input_.TakeDue(static_cast<int>(frames_run_), events);
    for (const TInputEvent& event : events) HandleEvent(event);
    if (closing_) break;
    if (paused_) {
      display_.WaitEvents(100);
      continue;
    }
    if (clock_.IsFixedStep()) {
      clock_.OnTick();
    } else {
      int wait = frame_clock_.TimeToNextTick(clock_.NowMs());
      if (wait > 0) {
        display_.WaitEvents(wait);
        continue;
      }
    }
    frame_clock_.Tick(clock_.NowMs(), state_);
    // Ticks that arrive during a window/full-screen switch are dropped.
    if (!state_.display_switching) {
      RunTick();
      MeasureFrameRate();
    }
    ++frames_run_;
    TakeShots();
    if (state_.terminating && !display_.HasWindow()) break;
  }
}

}  // namespace orvo
