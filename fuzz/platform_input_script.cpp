// Input scripts from arbitrary text: a parsed event is always one the player
// can take as it is (keys and axis values in range, pad names known).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<orvo::TTimedInput> events;
  std::string error;
  if (!orvo::ParseInputScript(text, events, error)) {
    if (error.rfind("line ", 0) != 0) std::abort();
    return 0;
  }
  int previous = 0;
  for (const orvo::TTimedInput& timed : events) {
    if (timed.frame < previous) std::abort();
    previous = timed.frame;
    const orvo::TInputEvent& event = timed.event;
    if (event.key < 0 || event.key > 255) std::abort();
    if (event.kind == orvo::TInputKind::PadAxis && (event.x < -32768 || event.x > 32767)) std::abort();
    if ((event.kind == orvo::TInputKind::PadButtonDown || event.kind == orvo::TInputKind::PadAxis) &&
        event.text.empty())
      std::abort();
  }
  return 0;
}
