#pragma once
// The table store: every table of the game, one of them active. One store
// exists per player; the DB system functions, the saves and the kit's
// calculator reach it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "save/table_sections.h"
#include "tables/db_table.h"

namespace orvo {

// The saved form's version.
constexpr int32_t kTablesVersion = 100;

// Where FindDirect found its record.
struct TDirectHit {
  TDBCustomTable* table = nullptr;
  int32_t record = -1;
  int32_t field = -1;
};

class TDBManager : public ISaveTables {
 public:
  TDBManager() = default;
  TDBManager(const TDBManager&) = delete;
  TDBManager& operator=(const TDBManager&) = delete;

  // Index of the (new or existing) table, now active; -1 for an empty name.
  // An existing table is emptied unless status is set; its status stays.
  int32_t CreateTable(std::string_view name, bool status);
  // Frees the named table; the active table stays active when it was another.
  void DeleteTable(std::string_view name);
  int32_t IndexOfTable(std::string_view name) const;
  TDBCustomTable* TableAt(int32_t index) const;
  TDBCustomTable* FindTable(std::string_view name) const { return TableAt(IndexOfTable(name)); }
  int32_t TableCount() const { return static_cast<int32_t>(tables_.size()); }
  TDBCustomTable* ActiveTable() const { return TableAt(active_); }
  // True and active when the table exists; otherwise the active table stays.
  bool SetActiveTable(std::string_view name);

  // The active table's selected records become the target's whole content
  // and structure. False without an active table or target, or onto itself.
  bool CopyTable(std::string_view target, const std::vector<int32_t>& selection);
  // The source's selected records are appended to the active table (which
  // may be the source itself); false unless both have the same structure.
  bool InsertTable(std::string_view source, const std::vector<int32_t>& selection);
  // The first record of the named table that the keys select, and the field.
  bool FindDirect(std::string_view table, const TCustomParam* keys, const TCustomParam* values, TSelectOptions options,
                  std::string_view field, TDirectHit& hit) const;

  // Status 1: the status tables; status 0: the game tables and the active table's name.
  void SaveTables(TBinaryWriter& writer, int32_t status) override;
  // Replaces the tables of that status. A damaged section raises the
  // reader's error and leaves the store as it was.
  void LoadTables(TBinaryReader& reader, int32_t status) override;
  // Frees every game table; none is active afterwards.
  void ResetGameTables() override;
  std::unique_ptr<ISaveTables> MakeScratch() const override { return std::make_unique<TDBManager>(); }
  // Frees every table.
  void Clear();

 private:
  std::vector<std::unique_ptr<TDBCustomTable>> tables_;
  int32_t active_ = -1;
};

}  // namespace orvo
