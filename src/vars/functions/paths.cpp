// Path strings: backslash paths of game data, searched by characters.
#include "base/cp932.h"
#include "vars/functions/sys_func.h"

namespace orvo {

namespace {

// Byte index of the last single-byte character of text that is in set, or npos.
size_t LastDelimiter(std::string_view text, std::string_view set) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (CharLength(text, i) == 1 && set.find(text[i]) != std::string_view::npos) found = i;
  }
  return found;
}

// True when the 1-based byte index holds a single-byte character that is in set.
bool IsDelimiterAt(std::string_view set, std::string_view text, int32_t index) {
  if (index < 1 || static_cast<size_t>(index) > text.size()) return false;
  size_t at = static_cast<size_t>(index - 1);
  if (!IsCharStart(text, at) || IsLeadByte(static_cast<uint8_t>(text[at]))) return false;
  return set.find(text[at]) != std::string_view::npos;
}

std::string ExtractFileExt(std::string_view path) {
  size_t at = LastDelimiter(path, ".\\:");
  return (at != std::string_view::npos && path[at] == '.') ? std::string(path.substr(at)) : std::string();
}

}  // namespace

void RegisterPathFunctions(TSysFuncMan& functions) {
  functions.Register(75, [](TFunctionCall& call) {
    std::string path = call.Str(0);
    size_t at = LastDelimiter(path, "\\:");
    call.Result().SetAsStr(at == std::string::npos ? std::string() : path.substr(0, at + 1));
  });
  functions.Register(76, [](TFunctionCall& call) {
    std::string path = call.Str(0);
    size_t at = LastDelimiter(path, "\\:");
    call.Result().SetAsStr(at == std::string::npos ? path : path.substr(at + 1));
  });
  functions.Register(77, [](TFunctionCall& call) { call.Result().SetAsStr(ExtractFileExt(call.Str(0))); });
  functions.Register(
      78, [](TFunctionCall& call) { call.Result().SetAsBool(IsDelimiterAt("\\", call.Str(0), call.Int(1))); });
  functions.Register(79, [](TFunctionCall& call) {
    std::string path = call.Str(0);
    if (!IsDelimiterAt("\\", path, static_cast<int32_t>(path.size()))) path += '\\';
    call.Result().SetAsStr(path);
  });
  functions.Register(80, [](TFunctionCall& call) {
    std::string path = call.Str(0);
    size_t at = LastDelimiter(path, ".\\:");
    if (at == std::string::npos || path[at] != '.') at = path.size();
    call.Result().SetAsStr(path.substr(0, at) + call.Str(1));
  });
  functions.Register(
      81, [](TFunctionCall& call) { call.Result().SetAsBool(IsDelimiterAt(call.Str(0), call.Str(1), call.Int(2))); });
}

}  // namespace orvo
