#include "stage/functions/disk_paths.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "base/cp932.h"
#include "base/files.h"
#include "data/path_resolver.h"

namespace orvo {

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ToDiskPart(const std::string& part, std::string& utf8) {
  return TryCp932ToUtf8(part, utf8) && !utf8.empty() && utf8.find('\0') == std::string::npos &&
         utf8.find('/') == std::string::npos;
}

}  // namespace

std::string WritablePath(const std::string& folder, std::string_view name) {
  if (folder.empty() || !IsContainedRelativePath(name)) return {};
  TPathResolver& resolver = SharedResolver();
  std::string existing = resolver.Resolve(folder, name, TEntryKind::File);
  if (!existing.empty()) return existing;
  std::vector<std::string> parts = SplitGamePath(name);
  if (parts.empty()) return {};
  std::string file;
  if (!ToDiskPart(parts.back(), file)) return {};
  std::string parent = folder;
  if (parts.size() > 1) {
    std::string parent_name;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      if (i) parent_name += '\\';
      parent_name += parts[i];
    }
    parent = resolver.Resolve(folder, parent_name, TEntryKind::Folder);
    if (parent.empty()) return {};
  } else if (!IsFolder(folder)) {
    return {};
  }
  return JoinPath(parent, file);
}

std::string MakeFolderBelow(const std::string& root, std::string_view relative) {
  if (!MakeFolders(root)) return {};
  std::string path = root;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  for (const std::string& part : SplitGamePath(relative)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return {};
    std::string found = SharedResolver().Resolve(path, part, TEntryKind::Folder);
    if (found.empty()) {
      std::string utf8;
      if (!ToDiskPart(part, utf8)) return {};
      found = JoinPath(path, utf8);
      if (::mkdir(found.c_str(), 0755) != 0 && !IsFolder(found)) return {};
    }
    path = std::move(found);
  }
  return path;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return IsFolder(folder);
}

}  // namespace orvo
