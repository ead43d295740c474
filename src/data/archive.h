#pragma once
// The game archive: a directory of named entries (names CP932, compared
// without ASCII case) followed by their stored bytes, each kept compressed,
// raw, block-scrambled or compressed and scrambled. It may be a file of its
// own ("game.dat"), a directory in a side ".ext" file, or a block joined to
// the end of the player program and found through its 6-byte trailer.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/hash_collection.h"
#include "base/stream.h"

namespace orvo {

enum class TStorageType : uint8_t {
  Compressed = 0,           // zlib stream of the content
  Raw = 1,                  // the content itself
  Scrambled = 2,            // the content, block-scrambled with header
  CompressedScrambled = 3,  // the zlib stream, then block-scrambled with header
};

// The version this program writes, the directory seed and the trailer magic.
constexpr int32_t kArchiveVersion = 102;
constexpr uint32_t kDirectorySeed = 1403522817;
constexpr int64_t kTrailerSize = 6;
// Content above this size is never compressed, so that it can be streamed.
constexpr int64_t kCompressLimit = 5242879;

class TVrFile : public THashItem {
 public:
  int64_t offset = 0;                      // absolute position of the stored bytes in the archive stream
  std::unique_ptr<TMemoryStream> content;  // plain content of entries added for writing
  int64_t size = 0;                        // stored bytes
  uint8_t storage = 0;                     // a TStorageType value as read
  int32_t time_stamp = 0;                  // packed DOS date and time, 0 for none
  uint32_t checksum = 0;                   // CRC-32 as written
  uint8_t checksum_of_content = 0;         // set: the checksum covers the plain content
};

// Progress of Write: called before (written < 0) and after each entry;
// returning false cancels the writing.
using TWriteProgress = std::function<bool(const TVrFile& entry, size_t index, size_t count, int64_t written)>;

struct TArchiveWriteOptions {
  // 0 (no magic), 100 (32-bit offsets), 101 (per-entry fields) or 102 (with
  // checksum flags). Versions up to 100 know only compressed entries.
  int32_t version = kArchiveVersion;
  bool force_scramble = false;
  // Stores every entry this way instead of following the choosing rules.
  std::optional<TStorageType> storage;
  // Seed of the generator that draws each entry's scramble seed.
  uint32_t seed = 0x4F76u;
  // zlib level of compressed entries (-1: zlib's default). Files rewritten
  // often, such as saves, trade a few bytes for speed with 1.
  int compression_level = -1;
  TWriteProgress progress;
  // Tells whether a layered image file keeps its own pixel data uncompressed
  // (then the archive compresses it). Without it such files are stored raw.
  std::function<bool(const std::string& path)> is_uncompressed_image;
};

class TVrFileCollection {
 public:
  TVrFileCollection() = default;
  TVrFileCollection(const TVrFileCollection&) = delete;
  TVrFileCollection& operator=(const TVrFileCollection&) = delete;

  // Clears the collection and opens an archive file (path on disk, UTF-8).
  // When path is not a file it becomes the base folder of a collection
  // without archive stream. A damaged directory raises EFormatError/EReadError.
  void Open(const std::string& path);
  // Reads a directory at the stream's position (the archive start); the
  // stream becomes the archive stream only through Open.
  void ReadDirectory(TStream& stream);
  void Clear();

  TVrFile& Add(std::string name);
  // An entry with an empty content stream for the caller to fill.
  TVrFile& AddMemory(std::string name);
  void Delete(std::string_view name);
  // The entry of that name (the first one in directory order), or none.
  TVrFile* Find(std::string_view name) const;
  size_t Count() const { return entries_.Count(); }
  TVrFile& At(size_t index) const { return entries_.At(index); }

  // Plain content of an entry into out (appended at its position, which ends
  // at the start of what was written); a loose file base folder + name when
  // the entry is absent. Raises "%s:ファイルがありません" when neither exists.
  void Extract(std::string_view name, TStream& out);
  std::vector<uint8_t> ExtractBytes(std::string_view name);
  // Stored bytes of an entry read from the archive stream.
  std::vector<uint8_t> ReadStored(const TVrFile& entry);
  // A read-only stream over the stored bytes (plain for types 0 and 1,
  // descrambled for 2 and 3); none without archive stream or entry.
  std::unique_ptr<TStream> OpenRange(std::string_view name);
  // Adds the file-name part of every entry whose folder part equals folder
  // (ignoring case) unless the list holds that name already.
  void ListFolder(std::string_view folder, std::vector<std::string>& list) const;

  // Writes the collection as a new archive from the stream's position.
  // Offsets are stored relative to that position. Returns false when the
  // progress notification cancelled.
  bool Write(TStream& out, const TArchiveWriteOptions& options = {});

  const std::string& BaseFolder() const { return base_folder_; }
  void SetBaseFolder(std::string folder);
  const std::string& ArchiveFileName() const { return archive_file_; }
  bool HasArchiveStream() const { return archive_ != nullptr; }
  int64_t ArchiveStart() const { return archive_start_; }
  int32_t Version() const { return version_; }

 private:
  void ReadDirectoryAt(TStream& stream, int64_t archive_start, int64_t data_size);

  THashCollection<TVrFile> entries_;
  // Lowered name -> first entry of that name. Archive names share their first
  // and next-to-last bytes ("graphics\...png"), so the bucket chains grow
  // long; lookups go through this index instead of walking a chain.
  std::unordered_map<std::string, TVrFile*> index_;
  std::string base_folder_;
  std::string archive_file_;
  std::shared_ptr<class TKwBigFileStream> archive_;  // shared with the range streams
  int64_t archive_start_ = 0;
  int64_t end_offset_ = 0;  // end of the last entry (the directory's closing offset)
  int32_t version_ = kArchiveVersion;
};

// The archive start named by a valid trailer: the last 6 bytes are a signed
// 32-bit offset and "ov", the offset lies inside the file and a directory
// reads there. Nothing otherwise.
std::optional<int64_t> FindTrailerArchive(TStream& stream);
// True when the file's last two bytes are the trailer magic "ov".
bool HasTrailerMagic(const std::string& path);

// Decodes stored bytes of the given storage type into the plain content.
std::vector<uint8_t> DecodeStored(std::string_view stored, uint8_t storage);
// The same, reusing the stored buffer for raw entries.
std::vector<uint8_t> DecodeStored(std::vector<uint8_t>&& stored, uint8_t storage);

// Folder part of a game name: up to and including the last '\' or '/'.
std::string FolderOf(std::string_view name);

// Packed DOS date and time of a file time, and back (local time).
int32_t DosTimeFromUnix(int64_t seconds);
int64_t UnixFromDosTime(int32_t dos_time);

}  // namespace orvo
