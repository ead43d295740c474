#pragma once
// Read-only windows over a larger stream: one archive entry seen as a stream of
// its own. Media decoders read them from their own threads while the main
// thread seeks them, so every operation runs under the stream's lock.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "base/stream.h"
#include "data/random.h"

namespace orvo {

class TKwBigFileStream;

constexpr int64_t kRangeToEnd = -1;

class TRangeStream : public TStream {
 public:
  // Shows [start, start + length) of source, which it owns. kRangeToEnd
  // means up to the end of the source; a window reaching past the end is cut
  // there. A length of 0 is an empty window (an empty archive entry), not the
  // rest of the file.
  TRangeStream(std::unique_ptr<TStream> source, int64_t length, int64_t start);
  // The same over a split file that other windows share (its positioned
  // reads change no state, so windows on several threads never disturb each other).
  TRangeStream(std::shared_ptr<TKwBigFileStream> file, int64_t length, int64_t start);
  // The same over a stream that someone else owns and keeps alive; it must not
  // be read through anything else while this window is in use.
  static std::unique_ptr<TRangeStream> Attach(TStream& stream, int64_t length, int64_t start);

  // Reads at most the bytes left in the window.
  size_t Read(void* buffer, size_t count) override;
  // Moves to position and reads, as one step under the lock, so that threads
  // sharing the stream never read at each other's position.
  size_t ReadAt(int64_t position, void* buffer, size_t count);
  // The target is clamped to [0, Size()].
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // Length of the window.
  int64_t Size() override { return length_; }

  int64_t Start() const { return start_; }

 protected:
  TRangeStream(TStream* external, int64_t length, int64_t start);
  // Reads from the underlying stream at an absolute position (lock held).
  size_t ReadUnderlying(int64_t position, void* buffer, size_t count);
  // Exact form: a short read raises EReadError.
  void ReadUnderlyingExact(int64_t position, void* buffer, size_t count);
  static int64_t Clamp(int64_t target, int64_t limit);
  // The underlying bytes when they are mapped in memory, else null.
  const uint8_t* MappedData(int64_t position, int64_t count) const;
  // Reads at position_ and advances it; the lock is held by the caller.
  virtual size_t ReadLocked(void* buffer, size_t count);

  std::mutex mutex_;
  int64_t position_ = 0;  // relative to start_

 private:
  void Setup(int64_t length, int64_t start);

  std::shared_ptr<TStream> owned_;
  TStream* source_;
  TKwBigFileStream* file_ = nullptr;  // fast path: reads without moving a position
  int64_t start_ = 0;
  int64_t length_ = 0;
};

// Range stream over a file on disk that it opens itself (read-only).
class TFileRangeStream : public TRangeStream {
 public:
  TFileRangeStream(const std::string& path, int64_t length, int64_t start);
};

// Range stream over a block-scrambled window: 8 header bytes (block size,
// masked seed), then the blocks in permuted order. Logical positions run over
// the plain data, [0, data length].
class TScrambleRangeStream : public TRangeStream {
 public:
  // Reads the header; a window under 8 bytes or a block size below 1 raises EFormatError.
  TScrambleRangeStream(std::unique_ptr<TStream> source, int64_t length, int64_t start);
  TScrambleRangeStream(std::shared_ptr<TKwBigFileStream> file, int64_t length, int64_t start);
  static std::unique_ptr<TScrambleRangeStream> Attach(TStream& stream, int64_t length, int64_t start);

  // The target is clamped to [0, data length].
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // Length of the plain data.
  int64_t Size() override { return data_length_; }

  int32_t BlockSize() const { return block_; }

 private:
  TScrambleRangeStream(TStream* external, int64_t length, int64_t start);
  void ReadHeader();
  // Reads plain bytes through the block map; stops at the end of the data.
  size_t ReadLocked(void* buffer, size_t count) override;

  int32_t block_ = 0;
  TScrambleInts inverse_{0};
  int64_t data_length_ = 0;
};

class TFileScrambleRangeStream : public TScrambleRangeStream {
 public:
  TFileScrambleRangeStream(const std::string& path, int64_t length, int64_t start);
};

}  // namespace orvo
