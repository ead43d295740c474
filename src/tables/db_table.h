#pragma once
// Tables of the store: a name, a status (status tables outlive game resets),
// the field list and fixed-size byte records with one current record.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"
#include "tables/db_field.h"

namespace orvo {

class TCustomParam;

// Loaded tables hold at most this many records (records may be 0 bytes long).
constexpr int32_t kMaxRecordCount = 16 * 1024 * 1024;

// How Select compares the values of string keys.
struct TSelectOptions {
  bool ignore_case = false;
  bool partial = false;
};

class TDBCustomTable {
 public:
  TDBCustomTable(std::string name, bool status);
  virtual ~TDBCustomTable() = default;
  TDBCustomTable(const TDBCustomTable&) = delete;
  TDBCustomTable& operator=(const TDBCustomTable&) = delete;

  const std::string& Name() const { return name_; }
  bool Status() const { return status_; }
  TDBFieldList& Fields() { return fields_; }
  const TDBFieldList& Fields() const { return fields_; }

  // The byte written before the table in saved data.
  virtual uint8_t ClassCode() const { return 0; }
  // Number of records.
  virtual int32_t RecordCount() const { return 0; }
  // Current record number, -1 for none.
  virtual int32_t RecNo() const { return -1; }
  // The current record's bytes, null without a current record.
  virtual const uint8_t* CurrentRecord() const { return nullptr; }
  // Record i's bytes (record size long), null outside the records.
  virtual const uint8_t* RecordAt(int32_t index) const {
    (void)index;
    return nullptr;
  }
  virtual uint8_t* MutableRecordAt(int32_t index) {
    (void)index;
    return nullptr;
  }
  // Every record grows by size zero bytes at its end (a field was added).
  virtual void AddColumn(int32_t type, int32_t size) { (void)type, (void)size; }
  // That field's bytes leave every record.
  virtual void RemoveColumn(int32_t field) { (void)field; }
  // A zero-filled record at the end becomes current.
  virtual bool Append() { return false; }
  // Drops the current record; always false.
  virtual bool DeleteRecord() { return false; }
  // Moves the current record; false when it cannot move.
  virtual bool First() { return false; }
  virtual bool Last() { return false; }
  virtual bool Next() { return false; }
  virtual bool Prior() { return false; }
  // Record n becomes current (n < 0: none); false when n is past the last record.
  virtual bool SetRecNo(int32_t n) {
    (void)n;
    return false;
  }

  // Typed access to the current record, the field found by name.
  bool GetIntByName(std::string_view field, int32_t& value) const;
  bool SetIntByName(std::string_view field, int32_t value);
  bool GetFloatByName(std::string_view field, long double& value) const;
  bool SetFloatByName(std::string_view field, long double value);
  bool GetBoolByName(std::string_view field, bool& value) const;
  bool SetBoolByName(std::string_view field, bool value);
  bool GetStrByName(std::string_view field, std::string& value) const;
  bool SetStrByName(std::string_view field, std::string_view value);

  // Typed access to one field of one record, converting between the value
  // and the field's type; false (and nothing changes) outside the records or fields.
  virtual bool GetInt(int32_t record, int32_t field, int32_t& value) const;
  virtual bool SetInt(int32_t record, int32_t field, int32_t value);
  virtual bool GetFloat(int32_t record, int32_t field, long double& value) const;
  virtual bool SetFloat(int32_t record, int32_t field, long double value);
  virtual bool GetBool(int32_t record, int32_t field, bool& value) const;
  virtual bool SetBool(int32_t record, int32_t field, bool value);
  virtual bool GetStr(int32_t record, int32_t field, std::string& value) const;
  virtual bool SetStr(int32_t record, int32_t field, std::string_view value);

  // Record numbers, ascending, whose key fields match the key values (both
  // arrays; either null selects every record).
  virtual void Select(std::vector<int32_t>& list, const TCustomParam* keys, const TCustomParam* values,
                      TSelectOptions options) const;
  // Replaces the table with the fields and records of tab-separated lines.
  virtual bool LoadTsv(const std::vector<std::string>& lines);
  // Removes every field and record.
  virtual void ClearTable();
  // Removes every record.
  virtual void ClearRecords() {}
  // Name, status, fields, then what the class keeps.
  virtual void SaveToStream(TBinaryWriter& writer) const;
  // Replaces the table with a saved one; damaged data raises the reader's error.
  virtual void LoadFromStream(TBinaryReader& reader);
  // Reorders the records by the named keys.
  virtual void Sort(const TCustomParam* keys, const TCustomParam* descending) { (void)keys, (void)descending; }

 protected:
  void SetStatus(bool status) { status_ = status; }
  void SetName(std::string name) { name_ = std::move(name); }

 private:
  std::string name_;
  bool status_;
  TDBFieldList fields_;
};

class TDBTable : public TDBCustomTable {
 public:
  TDBTable(std::string name, bool status) : TDBCustomTable(std::move(name), status) {}

  int32_t RecordCount() const override { return count_; }
  int32_t RecNo() const override { return rec_no_; }
  const uint8_t* CurrentRecord() const override { return RecordAt(rec_no_); }
  const uint8_t* RecordAt(int32_t index) const override;
  uint8_t* MutableRecordAt(int32_t index) override;
  void AddColumn(int32_t type, int32_t size) override;
  void RemoveColumn(int32_t field) override;
  bool Append() override;
  bool DeleteRecord() override;
  bool First() override;
  bool Last() override;
  bool Next() override;
  bool Prior() override;
  bool SetRecNo(int32_t n) override;
  bool GetInt(int32_t record, int32_t field, int32_t& value) const override;
  bool SetInt(int32_t record, int32_t field, int32_t value) override;
  bool GetFloat(int32_t record, int32_t field, long double& value) const override;
  bool SetFloat(int32_t record, int32_t field, long double value) override;
  bool GetBool(int32_t record, int32_t field, bool& value) const override;
  bool SetBool(int32_t record, int32_t field, bool value) override;
  bool GetStr(int32_t record, int32_t field, std::string& value) const override;
  bool SetStr(int32_t record, int32_t field, std::string_view value) override;
  void Select(std::vector<int32_t>& list, const TCustomParam* keys, const TCustomParam* values,
              TSelectOptions options) const override;
  void ClearTable() override;
  void ClearRecords() override;
  void SaveToStream(TBinaryWriter& writer) const override;
  void LoadFromStream(TBinaryReader& reader) override;
  void Sort(const TCustomParam* keys, const TCustomParam* descending) override;

  // Appends a record holding a copy of bytes (record size long); copying
  // from one of this table's own records is safe.
  void AppendCopy(const TDBCustomTable& source, int32_t source_record);

 private:
  // Field pointer of a checked access, null when record or field is out of range.
  const uint8_t* FieldBytes(int32_t record, int32_t field, const TDBField*& info) const;
  uint8_t* FieldBytes(int32_t record, int32_t field, const TDBField*& info);

  // The records back to back: record i starts at i * record size.
  std::vector<uint8_t> records_;
  int32_t count_ = 0;
  int32_t rec_no_ = -1;
};

}  // namespace orvo
