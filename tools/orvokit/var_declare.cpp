#include "var_declare.h"

#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/error.h"
#include "vars/convert.h"
#include "vars/param.h"

namespace orvo::kit {

std::string ArgumentToCp932(const std::string& utf8) {
  std::string out;
  if (!TryUtf8ToCp932(utf8, out)) throw EOrvoError("text not representable in CP932: " + utf8);
  return out;
}

bool DeclareVariable(TParamCollection& store, const std::string& declaration, std::string& problem) {
  size_t equals = declaration.find('=');
  std::string head = declaration.substr(0, equals);
  size_t colon = head.rfind(':');
  if (colon == std::string::npos) {
    problem = "--var needs NAME:TYPE, got '" + declaration + "'";
    return false;
  }
  std::string name = head.substr(0, colon);
  std::string type = head.substr(colon + 1);
  static const std::pair<const char*, int> kTypes[] = {
      {"int", PT_INT}, {"float", PT_FLOAT}, {"bool", PT_BOOL}, {"str", PT_STR}};
  int kind = -1;
  for (const auto& [type_name, code] : kTypes) {
    if (type == type_name) kind = code;
  }
  if (kind < 0) {
    problem = "unknown type '" + type + "' (int, float, bool or str)";
    return false;
  }
  std::vector<int32_t> sizes;
  size_t bracket = name.find('[');
  if (bracket != std::string::npos) {
    if (name.back() != ']') {
      problem = "bad array size in '" + declaration + "'";
      return false;
    }
    std::string list = name.substr(bracket + 1, name.size() - bracket - 2);
    for (size_t start = 0; start <= list.size();) {
      size_t comma = list.find(',', start);
      if (comma == std::string::npos) comma = list.size();
      int32_t size = 0;
      if (!TryTextToInt(TrimText(list.substr(start, comma - start)), size)) {
        problem = "bad array size in '" + declaration + "'";
        return false;
      }
      sizes.push_back(size);
      start = comma + 1;
    }
    name = name.substr(0, bracket);
  }
  TParamCollectionItem& item = store.CreateVariable(ArgumentToCp932(name), kind, TVarScope::Global);
  if (!sizes.empty()) item.Value().SetDims(sizes);
  if (equals != std::string::npos) {
    std::string value = ArgumentToCp932(declaration.substr(equals + 1));
    for (int32_t i = 0; i < item.Value().Count(); ++i) item.Value().SetStr(i, value);
  }
  return true;
}

}  // namespace orvo::kit
