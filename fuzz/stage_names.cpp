// Names that scripts give the file functions, from untrusted bytes: masks
// match in bounded time and the file-name part of a name never climbs out of
// its folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "stage/functions/extract_file.h"
#include "stage/functions/screenshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t split = text.find('\0');
  const std::string_view name = text.substr(0, split);
  const std::string_view mask = split == std::string_view::npos ? std::string_view() : text.substr(split + 1);
  orvo::MatchesMask(name, mask);
  orvo::ScriptFileExtension(name);
  const std::string part = orvo::SafeFileNamePart(name);
  if (part == "." || part == ".." || part.find('/') != std::string::npos) std::abort();
  return 0;
}
