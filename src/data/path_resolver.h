#pragma once
// Finds game names (CP932, '\' separators, any ASCII case) as files in a
// folder on a case-sensitive disk. Folder listings are cached and read again
// when the folder's modification time changes.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

enum class TEntryKind { File, Folder, Any };

class TPathResolver {
 public:
  // Path on disk of root + name, or "" when there is none. root is a folder
  // on disk (UTF-8, with or without a trailing '/'). Names that leave the root
  // (".." parts, absolute names, drive letters) or that do not convert to
  // UTF-8 are never found.
  std::string Resolve(const std::string& root, std::string_view name, TEntryKind kind = TEntryKind::File);

  // Names (UTF-8 as on disk) of the entries of a folder on disk, sorted; cached.
  std::vector<std::string> List(const std::string& folder);

  void ClearCache();

 private:
  struct TFolderEntry {
    std::string name;   // as on disk
    std::string lower;  // ASCII letters lowered, for matching
  };
  struct TFolderListing {
    int64_t mtime_seconds = -1;
    int64_t mtime_nanoseconds = -1;
    std::vector<TFolderEntry> entries;
  };
  // Finds the entry of folder that matches component without ASCII case.
  std::string Match(const std::string& folder, const std::string& component);
  const TFolderListing* Listing(const std::string& folder);

  std::mutex mutex_;
  std::map<std::string, TFolderListing> cache_;
};

// The resolver that the file manager and the archives share.
TPathResolver& SharedResolver();

// Splits a game name into its parts at '\' and '/' (trail bytes skipped).
std::vector<std::string> SplitGamePath(std::string_view name);

// Joins a folder on disk and a part with exactly one '/'.
std::string JoinPath(const std::string& folder, std::string_view part);

}  // namespace orvo
