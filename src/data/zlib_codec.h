#pragma once
// zlib streams (RFC 1950) and CRC-32 for archive entries.
#include <cstdint>
#include <string_view>
#include <vector>

namespace orvo {

// level: zlib's 1 (fastest) … 9 (smallest), or -1 for its default; every level
// gives a stream any reader inflates.
std::vector<uint8_t> DeflateBytes(std::string_view plain, int level = -1);
// A damaged or truncated stream raises EFormatError. Output is bounded by
// deflate's own best ratio, so a small input can never ask for a huge buffer.
std::vector<uint8_t> InflateBytes(std::string_view stored);
// IEEE 802.3 polynomial, reflected, initial value all ones, final complement.
uint32_t Crc32(std::string_view bytes, uint32_t crc = 0);

inline std::string_view AsChars(const std::vector<uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace orvo
