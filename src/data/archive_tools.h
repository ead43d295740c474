#pragma once
// Making and taking apart archives on disk: what orvokit's pack, unpack,
// list and bundle commands do. Names on disk are UTF-8; names in archives CP932.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/archive.h"

namespace orvo {

// An entry written from memory: CP932 name, plain content.
struct TArchiveExtra {
  std::string name;
  std::string content;
};

struct TPackOptions {
  int32_t version = kArchiveVersion;
  bool scramble = false;
  // Handed to the archive writer (see TArchiveWriteOptions).
  std::function<bool(const std::string& path)> is_uncompressed_image = nullptr;
  // Written after the folder's files, each unless the folder holds a file of
  // its name (the folder's own file wins).
  std::vector<TArchiveExtra> extras = {};
};

// Packs every file below folder (sorted, names relative to folder with '\'
// separators) into a new archive file. Returns the number of entries.
size_t PackFolder(const std::string& folder, const std::string& archive, const TPackOptions& options = {});

// Writes every entry below folder. Names that would leave the folder raise
// EFormatError before anything is written. Returns the number of files.
size_t UnpackArchive(const std::string& archive, const std::string& folder);

struct TEntryReport {
  std::string name;  // CP932
  int64_t size = 0;  // stored bytes
  uint8_t storage = 0;
  int32_t time_stamp = 0;
  uint32_t checksum = 0;
  bool checksum_of_content = false;
  bool verified = false;  // set by verification
  bool intact = true;     // false when the checksum does not match (or the entry does not decode)
};

enum class TVerify { No, Yes };
std::vector<TEntryReport> ListArchive(const std::string& archive, TVerify verify);

// Writes player followed by archive and the trailer (archive start, "ov")
// to output, executable. The archive must be a file of its own (directory at
// its start); a player that carries an archive already is refused.
// The plain content of an archive's entry, or nothing when it has none of
// that name. A damaged archive or entry raises.
std::optional<std::string> ReadArchiveEntry(const std::string& archive, std::string_view name);

// Writes a new archive file output: every entry of archive (stored as the
// writer chooses, scrambled entries kept scrambled) and then extra.
void CopyArchiveWithExtra(const std::string& archive, const std::string& output, const TArchiveExtra& extra);

void BundlePlayer(const std::string& player, const std::string& archive, const std::string& output);

}  // namespace orvo
