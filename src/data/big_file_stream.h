#pragma once
// One logical file kept in parts of at most 1 GiB: "game.dat", "game.001",
// "game.002" ... so that each part stays addressable with 32-bit offsets.
#include <cstdint>
#include <string>
#include <vector>

#include "base/stream.h"

namespace orvo {

constexpr int64_t kSplitPartSize = 1073741824;

enum class TBigFileMode {
  Read,       // open the existing parts; a missing first part gives an empty stream
  ReadWrite,  // open the existing parts for reading and writing
  Create,     // delete every existing part, then write from scratch
};

class TKwBigFileStream : public TStream {
 public:
  // name is a path on disk (UTF-8). part_size exists for tests; files always use 1 GiB.
  TKwBigFileStream(std::string name, TBigFileMode mode, int64_t part_size = kSplitPartSize);
  ~TKwBigFileStream() override;
  TKwBigFileStream(const TKwBigFileStream&) = delete;
  TKwBigFileStream& operator=(const TKwBigFileStream&) = delete;

  // Reads across parts; stops early only at the end of the data.
  size_t Read(void* buffer, size_t count) override;
  // Fills each part to the part size and creates missing parts; read-only streams raise.
  size_t Write(const void* buffer, size_t count) override;
  // The position is lowered to Size() when it lies beyond.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // Sum of the part sizes.
  int64_t Size() override { return size_; }

  // Reads at an absolute position without moving the stream position. On a
  // stream opened for reading it changes no state, so threads may share it.
  size_t ReadAt(int64_t position, void* buffer, size_t count);

  // The mapped bytes [position, position + count) when they lie in one
  // mapped part, else null (then ReadAt serves).
  const uint8_t* MappedAt(int64_t position, int64_t count) const;

  const std::string& FileName() const { return name_; }
  int PartCount() const { return static_cast<int>(parts_.size()); }

  // Name of part index: the name itself for 0, else the name without its
  // extension + "." + index with at least three digits.
  static std::string PartName(const std::string& name, int index);
  // Deletes part 0 and the numbered parts that follow it.
  static void DeleteParts(const std::string& name);

 private:
  struct TPart {
    int fd = -1;
    int64_t size = 0;
    // Read-only parts are mapped: scrambled entries are read block by block,
    // and a system call per 4 KiB block would cost several times the copy.
    const uint8_t* map = nullptr;
  };
  void OpenPart(int index, bool create);
  void ClosePart(TPart& part, bool flush);

  std::string name_;
  TBigFileMode mode_;
  int64_t part_size_;
  std::vector<TPart> parts_;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// True when a file of that path exists (any kind but a folder).
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

}  // namespace orvo
