#include "script/project.h"

#include "base/cp932.h"
#include "base/stream.h"

namespace orvo {

TProject::TProject(TRuntimeState& state, IGameFiles& files, IDialogs& dialogs)
    : state_(state), files_(files), dialogs_(dialogs) {
  // Defaults of a project that has not read its settings yet.
  settings_.title = Utf8ToCp932("情報");
  settings_.save_to_disk = true;
  settings_.idle_sleep = true;
  settings_.media_extensions = "wav.wma.ogg";
}

void TProject::Warn(const std::string& cp932_text) {
  dialogs_.MessageBox("警告", Cp932ToUtf8(cp932_text), TBoxButtons::Ok, TBoxIcon::Warning);
}

bool TProject::Load() {
  state_.terminating = true;
  std::string bytes;
  if (files_.Exists("orvo.opb")) bytes = files_.Load("orvo.opb");
  if (bytes.empty()) {
    Warn(MsgNoProject());
    state_.SetFatal();
    return false;
  }
  TMemoryStream stream(bytes);
  settings_ = ReadProjectSettings(stream);
  // A game installed from discs keeps the original folder-disc list beside it.
  if (files_.Exists("/original_orvo.opb")) {
    TMemoryStream original(files_.Load("/original_orvo.opb"));
    settings_.folder_discs = ReadProjectSettings(original).folder_discs;
  }
  state_.terminating = false;
  return true;
}

bool TProject::Start() {
  if (settings_.start_page.empty() || !files_.Exists(settings_.start_page)) {
    Warn(MsgNoStartPage());
    state_.SetFatal();
    return false;
  }
  // The interpreter enters the start page here once pages can run.
  return true;
}

}  // namespace orvo
