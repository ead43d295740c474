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
#include "var_declare.h"
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
    if (!DeclareVariable(engine.Store(), declaration, problem)) return UsageError(kName, problem);
  }
  for (const std::string& expression : expressions) {
    TOrvoParser parser;
    // Compile errors ("構文エラー" and the others) end the tool with status 1.
    parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes(TrimText(ArgumentToCp932(expression))));
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
