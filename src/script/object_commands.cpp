#include "script/object_commands.h"

#include <algorithm>
#include <string_view>

#include "base/cp932.h"
#include "base/error.h"
#include "script/call_man.h"
#include "script/object_wait.h"
#include "script/page.h"
#include "script/stage_commands.h"
#include "script/text_commands.h"
#include "text/markup_writer.h"
#include "vars/engine.h"
#include "vars/param_types.h"

namespace orvo {

namespace {

// Property ids of the creation records that the commands treat specially.
enum : int32_t {
  kPropName = 0,
  kPropParent = 1,
  kPropLeft = 3,
  kPropZoomX = 7,
  kPropFontStyle = 17,
  kPropFontHoverStyle = 23,
  kPropDelay = 26,
  kPropAppearX = 92,
  kPropAppearY = 93,
  kPropAngle = 31,
  kPropZoomY = 132,
};
constexpr int32_t kPropertyCount = 173;
constexpr int32_t kCabinetKind = 27;
constexpr int32_t kPropMotionKind = 26;
constexpr int32_t kAnimationCommand = 9;
constexpr int32_t kParticleCommand = 36;
constexpr int32_t kVideoCommand = 12;
constexpr int32_t kSoundCommand = 42;
constexpr int32_t kMenuCommand = 25;
constexpr int32_t kMenuCloseCommand = 26;
constexpr int32_t kMenuOpenAnimated = 1;
constexpr int32_t kMenuCloseAnimated = 3;

const std::string& CoverName() {
  static const std::string kName("\x01\x01", 2);
  return kName;
}

bool NeverApplied(int32_t id) {
  switch (id) {
    case 78:
    case 79:
    case 92:
    case 93:
    case 138:
    case 140:
    case 159:
    case 160:
    case 161:
      return true;
    default:
      return false;
  }
}

// The value a creation command gives a property whose expression yields none.
std::unique_ptr<TCustomParam> DefaultValue(TParamType type, int32_t id) {
  std::unique_ptr<TCustomParam> value = MakeParam(type);
  switch (type) {
    case PT_INT: {
      int32_t number = 0;
      switch (id) {
        case 8:
        case 10:
        case 24:
          number = -1;
          break;
        case 11:
          number = 255;
          break;
        case 16:
          number = 16;
          break;
        case 28:
          number = 1000;
          break;
        case 48:
        case 49:
        case 107:
        case 127:
        case 128:
        case 130:
        case 131:
          number = 1;
          break;
        case 82:
          number = 256;
          break;
        case 108:
          number = 100;
          break;
        case 166:
          number = 3;
          break;
        case 170:
          number = 128;
          break;
        default:
          break;
      }
      value->SetAsInt(number);
      break;
    }
    case PT_FLOAT:
      value->SetAsFloat(id == 168 || id == 169 ? 1.0L : 0.0L);
      break;
    case PT_BOOL:
      value->SetAsBool(id == 47 || id == 150 || id == 165);
      break;
    default:
      break;
  }
  return value;
}

std::string AsString(const TExpression& expression, TExprEngine& engine) {
  return expression.AsStr(engine).value_or(std::string());
}

// The property expressions of a command by id (null where the mask has no bit).
std::array<const TExpression*, kPropertyCount> PropertyExpressions(const TCommand& command) {
  std::array<const TExpression*, kPropertyCount> table{};
  if (const TField* props = command.FindField("props")) {
    for (const auto& [id, expression] : props->properties) {
      if (id >= 0 && id < kPropertyCount) table[static_cast<size_t>(id)] = &expression;
    }
  }
  return table;
}

// Kinds 8 ... 56 that create objects.
class TComComponent : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    TExprEngine& engine = cm.Engine();
    IStageCommands* stage = cm.Host().StageCommands();
    const int32_t kind = CreatedKindOf(Kind());
    const TObjectHandle object = stage && kind ? stage->CreateByKind(kind) : 0;
    const auto expressions = PropertyExpressions(*this);
    if (object && Kind() == kAnimationCommand && expressions[kPropDelay]) {
      stage->SetLastWait(object, expressions[kPropDelay]->Parser());
    }
    if (object && Kind() == kParticleCommand) {
      auto parser_of = [&](int32_t id) {
        const TExpression* expression = expressions[static_cast<size_t>(id)];
        return expression ? &expression->Parser() : nullptr;
      };
      stage->SetParticleExpressions(object, parser_of(kPropAppearX), parser_of(kPropAppearY), parser_of(kPropDelay));
    }
    for (int32_t id : PropertyApplyOrder()) {
      const TExpression* expression = expressions[static_cast<size_t>(id)];
      if (!expression || NeverApplied(id)) continue;
      // Evaluated even without an object: expressions may assign variables.
      const TCustomParam* value = expression->Evaluate(engine);
      if (object) Apply(*stage, object, id, value);
    }
    if (!object) {
      cm.TracePending(*this);
      return;
    }
    stage->Invalidate(object);
    if (Kind() == kVideoCommand || Kind() == kSoundCommand) stage->StartMedia(object);
    if (Kind() == kMenuCommand) stage->SetMenuState(object, kMenuOpenAnimated);
  }

 private:
  static void Apply(IStageCommands& stage, TObjectHandle object, int32_t id, const TCustomParam* value) {
    switch (id) {
      case kPropName: {
        const std::string name = value ? value->GetAsStr() : std::string();
        if (!name.empty()) stage.SetName(object, name);
        return;
      }
      case kPropParent: {
        const std::string name = value ? value->GetAsStr() : std::string();
        TObjectHandle parent = name.empty() ? 0 : stage.FindControl(name);
        if (!parent) parent = stage.Screen(stage.ActiveScreenIndex());
        stage.SetParent(object, parent);
        return;
      }
      case kPropZoomX:
      case kPropAngle:
      case kPropZoomY:
        if (value) stage.SetProperty(object, id, *value);
        return;
      case kPropLeft:
        stage.PrepareLeft(object);
        break;
      case kPropFontStyle:
      case kPropFontHoverStyle: {
        TParamInt style;
        style.SetAsInt((value ? value->GetAsInt() : 0) & 15);
        stage.SetProperty(object, id, style);
        return;
      }
      default:
        break;
    }
    if (value) {
      stage.SetProperty(object, id, *value);
    } else {
      stage.SetProperty(object, id, *DefaultValue(stage.PropertyType(id), id));
    }
  }
};

int32_t PropertyIdOf(const TExpression& expression, TExprEngine& engine) {
  std::optional<int32_t> id = expression.AsInt(engine);
  if (!id) throw EOrvoError(MsgBadProperty());
  return *id;
}

class TComGetProp : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    TExprEngine& engine = cm.Engine();
    const std::string name = AsString(Expr("obj"), engine);
    IStageCommands* stage = cm.Host().StageCommands();
    const TObjectHandle object = stage ? stage->FindComponent(name) : 0;
    if (!object) {
      if (!stage) cm.TracePending(*this);
      return;
    }
    const int32_t id = PropertyIdOf(Expr("prop"), engine);
    const std::string& variable = Text("var");
    if (variable.empty()) return;
    if (TParamCollectionItem* item = engine.Store().Find(variable)) stage->GetProperty(item->Value(), object, id);
  }
};

class TComSetProp : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    TExprEngine& engine = cm.Engine();
    const std::string name = AsString(Expr("obj"), engine);
    IStageCommands* stage = cm.Host().StageCommands();
    const TObjectHandle object = stage ? stage->FindComponent(name) : 0;
    if (!object) {
      if (!stage) cm.TracePending(*this);
      return;
    }
    const int32_t id = PropertyIdOf(Expr("prop"), engine);
    if (const TCustomParam* value = Expr("value").Evaluate(engine)) stage->SetProperty(object, id, *value);
  }
};

// ObjDel (19), MenuClose (26) and MediaPlay (55): one object by name.
class TComObjectByName : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    const std::string name = AsString(Expr("obj"), cm.Engine());
    IStageCommands* stage = cm.Host().StageCommands();
    if (!stage) {
      cm.TracePending(*this);
      return;
    }
    if (name.empty()) return;
    const TObjectHandle object = stage->FindComponent(name);
    if (!object) return;
    if (Kind() == kMenuCloseCommand) {
      stage->SetMenuState(object, kMenuCloseAnimated);
    } else if (Kind() == kMediaPlayCommand) {
      stage->RestartMedia(object);
    } else {
      stage->Scrap(object);
    }
  }
  static constexpr int kMediaPlayCommand = 55;
};

class TComPropMotion : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    TExprEngine& engine = cm.Engine();
    IStageCommands* stage = cm.Host().StageCommands();
    const TObjectHandle motion = stage ? stage->CreateByKind(kPropMotionKind) : 0;
    const std::string name = AsString(Expr("name"), engine);
    if (motion && !name.empty()) stage->SetName(motion, name);
    TPropMotionSetup setup;
    setup.target = AsString(Expr("target"), engine);
    setup.property = PropertyIdOf(Expr("prop"), engine);
    // A negative id would wrap into a valid one in the motion's byte.
    if (setup.property < 0) throw EOrvoError(MsgBadProperty());
    if (const TCustomParam* value = Expr("value").Evaluate(engine)) setup.value = value->GetAsFloat();
    setup.time = Expr("time").AsInt(engine);
    if (std::optional<int32_t> mode = Expr("mode").AsInt(engine)) setup.mode = *mode & 0xFF;
    setup.paused = Expr("flag").AsBool(engine);
    if (!motion) {
      cm.TracePending(*this);
      return;
    }
    stage->SetupPropMotion(motion, setup);
  }
};

// The selection of the cabinet commands: the invert flag, flipped for the listed names.
class TNameSelection {
 public:
  TNameSelection(const TCommand& command, TExprEngine& engine) {
    invert_ = command.Expr("invert").AsBool(engine).value_or(false);
    if (const TField* names = command.FindField("names")) {
      for (const TExpression& expression : names->list) names_.push_back(AsString(expression, engine));
    }
  }
  bool Selected(const std::string& name) const {
    return std::find(names_.begin(), names_.end(), name) != names_.end() ? !invert_ : invert_;
  }

 private:
  bool invert_ = false;
  std::vector<std::string> names_;
};

class TComCabinet : public TCommand {
 public:
  using TCommand::TCommand;
  void Execute(TCallMan& cm) override {
    cm.Advance();
    TExprEngine& engine = cm.Engine();
    const auto expressions = PropertyExpressions(*this);
    const std::string name = expressions[kPropName] ? AsString(*expressions[kPropName], engine) : std::string();
    const TNameSelection selection(*this, engine);
    IStageCommands* stage = cm.Host().StageCommands();
    if (!stage) {
      cm.TracePending(*this);
      return;
    }
    const TObjectHandle inactive = stage->Screen(stage->ActiveScreenIndex() ^ 1);
    TObjectHandle found = name.empty() ? 0 : stage->FindComponent(name);
    if (Kind() == kCabinetLoadCommand) {
      if (!found || !stage->IsCabinet(found)) return;
      MoveSelected(*stage, found, inactive, selection);
      if (stage->Children(found).empty()) stage->Scrap(found);
      return;
    }
    // Another kind of object holds the name: a cabinet beside it would take its name.
    if (found && !stage->IsCabinet(found)) return;
    if (!found) {
      found = stage->CreateByKind(kCabinetKind);
      if (!found) return;
      if (!name.empty()) stage->SetName(found, name);
      stage->SetParent(found, stage->Screen(0));
    }
    MoveSelected(*stage, inactive, found, selection);
    if (stage->Children(found).empty()) stage->Scrap(found);
  }
  static constexpr int kCabinetLoadCommand = 60;

 private:
  static void MoveSelected(IStageCommands& stage, TObjectHandle from, TObjectHandle to,
                           const TNameSelection& selection) {
    const std::vector<TObjectHandle> children = stage.Children(from);
    for (size_t i = children.size(); i-- > 0;) {
      if (selection.Selected(stage.Name(children[i]))) stage.SetParent(children[i], to);
    }
  }
};

// Media stop (kind 21): stops a sound or video at once, or fades it out
// and, with the wait flag, holds until the faded object is gone.
class TComMovieStop : public TComWaitOnObject {
 public:
  using TComWaitOnObject::TComWaitOnObject;

  void Start(TCallMan& cm) override {
    TExprEngine& engine = cm.Engine();
    ResetTarget(Expr("noevents").AsBool(engine).value_or(false));
    const std::string name = AsString(Expr("obj"), engine);
    IStageCommands* stage = cm.Host().StageCommands();
    if (!stage) {
      cm.TracePending(*this);
      return;
    }
    if (name.empty()) return;
    target_ = stage->FindComponent(name);
    if (!target_) return;
    const int32_t fade = Expr("fade").AsInt(engine).value_or(0);
    if (!stage->StopMedia(target_, fade)) target_ = 0;
    if (target_) target_name_ = stage->Name(target_);
    waiting_ = Expr("wait").AsBool(engine).value_or(false);
  }

  void Execute(TCallMan& cm) override {
    IStageCommands* stage = cm.Host().StageCommands();
    if (!target_ && !target_name_.empty() && stage) target_ = stage->FindComponent(target_name_);
    if (!target_ || !waiting_ || !stage || !stage->Alive(target_)) {
      cm.Advance();
      return;
    }
    cm.SetRunning(false);
  }
};

class TComFlip : public TCommand {
 public:
  using TCommand::TCommand;
  bool IsWaiting() const override { return waits_; }
  bool BlocksEvents() const override { return no_events_; }

  void Start(TCallMan& cm) override {
    TExprEngine& engine = cm.Engine();
    phase_ = 0;
    TTransitionSetup setup;
    setup.kind = Expr("kind").AsInt(engine).value_or(0);
    if (setup.kind > kLastWipeKind || setup.kind < 0) setup.kind = 0;
    const std::optional<int32_t> time = Expr("time").AsInt(engine);
    setup.time = std::max(time.value_or(1), 1);
    time_ = setup.time;
    waits_ = time && *time > 0;
    setup.reverse = Expr("reverse").AsBool(engine).value_or(false);
    no_events_ = Expr("noevents").AsBool(engine).value_or(false);
    delete_old_ = Expr("deleteold").AsBool(engine).value_or(false);
    const std::optional<int32_t> mode = Expr("select").AsInt(engine);
    std::vector<std::string> listed;
    if (const TField* names = FindField("names")) {
      for (const TExpression& expression : names->list) {
        for (std::string& line : SplitMarkupLines(AsString(expression, engine))) listed.push_back(std::move(line));
      }
    }
    setup.param1 = Expr("param1").AsInt(engine);
    setup.param2 = Expr("param2").AsInt(engine);
    setup.text = Expr("text").AsStr(engine);
    setup.option = Expr("option").AsBool(engine);
    IStageCommands* stage = cm.Host().StageCommands();
    if (!stage) {
      phase_ = 3;
      return;
    }
    if (mode) {
      TObjectHandle cover = 0;
      if (!time) {
        phase_ = 3;
      } else if (*time > 0) {
        stage->PaintAll();
        cover = stage->CreateFlipCover();
      } else {
        phase_ = 3;
      }
      const int active = stage->ActiveScreenIndex();
      const TObjectHandle inactive = stage->Screen(active ^ 1);
      const std::vector<TObjectHandle> children = stage->Children(stage->Screen(active));
      for (size_t i = children.size(); i-- > 0;) {
        if (children[i] == cover) continue;
        const std::string name = stage->Name(children[i]);
        const bool listed_name = std::find(listed.begin(), listed.end(), name) != listed.end();
        if (listed_name ? *mode == 1 : *mode == 0) stage->SetParent(children[i], inactive);
      }
    }
    if (phase_ != 3) {
      stage->RenderScreen(stage->ActiveScreenIndex() ^ 1);
      wiping_ = stage->StartTransition(setup);
    }
  }

  void Execute(TCallMan& cm) override {
    if (phase_ == 0) {
      phase_ = 1;
      cm.SetRunning(false);
      return;
    }
    if (phase_ == 1) {
      start_time_ = cm.State().total_elapsed;
      phase_ = 2;
      cm.SetRunning(false);
      return;
    }
    const int32_t elapsed =
        static_cast<int32_t>(static_cast<uint32_t>(cm.State().total_elapsed) - static_cast<uint32_t>(start_time_));
    IStageCommands* stage = cm.Host().StageCommands();
    if (phase_ == 2 && wiping_ && stage && elapsed < time_) {
      stage->SetTransitionElapsed(elapsed);
      cm.SetRunning(false);
      return;
    }
    Finish(cm);
    cm.Advance();
  }

  void Abort(TCallMan& cm) override { Finish(cm); }

  void SaveState(TBinaryWriter& writer) const override {
    WriteStateTag(writer);
    writer.WriteBool(no_events_);
    writer.WriteBool(delete_old_);
  }
  void LoadState(TBinaryReader& reader) override {
    // The phase is not kept: a restored transition starts over.
    phase_ = 0;
    wiping_ = false;
    if (ReadStateVersion(reader) < 100) return;
    no_events_ = reader.ReadBool();
    delete_old_ = reader.ReadBool();
  }

 private:
  static constexpr int32_t kLastWipeKind = 38;

  void Finish(TCallMan& cm) {
    phase_ = 0;
    wiping_ = false;
    IStageCommands* stage = cm.Host().StageCommands();
    if (!stage) {
      cm.TracePending(*this);
      return;
    }
    stage->SwitchScreens();
    if (const TObjectHandle cover = stage->FindComponent(CoverName())) stage->Scrap(cover);
    if (!delete_old_) return;
    for (TObjectHandle child : stage->Children(stage->Screen(stage->ActiveScreenIndex() ^ 1))) {
      if (!stage->IsCabinet(child)) stage->Scrap(child);
    }
  }

  int phase_ = 0;
  int32_t start_time_ = 0;
  int32_t time_ = 1;
  bool waits_ = false;
  bool wiping_ = false;
  bool no_events_ = false;
  bool delete_old_ = false;
};

}  // namespace

const std::string& MsgBadProperty() {
  static const std::string kMsg = Utf8ToCp932("プロパティ指定が不正です");
  return kMsg;
}

int32_t CreatedKindOf(int command_kind) {
  switch (command_kind) {
    case 8:
      return 2;
    case 9:
      return 8;
    case 10:
      return 13;
    case 11:
      return 15;
    case 12:
      return 16;
    case 23:
      return 4;
    case 24:
      return 9;
    case 25:
      return 12;
    case 30:
      return 3;
    case 36:
      return 14;
    case 37:
      return 6;
    case 42:
      return 17;
    case 43:
      return 5;
    case 44:
      return 11;
    case 48:
      return 18;
    case 49:
      return 19;
    case 50:
      return 20;
    case 51:
      return 21;
    case 52:
      return 22;
    case 53:
      return 23;
    case 54:
      return 24;
    case 56:
      return 25;
    default:
      return 0;
  }
}

const std::array<int32_t, 173>& PropertyApplyOrder() {
  static const std::array<int32_t, 173> order = [] {
    std::array<int32_t, 173> ids{};
    size_t n = 0;
    auto add = [&](int32_t id) { ids[n++] = id; };
    auto range = [&](int32_t first, int32_t last) {
      for (int32_t id = first; id <= last; ++id) add(id);
    };
    for (int32_t id : {0, 1, 2, 168, 7, 169, 132, 100, 5, 6, 3, 4, 8, 157, 171, 172}) add(id);
    range(9, 14);
    add(159);
    add(160);
    range(15, 24);
    range(153, 156);
    for (int32_t id : {25, 26, 165, 27, 28, 29, 162, 30, 167}) add(id);
    range(31, 79);
    add(161);
    range(80, 88);
    add(170);
    range(89, 98);
    add(166);
    add(99);
    range(101, 131);
    range(133, 152);
    for (int32_t id : {158, 163, 164}) add(id);
    return ids;
  }();
  return order;
}

std::unique_ptr<TCommand> CreateObjectCommand(uint8_t kind_byte) {
  const int kind = kind_byte & 0x3f;
  if (CreatedKindOf(kind) != 0) return std::make_unique<TComComponent>(kind_byte);
  switch (kind) {
    case ckFlip:
      return std::make_unique<TComFlip>(kind_byte);
    case ckMovieStop:
      return std::make_unique<TComMovieStop>(kind_byte);
    case 17:
      return std::make_unique<TComGetProp>(kind_byte);
    case 18:
      return std::make_unique<TComSetProp>(kind_byte);
    case 19:
    case kMenuCloseCommand:
    case 55:
      return std::make_unique<TComObjectByName>(kind_byte);
    case 57:
      return std::make_unique<TComPropMotion>(kind_byte);
    case 59:
    case 60:
      return std::make_unique<TComCabinet>(kind_byte);
    default:
      return CreateTextCommand(kind_byte);
  }
}

}  // namespace orvo
