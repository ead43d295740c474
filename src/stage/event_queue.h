#pragma once
// The stage's event queue: script events waiting for the interpreter and
// those whose handlers run. Owners are handles, so an event never reaches a
// deleted object.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "script/script_services.h"

namespace orvo {

// Event codes are the ids of the properties that hold the handlers.
enum TEventCode : int32_t {
  ecNotify = 33,
  ecMouseMove = 34,
  ecMouseOut = 35,
  ecLButtonDown = 36,
  ecLButtonUp = 37,
  ecRButtonDown = 38,
  ecRButtonUp = 39,
  ecWheelDown = 40,
  ecWheelUp = 41,
  ecPlayEnd = 43,
  ecSelect = 72,
  ecMouseIn = 103,
  ecMapIn = 104,
  ecMapOut = 105,
  ecIdle = 113,
  ecKeyDown = 144,
  ecKeyUp = 145,
  ecKeyRepeat = 146,
  ecFocusIn = 148,
  ecFocusOut = 149,
};

class TTimerList : public IEventQueue {
 public:
  // Appends a waiting event.
  void PostEvent(TObjectHandle owner, std::string handler, std::vector<std::string> args, int32_t code);
  // Index of the first event of that owner and code, waiting or running; -1 when none.
  int32_t FindEvent(TObjectHandle owner, int32_t code) const;
  bool HasEvent(TObjectHandle owner, int32_t code) const { return FindEvent(owner, code) >= 0; }
  // Removes the waiting events of an owner (deleted components, reset timers).
  void DropWaitingEventsOf(TObjectHandle owner);

  size_t Count() const { return events_.size(); }
  const std::deque<TScriptEvent>& Entries() const { return events_; }
  // Appends an event as a save holds it (its level kept).
  void Restore(TScriptEvent event) { events_.push_back(std::move(event)); }

  TScriptEvent* NextWaitingEvent() override;
  void DropEventsOfLevel(int32_t level) override;
  void DropStartedEvents() override;
  void Drop(const TScriptEvent& event) override;
  void Clear() override { events_.clear(); }

 private:
  std::deque<TScriptEvent> events_;
};

}  // namespace orvo
