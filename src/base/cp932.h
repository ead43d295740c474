#pragma once
// CP932 text: the engine keeps game text as bytes and steps through it by
// characters, because a trail byte may equal '\\', '[', '@' or a letter.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvo {

constexpr bool IsLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Bytes taken by the character that starts at index: 2 for a lead byte with a
// byte after it, else 1. A lead byte at the very end stands alone.
constexpr size_t CharLength(std::string_view text, size_t index) {
  return (IsLeadByte(static_cast<uint8_t>(text[index])) && index + 1 < text.size()) ? 2 : 1;
}

// Case folding touches single-byte ASCII letters only, never trail bytes.
std::string LowerAscii(std::string_view text);
std::string UpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// First byte index of a single-byte character equal to ch, skipping trail
// bytes; npos when absent. FindLastChar searches from the end the same way.
size_t FindChar(std::string_view text, char ch, size_t from = 0);
size_t FindLastChar(std::string_view text, char ch);

// True when index is the start of a character (not a trail byte).
bool IsCharStart(std::string_view text, size_t index);

// Edge conversions through iconv "CP932". Bytes that do not convert become
// '?' (lossy, for display); the strict form reports failure instead.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);
bool TryUtf8ToCp932(std::string_view utf8, std::string& out);
bool TryCp932ToUtf8(std::string_view cp932, std::string& out);

}  // namespace orvo
