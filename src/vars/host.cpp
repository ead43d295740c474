#include "vars/host.h"

#include <ctime>

namespace orvo {

TLocalTime SystemLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!::localtime_r(&now, &local)) return {};
  return TLocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string THeadlessSystemHost::Argument(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= arguments.size()) return {};
  return arguments[static_cast<size_t>(index)];
}

void THeadlessSystemHost::RemoveCallFrame(int32_t index) {
  removed_frames.push_back(index);
  if (call_stack_count > 0) --call_stack_count;
}

}  // namespace orvo
