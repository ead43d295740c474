#include "script/lang/source_text.h"

#include <cstdio>

#include "base/cp932.h"

namespace orvo::lang {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Walks text at top level; calls visit(position) for every character that
// stands outside quotes, back-quotes and brackets (depth 0).
template <typename Visit>
void WalkTopLevel(std::string_view text, Visit visit) {
  int depth = 0;
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    char c = text[i];
    if (length == 1 && c == '"') {
      for (++i; i < text.size();) {
        size_t inner = CharLength(text, i);
        if (inner == 1 && text[i] == '\\' && i + 1 < text.size()) {
          i += 1 + CharLength(text, i + 1);
          continue;
        }
        if (inner == 1 && text[i] == '"') {
          ++i;
          break;
        }
        i += inner;
      }
      continue;
    }
    if (length == 1 && c == '`') {
      size_t close = text.find('`', i + 1);
      i = close == std::string_view::npos ? text.size() : close + 1;
      continue;
    }
    if (length == 1 && (c == '(' || c == '[')) {
      ++depth;
    } else if (length == 1 && (c == ')' || c == ']')) {
      --depth;
    } else if (depth == 0) {
      if (!visit(i)) return;
    }
    i += length;
  }
}

}  // namespace

std::string Trim(std::string_view text) {
  size_t start = 0, end = text.size();
  while (start < end && static_cast<uint8_t>(text[start]) <= ' ') ++start;
  while (end > start && static_cast<uint8_t>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(start, end - start));
}

std::vector<std::string> SplitTopLevel(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  WalkTopLevel(text, [&](size_t i) {
    if (text[i] == separator) {
      pieces.push_back(Trim(text.substr(start, i - start)));
      start = i + 1;
    }
    return true;
  });
  pieces.push_back(Trim(text.substr(start)));
  return pieces;
}

size_t FindIfClause(std::string_view text) {
  size_t found = std::string_view::npos;
  WalkTopLevel(text, [&](size_t i) {
    if (i + 2 < text.size() && text[i] == 'i' && text[i + 1] == 'f' && (i == 0 || IsBlank(text[i - 1])) &&
        IsBlank(text[i + 2]))
      found = i;
    return true;
  });
  return found;
}

size_t FindTopLevel(std::string_view text, std::string_view token) {
  size_t found = std::string_view::npos;
  WalkTopLevel(text, [&](size_t i) {
    if (text.substr(i, token.size()) == token) {
      found = i;
      return false;
    }
    return true;
  });
  return found;
}

std::optional<std::string> ParseQuoted(std::string_view text) {
  if (text.size() < 2 || text.front() != '"') return std::nullopt;
  std::string out;
  size_t i = 1;
  while (i < text.size()) {
    size_t length = CharLength(text, i);
    char c = text[i];
    if (length == 1 && c == '"') {
      if (i + 1 != text.size()) return std::nullopt;
      return out;
    }
    if (length == 1 && c == '\\' && i + 1 < text.size()) {
      char e = text[i + 1];
      i += 2;
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'x': {
          if (i + 2 > text.size()) return std::nullopt;
          std::optional<std::string> byte = BytesOfHex(text.substr(i, 2));
          if (!byte) return std::nullopt;
          out += *byte;
          i += 2;
          break;
        }
        default:
          out += e;
          break;
      }
      continue;
    }
    out.append(text.substr(i, length));
    i += length;
  }
  return std::nullopt;
}

std::string Quote(std::string_view bytes) {
  std::string out = "\"";
  auto escape = [&](uint8_t byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
    out += buffer;
  };
  for (size_t i = 0; i < bytes.size();) {
    size_t length = CharLength(bytes, i);
    uint8_t c = static_cast<uint8_t>(bytes[i]);
    if (length == 1 && c < 0x80) {
      if (c == '"' || c == '\\')
        out += '\\', out += static_cast<char>(c);
      else if (c == '\n')
        out += "\\n";
      else if (c == '\r')
        out += "\\r";
      else if (c == '\t')
        out += "\\t";
      else if (c < 0x20 || c == 0x7f)
        escape(c);
      else
        out += static_cast<char>(c);
      ++i;
      continue;
    }
    std::string character(bytes.substr(i, length));
    std::string back;
    if (TryUtf8ToCp932(Cp932ToUtf8(character), back) && back == character) {
      out += character;
    } else {
      for (char b : character) escape(static_cast<uint8_t>(b));
    }
    i += length;
  }
  return out + "\"";
}

bool IsBareWord(std::string_view text) {
  if (text.empty() || text[0] == '#') return false;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (CharLength(text, i) != 1) continue;
    uint8_t c = static_cast<uint8_t>(text[i]);
    if (c <= ' ' || c == 0x7f || c >= 0x80) {
      if (c >= 0x80) {
        std::string character(text.substr(i, 1));
        std::string back;
        if (!(TryUtf8ToCp932(Cp932ToUtf8(character), back) && back == character)) return false;
        continue;
      }
      return false;
    }
    if (std::string_view("\"`,:()[]{}=;").find(static_cast<char>(c)) != std::string_view::npos) return false;
  }
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (CharLength(text, i) == 2) {
      std::string character(text.substr(i, 2));
      std::string back;
      if (!(TryUtf8ToCp932(Cp932ToUtf8(character), back) && back == character)) return false;
    }
  }
  return true;
}

std::string HexOf(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char b : bytes) {
    out += kDigits[static_cast<uint8_t>(b) >> 4];
    out += kDigits[static_cast<uint8_t>(b) & 15];
  }
  return out;
}

std::optional<std::string> BytesOfHex(std::string_view hex) {
  std::string out;
  int high = -1;
  for (char c : hex) {
    if (IsBlank(c)) continue;
    int value;
    if (c >= '0' && c <= '9')
      value = c - '0';
    else if (c >= 'a' && c <= 'f')
      value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      value = c - 'A' + 10;
    else
      return std::nullopt;
    if (high < 0) {
      high = value;
    } else {
      out += static_cast<char>(high * 16 + value);
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;
  return out;
}

std::optional<int64_t> ParseInteger(std::string_view text) {
  std::string t = Trim(text);
  if (t.empty()) return std::nullopt;
  bool negative = t[0] == '-';
  size_t i = negative ? 1 : 0;
  int base = 10;
  if (t.size() > i + 2 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value * base + digit;
    if (value > (int64_t{1} << 33)) return std::nullopt;
  }
  return negative ? -value : value;
}

}  // namespace orvo::lang
