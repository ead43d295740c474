#include "stage/orvo_object.h"

#include "base/error.h"
#include "stage/orvo_control.h"
#include "stage/stage.h"

namespace orvo {

TOrvoObject::TOrvoObject(TOrvoBaseList& stage) : stage_(&stage) {}

TOrvoObject::~TOrvoObject() = default;

TOrvoControl* TOrvoObject::AsControl() { return IsVisual() ? static_cast<TOrvoControl*>(this) : nullptr; }

const TOrvoControl* TOrvoObject::AsControl() const {
  return IsVisual() ? static_cast<const TOrvoControl*>(this) : nullptr;
}

void TOrvoObject::StoreName(const std::string& name) {
  if (name == name_) return;
  std::string old = std::move(name_);
  name_ = name;
  if (handle_ != 0) stage_->NameChanged(old, name_);
}

void TOrvoObject::SetName(const std::string& name) {
  if (name == name_ || scrapped_) return;
  if (!name.empty()) {
    // A non-visual object takes the name from whoever holds it.
    int32_t index = stage_->IndexOfName(name);
    if (index >= 0) {
      TOrvoObject* other = stage_->Objects()[static_cast<size_t>(index)];
      if (other != this) other->Scrap();
    }
  }
  StoreName(name);
}

void TOrvoObject::SetPriority(int32_t priority) {
  if (priority == priority_) return;
  priority_ = priority;
  priority_bias_ = 0;
}

void TOrvoObject::Scrap() { stage_->Scrap(*this); }

bool TOrvoObject::StopMedia(int32_t fade_time) {
  // Nothing of another kind plays: a fade leaves it alone, a stop scraps it.
  if (fade_time <= 0) Scrap();
  return false;
}

bool TOrvoObject::IsSaved() const { return CompoType() != kcNone && !scrapped_ && !HasSystemName() && !IsAfterimage(); }

TPropValue TOrvoObject::GetProperty(int32_t id) const {
  switch (id) {
    case PR_NAME:
      return TPropValue::Str(name_);
    case PR_PRIORITY:
      return TPropValue::Int(priority_);
    case PR_TAG:
      return TPropValue::Str(tag_);
    case PR_COMPOTYPE:
      return TPropValue::Int(CompoType());
    case PR_PAUSED:
      return TPropValue::Bool(Paused());
    default:
      break;
  }
  return DefaultPropValue(*this, id);
}

void TOrvoObject::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_NAME:
      SetName(value.AsStr());
      break;
    case PR_PRIORITY:
      SetPriority(value.AsInt());
      break;
    case PR_TAG:
      tag_ = value.AsStr();
      break;
    default:
      break;
  }
}

void TOrvoObject::WriteState(TBinaryWriter& writer) const {
  writer.WriteString(name_);
  writer.WriteInt32(priority_);
  writer.WriteInt32(priority_bias_);
  writer.WriteString(tag_);
}

void TOrvoObject::ReadState(TBinaryReader& reader, int32_t version) {
  std::string name = reader.ReadString();
  if (!IsScreen()) {
    if (!name.empty() && name[0] == '\x01') {
      // System objects are never saved: such a name in a save is damage.
      throw EFormatError("Invalid stage data: reserved object name");
    }
    StoreName(name);
  }
  priority_ = reader.ReadInt32();
  priority_bias_ = version > 103 ? reader.ReadInt32() : 0;
  tag_ = version >= 120 ? reader.ReadString() : std::string();
}

}  // namespace orvo
