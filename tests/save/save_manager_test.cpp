// Game saves, loads and status data through the real save file: a game in
// memory is saved, changed and loaded; damaged files and records fail
// cleanly; status data and "save:" files survive a restart.
#include "save/save_manager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
#include "base/stream.h"
#include "save/save_rig.h"
#include "stage/message.h"
#include "stage/read_marks.h"

namespace orvo::test {
namespace {

class SaveManagerTest : public ::testing::Test {
 protected:
  SaveManagerTest() : folder_(MakeTempDir("saves")) {}

  // A game with a global, a status variable and a box on the stage.
  std::unique_ptr<TSaveRig> Game() {
    auto rig = std::make_unique<TSaveRig>(folder_);
    rig->game.Page("start",
                   "var value: int = 7\n"
                   "var status seen: int = 1\n"
                   "wait\n");
    rig->game.Start();
    rig->game.Frames(2);
    return rig;
  }

  std::string Entry(const std::string& name) {
    TVrFileCollection collection;
    collection.Open(folder_ + "/save.dat");
    std::optional<std::string> bytes = ReadVerifiedEntry(collection, name);
    return bytes.value_or("<none>");
  }

  std::string folder_;
};

TEST_F(SaveManagerTest, ASlotComesBackWithItsVariablesAndTitle) {
  auto rig = Game();
  ASSERT_TRUE(rig->saves->SaveGame(3, "Chapter 1", "", 0));
  // The entry begins with the version and the title.
  const std::string entry = Entry("GAMESAVEDATA3");
  ASSERT_GE(entry.size(), 17u);
  EXPECT_EQ(entry.substr(0, 4), std::string("\xC9\x00\x00\x00", 4));
  EXPECT_EQ(entry.substr(4, 13), std::string("\x09\x00\x00\x00", 4) + "Chapter 1");
  EXPECT_EQ(rig->saves->SlotTitle(3), "Chapter 1");
  rig->game.engine.Store().Find("value")->Value().SetAsInt(99);
  EXPECT_TRUE(rig->saves->LoadGame(3));
  EXPECT_EQ(rig->game.Var("value"), "7");
  EXPECT_FALSE(rig->game.state.fatal_error);
  // Another run lists the slot.
  auto again = Game();
  again->saves->RebuildSlotTitles();
  EXPECT_EQ(again->saves->SlotTitles(), (std::vector<std::pair<std::string, int32_t>>{{"Chapter 1", 3}}));
}

TEST_F(SaveManagerTest, RequestsThatDoNothing) {
  auto rig = Game();
  // An empty title writes nothing at all.
  EXPECT_FALSE(rig->saves->SaveGame(1, "", "", 0));
  EXPECT_FALSE(std::filesystem::exists(rig->Path()));
  // A missing slot, with and without a file, leaves the game running unchanged.
  EXPECT_FALSE(rig->saves->LoadGame(1));
  rig->saves->SaveGame(2, "two", "", 0);
  rig->saves->RequestLoad(5);
  EXPECT_FALSE(rig->saves->PerformPending());
  EXPECT_FALSE(rig->game.state.terminating);
  EXPECT_EQ(rig->closes, 0);
  EXPECT_TRUE(rig->dialogs.boxes.empty());
}

TEST_F(SaveManagerTest, SaveToDiskOffKeepsOnlyTheStatusDataOffTheDisk) {
  auto rig = Game();
  rig->save_to_disk = false;
  rig->saves->SaveStatus();
  EXPECT_FALSE(std::filesystem::exists(rig->Path()));
  ASSERT_TRUE(rig->saves->SaveGame(1, "one", "", 0));
  EXPECT_NE(Entry("GAMESAVEDATA1"), "<none>");
  EXPECT_EQ(Entry("STATUSSAVEDATA"), "<none>");
  rig->save_to_disk = true;
  rig->saves->SaveGame(1, "one", "", 0);
  EXPECT_NE(Entry("STATUSSAVEDATA"), "<none>");
}

TEST_F(SaveManagerTest, StatusDataReadMarksAndSaveFilesSurviveARestart) {
  {
    auto rig = Game();
    rig->game.engine.Store().Find("seen")->Value().SetAsInt(5);
    rig->stage.ReadMarks().MarkPending("mes", "start.osb", 1, 4);
    rig->stage.ReadMarks().MarkRead("mes");
    rig->saves->StoreSaveFile("save:thumb.png", "picture bytes");
    rig->saves->SaveStatus();
  }
  auto rig = std::make_unique<TSaveRig>(folder_);
  rig->saves->LoadStatus();
  ASSERT_NE(rig->game.engine.Store().Find("seen"), nullptr);
  EXPECT_EQ(rig->game.engine.Store().Find("seen")->Value().GetAsInt(), 5);
  EXPECT_TRUE(rig->stage.ReadMarks().IsRead("start.osb", 4, 1));
  const std::vector<uint8_t> thumb = rig->files.LoadBytes("SAVE:thumb.png");
  EXPECT_EQ(std::string(thumb.begin(), thumb.end()), "picture bytes");
  EXPECT_TRUE(rig->dialogs.boxes.empty());
}

TEST_F(SaveManagerTest, AStatusRecordWithoutTagIsVersionZeroFromItsFirstByte) {
  auto rig = Game();
  TMemoryStream record;
  TBinaryWriter writer(record);
  rig->game.engine.Store().SaveStatus(writer);
  TSaveRig fresh(folder_);
  record.SetPosition(0);
  TBinaryReader reader(record);
  TEmptySaveTables tables;
  TStatusParts parts{&fresh.game.engine.Store(), &fresh.stage.ReadMarks(), &fresh.stage.Pictures(), &tables};
  EXPECT_EQ(ReadStatusRecord(reader, parts), 0);
  ASSERT_NE(fresh.game.engine.Store().Find("seen"), nullptr);
  EXPECT_EQ(reader.Remaining(), 0);
}

TEST_F(SaveManagerTest, AFailedGameSaveShowsItsErrorKeepsTheFileAndTheGameGoesOn) {
  auto rig = Game();
  rig->saves->SaveGame(1, "one", "", 0);
  const std::string before = ReadFile(rig->Path());
  rig->saves->File().WriteOptions().fail_step = [](TAtomicStep step) { return step == TAtomicStep::Rename; };
  EXPECT_FALSE(rig->saves->SaveGame(2, "two", "", 0));
  EXPECT_EQ(ReadFile(rig->Path()), before);
  EXPECT_EQ(rig->dialogs.boxes, (std::vector<std::string>{"エラー: データファイルを作成することができません"}));
  EXPECT_EQ(rig->saves->SlotTitle(2), "");
  EXPECT_FALSE(rig->game.state.terminating);
}

TEST_F(SaveManagerTest, DamagedSlotsFailTheLoadBeforeAnythingIsApplied) {
  struct TRow {
    const char* what;
    std::function<void(TSaveRig&)> damage;
    const char* first_box;
  };
  const TRow rows[] = {
      {"a flipped byte",
       [](TSaveRig& rig) {
         std::string bytes = ReadFile(rig.Path());
         TVrFileCollection collection;
         collection.Open(rig.Path());
         bytes[static_cast<size_t>(collection.Find("GAMESAVEDATA1")->offset) + 5] ^= 0x01;
         WriteFile(rig.Path(), bytes);
       },
       "エラー: Damaged save entry GAMESAVEDATA1"},
      {"a record cut short",
       [](TSaveRig& rig) { rig.saves->StoreSaveFile("GAMESAVEDATA1", std::string("\xC9\x00\x00\x00\x05\x00\x00", 7)); },
       nullptr},
      {"an old version",
       [](TSaveRig& rig) { rig.saves->StoreSaveFile("GAMESAVEDATA1", std::string("\x6A\x00\x00\x00", 4)); },
       "エラー: セーブファイルの形式が古いため読めません\r\nsave.dat を削除してから実行してください"},
      {"a huge history count",
       [](TSaveRig& rig) {
         TVrFileCollection collection;
         collection.Open(rig.Path());
         std::string record = *ReadVerifiedEntry(collection, "GAMESAVEDATA1");
         // The stage record is unchanged; cut the rest and claim 2^30 formats.
         TMemoryStream stage_only;
         TBinaryWriter writer(stage_only);
         rig.stage.WriteState(writer);
         const size_t history_at = 4 + 4 + 3 + 4 + 4 + stage_only.Bytes().size();
         record = record.substr(0, history_at) + std::string("\x00\x00\x00\x40", 4);
         rig.saves->StoreSaveFile("GAMESAVEDATA1", record);
       },
       nullptr},
  };
  for (const TRow& row : rows) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    auto rig = Game();
    ASSERT_TRUE(rig->saves->SaveGame(1, "one", "", 0));
    row.damage(*rig);
    rig->game.engine.Store().Find("value")->Value().SetAsInt(99);
    EXPECT_TRUE(rig->saves->LoadGame(1)) << row.what;
    EXPECT_TRUE(rig->game.state.fatal_error) << row.what;
    EXPECT_TRUE(rig->game.state.terminating) << row.what;
    EXPECT_EQ(rig->closes, 1) << row.what;
    ASSERT_FALSE(rig->dialogs.boxes.empty()) << row.what;
    EXPECT_EQ(rig->dialogs.boxes.back(), "警告: このセーブデータは使用できません\r\n終了します") << row.what;
    if (row.first_box) {
      EXPECT_EQ(rig->dialogs.boxes.front().rfind(row.first_box, 0), 0u) << rig->dialogs.boxes.front();
    }
    if (std::string(row.what) == "a flipped byte") {
      EXPECT_EQ(rig->game.Var("value"), "99");
    }
  }
}

TEST_F(SaveManagerTest, AFileThatDoesNotReadIsSetAsideAndTheGameStartsEmpty) {
  WriteFile(folder_ + "/save.dat.damaged", "older copy");
  WriteFile(folder_ + "/save.dat", "vf\x66\x00\x00\x00\xFF\xFF\xFF\x7F not a directory");
  const std::string damaged = ReadFile(folder_ + "/save.dat");
  auto rig = std::make_unique<TSaveRig>(folder_);
  rig->saves->LoadStatus();
  EXPECT_EQ(ReadFile(folder_ + "/save.dat.damaged"), damaged);
  ASSERT_EQ(rig->dialogs.boxes.size(), 1u);
  EXPECT_EQ(rig->dialogs.boxes[0].rfind("エラー: ", 0), 0u);
  EXPECT_EQ(rig->game.engine.Store().Find("seen"), nullptr);
  // The next write starts a good file.
  rig->game.Page("start", "var status seen: int = 3\nwait\n");
  rig->game.Start();
  rig->game.Frames(1);
  rig->saves->SaveStatus();
  EXPECT_NE(Entry("STATUSSAVEDATA"), "<none>");
}

TEST_F(SaveManagerTest, HistoryFormatsAndThePendingEntryTravelWithTheSlot) {
  auto rig = Game();
  TOrvoHistoryFormat& log = rig->history.ObtainFormat("log");
  log.settings.values = {10, 1, 2, 100, 60, 4, 3, 5};
  rig->history.RecordPending(*rig->stage.Create<TOrvoMes>(), "start.osb", "v=1", 0, 5, 0, 2);
  log.history.AddMeasuredPage("start.osb", 2, "", 30, 0, 5);
  log.history.SetLimit(9);
  ASSERT_TRUE(rig->saves->SaveGame(1, "one", "", 0));
  rig->history.ClearFormats();
  ASSERT_TRUE(rig->saves->LoadGame(1));
  TOrvoHistoryFormat* loaded = rig->history.FindFormat("log");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->settings.values, (std::array<int32_t, 8>{10, 1, 2, 100, 60, 4, 3, 5}));
  EXPECT_EQ(loaded->history.HistoryTotal(), 30);
  EXPECT_EQ(loaded->history.Limit(), 9);
  EXPECT_EQ(loaded->history.PendingPage(), "start.osb");
  EXPECT_EQ(loaded->history.MeasuringSettings().values, (std::array<int32_t, 8>{10, 1, 2, 100, 60, 4, 3, 5}));
  EXPECT_NE(rig->history.FindFormat(""), nullptr);
}

}  // namespace
}  // namespace orvo::test
