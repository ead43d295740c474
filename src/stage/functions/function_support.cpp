#include "stage/functions/function_support.h"

#include <array>

#include "base/cp932.h"
#include "vars/param.h"

namespace orvo {

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text.substr(start, i - start));
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
}

void SetTextArray(TCustomParam& array, const std::vector<std::string>& texts) {
  if (texts.empty()) {
    array.SetCount(1);
    array.SetAsStr("");
    return;
  }
  // More texts than a variable may hold end in the store's element-count error.
  const int32_t count = texts.size() > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(texts.size());
  const std::array<int32_t, 1> sizes{count};
  array.SetDims(sizes);
  for (int32_t i = 0; i < count; ++i) array.SetStr(i, texts[static_cast<size_t>(i)]);
}

bool DiskPathToScript(std::string_view utf8_path, std::string& cp932_path) {
  std::string converted;
  if (!TryUtf8ToCp932(utf8_path, converted)) return false;
  for (size_t i = 0; i < converted.size(); i += CharLength(converted, i)) {
    if (converted[i] == '/') converted[i] = '\\';
  }
  cp932_path = std::move(converted);
  return true;
}

bool ScriptPathToDisk(std::string_view cp932_path, std::string& utf8_path) {
  std::string slashed(cp932_path);
  for (size_t i = 0; i < slashed.size(); i += CharLength(slashed, i)) {
    if (slashed[i] == '\\') slashed[i] = '/';
  }
  return TryCp932ToUtf8(slashed, utf8_path) && utf8_path.find('\0') == std::string::npos;
}

bool HasPrefixNoCase(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() && EqualsNoCase(name.substr(0, prefix.size()), prefix);
}

}  // namespace orvo
