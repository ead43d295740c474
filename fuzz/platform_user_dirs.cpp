// The user-folder settings file (user-dirs.dirs) from untrusted bytes: every
// answer is an absolute folder, whatever the text holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/desktop.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const char* key : {"DESKTOP", "DOCUMENTS", "MUSIC"}) {
    const std::string folder = orvo::XdgUserFolder(text, key, "/home/u");
    if (folder.empty() || folder[0] != '/') std::abort();
  }
  return 0;
}
