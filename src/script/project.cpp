#include "script/project.h"

#include "base/cp932.h"
#include "base/stream.h"
#include "data/big_file_stream.h"
#include "data/install_info.h"
#include "data/path_resolver.h"
#include "vars/engine.h"

namespace orvo {

namespace {

std::unique_ptr<TCustomParam> DefaultValue(const TDefaultVariable& variable) {
  std::unique_ptr<TCustomParam> value =
      MakeParam(variable.type >= PT_INT && variable.type <= PT_STR ? int{variable.type} : int{PT_INT});
  switch (variable.type) {
    case PT_FLOAT:
      value->SetAsFloat(variable.real_value);
      break;
    case PT_BOOL:
      value->SetAsBool(variable.bool_value);
      break;
    case PT_STR:
      value->SetAsStr(variable.string_value);
      break;
    default:
      value->SetAsInt(variable.int_value);
      break;
  }
  return value;
}

std::string WithSlash(const std::string& folder) {
  return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

}  // namespace

const std::string& MsgInsertDisc() {
  static const std::string text = Utf8ToCp932("ディスクを入れてください");
  return text;
}

bool TDialogDiscPrompt::AskForDisc(const std::string& caption, const std::string& text) {
  return dialogs_.MessageBox(Cp932ToUtf8(caption), Cp932ToUtf8(text), TBoxButtons::OkCancel, TBoxIcon::Information) ==
         TBoxAnswer::Ok;
}

bool TDialogDiscPrompt::ConfirmQuit(const std::string& caption, const std::string& text) {
  if (++rounds_ >= kMaxRounds) return true;
  return dialogs_.MessageBox(Cp932ToUtf8(caption), Cp932ToUtf8(text), TBoxButtons::OkCancel, TBoxIcon::Question) ==
         TBoxAnswer::Ok;
}

TProject::TProject(TRuntimeState& state, TVrFileManager& files, IDialogs& dialogs)
    : state_(state), files_(files), dialogs_(dialogs) {
  // Defaults of a project that has not read its settings yet.
  settings_.title = Utf8ToCp932("情報");
  settings_.save_to_disk = true;
  settings_.idle_sleep = true;
  settings_.media_extensions = "wav.wma.ogg";
  settings_.disc_prompt = Utf8ToCp932("ディスク%dを入れてから[OK]をクリックしてください");
  settings_.exit_message = Utf8ToCp932("終了します");
}

TProject::~TProject() = default;

void TProject::Warn(const std::string& cp932_text) {
  dialogs_.MessageBox("警告", Cp932ToUtf8(cp932_text), TBoxButtons::Ok, TBoxIcon::Warning);
}

TDiscRequest TProject::DiscRequest() const {
  return TDiscRequest{settings_.title, settings_.disc_prompt, settings_.exit_message, settings_.title};
}

bool TProject::LocateGameData(const std::string& program_folder) {
  state_.terminating = true;
  std::string folder = WithSlash(program_folder);
  if (files_.Folder().empty() && !SharedResolver().Resolve(folder, "install.dat").empty()) files_.SetFolder(folder);
  if (!files_.Exists("install.dat")) {
    dialogs_.MessageBox("情報", Cp932ToUtf8(MsgReinstall()), TBoxButtons::Ok, TBoxIcon::Information);
    state_.SetFatal();
    return false;
  }
  TMemoryStream stream(files_.LoadBytes("install.dat"));
  TInstallInfo install = ReadInstallInfo(stream);
  std::string archive = SharedResolver().Resolve(folder, "game.dat");
  if (!archive.empty()) {
    files_.AddArchive(archive);
    if (install.installed_locally) return true;
  } else if (files_.CollectionCount() > 0 && install.installed_locally) {
    return true;
  }
  TDialogDiscPrompt prompt(dialogs_);
  for (;;) {
    files_.RefreshDiscRoots();
    for (const std::string& root : files_.DiscRoots()) {
      std::string data = SharedResolver().Resolve(root, "game.dat");
      std::string descriptor = SharedResolver().Resolve(root, "install.dat");
      if (data.empty() || descriptor.empty()) continue;
      try {
        if (ReadInstallInfoFile(descriptor).title != install.title) continue;
      } catch (const EOrvoError&) {
        continue;  // a damaged descriptor is not our disc
      }
      files_.AddArchive(data);
      return true;
    }
    if (prompt.AskForDisc(Utf8ToCp932("情報"), MsgInsertDisc())) continue;
    if (prompt.ConfirmQuit(settings_.title, settings_.exit_message)) break;
  }
  state_.SetFatal();
  return false;
}

bool TProject::Load(TParamCollection* store) {
  state_.terminating = true;
  std::string bytes;
  if (files_.Exists("orvo.opb")) {
    std::vector<uint8_t> data = files_.LoadBytes("orvo.opb");
    bytes.assign(data.begin(), data.end());
  }
  if (bytes.empty()) {
    Warn(MsgNoProject());
    state_.SetFatal();
    return false;
  }
  TMemoryStream stream(bytes);
  settings_ = ReadProjectSettings(stream);
  if (status_) status_->Load(*this);
  if (store) {
    for (const TDefaultVariable& variable : settings_.default_variables) {
      store->DefinePersistent(variable.name, *DefaultValue(variable));
    }
  }
  state_.terminating = false;
  // A game installed from discs keeps the original folder-disc list beside it.
  if (files_.Exists("/original_orvo.opb")) {
    std::vector<uint8_t> data = files_.LoadBytes("/original_orvo.opb");
    TMemoryStream original(std::move(data));
    settings_.folder_discs = ReadProjectSettings(original).folder_discs;
  }
  return true;
}

bool TProject::Start(TExprEngine& engine, IEventQueue& events, IScriptHost& host) {
  call_man_ = std::make_unique<TCallMan>(state_, engine, *this, events, host);
  if (settings_.start_page.empty() || !files_.Exists(settings_.start_page)) {
    Warn(MsgNoStartPage());
    state_.SetFatal();
    return false;
  }
  try {
    call_man_->StartPage(settings_.start_page);
  } catch (const EPageVersionError&) {
    return false;  // reported and both flags set by the interpreter
  }
  return true;
}

void TProject::Shutdown() {
  if (!state_.fatal_error) {
    if (!settings_.exit_page.empty() && call_man_) {
      try {
        call_man_->StartPage(settings_.exit_page);
        state_.terminating = false;
        call_man_->RunFrame();
      } catch (const std::exception&) {
        aborted_ = true;
      }
      state_.terminating = true;
      if (state_.fatal_error) aborted_ = true;
    }
    if (!aborted_ && status_) status_->Save(*this);
  }
  call_man_.reset();
}

int TProject::DiscOf(const std::string& name) const {
  if (settings_.folder_discs.empty()) return 0;
  // Cut the name back one component at a time until a listed folder matches.
  std::string path = name;
  for (;;) {
    size_t cut = std::string::npos;
    for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
      if (CharLength(path, i) == 1 && path[i] == '\\') cut = i;
    }
    if (cut == std::string::npos) return 0;
    path.resize(cut);
    std::string folder = path + "\\";
    for (const TFolderDisc& entry : settings_.folder_discs) {
      std::string listed = entry.folder;
      if (listed.empty() || listed.back() != '\\') listed += '\\';
      if (EqualsNoCase(listed, folder)) return entry.disc;
    }
  }
}

bool TProject::RequireFile(const std::string& name) {
  if (name.empty()) return false;
  if (files_.Exists(name)) return true;
  int disc = DiscOf(name);
  if (disc <= 0) return false;
  std::string extension;
  size_t dot = name.rfind('.');
  size_t slash = name.rfind('\\');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) extension = name.substr(dot);
  std::string media = LowerAscii(settings_.media_extensions) + ".";
  if (media.find(LowerAscii(extension) + ".") != std::string::npos) return false;
  TDialogDiscPrompt prompt(dialogs_);
  return files_.RequestDisk(disc, DiscRequest(), prompt);
}

std::string TProject::LoadFile(const std::string& name) {
  std::vector<uint8_t> bytes = files_.LoadBytes(name);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace orvo
