// Whole games that save and load, built from source and run headless:
// slots restore objects, variables, the interpreter and a resume page,
// sounds play on after a load, status data and captions survive a restart,
// and a backlog window shows the history.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "base/binary_io.h"
#include "base/stream.h"
#include "data/archive.h"
#include "save/save_file.h"
#include "support/test_support.h"
#include "surface/picture_io.h"

namespace orvo::test {
namespace {

std::string Kit() { return BuildDir() + "/bin/orvokit"; }
std::string Player() { return BuildDir() + "/bin/orvoplayer"; }

std::string Line(const std::string& text, const std::string& start) {
  size_t at = text.find(start);
  if (at == std::string::npos) return {};
  return text.substr(at, text.find('\n', at) - at);
}

struct TRun {
  std::string vars;
  std::string output;
};

// Runs a built game for frames steps with its saves in save_dir.
TRun Play(const std::string& game, const std::string& save_dir, int frames, const std::string& extra = {}) {
  TRun run;
  const std::string vars = save_dir + "/../vars.txt";
  EXPECT_EQ(RunCommand(Player() + " " + game + " --headless --seed 1 --fixed-step 15 --frames " +
                           std::to_string(frames) + " --save-dir " + save_dir + " --dump-vars " + vars + " " + extra,
                       &run.output),
            0)
      << run.output;
  run.vars = ReadFile(vars);
  return run;
}

std::string Build(const std::string& source, const std::string& root) {
  std::string output;
  EXPECT_EQ(RunCommand(Kit() + " build " + source + " -o " + root + "/game", &output), 0) << output;
  return root + "/game";
}

TEST(SaveGame, ASlotSavedInACalledPageComesBackWithItsResumePage) {
  const std::string root = MakeTempDir("slots");
  const std::string game = Build(TestDataDir() + "/save/games/slots", root);
  TRun run = Play(game, root + "/saves", 30);
  EXPECT_EQ(Line(run.vars, "global\tvalue"), "global\tvalue\tint\t7");
  EXPECT_EQ(Line(run.vars, "global\tleft"), "global\tleft\tint\t4");
  EXPECT_EQ(Line(run.vars, "global\tafter"), "global\tafter\tint\t1");
  EXPECT_EQ(Line(run.vars, "global\tresumed"), "global\tresumed\tint\t1");
  EXPECT_EQ(Line(run.vars, "global\tcaption"), "global\tcaption\tstr\tChapter 1");
  std::string listing;
  ASSERT_EQ(RunCommand(Kit() + " save list " + root + "/saves/save.dat", &listing), 0) << listing;
  EXPECT_EQ(listing, "status\t103\nslot\t3\t201\tChapter 1\n");
  // The next run finds the status data and the slot's caption at once.
  run = Play(game, root + "/saves", 3);
  EXPECT_EQ(Line(run.vars, "status\tloads"), "status\tloads\tint\t1");
}

TEST(SaveGame, ASoundThatPlayedWhenTheGameWasSavedPlaysAfterTheLoad) {
  const std::string root = MakeTempDir("sound-load");
  const std::string source = root + "/src";
  std::filesystem::create_directories(source);
  std::string output;
  ASSERT_EQ(RunCommand(Kit() + " sound tone -o " + source + "/t.wav --ms 3000 --freq 440", &output), 0) << output;
  WriteFile(source + "/settings.ini",
            "[project]\ntitle = Sound\nwidth = 32\nheight = 24\nstart_page = start.osb\nexit_page =\n");
  WriteFile(source + "/start.src",
            "var status loads: int\n"
            "var playing: bool\n"
            "sound PR_NAME=\"s\", PR_SOURCE=\"t.wav\", PR_VOLUME=1000\n"
            "wait 60\n"
            "save slot=1, comment=\"playing\"\n"
            "wait 60\n"
            "if loads == 0\n"
            "  loads = 1\n"
            "  objdel obj=\"s\"\n"
            "  wait 30\n"
            "  load slot=1\n"
            "  wait\n"
            "end\n"
            "getprop obj=\"s\", prop=PR_PLAYING, var=playing\n"
            "wait\n");
  const std::string game = Build(source, root);
  TRun run = Play(game, root + "/saves", 40, "--audio-out " + root + "/out.wav");
  EXPECT_EQ(Line(run.vars, "global\tplaying"), "global\tplaying\tbool\tTRUE");
  // The last frames of the capture are not silent.
  const std::string wav = ReadFile(root + "/out.wav");
  ASSERT_GT(wav.size(), 44u + 4 * 4410);
  bool sound = false;
  for (size_t i = wav.size() - 4 * 4410; i < wav.size(); ++i) sound = sound || wav[i] != 0;
  EXPECT_TRUE(sound);
}

std::vector<uint32_t> PngPixels(const std::string& path) {
  const std::string bytes = ReadFile(path);
  TSpanStream stream(bytes.data(), bytes.size());
  TDIBSurface picture;
  ReadPng(stream, picture);
  std::vector<uint32_t> pixels;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) pixels.push_back(picture.GetPixel(x, y));
  }
  return pixels;
}

TEST(SaveGame, ABacklogWindowShowsTwoEntriesStackedOnOnePage) {
  const std::string root = MakeTempDir("backlog");
  const std::string source = TestDataDir() + "/save/games/backlog";
  const std::string game = Build(source, root);
  const std::string environment =
      "FONTCONFIG_FILE=" + TestDataDir() + "/surface/fonts/ipa.conf LANG=C LC_ALL= LC_MESSAGES= ";
  std::string output;
  ASSERT_EQ(RunCommand(environment + Kit() + " font make --face 'ＭＳ ゴシック' --size 16 --name ピクセル -o " + game +
                           "/pix.oft 'あいうかきく'",
                       &output),
            0)
      << output;
  TRun run = Play(game, root + "/saves", 40, "--shot 35:" + root + "/shot.png");
  EXPECT_EQ(Line(run.vars, "global\tcount"), "global\tcount\tint\t2");
  // The second format counts pixels: two pages of one 16-pixel row.
  EXPECT_EQ(Line(run.vars, "global\twide"), "global\twide\tint\t32");
  EXPECT_EQ(Line(run.vars, "global\tmissing"), "global\tmissing\tint\t-1");
  EXPECT_EQ(Line(run.vars, "global\tlimited"), "global\tlimited\tbool\tTRUE");
  EXPECT_EQ(Line(run.vars, "global\tcleared"), "global\tcleared\tint\t0");
  const std::string golden = TestDataDir() + "/save/golden/backlog.png";
  if (std::getenv("ORVO_UPDATE_GOLDEN")) {
    std::filesystem::create_directories(TestDataDir() + "/save/golden");
    WriteFile(golden, ReadFile(root + "/shot.png"));
  }
  const std::vector<uint32_t> pixels = PngPixels(root + "/shot.png");
  ASSERT_FALSE(pixels.empty());
  EXPECT_TRUE(pixels == PngPixels(golden));
}

// Each run's tables, as the game writes them down: "loaded" right after its
// load (tables, active table, records of the game table and of the status
// table), "after" once the reset command has dropped the game tables.
TEST(SaveGame, AGameSaveCarriesTheGameTablesAndTheStatusDataTheStatusTables) {
  const std::string root = MakeTempDir("tables");
  const std::string game = Build(TestDataDir() + "/save/games/tables", root);
  struct TRow {
    const char* loaded;
    const char* after;
  };
  const TRow rows[] = {
      // Saved with one game record, changed, loaded: the extra game table and
      // record are gone, the status record added after the save stays.
      {"2:satchel:1:2", "1::2"},
      // A new player: the status table comes from the status data, gets a
      // record, and the slot's game table joins it.
      {"2:satchel:1:3", "1::3"},
      // Nothing loaded: the status table is all there is, active as loaded.
      {"2:satchel:1:3", "1:hoard:3"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const TRun run = Play(game, root + "/saves", 30);
    EXPECT_EQ(Line(run.vars, "status\truns"), "status\truns\tint\t" + std::to_string(i + 1));
    EXPECT_EQ(Line(run.vars, "status\tloaded"), std::string("status\tloaded\tstr\t") + rows[i].loaded) << i;
    EXPECT_EQ(Line(run.vars, "global\tafter"), std::string("global\tafter\tstr\t") + rows[i].after) << i;
  }
  std::string listing;
  ASSERT_EQ(RunCommand(Kit() + " save list " + root + "/saves/save.dat", &listing), 0) << listing;
  EXPECT_EQ(listing, "status\t103\nslot\t1\t201\tTables\n");
  // Each table is stored under its own status only: a table's record starts
  // with its name and its status byte.
  const auto stored = [](const std::string& name, char status) {
    return std::string(1, static_cast<char>(name.size())) + std::string(3, '\0') + name + status;
  };
  TSaveFile file(TSaveLocation{root + "/saves/save.dat", {}});
  TVrFileCollection collection;
  file.Open(collection);
  const std::optional<std::string> slot = ReadVerifiedEntry(collection, GameEntryName(1));
  const std::optional<std::string> status = ReadVerifiedEntry(collection, kStatusEntry);
  ASSERT_TRUE(slot && status);
  EXPECT_NE(slot->find(stored("satchel", 0)), std::string::npos);
  EXPECT_EQ(slot->find(stored("hoard", 1)), std::string::npos);
  EXPECT_EQ(slot->find(stored("pouch", 0)), std::string::npos);
  EXPECT_NE(status->find(stored("hoard", 1)), std::string::npos);
  EXPECT_EQ(status->find(stored("satchel", 0)), std::string::npos);
}

// A status record whose tables do not read is refused whole, as any other
// damage of it: set aside, and the game starts with no status data at all
// rather than with the variables that came before the tables.
TEST(SaveGame, StatusDataWithDamagedTablesIsSetAsideWhole) {
  const std::string root = MakeTempDir("damaged-tables");
  const std::string game = Build(TestDataDir() + "/save/games/tables", root);
  Play(game, root + "/saves", 30);
  TSaveFile file(TSaveLocation{root + "/saves/save.dat", {}});
  TVrFileCollection collection;
  file.Open(collection);
  std::string status = ReadVerifiedEntry(collection, kStatusEntry).value_or("");
  const size_t name = status.find(std::string("\x05\0\0\0hoard", 9));
  ASSERT_NE(name, std::string::npos);
  status.replace(name, 4, "\xFF\xFF\xFF\x7F");
  collection.Delete(kStatusEntry);
  TVrFile& entry = collection.AddMemory(std::string(kStatusEntry));
  TBinaryWriter(*entry.content).WriteBytes(status);
  file.Write(collection);
  const std::string damaged = ReadFile(root + "/saves/save.dat");
  const TRun run = Play(game, root + "/saves", 30);
  EXPECT_EQ(ReadFile(root + "/saves/save.dat.damaged"), damaged);
  // The first run's path again, from empty status data.
  EXPECT_EQ(Line(run.vars, "status\truns"), "status\truns\tint\t1");
  EXPECT_EQ(Line(run.vars, "status\tloaded"), "status\tloaded\tstr\t2:satchel:1:2");
}

}  // namespace
}  // namespace orvo::test
