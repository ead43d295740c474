#include "data/zlib_codec.h"

#include <zlib.h>

#include <algorithm>

#include "base/error.h"

namespace orvo {

namespace {

// zlib moves at most 4 GiB per call; feed it in slices.
constexpr size_t kSlice = 1u << 30;

}  // namespace

std::vector<uint8_t> DeflateBytes(std::string_view plain, int level) {
  z_stream z{};
  if (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION) level = Z_DEFAULT_COMPRESSION;
  if (deflateInit(&z, level) != Z_OK) throw EWriteError("zlib: cannot start compression");
  std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(std::min(plain.size(), kSlice))) + 64);
  size_t in_done = 0;
  size_t out_done = 0;
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    if (out.size() - out_done < 65536) out.resize(out.size() * 2);
    size_t in_take = std::min(plain.size() - in_done, kSlice);
    size_t out_take = std::min(out.size() - out_done, kSlice);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data() + in_done));
    z.avail_in = static_cast<uInt>(in_take);
    z.next_out = out.data() + out_done;
    z.avail_out = static_cast<uInt>(out_take);
    bool last = in_done + in_take == plain.size();
    result = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
    if (result == Z_STREAM_ERROR) {
      deflateEnd(&z);
      throw EWriteError("zlib: compression failed");
    }
    in_done += in_take - z.avail_in;
    out_done += out_take - z.avail_out;
  }
  deflateEnd(&z);
  out.resize(out_done);
  return out;
}

std::vector<uint8_t> InflateBytes(std::string_view stored) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw EFormatError("zlib: cannot start decompression");
  // Deflate never does better than about 1032:1.
  const uint64_t bound = static_cast<uint64_t>(stored.size()) * 1040 + 1024;
  std::vector<uint8_t> out(static_cast<size_t>(std::min<uint64_t>(bound, stored.size() * 4ull + 4096)));
  size_t in_done = 0;
  size_t out_done = 0;
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    if (out.size() == out_done) {
      if (out.size() >= bound) break;
      out.resize(static_cast<size_t>(std::min<uint64_t>(bound, out.size() * 2ull)));
    }
    size_t in_take = std::min(stored.size() - in_done, kSlice);
    size_t out_take = std::min(out.size() - out_done, kSlice);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data() + in_done));
    z.avail_in = static_cast<uInt>(in_take);
    z.next_out = out.data() + out_done;
    z.avail_out = static_cast<uInt>(out_take);
    result = inflate(&z, Z_NO_FLUSH);
    in_done += in_take - z.avail_in;
    out_done += out_take - z.avail_out;
    if (result == Z_NEED_DICT || result == Z_DATA_ERROR || result == Z_MEM_ERROR || result == Z_STREAM_ERROR) break;
    if (result == Z_BUF_ERROR && in_done == stored.size() && out_done < out.size()) break;  // truncated
  }
  inflateEnd(&z);
  if (result != Z_STREAM_END) throw EFormatError("Damaged compressed data");
  out.resize(out_done);
  return out;
}

uint32_t Crc32(std::string_view bytes, uint32_t crc) {
  uLong value = crc;
  size_t done = 0;
  while (done < bytes.size()) {
    size_t take = std::min(bytes.size() - done, kSlice);
    value = crc32(value, reinterpret_cast<const Bytef*>(bytes.data() + done), static_cast<uInt>(take));
    done += take;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace orvo
