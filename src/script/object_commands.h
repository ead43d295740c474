#pragma once
// The commands that create stage objects, read and write their properties,
// animate a property, delete objects, restart media, fill and empty cabinets
// and flip the screens. They reach the stage through IStageCommands; without
// a stage they evaluate their expressions, trace and advance.
#include <array>
#include <cstdint>
#include <memory>

#include "script/command.h"

namespace orvo {

// The command of a kind byte when it is one of these kinds; null otherwise.
std::unique_ptr<TCommand> CreateObjectCommand(uint8_t kind_byte);

// The stage kind code that a creation command kind makes; 0 for other kinds.
int32_t CreatedKindOf(int command_kind);

// The order in which a creation command applies its property expressions.
const std::array<int32_t, 173>& PropertyApplyOrder();

// "プロパティ指定が不正です"
const std::string& MsgBadProperty();

}  // namespace orvo
