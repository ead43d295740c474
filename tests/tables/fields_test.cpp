#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tables/db_table.h"
#include "vars/convert.h"

namespace orvo::test {
namespace {

enum class Setter { Int, Float, Bool, Str };

struct AccessCase {
  uint8_t type;
  int32_t size;  // declared size (strings only)
  Setter setter;
  long double number;  // for Int, Float and Bool
  const char* text;    // for Str
  int32_t as_int;
  const char* as_float;  // RealToText of GetFloat
  bool as_bool;
  const char* as_str;
};

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

TEST(FieldAccessTest, EveryTypeThroughEveryGetterAndSetter) {
  const AccessCase cases[] = {
      {ftInt, 0, Setter::Int, 42, "", 42, "42", true, "42"},
      {ftInt, 0, Setter::Float, 2.5L, "", 2, "2", true, "2"},
      {ftInt, 0, Setter::Float, 3.5L, "", 4, "4", true, "4"},
      {ftInt, 0, Setter::Float, -2.5L, "", -2, "-2", true, "-2"},
      {ftInt, 0, Setter::Float, 1e12L, "", 2147483647, "2147483647", true, "2147483647"},
      {ftInt, 0, Setter::Float, -1e12L, "", -2147483647 - 1, "-2147483648", true, "-2147483648"},
      {ftInt, 0, Setter::Float, kNaN, "", 0, "0", false, "0"},
      {ftInt, 0, Setter::Bool, 1, "", 1, "1", true, "1"},
      {ftInt, 0, Setter::Str, 0, "$10", 16, "16", true, "16"},
      {ftInt, 0, Setter::Str, 0, "abc", 0, "0", false, "0"},
      {ftFloat, 0, Setter::Int, -7, "", -7, "-7", true, "-7"},
      {ftFloat, 0, Setter::Float, 2.5L, "", 2, "2.5", true, "2.5"},
      {ftFloat, 0, Setter::Float, 3.5L, "", 4, "3.5", true, "3.5"},
      {ftFloat, 0, Setter::Float, 1e300L, "", 2147483647, "1E300", true, "1E300"},
      {ftFloat, 0, Setter::Float, -1e300L, "", -2147483647 - 1, "-1E300", true, "-1E300"},
      {ftFloat, 0, Setter::Float, kNaN, "", 0, "NAN", true, "NAN"},
      {ftFloat, 0, Setter::Bool, 1, "", 1, "1", true, "1"},
      {ftFloat, 0, Setter::Str, 0, "1.25", 1, "1.25", true, "1.25"},
      {ftFloat, 0, Setter::Str, 0, "x", 0, "0", false, "0"},
      {ftBool, 0, Setter::Int, 5, "", 1, "1", true, "TRUE"},
      {ftBool, 0, Setter::Int, 0, "", 0, "0", false, "FALSE"},
      {ftBool, 0, Setter::Float, 0.5L, "", 1, "1", true, "TRUE"},
      {ftBool, 0, Setter::Str, 0, "TRUE", 1, "1", true, "TRUE"},
      {ftBool, 0, Setter::Str, 0, "true", 0, "0", false, "FALSE"},
      {ftStr, 3, Setter::Bool, 0, "", 0, "0", false, "FAL"},
      {ftStr, 4, Setter::Bool, 1, "", 0, "0", true, "TRUE"},
      {ftStr, 3, Setter::Int, 12345, "", 123, "123", false, "123"},
      {ftStr, 10, Setter::Float, 1.5L, "", 0, "1.5", false, "1.5"},
      {ftStr, 10, Setter::Str, 0, "abcdefghijklmno", 0, "0", false, "abcdefghij"},
      {ftStr, 0, Setter::Str, 0, "abc", 0, "0", false, ""},
      {ftStr, 80, Setter::Str, 0, " -12", -12, "-12", false, " -12"},
  };
  for (const AccessCase& c : cases) {
    TDBTable table("t", false);
    ASSERT_EQ(table.Fields().AddField("pad", ftInt, 0), 0);
    ASSERT_EQ(table.Fields().AddField("f", c.type, c.size), 1);
    table.Append();
    bool set = false;
    switch (c.setter) {
      case Setter::Int:
        set = table.SetInt(0, 1, static_cast<int32_t>(c.number));
        break;
      case Setter::Float:
        set = table.SetFloat(0, 1, c.number);
        break;
      case Setter::Bool:
        set = table.SetBool(0, 1, c.number != 0);
        break;
      case Setter::Str:
        set = table.SetStr(0, 1, c.text);
        break;
    }
    std::string label = std::to_string(c.type);
    label += ' ';
    label += std::to_string(static_cast<int>(c.setter));
    label += ' ';
    label += RealToText(c.number);
    label += ' ';
    label += c.text;
    EXPECT_TRUE(set) << label;
    int32_t as_int = -99;
    long double as_float = -99;
    bool as_bool = !c.as_bool;
    std::string as_str;
    EXPECT_TRUE(table.GetInt(0, 1, as_int));
    EXPECT_TRUE(table.GetFloat(0, 1, as_float));
    EXPECT_TRUE(table.GetBool(0, 1, as_bool));
    EXPECT_TRUE(table.GetStr(0, 1, as_str));
    EXPECT_EQ(as_int, c.as_int) << label;
    EXPECT_EQ(RealToText(as_float), c.as_float) << label;
    EXPECT_EQ(as_bool, c.as_bool) << label;
    EXPECT_EQ(as_str, c.as_str) << label;
    // The neighbouring field is never touched.
    int32_t pad = -1;
    table.GetInt(0, 0, pad);
    EXPECT_EQ(pad, 0) << label;
  }
}

TEST(FieldAccessTest, OutsideTheRecordsOrFieldsNothingHappens) {
  TDBTable table("t", false);
  table.Fields().AddField("a", ftInt, 0);
  table.Append();
  table.SetInt(0, 0, 5);
  const std::pair<int32_t, int32_t> places[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  for (const auto& [record, field] : places) {
    int32_t value = 77;
    EXPECT_FALSE(table.GetInt(record, field, value));
    EXPECT_EQ(value, 77);
    EXPECT_FALSE(table.SetInt(record, field, 9));
    EXPECT_FALSE(table.SetStr(record, field, "9"));
  }
  int32_t value = 0;
  table.GetInt(0, 0, value);
  EXPECT_EQ(value, 5);
}

TEST(FieldListTest, AddFieldRefusesWhatWouldBreakTheRecord) {
  struct FieldCase {
    const char* name;
    int32_t type;
    int32_t size;
    int32_t index;  // expected result
  };
  const FieldCase cases[] = {
      {"id", ftInt, 0, 0},
      {"ID", ftStr, 5, -1},  // same name ignoring case
      {"x", 0, 0, -1},       // unknown types
      {"x", 5, 0, -1},
      {"s", ftStr, -1, -1},  // negative length
      {"s", ftStr, kMaxStringFieldLength + 1, -1},
      {"s", ftStr, kMaxStringFieldLength, 1},
      {"n", ftInt, -5, 2},  // the size means nothing to other types
      {"z", ftStr, 0, 3},
  };
  TDBFieldList list;
  for (const FieldCase& c : cases) EXPECT_EQ(list.AddField(c.name, c.type, c.size), c.index) << c.name;
  EXPECT_EQ(list.RecordSize(), 4 + kMaxStringFieldLength + 1 + 4 + 1);
  // Record size cap: the field that would pass 16 MiB is refused.
  TDBFieldList big;
  int32_t added = 0;
  for (int i = 0; i < 20; ++i)
    added += big.AddField(std::string(1, 'f').append(std::to_string(i)), ftStr, kMaxStringFieldLength) >= 0;
  EXPECT_EQ(added, kMaxRecordSize / (kMaxStringFieldLength + 1));
  EXPECT_LE(big.RecordSize(), kMaxRecordSize);
}

TEST(FieldListTest, OffsetsStructureAndCopies) {
  TDBTable a("a", false);
  a.Fields().AddField("i", ftInt, 0);
  a.Fields().AddField("r", ftFloat, 0);
  a.Fields().AddField("b", ftBool, 0);
  a.Fields().AddField("s", ftStr, 7);
  EXPECT_EQ(a.Fields().At(3).offset, 15);
  EXPECT_EQ(a.Fields().RecordSize(), 23);
  TDBTable b("b", false);
  b.Fields().CopyStructure(a.Fields());
  EXPECT_TRUE(b.Fields().SameStructure(a.Fields()));
  TDBTable c("c", false);
  c.Fields().CopyStructure(a.Fields());
  c.Fields().AddField("x", ftBool, 0);
  EXPECT_FALSE(c.Fields().SameStructure(a.Fields()));
  TDBTable d("d", false);  // the same but for the case of one name
  d.Fields().AddField("I", ftInt, 0);
  d.Fields().AddField("r", ftFloat, 0);
  d.Fields().AddField("b", ftBool, 0);
  d.Fields().AddField("s", ftStr, 7);
  EXPECT_FALSE(d.Fields().SameStructure(a.Fields()));
}

TEST(FieldListTest, AddingAFieldWidensRecordsWithZeroes) {
  TDBTable table("t", false);
  table.Fields().AddField("keep", ftStr, 4);
  for (const char* text : {"ab", "cd"}) {
    table.Append();
    table.SetStr(table.RecNo(), 0, text);
  }
  const uint8_t types[] = {ftInt, ftFloat, ftBool, ftStr};
  for (uint8_t type : types) table.Fields().AddField(std::string(1, 'n').append(std::to_string(type)), type, 6);
  for (int32_t record = 0; record < 2; ++record) {
    std::string keep;
    table.GetStr(record, 0, keep);
    EXPECT_EQ(keep, record == 0 ? "ab" : "cd");
    std::string text;
    for (int32_t field = 1; field <= 4; ++field) {
      table.GetStr(record, field, text);
      EXPECT_EQ(text, field == 1 ? "0" : field == 2 ? "0" : field == 3 ? "FALSE" : "");
    }
  }
}

TEST(RecordsTest, MovingAppendingAndDeleting) {
  // Each step: operation, its result, the current record after it.
  struct Step {
    char op;  // a: append, d: delete, f/l/n/p: first/last/next/prior, s: SetRecNo(arg)
    int32_t arg;
    bool result;
    int32_t rec_no;
  };
  const Step steps[] = {
      {'f', 0, false, -1}, {'l', 0, false, -1}, {'n', 0, false, -1}, {'d', 0, false, -1}, {'a', 0, true, 0},
      {'a', 0, true, 1},   {'a', 0, true, 2},   {'s', 3, false, 2},  {'s', -5, true, -1}, {'n', 0, false, -1},
      {'p', 0, false, -1}, {'f', 0, true, 0},   {'p', 0, false, 0},  {'n', 0, true, 1},   {'l', 0, true, 2},
      {'n', 0, false, 2},  {'d', 0, false, 1},  {'s', 0, true, 0},   {'d', 0, false, 0},  {'d', 0, false, -1},
  };
  TDBTable table("t", false);
  table.Fields().AddField("v", ftInt, 0);
  int32_t appended = 0;
  for (const Step& step : steps) {
    bool result = false;
    switch (step.op) {
      case 'a':
        result = table.Append();
        table.SetInt(table.RecNo(), 0, appended++);
        break;
      case 'd':
        result = table.DeleteRecord();
        break;
      case 'f':
        result = table.First();
        break;
      case 'l':
        result = table.Last();
        break;
      case 'n':
        result = table.Next();
        break;
      case 'p':
        result = table.Prior();
        break;
      default:
        result = table.SetRecNo(step.arg);
        break;
    }
    EXPECT_EQ(result, step.result) << step.op << step.arg;
    EXPECT_EQ(table.RecNo(), step.rec_no) << step.op << step.arg;
  }
  // Deleting the last of three, then the first of two: record 1 (value 1) is left.
  EXPECT_EQ(table.RecordCount(), 0);
}

}  // namespace
}  // namespace orvo::test
