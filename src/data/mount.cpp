#include "data/mount.h"

#include <unistd.h>

#include <climits>

#include "data/archive.h"
#include "data/big_file_stream.h"
#include "data/path_resolver.h"

namespace orvo {

namespace {

std::string FolderOfProgram(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

bool HasArchiveTrailer(const std::string& path) {
  if (!HasTrailerMagic(path)) return false;
  try {
    TKwBigFileStream file(path, TBigFileMode::Read);
    return FindTrailerArchive(file).has_value();
  } catch (const EOrvoError&) {
    return false;
  }
}

void MountGameData(TVrFileManager& manager, const TMountRequest& request) {
  if (request.arguments.empty()) {
    manager.SetFolder(FolderOfProgram(request.program_path));
    if (HasArchiveTrailer(request.program_path)) manager.AddArchive(request.program_path);
    return;
  }
  manager.SetFolder(request.arguments.front());
  for (const std::string& argument : request.arguments) {
    if (FolderExists(argument)) {
      std::string data = SharedResolver().Resolve(argument, "game.dat");
      if (!data.empty()) manager.AddArchive(data);
    }
    if (FileExists(argument) && HasArchiveTrailer(argument)) manager.AddArchive(argument);
  }
}

std::vector<std::string> TakeDiscRootOptions(std::vector<std::string>& args) {
  static const std::string kOption = "--disc-root";
  std::vector<std::string> roots;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == kOption && i + 1 < args.size()) {
      roots.push_back(args[++i]);
    } else if (args[i].compare(0, kOption.size() + 1, kOption + "=") == 0) {
      roots.push_back(args[i].substr(kOption.size() + 1));
    } else {
      rest.push_back(args[i]);
    }
  }
  args = std::move(rest);
  return roots;
}

std::string ProgramPath(const char* argv0) {
  char buffer[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length > 0) return std::string(buffer, static_cast<size_t>(length));
  return argv0 ? argv0 : "";
}

}  // namespace orvo
