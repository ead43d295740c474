#pragma once
// The save file: an archive of the game's status data, its numbered game
// saves and the "save:" files. It is always rewritten whole through the
// atomic write, and the file it replaces is kept as "<name>.bak".
#include <optional>
#include <string>
#include <string_view>

#include "base/files.h"
#include "data/archive.h"
#include "save/save_location.h"

namespace orvo {

// Entry names (CP932, compared without case).
inline constexpr std::string_view kStatusEntry = "STATUSSAVEDATA";
inline constexpr std::string_view kGameEntryPrefix = "GAMESAVEDATA";
inline constexpr std::string_view kSaveFilePrefix = "save:";
// "GAMESAVEDATA" + slot.
std::string GameEntryName(int32_t slot);
// The slot of a "GAMESAVEDATA<n>" name with n >= 0; nothing for other names.
std::optional<int32_t> SlotOfEntry(std::string_view name);

// The plain content of an entry after its checksum was checked: a mismatch
// or bytes that do not decode raise EReadError. Nothing when there is no such entry.
std::optional<std::string> ReadVerifiedEntry(TVrFileCollection& collection, std::string_view name);

class TSaveFile {
 public:
  explicit TSaveFile(TSaveLocation location = {}) : location_(std::move(location)) {}

  const std::string& Path() const { return location_.path; }
  // The file that is read now: the user's file, else the one brought in the game folder.
  std::string ReadPath() const;
  bool Exists() const { return !ReadPath().empty(); }

  // Opens the file as the container collection (empty when there is none).
  // A directory that does not read raises.
  void Open(TVrFileCollection& collection) const;
  // Writes the collection to the file atomically, keeping the old file as ".bak".
  void Write(TVrFileCollection& collection);

  // The file did not read at start: it is copied to "<name>.damaged"
  // (replacing an older copy) and the next write starts from an empty file.
  void SetAside();
  // For tests: the atomic write's steps that fail.
  TAtomicWriteOptions& WriteOptions() { return write_options_; }

 private:
  TSaveLocation location_;
  bool start_empty_ = false;
  TAtomicWriteOptions write_options_;
};

}  // namespace orvo
