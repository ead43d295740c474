#pragma once
// The interpreter's view of the stage: names of event senders, objects by
// name when a save is loaded, the reset command and the object and property
// commands. When an interpreter starts, the stage takes its expressions and
// the game's files (the picture cache reads through them). Everything else
// goes to the host the shell gives (closing, warnings, tables, history).
#include "script/call_man.h"
#include "script/script_services.h"
#include "stage/picture_cache.h"
#include "stage/stage_commands.h"

namespace orvo {

class TOrvoBaseList;

class TStageScriptHost : public IScriptHost {
 public:
  TStageScriptHost(TOrvoBaseList& stage, IScriptHost& rest);
  ~TStageScriptHost() override;

  std::string ObjectName(TObjectHandle object) const override;
  // Names as saves hold them: "" is none, screen names are absolute.
  TObjectHandle FindObject(std::string_view name) const override;
  void ResetStage() override;
  void ResetTables() override { rest_->ResetTables(); }
  void ClearHistoryFormats() override { rest_->ClearHistoryFormats(); }
  void RequestClose() override { rest_->RequestClose(); }
  void Warn(const std::string& text) override { rest_->Warn(text); }
  void ReportError(const std::string& text) override { rest_->ReportError(text); }
  IStageCommands* StageCommands() override { return &commands_; }
  ISaveCommands* SaveCommands() override { return rest_->SaveCommands(); }
  void BindInterpreter(TExprEngine* engine, IPageSource* files) override;

 private:
  // The game's files as the picture cache reads them.
  class TPageFiles : public IPictureFiles {
   public:
    bool Contains(const std::string& name) override { return pages && pages->RequireFile(name); }
    std::string Load(const std::string& name) override { return pages->LoadFile(name); }
    int32_t ImageCode() const override { return pages ? pages->ImageCode() : 0; }
    IPageSource* pages = nullptr;
  };

  TOrvoBaseList* stage_;
  IScriptHost* rest_;
  TStageCommands commands_;
  TPageFiles files_;
};

}  // namespace orvo
