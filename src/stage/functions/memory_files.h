#pragma once
// Files that scripts make while the game runs. A name beginning with "mem:"
// or "save:" (any case) is a memory entry of the file manager's first
// collection, so every lookup finds it like a game file; a "save:" file is
// also kept in the save file, from which the next run takes it back.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/file_manager.h"

namespace orvo {

enum class TMemoryFileKind { None, Memory, Save };

// Memory for "mem:", Save for "save:", None for every other name.
TMemoryFileKind MemoryFileKind(std::string_view name);

class TMemoryFiles {
 public:
  // save_file gives the save file on disk; empty (or unset) keeps "save:" files in memory only.
  TMemoryFiles(TVrFileManager& files, std::function<std::string()> save_file)
      : files_(files), save_file_(std::move(save_file)) {}

  // Puts bytes under name: the entry that FindEntry finds gets them as its
  // content, else a new memory entry of the first collection (a collection
  // without archive is made when none is mounted). A "save:" name is also
  // stored in the save file.
  void Store(std::string_view name, std::string_view bytes);
  // Stores bytes as an entry of the save file and rewrites it (atomically).
  // A save file that does not read raises and is left as it is.
  void StoreInSaveFile(std::string_view name, std::string_view bytes);
  // Replaces the rewrite of StoreInSaveFile (unset: the file of save_file).
  void SetSaveFileStore(std::function<void(std::string_view, std::string_view)> store) { store_ = std::move(store); }
  // The plain content of an entry.
  std::vector<uint8_t> Content(const TVrFile& entry, std::string_view name);

 private:
  TVrFileManager& files_;
  std::function<std::string()> save_file_;
  std::function<void(std::string_view, std::string_view)> store_;
};

}  // namespace orvo
