// orvokit text: the authors' check of message text. Builds the glyph list of
// markup (or loads a stored glyph stream), optionally shows variables, and
// prints the glyphs and shared records or writes the newest stream.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/random.h"
#include "base/stream.h"
#include "kit.h"
#include "text/glyph_dump.h"
#include "text/kw_word.h"
#include "text/markup.h"
#include "text/markup_writer.h"
#include "text_layout.h"
#include "var_declare.h"
#include "vars/convert.h"
#include "vars/engine.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "text";

struct TTextOptions {
  bool dump = false;
  bool stream = false;
  bool utf8 = false;
  int32_t text_delay = kDefaultTextDelay;
  std::vector<std::string> variables;
  std::vector<std::string> frozen;
  int expand = 0;  // 0 none, 1 without history variables, 2 with them
  bool collapse = false;
  std::string output;
  std::string input;
};

bool ReadInput(const std::string& path, std::string& bytes) {
  if (path == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return !std::cin.bad();
  }
  return ReadWholeFile(path, bytes);
}

int Parse(const std::vector<std::string>& args, TTextOptions& options) {
  if (args.empty()) return UsageError(kName, "dump, stream, layout, reveal or render?");
  options.dump = args[0] == "dump";
  if (!options.dump && args[0] != "stream") return UsageError(kName, "unknown action '" + args[0] + "'");
  bool have_input = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string text;
    if (arg == "--stream") {
      options.stream = true;
    } else if (arg == "--utf8") {
      options.utf8 = true;
    } else if (arg == "--text-delay") {
      if (!value(text) || !TryTextToInt(text, options.text_delay)) return UsageError(kName, "--text-delay needs MS");
    } else if (options.dump && arg == "--var") {
      if (!value(text)) return UsageError(kName, "--var needs NAME:TYPE=VALUE");
      options.variables.push_back(text);
    } else if (options.dump && arg == "--frozen") {
      if (!value(text) || text.find('=') == std::string::npos) return UsageError(kName, "--frozen needs NAME=VALUE");
      options.frozen.push_back(text);
    } else if (options.dump && (arg == "--expand" || arg == "--expand-all")) {
      int mode = arg == "--expand" ? 1 : 2;
      if (options.expand != 0 && options.expand != mode) return UsageError(kName, "--expand or --expand-all, not both");
      options.expand = mode;
    } else if (options.dump && arg == "--collapse") {
      options.collapse = true;
    } else if (!options.dump && arg == "-o") {
      if (!value(options.output)) return UsageError(kName, "-o needs a file");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(kName, "unknown option '" + arg + "'");
    } else {
      if (have_input) return UsageError(kName, "one input only");
      options.input = arg;
      have_input = true;
    }
  }
  if (!have_input) return UsageError(kName, "no input (FILE or -)");
  return 0;
}

std::string LowerHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

int RunText(const std::vector<std::string>& args) {
  if (!args.empty() && IsTextLayoutAction(args[0])) return RunTextLayout(args);
  TTextOptions options;
  if (int status = Parse(args, options)) return status;

  THeadlessSystemHost host;
  TProcessRandom random;
  random.Seed(1);
  TExprEngine engine(host, random);
  engine.Store().SetTextDelay(options.text_delay);
  for (const std::string& declaration : options.variables) {
    std::string problem;
    if (!DeclareVariable(engine.Store(), declaration, problem)) return UsageError(kName, problem);
  }
  std::vector<std::string> frozen;
  for (const std::string& line : options.frozen) frozen.push_back(ArgumentToCp932(line));

  std::string bytes;
  if (!ReadInput(options.input, bytes)) {
    std::fprintf(stderr, "orvokit text: cannot read %s\n", options.input.c_str());
    return 1;
  }
  TKwWord document;
  document.engine = &engine;
  std::string failure;
  if (options.stream) {
    try {
      TMemoryStream stream(bytes);
      document.LoadGlyphs(stream);
    } catch (const EOrvoError& error) {
      std::fprintf(stderr, "orvokit text: the stream does not load: %s\n", error.what());
      return 1;
    }
  } else {
    if (options.utf8) {
      std::string cp932;
      if (!TryUtf8ToCp932(bytes, cp932)) {
        std::fprintf(stderr, "orvokit text: the input is not UTF-8 text that CP932 can hold\n");
        return 1;
      }
      bytes = std::move(cp932);
    }
    try {
      document.BuildFromMarkup(SplitMarkupLines(bytes));
    } catch (const EOrvoError& error) {
      failure = error.what();
    }
  }
  if (!failure.empty() && !options.dump) {
    std::fprintf(stderr, "orvokit text: %s\n", failure.c_str());
    return 1;
  }
  if (failure.empty()) {
    document.frozen_values = frozen;
    if (options.expand) {
      document.ExpandVars(0, -1, options.expand == 2 ? THistoryVars::Include : THistoryVars::Skip);
    }
    if (options.collapse) document.CollapseVars(0, -1);
  }
  if (options.dump) {
    std::fputs(DumpDocument(document).c_str(), stdout);
    std::fflush(stdout);
    if (!failure.empty()) {
      std::fprintf(stderr, "orvokit text: %s\n", failure.c_str());
      return 1;
    }
    return 0;
  }
  std::string stream_bytes = document.GlyphStreamBytes();
  if (!options.output.empty()) {
    WriteFileAtomically(options.output, stream_bytes);
  } else {
    std::printf("%s\n", LowerHex(stream_bytes).c_str());
  }
  return 0;
}

const bool registered = RegisterCommand(
    {kName,
     "dump [--stream] [--utf8] [--text-delay MS] [--var NAME:TYPE=VALUE]... [--frozen NAME=VALUE]... "
     "[--expand | --expand-all] [--collapse] FILE|-  |  stream [--stream] [--utf8] [--text-delay MS] [-o OUT] FILE|-  "
     "|  "
     "layout|reveal|render (input options of dump) --width W --height H [--font-size S] [--face NAME] "
     "[--line-space N] [--pad-left N] [--pad-right N] [--border N] [--shadow N] [--no-paging] [--key NAME] "
     "[--picture NAME=WxH]... [--game DIR] [--font FILE.oft]... [--measured] "
     "(reveal: [--page N] [--speed RATE] [--fade MS] [--notify] --deltas LIST; "
     "render: [--page N] [--scroll Y] [--color C] [--link-color C] [--background C] -o OUT.png) FILE|-",
     "build message markup (or load a glyph stream) and print its glyphs and records, or write its stream", RunText});

}  // namespace
}  // namespace orvo::kit
