#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "table_fixture.h"
#include "vars/convert.h"

namespace orvo::test {
namespace {

std::string Join(const std::vector<int32_t>& list) {
  std::string text;
  for (int32_t n : list) {
    if (!text.empty()) text += ',';
    text += std::to_string(n);
  }
  return text;
}

// name (str 20), n (int), r (float), ok (bool)
void FillFruit(TDBCustomTable& table) {
  table.Fields().AddField("name", ftStr, 20);
  table.Fields().AddField("n", ftInt, 0);
  table.Fields().AddField("r", ftFloat, 0);
  table.Fields().AddField("ok", ftBool, 0);
  const struct {
    const char* name;
    int32_t n;
    long double r;
    bool ok;
  } rows[] = {{"Apple", 1, 1.5L, true}, {"apple pie", 2, 2.5L, false}, {"12", 12, 12, true}, {"pie", 1, 0, false}};
  for (const auto& row : rows) {
    table.Append();
    const int32_t record = table.RecNo();
    table.SetStr(record, 0, row.name);
    table.SetInt(record, 1, row.n);
    table.SetFloat(record, 2, row.r);
    table.SetBool(record, 3, row.ok);
  }
}

TEST(SelectTest, KeysCompareAfterTheKindOfTheValues) {
  struct SelectCase {
    std::initializer_list<const char*> keys;
    int kind;  // of the values array
    std::initializer_list<const char*> values;
    bool ignore_case;
    bool partial;
    const char* expected;
  };
  const SelectCase cases[] = {
      {{"n"}, PT_INT, {"1"}, false, false, "0,3"},
      // An integer array compares a string field as an integer too.
      {{"name", "N"}, PT_INT, {"12", "12"}, false, false, "2"},
      // Only as many keys as the shorter array holds.
      {{"n", "name"}, PT_INT, {"1"}, false, false, "0,3"},
      {{"name"}, PT_STR, {"apple"}, false, false, ""},
      {{"name"}, PT_STR, {"APPLE"}, true, false, "0"},
      // Partial: the field's text occurs within the key's text.
      {{"name"}, PT_STR, {"apple pie"}, false, true, "1,3"},
      {{"name"}, PT_STR, {"APPLE PIE"}, true, true, "0,1,3"},
      {{"name"}, PT_STR, {"apple"}, false, true, ""},
      {{"name"}, PT_STR, {"APPLE"}, true, true, "0"},
      {{"r"}, PT_FLOAT, {"2.5"}, false, false, "1"},
      {{"ok", "n"}, PT_BOOL, {"TRUE", "TRUE"}, false, false, "0,2"},
      // A key that names no field selects nothing, wherever it stands.
      {{"nope"}, PT_INT, {"1"}, false, false, ""},
      {{"n", "nope"}, PT_INT, {"1", "1"}, false, false, ""},
  };
  for (const SelectCase& c : cases) {
    TableRig rig;
    rig.Array("keys", PT_STR, c.keys);
    rig.Array("vals", c.kind, c.values);
    TDBTable table("t", false);
    FillFruit(table);
    std::vector<int32_t> list;
    table.Select(list, &rig.Value("keys"), &rig.Value("vals"), {c.ignore_case, c.partial});
    EXPECT_EQ(Join(list), c.expected) << *c.keys.begin() << " " << *c.values.begin();
  }
}

TEST(SelectTest, MissingArraysOrAnUnboundValueArraySelectEveryRecord) {
  TableRig rig;
  rig.Array("keys", PT_STR, {"n"});
  TDBTable table("t", false);
  FillFruit(table);
  const auto unbound = MakeParam(0);
  const std::array<const TCustomParam*, 2> value_arrays{nullptr, unbound.get()};
  for (const TCustomParam* values : value_arrays) {
    std::vector<int32_t> list;
    table.Select(list, &rig.Value("keys"), values, {});
    EXPECT_EQ(Join(list), "0,1,2,3");
  }
  std::vector<int32_t> list;
  table.Select(list, nullptr, unbound.get(), {});
  EXPECT_EQ(Join(list), "0,1,2,3");
}

// The id field of every record in order.
std::string Ids(const TDBCustomTable& table) {
  std::string text;
  for (int32_t record = 0; record < table.RecordCount(); ++record) {
    int32_t id = 0;
    table.GetInt(record, 0, id);
    if (!text.empty()) text += ',';
    text += std::to_string(id);
  }
  return text;
}

TEST(SortTest, KeysInOrderWithTheirDirections) {
  constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
  // id, grp, name, r, flag
  const struct {
    int32_t grp;
    const char* name;
    long double r;
    bool flag;
  } rows[] = {{2, "b", 2, true},   {1, "b", kNaN, false}, {2, "a", -0.0L, true},
              {1, "c", -1, false}, {1, "a", kNaN, true},  {2, "B", 0.0L, false}};
  struct SortCase {
    std::initializer_list<const char*> keys;
    std::initializer_list<const char*> descending;
    const char* expected;
  };
  const SortCase cases[] = {
      {{"grp", "name"}, {"FALSE", "FALSE"}, "4,1,3,5,2,0"},
      {{"grp", "name"}, {"TRUE", "FALSE"}, "5,2,0,4,1,3"},
      // A string key stays ascending whatever its flag; so does a flag key.
      {{"grp", "name"}, {"TRUE", "TRUE"}, "5,2,0,4,1,3"},
      {{"flag", "grp"}, {"TRUE", "FALSE"}, "1,3,5,4,0,2"},
      // NaN after every number, equal to NaN; -0.0 equals 0.0 (ties keep their order).
      {{"r"}, {"FALSE"}, "3,2,5,0,1,4"},
      {{"r"}, {"TRUE"}, "1,4,0,2,5,3"},
      // Names that are no field are skipped; a missing flag stops the keys.
      {{"nope", "grp"}, {"FALSE", "TRUE"}, "0,2,5,1,3,4"},
      {{"grp", "name"}, {"FALSE"}, "1,3,4,0,2,5"},
  };
  for (const SortCase& c : cases) {
    TableRig rig;
    rig.Array("keys", PT_STR, c.keys);
    rig.Array("desc", PT_BOOL, c.descending);
    TDBTable table("t", false);
    table.Fields().AddField("id", ftInt, 0);
    table.Fields().AddField("grp", ftInt, 0);
    table.Fields().AddField("name", ftStr, 4);
    table.Fields().AddField("r", ftFloat, 0);
    table.Fields().AddField("flag", ftBool, 0);
    int32_t id = 0;
    for (const auto& row : rows) {
      table.Append();
      table.SetInt(table.RecNo(), 0, id++);
      table.SetInt(table.RecNo(), 1, row.grp);
      table.SetStr(table.RecNo(), 2, row.name);
      table.SetFloat(table.RecNo(), 3, row.r);
      table.SetBool(table.RecNo(), 4, row.flag);
    }
    table.SetRecNo(1);
    table.Sort(&rig.Value("keys"), &rig.Value("desc"));
    EXPECT_EQ(Ids(table), c.expected) << *c.keys.begin() << " " << *c.descending.begin();
    EXPECT_EQ(table.RecNo(), 1);
  }
}

}  // namespace
}  // namespace orvo::test
