#pragma once
// Read-ahead over a stream it does not own: small reads (directory names) are
// served from a 100 KiB buffer instead of one system call each.
#include <cstdint>
#include <vector>

#include "base/stream.h"

namespace orvo {

constexpr size_t kReadAheadChunk = 102400;

class TKwBuffBigStream : public TStream {
 public:
  explicit TKwBuffBigStream(TStream& source);
  // Moves the source back by the bytes buffered but not handed out.
  ~TKwBuffBigStream() override;
  TKwBuffBigStream(const TKwBuffBigStream&) = delete;
  TKwBuffBigStream& operator=(const TKwBuffBigStream&) = delete;

  // Serves bytes from the buffer, refilling it from the source's position.
  size_t Read(void* buffer, size_t count) override;
  // Positions are those of the source; moving drops the buffer.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return source_.Size(); }

 private:
  void GiveBack();

  TStream& source_;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;  // bytes of buffer_ already handed out
};

}  // namespace orvo
