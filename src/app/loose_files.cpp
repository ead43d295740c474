#include "app/loose_files.h"

#include <filesystem>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"

namespace orvo {

std::string TLooseFolderFiles::Resolve(const std::string& name) const {
  namespace fs = std::filesystem;
  std::string utf8 = Cp932ToUtf8(name);
  fs::path current = folder_;
  size_t start = 0;
  while (start <= utf8.size()) {
    size_t end = utf8.find_first_of("\\/", start);
    if (end == std::string::npos) end = utf8.size();
    std::string part = utf8.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return {};
    fs::path exact = current / part;
    std::error_code error;
    if (fs::exists(exact, error)) {
      current = exact;
      continue;
    }
    bool found = false;
    for (const auto& entry : fs::directory_iterator(current, error)) {
      if (EqualsNoCase(entry.path().filename().string(), part)) {
        current = entry.path();
        found = true;
        break;
      }
    }
    if (!found) return {};
  }
  std::error_code error;
  return fs::is_regular_file(current, error) ? current.string() : std::string();
}

bool TLooseFolderFiles::Exists(const std::string& name) { return !Resolve(name).empty(); }

std::string TLooseFolderFiles::Load(const std::string& name) {
  std::string bytes;
  std::string path = Resolve(name);
  if (path.empty() || !ReadWholeFile(path, bytes)) throw EReadError("Cannot open file " + name);
  return bytes;
}

}  // namespace orvo
