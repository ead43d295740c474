#include "stage/prop_access.h"

#include "base/cp932.h"
#include "base/error.h"
#include "stage/orvo_object.h"

namespace orvo {

const std::string& MsgGetPropError() {
  static const std::string kMsg = Utf8ToCp932("GetPropエラー");
  return kMsg;
}

const std::string& MsgSetPropError() {
  static const std::string kMsg = Utf8ToCp932("SetPropエラー");
  return kMsg;
}

TParamType PropParamType(int32_t id) {
  if (!IsPropId(id)) return PT_INT;
  switch (PropType(id)) {
    case TPropType::Int:
      return PT_INT;
    case TPropType::Float:
      return PT_FLOAT;
    case TPropType::Bool:
      return PT_BOOL;
    case TPropType::Str:
      return PT_STR;
  }
  return PT_INT;
}

void GetProp(TCustomParam& variable, const TOrvoObject& object, int32_t id) {
  // Negative ids are refused like ids past the table.
  if (!IsPropId(id)) throw EOrvoError(MsgGetPropError());
  const TPropValue value = object.GetProperty(id);
  switch (PropType(id)) {
    case TPropType::Int:
      variable.SetAsInt(value.AsInt());
      break;
    case TPropType::Float:
      variable.SetAsFloat(value.AsFloat());
      break;
    case TPropType::Bool:
      variable.SetAsBool(value.AsBool());
      break;
    case TPropType::Str:
      variable.SetAsStr(value.AsStr());
      break;
  }
}

void SetProp(TOrvoObject& object, int32_t id, const TCustomParam& variable) {
  if (!IsPropId(id) || id == PR_APPEARX || id == PR_APPEARY) throw EOrvoError(MsgSetPropError());
  if (PropInfo(id).read_only) return;
  switch (PropType(id)) {
    case TPropType::Int:
      object.SetProperty(id, TPropValue::Int(variable.GetAsInt()));
      break;
    case TPropType::Float:
      object.SetProperty(id, TPropValue::Float(variable.GetAsFloat()));
      break;
    case TPropType::Bool:
      object.SetProperty(id, TPropValue::Bool(variable.GetAsBool()));
      break;
    case TPropType::Str:
      object.SetProperty(id, TPropValue::Str(variable.GetAsStr()));
      break;
  }
}

}  // namespace orvo
