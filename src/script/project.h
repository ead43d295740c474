#pragma once
// The project: the game's settings, its start and exit pages and the state
// the whole run shares.
#include <memory>
#include <string>

#include "base/runtime_state.h"
#include "platform/dialogs.h"
#include "script/game_files.h"
#include "script/project_settings.h"

namespace orvo {

class TProject {
 public:
  TProject(TRuntimeState& state, IGameFiles& files, IDialogs& dialogs);

  // Reads "orvo.opb" and takes its settings. On a missing or empty file it
  // reports "プロジェクトがありません" and leaves both flags set; a settings
  // error propagates (the shell shows it with caption "エラー"). Returns true
  // when the settings were taken.
  bool Load();
  // Starts the start page, or reports "スタートページがありません" and sets
  // both flags. Returns true when the game runs.
  bool Start();

  const TProjectSettings& Settings() const { return settings_; }
  const std::string& Title() const { return settings_.title; }
  int Width() const { return settings_.width; }
  int Height() const { return settings_.height; }
  // Default centre point of transitions: half the stage size.
  int CentreX() const { return settings_.width / 2; }
  int CentreY() const { return settings_.height / 2; }

 private:
  void Warn(const std::string& cp932_text);

  TRuntimeState& state_;
  IGameFiles& files_;
  IDialogs& dialogs_;
  TProjectSettings settings_;
};

}  // namespace orvo
