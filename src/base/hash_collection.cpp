#include "base/hash_collection.h"

namespace orvo {

namespace {
uint8_t LowerAt(std::string_view name, size_t index, bool is_trail) {
  uint8_t byte = static_cast<uint8_t>(name[index]);
  return (!is_trail && byte >= 'A' && byte <= 'Z') ? static_cast<uint8_t>(byte + 32) : byte;
}
}  // namespace

uint8_t HashBucket(std::string_view name) {
  size_t n = name.size();
  if (n < 2) return static_cast<uint8_t>(n * 16);
  bool next_to_last_is_trail = !IsCharStart(name, n - 2);
  return static_cast<uint8_t>(n * 16 + LowerAt(name, 0, false) + LowerAt(name, n - 2, next_to_last_is_trail));
}

}  // namespace orvo
