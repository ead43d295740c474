#pragma once
// The tables' sections while no table store is attached: written empty,
// skipped when read (they come last in both records).
#include "save/table_sections.h"

namespace orvo {

class TEmptySaveTables : public ISaveTables {
 public:
  // Version 100, no table; a game section also names no active table.
  void SaveTables(TBinaryWriter& writer, int32_t status) override {
    writer.WriteInt32(100);
    writer.WriteInt32(0);
    if (status == 0) writer.WriteString({});
  }
  void LoadTables(TBinaryReader& reader, int32_t status) override {
    (void)reader;
    (void)status;
  }
  void ResetGameTables() override {}
  std::unique_ptr<ISaveTables> MakeScratch() const override { return std::make_unique<TEmptySaveTables>(); }
};

}  // namespace orvo
