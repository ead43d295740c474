#pragma once
// The interpreter: runs pages cooperatively inside the frame loop. Each frame
// it executes commands until one yields or waits, and turns queued stage
// events into nested calls of their handler pages.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "base/runtime_state.h"
#include "script/page.h"
#include "script/script_services.h"
#include "vars/param.h"

namespace orvo {

class TExprEngine;

// Where pages come from: the project, over the mounted game data.
class IPageSource {
 public:
  virtual ~IPageSource() = default;
  // True when the game file exists (asking for its disc when it lives on another).
  virtual bool RequireFile(const std::string& name) = 0;
  // The whole file; raises when it cannot be read.
  virtual std::string LoadFile(const std::string& name) = 0;
  // The identification code of the game's protected pictures (0 for none).
  virtual int32_t ImageCode() const { return 0; }
};

// One frame of the call stack: a pending call or an interrupted context.
struct TStack {
  std::string page_name;
  int32_t program_counter = 0;
  bool started = false;
  bool running = false;
  std::string result_variable;
  std::vector<std::string> arguments;
  TObjectHandle event_sender = 0;
  // The waiting command's progress (its SaveState record); empty for none.
  std::string saved_state;
  // The called page's result (@Result writes here); null for none.
  std::unique_ptr<TCustomParam> return_value;

  TStack() = default;
  TStack(TStack&&) noexcept = default;
  TStack& operator=(TStack&&) noexcept = default;
  TStack Copy() const;
};

// Event modes of the frame loop.
enum TEventMode : int32_t { emMain = 0, emHandler = 1, emHandlerWaits = 2, emNested = 3 };

class TCallMan {
 public:
  // The page cache holds this many pages.
  static constexpr size_t kPageCacheSize = 30;
  // Calls nested deeper than this raise "スタックエラー": a page that calls
  // itself without end would otherwise take memory until the process dies.
  static constexpr size_t kMaxStackDepth = 10000;

  TCallMan(TRuntimeState& state, TExprEngine& engine, IPageSource& pages, IEventQueue& events, IScriptHost& host);
  ~TCallMan();
  TCallMan(const TCallMan&) = delete;
  TCallMan& operator=(const TCallMan&) = delete;

  // Enters a page from its start: empty call stack, main mode, no sender.
  TPage* StartPage(const std::string& name);
  // The page from the cache or loaded (errors pass on). With make_recent the
  // program counter is set to 0, the page moves to the front and the cache
  // keeps its 30 most recent pages (never dropping the current one).
  TPage* GetPage(const std::string& name, bool make_recent);
  // Runs the interpreter for one frame.
  void RunFrame();
  // One command; 0 ran, 1 returned to a context without sender, 2 waits,
  // -1 returned to a handler.
  int StepCommand();
  // Starts the next waiting event's handler as a nested call; false when none runs.
  bool DispatchEvent(int32_t level);

  // ---- what commands use
  TExprEngine& Engine() { return engine_; }
  TRuntimeState& State() { return state_; }
  IScriptHost& Host() { return host_; }
  IEventQueue& Events() { return events_; }
  IPageSource& Pages() { return pages_; }
  TPage* CurrentPage() const { return page_; }
  int32_t ProgramCounter() const { return pc_; }
  void SetProgramCounter(int32_t pc) { pc_ = pc; }
  void SetCurrentPage(TPage* page) { page_ = page; }
  void Advance() { ++pc_; }
  void SetRunning(bool running) { running_ = running; }
  bool Running() const { return running_; }
  bool Started() const { return started_; }
  int32_t Mode() const { return mode_; }
  int32_t EventLevel() const { return event_level_; }
  // Ends the current page (Exit, Break and Continue without a target).
  void EndPage() { page_ = nullptr; }
  // Call: pushes the caller and enters page at target with the arguments.
  void Call(const std::string& page, int32_t target, const std::string& result_variable,
            std::vector<std::string> arguments);
  // PCReset and Reset.
  void ResetTo(const std::string& page, int32_t target, bool full);
  void ResetGame(const std::string& page, int32_t target);
  // After a load: the resume page runs first (from index when above 0) and
  // returns into the restored context, which is pushed as a frame.
  void EnterResumePage(const std::string& page, int32_t index);

  // Trace line of a command whose behaviour the player does not have yet.
  void TracePending(const TCommand& command);

  // ---- what the system variables read
  int32_t ArgumentCount() const { return static_cast<int32_t>(arguments_.size()); }
  std::string Argument(int32_t index) const;
  std::string EventSenderName() const;
  TCustomParam* ReturnValue() const;
  int32_t StackCount() const { return static_cast<int32_t>(stack_.size()); }
  // DeleteStack: removes frame index (0 = bottom); the store is told the new depth.
  void RemoveFrame(int32_t index);
  const std::vector<TStack>& Stack() const { return stack_; }
  const std::list<std::unique_ptr<TPage>>& CachedPages() const { return pages_cache_; }

  // ---- the call-manager record of a game save
  void SaveTo(TBinaryWriter& writer) const;
  void LoadFrom(TBinaryReader& reader, int32_t save_version);

 private:
  void ExecuteAt();
  // The first failure of a run, once: "PAGE(LINE) KIND: MESSAGE" (or
  // "PAGE: MESSAGE" where no command ran) in the trace and to the host.
  // A failure that the host has shown already goes to the trace only.
  enum class TShown { No, Already };
  void ReportFailure(const std::exception& error, const std::string& place, std::string_view kind,
                     TShown shown = TShown::No);
  void PushFrame(TStack frame);
  TStack PopFrame();
  void SetDepth();
  void DropPage(std::list<std::unique_ptr<TPage>>::iterator it);
  void ReturnFromPage();
  void AssignResult(const std::string& name, const TCustomParam& value);
  void TraceCommand(const TCommand& command);
  void TraceLine(std::string_view tag, int32_t line) const;
  bool InPage() const { return page_ && pc_ >= 0 && pc_ < page_->Count(); }
  void SaveFrame(TBinaryWriter& writer, const TStack& frame) const;
  TStack LoadFrame(TBinaryReader& reader);

  TRuntimeState& state_;
  TExprEngine& engine_;
  IPageSource& pages_;
  IEventQueue& events_;
  IScriptHost& host_;

  std::list<std::unique_ptr<TPage>> pages_cache_;
  TPage* page_ = nullptr;
  int32_t pc_ = 0;
  bool running_ = false;
  std::vector<TStack> stack_;
  TStack popped_;
  bool started_ = false;
  std::vector<std::string> arguments_;
  int32_t mode_ = emMain;
  TObjectHandle event_sender_ = 0;
  int32_t event_level_ = 2;
  const TCommand* last_traced_ = nullptr;
  bool last_waiting_ = false;
  bool failure_reported_ = false;
};

// "スタックエラー"
const std::string& MsgStackError();

}  // namespace orvo
