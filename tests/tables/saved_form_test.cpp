#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
#include "base/stream.h"
#include "support/test_support.h"
#include "tables/db_manager.h"

namespace orvo::test {
namespace {

std::string Section(TDBManager& tables, int32_t status) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  tables.SaveTables(writer, status);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void Load(TDBManager& tables, const std::string& bytes, int32_t status) {
  TMemoryStream stream(bytes);
  TBinaryReader reader(stream);
  tables.LoadTables(reader, status);
}

// Game table "g": i int, s str 3, r float with one record (7, "a" over "abc", 1.5).
void MakeGame(TDBManager& tables) {
  tables.CreateTable("g", false);
  TDBCustomTable& table = *tables.ActiveTable();
  table.Fields().AddField("i", ftInt, 0);
  table.Fields().AddField("s", ftStr, 3);
  table.Fields().AddField("r", ftFloat, 0);
  table.Append();
  table.SetInt(0, 0, 7);
  table.SetStr(0, 1, "abc");
  table.SetStr(0, 1, "a");
  table.SetFloat(0, 2, 1.5L);
}

void MakeStatus(TDBManager& tables) {
  tables.CreateTable("st", true);
  tables.ActiveTable()->Fields().AddField("b", ftBool, 0);
  tables.ActiveTable()->Append();
  tables.ActiveTable()->SetBool(0, 0, true);
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

const std::string kGameSection = Bytes({
    100, 0, 0, 0, 1,   0, 0,   0,                 // version, one table
    0,                                            // class code
    1,   0, 0, 0, 'g', 0,                         // name, status
    3,   0, 0, 0,                                 // fields
    4,   0, 0, 0, 1,   0, 0,   0,    'i',  1,     // int
    4,   0, 0, 0, 1,   0, 0,   0,    's',  4,     // string of 3: 4 bytes
    10,  0, 0, 0, 1,   0, 0,   0,    'r',  2,     // real
    1,   0, 0, 0,                                 // one record
    7,   0, 0, 0, 'a', 0, 'c', 0,                 // the bytes after the 0 byte stay
    0,   0, 0, 0, 0,   0, 0,   0xC0, 0xFF, 0x3F,  // 1.5 as ext80
    0,   0, 0, 0,                                 // current record
    1,   0, 0, 0, 'g',                            // the active table's name
});

TEST(SavedFormTest, GameSectionByteForByte) {
  TDBManager tables;
  MakeStatus(tables);
  MakeGame(tables);
  EXPECT_EQ(Section(tables, 0), kGameSection);
  // The status section holds only the status table and no active name.
  const std::string status = Section(tables, 1);
  EXPECT_EQ(status.substr(0, 8), Bytes({100, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(status.size(), 8u + 1 + 6 + 1 + 4 + 10 + 4 + 1 + 4);
}

TEST(SavedFormTest, RoundTripsAndTheWayTheSectionsPart) {
  TDBManager saved;
  MakeStatus(saved);
  MakeGame(saved);
  const std::string game = Section(saved, 0);
  const std::string status = Section(saved, 1);

  // A restart: the status data comes back first, then a game load.
  TDBManager restarted;
  Load(restarted, status, 1);
  EXPECT_EQ(restarted.TableCount(), 1);
  Load(restarted, game, 0);
  EXPECT_EQ(Section(restarted, 0), game);
  EXPECT_EQ(Section(restarted, 1), status);
  ASSERT_NE(restarted.ActiveTable(), nullptr);
  EXPECT_EQ(restarted.ActiveTable()->Name(), "g");

  // A reset drops the game tables; the status tables stay.
  restarted.ResetGameTables();
  EXPECT_EQ(restarted.ActiveTable(), nullptr);
  EXPECT_EQ(restarted.TableCount(), 1);
  EXPECT_EQ(Section(restarted, 1), status);

  // Loading a game replaces the game tables only.
  restarted.CreateTable("other", false);
  Load(restarted, game, 0);
  EXPECT_EQ(restarted.IndexOfTable("other"), -1);
  EXPECT_EQ(restarted.TableCount(), 2);
  EXPECT_EQ(Section(restarted, 1), status);
}

TEST(SavedFormTest, DamagedSectionsAreRefusedAndChangeNothing) {
  struct Damage {
    const char* what;
    size_t offset;
    std::initializer_list<int> bytes;
  };
  const Damage damages[] = {
      {"table count beyond the data", 4, {0x10, 0, 0, 0}},
      {"negative table count", 4, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"name length beyond the data", 9, {0xFF, 0xFF, 0, 0}},
      {"field count beyond the data", 15, {0xFF, 0, 0, 0}},
      {"int field of 2 bytes", 19, {2, 0, 0, 0}},
      {"string field of 0 bytes", 29, {0, 0, 0, 0}},
      {"string field of the lowest size", 29, {0, 0, 0, 0x80}},
      {"real field of 4 bytes", 39, {4, 0, 0, 0}},
      {"unknown type", 48, {9}},
      {"repeated field name", 47, {'i'}},
      {"record count beyond the data", 49, {2, 0, 0, 0}},
      {"negative record count", 49, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"current record past the last", 71, {1, 0, 0, 0}},
      {"current record below -1", 71, {0xFE, 0xFF, 0xFF, 0xFF}},
  };
  for (const Damage& damage : damages) {
    std::string bytes = kGameSection;
    size_t at = damage.offset;
    for (int value : damage.bytes) bytes[at++] = static_cast<char>(value);
    TDBManager tables;
    MakeStatus(tables);
    tables.CreateTable("keep", false);
    const std::string before = Section(tables, 0) + Section(tables, 1);
    EXPECT_THROW(Load(tables, bytes, 0), EReadError) << damage.what;
    EXPECT_EQ(Section(tables, 0) + Section(tables, 1), before) << damage.what;
  }
  // Every cut of the section fails the same way.
  for (size_t length = 0; length < kGameSection.size(); ++length) {
    TDBManager tables;
    EXPECT_THROW(Load(tables, kGameSection.substr(0, length), 0), EReadError) << length;
  }
}

TEST(SavedFormTest, EvalKeepsOneStoreAndReadsAndWritesTableFiles) {
  const std::string tool = BuildDir() + "/bin/orvokit";
  if (!std::filesystem::exists(tool)) GTEST_SKIP() << "orvokit not built";
  const std::string folder = MakeTempDir("eval_tables");
  WriteFile(folder + "/items.tsv", "name\tprice int\npen\t120\nink\t80\n");
  const std::string file = folder + "/tables.bin";
  std::string output;
  EXPECT_EQ(
      RunCommand(tool + " eval --game " + folder + " --tables-out " + file +
                     " 'DBCreateTable(\"items\", FALSE)' 'DBLoadTsvFile(\"ITEMS.TSV\")'"
                     " 'DBCreateTable(\"st\", TRUE)' 'DBAddField(\"n\", 1)' 'DBInsert(5)' 'DBSetActive(\"items\")'",
                 &output),
      0);
  EXPECT_EQ(output, "bool\tTRUE\nbool\tTRUE\nbool\tTRUE\nbool\tTRUE\nbool\tTRUE\nbool\tTRUE\n");
  EXPECT_EQ(
      RunCommand(tool + " eval --var k:str=n --var v:int=5 --tables-in " + file +
                     " 'DBGetActive()' 'DBGetInt(\"price\")' 'DBDirectGetInt(\"st\", k, v, FALSE, FALSE, \"n\", 0)'",
                 &output),
      0);
  EXPECT_EQ(output, "str\titems\nint\t80\nint\t5\n");
  // The file is the status section followed by the game section.
  TDBManager tables;
  const std::string bytes = ReadFile(file);
  TMemoryStream stream(bytes);
  TBinaryReader reader(stream);
  tables.LoadTables(reader, 1);
  tables.LoadTables(reader, 0);
  EXPECT_EQ(reader.Remaining(), 0);
  EXPECT_EQ(tables.TableCount(), 2);
  // A table file that does not read stops the run before any expression.
  WriteFile(file, bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(RunCommand(tool + " eval --tables-in " + file + " '1' 2>&1", &output), 1);
  EXPECT_EQ(output.find("int"), std::string::npos) << output;
}

}  // namespace
}  // namespace orvo::test
