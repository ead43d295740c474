#include <gtest/gtest.h>

#include "table_fixture.h"

namespace orvo::test {
namespace {

struct ScriptCase {
  std::vector<std::string> setup;
  const char* expression;
  const char* result;
};

// a: id int, name str 8 with rows (1, x) (2, y) (3, x); b: the same fields; c: other fields.
const std::vector<std::string> kTables = {
    "DBCreateTable(\"c\", FALSE)", "DBAddField(\"other\", 2)",   "DBCreateTable(\"b\", FALSE)",
    "DBAddField(\"id\", 1)",       "DBAddField(\"name\", 4, 8)", "DBCreateTable(\"a\", FALSE)",
    "DBAddField(\"id\", 1)",       "DBAddField(\"name\", 4, 8)", "DBInsert(1, \"x\")",
    "DBInsert(2, \"y\")",          "DBInsert(3.0, \"x\", 99)",
};

std::vector<std::string> With(std::vector<std::string> more) {
  std::vector<std::string> all = kTables;
  all.insert(all.end(), more.begin(), more.end());
  return all;
}

void Check(const std::vector<ScriptCase>& cases) {
  for (const ScriptCase& c : cases) {
    TableRig rig;
    rig.Array("k", PT_STR, {"name"});
    rig.Array("v", PT_STR, {"x"});
    rig.Array("kid", PT_STR, {"id"});
    rig.Array("vid", PT_INT, {"2"});
    rig.Array("desc", PT_BOOL, {"TRUE"});
    rig.Variable("tn", PT_STR);
    rig.Variable("ts", PT_BOOL);
    if (!rig.Run(c.setup)) continue;
    EXPECT_EQ(rig.Eval(c.expression), c.result) << c.expression << " after " << c.setup.size() << " statements";
  }
}

TEST(TableFunctionsTest, GuardsGiveTheNeutralValue) {
  Check({
      {{}, "DBAddField(\"a\", 1)", "bool\tFALSE"},
      {{}, "DBInsert(1)", "bool\tFALSE"},
      {{}, "DBSetRecNo(0)", "bool\tFALSE"},
      {{}, "DBFindFirst()", "bool\tFALSE"},
      {{}, "DBGetInt(\"a\")", "int\t0"},
      {{}, "DBGetStr(\"a\")", "str\t"},
      {{}, "DBRecordCount()", "int\t-1"},
      {{}, "DBGetRecNo()", "int\t-1"},
      {{}, "DBGetActive()", "str\t"},
      {{}, "DBSort(k, desc)", "bool\tFALSE"},
      {{}, "DBCreateTable(\"\", FALSE)", "bool\tFALSE"},
      // A current record is needed to write or delete.
      {With({"DBSetRecNo(-1)"}), "DBSetInt(\"id\", 5)", "bool\tFALSE"},
      {With({"DBSetRecNo(-1)"}), "DBCopy(\"b\")", "bool\tFALSE"},
      {With({"DBSetRecNo(-1)", "DBDelete()"}), "DBRecordCount()", "int\t3"},
      {With({}), "DBSetInt(\"nope\", 5)", "bool\tFALSE"},
      {With({}), "DBSetInt(\"ID\", 5)", "bool\tTRUE"},
  });
}

TEST(TableFunctionsTest, RecordsAndNavigation) {
  Check({
      // DBInsert sets fields after the kinds of the arguments; extra ones are ignored.
      {With({}), "DBRecordCount()", "int\t3"},
      {With({}), "DBGetRecNo()", "int\t2"},
      {With({}), "DBGetInt(\"id\")", "int\t3"},
      {With({"DBFindFirst()", "DBFindNext()"}), "DBGetStr(\"NAME\")", "str\ty"},
      {With({"DBFindLast()"}), "DBFindNext()", "bool\tFALSE"},
      {With({"DBSetRecNo(1)", "DBDelete()"}), "DBGetInt(\"id\")", "int\t3"},
      {With({"DBSetRecNo(0)", "DBSetFloat(\"id\", 2.5)"}), "DBGetInt(\"id\")", "int\t2"},
      {With({"DBSetRecNo(0)", "DBSetBool(\"name\", TRUE)"}), "DBGetBool(\"name\")", "bool\tTRUE"},
      {With({}), "DBRecordCount(\"b\")", "int\t0"},
      {With({}), "DBRecordCount(\"nope\")", "int\t-1"},
      {With({"DBClearRecord(\"a\")"}), "DBRecordCount()", "int\t0"},
      {With({}), "DBClearRecord(\"nope\")", "bool\tFALSE"},
      // Locate makes the first match current.
      {With({"DBLocate(k, v)"}), "DBGetRecNo()", "int\t0"},
      {With({"DBLocate(kid, vid)"}), "DBGetStr(\"name\")", "str\ty"},
      {With({}), "DBLocate(kid, v)", "bool\tFALSE"},
      {With({"DBSort(kid, desc)"}), "DBGetInt(\"id\")", "int\t1"},
  });
}

TEST(TableFunctionsTest, TablesCopiesAndDirectAccess) {
  Check({
      {With({}), "DBGetTableCount()", "int\t3"},
      {With({"DBGetTable(1, tn, ts)"}), "tn", "str\tb"},
      {With({}), "DBGetTable(3, tn, ts)", "bool\tFALSE"},
      {With({"DBSetActive(\"B\")"}), "DBGetActive()", "str\tb"},
      {With({}), "DBSetActive(\"nope\")", "bool\tFALSE"},
      // Re-creating a game table empties it; a status one keeps its records.
      {With({"DBCreateTable(\"A\", FALSE)"}), "DBRecordCount()", "int\t0"},
      {With({"DBCreateTable(\"A\", TRUE)"}), "DBRecordCount()", "int\t3"},
      {With({"DBDeleteTable(\"b\")"}), "DBGetActive()", "str\ta"},
      {With({"DBDeleteTable()"}), "DBGetActive()", "str\t"},
      {With({"DBClearTable()"}), "DBGetTableCount()", "int\t0"},
      // Copies: never onto the active table; the target takes structure and selected records.
      {With({}), "DBCopyTable(\"a\")", "bool\tFALSE"},
      {With({"DBCopyTable(\"c\", k, v)"}), "DBRecordCount(\"c\")", "int\t2"},
      {With({"DBCopyTable(\"c\", k, v)", "DBSetActive(\"c\")", "DBFindLast()"}), "DBGetInt(\"id\")", "int\t3"},
      {With({}), "DBInsertTable(\"c\")", "bool\tFALSE"},
      {With({}), "DBInsertTable(\"nope\")", "bool\tFALSE"},
      // Inserting the active table into itself copies exactly the records selected first.
      {With({"DBInsertTable(\"a\")"}), "DBRecordCount()", "int\t6"},
      {With({"DBInsertTable(\"a\")", "DBSetRecNo(5)"}), "DBGetInt(\"id\")", "int\t3"},
      {With({"DBInsertTable(\"a\", k, v)"}), "DBRecordCount()", "int\t5"},
      {With({"DBSetRecNo(1)", "DBCopy(\"b\")"}), "DBRecordCount(\"b\")", "int\t1"},
      {With({}), "DBCopy(\"c\")", "bool\tFALSE"},
      // Direct access: the first record the keys select; the default when anything is missing.
      {With({}), "DBDirectGetInt(\"A\", k, v, FALSE, FALSE, \"id\", -1)", "int\t1"},
      {With({}), "DBDirectGetStr(\"a\", kid, vid, FALSE, FALSE, \"name\", \"-\")", "str\ty"},
      {With({}), "DBDirectGetStr(\"a\", kid, v, FALSE, FALSE, \"name\", \"-\")", "str\t-"},
      {With({}), "DBDirectGetInt(\"a\", k, v, FALSE, FALSE, \"nope\", -1)", "int\t-1"},
      {With({}), "DBDirectGetFloat(\"nope\", k, v, FALSE, FALSE, \"id\", 0.5)", "float\t0.5"},
      {With({}), "DBDirectGetBool(\"a\", k, v, FALSE, FALSE, \"id\", FALSE)", "bool\tTRUE"},
      {With({"DBDirectSetStr(\"a\", kid, vid, FALSE, FALSE, \"name\", \"zz\")", "DBSetRecNo(1)"}), "DBGetStr(\"name\")",
       "str\tzz"},
      {With({}), "DBDirectSetInt(\"a\", kid, v, FALSE, FALSE, \"id\", 5)", "bool\tFALSE"},
      {With({}), "DBDirectSetFloat(\"a\", kid, vid, FALSE, FALSE, \"id\", 7)", "bool\tTRUE"},
      {With({}), "DBDirectSetBool(\"a\", kid, vid, FALSE, FALSE, \"id\", TRUE)", "bool\tTRUE"},
  });
}

}  // namespace
}  // namespace orvo::test
