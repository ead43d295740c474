// orvokit compile: one page source to a page file.
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "kit.h"
#include "script/lang/source_compiler.h"

namespace orvo::kit {
namespace {

namespace fs = std::filesystem;

// The file on disk of a page name beside root: '\' to '/', CP932 to UTF-8.
fs::path PagePath(const fs::path& root, const std::string& page, const char* extension) {
  std::string relative = Cp932ToUtf8(page);
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  return (root / relative).replace_extension(extension);
}

int RunCompile(const std::vector<std::string>& args) {
  std::string input, output, name;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size())
      output = args[++i];
    else if (args[i] == "--name" && i + 1 < args.size())
      name = args[++i];
    else if (!args[i].empty() && args[i][0] == '-')
      return UsageError("compile", "unknown option " + args[i]);
    else if (input.empty())
      input = args[i];
    else
      return UsageError("compile", "one source only");
  }
  if (input.empty()) return UsageError("compile");
  if (output.empty()) output = fs::path(input).replace_extension(".osb").string();
  if (name.empty()) name = fs::path(output).filename().string();
  std::string source;
  if (!ReadWholeFile(input, source)) throw EOrvoError("cannot read " + input);
  fs::path root = fs::path(input).parent_path();
  // Labels of other pages come from their sources beside this one, else from their page files.
  std::map<std::string, std::unique_ptr<TPageCompiler>> others;
  TCompileOptions options;
  options.file = input;
  options.page_name = Utf8ToCp932(name);
  options.find_label = [&](const std::string& page, const std::string& label) -> std::optional<int> {
    int index = -1;
    fs::path other_source = PagePath(root, page, ".src");
    fs::path other_page = PagePath(root, page, ".osb");
    std::string text;
    if (ReadWholeFile(other_source.string(), text)) {
      auto& compiler = others[page];
      if (!compiler) {
        TCompileOptions other_options;
        other_options.file = other_source.string();
        other_options.page_name = page;
        compiler = std::make_unique<TPageCompiler>(other_options);
        compiler->Parse(text);
      }
      index = compiler->FindLabel(label);
    } else if (ReadWholeFile(other_page.string(), text)) {
      TPage other;
      other.Load(page, text);
      index = other.FindLabel(label);
    }
    if (index < 0) return std::nullopt;
    return index;
  };
  WriteFileAtomically(output, CompilePageSource(source, options));
  return 0;
}

const bool registered = RegisterCommand(
    {"compile", "PAGE.src [-o PAGE.osb] [--name GAME_NAME]",
     "compile a page source; labels of other pages are read from their sources or pages beside it", RunCompile});

}  // namespace
}  // namespace orvo::kit
