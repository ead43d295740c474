#include "stage/functions/screenshot.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "base/files.h"
#include "data/install_info.h"
#include "data/path_resolver.h"
#include "image/dova.h"
#include "stage/functions/disk_paths.h"

namespace orvo {

namespace {

bool FolderExists(const std::string& folder) {
  struct stat info;
  return !folder.empty() && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The screens draw 32-bit pixels (0x00RRGGBB); the picture keeps 24.
void CopyRows(const TDIBSurface& source, TDIBSurface& picture) {
  const int32_t width = std::min(source.Width(), picture.Width());
  const int32_t height = std::min(source.Height(), picture.Height());
  if (source.BitCount() != 32) return;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* from = source.ScanLine(y);
    uint8_t* to = picture.ScanLine(y);
    for (int32_t x = 0; x < width; ++x) std::memcpy(to + 3 * x, from + 4 * x, 3);
  }
}

// Adds the name to the installed files of the game folder's install.dat, so
// that uninstalling removes the screenshot too.
void RegisterInstalledFile(const std::string& folder, const std::string& name) {
  const std::string path = SharedResolver().Resolve(folder, "install.dat", TEntryKind::File);
  if (path.empty()) return;
  TInstallInfo info = ReadInstallInfoFile(path);
  const bool listed = std::any_of(info.installed_files.begin(), info.installed_files.end(),
                                  [&](const std::string& file) { return EqualsNoCase(file, name); });
  if (listed) return;
  info.installed_files.push_back(name);
  TMemoryStream out;
  WriteInstallInfo(out, info);
  const std::vector<uint8_t>& bytes = out.Bytes();
  WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

TDIBSurface CaptureScreen(TOrvoBaseList& stage, int index) {
  TOrvoBase& screen = stage.Screen(index);
  const TDIBSurface* source = nullptr;
  if (&screen == &stage.ActiveScreen() && !stage.WipeRunning()) {
    // The active screen's finished picture is the display surface.
    TDIBX& display = stage.DisplaySurface();
    screen.PaintScreen(display);
    source = &display.Store();
  } else {
    stage.RenderScreen(index);
    source = &screen.Surface().Store();
  }
  TDIBSurface picture(stage.Width(), stage.Height(), 24);
  CopyRows(*source, picture);
  return picture;
}

std::string ScriptFileExtension(std::string_view name) {
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < name.size(); i += CharLength(name, i)) {
    if (name[i] == '\\' || name[i] == ':') dot = std::string_view::npos;
    if (name[i] == '.') dot = i;
  }
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

bool SaveScreen(const TGameFunctionServices& services, TMemoryFiles& memory, const TSaveScreenRequest& request) {
  const std::string& folder = services.files.Folder();
  if (!FolderExists(folder) || !EqualsNoCase(ScriptFileExtension(request.file), ".dov")) return false;
  const TMemoryFileKind kind = MemoryFileKind(request.file);
  std::string path;
  if (kind == TMemoryFileKind::None) {
    path = WritablePath(folder, request.file);
    if (path.empty()) return false;  // would leave the game folder
  }
  TOrvoBaseList& stage = services.stage;
  const int32_t width = request.width == 0 ? stage.Width() : request.width;
  const int32_t height = request.height == 0 ? stage.Height() : request.height;
  if (width < 1 || height < 1) return false;
  try {
    const int index = stage.ActiveScreenIndex() ^ (request.other_screen ? 1 : 0);
    TDIBSurface captured = CaptureScreen(stage, index);
    TDovaFrameList list(0);
    TDovaFrame& frame = list.AddFrame();
    if (width == captured.Width() && height == captured.Height()) {
      frame.picture = std::move(captured);
    } else {
      frame.picture = TDIBSurface(width, height, 24);
      captured.StretchToStore(frame.picture, frame.picture.Bounds(), captured.Bounds());
    }
    if (kind == TMemoryFileKind::None) {
      list.SaveToFile(path);
    } else {
      TMemoryStream out;
      list.SaveToStream(out, TDovaCompression::None, 70);
      const std::vector<uint8_t>& bytes = out.Bytes();
      memory.Store(request.file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
  } catch (const EOrvoError&) {
    return false;  // a picture that could not be made or written is not reported as saved
  }
  if (services.forget_picture) services.forget_picture(request.file);
  if (kind == TMemoryFileKind::None && request.register_mode == 1) {
    std::vector<std::string>& files = services.state.delete_at_exit_files;
    if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
  } else if (kind == TMemoryFileKind::None && request.register_mode == 2) {
    try {
      RegisterInstalledFile(folder, request.file);
    } catch (const EOrvoError&) {
      // The picture is saved; a descriptor that does not read just stays as it is.
    }
  }
  return true;
}

}  // namespace orvo
