#include "data/range_stream.h"

#include <algorithm>
#include <cstring>

#include "base/binary_io.h"
#include "base/error.h"
#include "data/big_file_stream.h"
#include "data/scramble.h"

namespace orvo {

TRangeStream::TRangeStream(std::unique_ptr<TStream> source, int64_t length, int64_t start)
    : owned_(std::move(source)), source_(owned_.get()) {
  Setup(length, start);
}

TRangeStream::TRangeStream(std::shared_ptr<TKwBigFileStream> file, int64_t length, int64_t start)
    : owned_(std::move(file)), source_(owned_.get()) {
  Setup(length, start);
}

TRangeStream::TRangeStream(TStream* external, int64_t length, int64_t start) : source_(external) {
  Setup(length, start);
}

std::unique_ptr<TRangeStream> TRangeStream::Attach(TStream& stream, int64_t length, int64_t start) {
  return std::unique_ptr<TRangeStream>(new TRangeStream(&stream, length, start));
}

void TRangeStream::Setup(int64_t length, int64_t start) {
  file_ = dynamic_cast<TKwBigFileStream*>(source_);
  int64_t size = source_->Size();
  start_ = std::clamp<int64_t>(start, 0, size);
  int64_t available = size - start_;
  length_ = (length < 0 || length > available) ? available : length;
}

const uint8_t* TRangeStream::MappedData(int64_t position, int64_t count) const {
  return file_ ? file_->MappedAt(position, count) : nullptr;
}

int64_t TRangeStream::Clamp(int64_t target, int64_t limit) { return std::clamp<int64_t>(target, 0, limit); }

size_t TRangeStream::ReadUnderlying(int64_t position, void* buffer, size_t count) {
  if (file_) return file_->ReadAt(position, buffer, count);
  source_->Seek(position, TSeekOrigin::Begin);
  uint8_t* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    size_t got = source_->Read(out + done, count - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

void TRangeStream::ReadUnderlyingExact(int64_t position, void* buffer, size_t count) {
  if (ReadUnderlying(position, buffer, count) != count) throw EReadError("Stream read error");
}

size_t TRangeStream::Read(void* buffer, size_t count) {
  std::lock_guard lock(mutex_);
  return ReadLocked(buffer, count);
}

size_t TRangeStream::ReadAt(int64_t position, void* buffer, size_t count) {
  std::lock_guard lock(mutex_);
  position_ = Clamp(position, Size());
  return ReadLocked(buffer, count);
}

size_t TRangeStream::ReadLocked(void* buffer, size_t count) {
  size_t take = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), length_ - position_));
  if (take == 0) return 0;
  // The window was cut to the source at construction, so a short read means
  // the file shrank underneath us.
  ReadUnderlyingExact(start_ + position_, buffer, take);
  position_ += static_cast<int64_t>(take);
  return take;
}

namespace {

int64_t SeekTarget(int64_t offset, TSeekOrigin origin, int64_t current, int64_t end) {
  int64_t base = origin == TSeekOrigin::Begin ? 0 : origin == TSeekOrigin::Current ? current : end;
  // Saturate instead of overflowing; the caller clamps to the window anyway.
  if (offset > 0 && base > INT64_MAX - offset) return INT64_MAX;
  if (offset < 0 && base < INT64_MIN - offset) return INT64_MIN;
  return base + offset;
}

}  // namespace

int64_t TRangeStream::Seek(int64_t offset, TSeekOrigin origin) {
  std::lock_guard lock(mutex_);
  position_ = Clamp(SeekTarget(offset, origin, position_, length_), length_);
  return position_;
}

TFileRangeStream::TFileRangeStream(const std::string& path, int64_t length, int64_t start)
    : TRangeStream(std::make_shared<TKwBigFileStream>(path, TBigFileMode::Read), length, start) {}

TScrambleRangeStream::TScrambleRangeStream(std::unique_ptr<TStream> source, int64_t length, int64_t start)
    : TRangeStream(std::move(source), length, start) {
  ReadHeader();
}

TScrambleRangeStream::TScrambleRangeStream(std::shared_ptr<TKwBigFileStream> file, int64_t length, int64_t start)
    : TRangeStream(std::move(file), length, start) {
  ReadHeader();
}

TScrambleRangeStream::TScrambleRangeStream(TStream* external, int64_t length, int64_t start)
    : TRangeStream(external, length, start) {
  ReadHeader();
}

std::unique_ptr<TScrambleRangeStream> TScrambleRangeStream::Attach(TStream& stream, int64_t length, int64_t start) {
  return std::unique_ptr<TScrambleRangeStream>(new TScrambleRangeStream(&stream, length, start));
}

void TScrambleRangeStream::ReadHeader() {
  int64_t window = TRangeStream::Size();
  if (window < kScrambleHeaderSize) throw EFormatError("Scrambled data too short");
  uint8_t header[kScrambleHeaderSize];
  ReadUnderlyingExact(Start(), header, sizeof header);
  block_ = static_cast<int32_t>(LoadU32(header));
  int32_t seed = static_cast<int32_t>(LoadU32(header + 4)) ^ kScrambleSeedMask;
  if (block_ <= 0) throw EFormatError("Invalid scramble block size");
  data_length_ = window - kScrambleHeaderSize;
  inverse_ = TScrambleInts(seed);
  inverse_.Inverse(0, ScrambleBlockCount(data_length_, block_) - 1);
  position_ = 0;
}

size_t TScrambleRangeStream::ReadLocked(void* buffer, size_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  const int64_t data_start = Start() + kScrambleHeaderSize;
  size_t done = 0;
  // Stop when the data is used up: the last block may be short, and a loop
  // that waited for count to reach zero would never end there.
  // Mapped archives are copied straight from memory: a system call per
  // block would cost several times the copy.
  const uint8_t* mapped = MappedData(data_start, data_length_);
  while (done < count && position_ < data_length_) {
    int64_t block_index = position_ / block_;
    int64_t within = position_ % block_;
    int64_t stored = inverse_.Item(block_index);
    if (stored < 0) break;
    int64_t stored_offset = stored * block_ + within;
    int64_t take = std::min<int64_t>(
        {block_ - within, static_cast<int64_t>(count - done), data_length_ - position_, data_length_ - stored_offset});
    if (take <= 0) break;
    if (mapped) {
      std::memcpy(out + done, mapped + stored_offset, static_cast<size_t>(take));
    } else {
      ReadUnderlyingExact(data_start + stored_offset, out + done, static_cast<size_t>(take));
    }
    done += static_cast<size_t>(take);
    position_ += take;
  }
  return done;
}

int64_t TScrambleRangeStream::Seek(int64_t offset, TSeekOrigin origin) {
  std::lock_guard lock(mutex_);
  position_ = Clamp(SeekTarget(offset, origin, position_, data_length_), data_length_);
  return position_;
}

TFileScrambleRangeStream::TFileScrambleRangeStream(const std::string& path, int64_t length, int64_t start)
    : TScrambleRangeStream(std::make_shared<TKwBigFileStream>(path, TBigFileMode::Read), length, start) {}

}  // namespace orvo
