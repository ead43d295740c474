#include "vars/convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/numeric.h"

namespace orvo {

std::string IntToText(int32_t value) { return std::to_string(value); }

const std::string& BoolToText(bool value) {
  static const std::string kTrue = "TRUE";
  static const std::string kFalse = "FALSE";
  return value ? kTrue : kFalse;
}

std::string RealToText(long double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // %.14Le rounds the exact binary value to 15 significant digits.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14Le", value);
  std::string_view text(buffer);
  bool negative = text[0] == '-';
  if (negative) text.remove_prefix(1);
  size_t e_pos = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e_pos)) {
    if (c != '.') digits.push_back(c);
  }
  int exponent = std::atoi(std::string(text.substr(e_pos + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -4) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out.append(digits, 1, std::string::npos);
    }
    out += 'E';
    out += std::to_string(exponent);
  } else if (exponent >= 0) {
    size_t integer_digits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= integer_digits) {
      out += digits;
      out.append(integer_digits - digits.size(), '0');
    } else {
      out.append(digits, 0, integer_digits);
      out += '.';
      out.append(digits, integer_digits, std::string::npos);
    }
  } else {
    out += "0.";
    out.append(static_cast<size_t>(-exponent - 1), '0');
    out += digits;
  }
  return out;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// For a syntactically valid number that does not fit: true when it is too
// small rather than too large (its leading digit lies below the units).
bool IsTiny(std::string_view body) {
  size_t e_pos = body.find_first_of("eE");
  std::string_view mantissa = body.substr(0, e_pos);
  int64_t exponent = 0;
  if (e_pos != std::string_view::npos) {
    size_t i = e_pos + 1;
    bool negative = false;
    if (body[i] == '+' || body[i] == '-') negative = body[i++] == '-';
    for (; i < body.size(); ++i) exponent = std::min<int64_t>(exponent * 10 + (body[i] - '0'), 1000000000);
    if (negative) exponent = -exponent;
  }
  size_t point = mantissa.find('.');
  if (point == std::string_view::npos) point = mantissa.size();
  for (size_t i = 0; i < mantissa.size(); ++i) {
    if (mantissa[i] == '.' || mantissa[i] == '0') continue;
    int64_t place = i < point ? static_cast<int64_t>(point - i - 1) : -static_cast<int64_t>(i - point);
    return place + exponent < 0;
  }
  return true;
}

}  // namespace

bool TryTextToInt(std::string_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size()) return false;
  uint64_t magnitude = 0;
  if (text[i] == '$') {
    ++i;
    if (i >= text.size()) return false;
    for (; i < text.size(); ++i) {
      int digit = HexDigit(text[i]);
      if (digit < 0) return false;
      magnitude = magnitude * 16 + static_cast<uint64_t>(digit);
      if (magnitude > 0xFFFFFFFFu) return false;
    }
    uint32_t bits = static_cast<uint32_t>(magnitude);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
  }
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > 2147483648u) return false;
  }
  if (!negative && magnitude > 2147483647u) return false;
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
  return true;
}

bool TryTextToReal(std::string_view text, long double& value) {
  size_t begin = 0;
  while (begin < text.size() && text[begin] == ' ') ++begin;
  size_t end = text.size();
  while (end > begin && text[end - 1] == ' ') --end;
  std::string_view body = text.substr(begin, end - begin);
  bool negative = false;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  // Check the syntax first: from_chars would also take "inf", "nan" and more.
  size_t i = 0;
  size_t mantissa_digits = 0;
  while (i < body.size() && IsDigit(body[i])) ++i, ++mantissa_digits;
  if (i < body.size() && body[i] == '.') {
    ++i;
    while (i < body.size() && IsDigit(body[i])) ++i, ++mantissa_digits;
  }
  if (mantissa_digits == 0) return false;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    ++i;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    size_t exponent_digits = 0;
    while (i < body.size() && IsDigit(body[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  if (i != body.size()) return false;
  long double parsed = 0;
  auto [ptr, error] = std::from_chars(body.data(), body.data() + body.size(), parsed, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow does not convert.
    if (!IsTiny(body)) return false;
    parsed = 0;
  } else if (error != std::errc() || ptr != body.data() + body.size()) {
    return false;
  }
  value = negative ? -parsed : parsed;
  return true;
}

std::string TrimText(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<uint8_t>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<uint8_t>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(begin, end - begin));
}

int32_t TextToInt(std::string_view text) {
  int32_t value = 0;
  return TryTextToInt(text, value) ? value : 0;
}

long double TextToReal(std::string_view text) {
  long double value = 0;
  return TryTextToReal(text, value) ? value : 0.0L;
}

int32_t RealToScriptInt(long double value) {
  bool inside = false;
  int64_t wide = RealToIntTrunc<int64_t>(value, &inside);
  return inside ? WrapToInt32(wide) : 0;
}

bool TextToBoolLoose(std::string_view text) {
  if (text == "TRUE") return true;
  if (text == "FALSE") return false;
  return TextToInt(text) != 0;
}

}  // namespace orvo
