#include "script/script_services.h"

#include <algorithm>

namespace orvo {

TScriptEvent* TEventQueue::NextWaitingEvent() {
  for (TScriptEvent& event : events_) {
    if (event.level == 0) return &event;
  }
  return nullptr;
}

void TEventQueue::DropEventsOfLevel(int32_t level) {
  std::erase_if(events_, [level](const TScriptEvent& event) { return event.level == level; });
}

void TEventQueue::DropStartedEvents() {
  std::erase_if(events_, [](const TScriptEvent& event) { return event.level != 0; });
}

void TEventQueue::Drop(const TScriptEvent& event) {
  std::erase_if(events_, [&event](const TScriptEvent& queued) { return &queued == &event; });
}

}  // namespace orvo
