#include "script/text_commands.h"

#include "script/call_man.h"
#include "script/object_wait.h"
#include "script/page.h"
#include "script/save_commands.h"
#include "script/stage_commands.h"
#include "vars/engine.h"

namespace orvo {

namespace {

constexpr int kTextInsCommand = 20;
constexpr int kTextClrCommand = 28;
constexpr int kClrReadCommand = 47;

// Text insert: fills a message window from this command's glyphs and, with
// the wait flag, holds until the window's text is cleared.
class TComTextIns : public TComWaitOnObject {
 public:
  using TComWaitOnObject::TComWaitOnObject;

  void Start(TCallMan& cm) override {
    TExprEngine& engine = cm.Engine();
    ResetTarget(Expr("noevents").AsBool(engine).value_or(false));
    IStageCommands* stage = cm.Host().StageCommands();
    if (!stage) {
      cm.TracePending(*this);
      return;
    }
    const std::string& text = Text("text");
    const std::string name = Expr("obj").AsStr(engine).value_or(std::string());
    if (text.empty() || name.empty()) return;
    const TObjectHandle message = stage->FindControl(name);
    if (!message || !stage->IsMessage(message)) return;
    TTextInsertion insertion;
    insertion.record = Expr("hist").AsBool(engine).value_or(false);
    insertion.page_name = cm.CurrentPage() ? cm.CurrentPage()->Name() : std::string();
    insertion.command_index = cm.ProgramCounter();
    insertion.glyph_stream = text;
    stage->InsertText(message, insertion);
    target_ = message;
    target_name_ = stage->Name(message);
    waiting_ = Expr("wait").AsBool(engine).value_or(false);
  }

  void Execute(TCallMan& cm) override {
    IStageCommands* stage = cm.Host().StageCommands();
    // A restored command finds its window again by name.
    if (!target_ && !target_name_.empty() && stage) target_ = stage->FindControl(target_name_);
    if (target_ && waiting_ && stage && stage->HoldsText(target_)) {
      cm.SetRunning(false);
      return;
    }
    cm.Advance();
  }
};

class TComTextClr : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    const std::string name = Expr("obj").AsStr(cm.Engine()).value_or(std::string());
    IStageCommands* stage = cm.Host().StageCommands();
    if (!stage) {
      cm.TracePending(*this);
      return;
    }
    if (name.empty()) return;
    const TObjectHandle message = stage->FindControl(name);
    if (message && stage->IsMessage(message)) stage->ClearText(message);
  }
};

class TComClrRead : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    IStageCommands* stage = cm.Host().StageCommands();
    if (!stage) {
      cm.TracePending(*this);
      return;
    }
    stage->ClearReadMarks();
  }
};

}  // namespace

std::unique_ptr<TCommand> CreateTextCommand(uint8_t kind_byte) {
  switch (kind_byte & 0x3f) {
    case kTextInsCommand:
      return std::make_unique<TComTextIns>(kind_byte);
    case kTextClrCommand:
      return std::make_unique<TComTextClr>(kind_byte);
    case kClrReadCommand:
      return std::make_unique<TComClrRead>(kind_byte);
    default:
      return CreateSaveCommand(kind_byte);
  }
}

}  // namespace orvo
