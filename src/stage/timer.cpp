#include "stage/timer.h"

#include "base/numeric.h"
#include "stage/stage.h"

namespace orvo {

TOrvoTimer::TOrvoTimer(TOrvoBaseList& stage) : TOrvoComponent(stage), last_tick_(stage.GameClock()) {}

TPropValue TOrvoTimer::GetProperty(int32_t id) const {
  switch (id) {
    case PR_ONNOTIFY:
      return TPropValue::Str(on_notify_);
    case PR_DELAY:
      return TPropValue::Int(delay_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    default:
      return TOrvoComponent::GetProperty(id);
  }
}

void TOrvoTimer::Restart() {
  Stage().Events().DropWaitingEventsOf(Handle());
  last_tick_ = Stage().GameClock();
}

void TOrvoTimer::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_ONNOTIFY:
      on_notify_ = value.AsStr();
      Restart();
      break;
    case PR_DELAY:
      delay_ = value.AsInt();
      Restart();
      break;
    case PR_PAUSED:
      if (paused_ != value.AsBool()) {
        paused_ = value.AsBool();
        Restart();
      }
      break;
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      break;
    default:
      TOrvoComponent::SetProperty(id, value);
      break;
  }
}

bool TOrvoTimer::Update() {
  TTimerList& events = Stage().Events();
  if (fired_ && auto_scrap_) return !events.HasEvent(Handle(), ecNotify);
  if (delay_ < 0 || paused_) return false;
  if (delay_ > 0 && WrapSub(Stage().GameClock(), last_tick_) < delay_) return false;
  // A late frame catches up one delay per frame.
  last_tick_ = WrapAdd(last_tick_, delay_);
  if (!events.HasEvent(Handle(), ecNotify)) {
    if (!on_notify_.empty()) events.PostEvent(Handle(), on_notify_, {}, ecNotify);
    fired_ = true;
  }
  return false;
}

void TOrvoTimer::WriteState(TBinaryWriter& writer) const {
  TOrvoComponent::WriteState(writer);
  writer.WriteString(on_notify_);
  writer.WriteInt32(delay_);
  writer.WriteBool(paused_);
  writer.WriteBool(auto_scrap_);
  writer.WriteBool(fired_);
}

void TOrvoTimer::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoComponent::ReadState(reader, version);
  on_notify_ = reader.ReadString();
  delay_ = reader.ReadInt32();
  paused_ = reader.ReadBool();
  if (version > 103) {
    auto_scrap_ = reader.ReadBool();
    fired_ = reader.ReadBool();
  }
  last_tick_ = Stage().GameClock();
}

}  // namespace orvo
