#include "script/variable_dump.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "base/cp932.h"
#include "vars/store.h"

namespace orvo {

namespace {

// Tabs, line breaks and backslashes would break the line format.
std::string Escape(const std::string& cp932) {
  std::string out;
  for (size_t i = 0; i < cp932.size();) {
    size_t length = CharLength(cp932, i);
    char c = cp932[i];
    if (length == 1 && (c == '\t' || c == '\n' || c == '\r' || c == '\\')) {
      out += '\\';
      out += c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\';
    } else {
      out.append(cp932, i, length);
    }
    i += length;
  }
  return Cp932ToUtf8(out);
}

}  // namespace

std::string FormatVariableDump(const TParamCollection& store) {
  static const char* kScopes[] = {"global", "auto", "local", "status"};
  static const char* kTypes[] = {"ref", "int", "float", "bool", "str"};
  std::vector<std::tuple<int, std::string, std::string>> lines;
  for (size_t i = 0; i < store.Count(); ++i) {
    const TParamCollectionItem& item = store.At(i);
    if (item.IsSystem() || item.Name().empty() || item.Name()[0] == '\x01') continue;
    int scope = item.IsStatus() ? 3 : item.local ? 2 : item.owner >= 0 ? 1 : 0;
    const TCustomParam& value = item.Value();
    std::string text;
    for (int32_t e = 0; e < value.Count(); ++e) {
      if (e) text += ',';
      text += value.GetStr(e);
    }
    int kind = value.ParamType() <= PT_STR ? value.ParamType() : 0;
    std::string line = kScopes[scope];
    line += '\t';
    line += Escape(item.Name());
    line += '\t';
    line += kTypes[kind];
    line += '\t';
    line += Escape(text);
    line += '\n';
    lines.emplace_back(scope, item.Name(), std::move(line));
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const auto& entry : lines) out += std::get<2>(entry);
  return out;
}

}  // namespace orvo
