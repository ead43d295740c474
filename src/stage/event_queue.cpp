#include "stage/event_queue.h"

#include <algorithm>

namespace orvo {

void TTimerList::PostEvent(TObjectHandle owner, std::string handler, std::vector<std::string> args, int32_t code) {
  TScriptEvent event;
  event.handler = std::move(handler);
  event.owner = owner;
  event.code = code;
  event.args = std::move(args);
  events_.push_back(std::move(event));
}

int32_t TTimerList::FindEvent(TObjectHandle owner, int32_t code) const {
  for (size_t i = 0; i < events_.size(); ++i) {
    if (events_[i].owner == owner && events_[i].code == code) return static_cast<int32_t>(i);
  }
  return -1;
}

void TTimerList::DropWaitingEventsOf(TObjectHandle owner) {
  std::erase_if(events_, [owner](const TScriptEvent& event) { return event.owner == owner && event.level == 0; });
}

TScriptEvent* TTimerList::NextWaitingEvent() {
  for (TScriptEvent& event : events_) {
    if (event.level == 0) return &event;
  }
  return nullptr;
}

void TTimerList::DropEventsOfLevel(int32_t level) {
  std::erase_if(events_, [level](const TScriptEvent& event) { return event.level == level; });
}

void TTimerList::DropStartedEvents() {
  std::erase_if(events_, [](const TScriptEvent& event) { return event.level != 0; });
}

void TTimerList::Drop(const TScriptEvent& event) {
  std::erase_if(events_, [&event](const TScriptEvent& queued) { return &queued == &event; });
}

}  // namespace orvo
