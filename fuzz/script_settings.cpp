// Project settings files from untrusted game data.
#include <cstddef>
#include <cstdint>

#include "base/error.h"
#include "base/stream.h"
#include "script/project_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::TSpanStream stream(data, size);
  try {
    orvo::ReadProjectSettings(stream);
  } catch (const orvo::EOrvoError&) {
  }
  return 0;
}
