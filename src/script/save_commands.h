#pragma once
// The commands that request saves and loads and fill, clear and show the
// message history.
#include <cstdint>
#include <memory>

#include "script/command.h"

namespace orvo {

// The command of a kind byte when it is save, load, clear-history,
// call-history or entry-history; null otherwise.
std::unique_ptr<TCommand> CreateSaveCommand(uint8_t kind_byte);

}  // namespace orvo
