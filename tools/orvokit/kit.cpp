#include "kit.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <string>

namespace orvo::kit {

namespace {
std::map<std::string, TCommandInfo>& Commands() {
  static std::map<std::string, TCommandInfo> commands;
  return commands;
}

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: orvokit COMMAND [ARGS...]\n\ncommands:\n");
  for (const auto& [name, info] : Commands()) std::fprintf(out, "  %-8s %s\n", name.c_str(), info.summary);
  std::fprintf(out, "\n'orvokit COMMAND --help' shows the arguments of one command.\n");
}
}  // namespace

bool RegisterCommand(const TCommandInfo& info) {
  Commands()[info.name] = info;
  return true;
}

int UsageError(const char* name, const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "orvokit %s: %s\n", name, problem.c_str());
  auto found = Commands().find(name);
  if (found != Commands().end()) std::fprintf(stderr, "usage: orvokit %s %s\n", name, found->second.usage);
  return 2;
}

int Main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  auto found = Commands().find(argv[1]);
  if (found == Commands().end()) {
    std::fprintf(stderr, "orvokit: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return 2;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::printf("usage: orvokit %s %s\n%s\n", found->first.c_str(), found->second.usage, found->second.summary);
    return 0;
  }
  try {
    return found->second.run(args);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "orvokit %s: %s\n", argv[1], error.what());
    return 1;
  }
}

bool ParseInteger(const std::string& text, long long low, long long high, long long& value, int base) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, base);
  return errno == 0 && *end == '\0' && value >= low && value <= high;
}

}  // namespace orvo::kit
