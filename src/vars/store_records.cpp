// The game and status records of the store and its snapshot stack.
#include <array>

#include "base/stream.h"
#include "vars/messages.h"
#include "vars/param_var.h"
#include "vars/store.h"

namespace orvo {

namespace {

// The smallest variable record: kind, empty name, no dimensions, no
// elements, then status, reserved, owner and local.
constexpr int64_t kMinVariableRecord = 1 + 4 + 4 + 4 + 1 + 1 + 4 + 1;
// The smallest snapshot entry: kind, empty name, no dimensions, no elements.
constexpr int64_t kMinSnapshotEntry = 4 + 4 + 4 + 4;

bool IsEligible(const TParamCollectionItem& item, bool status) { return !item.IsSystem() && item.IsStatus() == status; }

int32_t NonNegativeCount(TBinaryReader& reader, int64_t min_item_bytes) {
  int32_t count = reader.ReadInt32();
  if (count <= 0) return 0;
  reader.RequireCount(count, min_item_bytes);
  return count;
}

}  // namespace

void TParamCollection::WriteVariables(TBinaryWriter& writer, bool status) const {
  int32_t count = 0;
  for (const auto& item : items_) count += IsEligible(*item, status) ? 1 : 0;
  writer.WriteInt32(count);
  for (size_t i = items_.Count(); i-- > 0;) {
    const TParamCollectionItem& item = items_.At(i);
    if (!IsEligible(item, status)) continue;
    // The class's own kind: a bound reference reports its target's kind,
    // which would not match the record that follows.
    writer.WriteByte(item.Value().ClassKind());
    writer.WriteString(item.Name());
    item.Value().SaveToStream(writer);
    writer.WriteByte(item.status ? 1 : 0);
    writer.WriteByte(item.reserved);
    writer.WriteInt32(item.owner);
    writer.WriteByte(item.local ? 1 : 0);
  }
}

void TParamCollection::BindLoadedReference(TCustomParam& value) {
  if (!value.IsReference()) return;
  auto& reference = static_cast<TParamVar&>(value);
  if (!reference.LoadedTargetName().empty()) reference.Bind(Find(reference.LoadedTargetName()), reference.Offset());
}

void TParamCollection::ReadVariable(TBinaryReader& reader) {
  TParamCollectionItem& item = Add(reader.ReadByte());
  try {
    std::string name = reader.ReadString();
    bool keep = !name.empty();
    if (keep) SetName(item, name);
    item.Value().LoadFromStream(reader);
    BindLoadedReference(item.Value());
    item.status = reader.ReadByte() != 0;
    item.reserved = reader.ReadByte();
    item.owner = reader.ReadInt32();
    item.local = reader.ReadByte() != 0;
    Touch();
    if (!keep) FreeItem(item);
  } catch (...) {
    FreeItem(item);
    throw;
  }
}

void TParamCollection::ReadVariables(TBinaryReader& reader) {
  int32_t count = NonNegativeCount(reader, kMinVariableRecord);
  for (int32_t i = 0; i < count; ++i) ReadVariable(reader);
}

void TParamCollection::SaveGame(TBinaryWriter& writer) const {
  WriteVariables(writer, false);
  writer.WriteInt32(text_delay_);
  writer.WriteString(cursor_name_);
  writer.WriteString(selected_string_);
  writer.WriteInt32(selected_index_);
  writer.WriteString(temp_name_);
  writer.WriteInt32(static_cast<int32_t>(snapshots_.size()));
  for (const std::string& snapshot : snapshots_) writer.WriteBytes(snapshot);
}

void TParamCollection::LoadGame(TBinaryReader& reader, int32_t version) {
  FreeScriptVariables(true);
  ReadVariables(reader);
  text_delay_ = reader.ReadInt32();
  cursor_name_ = reader.ReadString();
  if (version > 102) {
    selected_string_ = reader.ReadString();
    selected_index_ = reader.ReadInt32();
  }
  if (version > 112 && version < 135) {
    std::array<int32_t, 6> values;
    for (int32_t& value : values) value = reader.ReadInt32();
    host_->ApplyOldHistoryFormat(values);
  }
  if (version > 120) temp_name_ = reader.ReadString();
  snapshots_.clear();
  if (version >= 139) ReadSnapshots(reader);
}

// Snapshots carry no length of their own; each one is walked entry by entry
// (kind, name, value record) to find where it ends, which also rejects bad kinds.
void TParamCollection::ReadSnapshots(TBinaryReader& reader) {
  int32_t count = NonNegativeCount(reader, 4);
  std::vector<std::string> snapshots;
  for (int32_t s = 0; s < count; ++s) {
    int64_t start = reader.Position();
    int32_t entries = NonNegativeCount(reader, kMinSnapshotEntry);
    for (int32_t e = 0; e < entries; ++e) {
      int32_t kind = reader.ReadInt32();
      if (kind < PT_INT || kind > PT_STR) RaiseVars(TVarsMessage::InvalidVariableData);
      reader.ReadString();
      MakeParam(kind)->LoadFromStream(reader);
    }
    int64_t end = reader.Position();
    reader.Stream().SetPosition(start);
    snapshots.push_back(reader.ReadBytes(end - start));
  }
  snapshots_ = std::move(snapshots);
}

void TParamCollection::SaveStatus(TBinaryWriter& writer) const { WriteVariables(writer, true); }

void TParamCollection::LoadStatus(TBinaryReader& reader) { ReadVariables(reader); }

void TParamCollection::PushVars(std::span<const std::string> names) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  std::vector<const TParamCollectionItem*> found;
  for (const std::string& name : names) {
    const TParamCollectionItem* item = Find(name);
    // System variables have no record of their own to restore.
    if (!item || item->IsSystem()) continue;
    int kind = item->Value().ClassKind();
    if (kind >= PT_INT && kind <= PT_STR) found.push_back(item);
  }
  writer.WriteInt32(static_cast<int32_t>(found.size()));
  for (const TParamCollectionItem* item : found) {
    writer.WriteInt32(item->Value().ClassKind());
    writer.WriteString(item->Name());
    item->Value().SaveToStream(writer);
  }
  const std::vector<uint8_t>& bytes = stream.Bytes();
  snapshots_.emplace_back(bytes.begin(), bytes.end());
}

void TParamCollection::PopVars() {
  if (snapshots_.empty()) return;
  // Taken off the stack first, so that a damaged snapshot cannot stick.
  std::string snapshot = std::move(snapshots_.back());
  snapshots_.pop_back();
  TSpanStream stream(snapshot.data(), snapshot.size());
  TBinaryReader reader(stream);
  int32_t entries = NonNegativeCount(reader, kMinSnapshotEntry);
  for (int32_t e = 0; e < entries; ++e) {
    int32_t kind = reader.ReadInt32();
    if (kind < PT_INT || kind > PT_STR) RaiseVars(TVarsMessage::InvalidVariableData);
    std::string name = reader.ReadString();
    TParamCollectionItem* item = Find(name);
    if (item && item->IsSystem()) {
      MakeParam(kind)->LoadFromStream(reader);
      continue;
    }
    if (item && item->Value().ClassKind() != kind) {
      FreeItem(*item);
      item = nullptr;
    }
    if (!item) {
      item = &Add(kind);
      try {
        SetName(*item, name);
      } catch (...) {
        FreeItem(*item);
        throw;
      }
    }
    item->Value().LoadFromStream(reader);
  }
}

}  // namespace orvo
