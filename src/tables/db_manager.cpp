#include "tables/db_manager.h"

#include <algorithm>

#include "base/error.h"

namespace orvo {

int32_t TDBManager::CreateTable(std::string_view name, bool status) {
  if (name.empty()) return -1;
  int32_t index = IndexOfTable(name);
  if (index < 0) {
    tables_.push_back(std::make_unique<TDBTable>(std::string(name), status));
    index = TableCount() - 1;
  } else if (!status) {
    tables_[static_cast<size_t>(index)]->ClearTable();
  }
  active_ = index;
  return index;
}

void TDBManager::DeleteTable(std::string_view name) {
  const TDBCustomTable* active = ActiveTable();
  const std::string active_name = active ? active->Name() : std::string();
  const int32_t index = IndexOfTable(name);
  if (index >= 0) tables_.erase(tables_.begin() + index);
  active_ = active ? IndexOfTable(active_name) : -1;
}

int32_t TDBManager::IndexOfTable(std::string_view name) const {
  for (size_t i = 0; i < tables_.size(); ++i) {
    if (SameName(tables_[i]->Name(), name)) return static_cast<int32_t>(i);
  }
  return -1;
}

TDBCustomTable* TDBManager::TableAt(int32_t index) const {
  if (index < 0 || index >= TableCount()) return nullptr;
  return tables_[static_cast<size_t>(index)].get();
}

bool TDBManager::SetActiveTable(std::string_view name) {
  const int32_t index = IndexOfTable(name);
  if (index < 0) return false;
  active_ = index;
  return true;
}

namespace {

// Appends a byte copy of a record; the target may be the source itself.
void AppendCopy(TDBCustomTable& target, const TDBCustomTable& source, int32_t record) {
  if (auto* table = dynamic_cast<TDBTable*>(&target)) {
    table->AppendCopy(source, record);
  }
}

}  // namespace

bool TDBManager::CopyTable(std::string_view target_name, const std::vector<int32_t>& selection) {
  TDBCustomTable* active = ActiveTable();
  TDBCustomTable* target = FindTable(target_name);
  if (!active || !target || target == active) return false;
  target->ClearTable();
  target->Fields().CopyStructure(active->Fields());
  for (int32_t record : selection) AppendCopy(*target, *active, record);
  return true;
}

bool TDBManager::InsertTable(std::string_view source_name, const std::vector<int32_t>& selection) {
  TDBCustomTable* active = ActiveTable();
  TDBCustomTable* source = FindTable(source_name);
  if (!active || !source || !active->Fields().SameStructure(source->Fields())) return false;
  // The selection was made before the first append, so inserting a table
  // into itself copies exactly the records it selected.
  for (int32_t record : selection) AppendCopy(*active, *source, record);
  return true;
}

bool TDBManager::FindDirect(std::string_view table_name, const TCustomParam* keys, const TCustomParam* values,
                            TSelectOptions options, std::string_view field, TDirectHit& hit) const {
  TDBCustomTable* table = FindTable(table_name);
  if (!table) return false;
  std::vector<int32_t> selection;
  table->Select(selection, keys, values, options);
  if (selection.empty()) return false;
  const int32_t index = table->Fields().IndexOfField(field);
  if (index < 0) return false;
  hit = {table, selection.front(), index};
  return true;
}

void TDBManager::SaveTables(TBinaryWriter& writer, int32_t status) {
  const bool wanted = status != 0;
  writer.WriteInt32(kTablesVersion);
  const auto count =
      std::count_if(tables_.begin(), tables_.end(), [wanted](const auto& table) { return table->Status() == wanted; });
  writer.WriteInt32(static_cast<int32_t>(count));
  for (const auto& table : tables_) {
    if (table->Status() != wanted) continue;
    writer.WriteByte(table->ClassCode());
    table->SaveToStream(writer);
  }
  if (!wanted) {
    const TDBCustomTable* active = ActiveTable();
    writer.WriteString(active ? active->Name() : std::string());
  }
}

void TDBManager::LoadTables(TBinaryReader& reader, int32_t status) {
  const bool wanted = status != 0;
  reader.ReadInt32();  // the version: every version so far reads alike
  // A table takes at least its class byte, name length, status, field count,
  // record count and current record.
  const size_t count = reader.RequireCount(reader.ReadInt32(), 18);
  // Everything is read before anything is replaced.
  std::vector<std::unique_ptr<TDBCustomTable>> loaded;
  for (size_t i = 0; i < count; ++i) {
    reader.ReadByte();  // the class code: one table class exists
    auto table = std::make_unique<TDBTable>(std::string(), wanted);
    table->LoadFromStream(reader);
    loaded.push_back(std::move(table));
  }
  std::string active_name;
  if (!wanted) active_name = reader.ReadString();

  std::erase_if(tables_, [wanted](const auto& table) { return table->Status() == wanted; });
  active_ = -1;
  for (auto& table : loaded) {
    tables_.push_back(std::move(table));
    active_ = TableCount() - 1;
  }
  if (!wanted) active_ = IndexOfTable(active_name);
}

void TDBManager::ResetGameTables() {
  active_ = -1;
  std::erase_if(tables_, [](const auto& table) { return !table->Status(); });
}

void TDBManager::Clear() {
  tables_.clear();
  active_ = -1;
}

}  // namespace orvo
