#include "base/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace orvo {

namespace {

char LowerByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

template <class Fold>
std::string FoldAscii(std::string_view text, Fold fold) {
  std::string out(text);
  for (size_t i = 0; i < out.size();) {
    size_t length = CharLength(out, i);
    if (length == 1) out[i] = fold(out[i]);
    i += length;
  }
  return out;
}

// iconv descriptors are not thread-safe; conversions are rare (edges only),
// so one lock per direction is enough.
class TConverter {
 public:
  TConverter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~TConverter() {
    if (handle_ != reinterpret_cast<iconv_t>(-1)) iconv_close(handle_);
  }
  // Converts all of input; on an invalid sequence either substitutes '?' for
  // one input byte (lossy) or fails.
  bool Convert(std::string_view input, std::string& out, bool lossy) {
    std::lock_guard lock(mutex_);
    out.clear();
    if (handle_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    size_t in_left = input.size();
    char buffer[1024];
    while (in_left > 0) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      size_t result = iconv(handle_, &in, &in_left, &dst, &dst_left);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (result == static_cast<size_t>(-1)) {
        if (errno == E2BIG) continue;
        if (!lossy) return false;
        out.push_back('?');
        ++in;
        --in_left;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    iconv(handle_, nullptr, nullptr, &dst, &dst_left);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    return true;
  }

 private:
  iconv_t handle_;
  std::mutex mutex_;
};

TConverter& ToUtf8() {
  static TConverter converter("UTF-8", "CP932");
  return converter;
}
TConverter& FromUtf8() {
  static TConverter converter("CP932", "UTF-8");
  return converter;
}

}  // namespace

std::string LowerAscii(std::string_view text) { return FoldAscii(text, LowerByte); }
std::string UpperAscii(std::string_view text) { return FoldAscii(text, UpperByte); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    size_t length = CharLength(a, i);
    if (length == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (LowerByte(a[i]) != LowerByte(b[i])) {
      return false;
    }
    i += length;
  }
  return true;
}

size_t FindChar(std::string_view text, char ch, size_t from) {
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    if (i >= from && length == 1 && text[i] == ch) return i;
    i += length;
  }
  return std::string_view::npos;
}

size_t FindLastChar(std::string_view text, char ch) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    if (length == 1 && text[i] == ch) found = i;
    i += length;
  }
  return found;
}

bool IsCharStart(std::string_view text, size_t index) {
  size_t i = 0;
  while (i < index) i += CharLength(text, i);
  return i == index;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  std::string out;
  ToUtf8().Convert(cp932, out, true);
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  std::string out;
  FromUtf8().Convert(utf8, out, true);
  return out;
}

bool TryUtf8ToCp932(std::string_view utf8, std::string& out) { return FromUtf8().Convert(utf8, out, false); }
bool TryCp932ToUtf8(std::string_view cp932, std::string& out) { return ToUtf8().Convert(cp932, out, false); }

}  // namespace orvo
