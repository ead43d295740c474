#pragma once
// The byte stream every reader and writer of game data goes through. Positions
// are 64-bit: archives and films may pass 4 GiB.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <string>
#include <vector>

namespace orvo {

enum class TSeekOrigin { Begin, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes at the position and advances; fewer only at the end of the data.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes all count bytes or raises EWriteError; read-only streams always raise.
  virtual size_t Write(const void* buffer, size_t count);
  // Moves the position and returns it; positions past the end are allowed, before 0 raise.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  // Total length in bytes.
  virtual int64_t Size();
  // Truncates or extends the stream; only writable streams support it.
  virtual void SetSize(int64_t size);

  int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Begin); }
  // Exact forms: a short read raises EReadError, a short write EWriteError.
  void ReadBuffer(void* buffer, size_t count);
  void WriteBuffer(const void* buffer, size_t count);
  // Copies count bytes (or all that remain when count < 0) from source at its position.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// Growable in-memory stream (also the view over a borrowed buffer when read-only).
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  explicit TMemoryStream(std::string_view bytes) : bytes_(bytes.begin(), bytes.end()) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  void SetSize(int64_t size) override;

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }
  std::vector<uint8_t> TakeBytes() { position_ = 0; return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

// Read-only stream over bytes that someone else keeps alive.
class TSpanStream : public TStream {
 public:
  TSpanStream(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  size_t Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(size_); }

 private:
  const uint8_t* data_;
  size_t size_;
  int64_t position_ = 0;
};

// Computes a new position for Seek and rejects negative results.
int64_t ResolveSeek(int64_t offset, TSeekOrigin origin, int64_t current, int64_t size);

}  // namespace orvo
