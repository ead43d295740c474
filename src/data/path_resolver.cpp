#include "data/path_resolver.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/cp932.h"
#include "base/files.h"

namespace orvo {

namespace {

bool Matches(const struct stat& info, TEntryKind kind) {
  switch (kind) {
    case TEntryKind::File:
      return !S_ISDIR(info.st_mode);
    case TEntryKind::Folder:
      return S_ISDIR(info.st_mode);
    case TEntryKind::Any:
      return true;
  }
  return false;
}

// Lowers ASCII letters of UTF-8 text. The CP932 helper would take UTF-8
// bytes for lead and trail bytes and skip letters after them.
std::string LowerUtf8Ascii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

}  // namespace

std::vector<std::string> SplitGamePath(std::string_view name) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= name.size();) {
    bool at_end = i == name.size();
    size_t length = at_end ? 1 : CharLength(name, i);
    if (at_end || (length == 1 && (name[i] == '\\' || name[i] == '/'))) {
      parts.emplace_back(name.substr(start, i - start));
      start = i + 1;
    }
    i += length;
  }
  return parts;
}

std::string JoinPath(const std::string& folder, std::string_view part) {
  if (folder.empty()) return std::string(part);
  std::string path = folder;
  if (path.back() != '/') path.push_back('/');
  path.append(part);
  return path;
}

std::string TPathResolver::Resolve(const std::string& root, std::string_view name, TEntryKind kind) {
  if (root.empty() || !IsContainedRelativePath(name)) return {};
  std::vector<std::string> parts = SplitGamePath(name);
  std::string exact = root;
  std::vector<std::string> utf8_parts;
  for (const std::string& part : parts) {
    std::string utf8;
    if (!TryCp932ToUtf8(part, utf8) || utf8.find('\0') != std::string::npos) return {};
    exact = JoinPath(exact, utf8);
    utf8_parts.push_back(std::move(utf8));
  }
  struct stat info;
  if (::stat(exact.c_str(), &info) == 0) return Matches(info, kind) ? exact : std::string();
  // Walk the parts and match each one without ASCII case.
  std::string path = root;
  for (const std::string& part : utf8_parts) {
    std::string next = JoinPath(path, part);
    if (::stat(next.c_str(), &info) != 0) {
      std::string found = Match(path, part);
      if (found.empty()) return {};
      next = JoinPath(path, found);
    }
    path = std::move(next);
  }
  if (::stat(path.c_str(), &info) != 0 || !Matches(info, kind)) return {};
  return path;
}

const TPathResolver::TFolderListing* TPathResolver::Listing(const std::string& folder) {
  struct stat info;
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return nullptr;
  TFolderListing& listing = cache_[folder];
  if (listing.mtime_seconds == info.st_mtim.tv_sec && listing.mtime_nanoseconds == info.st_mtim.tv_nsec)
    return &listing;
  listing.entries.clear();
  listing.mtime_seconds = info.st_mtim.tv_sec;
  listing.mtime_nanoseconds = info.st_mtim.tv_nsec;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      std::string entry_name = entry->d_name;
      if (entry_name == "." || entry_name == "..") continue;
      listing.entries.push_back({entry_name, LowerUtf8Ascii(entry_name)});
    }
    ::closedir(dir);
  }
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const TFolderEntry& a, const TFolderEntry& b) { return a.name < b.name; });
  return &listing;
}

std::string TPathResolver::Match(const std::string& folder, const std::string& component) {
  std::lock_guard lock(mutex_);
  const TFolderListing* listing = Listing(folder);
  if (!listing) return {};
  // UTF-8 multi-byte sequences hold no ASCII bytes, so lowering ASCII letters
  // of the UTF-8 form ignores exactly the ASCII case.
  std::string wanted = LowerUtf8Ascii(component);
  for (const TFolderEntry& entry : listing->entries) {
    if (entry.lower == wanted) return entry.name;
  }
  return {};
}

std::vector<std::string> TPathResolver::List(const std::string& folder) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  if (const TFolderListing* listing = Listing(folder)) {
    for (const TFolderEntry& entry : listing->entries) names.push_back(entry.name);
  }
  return names;
}

void TPathResolver::ClearCache() {
  std::lock_guard lock(mutex_);
  cache_.clear();
}

TPathResolver& SharedResolver() {
  static TPathResolver resolver;
  return resolver;
}

}  // namespace orvo
