#include "image/byte_source.h"

#include <cstring>
#include <limits>

#include "base/error.h"
#include "image/image_errors.h"

namespace orvo {
namespace {

// zlib counts in 32-bit units; everything we hand it is cut into slices.
constexpr size_t kSlice = size_t{1} << 30;

}  // namespace

void TSpanSource::Read(uint8_t* out, size_t count) {
  if (count > Remaining()) throw CorruptImageError();
  if (count > 0) std::memcpy(out, bytes_.data() + position_, count);
  position_ += count;
}

TInflateSource::TInflateSource(std::string_view deflated) {
  if (inflateInit(&z_) != Z_OK) throw EFormatError("zlib: cannot start decompression");
  if (deflated.size() > std::numeric_limits<uInt>::max()) {
    inflateEnd(&z_);
    throw CorruptImageError();
  }
  z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z_.avail_in = static_cast<uInt>(deflated.size());
}

TInflateSource::~TInflateSource() { inflateEnd(&z_); }

void TInflateSource::Read(uint8_t* out, size_t count) {
  while (count > 0) {
    if (ended_) throw CorruptImageError();
    size_t take = std::min(count, kSlice);
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(take);
    int result = inflate(&z_, Z_NO_FLUSH);
    size_t produced = take - z_.avail_out;
    out += produced;
    count -= produced;
    if (result == Z_STREAM_END) {
      ended_ = true;
    } else if (result != Z_OK || (produced == 0 && z_.avail_in == 0)) {
      // Damaged or truncated: the stream cannot give the bytes the picture needs.
      throw CorruptImageError();
    }
  }
}

std::vector<uint8_t> InflateCapped(std::string_view deflated, size_t cap) {
  if (deflated.size() > std::numeric_limits<uInt>::max()) throw CorruptImageError();
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw EFormatError("zlib: cannot start decompression");
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z.avail_in = static_cast<uInt>(deflated.size());
  std::vector<uint8_t> out(std::min<size_t>(cap, std::max<size_t>(4096, deflated.size() * 4)));
  size_t done = 0;
  int result = Z_OK;
  for (;;) {
    if (done == out.size()) {
      if (out.size() >= cap) break;
      out.resize(std::min(cap, out.size() * 2));
    }
    z.next_out = out.data() + done;
    z.avail_out = static_cast<uInt>(std::min(out.size() - done, kSlice));
    size_t before = z.avail_out;
    result = inflate(&z, Z_NO_FLUSH);
    done += before - z.avail_out;
    if (result == Z_STREAM_END || result != Z_OK) break;
    if (z.avail_in == 0 && before == z.avail_out) break;
  }
  inflateEnd(&z);
  if (result != Z_STREAM_END) throw CorruptImageError();
  out.resize(done);
  return out;
}

}  // namespace orvo
