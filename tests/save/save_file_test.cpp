// The save file on disk: where it lives, the atomic write with its backup,
// and the checksums that keep a damaged entry from being applied.
#include "save/save_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "save/save_listing.h"
#include "save/save_location.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

TEST(SaveLocation, TitlesBecomeOneFolderName) {
  struct TRow {
    std::string title;  // UTF-8, converted to CP932 for the call
    std::string folder;
  };
  const TRow rows[] = {
      {"Chapter 1", "Chapter 1"},
      {"a\\b/c:d,e;f*g?h\"i<j>k|l", "a_b_c_d_e_f_g_h_i_j_k_l"},
      // Trail bytes 0x5C of ソ and 表 are not backslashes.
      {"ソフト表", "ソフト表"},
      {"...", "..."},
  };
  for (const TRow& row : rows) EXPECT_EQ(SaveFolderName(Sjis(row.title)), row.folder) << row.title;
}

TEST(SaveLocation, TitlesThatNameNoFolderOfTheirOwnAreRefused) {
  for (const char* title : {"", ".", ".."}) {
    try {
      SaveFolderName(title);
      ADD_FAILURE() << "accepted '" << title << "'";
    } catch (const EOrvoError& error) {
      EXPECT_EQ(error.Message(), Sjis("ゲームタイトルを設定してください"));
    }
  }
}

TEST(SaveLocation, DataFolderSaveDirAndTheGameFoldersOwnFile) {
  const std::string home = MakeTempDir("location");
  ::setenv("XDG_DATA_HOME", home.c_str(), 1);
  EXPECT_EQ(LocateSaveFile(Sjis("A/B"), "", "").path, home + "/orvoplayer/A_B/save.dat");
  EXPECT_TRUE(std::filesystem::is_directory(home + "/orvoplayer/A_B"));
  const std::string game = MakeTempDir("game");
  WriteFile(game + "/save.dat", "brought");
  TSaveLocation given = LocateSaveFile("", home + "/given", game);
  EXPECT_EQ(given.path, home + "/given/save.dat");
  EXPECT_EQ(given.legacy_path, game + "/save.dat");
  // A folder that cannot be made.
  WriteFile(home + "/file", "x");
  try {
    LocateSaveFile("T", home + "/file/below", "");
    ADD_FAILURE();
  } catch (const EOrvoError& error) {
    EXPECT_EQ(error.Message(), Sjis("データファイルを作成することができません"));
  }
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(AtomicWrite, AFailureAtAnyStepLeavesTheOldFileAsItWas) {
  const TAtomicStep steps[] = {TAtomicStep::CreateTemp, TAtomicStep::Write, TAtomicStep::Flush, TAtomicStep::KeepBackup,
                               TAtomicStep::Rename};
  for (TAtomicStep step : steps) {
    const std::string folder = MakeTempDir("atomic");
    const std::string path = folder + "/save.dat";
    WriteFile(path, "old bytes");
    WriteFile(path + ".bak", "older bytes");
    TAtomicWriteOptions options;
    options.backup_path = path + ".bak";
    options.fail_step = [step](TAtomicStep now) { return now == step; };
    EXPECT_THROW(WriteFileAtomically(path, "new bytes", options), EWriteError) << static_cast<int>(step);
    EXPECT_EQ(ReadFile(path), "old bytes") << static_cast<int>(step);
    // The backup holds a file that was whole: the older one, or (when only
    // the final rename failed) the old one.
    const std::string backup = ReadFile(path + ".bak");
    EXPECT_EQ(backup, step == TAtomicStep::Rename ? "old bytes" : "older bytes") << static_cast<int>(step);
    // No temporary file is left behind.
    EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"save.dat", "save.dat.bak"}));
  }
}

TEST(AtomicWrite, TheReplacedFileBecomesTheBackup) {
  const std::string folder = MakeTempDir("atomic");
  const std::string path = folder + "/save.dat";
  TAtomicWriteOptions options;
  options.backup_path = path + ".bak";
  WriteFileAtomically(path, "first", options);
  EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
  WriteFileAtomically(path, "second", options);
  WriteFileAtomically(path, "third", options);
  EXPECT_EQ(ReadFile(path), "third");
  EXPECT_EQ(ReadFile(path + ".bak"), "second");
}

// A save file of two entries written by the collection.
std::string WriteCollection(const std::string& path, const std::string& content) {
  TVrFileCollection collection;
  collection.AddMemory("STATUSSAVEDATA").content = std::make_unique<TMemoryStream>(content);
  collection.AddMemory("GAMESAVEDATA3").content = std::make_unique<TMemoryStream>(std::string(200, 'g'));
  TSaveFile file(TSaveLocation{path, ""});
  file.Write(collection);
  return ReadFile(path);
}

TEST(SaveFile, ChecksumsAreVerifiedBeforeAnEntryIsUsed) {
  const std::string folder = MakeTempDir("crc");
  const std::string path = folder + "/save.dat";
  std::string bytes = WriteCollection(path, std::string(300, 's'));
  TVrFileCollection collection;
  collection.Open(path);
  EXPECT_EQ(ReadVerifiedEntry(collection, "STATUSSAVEDATA"), std::string(300, 's'));
  EXPECT_EQ(ReadVerifiedEntry(collection, "GAMESAVEDATA9"), std::nullopt);
  // One stored byte of the first entry flipped.
  const int64_t offset = collection.Find("STATUSSAVEDATA")->offset;
  bytes[static_cast<size_t>(offset) + 3] ^= 0x20;
  WriteFile(path, bytes);
  collection.Open(path);
  EXPECT_THROW(ReadVerifiedEntry(collection, "STATUSSAVEDATA"), EReadError);
  EXPECT_EQ(ReadVerifiedEntry(collection, "GAMESAVEDATA3"), std::string(200, 'g'));
}

TEST(SaveFile, TheGameFoldersFileIsReadUntilTheUsersOwnExistsAndNeverWritten) {
  const std::string folder = MakeTempDir("legacy");
  const std::string legacy = folder + "/game/save.dat";
  std::filesystem::create_directories(folder + "/game");
  std::filesystem::create_directories(folder + "/user");
  const std::string legacy_bytes = WriteCollection(legacy, "from windows");
  TSaveFile file(TSaveLocation{folder + "/user/save.dat", legacy});
  EXPECT_EQ(file.ReadPath(), legacy);
  TVrFileCollection collection;
  file.Open(collection);
  collection.AddMemory("save:new").content = std::make_unique<TMemoryStream>(std::string("n"));
  file.Write(collection);
  EXPECT_EQ(file.ReadPath(), folder + "/user/save.dat");
  EXPECT_EQ(ReadFile(legacy), legacy_bytes);
  file.Open(collection);
  EXPECT_EQ(ReadVerifiedEntry(collection, "STATUSSAVEDATA"), "from windows");
  EXPECT_EQ(ReadVerifiedEntry(collection, "save:new"), "n");
}

TEST(SaveFile, SlotNumbersOfEntryNames) {
  struct TRow {
    const char* name;
    std::optional<int32_t> slot;
  };
  const TRow rows[] = {{"GAMESAVEDATA3", 3},
                       {"gamesavedata12", 12},
                       {"GAMESAVEDATA", std::nullopt},
                       {"GAMESAVEDATA-1", std::nullopt},
                       {"GAMESAVEDATA1x", std::nullopt},
                       {"STATUSSAVEDATA", std::nullopt}};
  for (const TRow& row : rows) EXPECT_EQ(SlotOfEntry(row.name), row.slot) << row.name;
  EXPECT_EQ(GameEntryName(3), "GAMESAVEDATA3");
}

std::string SlotRecord(int32_t version, const std::string& title) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  writer.WriteInt32(version);
  writer.WriteString(title);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST(SaveListing, StatusSlotsByNumberThenFilesInDirectoryOrder) {
  const std::string path = MakeTempDir("listing") + "/save.dat";
  TVrFileCollection collection;
  const std::pair<std::string, std::string> entries[] = {
      {"save:b.txt", "bbb"},
      {"GAMESAVEDATA10", SlotRecord(201, Sjis("十番"))},
      {"STATUSSAVEDATA", std::string(4, '\0')},
      {"GAMESAVEDATA2", SlotRecord(134, "two")},
      {"SAVE:a.txt", "a"},
      {"GAMESAVEDATAx", "not a slot"},
  };
  for (const auto& [name, content] : entries) {
    collection.AddMemory(name).content = std::make_unique<TMemoryStream>(content);
  }
  TSaveFile(TSaveLocation{path, ""}).Write(collection);
  EXPECT_EQ(ListSaveFile(path),
            "status\t0\n"
            "slot\t2\t134\ttwo\n"
            "slot\t10\t201\t十番\n"
            "file\tsave:b.txt\t3\n"
            "file\tSAVE:a.txt\t1\n");
  EXPECT_THROW(ListSaveFile(path + ".missing"), EReadError);
}

}  // namespace
}  // namespace orvo::test
