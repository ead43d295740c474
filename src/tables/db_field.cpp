#include "tables/db_field.h"

#include "base/error.h"
#include "tables/db_table.h"
#include "vars/locale_text.h"

namespace orvo {

namespace {

[[noreturn]] void Damaged() { throw EReadError("Stream read error"); }

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && LocaleLower(a) == LocaleLower(b);
}

int32_t FieldByteSize(int32_t type, int32_t declared_size) {
  switch (type) {
    case ftInt:
      return 4;
    case ftFloat:
      return 10;
    case ftBool:
      return 1;
    case ftStr:
      if (declared_size < 0 || declared_size > kMaxStringFieldLength) return -1;
      return declared_size + 1;
    default:
      return -1;
  }
}

void TDBFieldList::Append(std::string name, uint8_t type, int32_t byte_size) {
  TDBField field;
  field.size = byte_size;
  field.name = std::move(name);
  field.type = type;
  field.offset = record_size_;
  index_.emplace(LocaleLower(field.name), Count());
  fields_.push_back(std::move(field));
  record_size_ += byte_size;
}

int32_t TDBFieldList::AddField(std::string_view name, int32_t type, int32_t size) {
  if (IndexOfField(name) >= 0) return -1;
  const int32_t byte_size = FieldByteSize(type, size);
  if (byte_size < 0 || byte_size > kMaxRecordSize - record_size_) return -1;
  if (owner_) owner_->AddColumn(type, byte_size);
  Append(std::string(name), static_cast<uint8_t>(type), byte_size);
  return Count() - 1;
}

int32_t TDBFieldList::IndexOfField(std::string_view name) const {
  const auto found = index_.find(LocaleLower(name));
  return found == index_.end() ? -1 : found->second;
}

bool TDBFieldList::SameStructure(const TDBFieldList& other) const {
  if (fields_.size() != other.fields_.size()) return false;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const TDBField& a = fields_[i];
    const TDBField& b = other.fields_[i];
    if (a.name != b.name || a.type != b.type || a.size != b.size) return false;
  }
  return true;
}

void TDBFieldList::CopyStructure(const TDBFieldList& other) {
  Clear();
  for (const TDBField& field : other.fields_) {
    AddField(field.name, field.type, field.type == ftStr ? field.size - 1 : field.size);
  }
}

void TDBFieldList::Clear() {
  fields_.clear();
  index_.clear();
  record_size_ = 0;
}

void TDBFieldList::SaveToStream(TBinaryWriter& writer) const {
  writer.WriteInt32(Count());
  for (const TDBField& field : fields_) {
    writer.WriteInt32(field.size);
    writer.WriteString(field.name);
    writer.WriteByte(field.type);
  }
}

void TDBFieldList::LoadFromStream(TBinaryReader& reader) {
  Clear();
  // A field takes at least its size, its name's length and its type byte.
  const size_t count = reader.RequireCount(reader.ReadInt32(), 9);
  for (size_t i = 0; i < count; ++i) {
    const int32_t size = reader.ReadInt32();
    std::string name = reader.ReadString();
    const uint8_t type = reader.ReadByte();
    // A string's byte size is its declared length + 1, so it is at least 1.
    const int32_t declared = type != ftStr ? 0 : size > 0 ? size - 1 : -1;
    const int32_t expected = FieldByteSize(type, declared);
    if (expected < 0 || expected != size || size > kMaxRecordSize - record_size_) Damaged();
    if (IndexOfField(name) >= 0) Damaged();
    Append(std::move(name), type, size);
  }
}

}  // namespace orvo
