#include "data/buffered_stream.h"

#include <algorithm>
#include <cstring>

namespace orvo {

TKwBuffBigStream::TKwBuffBigStream(TStream& source) : source_(source) { buffer_.reserve(kReadAheadChunk); }

TKwBuffBigStream::~TKwBuffBigStream() {
  try {
    GiveBack();
  } catch (...) {
    // A source that cannot seek back keeps its position; nothing to report from a destructor.
  }
}

void TKwBuffBigStream::GiveBack() {
  size_t unread = buffer_.size() - used_;
  if (unread > 0) source_.Seek(-static_cast<int64_t>(unread), TSeekOrigin::Current);
  buffer_.clear();
  used_ = 0;
}

size_t TKwBuffBigStream::Read(void* buffer, size_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    if (used_ == buffer_.size()) {
      if (count - done >= kReadAheadChunk) {
        // Large reads go straight to the source.
        size_t got = source_.Read(out + done, count - done);
        done += got;
        break;
      }
      int64_t left = source_.Size() - source_.Position();
      size_t want = static_cast<size_t>(std::clamp<int64_t>(left, 0, static_cast<int64_t>(kReadAheadChunk)));
      buffer_.resize(want);
      used_ = 0;
      size_t got = want ? source_.Read(buffer_.data(), want) : 0;
      buffer_.resize(got);
      if (got == 0) break;
    }
    size_t take = std::min(count - done, buffer_.size() - used_);
    std::memcpy(out + done, buffer_.data() + used_, take);
    used_ += take;
    done += take;
  }
  return done;
}

int64_t TKwBuffBigStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (origin == TSeekOrigin::Current && offset == 0)
    return source_.Position() - static_cast<int64_t>(buffer_.size() - used_);
  if (origin == TSeekOrigin::Current) offset -= static_cast<int64_t>(buffer_.size() - used_);
  buffer_.clear();
  used_ = 0;
  return source_.Seek(offset, origin);
}

}  // namespace orvo
