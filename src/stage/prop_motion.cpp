#include "stage/prop_motion.h"

#include <cmath>
#include <numbers>

#include "base/error.h"
#include "base/numeric.h"
#include "stage/prop_access.h"
#include "stage/stage.h"
#include "vars/param_types.h"

namespace orvo {

bool IsMovableProperty(int32_t id) { return IsPropId(id) && id != PR_APPEARX && id != PR_APPEARY; }

TOrvoPropMotion::TOrvoPropMotion(TOrvoBaseList& stage) : TOrvoComponent(stage) {}

void TOrvoPropMotion::SetTargetName(std::string name) {
  target_name_ = std::move(name);
  target_ = 0;
  target_known_ = false;
  saved_name_ = false;
}

TPropValue TOrvoPropMotion::GetProperty(int32_t id) const {
  if (id == PR_PLAYING) return TPropValue::Bool(!paused_);
  return TOrvoComponent::GetProperty(id);
}

void TOrvoPropMotion::SetProperty(int32_t id, const TPropValue& value) {
  if (id == PR_PAUSED) {
    paused_ = value.AsBool();
    return;
  }
  TOrvoComponent::SetProperty(id, value);
}

long double TOrvoPropMotion::ValueAt(int32_t e, int32_t d, bool& finished) const {
  finished = false;
  if (e == 0) return start_value_;
  const long double span = target_value_ - start_value_;
  if (int64_t{e} < int64_t{d} - 1) {
    constexpr long double kHalfPi = std::numbers::pi_v<long double> / 2;
    switch (motion_type_) {
      case MT_INC:
        return target_value_ - std::sin(static_cast<long double>(int64_t{d} - e - 1) * kHalfPi / d) * span;
      case MT_DEC:
        return start_value_ + std::sin(static_cast<long double>(e) * kHalfPi / d) * span;
      default:
        return start_value_ + span * e / d;
    }
  }
  finished = e > 0;
  return target_value_;
}

bool TOrvoPropMotion::Update() {
  if (paused_) return false;
  TOrvoBaseList& stage = Stage();
  TOrvoObject* target = nullptr;
  try {
    if (target_known_) {
      target = stage.Resolve(target_);
      if (!target) return true;
    } else {
      target = saved_name_ ? stage.FindSavedName(target_name_) : stage.FindComponent(target_name_);
      // A motion that cannot move anything ends quietly instead of failing the frame.
      if (!target || !IsMovableProperty(prop_id_)) return true;
      target_ = target->Handle();
      target_known_ = true;
      TParamFloat current;
      GetProp(current, *target, prop_id_);
      start_value_ = current.GetAsFloat();
    }
    bool finished = false;
    TParamFloat value;
    value.SetAsFloat(ValueAt(elapsed_, duration_, finished));
    SetProp(*target, prop_id_, value);
    elapsed_ = WrapAdd(elapsed_, stage.FrameDelta());
    return finished;
  } catch (const EOrvoError&) {
    // A value the property refuses ends the motion, not the game.
    return true;
  }
}

void TOrvoPropMotion::WriteState(TBinaryWriter& writer) const {
  TOrvoComponent::WriteState(writer);
  std::string name = target_name_;
  if (target_known_) {
    const TOrvoObject* target = Stage().Resolve(target_);
    name = target ? target->Name() : std::string();
  }
  writer.WriteString(name);
  writer.WriteInt32(prop_id_);
  writer.WriteExt80(target_value_);
  writer.WriteInt32(duration_);
  writer.WriteInt32(motion_type_);
  writer.WriteExt80(start_value_);
  writer.WriteInt32(elapsed_);
  writer.WriteBool(paused_);
}

void TOrvoPropMotion::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoComponent::ReadState(reader, version);
  SetTargetName(reader.ReadString());
  saved_name_ = true;
  prop_id_ = reader.ReadInt32();
  target_value_ = reader.ReadExt80();
  duration_ = reader.ReadInt32();
  motion_type_ = reader.ReadInt32();
  start_value_ = reader.ReadExt80();
  elapsed_ = reader.ReadInt32();
  paused_ = version > 125 ? reader.ReadBool() : false;
}

}  // namespace orvo
