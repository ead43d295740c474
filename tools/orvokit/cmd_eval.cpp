// orvokit eval: the authors' calculator for the script language. Declares
// variables, compiles and runs each expression against one store and prints
// the value of each, optionally with its compiled instructions.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/error.h"
#include "base/random.h"
#include "kit.h"
#include "vars/compiler.h"
#include "vars/convert.h"
#include "vars/engine.h"
#include "vars/listing.h"
#include "vars/parser.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "eval";

// The host of a calculator: the real date and time, no game.
class TEvalHost : public THeadlessSystemHost {
 public:
  TLocalTime LocalNow() const override { return SystemLocalTime(); }
  int32_t SystemMilliseconds() const override {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
};

std::string ToCp932(const std::string& utf8) {
  std::string out;
  if (!TryUtf8ToCp932(utf8, out)) throw EOrvoError("text not representable in CP932: " + utf8);
  return out;
}

// NAME[:TYPE][=VALUE] with NAME optionally followed by [SIZE,...].
bool Declare(TParamCollection& store, const std::string& declaration, std::string& problem) {
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
  TParamCollectionItem& item = store.CreateVariable(ToCp932(name), kind, TVarScope::Global);
  if (!sizes.empty()) item.Value().SetDims(sizes);
  if (equals != std::string::npos) {
    std::string value = ToCp932(declaration.substr(equals + 1));
    for (int32_t i = 0; i < item.Value().Count(); ++i) item.Value().SetStr(i, value);
  }
  return true;
}

std::string Describe(const TCustomParam* value) {
  if (!value) return "none";
  static const char* const kKinds[] = {"none", "int", "float", "bool", "str"};
  std::string text = kKinds[value->ParamType()];
  text += '\t';
  text += Cp932ToUtf8(value->GetAsStr());
  return text;
}

int RunEval(const std::vector<std::string>& args) {
  TEvalHost host;
  TProcessRandom random;
  random.Seed(TimeOfDaySeed());
  bool dump = false;
  std::vector<std::string> variables;
  std::vector<std::string> expressions;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "--dump") {
      dump = true;
    } else if (options && (arg == "--var" || arg == "--seed")) {
      if (i + 1 >= args.size()) return UsageError(kName, arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--var") {
        variables.push_back(value);
        continue;
      }
      int32_t seed = 0;
      if (!TryTextToInt(value, seed)) return UsageError(kName, "bad seed '" + value + "'");
      random.Seed(static_cast<uint32_t>(seed));
    } else {
      expressions.push_back(arg);
    }
  }
  if (expressions.empty()) return UsageError(kName, "no expression");

  TExprEngine engine(host, random);
  for (const std::string& declaration : variables) {
    std::string problem;
    if (!Declare(engine.Store(), declaration, problem)) return UsageError(kName, problem);
  }
  for (const std::string& expression : expressions) {
    TOrvoParser parser;
    // Compile errors ("構文エラー" and the others) end the tool with status 1.
    parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes(TrimText(ToCp932(expression))));
    if (dump) std::fputs(Cp932ToUtf8(ListInstructions(parser)).c_str(), stdout);
    parser.Execute(engine);
    std::printf("%s\n", Describe(parser.Result()).c_str());
    // Results and messages stay in order when both go to one pipe.
    std::fflush(stdout);
    if (!parser.LastError().empty()) {
      std::fprintf(stderr, "orvokit eval: the run stopped: %s\n", Cp932ToUtf8(parser.LastError()).c_str());
    }
  }
  return 0;
}

const bool registered =
    RegisterCommand({kName, "[--var NAME[SIZES]:TYPE[=VALUE]]... [--dump] [--seed N] [--] EXPR...",
                     "compile and run script expressions, printing each value as TYPE<TAB>VALUE", RunEval});

}  // namespace
}  // namespace orvo::kit
