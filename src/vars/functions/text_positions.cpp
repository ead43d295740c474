#include "vars/functions/text_positions.h"

#include <algorithm>

#include "base/cp932.h"

namespace orvo {

TCharMap::TCharMap(std::string_view text) {
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) starts_.push_back(i);
  starts_.push_back(text.size());
}

bool TCharMap::IsStart(size_t byte) const { return std::binary_search(starts_.begin(), starts_.end(), byte); }

size_t TCharMap::IndexOf(size_t byte) const {
  return static_cast<size_t>(std::lower_bound(starts_.begin(), starts_.end(), byte) - starts_.begin());
}

size_t FindAligned(std::string_view text, const TCharMap& map, std::string_view pattern, size_t from) {
  if (pattern.empty()) return std::string_view::npos;
  for (size_t at = text.find(pattern, from); at != std::string_view::npos; at = text.find(pattern, at + 1)) {
    if (map.IsStart(at)) return at;
  }
  return std::string_view::npos;
}

}  // namespace orvo
