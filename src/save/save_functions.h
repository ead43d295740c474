#pragma once
// The system functions of save slots and history formats: GetSaveCaption,
// ListSaveCaption, GetHistoryCount, GetHistoryMaxCount, SetHistoryMaxCount.
#include "save/history.h"
#include "save/save_manager.h"
#include "vars/functions/sys_func.h"

namespace orvo {

// Both must outlive the engine's use of the functions.
void RegisterSaveFunctions(TSysFuncMan& functions, TSaveManager& saves, TOrvoHistoryFormatManager& history);

}  // namespace orvo
