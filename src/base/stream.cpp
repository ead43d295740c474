#include "base/stream.h"

#include <algorithm>
#include <cstring>

#include "base/error.h"

namespace orvo {

size_t TStream::Write(const void*, size_t) { throw EWriteError("Stream write error"); }

int64_t TStream::Size() {
  int64_t position = Position();
  int64_t size = Seek(0, TSeekOrigin::End);
  Seek(position, TSeekOrigin::Begin);
  return size;
}

void TStream::SetSize(int64_t) { throw EWriteError("Stream write error"); }

void TStream::ReadBuffer(void* buffer, size_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    size_t got = Read(out + done, count - done);
    if (got == 0) throw EReadError("Stream read error");
    done += got;
  }
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
  if (count == 0) return;
  if (Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  std::vector<uint8_t> buffer(1 << 16);
  int64_t copied = 0;
  while (count < 0 || copied < count) {
    size_t want = buffer.size();
    if (count >= 0) want = static_cast<size_t>(std::min<int64_t>(want, count - copied));
    size_t got = source.Read(buffer.data(), want);
    if (got == 0) {
      if (count >= 0) throw EReadError("Stream read error");
      break;
    }
    WriteBuffer(buffer.data(), got);
    copied += static_cast<int64_t>(got);
  }
  return copied;
}

int64_t ResolveSeek(int64_t offset, TSeekOrigin origin, int64_t current, int64_t size) {
  int64_t base = origin == TSeekOrigin::Begin ? 0 : origin == TSeekOrigin::Current ? current : size;
  if ((offset < 0 && base < INT64_MIN - offset) || (offset > 0 && base > INT64_MAX - offset))
    throw EReadError("Stream seek error");
  int64_t target = base + offset;
  if (target < 0) throw EReadError("Stream seek error");
  return target;
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
  int64_t size = Size();
  if (position_ >= size) return 0;
  size_t take = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size - position_));
  std::memcpy(buffer, bytes_.data() + position_, take);
  position_ += static_cast<int64_t>(take);
  return take;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  size_t end = static_cast<size_t>(position_) + count;
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ = static_cast<int64_t>(end);
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, Size());
  return position_;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EWriteError("Stream write error");
  bytes_.resize(static_cast<size_t>(size));
  position_ = std::min(position_, size);
}

size_t TSpanStream::Read(void* buffer, size_t count) {
  if (position_ >= static_cast<int64_t>(size_)) return 0;
  size_t take = std::min(count, size_ - static_cast<size_t>(position_));
  std::memcpy(buffer, data_ + position_, take);
  position_ += static_cast<int64_t>(take);
  return take;
}

int64_t TSpanStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, Size());
  return position_;
}

}  // namespace orvo
