// The command classes: control flow, waits, calls, resets and variables run
// here; the kinds whose behaviour belongs to the stage, media, transitions,
// saves and the history load fully and, until those exist, trace and advance.
#include "base/cp932.h"
#include "script/call_man.h"
#include "script/object_commands.h"
#include "script/page.h"
#include "vars/engine.h"

namespace orvo {

namespace {

bool IsTrue(const std::optional<bool>& value) { return value && *value; }

const std::string& MsgNoVariableName() {
  static const std::string text = Utf8ToCp932("変数名がありません");
  return text;
}

class TComIf : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    if (IsTrue(ExprAt(0).AsBool(cm.Engine()))) return;
    TPage& page = *cm.CurrentPage();
    int32_t pc = cm.ProgramCounter();
    while (pc < page.Count()) {
      const TCommand& next = page.At(pc);
      if (next.indent > indent) {
        ++pc;
        continue;
      }
      if (next.indent < indent) break;
      if (next.Kind() == ckElseif) {
        if (IsTrue(next.ExprAt(0).AsBool(cm.Engine()))) {
          ++pc;
          break;
        }
        ++pc;
        continue;
      }
      if (next.Kind() == ckElse) ++pc;
      break;
    }
    cm.SetProgramCounter(pc);
  }
};

// Elseif and Else run only when the block above them finished: they skip their own block.
class TComElseBranch : public TCommand {
 public:
  using TCommand::TCommand;
  bool ContinueAfter() const override { return Kind() == ckElse ? true : TCommand::ContinueAfter(); }
  void Execute(TCallMan& cm) override {
    TPage& page = *cm.CurrentPage();
    int32_t pc = cm.ProgramCounter() + 1;
    while (pc < page.Count() && page.At(pc).indent > indent) ++pc;
    cm.SetProgramCounter(pc);
  }
};

class TComLabel : public TCommand {
 public:
  using TCommand::TCommand;
  bool IsLabel(std::string_view name) const override { return Text("name") == name; }
};

class TComJump : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    if (!IsTrue(Expr("cond").AsBool(cm.Engine()))) return;
    const std::string& page = Text("page");
    if (!cm.Pages().RequireFile(page)) return;
    cm.SetCurrentPage(cm.GetPage(page, true));
    cm.SetProgramCounter(Number("target"));
  }
};

class TComCall : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    if (!IsTrue(Expr("cond").AsBool(cm.Engine()))) return;
    const std::string& page = Text("page");
    if (!cm.Pages().RequireFile(page)) return;
    std::vector<std::string> arguments;
    if (const TField* args = FindField("args")) {
      for (const TExpression& argument : args->list) {
        if (std::optional<std::string> text = argument.AsStr(cm.Engine())) arguments.push_back(std::move(*text));
      }
    }
    cm.Call(page, Number("target"), Text("result"), std::move(arguments));
  }
};

class TComExit : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    if (IsTrue(Expr("cond").AsBool(cm.Engine()))) {
      cm.EndPage();
    } else {
      cm.Advance();
    }
  }
};

class TComWait : public TCommand {
 public:
  using TCommand::TCommand;
  bool IsWaiting() const override { return true; }
  bool BlocksEvents() const override { return no_events_; }
  void Start(TCallMan& cm) override {
    remaining_ = Expr("time").AsInt(cm.Engine()).value_or(0);
    skip_first_ = 1;
    no_events_ = Expr("noevents").AsBool(cm.Engine()).value_or(false);
  }
  void Execute(TCallMan& cm) override {
    std::optional<bool> condition = Expr("cond").AsBool(cm.Engine());
    if (condition && !*condition) {
      cm.Advance();
      return;
    }
    if (remaining_ != 0) {
      if (skip_first_ > 0) {
        --skip_first_;
      } else {
        remaining_ = WrapSub(remaining_, cm.State().frame_delta);
        if (remaining_ <= 0) {
          cm.Advance();
          return;
        }
      }
    }
    cm.SetRunning(false);
  }
  // The remaining time, the first-frame skip and the no-events flag: a
  // restored wait goes on where it stood.
  void SaveState(TBinaryWriter& writer) const override {
    WriteStateTag(writer);
    writer.WriteInt32(remaining_);
    writer.WriteInt32(skip_first_);
    writer.WriteBool(no_events_);
  }
  void LoadState(TBinaryReader& reader) override {
    if (ReadStateVersion(reader) < 100) return;
    remaining_ = reader.ReadInt32();
    skip_first_ = reader.ReadInt32();
    no_events_ = reader.ReadBool();
  }

 private:
  static int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
  }
  int32_t remaining_ = 0;
  int32_t skip_first_ = 1;
  bool no_events_ = false;
};

class TComCalc : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    ExprAt(0).Evaluate(cm.Engine());
  }
};

class TComVarNew : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    const std::string& name = Text("name");
    if (name.empty()) throw EOrvoError(MsgNoVariableName());
    int32_t scope = Number("scope");
    TParamCollection& store = cm.Engine().Store();
    TParamCollectionItem* item = store.FindForNew(name, scope == static_cast<int32_t>(TVarScope::Local));
    if (!item) {
      int32_t type = Number("type");
      if (type < PT_INT || type > PT_STR) throw EFormatError("Invalid variable type");
      item = &store.CreateVariable(name, type, static_cast<TVarScope>(scope & 0xff));
    } else if (item->IsStatus()) {
      return;
    }
    const TCustomParam* value = Expr("init").Evaluate(cm.Engine());
    if (!value) return;
    TCustomParam& target = item->Value();
    switch (target.ParamType()) {
      case PT_INT:
        target.SetAsInt(value->GetAsInt());
        break;
      case PT_FLOAT:
        target.SetAsFloat(value->GetAsFloat());
        break;
      case PT_BOOL:
        target.SetAsBool(value->GetAsBool());
        break;
      case PT_STR:
        target.SetAsStr(value->GetAsStr());
        break;
      default:
        break;
    }
  }
};

class TComVarDel : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    const std::string& name = Text("name");
    if (name.empty()) return;
    TParamCollection& store = cm.Engine().Store();
    if (TParamCollectionItem* item = store.Find(name)) store.Delete(*item);
  }
};

class TComWhile : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    if (!IsTrue(ExprAt(0).AsBool(cm.Engine()))) cm.SetProgramCounter(fields[1].number);
  }
};

class TComWhileInit : public TCommand {
 public:
  using TCommand::TCommand;
  bool ContinueAfter() const override { return true; }
  void Execute(TCallMan& cm) override {
    cm.Advance();
    ExprAt(0).Evaluate(cm.Engine());
  }
};

class TComWhileLoop : public TCommand {
 public:
  using TCommand::TCommand;
  bool ContinueAfter() const override { return true; }
  void Execute(TCallMan& cm) override {
    cm.SetProgramCounter(fields[1].number);
    ExprAt(0).Evaluate(cm.Engine());
  }
};

class TComBreak : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    if (!IsTrue(ExprAt(0).AsBool(cm.Engine()))) {
      cm.Advance();
      return;
    }
    int32_t target = fields[1].number;
    if (target < 0) {
      cm.EndPage();
    } else {
      cm.SetProgramCounter(target);
    }
  }
};

class TComContinue : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    if (!IsTrue(ExprAt(0).AsBool(cm.Engine()))) return;
    int32_t target = fields[1].number;
    if (target < 0) {
      cm.EndPage();
    } else {
      cm.SetProgramCounter(target);
    }
  }
};

class TComPCReset : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    if (Kind() == ckReset) {
      cm.ResetGame(Text("page"), Number("target"));
    } else {
      cm.ResetTo(Text("page"), Number("target"), Number("full") != 0);
    }
  }
};

class TComTerminate : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.State().terminating = true;
    cm.Host().RequestClose();
  }
};

// Always yields and reports waiting, so that inside a handler nested events may run.
class TComDoEvent : public TCommand {
 public:
  using TCommand::TCommand;
  bool ContinueAfter() const override { return false; }
  bool IsWaiting() const override { return true; }
};

// Comments and the conditional-compilation markers never run.
class TComNeverRuns : public TCommand {
 public:
  using TCommand::TCommand;
  bool IsDisabled() const override { return true; }
};

// A kind whose behaviour arrives with the stage, media, transitions, saves or
// the history: it records a trace line and advances, so games keep running.
class TComPending : public TCommand {
 public:
  using TCommand::TCommand;
  bool ContinueAfter() const override {
    if (Kind() == ckGameSave || Kind() == ckGameLoad) return false;
    return TCommand::ContinueAfter();
  }
  void Execute(TCallMan& cm) override {
    cm.TracePending(*this);
    cm.Advance();
  }
};

}  // namespace

std::unique_ptr<TCommand> CreateCommand(uint8_t kind_byte) {
  if (kind_byte & 0x40) throw EFormatError(MsgInvalidCommand());
  switch (kind_byte & 0x3f) {
    case ckIf:
      return std::make_unique<TComIf>(kind_byte);
    case ckElseif:
    case ckElse:
      return std::make_unique<TComElseBranch>(kind_byte);
    case ckLabel:
      return std::make_unique<TComLabel>(kind_byte);
    case ckJump:
      return std::make_unique<TComJump>(kind_byte);
    case ckCall:
      return std::make_unique<TComCall>(kind_byte);
    case ckExit:
      return std::make_unique<TComExit>(kind_byte);
    case ckWait:
      return std::make_unique<TComWait>(kind_byte);
    case ckCalc:
      return std::make_unique<TComCalc>(kind_byte);
    case ckVarNew:
      return std::make_unique<TComVarNew>(kind_byte);
    case ckVarDel:
      return std::make_unique<TComVarDel>(kind_byte);
    case ckWhile:
      return std::make_unique<TComWhile>(kind_byte);
    case ckWhileInit:
      return std::make_unique<TComWhileInit>(kind_byte);
    case ckWhileLoop:
      return std::make_unique<TComWhileLoop>(kind_byte);
    case ckBreak:
      return std::make_unique<TComBreak>(kind_byte);
    case ckContinue:
      return std::make_unique<TComContinue>(kind_byte);
    case ckPCReset:
    case ckReset:
      return std::make_unique<TComPCReset>(kind_byte);
    case ckTerminate:
      return std::make_unique<TComTerminate>(kind_byte);
    case ckDoEvent:
      return std::make_unique<TComDoEvent>(kind_byte);
    case ckComment:
    case ckIfdef:
    case ckIfndef:
    case ckEndif:
      return std::make_unique<TComNeverRuns>(kind_byte);
    default:
      if (std::unique_ptr<TCommand> command = CreateObjectCommand(kind_byte)) return command;
      return std::make_unique<TComPending>(kind_byte);
  }
}

}  // namespace orvo
