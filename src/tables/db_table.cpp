#include "tables/db_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/cp932.h"
#include "base/error.h"
#include "base/numeric.h"
#include "text/markup.h"
#include "vars/convert.h"
#include "vars/locale_text.h"
#include "vars/param.h"

namespace orvo {

namespace {

[[noreturn]] void Damaged() { throw EReadError("Stream read error"); }

// Reals go into integer fields rounded half to even and saturated; NaN is 0.
int32_t RealToField(long double value) {
  if (std::isnan(value)) return 0;
  return RealToIntSaturate<int32_t>(RoundHalfEven(value));
}

int32_t LoadInt(const uint8_t* bytes) { return static_cast<int32_t>(LoadU32(bytes)); }
void StoreInt(uint8_t* bytes, int32_t value) { StoreU32(bytes, static_cast<uint32_t>(value)); }

// The text of a string field: up to its 0 byte, never past the field.
std::string_view FieldText(const uint8_t* bytes, int32_t size) {
  const auto* text = reinterpret_cast<const char*>(bytes);
  const void* end = std::memchr(text, 0, static_cast<size_t>(size));
  const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - text) : static_cast<size_t>(size);
  return std::string_view(text, length);
}

// Cut to the declared length and ended by a 0 byte; the bytes after it stay.
void StoreText(uint8_t* bytes, int32_t size, std::string_view text) {
  const size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(bytes, text.data(), length);
  bytes[length] = 0;
}

// Reals in a total order: NaN after every number and equal to NaN.
int CompareReals(long double a, long double b) {
  const bool a_nan = std::isnan(a), b_nan = std::isnan(b);
  if (a_nan || b_nan) return static_cast<int>(a_nan) - static_cast<int>(b_nan);
  return (a < b) ? -1 : (a > b) ? 1 : 0;
}

int CompareTexts(std::string_view a, std::string_view b) {
  const int order = a.compare(b);  // char_traits<char> compares as unsigned bytes
  return (order > 0) - (order < 0);
}

// Cells of a line split at tab characters that start a character; a tab at
// the very end adds no empty cell.
std::vector<std::string> SplitCells(std::string_view line) {
  std::vector<std::string> cells;
  size_t start = 0;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == '\t') {
      cells.emplace_back(line.substr(start, i - start));
      start = ++i;
      continue;
    }
    i += CharLength(line, i);
  }
  if (start < line.size()) cells.emplace_back(line.substr(start));
  return cells;
}

struct THeaderCell {
  std::string name;
  int32_t type = ftStr;
  int32_t size = 80;
};

THeaderCell ParseHeaderCell(std::string_view cell) {
  THeaderCell parsed;
  const size_t blank = FindChar(cell, ' ');
  parsed.name = TrimText(cell.substr(0, blank));
  if (blank == std::string_view::npos) return parsed;
  const std::string rest = TrimText(cell.substr(blank + 1));
  const size_t next = FindChar(rest, ' ');
  const std::string word = TrimText(std::string_view(rest).substr(0, next));
  if (word == "int")
    parsed.type = ftInt;
  else if (word == "float")
    parsed.type = ftFloat;
  else if (word == "bool")
    parsed.type = ftBool;
  if (next != std::string::npos) {
    int32_t size = 0;
    if (TryTextToInt(TrimText(std::string_view(rest).substr(next + 1)), size)) parsed.size = size;
  }
  return parsed;
}

}  // namespace

// ---- TDBCustomTable

TDBCustomTable::TDBCustomTable(std::string name, bool status)
    : name_(std::move(name)), status_(status), fields_(this) {}

bool TDBCustomTable::GetIntByName(std::string_view field, int32_t& value) const {
  return GetInt(RecNo(), fields_.IndexOfField(field), value);
}
bool TDBCustomTable::SetIntByName(std::string_view field, int32_t value) {
  return SetInt(RecNo(), fields_.IndexOfField(field), value);
}
bool TDBCustomTable::GetFloatByName(std::string_view field, long double& value) const {
  return GetFloat(RecNo(), fields_.IndexOfField(field), value);
}
bool TDBCustomTable::SetFloatByName(std::string_view field, long double value) {
  return SetFloat(RecNo(), fields_.IndexOfField(field), value);
}
bool TDBCustomTable::GetBoolByName(std::string_view field, bool& value) const {
  return GetBool(RecNo(), fields_.IndexOfField(field), value);
}
bool TDBCustomTable::SetBoolByName(std::string_view field, bool value) {
  return SetBool(RecNo(), fields_.IndexOfField(field), value);
}
bool TDBCustomTable::GetStrByName(std::string_view field, std::string& value) const {
  return GetStr(RecNo(), fields_.IndexOfField(field), value);
}
bool TDBCustomTable::SetStrByName(std::string_view field, std::string_view value) {
  return SetStr(RecNo(), fields_.IndexOfField(field), value);
}

bool TDBCustomTable::GetInt(int32_t, int32_t, int32_t&) const { return false; }
bool TDBCustomTable::SetInt(int32_t, int32_t, int32_t) { return false; }
bool TDBCustomTable::GetFloat(int32_t, int32_t, long double&) const { return false; }
bool TDBCustomTable::SetFloat(int32_t, int32_t, long double) { return false; }
bool TDBCustomTable::GetBool(int32_t, int32_t, bool&) const { return false; }
bool TDBCustomTable::SetBool(int32_t, int32_t, bool) { return false; }
bool TDBCustomTable::GetStr(int32_t, int32_t, std::string&) const { return false; }
bool TDBCustomTable::SetStr(int32_t, int32_t, std::string_view) { return false; }
void TDBCustomTable::Select(std::vector<int32_t>&, const TCustomParam*, const TCustomParam*, TSelectOptions) const {}

void TDBCustomTable::ClearTable() { fields_.Clear(); }

bool TDBCustomTable::LoadTsv(const std::vector<std::string>& lines) {
  ClearTable();
  if (lines.empty()) return false;
  // Column i of the data lines goes to columns[i]; a refused header cell
  // keeps its place, so the columns after it still reach their own fields.
  std::vector<int32_t> columns;
  for (const std::string& cell : SplitCells(lines[0])) {
    const THeaderCell header = ParseHeaderCell(cell);
    if (header.name.empty()) {
      ClearTable();
      return false;
    }
    columns.push_back(fields_.AddField(header.name, header.type, header.size));
  }
  for (size_t line = 1; line < lines.size(); ++line) {
    if (lines[line].empty()) continue;
    const std::vector<std::string> cells = SplitCells(Unescape(lines[line]));
    Append();
    const size_t count = std::min(cells.size(), columns.size());
    for (size_t i = 0; i < count; ++i) {
      if (columns[i] >= 0) SetStr(RecNo(), columns[i], cells[i]);
    }
  }
  return true;
}

void TDBCustomTable::SaveToStream(TBinaryWriter& writer) const {
  writer.WriteString(name_);
  writer.WriteByte(status_ ? 1 : 0);
  fields_.SaveToStream(writer);
}

void TDBCustomTable::LoadFromStream(TBinaryReader& reader) {
  ClearTable();
  name_ = reader.ReadString();
  status_ = reader.ReadByte() != 0;
  fields_.LoadFromStream(reader);
}

// ---- TDBTable

const uint8_t* TDBTable::RecordAt(int32_t index) const {
  if (index < 0 || index >= count_) return nullptr;
  return records_.data() + static_cast<size_t>(index) * static_cast<size_t>(Fields().RecordSize());
}

uint8_t* TDBTable::MutableRecordAt(int32_t index) {
  if (index < 0 || index >= count_) return nullptr;
  return records_.data() + static_cast<size_t>(index) * static_cast<size_t>(Fields().RecordSize());
}

void TDBTable::AddColumn(int32_t, int32_t size) {
  if (count_ == 0 || size <= 0) return;
  const size_t old_size = static_cast<size_t>(Fields().RecordSize());
  if (old_size == 0) {
    records_.assign(static_cast<size_t>(size) * static_cast<size_t>(count_), 0);
    return;
  }
  const size_t new_size = old_size + static_cast<size_t>(size);
  std::vector<uint8_t> widened(new_size * static_cast<size_t>(count_), 0);
  for (size_t i = 0; i < static_cast<size_t>(count_); ++i) {
    std::memcpy(widened.data() + i * new_size, records_.data() + i * old_size, old_size);
  }
  records_ = std::move(widened);
}

void TDBTable::RemoveColumn(int32_t field) {
  if (field < 0 || field >= Fields().Count()) return;
  // The field list itself has no removal; nothing in the player calls this.
}

bool TDBTable::Append() {
  records_.resize(records_.size() + static_cast<size_t>(Fields().RecordSize()), 0);
  rec_no_ = count_++;
  return true;
}

bool TDBTable::DeleteRecord() {
  if (rec_no_ < 0) return false;
  const size_t size = static_cast<size_t>(Fields().RecordSize());
  const auto begin = records_.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(rec_no_) * size);
  records_.erase(begin, begin + static_cast<ptrdiff_t>(size));
  --count_;
  if (rec_no_ >= count_) SetRecNo(count_ - 1);
  return false;
}

bool TDBTable::SetRecNo(int32_t n) {
  if (n >= 0 && n >= count_) return false;
  rec_no_ = n < 0 ? -1 : n;
  return true;
}

bool TDBTable::First() { return count_ > 0 && SetRecNo(0); }
bool TDBTable::Last() { return count_ > 0 && SetRecNo(count_ - 1); }

bool TDBTable::Next() {
  if (rec_no_ < 0 || rec_no_ >= count_ - 1) return false;
  ++rec_no_;
  return true;
}

bool TDBTable::Prior() {
  if (rec_no_ <= 0) return false;
  --rec_no_;
  return true;
}

const uint8_t* TDBTable::FieldBytes(int32_t record, int32_t field, const TDBField*& info) const {
  if (record < 0 || record >= count_ || field < 0 || field >= Fields().Count()) return nullptr;
  info = &Fields().At(field);
  return RecordAt(record) + info->offset;
}

uint8_t* TDBTable::FieldBytes(int32_t record, int32_t field, const TDBField*& info) {
  return const_cast<uint8_t*>(static_cast<const TDBTable*>(this)->FieldBytes(record, field, info));
}

bool TDBTable::GetInt(int32_t record, int32_t field, int32_t& value) const {
  const TDBField* info = nullptr;
  const uint8_t* bytes = FieldBytes(record, field, info);
  if (!bytes) return false;
  switch (info->type) {
    case ftInt:
      value = LoadInt(bytes);
      break;
    case ftFloat:
      value = RealToField(ReadExt80(bytes));
      break;
    case ftBool:
      value = bytes[0] != 0 ? 1 : 0;
      break;
    default:
      value = TextToInt(FieldText(bytes, info->size));
      break;
  }
  return true;
}

bool TDBTable::SetInt(int32_t record, int32_t field, int32_t value) {
  const TDBField* info = nullptr;
  uint8_t* bytes = FieldBytes(record, field, info);
  if (!bytes) return false;
  switch (info->type) {
    case ftInt:
      StoreInt(bytes, value);
      break;
    case ftFloat:
      WriteExt80(static_cast<long double>(value), bytes);
      break;
    case ftBool:
      bytes[0] = value != 0 ? 1 : 0;
      break;
    default:
      StoreText(bytes, info->size, IntToText(value));
      break;
  }
  return true;
}

bool TDBTable::GetFloat(int32_t record, int32_t field, long double& value) const {
  const TDBField* info = nullptr;
  const uint8_t* bytes = FieldBytes(record, field, info);
  if (!bytes) return false;
  switch (info->type) {
    case ftInt:
      value = LoadInt(bytes);
      break;
    case ftFloat:
      value = ReadExt80(bytes);
      break;
    case ftBool:
      value = bytes[0] != 0 ? 1 : 0;
      break;
    default:
      value = TextToReal(FieldText(bytes, info->size));
      break;
  }
  return true;
}

bool TDBTable::SetFloat(int32_t record, int32_t field, long double value) {
  const TDBField* info = nullptr;
  uint8_t* bytes = FieldBytes(record, field, info);
  if (!bytes) return false;
  switch (info->type) {
    case ftInt:
      StoreInt(bytes, RealToField(value));
      break;
    case ftFloat:
      WriteExt80(value, bytes);
      break;
    case ftBool:
      bytes[0] = value != 0 ? 1 : 0;
      break;
    default:
      StoreText(bytes, info->size, RealToText(value));
      break;
  }
  return true;
}

bool TDBTable::GetBool(int32_t record, int32_t field, bool& value) const {
  const TDBField* info = nullptr;
  const uint8_t* bytes = FieldBytes(record, field, info);
  if (!bytes) return false;
  switch (info->type) {
    case ftInt:
      value = LoadInt(bytes) != 0;
      break;
    case ftFloat:
      value = ReadExt80(bytes) != 0;
      break;
    case ftBool:
      value = bytes[0] != 0;
      break;
    default:
      value = TextToBoolStrict(FieldText(bytes, info->size));
      break;
  }
  return true;
}

bool TDBTable::SetBool(int32_t record, int32_t field, bool value) {
  const TDBField* info = nullptr;
  uint8_t* bytes = FieldBytes(record, field, info);
  if (!bytes) return false;
  switch (info->type) {
    case ftInt:
      StoreInt(bytes, value ? 1 : 0);
      break;
    case ftFloat:
      WriteExt80(value ? 1.0L : 0.0L, bytes);
      break;
    case ftBool:
      bytes[0] = value ? 1 : 0;
      break;
    default:
      StoreText(bytes, info->size, BoolToText(value));
      break;
  }
  return true;
}

bool TDBTable::GetStr(int32_t record, int32_t field, std::string& value) const {
  const TDBField* info = nullptr;
  const uint8_t* bytes = FieldBytes(record, field, info);
  if (!bytes) return false;
  switch (info->type) {
    case ftInt:
      value = IntToText(LoadInt(bytes));
      break;
    case ftFloat:
      value = RealToText(ReadExt80(bytes));
      break;
    case ftBool:
      value = BoolToText(bytes[0] != 0);
      break;
    default:
      value = FieldText(bytes, info->size);
      break;
  }
  return true;
}

bool TDBTable::SetStr(int32_t record, int32_t field, std::string_view value) {
  const TDBField* info = nullptr;
  uint8_t* bytes = FieldBytes(record, field, info);
  if (!bytes) return false;
  switch (info->type) {
    case ftInt:
      StoreInt(bytes, TextToInt(value));
      break;
    case ftFloat:
      WriteExt80(TextToReal(value), bytes);
      break;
    case ftBool:
      bytes[0] = TextToBoolStrict(value) ? 1 : 0;
      break;
    default:
      StoreText(bytes, info->size, value);
      break;
  }
  return true;
}

void TDBTable::Select(std::vector<int32_t>& list, const TCustomParam* keys, const TCustomParam* values,
                      TSelectOptions options) const {
  if (!keys || !values) {
    for (int32_t i = 0; i < count_; ++i) list.push_back(i);
    return;
  }
  const TParamType kind = values->ParamType();
  if (kind != PT_INT && kind != PT_FLOAT && kind != PT_BOOL && kind != PT_STR) {
    for (int32_t i = 0; i < count_; ++i) list.push_back(i);
    return;
  }
  // Each key is looked up once: a missing field name ends the selection
  // before the first record could match it.
  struct TKey {
    int32_t field = -1;
    int32_t int_value = 0;
    long double float_value = 0;
    bool bool_value = false;
    std::string text;
  };
  std::vector<TKey> resolved;
  const int32_t k = std::min(keys->Count(), values->Count());
  for (int32_t i = 0; i < k; ++i) {
    TKey key;
    key.field = Fields().IndexOfField(keys->GetStr(i));
    if (key.field < 0) return;
    switch (kind) {
      case PT_INT:
        key.int_value = values->GetInt(i);
        break;
      case PT_FLOAT:
        key.float_value = values->GetFloat(i);
        break;
      case PT_BOOL:
        key.bool_value = values->GetBool(i);
        break;
      default:
        key.text = values->GetStr(i);
        if (options.ignore_case) key.text = LocaleUpper(key.text);
        break;
    }
    resolved.push_back(std::move(key));
  }
  std::string text;
  for (int32_t record = 0; record < count_; ++record) {
    bool match = true;
    for (const TKey& key : resolved) {
      switch (kind) {
        case PT_INT: {
          int32_t value = 0;
          GetInt(record, key.field, value);
          match = value == key.int_value;
          break;
        }
        case PT_FLOAT: {
          long double value = 0;
          GetFloat(record, key.field, value);
          match = value == key.float_value;
          break;
        }
        case PT_BOOL: {
          bool value = false;
          GetBool(record, key.field, value);
          match = value == key.bool_value;
          break;
        }
        default: {
          GetStr(record, key.field, text);
          if (options.ignore_case) text = LocaleUpper(text);
          // A partial key matches when the field's text occurs within the key's text.
          match = options.partial ? key.text.find(text) != std::string::npos : text == key.text;
          break;
        }
      }
      if (!match) break;
    }
    if (match) list.push_back(record);
  }
}

void TDBTable::ClearTable() {
  ClearRecords();
  TDBCustomTable::ClearTable();
}

void TDBTable::ClearRecords() {
  records_.clear();
  count_ = 0;
  rec_no_ = -1;
}

void TDBTable::SaveToStream(TBinaryWriter& writer) const {
  TDBCustomTable::SaveToStream(writer);
  writer.WriteInt32(count_);
  writer.WriteBytes(records_.data(), records_.size());
  writer.WriteInt32(rec_no_);
}

void TDBTable::LoadFromStream(TBinaryReader& reader) {
  ClearTable();
  TDBCustomTable::LoadFromStream(reader);
  const int32_t count = reader.ReadInt32();
  const int32_t size = Fields().RecordSize();
  if (count < 0 || count > kMaxRecordCount) Damaged();
  const size_t bytes = reader.RequireCount(static_cast<int64_t>(count) * size, 1);
  records_.resize(bytes);
  if (bytes > 0) reader.ReadInto(records_.data(), bytes);
  count_ = count;
  const int32_t rec_no = reader.ReadInt32();
  if (rec_no < -1 || rec_no >= count_) Damaged();
  rec_no_ = rec_no;
}

void TDBTable::Sort(const TCustomParam* keys, const TCustomParam* descending) {
  if (!keys || !descending) return;
  struct TSortKey {
    const TDBField* field;
    bool descending;
  };
  std::vector<TSortKey> sort_keys;
  const int32_t k = std::min(keys->Count(), descending->Count());
  for (int32_t i = 0; i < k; ++i) {
    const int32_t field = Fields().IndexOfField(keys->GetStr(i));
    if (field >= 0) sort_keys.push_back({&Fields().At(field), descending->GetBool(i)});
  }
  const size_t size = static_cast<size_t>(Fields().RecordSize());
  if (sort_keys.empty() || count_ < 2 || size == 0) return;
  const uint8_t* base = records_.data();
  auto compare = [&](int32_t left, int32_t right) {
    const uint8_t* a = base + static_cast<size_t>(left) * size;
    const uint8_t* b = base + static_cast<size_t>(right) * size;
    for (const TSortKey& key : sort_keys) {
      const uint8_t* x = a + key.field->offset;
      const uint8_t* y = b + key.field->offset;
      int order = 0;
      switch (key.field->type) {
        case ftInt: {
          const int32_t p = LoadInt(x), q = LoadInt(y);
          order = (p > q) - (p < q);
          if (key.descending) order = -order;
          break;
        }
        case ftFloat:
          order = CompareReals(ReadExt80(x), ReadExt80(y));
          if (key.descending) order = -order;
          break;
        case ftBool:
          // Flags and strings sort ascending whatever the flag says.
          order = static_cast<int>(x[0] != 0) - static_cast<int>(y[0] != 0);
          break;
        default:
          order = CompareTexts(FieldText(x, key.field->size), FieldText(y, key.field->size));
          break;
      }
      if (order != 0) return order < 0;
    }
    return left < right;
  };
  std::vector<int32_t> order(static_cast<size_t>(count_));
  for (int32_t i = 0; i < count_; ++i) order[static_cast<size_t>(i)] = i;
  std::sort(order.begin(), order.end(), compare);
  std::vector<uint8_t> sorted(records_.size());
  for (size_t i = 0; i < order.size(); ++i) {
    std::memcpy(sorted.data() + i * size, base + static_cast<size_t>(order[i]) * size, size);
  }
  records_ = std::move(sorted);
}

void TDBTable::AppendCopy(const TDBCustomTable& source, int32_t source_record) {
  const size_t size = static_cast<size_t>(Fields().RecordSize());
  Append();
  const uint8_t* from = source.RecordAt(source_record);
  // Appending may move this table's records, so the source is looked up after it.
  if (from && size > 0) std::memcpy(MutableRecordAt(rec_no_), from, size);
}

}  // namespace orvo
