#pragma once
// The fields of a table: names, types and their bytes in a record. Records
// are saved and copied byte for byte, so the layout is fixed: fields lie back
// to back in declaration order.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/binary_io.h"

namespace orvo {

class TDBCustomTable;

enum TDBFieldType : uint8_t { ftInt = 1, ftFloat = 2, ftBool = 3, ftStr = 4 };

// Caps that keep records sane: the declared length of one string field and
// the bytes of one whole record.
constexpr int32_t kMaxStringFieldLength = 1048576;
constexpr int32_t kMaxRecordSize = 16 * 1024 * 1024;

struct TDBField {
  int32_t size = 0;  // bytes in a record (a string's declared length + 1)
  std::string name;
  uint8_t type = ftStr;
  int32_t offset = 0;  // sum of the sizes of the fields before it
};

// The byte size a field of that type takes for a declared size, or -1 when
// the type is unknown or the size is out of bounds.
int32_t FieldByteSize(int32_t type, int32_t declared_size);

class TDBFieldList {
 public:
  explicit TDBFieldList(TDBCustomTable* owner = nullptr) : owner_(owner) {}

  int32_t Count() const { return static_cast<int32_t>(fields_.size()); }
  const TDBField& At(int32_t index) const { return fields_[static_cast<size_t>(index)]; }
  int32_t RecordSize() const { return record_size_; }

  // Index of the new field, or -1: a field of that name exists, the type is
  // not 1..4, a string's size is negative or above the cap, or the record
  // would grow beyond kMaxRecordSize. The owner's records widen first.
  int32_t AddField(std::string_view name, int32_t type, int32_t size);
  // Index of a field by name ignoring case, or -1.
  int32_t IndexOfField(std::string_view name) const;
  // Same count and, position by position, the same name (with case), type and size.
  bool SameStructure(const TDBFieldList& other) const;
  // This list becomes a copy of other's fields (added one by one).
  void CopyStructure(const TDBFieldList& other);
  // Removes every field; records are the owner's business.
  void Clear();

  void SaveToStream(TBinaryWriter& writer) const;
  // Replaces the list with a saved one without touching the owner's records.
  // Sizes that do not fit their types, unknown types, repeated names and
  // records beyond the cap raise the reader's error.
  void LoadFromStream(TBinaryReader& reader);

 private:
  void Append(std::string name, uint8_t type, int32_t byte_size);

  TDBCustomTable* owner_;
  std::vector<TDBField> fields_;
  // Field index by folded name: headers and saved lists may hold many fields.
  std::unordered_map<std::string, int32_t> index_;
  int32_t record_size_ = 0;
};

// Field and table names match ignoring case, as the system locale folds it.
bool SameName(std::string_view a, std::string_view b);

}  // namespace orvo
