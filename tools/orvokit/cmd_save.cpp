// orvokit save: what a game's save file holds.
#include <cstdio>
#include <string>
#include <vector>

#include "base/error.h"
#include "kit.h"
#include "save/save_listing.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "save";

int Run(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0] != "list") return UsageError(kName);
  try {
    std::fputs(ListSaveFile(args[1]).c_str(), stdout);
  } catch (const EOrvoError& failure) {
    std::fprintf(stderr, "orvokit save: %s\n", failure.what());
    return 1;
  }
  return 0;
}

const bool kRegistered = RegisterCommand(
    {kName, "list SAVE.dat", "list a save file's status data, slots (version, title) and \"save:\" files", Run});

}  // namespace
}  // namespace orvo::kit
