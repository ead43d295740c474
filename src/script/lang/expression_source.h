#pragma once
// Expression text back from a stored expression: text that the expression
// compiler turns into exactly the same bytes, so that a decompiled page
// compiles to the page it came from.
#include <optional>
#include <string>
#include <string_view>

#include "script/command.h"

namespace orvo {

// CP932 text that compiles to the expression's bytes; "" for an empty
// expression; nullopt when no text gives the same bytes (the caller then
// writes the bytes themselves).
std::optional<std::string> ExpressionText(const TExpression& expression);

// The stored form of expression text ("" gives an empty expression). Errors
// raise with the compiler's message.
std::string CompileExpression(std::string_view text);

// True when the bytes are those of the expression TRUE (an unconditional condition).
bool IsTrueCondition(const TExpression& expression);

}  // namespace orvo
