#pragma once
// A readable listing of the script variables, for --dump-vars and tests:
// one line per variable, "scope<TAB>name<TAB>type<TAB>value" in UTF-8,
// array elements joined by commas, sorted by scope and name so that equal
// stores give equal text. System variables are left out.
#include <string>

namespace orvo {

class TParamCollection;

std::string FormatVariableDump(const TParamCollection& store);

}  // namespace orvo
