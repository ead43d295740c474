#include <charconv>

#include "platform/display.h"

namespace orvo {

TDisplayModes DefaultHeadlessModes() {
  TDisplayModes modes;
  modes.desktop = TDisplayMode{1920, 1080, 32, 60};
  modes.modes.push_back(modes.desktop);
  return modes;
}

namespace {

// Reads decimal digits up to stop (or the end); false when there are none or they overflow.
bool ReadNumber(std::string_view& text, char stop, int32_t low, int32_t& value) {
  const size_t end = stop ? text.find(stop) : text.size();
  const std::string_view digits = text.substr(0, end);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const auto [ptr, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || ptr != digits.data() + digits.size() || value < low) return false;
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + (stop ? 1 : 0));
  return true;
}

}  // namespace

bool ParseDisplayModes(std::string_view text, TDisplayModes& out) {
  TDisplayModes parsed;
  int marked = -1;
  while (true) {
    const size_t comma = text.find(',');
    std::string_view entry = text.substr(0, comma);
    bool desktop = false;
    if (!entry.empty() && entry.back() == '*') {
      desktop = true;
      entry.remove_suffix(1);
    }
    TDisplayMode mode;
    if (!ReadNumber(entry, 'x', 1, mode.width) || !ReadNumber(entry, 'x', 1, mode.height) ||
        !ReadNumber(entry, '@', 1, mode.bits) || !ReadNumber(entry, 0, 0, mode.refresh) || !entry.empty()) {
      return false;
    }
    if (desktop) {
      if (marked >= 0) return false;
      marked = static_cast<int>(parsed.modes.size());
    }
    parsed.modes.push_back(mode);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  parsed.desktop = parsed.modes[marked >= 0 ? static_cast<size_t>(marked) : 0];
  out = std::move(parsed);
  return true;
}

}  // namespace orvo
