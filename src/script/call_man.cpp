#include "script/call_man.h"

#include <cstdio>

#include "base/cp932.h"
#include "base/stream.h"
#include "base/trace.h"
#include "vars/engine.h"

namespace orvo {

namespace {

// A frame record's smallest size: name, counter, two flags, reserved,
// argument count, sender name, state size, value type.
constexpr int64_t kMinFrameBytes = 4 + 4 + 1 + 1 + 4 + 4 + 4 + 4 + 1;

// The value as a string literal of expression text: '"' and '\' escaped,
// trail bytes of double-byte characters left alone.
std::string QuoteForStatement(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    if (length == 1 && (text[i] == '"' || text[i] == '\\')) out += '\\';
    out.append(text.substr(i, length));
    i += length;
  }
  out += '"';
  return out;
}

void AssignValue(TCustomParam& target, const TCustomParam& value) {
  if (!value.Dims().empty()) {
    AssignConverted(target, value);
    return;
  }
  switch (target.ParamType()) {
    case PT_INT:
      target.SetAsInt(value.GetAsInt());
      break;
    case PT_FLOAT:
      target.SetAsFloat(value.GetAsFloat());
      break;
    case PT_BOOL:
      target.SetAsBool(value.GetAsBool());
      break;
    case PT_STR:
      target.SetAsStr(value.GetAsStr());
      break;
    default:
      break;
  }
}

}  // namespace

const std::string& MsgStackError() {
  static const std::string text = Utf8ToCp932("スタックエラー");
  return text;
}

TStack TStack::Copy() const {
  TStack copy;
  copy.page_name = page_name;
  copy.program_counter = program_counter;
  copy.started = started;
  copy.running = running;
  copy.result_variable = result_variable;
  copy.arguments = arguments;
  copy.event_sender = event_sender;
  copy.saved_state = saved_state;
  if (return_value) copy.return_value = return_value->Clone();
  return copy;
}

TCallMan::TCallMan(TRuntimeState& state, TExprEngine& engine, IPageSource& pages, IEventQueue& events,
                   IScriptHost& host)
    : state_(state), engine_(engine), pages_(pages), events_(events), host_(host) {
  host_.BindInterpreter(&engine_, &pages_);
}

TCallMan::~TCallMan() {
  page_ = nullptr;
  while (!pages_cache_.empty()) DropPage(std::prev(pages_cache_.end()));
}

// ---- stack ------------------------------------------------------------------

void TCallMan::SetDepth() { engine_.Store().SetCurrentDepth(static_cast<int32_t>(stack_.size())); }

void TCallMan::PushFrame(TStack frame) {
  if (stack_.size() >= kMaxStackDepth) throw EOrvoError(MsgStackError());
  stack_.push_back(std::move(frame));
  SetDepth();
}

TStack TCallMan::PopFrame() {
  if (stack_.empty()) throw EOrvoError(MsgStackError());
  TStack frame = std::move(stack_.back());
  stack_.pop_back();
  popped_ = frame.Copy();
  SetDepth();
  return frame;
}

void TCallMan::RemoveFrame(int32_t index) {
  if (index < 0 || index >= StackCount()) return;
  stack_.erase(stack_.begin() + index);
  SetDepth();
}

// ---- pages ------------------------------------------------------------------

void TCallMan::DropPage(std::list<std::unique_ptr<TPage>>::iterator it) {
  TParamCollection& store = engine_.Store();
  std::string variable = "\x01";
  variable.append((*it)->Name());
  if (TParamCollectionItem* item = store.Find(variable)) store.Delete(*item);
  last_traced_ = nullptr;
  pages_cache_.erase(it);
}

TPage* TCallMan::GetPage(const std::string& name, bool make_recent) {
  if (make_recent) pc_ = 0;
  for (auto it = pages_cache_.begin(); it != pages_cache_.end(); ++it) {
    if ((*it)->Name() != name) continue;
    if (make_recent) pages_cache_.splice(pages_cache_.begin(), pages_cache_, it);
    return it->get();
  }
  auto page = std::make_unique<TPage>();
  try {
    page->Load(name, pages_.LoadFile(name));
  } catch (const EPageVersionError& error) {
    state_.SetFatal();
    host_.Warn(error.Message());
    host_.RequestClose();
    throw;
  } catch (const EOrvoError& error) {
    // Damaged page data says what broke but not where: the page's name goes in front.
    throw EOrvoError(name + ": " + error.Message());
  }
  TPage* result = page.get();
  if (!make_recent) {
    pages_cache_.push_back(std::move(page));
    return result;
  }
  pages_cache_.push_front(std::move(page));
  while (pages_cache_.size() > kPageCacheSize) {
    auto victim = std::prev(pages_cache_.end());
    while (victim->get() == page_ && victim != pages_cache_.begin()) --victim;
    if (victim->get() == page_ || victim->get() == result) break;
    DropPage(victim);
  }
  return result;
}

TPage* TCallMan::StartPage(const std::string& name) {
  TPage* page = GetPage(name, true);
  page_ = page;
  pc_ = 0;
  started_ = false;
  arguments_.clear();
  mode_ = emMain;
  stack_.clear();
  SetDepth();
  event_sender_ = 0;
  for (int32_t level = 1; level <= event_level_; ++level) events_.DropEventsOfLevel(level);
  event_level_ = 2;
  return page;
}

// ---- running ----------------------------------------------------------------

void TCallMan::TraceLine(std::string_view tag, int32_t line) const {
  char head[16];
  std::snprintf(head, sizeof head, "%.8x : ", static_cast<uint32_t>(state_.total_elapsed));
  std::string text(head);
  text.append(tag);
  text.append(page_->Name());
  text.push_back('(');
  text.append(std::to_string(line));
  text.push_back(')');
  Trace().Line(text);
}

void TCallMan::TraceCommand(const TCommand& command) { TraceLine("", command.line); }

void TCallMan::TracePending(const TCommand& command) {
  if (!Trace().Enabled() || !page_) return;
  std::string tag = "<";
  tag.append(command.Layout().class_name);
  tag.push_back('>');
  TraceLine(tag, command.line);
}

void TCallMan::ExecuteAt() {
  if (!InPage()) {
    page_ = nullptr;
    return;
  }
  TCommand& command = page_->At(pc_);
  if (Trace().Enabled() && &command != last_traced_) {
    TraceCommand(command);
    last_traced_ = &command;
  }
  TPage* page_before = page_;
  int32_t pc_before = pc_;
  const int32_t line = command.line;
  const std::string_view kind = command.Layout().class_name;
  try {
    if (!started_) {
      if (command.IsDisabled()) {
        ++pc_;
        return;
      }
      command.Start(*this);
      started_ = true;
    }
    running_ = command.ContinueAfter();
    last_waiting_ = command.IsWaiting();
    command.Execute(*this);
    if (page_ != page_before || pc_ != pc_before) {
      started_ = false;
    } else if (command.IsWaiting()) {
      // A command that holds the program counter ends the frame, whatever its
      // stored continue flag says: otherwise it would spin within one frame.
      running_ = false;
    }
  } catch (const EPageVersionError& error) {
    state_.SetFatal();
    ReportFailure(error, page_before->Name() + "(" + std::to_string(line) + ")", kind, TShown::Already);
  } catch (const std::exception& error) {
    state_.SetFatal();
    ReportFailure(error, page_before->Name() + "(" + std::to_string(line) + ")", kind);
  }
}

void TCallMan::ReportFailure(const std::exception& error, const std::string& place, std::string_view kind,
                             TShown shown) {
  if (failure_reported_) return;
  failure_reported_ = true;
  std::string text = place;
  if (!kind.empty()) {
    text.push_back(' ');
    text.append(kind);
  }
  text.append(": ");
  if (const auto* own = dynamic_cast<const EOrvoError*>(&error)) {
    text.append(own->Message());
  } else {
    std::string converted;
    text.append(TryUtf8ToCp932(error.what(), converted) ? converted : std::string(error.what()));
  }
  Trace().Line("<Error> " + text);
  if (shown == TShown::No) host_.ReportError(text);
}

void TCallMan::AssignResult(const std::string& name, const TCustomParam& value) {
  if (TParamCollectionItem* item = engine_.Store().Find(name)) {
    AssignValue(item->Value(), value);
    return;
  }
  // A target such as an array element goes through the expression compiler;
  // the value is quoted so that no text of it can act as code.
  std::string statement = name;
  statement.append(" = ");
  statement.append(QuoteForStatement(value.GetAsStr()));
  RunStatement(engine_, statement);
}

void TCallMan::ReturnFromPage() {
  engine_.Store().DeleteOwnedBy(static_cast<int32_t>(stack_.size()));
  TStack frame = PopFrame();
  if (!frame.result_variable.empty() && frame.return_value) AssignResult(frame.result_variable, *frame.return_value);
  // An empty page name is the context of no page (an event that came while
  // no page ran): it stays without page.
  page_ = frame.page_name.empty() ? nullptr : GetPage(frame.page_name, true);
  pc_ = frame.program_counter;
  started_ = frame.started;
  running_ = frame.running;
  arguments_ = std::move(frame.arguments);
  event_sender_ = frame.event_sender;
  if (!frame.saved_state.empty() && InPage()) {
    TSpanStream stream(frame.saved_state.data(), frame.saved_state.size());
    TBinaryReader reader(stream);
    page_->At(pc_).LoadState(reader);
  }
}

int TCallMan::StepCommand() {
  if (!page_) {
    // Nothing to run: the frame must not go on waiting for a page.
    running_ = false;
    return 0;
  }
  if (state_.terminating) return 0;
  last_waiting_ = false;
  ExecuteAt();
  if (state_.terminating) return 0;
  int r = last_waiting_ ? 2 : 0;
  if (page_) return r;
  if (stack_.empty()) {
    running_ = false;
    return r;
  }
  const std::string returning_to = stack_.back().page_name;
  try {
    ReturnFromPage();
  } catch (const std::exception& error) {
    state_.SetFatal();
    ReportFailure(error, returning_to.empty() ? std::string("-") : returning_to, "");
    return 0;
  }
  if (event_sender_ == 0) return 1;
  return r != 0 ? r : -1;
}

bool TCallMan::DispatchEvent(int32_t level) {
  if (started_ && InPage() && page_->At(pc_).BlocksEvents()) return false;
  TScriptEvent* event = events_.NextWaitingEvent();
  if (!event) return false;
  // Handler: page, optionally ":" label; the colon must follow the last '.' and '\'.
  const std::string& handler = event->handler;
  size_t colon = std::string::npos, dot = std::string::npos, backslash = std::string::npos;
  for (size_t i = 0; i < handler.size(); i += CharLength(handler, i)) {
    if (CharLength(handler, i) != 1) continue;
    if (handler[i] == ':') colon = i;
    if (handler[i] == '.') dot = i;
    if (handler[i] == '\\') backslash = i;
  }
  std::string page_name = handler, label;
  if (colon != std::string::npos && (dot == std::string::npos || colon > dot) &&
      (backslash == std::string::npos || colon > backslash)) {
    page_name = handler.substr(0, colon);
    label = handler.substr(colon + 1);
  }
  page_name.resize(page_name.size() >= 3 ? page_name.size() - 3 : 0);
  page_name.append("osb");
  if (!pages_.RequireFile(page_name)) {
    // A handler that cannot run would block every later event.
    events_.Drop(*event);
    return false;
  }
  TStack frame;
  frame.page_name = page_ ? page_->Name() : std::string();
  frame.program_counter = pc_;
  frame.started = started_;
  frame.arguments = arguments_;
  frame.event_sender = event_sender_;
  frame.running = running_;
  if (started_ && InPage()) {
    TMemoryStream state;
    TBinaryWriter writer(state);
    page_->At(pc_).SaveState(writer);
    frame.saved_state.assign(state.Bytes().begin(), state.Bytes().end());
  }
  PushFrame(std::move(frame));
  try {
    page_ = GetPage(page_name, true);
  } catch (const std::exception& error) {
    state_.SetFatal();
    ReportFailure(error, page_name, "<Event>");
    throw;
  }
  int target = label.empty() ? 0 : page_->FindLabel(label);
  pc_ = target < 0 ? 0 : target;
  if (Trace().Enabled()) TraceLine("<Event>", InPage() ? page_->At(pc_).line : 0);
  started_ = false;
  event->level = level;
  arguments_ = event->args;
  event_sender_ = event->owner;
  mode_ = emHandler;
  return true;
}

void TCallMan::RunFrame() {
  try {
    do {
      switch (mode_) {
        case emMain:
          if (DispatchEvent(1)) continue;
          StepCommand();
          break;
        case emHandler: {
          int32_t mode_before = mode_;
          int r = StepCommand();
          if (r == 1) {
            events_.DropEventsOfLevel(1);
            mode_ = emMain;
            running_ = true;
          } else if (r == 2) {
            event_level_ = 2;
            mode_ = emHandlerWaits;
            return;
          } else if (mode_ != mode_before) {
            running_ = true;
          }
          break;
        }
        case emHandlerWaits:
          if (DispatchEvent(event_level_)) {
            ++event_level_;
            mode_ = emNested;
          } else {
            mode_ = event_level_ > 2 ? emNested : emHandler;
          }
          break;
        default: {
          int r = StepCommand();
          if (r == 1 || r == -1) {
            --event_level_;
            events_.DropEventsOfLevel(event_level_);
            if (event_level_ <= 2) mode_ = emHandlerWaits;
          } else if (r == 2) {
            mode_ = emHandlerWaits;
            return;
          }
          break;
        }
      }
    } while ((running_ || mode_ != emMain) && !state_.terminating);
  } catch (const std::exception& error) {
    state_.SetFatal();
    ReportFailure(error, page_ ? page_->Name() : std::string("-"), "");
  }
}

// ---- commands' services -----------------------------------------------------

void TCallMan::Call(const std::string& page, int32_t target, const std::string& result_variable,
                    std::vector<std::string> arguments) {
  TStack frame;
  frame.page_name = page_ ? page_->Name() : std::string();
  frame.program_counter = pc_;
  frame.result_variable = result_variable;
  frame.running = running_;
  frame.event_sender = event_sender_;
  frame.arguments = std::move(arguments_);
  PushFrame(std::move(frame));
  arguments_ = std::move(arguments);
  page_ = GetPage(page, true);
  pc_ = target;
  uint8_t type = page_->ResultType();
  if (type >= PT_INT && type <= PT_STR) stack_.back().return_value = MakeParam(type);
}

void TCallMan::EnterResumePage(const std::string& page, int32_t index) {
  if (page_) {
    TStack frame;
    frame.page_name = page_->Name();
    frame.program_counter = pc_;
    frame.running = running_;
    frame.started = started_;
    frame.event_sender = event_sender_;
    frame.arguments = arguments_;
    PushFrame(std::move(frame));
  }
  page_ = GetPage(page, true);
  if (index > 0) pc_ = index;
}

void TCallMan::ResetTo(const std::string& page, int32_t target, bool full) {
  TParamCollection& store = engine_.Store();
  store.DeleteOwnedBy(StackCount());
  if (full) {
    for (int32_t i = StackCount() - 1; i >= 0; --i) {
      store.DeleteOwnedBy(i);
      const TStack& frame = stack_[static_cast<size_t>(i)];
      if (frame.event_sender != 0 || !frame.started || frame.page_name.empty()) continue;
      TPage* owner = GetPage(frame.page_name, false);
      if (frame.program_counter >= 0 && frame.program_counter < owner->Count())
        owner->At(frame.program_counter).Abort(*this);
    }
    StartPage(page);
    pc_ = target;
    events_.Clear();
    return;
  }
  int32_t count = StackCount();
  int32_t with_sender = -1;
  for (int32_t i = 0; i < count; ++i) {
    if (stack_[static_cast<size_t>(i)].event_sender != 0) {
      with_sender = i;
      break;
    }
  }
  if (with_sender < 0 && event_sender_ != 0) with_sender = count;
  int32_t main_frame = -1;
  for (int32_t i = with_sender - 1; i >= 0; --i) {
    if (stack_[static_cast<size_t>(i)].event_sender == 0) {
      main_frame = i;
      break;
    }
  }
  if (main_frame >= 0) {
    store.DeleteOwnedBy(main_frame);
    TStack& frame = stack_[static_cast<size_t>(main_frame)];
    frame.page_name = page;
    frame.program_counter = target;
    frame.started = false;
    frame.result_variable.clear();
    frame.arguments.clear();
    frame.saved_state.clear();
    Advance();
  } else {
    page_ = GetPage(page, true);
    pc_ = target;
  }
  events_.DropStartedEvents();
}

void TCallMan::ResetGame(const std::string& page, int32_t target) {
  host_.ResetStage();
  engine_.Store().ResetGame();
  host_.ResetTables();
  host_.ClearHistoryFormats();
  StartPage(page);
  pc_ = target;
}

// ---- system variables -------------------------------------------------------

std::string TCallMan::Argument(int32_t index) const {
  if (index < 0 || index >= ArgumentCount()) return {};
  return arguments_[static_cast<size_t>(index)];
}

std::string TCallMan::EventSenderName() const { return mode_ != emMain ? host_.ObjectName(event_sender_) : ""; }

TCustomParam* TCallMan::ReturnValue() const { return stack_.empty() ? nullptr : stack_.back().return_value.get(); }

// ---- record -----------------------------------------------------------------

void TCallMan::SaveFrame(TBinaryWriter& writer, const TStack& frame) const {
  writer.WriteString(frame.page_name);
  writer.WriteInt32(frame.program_counter);
  writer.WriteBool(frame.started);
  writer.WriteBool(frame.running);
  // The reserved field carries the length of the result variable's name,
  // followed by the name: a call pending in a save still delivers its result.
  // Records without it hold 0 there.
  writer.WriteString(frame.result_variable);
  writer.WriteStringList(frame.arguments);
  writer.WriteString(host_.ObjectName(frame.event_sender));
  writer.WriteInt32(static_cast<int32_t>(frame.saved_state.size()));
  writer.WriteBytes(frame.saved_state);
  if (frame.return_value) {
    writer.WriteByte(frame.return_value->ClassKind());
    frame.return_value->SaveToStream(writer);
  } else {
    writer.WriteByte(0);
  }
}

TStack TCallMan::LoadFrame(TBinaryReader& reader) {
  TStack frame;
  frame.page_name = reader.ReadString();
  frame.program_counter = reader.ReadInt32();
  frame.started = reader.ReadBool();
  frame.running = reader.ReadBool();
  frame.result_variable = reader.ReadString();
  frame.arguments = reader.ReadStringList();
  std::string sender = reader.ReadString();
  frame.event_sender = sender.empty() ? 0 : host_.FindObject(sender);
  int32_t size = reader.ReadInt32();
  frame.saved_state = reader.ReadBytes(static_cast<int64_t>(reader.Require(size < 0 ? 0 : size)));
  uint8_t type = reader.ReadByte();
  if (type != 0) {
    frame.return_value = MakeParam(type);
    frame.return_value->LoadFromStream(reader);
  }
  return frame;
}

void TCallMan::SaveTo(TBinaryWriter& writer) const {
  writer.WriteString(page_ ? page_->Name() : std::string());
  writer.WriteInt32(pc_);
  writer.WriteBool(running_);
  writer.WriteBool(started_);
  writer.WriteInt32(mode_);
  writer.WriteString(host_.ObjectName(event_sender_));
  writer.WriteStringList(arguments_);
  SaveFrame(writer, popped_);
  writer.WriteInt32(StackCount());
  for (const TStack& frame : stack_) SaveFrame(writer, frame);
  writer.WriteInt32(event_level_);
  if (started_ && InPage()) page_->At(pc_).SaveState(writer);
}

void TCallMan::LoadFrom(TBinaryReader& reader, int32_t save_version) {
  std::string name = reader.ReadString();
  page_ = name.empty() ? nullptr : GetPage(name, true);
  pc_ = reader.ReadInt32();
  running_ = reader.ReadBool();
  started_ = reader.ReadBool();
  int32_t mode = reader.ReadInt32();
  if (mode < emMain || mode > emNested) throw EFormatError("Invalid interpreter data");
  mode_ = mode;
  std::string sender = reader.ReadString();
  event_sender_ = sender.empty() ? 0 : host_.FindObject(sender);
  arguments_ = reader.ReadStringList();
  popped_ = LoadFrame(reader);
  int32_t count = reader.ReadInt32();
  size_t checked = reader.RequireCount(count < 0 ? 0 : count, kMinFrameBytes);
  stack_.clear();
  for (size_t i = 0; i < checked; ++i) stack_.push_back(LoadFrame(reader));
  SetDepth();
  event_level_ = save_version >= 116 ? reader.ReadInt32() : 2;
  last_traced_ = nullptr;
  if (started_ && InPage()) page_->At(pc_).LoadState(reader);
}

}  // namespace orvo
