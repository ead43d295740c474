#include "stage/prop_value.h"

#include "base/numeric.h"

namespace orvo {

int32_t TPropValue::AsInt() const {
  switch (Type()) {
    case TPropType::Int:
      return std::get<int32_t>(value_);
    case TPropType::Float:
      return RealToIntSaturate<int32_t>(std::get<long double>(value_));
    case TPropType::Bool:
      return std::get<bool>(value_) ? 1 : 0;
    case TPropType::Str:
      break;
  }
  return 0;
}

long double TPropValue::AsFloat() const {
  switch (Type()) {
    case TPropType::Int:
      return std::get<int32_t>(value_);
    case TPropType::Float:
      return std::get<long double>(value_);
    case TPropType::Bool:
      return std::get<bool>(value_) ? 1 : 0;
    case TPropType::Str:
      break;
  }
  return 0;
}

bool TPropValue::AsBool() const {
  switch (Type()) {
    case TPropType::Int:
      return std::get<int32_t>(value_) != 0;
    case TPropType::Float:
      return std::get<long double>(value_) != 0;
    case TPropType::Bool:
      return std::get<bool>(value_);
    case TPropType::Str:
      break;
  }
  return false;
}

const std::string& TPropValue::AsStr() const {
  static const std::string kEmpty;
  return Type() == TPropType::Str ? std::get<std::string>(value_) : kEmpty;
}

}  // namespace orvo
