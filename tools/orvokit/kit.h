#pragma once
// orvokit: every subcommand lives in a file of its own and registers itself
// here, so that new subcommands need no edit of a shared list.
#include <string>
#include <vector>

namespace orvo::kit {

struct TCommandInfo {
  const char* name;     // first word on the command line ("pack", "project" ...)
  const char* usage;    // one line: arguments and options
  const char* summary;  // one line: what it does
  // args: the words after the subcommand name. Returns the exit status:
  // 0 done, 1 failed (message printed), 2 wrong usage.
  int (*run)(const std::vector<std::string>& args);
};

// Called from a static initialiser in each subcommand file.
bool RegisterCommand(const TCommandInfo& info);

// Prints "orvokit NAME USAGE" to stderr and returns 2, for wrong arguments.
int UsageError(const char* name, const std::string& problem = {});

int Main(int argc, char** argv);

// An option's whole text as an integer in [low, high]; base 0 also takes
// hexadecimal after 0x (as C writes it).
bool ParseInteger(const std::string& text, long long low, long long high, long long& value, int base = 10);

// The install descriptor "install.dat" of a game that runs where it lies
// (installed locally), titled from the game's settings file ("orvo.opb"
// bytes; an empty title without them). Returns the title too (CP932).
std::string LocalInstallDescriptor(const std::string& settings_bytes, std::string* title = nullptr);

}  // namespace orvo::kit
