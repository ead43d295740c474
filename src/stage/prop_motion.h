#pragma once
// The property motion (kind 26): moves one numbered property of a target
// object from its current value to a target value over a duration, linear,
// accelerating or decelerating, and then deletes itself.
#include <string>

#include "stage/orvo_object.h"

namespace orvo {

class TOrvoPropMotion : public TOrvoComponent {
 public:
  explicit TOrvoPropMotion(TOrvoBaseList& stage);

  uint8_t CompoType() const override { return kcPropMotion; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // One step; finished when the target is gone, the property cannot move,
  // or the duration has passed.
  bool Update() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  // What the property-motion command sets. The target is found by name at the first update.
  void SetTargetName(std::string name);
  void SetPropId(int32_t id) { prop_id_ = id; }
  void SetTargetValue(long double value) { target_value_ = value; }
  void SetDuration(int32_t ms) { duration_ = ms; }
  void SetMotionType(int32_t type) { motion_type_ = type; }
  void SetPaused(bool paused) { paused_ = paused; }

  const std::string& TargetName() const { return target_name_; }
  int32_t PropId() const { return prop_id_; }
  int32_t Elapsed() const { return elapsed_; }

 private:
  // The value at elapsed e of duration d; sets finished at the end.
  long double ValueAt(int32_t e, int32_t d, bool& finished) const;

  long double target_value_ = 0;
  int32_t duration_ = 0;
  std::string target_name_;
  TObjectHandle target_ = 0;
  bool target_known_ = false;
  // A name read from a save resolves as saves do: "" is none, screens are absolute.
  bool saved_name_ = false;
  int32_t prop_id_ = -1;
  int32_t motion_type_ = MT_NORMAL;
  int32_t elapsed_ = 0;
  long double start_value_ = 0;
  bool paused_ = false;
};

// True for ids a property motion may move: 0..172 except the two that
// refuse writes.
bool IsMovableProperty(int32_t id);

}  // namespace orvo
