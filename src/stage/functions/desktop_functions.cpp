// Functions that reach the desktop: web addresses and folders, file and
// folder dialogs, the information box and the wallpaper.
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "base/cp932.h"
#include "base/files.h"
#include "data/path_resolver.h"
#include "image/picture_loader.h"
#include "stage/functions/disk_paths.h"
#include "stage/functions/function_support.h"
#include "stage/functions/game_functions.h"
#include "stage/functions/screenshot.h"
#include "surface/picture_io.h"
#include "vars/param_var.h"

namespace orvo {

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// An existing folder that a script names: absolute on disk, or below the game folder.
std::string ExistingFolder(const TGameFunctionServices& services, const std::string& name) {
  std::string path;
  if (!ScriptPathToDisk(name, path) || path.empty()) return {};
  if (path[0] == '/') return IsFolder(path) ? path : std::string();
  // Folder names often end in a separator (as SelectDirectory gives them).
  std::string relative = name;
  while (!relative.empty() && (relative.back() == '\\' || relative.back() == '/') &&
         IsCharStart(relative, relative.size() - 1))
    relative.pop_back();
  return SharedResolver().Resolve(services.files.Folder(), relative, TEntryKind::Folder);
}

void OpenUrl(TFunctionCall& call, const TGameFunctionServices& services) {
  const std::string url = call.Str(0);
  std::string target;
  if (url.rfind("http", 0) == 0 || url.rfind("ftp", 0) == 0) {
    if (!TryCp932ToUtf8(url, target)) return;
  } else {
    target = ExistingFolder(services, url);
  }
  if (!target.empty()) services.desktop.OpenLocation(target);
  // The function's value stays false whatever happened.
}

// SelectOpenFile, SelectSaveFile and SelectDirectory.
void SelectFile(TFunctionCall& call, const TGameFunctionServices& services, TFileDialogKind kind) {
  TFileDialogRequest request;
  request.kind = kind;
  if (kind != TFileDialogKind::Folder) {
    request.initial_folder = services.desktop.DesktopFolder();
    if (call.Has(1)) request.filter = Cp932ToUtf8(call.Str(1));
  }
  std::optional<std::string> chosen = services.desktop.ChooseFile(request);
  std::string path;
  if (!chosen || !DiskPathToScript(*chosen, path)) return;
  if (kind == TFileDialogKind::Folder && (path.empty() || path.back() != '\\' || !IsCharStart(path, path.size() - 1)))
    path.push_back('\\');
  if (TParamVar* variable = call.Variable(0)) variable->SetAsStr(path);
  call.Result().SetAsBool(true);
}

// The picture of a game file, or of the active screen for an empty name.
bool WallpaperPicture(const TGameFunctionServices& services, const std::string& file, TDIBSurface& picture) {
  if (file.empty()) {
    picture = CaptureScreen(services.stage, services.stage.ActiveScreenIndex());
    return true;
  }
  if (!(services.project ? services.project->RequireFile(file) : services.files.Exists(file))) return false;
  TPictureRequest request;
  request.code = services.project ? services.project->ImageCode() : 0;
  request.frames = TFrameSelection::FirstOnly;
  TPicture loaded;
  if (!LoadPicture(services.files, file, request, loaded) || loaded.frames.empty()) return false;
  picture = std::move(loaded.frames.front().picture);
  return !picture.IsEmpty();
}

void SetWallPaper(TFunctionCall& call, const TGameFunctionServices& services) {
  const std::string path = services.desktop.WallpaperFile();
  try {
    TDIBSurface picture;
    if (!WallpaperPicture(services, call.Str(0), picture)) return;
    TMemoryStream bitmap;
    WriteBmp(bitmap, picture);
    if (!MakeFolders(std::filesystem::path(path).parent_path().string())) return;
    const std::vector<uint8_t>& bytes = bitmap.Bytes();
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const EOrvoError&) {
    return;  // no picture, no wallpaper
  }
  call.Result().SetAsBool(services.desktop.SetWallpaper(path, call.Int(1)));
}

}  // namespace

void RegisterDesktopFunctions(TSysFuncMan& functions, const TGameFunctionServices& services) {
  auto shared = std::make_shared<const TGameFunctionServices>(services);
  functions.Register(135, [shared](TFunctionCall& call) { OpenUrl(call, *shared); });
  functions.Register(148, [shared](TFunctionCall& call) { SelectFile(call, *shared, TFileDialogKind::Open); });
  functions.Register(149, [shared](TFunctionCall& call) { SelectFile(call, *shared, TFileDialogKind::Save); });
  functions.Register(150, [shared](TFunctionCall& call) { SelectFile(call, *shared, TFileDialogKind::Folder); });
  functions.Register(168, [shared](TFunctionCall& call) {
    shared->desktop.Inform("Info", Cp932ToUtf8(call.Str(0)));
    call.Result().SetAsBool(true);
  });
  functions.Register(125, [shared](TFunctionCall& call) { SetWallPaper(call, *shared); });
}

void RegisterGameFunctions(TExprEngine& engine, const TGameFunctionServices& services) {
  RegisterStageFunctions(engine.Functions(), services.stage);
  RegisterFileFunctions(engine.Functions(), services);
  RegisterDesktopFunctions(engine.Functions(), services);
}

}  // namespace orvo
