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
#include "base/files.h"
#include "base/random.h"
#include "data/mount.h"
#include "kit.h"
#include "tables/db_manager.h"
#include "tables/table_functions.h"
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

// A table file: the status section followed by the game section, as saves hold them.
bool ReadTableFile(const std::string& path, TDBManager& tables) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    std::fprintf(stderr, "orvokit eval: cannot read the table file %s\n", path.c_str());
    return false;
  }
  try {
    TMemoryStream stream(bytes);
    TBinaryReader reader(stream);
    tables.LoadTables(reader, 1);
    tables.LoadTables(reader, 0);
  } catch (const EOrvoError& failure) {
    std::fprintf(stderr, "orvokit eval: the table file %s does not read: %s\n", path.c_str(), failure.what());
    return false;
  }
  return true;
}

bool WriteTableFile(const std::string& path, TDBManager& tables) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  tables.SaveTables(writer, 1);
  tables.SaveTables(writer, 0);
  try {
    const std::vector<uint8_t>& bytes = stream.Bytes();
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const EOrvoError& failure) {
    std::fprintf(stderr, "orvokit eval: cannot write the table file %s: %s\n", path.c_str(), failure.what());
    return false;
  }
  return true;
}

int RunEval(const std::vector<std::string>& args) {
  TEvalHost host;
  TProcessRandom random;
  random.Seed(TimeOfDaySeed());
  bool dump = false;
  std::vector<std::string> variables;
  std::vector<std::string> expressions;
  std::string game_folder;
  std::string tables_in;
  std::string tables_out;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "--dump") {
      dump = true;
    } else if (options && (arg == "--game" || arg == "--tables-in" || arg == "--tables-out")) {
      if (i + 1 >= args.size()) return UsageError(kName, arg + " needs a value");
      std::string& target = arg == "--game" ? game_folder : arg == "--tables-in" ? tables_in : tables_out;
      target = args[++i];
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

  TVrFileManager files;
  if (!game_folder.empty()) {
    try {
      MountGameData(files, {ProgramPath("orvokit"), {game_folder}});
    } catch (const EOrvoError& failure) {
      std::fprintf(stderr, "orvokit eval: cannot mount %s: %s\n", game_folder.c_str(), failure.what());
      return 1;
    }
  }
  // One empty store for the whole run, shared by every expression.
  TDBManager tables;
  if (!tables_in.empty() && !ReadTableFile(tables_in, tables)) return 1;
  TExprEngine engine(host, random);
  RegisterTableFunctions(engine.Functions(), TTableFunctionServices(tables, files));
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
  if (!tables_out.empty() && !WriteTableFile(tables_out, tables)) return 1;
  return 0;
}

const bool registered =
    RegisterCommand({kName,
                     "[--var NAME[SIZES]:TYPE[=VALUE]]... [--dump] [--seed N] [--game DIR] [--tables-in FILE] "
                     "[--tables-out FILE] [--] EXPR...",
                     "compile and run script expressions, printing each value as TYPE<TAB>VALUE", RunEval});

}  // namespace
}  // namespace orvo::kit
