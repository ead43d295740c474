#include "vars/listing.h"

#include "vars/convert.h"
#include "vars/functions/function_table.h"
#include "vars/param_var.h"

namespace orvo {

namespace {

std::string Line(uint8_t op, const std::string& destination, const std::vector<std::string>& operands) {
  std::string name(OpeCodeName(op));
  std::string line = name;
  if (name.empty()) line.append("op").append(std::to_string(op));
  line += ' ';
  line += destination;
  line += " [";
  for (size_t i = 0; i < operands.size(); ++i) {
    if (i) line += ", ";
    line += operands[i];
  }
  line += "]\n";
  return line;
}

std::string OperandText(const TCustomParam& operand) {
  switch (operand.ClassKind()) {
    case PT_INT:
      return IntToText(operand.GetAsInt());
    case PT_FLOAT:
      return RealToText(operand.GetAsFloat());
    case PT_BOOL:
      return BoolToText(operand.GetAsBool());
    case PT_STR:
      return std::string(1, '"').append(operand.GetAsStr()).append(1, '"');
    default:
      return static_cast<const TParamVar&>(operand).Name();
  }
}

}  // namespace

std::string ListInstructions(const TBuildOrvoParser& builder) {
  std::string text;
  for (const TBuildOpeData& ope : builder.Instructions()) text += Line(ope.op, ope.destination, ope.operands);
  return text;
}

std::string ListInstructions(const TOrvoParser& parser) {
  std::string text;
  for (const TOpeData& ope : parser.Instructions()) {
    std::vector<std::string> operands;
    if (ope.op == ocFunc) {
      operands.push_back(ope.function < kFunctionCount ? std::string(FunctionInfo(ope.function).name)
                                                       : std::string("#").append(std::to_string(ope.function)));
    }
    for (const auto& operand : ope.operands) operands.push_back(OperandText(*operand));
    text += Line(ope.op, ope.destination, operands);
  }
  return text;
}

}  // namespace orvo
