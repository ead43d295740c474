#pragma once
// Small text helpers of the source language, shared by the compiler and the
// decompiler. Text is CP932 bytes; scanning steps over double-byte characters.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvo::lang {

std::string Trim(std::string_view text);
// Splits at separator where it stands outside quotes, back-quotes,
// parentheses and brackets; pieces are trimmed.
std::vector<std::string> SplitTopLevel(std::string_view text, char separator);
// Position of the last word "if" (at the start or after a blank, before a blank, outside quotes and
// brackets), or npos.
size_t FindIfClause(std::string_view text);
// Position of the first occurrence of token outside quotes and brackets, or npos.
size_t FindTopLevel(std::string_view text, std::string_view token);

// A source string: "..." with \" \\ \n \r \t \xHH escapes. nullopt when
// text is not exactly one such literal.
std::optional<std::string> ParseQuoted(std::string_view text);
// The literal for bytes (non-printable and unconvertible bytes as \xHH).
std::string Quote(std::string_view bytes);
// A bare word needs no quotes: not empty, no blank, quote, comma, colon,
// parenthesis, bracket, brace, '=' or control byte, and it does not start with '#'.
bool IsBareWord(std::string_view text);

std::string HexOf(std::string_view bytes);
std::optional<std::string> BytesOfHex(std::string_view hex);
// Decimal (optionally negative) or 0x hexadecimal.
std::optional<int64_t> ParseInteger(std::string_view text);

}  // namespace orvo::lang
