// The install descriptor from untrusted bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "data/install_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::TMemoryStream stream{std::string_view(reinterpret_cast<const char*>(data), size)};
  try {
    orvo::TInstallInfo info = orvo::ReadInstallInfo(stream);
    orvo::TMemoryStream out;
    orvo::WriteInstallInfo(out, info);
  } catch (const orvo::EOrvoError&) {
  }
  return 0;
}
