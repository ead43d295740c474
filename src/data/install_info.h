#pragma once
// The install descriptor "install.dat" that the installer leaves beside the
// game data. The player uses four of its fields; the others are kept as read
// so that a descriptor written back is the same apart from what we change.
#include <cstdint>
#include <string>
#include <vector>

#include "base/stream.h"

namespace orvo {

constexpr int32_t kInstallVersion = 108;

struct TInstallInfo {
  int32_t version = kInstallVersion;  // the three digits after "is"; 0 without magic
  int32_t disc_number = 0;
  std::string title;  // compared with the project's title
  bool installed_locally = false;
  std::vector<std::string> installed_files;  // names the game added; empty names dropped

  // Fields of the installer that the player does not interpret, in file order.
  struct TOpaque {
    std::vector<std::string> strings;
    std::vector<uint8_t> bytes;
    std::vector<int64_t> values;
    std::vector<std::vector<int64_t>> items;  // four values each
    std::vector<std::string> extra_list;
  } other;
};

// Reads a descriptor from the stream's position; damaged data raises EOrvoError.
TInstallInfo ReadInstallInfo(TStream& stream);
TInstallInfo ReadInstallInfoFile(const std::string& path);
// Writes the same fields in the same order with the info's version.
void WriteInstallInfo(TStream& stream, const TInstallInfo& info);

}  // namespace orvo
