#pragma once
// The commands that fill and empty message windows and forget read marks.
#include <cstdint>
#include <memory>

#include "script/command.h"

namespace orvo {

// The command of a kind byte when it is text insert, text clear or clear-read; null otherwise.
std::unique_ptr<TCommand> CreateTextCommand(uint8_t kind_byte);

}  // namespace orvo
