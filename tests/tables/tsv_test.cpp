#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tables/db_table.h"

namespace orvo::test {
namespace {

// "name:type:size" per field, then one line per record with the fields' texts joined by '|'.
std::string Dump(const TDBCustomTable& table) {
  std::string text;
  for (int32_t i = 0; i < table.Fields().Count(); ++i) {
    const TDBField& field = table.Fields().At(i);
    text += field.name + ":" + std::to_string(field.type) + ":" + std::to_string(field.size) + " ";
  }
  for (int32_t record = 0; record < table.RecordCount(); ++record) {
    text += "\n";
    for (int32_t i = 0; i < table.Fields().Count(); ++i) {
      std::string value;
      table.GetStr(record, i, value);
      if (i) text += "|";
      text += value;
    }
  }
  return text;
}

TEST(TsvTest, HeadersTypesEscapesAndColumns) {
  struct TsvCase {
    std::vector<std::string> lines;
    bool result;
    const char* dump;
  };
  const TsvCase cases[] = {
      {{"name\tprice int\tw float\tok bool", "pen\t120\t1.5\tTRUE"},
       true,
       "name:4:81 price:1:4 w:2:10 ok:3:1 \npen|120|1.5|TRUE"},
      // Any other type word is a string of the given size; 80 when the size does not convert.
      {{"a other 3\tb int 2\tc str x", "abcdef\t7\tz"}, true, "a:4:4 b:1:4 c:4:81 \nabc|7|z"},
      // Blanks around the words are trimmed.
      {{"a  int  \tb   str   5 "}, true, "a:1:4 b:4:6 "},
      // A trailing tab adds no cell; more cells than fields are ignored, fewer leave zeros.
      {{"a\tb int\t", "x\t1\ty\tz", "only"}, true, "a:4:81 b:1:4 \nx|1\nonly|0"},
      // Empty lines are skipped.
      {{"a", "", "x", ""}, true, "a:4:81 \nx"},
      // A cell that begins with a blank, or an empty cell, fails the whole load.
      {{"a\t b int", "1\t2"}, false, ""},
      {{"a\t\tb", "1\t2\t3"}, false, ""},
      {{}, false, ""},
      // A refused header cell keeps its column: the next field still gets its own values.
      {{"a\tA int\tb int", "x\t1\t2"}, true, "a:4:81 b:1:4 \nx|2"},
      {{"s str -1\tn int", "x\t5"}, true, "n:1:4 \n5"},
      // Escapes: \n is a line break, \\ and \" the character itself, others unchanged.
      {{"a", "x\\ny", "x\\\\ny", "\\\"q\\\"", "a\\tb\\"}, true, "a:4:81 \nx\r\ny\nx\\ny\n\"q\"\na\\tb\\"},
  };
  for (const TsvCase& c : cases) {
    TDBTable table("t", false);
    // A load replaces whatever the table held.
    table.Fields().AddField("old", ftInt, 0);
    table.Append();
    EXPECT_EQ(table.LoadTsv(c.lines), c.result) << (c.lines.empty() ? "" : c.lines[0]);
    EXPECT_EQ(Dump(table), c.dump) << (c.lines.empty() ? "" : c.lines[0]);
  }
}

TEST(TsvTest, TrailBytesAreNeverEscapesOrTabs) {
  // "ソ" is 83 5C: its trail byte is a backslash, and "ソn" must stay as it is.
  const std::string so_n = Sjis("ソn");
  const std::string hyo = Sjis("表");  // 95 5C
  TDBTable table("t", false);
  ASSERT_TRUE(table.LoadTsv({Sjis("名前\t値 int"), so_n + "\t3", hyo + "\\n\t4"}));
  std::string value;
  table.GetStr(0, 0, value);
  EXPECT_EQ(value, so_n);
  table.GetStr(1, 0, value);
  EXPECT_EQ(value, hyo + "\r\n");
  EXPECT_EQ(table.Fields().At(0).name, Sjis("名前"));
}

TEST(TsvTest, AWideHeaderLoadsWithoutSlowingDown) {
  // A header with a few hundred thousand fields (most refused as repeats):
  // looking names up one by one through the list would take hours.
  std::string header;
  for (int i = 0; i < 200000; ++i) {
    if (i) header += '\t';
    header += 'f';
    header += std::to_string(i % 150000);
    header += " bool";
  }
  TDBTable table("t", false);
  ASSERT_TRUE(table.LoadTsv({header, "TRUE"}));
  EXPECT_EQ(table.Fields().Count(), 150000);
  EXPECT_EQ(table.Fields().IndexOfField("F149999"), 149999);
  bool first = false;
  table.GetBool(0, 0, first);
  EXPECT_TRUE(first);
}

}  // namespace
}  // namespace orvo::test
