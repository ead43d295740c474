#include "vars/locale_text.h"

#include <cstdint>

#include "base/cp932.h"

namespace orvo {

namespace {

enum class TCase { Lower, Upper };

// Maps one character (one or two bytes) in place.
void MapChar(std::string& text, size_t at, size_t length, TCase target) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(text[at + k]); };
  if (length == 1) {
    uint8_t c = byte(0);
    if (target == TCase::Lower && c >= 'A' && c <= 'Z') text[at] = static_cast<char>(c + 32);
    if (target == TCase::Upper && c >= 'a' && c <= 'z') text[at] = static_cast<char>(c - 32);
    return;
  }
  uint8_t lead = byte(0);
  uint8_t trail = byte(1);
  auto set_trail = [&](int value) { text[at + 1] = static_cast<char>(value); };
  if (lead == 0x82) {  // full-width Latin: A-Z 60..79, a-z 81..9A
    if (target == TCase::Lower && trail >= 0x60 && trail <= 0x79) set_trail(trail + 0x21);
    if (target == TCase::Upper && trail >= 0x81 && trail <= 0x9A) set_trail(trail - 0x21);
  } else if (lead == 0x83) {  // Greek: upper 9F..B6, lower BF..D6
    if (target == TCase::Lower && trail >= 0x9F && trail <= 0xB6) set_trail(trail + 0x20);
    if (target == TCase::Upper && trail >= 0xBF && trail <= 0xD6) set_trail(trail - 0x20);
  } else if (lead == 0x84) {  // Cyrillic: upper 40..60, lower 70..7E and 80..91
    if (target == TCase::Lower && trail >= 0x40 && trail <= 0x60) {
      int k = trail - 0x40;
      set_trail(k < 15 ? 0x70 + k : 0x80 + (k - 15));
    }
    if (target == TCase::Upper && ((trail >= 0x70 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0x91))) {
      int k = trail <= 0x7E ? trail - 0x70 : trail - 0x80 + 15;
      set_trail(0x40 + k);
    }
  }
}

std::string MapCase(std::string_view text, TCase target) {
  std::string out(text);
  for (size_t i = 0; i < out.size();) {
    size_t length = CharLength(out, i);
    MapChar(out, i, length, target);
    i += length;
  }
  return out;
}

int CompareBytes(std::string_view a, std::string_view b) {
  int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

std::string LocaleLower(std::string_view text) { return MapCase(text, TCase::Lower); }
std::string LocaleUpper(std::string_view text) { return MapCase(text, TCase::Upper); }

int LocaleCompare(std::string_view a, std::string_view b, bool ignore_case) {
  std::string folded_a = LocaleLower(a);
  std::string folded_b = LocaleLower(b);
  int order = CompareBytes(folded_a, folded_b);
  if (order != 0 || ignore_case) return order;
  // Same letters: the text with a lower-case letter first comes first.
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] == b[i]) continue;
    return folded_a[i] == a[i] ? -1 : 1;
  }
  return CompareBytes(a, b);
}

}  // namespace orvo
