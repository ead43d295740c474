#include "stage/stage_script_host.h"

#include "stage/stage.h"

namespace orvo {

TStageScriptHost::TStageScriptHost(TOrvoBaseList& stage, IScriptHost& rest)
    : stage_(&stage), rest_(&rest), commands_(stage) {}

TStageScriptHost::~TStageScriptHost() {
  // The stage may outlive the interpreter's parts: it keeps no pointer to them.
  if (stage_->Pictures().Files() == &files_) stage_->Pictures().SetFiles(nullptr);
  stage_->SetEngine(nullptr);
}

void TStageScriptHost::BindInterpreter(TExprEngine* engine, IPageSource* files) {
  files_.pages = files;
  stage_->SetEngine(engine);
  stage_->Pictures().SetFiles(files ? &files_ : nullptr);
  rest_->BindInterpreter(engine, files);
}

std::string TStageScriptHost::ObjectName(TObjectHandle object) const {
  const TOrvoObject* found = stage_->Resolve(object);
  return found ? found->Name() : std::string();
}

TObjectHandle TStageScriptHost::FindObject(std::string_view name) const {
  const TOrvoObject* found = stage_->FindSavedName(name);
  return found ? found->Handle() : 0;
}

void TStageScriptHost::ResetStage() {
  stage_->ResetStage();
  rest_->ResetStage();
}

}  // namespace orvo
