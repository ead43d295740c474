#include "vars/system_var.h"

#include <numbers>

#include "base/cp932.h"
#include "vars/convert.h"
#include "vars/date_time.h"
#include "vars/messages.h"
#include "vars/store.h"

namespace orvo {

namespace {

const char* const kNames[kSystemVarCount] = {"@Result",
                                             "@LClick",
                                             "@RClick",
                                             "@LPush",
                                             "@RPush",
                                             "@MouseX",
                                             "@MouseY",
                                             "@TextDelay",
                                             "@HistoryCount",
                                             "@ParamCount",
                                             "@ParamStr",
                                             "@Sender",
                                             "@ScrWidth",
                                             "@ScrHeight",
                                             "@TickCount",
                                             "@PCTickCount",
                                             "@UpdateCount",
                                             "@Year",
                                             "@Month",
                                             "@Day",
                                             "@Week",
                                             "@Hour",
                                             "@Min",
                                             "@Sec",
                                             "@Fonts",
                                             "@FixedFonts",
                                             "@FullScr",
                                             "@Cursor",
                                             "@SelStr",
                                             "@SelIndex",
                                             "@Pi",
                                             "@CGDither",
                                             "@1Hour",
                                             "@1Min",
                                             "@1Sec",
                                             "@KeyPush",
                                             "@KeyClick",
                                             "@DisplayModeCount",
                                             "@DisplayModeIndex",
                                             "@Title",
                                             "@SoundON",
                                             "@ActiveCompo",
                                             "@KeyRepeat",
                                             "@HistoryMaxCount",
                                             "@Temp",
                                             "@MidiPort",
                                             "@MidiPorts",
                                             "@WheelDown",
                                             "@WheelUp",
                                             "@IsDebug",
                                             "@StackCount"};

constexpr TParamType I = PT_INT, F = PT_FLOAT, B = PT_BOOL, S = PT_STR, N = PT_NONE;
constexpr TParamType kKinds[kSystemVarCount] = {N, B, B, B, B, I, I, I, I, I, S, S, I, I, I, I, I,
                                                I, I, I, I, I, I, I, S, S, B, S, S, I, F, B, F, F,
                                                F, B, B, I, I, S, B, S, B, I, N, S, S, B, B, B, I};

constexpr int32_t kKeyArrayCount = 258;

const std::string& MidiMapperName() {
  static const std::string kName = Utf8ToCp932("MIDIマッパー");
  return kName;
}

std::string JoinFonts(const std::vector<std::string>& faces) {
  std::string joined;
  for (size_t i = 0; i < faces.size(); ++i) {
    if (i) joined += "\r\n";
    joined += faces[i];
  }
  return TrimText(joined);
}

int32_t AsInt(const TParamSystem::TValue& v) {
  switch (v.kind) {
    case PT_INT:
      return v.integer;
    case PT_FLOAT:
      return RealToScriptInt(v.real);
    case PT_BOOL:
      return v.flag ? 1 : 0;
    case PT_STR:
      return TextToInt(v.text);
    default:
      return 0;
  }
}

long double AsFloat(const TParamSystem::TValue& v) {
  switch (v.kind) {
    case PT_INT:
      return v.integer;
    case PT_FLOAT:
      return v.real;
    case PT_BOOL:
      return v.flag ? 1 : 0;
    case PT_STR:
      return TextToReal(v.text);
    default:
      return 0;
  }
}

// A string variable read as a flag: without index any non-empty text is true.
bool AsBool(const TParamSystem::TValue& v, bool indexed) {
  switch (v.kind) {
    case PT_INT:
      return v.integer != 0;
    case PT_FLOAT:
      return v.real != 0;
    case PT_BOOL:
      return v.flag;
    case PT_STR:
      return indexed ? TextToBoolStrict(v.text) : !v.text.empty();
    default:
      return false;
  }
}

std::string AsStr(const TParamSystem::TValue& v) {
  switch (v.kind) {
    case PT_INT:
      return IntToText(v.integer);
    case PT_FLOAT:
      return RealToText(v.real);
    case PT_BOOL:
      return BoolToText(v.flag);
    case PT_STR:
      return v.text;
    default:
      return {};
  }
}

}  // namespace

const char* SystemVarName(int number) { return (number >= 0 && number < kSystemVarCount) ? kNames[number] : ""; }

TParamSystem::TParamSystem(int number, TParamCollection& store) : number_(number), store_(store) {
  if (number < 0 || number >= kSystemVarCount) RaiseVars(TVarsMessage::InternalError);
}

TCustomParam* TParamSystem::Forward() const {
  if (number_ == svResult) {
    TCustomParam* value = store_.Host().ReturnValue();
    return (value && !dynamic_cast<TParamSystem*>(value)) ? value : nullptr;
  }
  if (number_ == svTemp) {
    if (store_.TempName().empty()) return nullptr;
    TParamCollectionItem* item = store_.Find(store_.TempName());
    // A system variable would make @Temp stand for itself (or loop).
    return (item && !item->IsSystem()) ? &item->Value() : nullptr;
  }
  return nullptr;
}

bool TParamSystem::IsArray() const {
  return number_ == svKeyPush || number_ == svKeyClick || number_ == svKeyRepeat || number_ == svParamStr ||
         number_ == svMidiPorts;
}

TParamSystem::TValue TParamSystem::Read(int32_t index) const {
  ISystemHost& host = store_.Host();
  TValue v;
  v.kind = kKinds[number_];
  switch (number_) {
    case svLClick:
      v.flag = host.LeftClickNow();
      break;
    case svRClick:
      v.flag = host.RightClickNow();
      break;
    case svLPush:
      v.flag = host.LeftPush();
      break;
    case svRPush:
      v.flag = host.RightPush();
      break;
    case svMouseX:
      v.integer = host.MouseX();
      break;
    case svMouseY:
      v.integer = host.MouseY();
      break;
    case svTextDelay:
      v.integer = store_.TextDelay();
      break;
    case svHistoryCount:
      v.integer = host.HistoryCount();
      break;
    case svParamCount:
      v.integer = host.ArgumentCount();
      break;
    case svParamStr:
      v.text = index < 0 ? std::string() : host.Argument(index);
      break;
    case svSender:
      v.text = host.EventSenderName();
      break;
    case svScrWidth:
      v.integer = host.ScreenWidth();
      break;
    case svScrHeight:
      v.integer = host.ScreenHeight();
      break;
    case svTickCount:
      v.integer = host.TotalElapsed();
      break;
    case svPCTickCount:
      v.integer = host.SystemMilliseconds();
      break;
    case svUpdateCount:
      v.integer = host.FrameCounter();
      break;
    case svYear:
      v.integer = store_.LocalNow().year;
      break;
    case svMonth:
      v.integer = store_.LocalNow().month;
      break;
    case svDay:
      v.integer = store_.LocalNow().day;
      break;
    case svWeek: {
      const TLocalTime& now = store_.LocalNow();
      v.integer = DayOfWeek(now.year, now.month, now.day);
      break;
    }
    case svHour:
      v.integer = store_.LocalNow().hour;
      break;
    case svMin:
      v.integer = store_.LocalNow().minute;
      break;
    case svSec:
      v.integer = store_.LocalNow().second;
      break;
    case svFonts:
      v.text = JoinFonts(host.ListFonts(false));
      break;
    case svFixedFonts:
      v.text = JoinFonts(host.ListFonts(true));
      break;
    case svFullScr:
      v.flag = host.FullScreen();
      break;
    case svCursor:
      v.text = store_.CursorName();
      break;
    case svSelStr:
      v.text = store_.SelectedString();
      break;
    case svSelIndex:
      v.integer = store_.SelectedIndex();
      break;
    case svPi:
      v.real = std::numbers::pi_v<long double>;
      break;
    case svCGDither:
      v.flag = host.CGDither();
      break;
    case sv1Hour:
      v.real = 1.0L / 24;
      break;
    case sv1Min:
      v.real = 1.0L / 1440;
      break;
    case sv1Sec:
      v.real = 1.0L / 86400;
      break;
    case svKeyPush:
    case svKeyClick:
    case svKeyRepeat:
      if (index >= 0 && index <= 255) {
        v.flag = number_ == svKeyPush    ? host.IsKeyDown(index)
                 : number_ == svKeyClick ? host.IsKeyPressed(index)
                                         : host.IsKeyRepeated(index);
      } else if (index == 256) {
        v.flag = host.WheelDownNow();
      } else if (index == 257) {
        v.flag = host.WheelUpNow();
      }
      break;
    case svDisplayModeCount:
      v.integer = host.DisplayModeCount();
      break;
    case svDisplayModeIndex:
      v.integer = host.DisplayModeIndex();
      break;
    case svTitle:
      v.text = host.ProjectTitle();
      break;
    case svSoundON:
      v.flag = host.SoundOn();
      break;
    case svActiveCompo:
      v.text = host.ActiveCompo();
      break;
    case svHistoryMaxCount:
      v.integer = host.HistoryMaxCount();
      break;
    case svMidiPort:
      v.text = host.MidiPort();
      break;
    case svMidiPorts: {
      std::vector<std::string> ports = host.MidiPorts();
      size_t at = index < 0 ? 0 : static_cast<size_t>(index);
      v.text = at < ports.size() ? ports[at] : MidiMapperName();
      break;
    }
    case svWheelDown:
      v.flag = host.WheelDownNow();
      break;
    case svWheelUp:
      v.flag = host.WheelUpNow();
      break;
    case svIsDebug:
      v.flag = false;
      break;
    case svStackCount:
      v.integer = host.CallStackCount();
      break;
    default:
      break;
  }
  return v;
}

void TParamSystem::Write(const TValue& v) {
  ISystemHost& host = store_.Host();
  switch (number_) {
    case svLClick:
      host.SetLeftClickNow(v.flag);
      break;
    case svRClick:
      host.SetRightClickNow(v.flag);
      break;
    case svMouseX:
      host.SetCursorX(v.integer);
      break;
    case svMouseY:
      host.SetCursorY(v.integer);
      break;
    case svTextDelay:
      store_.SetTextDelay(v.integer);
      break;
    case svFullScr:
      host.SetFullScreen(v.flag);
      break;
    case svCursor:
      store_.SetCursorName(v.text);
      break;
    case svSelStr:
      store_.SetSelectedString(v.text);
      break;
    case svSelIndex:
      store_.SetSelectedIndex(v.integer);
      break;
    case svCGDither:
      host.SetCGDither(v.flag);
      break;
    case svDisplayModeIndex:
      host.SetDisplayModeIndex(v.integer);
      break;
    case svSoundON:
      host.SetSoundOn(v.flag);
      break;
    case svActiveCompo:
      if (!v.text.empty()) host.SetActiveCompo(v.text);
      break;
    case svHistoryMaxCount:
      host.SetHistoryMaxCount(v.integer);
      break;
    case svMidiPort:
      host.SetMidiPort(v.text);
      break;
    default:
      break;  // read-only
  }
}

void TParamSystem::WriteInt(int32_t value) {
  TValue v;
  v.kind = kKinds[number_];
  v.integer = value;
  v.real = value;
  v.flag = value != 0;
  v.text = IntToText(value);
  Write(v);
}

void TParamSystem::WriteFloat(long double value) {
  TValue v;
  v.kind = kKinds[number_];
  v.integer = RealToScriptInt(value);
  v.real = value;
  v.flag = value != 0;
  v.text = RealToText(value);
  Write(v);
}

void TParamSystem::WriteBool(bool value) {
  TValue v;
  v.kind = kKinds[number_];
  v.integer = value ? 1 : 0;
  v.real = value ? 1 : 0;
  v.flag = value;
  v.text = BoolToText(value);
  Write(v);
}

void TParamSystem::WriteStr(std::string_view value, bool indexed) {
  TValue v;
  v.kind = kKinds[number_];
  switch (v.kind) {
    case PT_INT:
      if (!TryTextToInt(value, v.integer)) return;  // text that does not convert changes nothing
      break;
    case PT_FLOAT:
      if (!TryTextToReal(value, v.real)) return;
      break;
    case PT_BOOL:
      v.flag = indexed ? TextToBoolStrict(value) : TextToInt(value) != 0;
      break;
    default:
      v.text = std::string(value);
      break;
  }
  Write(v);
}

// ---- operations -------------------------------------------------------------

#define ORVO_FORWARD(call, neutral)               \
  if (number_ == svResult || number_ == svTemp) { \
    TCustomParam* target = Forward();             \
    return target ? target->call : neutral;       \
  }
#define ORVO_FORWARD_VOID(call)                         \
  if (number_ == svResult || number_ == svTemp) {       \
    if (TCustomParam* target = Forward()) target->call; \
    return;                                             \
  }

int32_t TParamSystem::Count() const {
  ORVO_FORWARD(Count(), 1);
  switch (number_) {
    case svKeyPush:
    case svKeyClick:
    case svKeyRepeat:
      return kKeyArrayCount;
    case svParamStr:
      return store_.Host().ArgumentCount();
    case svMidiPorts:
      return static_cast<int32_t>(store_.Host().MidiPorts().size());
    default:
      return 1;
  }
}

void TParamSystem::SetCount(int32_t count) { ORVO_FORWARD_VOID(SetCount(count)); }

TParamType TParamSystem::ParamType() const {
  ORVO_FORWARD(ParamType(), PT_NONE);
  return kKinds[number_];
}

bool TParamSystem::GetAsBool() const {
  ORVO_FORWARD(GetAsBool(), false);
  return AsBool(Read(-1), false);
}
long double TParamSystem::GetAsFloat() const {
  ORVO_FORWARD(GetAsFloat(), 0.0L);
  return AsFloat(Read(-1));
}
int32_t TParamSystem::GetAsInt() const {
  ORVO_FORWARD(GetAsInt(), 0);
  return AsInt(Read(-1));
}
std::string TParamSystem::GetAsStr() const {
  ORVO_FORWARD(GetAsStr(), std::string());
  return AsStr(Read(-1));
}
void TParamSystem::SetAsBool(bool value) {
  ORVO_FORWARD_VOID(SetAsBool(value));
  WriteBool(value);
}
void TParamSystem::SetAsFloat(long double value) {
  ORVO_FORWARD_VOID(SetAsFloat(value));
  WriteFloat(value);
}
void TParamSystem::SetAsInt(int32_t value) {
  ORVO_FORWARD_VOID(SetAsInt(value));
  WriteInt(value);
}
void TParamSystem::SetAsStr(std::string_view value) {
  ORVO_FORWARD_VOID(SetAsStr(value));
  WriteStr(value, false);
}

// Element access of the plain variables ignores the index.
int32_t TParamSystem::GetInt(int32_t index) const {
  ORVO_FORWARD(GetInt(index), 0);
  return AsInt(Read(IsArray() ? index : -1));
}
void TParamSystem::SetInt(int32_t index, int32_t value) {
  ORVO_FORWARD_VOID(SetInt(index, value));
  WriteInt(value);
}
long double TParamSystem::GetFloat(int32_t index) const {
  ORVO_FORWARD(GetFloat(index), 0.0L);
  return AsFloat(Read(IsArray() ? index : -1));
}
void TParamSystem::SetFloat(int32_t index, long double value) {
  ORVO_FORWARD_VOID(SetFloat(index, value));
  WriteFloat(value);
}
bool TParamSystem::GetBool(int32_t index) const {
  ORVO_FORWARD(GetBool(index), false);
  return AsBool(Read(IsArray() ? index : -1), true);
}
void TParamSystem::SetBool(int32_t index, bool value) {
  ORVO_FORWARD_VOID(SetBool(index, value));
  WriteBool(value);
}
std::string TParamSystem::GetStr(int32_t index) const {
  ORVO_FORWARD(GetStr(index), std::string());
  return AsStr(Read(IsArray() ? index : -1));
}
void TParamSystem::SetStr(int32_t index, std::string_view value) {
  ORVO_FORWARD_VOID(SetStr(index, value));
  WriteStr(value, true);
}

int32_t TParamSystem::DimCount() const {
  ORVO_FORWARD(DimCount(), 1);
  return 1;
}
int32_t TParamSystem::DimSize(int32_t dimension) const {
  ORVO_FORWARD(DimSize(dimension), 1);
  return 1;
}
void TParamSystem::SetDims(std::span<const int32_t> sizes) { ORVO_FORWARD_VOID(SetDims(sizes)); }
void TParamSystem::FillInt(int32_t value) { ORVO_FORWARD_VOID(FillInt(value)); }
void TParamSystem::FillFloat(long double value) { ORVO_FORWARD_VOID(FillFloat(value)); }
void TParamSystem::FillBool(bool value) { ORVO_FORWARD_VOID(FillBool(value)); }
void TParamSystem::FillStr(std::string_view value) { ORVO_FORWARD_VOID(FillStr(value)); }
void TParamSystem::CopyMem(const TCustomParam& source) {
  ORVO_FORWARD_VOID(CopyMem(source));
  RaiseVars(TVarsMessage::CopyMemMismatch);
}
void TParamSystem::ClearDims() { ORVO_FORWARD_VOID(ClearDims()); }
void TParamSystem::Unique() { ORVO_FORWARD_VOID(Unique()); }
void TParamSystem::RemoveValue(const TCustomParam* value) { ORVO_FORWARD_VOID(RemoveValue(value)); }

int32_t TParamSystem::IndexOf(std::string_view text, bool match_case, bool partial) const {
  ORVO_FORWARD(IndexOf(text, match_case, partial), -1);
  int32_t count = Count();
  for (int32_t i = 0; i < count; ++i) {
    if (TextMatches(GetStr(i), text, match_case, partial)) return i;
  }
  return -1;
}

#undef ORVO_FORWARD
#undef ORVO_FORWARD_VOID

// Never saved or loaded: the records skip system variables.
void TParamSystem::SaveToStream(TBinaryWriter& writer) const { (void)writer; }
void TParamSystem::LoadFromStream(TBinaryReader& reader) { (void)reader; }

std::unique_ptr<TCustomParam> TParamSystem::Clone() const {
  if (TCustomParam* target = Forward()) return target->Clone();
  std::unique_ptr<TCustomParam> copy = MakeParam(ParamType());
  AssignConverted(*copy, *this);
  if (copy->Count() == 1) copy->ClearDims();
  return copy;
}

}  // namespace orvo
