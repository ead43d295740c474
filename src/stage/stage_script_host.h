#pragma once
// The interpreter's view of the stage: names of event senders, objects by
// name when a save is loaded, and the reset command. Everything else goes to
// the host the shell gives (closing, warnings, tables, history).
#include "script/script_services.h"

namespace orvo {

class TOrvoBaseList;

class TStageScriptHost : public IScriptHost {
 public:
  TStageScriptHost(TOrvoBaseList& stage, IScriptHost& rest) : stage_(&stage), rest_(&rest) {}

  std::string ObjectName(TObjectHandle object) const override;
  // Names as saves hold them: "" is none, screen names are absolute.
  TObjectHandle FindObject(std::string_view name) const override;
  void ResetStage() override;
  void ResetTables() override { rest_->ResetTables(); }
  void ClearHistoryFormats() override { rest_->ClearHistoryFormats(); }
  void RequestClose() override { rest_->RequestClose(); }
  void Warn(const std::string& text) override { rest_->Warn(text); }

 private:
  TOrvoBaseList* stage_;
  IScriptHost* rest_;
};

}  // namespace orvo
