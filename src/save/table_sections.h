#pragma once
// The data tables' sections inside the status data and every game save. The
// table store lives above the save code, so the save code reaches it through
// this interface; until a store is attached, the sections are written empty.
#include <cstdint>
#include <memory>

#include "base/binary_io.h"

namespace orvo {

class ISaveTables {
 public:
  virtual ~ISaveTables() = default;
  // status 1: the status tables; status 0: the game tables and the active table's name.
  virtual void SaveTables(TBinaryWriter& writer, int32_t status) = 0;
  virtual void LoadTables(TBinaryReader& reader, int32_t status) = 0;
  // The game-reset command: every game table is dropped.
  virtual void ResetGameTables() = 0;
  // An empty store of the same kind: the status data is read into one first,
  // so that damaged tables refuse the record before any of it is applied.
  virtual std::unique_ptr<ISaveTables> MakeScratch() const = 0;
};

}  // namespace orvo
