#pragma once
// The two dispatchers between a property id, an object's accessors and a
// script variable: the value is converted by the variable to or from the
// property's type.
#include <cstdint>
#include <string>

#include "stage/prop_table.h"
#include "vars/param.h"

namespace orvo {

class TOrvoObject;

// Reads property id of object into variable. Ids outside 0..172 raise "GetPropエラー".
void GetProp(TCustomParam& variable, const TOrvoObject& object, int32_t id);
// Writes variable into property id of object. Ids outside 0..172 and the two
// that refuse writes (92, 93) raise "SetPropエラー"; read-only ids do nothing.
void SetProp(TOrvoObject& object, int32_t id, const TCustomParam& variable);

// The variable kind of a property id (PT_INT for ids outside the table).
TParamType PropParamType(int32_t id);

// "GetPropエラー", "SetPropエラー" (CP932).
const std::string& MsgGetPropError();
const std::string& MsgSetPropError();

}  // namespace orvo
