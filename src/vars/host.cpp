#include "vars/host.h"

namespace orvo {

std::string THeadlessSystemHost::Argument(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= arguments.size()) return {};
  return arguments[static_cast<size_t>(index)];
}

void THeadlessSystemHost::RemoveCallFrame(int32_t index) {
  removed_frames.push_back(index);
  if (call_stack_count > 0) --call_stack_count;
}

}  // namespace orvo
