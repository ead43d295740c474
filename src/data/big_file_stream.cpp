#include "data/big_file_stream.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/error.h"

namespace orvo {

bool FileExists(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string TKwBigFileStream::PartName(const std::string& name, int index) {
  if (index == 0) return name;
  size_t slash = name.rfind('/');
  size_t dot = name.rfind('.');
  std::string stem =
      (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? name.substr(0, dot) : name;
  char digits[16];
  std::snprintf(digits, sizeof digits, ".%.3d", index);
  return stem + digits;
}

void TKwBigFileStream::DeleteParts(const std::string& name) {
  ::unlink(name.c_str());
  for (int i = 1;; ++i) {
    std::string part = PartName(name, i);
    if (::unlink(part.c_str()) != 0) break;
  }
}

TKwBigFileStream::TKwBigFileStream(std::string name, TBigFileMode mode, int64_t part_size)
    : name_(std::move(name)), mode_(mode), part_size_(part_size > 0 ? part_size : kSplitPartSize) {
  if (mode_ == TBigFileMode::Create) {
    DeleteParts(name_);
    OpenPart(0, true);
    return;
  }
  for (int i = 0; FileExists(PartName(name_, i)); ++i) OpenPart(i, false);
}

TKwBigFileStream::~TKwBigFileStream() {
  for (TPart& part : parts_) ClosePart(part, mode_ != TBigFileMode::Read);
}

void TKwBigFileStream::OpenPart(int index, bool create) {
  std::string path = PartName(name_, index);
  int flags = O_CLOEXEC | (mode_ == TBigFileMode::Read ? O_RDONLY : O_RDWR);
  if (create) flags |= O_CREAT | O_TRUNC;
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    if (create) throw EWriteError("Cannot create " + path + ": " + std::strerror(errno));
    throw EReadError("Cannot open " + path + ": " + std::strerror(errno));
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    throw EReadError("Cannot open " + path);
  }
  TPart part{fd, static_cast<int64_t>(info.st_size)};
  if (mode_ == TBigFileMode::Read && part.size > 0) {
    void* map = ::mmap(nullptr, static_cast<size_t>(part.size), PROT_READ, MAP_SHARED, fd, 0);
    if (map != MAP_FAILED) part.map = static_cast<const uint8_t*>(map);  // else pread serves
  }
  parts_.push_back(part);
  size_ += info.st_size;
}

void TKwBigFileStream::ClosePart(TPart& part, bool flush) {
  if (part.map) ::munmap(const_cast<uint8_t*>(part.map), static_cast<size_t>(part.size));
  part.map = nullptr;
  if (part.fd < 0) return;
  if (flush) ::fsync(part.fd);
  ::close(part.fd);
  part.fd = -1;
}

size_t TKwBigFileStream::ReadAt(int64_t position, void* buffer, size_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count && position < size_) {
    int64_t index = position / part_size_;
    int64_t offset = position % part_size_;
    if (index >= static_cast<int64_t>(parts_.size())) break;
    TPart& part = parts_[static_cast<size_t>(index)];
    if (offset >= part.size) break;  // a short part in the middle ends the data
    size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count - done), part.size - offset));
    if (part.map) {
      std::memcpy(out + done, part.map + offset, want);
      done += want;
      position += static_cast<int64_t>(want);
      continue;
    }
    ssize_t got = ::pread(part.fd, out + done, want, offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EReadError("Cannot read " + PartName(name_, static_cast<int>(index)) + ": " + std::strerror(errno));
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
    position += got;
  }
  return done;
}

const uint8_t* TKwBigFileStream::MappedAt(int64_t position, int64_t count) const {
  if (position < 0 || count < 0) return nullptr;
  int64_t index = position / part_size_;
  int64_t offset = position % part_size_;
  if (index >= static_cast<int64_t>(parts_.size())) return nullptr;
  const TPart& part = parts_[static_cast<size_t>(index)];
  if (!part.map || offset + count > part.size) return nullptr;
  return part.map + offset;
}

size_t TKwBigFileStream::Read(void* buffer, size_t count) {
  size_t got = ReadAt(position_, buffer, count);
  position_ += static_cast<int64_t>(got);
  return got;
}

size_t TKwBigFileStream::Write(const void* buffer, size_t count) {
  if (mode_ == TBigFileMode::Read) throw EWriteError("Cannot write " + name_ + ": opened for reading");
  const uint8_t* in = static_cast<const uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    int64_t index = position_ / part_size_;
    int64_t offset = position_ % part_size_;
    while (static_cast<int64_t>(parts_.size()) <= index) OpenPart(static_cast<int>(parts_.size()), true);
    TPart& part = parts_[static_cast<size_t>(index)];
    size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count - done), part_size_ - offset));
    ssize_t put = ::pwrite(part.fd, in + done, want, offset);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw EWriteError("Cannot write " + PartName(name_, static_cast<int>(index)) + ": " + std::strerror(errno));
    }
    if (put == 0) throw EWriteError("Cannot write " + PartName(name_, static_cast<int>(index)));
    done += static_cast<size_t>(put);
    position_ += put;
    if (offset + put > part.size) {
      size_ += offset + put - part.size;
      part.size = offset + put;
    }
  }
  return done;
}

int64_t TKwBigFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = std::min(ResolveSeek(offset, origin, position_, size_), size_);
  return position_;
}

}  // namespace orvo
