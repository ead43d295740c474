#include "script/save_commands.h"

#include <algorithm>

#include "script/call_man.h"
#include "script/page.h"
#include "vars/engine.h"

namespace orvo {

namespace {

constexpr int kClrHistCommand = 22;
constexpr int kCallHistCommand = 29;
constexpr int kGameSaveCommand = 38;
constexpr int kGameLoadCommand = 39;
constexpr int kEntryHistCommand = 58;

// Saves and loads happen between frames: the interpreter yields after the request.
class TComGameSave : public TCommand {
 public:
  using TCommand::TCommand;
  bool ContinueAfter() const override { return false; }
  void Execute(TCallMan& cm) override {
    cm.Advance();
    TExprEngine& engine = cm.Engine();
    const int32_t slot = Expr("slot").AsInt(engine).value_or(0);
    const std::string title = Expr("comment").AsStr(engine).value_or(std::string());
    ISaveCommands* saves = cm.Host().SaveCommands();
    if (!saves) {
      cm.TracePending(*this);
      return;
    }
    saves->RequestSave(slot, title, Text("pagetext"), Number("number"));
  }
};

class TComGameLoad : public TCommand {
 public:
  using TCommand::TCommand;
  bool ContinueAfter() const override { return false; }
  void Execute(TCallMan& cm) override {
    cm.Advance();
    const int32_t slot = Expr("slot").AsInt(cm.Engine()).value_or(0);
    ISaveCommands* saves = cm.Host().SaveCommands();
    if (!saves) {
      cm.TracePending(*this);
      return;
    }
    saves->RequestLoad(slot);
  }
};

class TComClrHist : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    if (ISaveCommands* saves = cm.Host().SaveCommands()) {
      saves->ClearHistories();
    } else {
      cm.TracePending(*this);
    }
  }
};

class TComEntryHist : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    TExprEngine& engine = cm.Engine();
    const std::string object = Expr("obj").AsStr(engine).value_or(std::string());
    const std::string format = Expr("format").AsStr(engine).value_or(std::string());
    if (ISaveCommands* saves = cm.Host().SaveCommands()) {
      saves->EntryHistory(object, format);
    } else {
      cm.TracePending(*this);
    }
  }
};

class TComCallHist : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    TExprEngine& engine = cm.Engine();
    const std::string message = Expr("obj").AsStr(engine).value_or(std::string());
    const std::optional<int32_t> start = Expr("first").AsInt(engine);
    if (!start) return;
    const int32_t count = Expr("count").AsInt(engine).value_or(1);
    const std::string format = Expr("format").AsStr(engine).value_or(std::string());
    const bool packed = Expr("flag").AsBool(engine).value_or(false);
    ISaveCommands* saves = cm.Host().SaveCommands();
    if (!saves) {
      cm.TracePending(*this);
      return;
    }
    saves->CallHistory(message, std::max(*start, 0), count, packed, format);
  }
};

}  // namespace

std::unique_ptr<TCommand> CreateSaveCommand(uint8_t kind_byte) {
  switch (kind_byte & 0x3f) {
    case kGameSaveCommand:
      return std::make_unique<TComGameSave>(kind_byte);
    case kGameLoadCommand:
      return std::make_unique<TComGameLoad>(kind_byte);
    case kClrHistCommand:
      return std::make_unique<TComClrHist>(kind_byte);
    case kEntryHistCommand:
      return std::make_unique<TComEntryHist>(kind_byte);
    case kCallHistCommand:
      return std::make_unique<TComCallHist>(kind_byte);
    default:
      return nullptr;
  }
}

}  // namespace orvo
