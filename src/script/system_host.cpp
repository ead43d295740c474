#include "script/system_host.h"

#include "script/call_man.h"
#include "script/project.h"

namespace orvo {

TCallMan* TScriptSystemHost::Interpreter() const {
  if (call_man_) return call_man_;
  return project_ ? project_->CallMan() : nullptr;
}

std::string TScriptSystemHost::ProjectTitle() const { return project_ ? project_->Title() : std::string(); }
int32_t TScriptSystemHost::ScreenWidth() const { return project_ ? project_->Width() : 0; }
int32_t TScriptSystemHost::ScreenHeight() const { return project_ ? project_->Height() : 0; }

TCustomParam* TScriptSystemHost::ReturnValue() {
  TCallMan* call_man = Interpreter();
  return call_man ? call_man->ReturnValue() : nullptr;
}

int32_t TScriptSystemHost::ArgumentCount() const {
  TCallMan* call_man = Interpreter();
  return call_man ? call_man->ArgumentCount() : 0;
}

std::string TScriptSystemHost::Argument(int32_t index) const {
  TCallMan* call_man = Interpreter();
  return call_man ? call_man->Argument(index) : std::string();
}

std::string TScriptSystemHost::EventSenderName() const {
  TCallMan* call_man = Interpreter();
  return call_man ? call_man->EventSenderName() : std::string();
}

int32_t TScriptSystemHost::CallStackCount() const {
  TCallMan* call_man = Interpreter();
  return call_man ? call_man->StackCount() : 0;
}

void TScriptSystemHost::RemoveCallFrame(int32_t index) {
  if (TCallMan* call_man = Interpreter()) call_man->RemoveFrame(index);
}

}  // namespace orvo
