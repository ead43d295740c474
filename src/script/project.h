#pragma once
// The project: the game's settings, the location of its data, its start and
// exit pages, the interpreter that runs them and the state the whole run
// shares.
#include <memory>
#include <string>

#include "base/runtime_state.h"
#include "data/file_manager.h"
#include "platform/dialogs.h"
#include "script/call_man.h"
#include "script/project_settings.h"

namespace orvo {

class TExprEngine;
class TParamCollection;
class TProject;

// The status data of the save file (persistent variables and the marks of
// read texts and seen pictures). The save subsystem fills it in; until then
// nothing is kept between runs.
class IProjectStatus {
 public:
  virtual ~IProjectStatus() = default;
  // Reads the status data and takes the saved entries (at project start).
  virtual void Load(TProject& project) { (void)project; }
  // Writes the status data (at project end, unless a fatal error happened).
  virtual void Save(TProject& project) { (void)project; }
};

class TProject : public IPageSource {
 public:
  TProject(TRuntimeState& state, TVrFileManager& files, IDialogs& dialogs);
  ~TProject() override;

  // Without command-line arguments: finds the game data through
  // "install.dat" (beside the program, in the mounted data, or on a disc).
  // On failure reports it and sets both flags; returns false.
  bool LocateGameData(const std::string& program_folder);
  // Reads "orvo.opb" and takes its settings, reads the status data and
  // defines the default variables in store (when given). On a missing or
  // empty file it reports "プロジェクトがありません" and leaves both flags
  // set; a settings error propagates (the shell shows it with caption
  // "エラー"). Returns true when the settings were taken.
  bool Load(TParamCollection* store = nullptr);
  // Creates the interpreter and enters the start page, or reports
  // "スタートページがありません" and sets both flags. Returns true when the game runs.
  bool Start(TExprEngine& engine, IEventQueue& events, IScriptHost& host);
  // The end of the run: unless a fatal error happened, runs the exit page
  // for one frame and saves the status data. Then frees the interpreter.
  void Shutdown();

  // True when the game file exists; a file on another disc is asked for
  // unless its extension is one of the media extensions. Empty: false.
  bool RequireFile(const std::string& name) override;
  std::string LoadFile(const std::string& name) override;
  int32_t ImageCode() const override { return settings_.image_option; }
  // The disc that holds name by the folder-disc list; 0 for none.
  int DiscOf(const std::string& name) const;

  void SetStatus(IProjectStatus* status) { status_ = status; }
  TCallMan* CallMan() const { return call_man_.get(); }
  TRuntimeState& State() const { return state_; }
  TVrFileManager& Files() const { return files_; }
  // The exit page raised: the status data is not saved.
  bool Aborted() const { return aborted_; }

  const TProjectSettings& Settings() const { return settings_; }
  const std::string& Title() const { return settings_.title; }
  int Width() const { return settings_.width; }
  int Height() const { return settings_.height; }
  // Default centre point of transitions: half the stage size.
  int CentreX() const { return settings_.width / 2; }
  int CentreY() const { return settings_.height / 2; }

 private:
  void Warn(const std::string& cp932_text);
  TDiscRequest DiscRequest() const;

  TRuntimeState& state_;
  TVrFileManager& files_;
  IDialogs& dialogs_;
  IProjectStatus* status_ = nullptr;
  TProjectSettings settings_;
  std::unique_ptr<TCallMan> call_man_;
  bool aborted_ = false;
};

// Questions of a disc request as message boxes. After many refusals to quit
// in a row it gives up, so that a run without a person cannot ask for ever.
class TDialogDiscPrompt : public TDiscPrompt {
 public:
  explicit TDialogDiscPrompt(IDialogs& dialogs) : dialogs_(dialogs) {}
  bool AskForDisc(const std::string& caption, const std::string& text) override;
  bool ConfirmQuit(const std::string& caption, const std::string& text) override;

 private:
  static constexpr int kMaxRounds = 1000;
  IDialogs& dialogs_;
  int rounds_ = 0;
};

const std::string& MsgInsertDisc();  // "ディスクを入れてください"

}  // namespace orvo
