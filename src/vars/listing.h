#pragma once
// Readable instruction lists, one line per instruction, for tools and tests:
//   ocMul ____0 [2, 3]
//   ocFunc ____1 [IntToStr, 7, 3]
// String constants are quoted, variable operands appear as their names.
#include <string>

#include "vars/compiler.h"
#include "vars/parser.h"

namespace orvo {

std::string ListInstructions(const TBuildOrvoParser& builder);
std::string ListInstructions(const TOrvoParser& parser);

}  // namespace orvo
