#pragma once
// Where the pixel data of one block comes from: stored bytes as they are, or a
// zlib stream inflated on demand straight into the rows that need it (no
// buffer of the whole picture in between). Both refuse to run short.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orvo {

class TByteSource {
 public:
  virtual ~TByteSource() = default;
  // Fills out with exactly count bytes, or raises the corrupt-image error.
  virtual void Read(uint8_t* out, size_t count) = 0;
};

class TSpanSource : public TByteSource {
 public:
  explicit TSpanSource(std::string_view bytes) : bytes_(bytes) {}
  void Read(uint8_t* out, size_t count) override;
  size_t Remaining() const { return bytes_.size() - position_; }

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

class TInflateSource : public TByteSource {
 public:
  // Bytes beyond what the reader asks for are never produced, so a small
  // stream cannot make us inflate more than the picture holds.
  explicit TInflateSource(std::string_view deflated);
  ~TInflateSource() override;
  TInflateSource(const TInflateSource&) = delete;
  TInflateSource& operator=(const TInflateSource&) = delete;
  void Read(uint8_t* out, size_t count) override;

 private:
  z_stream z_{};
  bool ended_ = false;
};

// Inflates a whole zlib stream whose result must not exceed cap bytes.
std::vector<uint8_t> InflateCapped(std::string_view deflated, size_t cap);

}  // namespace orvo
