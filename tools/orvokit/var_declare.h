#pragma once
// Variables declared on the command line (`--var NAME[SIZES]:TYPE[=VALUE]`),
// shared by the subcommands that evaluate script expressions.
#include <string>

#include "vars/store.h"

namespace orvo::kit {

// A UTF-8 command-line text as CP932; raises when it has no CP932 form.
std::string ArgumentToCp932(const std::string& utf8);
// Declares one global variable; false with problem set on a malformed declaration.
bool DeclareVariable(TParamCollection& store, const std::string& declaration, std::string& problem);

}  // namespace orvo::kit
