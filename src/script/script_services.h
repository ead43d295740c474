#pragma once
// What the interpreter needs from the subsystems above it: the stage's event
// queue and objects, resets, and the main window. Each has a neutral default
// so that pages run before the stage exists (tests give their own).
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

class IPageSource;
class IStageCommands;
class TExprEngine;

// A stage object as the interpreter remembers it: 0 is none. The stage hands
// out handles that never name a deleted object again.
using TObjectHandle = uint64_t;

// One queued stage event (a timer, a click ...): its handler page runs as a
// nested call.
struct TScriptEvent {
  // Page name, optionally followed by ":" and a label.
  std::string handler;
  TObjectHandle owner = 0;
  int32_t code = 0;
  // 0 while waiting; the event level of the handler once dispatched.
  int32_t level = 0;
  std::vector<std::string> args;
};

class IEventQueue {
 public:
  virtual ~IEventQueue() = default;
  // The oldest event whose level is 0, or null.
  virtual TScriptEvent* NextWaitingEvent() = 0;
  // Removes every event of that level.
  virtual void DropEventsOfLevel(int32_t level) = 0;
  // Removes every event whose level is not 0.
  virtual void DropStartedEvents() = 0;
  // Removes this one event (its handler page does not exist).
  virtual void Drop(const TScriptEvent& event) = 0;
  // Removes every event.
  virtual void Clear() = 0;
};

// A plain first-in first-out queue: the interpreter's own until the stage
// brings its queue, and the queue of tests.
class TEventQueue : public IEventQueue {
 public:
  void Post(TScriptEvent event) { events_.push_back(std::move(event)); }
  size_t Size() const { return events_.size(); }
  const std::deque<TScriptEvent>& Events() const { return events_; }

  TScriptEvent* NextWaitingEvent() override;
  void DropEventsOfLevel(int32_t level) override;
  void DropStartedEvents() override;
  void Drop(const TScriptEvent& event) override;
  void Clear() override { events_.clear(); }

 private:
  std::deque<TScriptEvent> events_;
};

// The save and history commands as the save subsystem answers them. Saves
// and loads are only requested here; the frame loop performs them.
class ISaveCommands {
 public:
  virtual ~ISaveCommands() = default;
  // The pending save: performed after the next stage update.
  virtual void RequestSave(int32_t slot, const std::string& title, const std::string& resume_page,
                           int32_t resume_index) = 0;
  // The pending load: performed after the next stage update.
  virtual void RequestLoad(int32_t slot) = 0;
  // Every history loses its entries; formats, settings and limits stay.
  virtual void ClearHistories() = 0;
  // The format of that name (made when missing) takes the layout settings of
  // the template object, or all zero when no object has that name.
  virtual void EntryHistory(const std::string& template_object, const std::string& format) = 0;
  // Shows history entries in a message window (start and count as the
  // format's history counts them); nothing when the format or window is missing.
  virtual void CallHistory(const std::string& message, int32_t start, int32_t count, bool packed,
                           const std::string& format) = 0;
};

class IScriptHost {
 public:
  virtual ~IScriptHost() = default;
  // The object's name while it exists on the stage; empty for none or a deleted one.
  virtual std::string ObjectName(TObjectHandle object) const {
    (void)object;
    return {};
  }
  // The object of that name on the stage, or 0.
  virtual TObjectHandle FindObject(std::string_view name) const {
    (void)name;
    return 0;
  }
  // Reset command: the stage drops every object of the game.
  virtual void ResetStage() {}
  // Reset command: the data tables are emptied.
  virtual void ResetTables() {}
  // Reset command: every message-history format goes; the default remains without settings.
  virtual void ClearHistoryFormats() {}
  // Terminate command: the main window is asked to close.
  virtual void RequestClose() {}
  // A warning box (caption "警告"), text in CP932.
  virtual void Warn(const std::string& text) { (void)text; }
  // The game stopped on a failure: an error box (caption "エラー"), text in
  // CP932 naming the page, the line, the command and the message.
  virtual void ReportError(const std::string& text) { (void)text; }
  // The stage of the object and property commands; null while there is none.
  virtual IStageCommands* StageCommands() { return nullptr; }
  // The save and history commands; null while there is no save subsystem.
  virtual ISaveCommands* SaveCommands() { return nullptr; }
  // An interpreter starts: its expressions and the game's files, which the
  // stage also needs (pictures, animation delays), until another one starts.
  virtual void BindInterpreter(TExprEngine* engine, IPageSource* files) {
    (void)engine;
    (void)files;
  }
};

}  // namespace orvo
