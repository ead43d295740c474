#pragma once
// The table of the 169 system functions. Their numbers are stored in
// compiled expressions, so the numbering is part of the page format.
#include <cstdint>
#include <string_view>

#include "vars/param.h"

namespace orvo {

constexpr int kFunctionCount = 169;

struct TFunctionInfo {
  std::string_view name;
  int8_t min_args;
  int8_t max_args;  // -1: any number
  TParamType result;
};

// The row of function number 0..168.
const TFunctionInfo& FunctionInfo(int number);
// The number of a function name (matched with case), or -1.
int FindFunction(std::string_view name);

}  // namespace orvo
