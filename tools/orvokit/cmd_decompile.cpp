// orvokit decompile: any page file back to source.
#include <cstdio>
#include <filesystem>
#include <map>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "kit.h"
#include "script/lang/decompiler.h"

namespace orvo::kit {
namespace {

namespace fs = std::filesystem;

int RunDecompile(const std::vector<std::string>& args) {
  std::string input, output, name;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size())
      output = args[++i];
    else if (args[i] == "--name" && i + 1 < args.size())
      name = args[++i];
    else if (!args[i].empty() && args[i][0] == '-')
      return UsageError("decompile", "unknown option " + args[i]);
    else if (input.empty())
      input = args[i];
    else
      return UsageError("decompile", "one page only");
  }
  if (input.empty()) return UsageError("decompile");
  if (name.empty()) name = fs::path(input).filename().string();
  std::string bytes;
  if (!ReadWholeFile(input, bytes)) throw EOrvoError("cannot read " + input);
  TPage page;
  page.Load(Utf8ToCp932(name), bytes);
  fs::path root = fs::path(input).parent_path();
  std::map<std::string, TPage> others;
  TDecompileOptions options;
  options.page_name = Utf8ToCp932(name);
  options.find_page = [&](const std::string& other) -> const TPage* {
    auto found = others.find(other);
    if (found != others.end()) return found->second.Count() ? &found->second : nullptr;
    std::string relative = Cp932ToUtf8(other);
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    std::string data;
    TPage& loaded = others[other];
    try {
      if (ReadWholeFile((root / relative).string(), data)) loaded.Load(other, data);
    } catch (const EOrvoError&) {
    }
    return loaded.Count() ? &loaded : nullptr;
  };
  std::string source = DecompilePage(page, options);
  if (output.empty())
    std::fwrite(source.data(), 1, source.size(), stdout);
  else
    WriteFileAtomically(output, source);
  return 0;
}

const bool registered =
    RegisterCommand({"decompile", "PAGE.osb [-o PAGE.src] [--name GAME_NAME]",
                     "write a page file back as source that compiles to the same bytes", RunDecompile});

}  // namespace
}  // namespace orvo::kit
