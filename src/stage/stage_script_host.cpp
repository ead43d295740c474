#include "stage/stage_script_host.h"

#include "stage/stage.h"

namespace orvo {

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
