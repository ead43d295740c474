#pragma once
// Character positions in CP932 text for the J functions and the searches
// that must not start on the second byte of a double-byte character.
#include <cstddef>
#include <string_view>
#include <vector>

namespace orvo {

class TCharMap {
 public:
  explicit TCharMap(std::string_view text);
  // Number of characters.
  size_t Count() const { return starts_.size() - 1; }
  // Byte offset of character index (0-based); Count() gives the text's size.
  size_t Offset(size_t index) const { return starts_[index]; }
  bool IsStart(size_t byte) const;
  // Character index of a byte offset that starts a character.
  size_t IndexOf(size_t byte) const;

 private:
  std::vector<size_t> starts_;  // plus the end
};

// First occurrence of pattern at or after from that starts a character; npos when none.
size_t FindAligned(std::string_view text, const TCharMap& map, std::string_view pattern, size_t from = 0);

}  // namespace orvo
