#pragma once
// The system functions that reach beyond the variable store: stage objects,
// the game's files and the files scripts make ("mem:", "save:"),
// screenshots, file extraction, dialogs and the desktop. The shell installs
// them once at start-up over the neutral defaults of the function table:
//
//   TGameFunctionServices services(stage, file_manager, *desktop, state);
//   services.project = &project;
//   services.save_file = [&] { return save_path; };
//   services.forget_picture = [&](const std::string& file) { picture_cache.PurgePicture(file); };
//   RegisterGameFunctions(engine, services);
#include <functional>
#include <string>

#include "base/runtime_state.h"
#include "data/file_manager.h"
#include "platform/desktop.h"
#include "script/call_man.h"
#include "stage/stage.h"
#include "vars/engine.h"

namespace orvo {

struct TGameFunctionServices {
  TGameFunctionServices(TOrvoBaseList& stage_, TVrFileManager& files_, IDesktop& desktop_, TRuntimeState& state_)
      : stage(stage_), files(files_), desktop(desktop_), state(state_) {}

  TOrvoBaseList& stage;
  TVrFileManager& files;
  IDesktop& desktop;
  // Files marked for deletion at exit (SaveScreen's register 1).
  TRuntimeState& state;
  // RequireFile of the project (asking for another disc when needed) and the
  // code of protected pictures; without it, the file manager's Exists.
  IPageSource* project = nullptr;
  // The save file on disk (UTF-8) that keeps "save:" files; empty or unset:
  // "save:" files last only for the run.
  std::function<std::string()> save_file;
  // Keeps a "save:" file in the save file instead (the save subsystem's
  // rewrite, with its backup); when set, save_file is not used.
  std::function<void(std::string_view name, std::string_view bytes)> store_save_file;
  // Drops what the picture cache holds of a file that SaveScreen rewrote.
  std::function<void(const std::string& file)> forget_picture;
};

// Registers every function of the groups below. The services must outlive
// the engine's use of the functions.
void RegisterGameFunctions(TExprEngine& engine, const TGameFunctionServices& services);

// The groups, for tests that need only one of them.
void RegisterStageFunctions(TSysFuncMan& functions, TOrvoBaseList& stage);
void RegisterFileFunctions(TSysFuncMan& functions, const TGameFunctionServices& services);
void RegisterDesktopFunctions(TSysFuncMan& functions, const TGameFunctionServices& services);

}  // namespace orvo
