// The player's own controls driven through the input script of a headless
// run: fast-forward, the screenshot key and game controllers. None of them
// may change a run that does not use them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>

#include "app/game_ini.h"
#include "app/screenshot_path.h"
#include "support/test_support.h"

namespace orvo {
namespace {

std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }
std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }

// The controls game, built once per test into its own folder.
std::string BuildControlsGame(const std::string& name) {
  std::string out = test::MakeTempDir(name) + "/game";
  std::string output;
  EXPECT_EQ(test::RunCommand(Kit() + " build " + test::TestDataDir() + "/app/games/controls -o " + out, &output), 0)
      << output;
  return out;
}

// Runs 100 ticks of 15 ms with the input script (none when empty) and returns the variable dump.
std::string RunGame(const std::string& game, const std::string& input, const std::string& extra = "",
                    std::string* output = nullptr, const std::string& files = "") {
  std::string options = " --headless --fixed-step 15 --frames 100 --seed 3 --dump-vars " + game + "/vars.txt" + files;
  if (!input.empty()) {
    test::WriteFile(game + "/input.txt", input);
    options += " --input " + game + "/input.txt";
  }
  std::string captured;
  EXPECT_EQ(test::RunCommand(extra + Player() + " " + game + options, &captured), 0) << captured;
  if (output) *output = captured;
  return test::ReadFile(game + "/vars.txt");
}

std::string Variable(const std::string& dump, const std::string& name) {
  const std::string key = "global\t" + name + "\t";
  size_t at = dump.find(key);
  if (at == std::string::npos) return "<missing>";
  at = dump.find('\t', at + key.size()) + 1;
  return dump.substr(at, dump.find('\n', at) - at);
}

TEST(PlayerControls, FastForwardRunsEightStepsATickWithTheTicksDelta) {
  const std::string game = BuildControlsGame("fast-forward");
  struct TCase {
    const char* input;
    int steps;
  } cases[] = {
      {"10 fast on\n", 10 + 90 * 8},
      {"10 fast on\n20 fast off\n", 90 + 10 * 8},
      // The key (Tab by default) and a shoulder button fast-forward only while held.
      {"10 key down 9\n20 key up 9\n", 90 + 10 * 8},
      {"10 pad down leftshoulder\n15 pad down rightshoulder\n20 pad up leftshoulder\n25 pad up rightshoulder\n",
       85 + 15 * 8},
  };
  for (const TCase& c : cases) {
    const std::string dump = RunGame(game, c.input);
    EXPECT_EQ(Variable(dump, "steps"), std::to_string(c.steps)) << c.input;
    EXPECT_EQ(Variable(dump, "clock"), std::to_string(c.steps * 15)) << c.input;
    // Tab held as fast-forward never reaches the game.
    EXPECT_EQ(Variable(dump, "seen"), "") << c.input;
  }
}

TEST(PlayerControls, ARunWithTheControlsOffIsByteIdenticalToOneWithout) {
  const std::string game = BuildControlsGame("controls-off");
  auto run = [&](const std::string& input, const std::string& tag) {
    const std::string files = " --trace " + game + "/" + tag + ".trace --screenshot " + game + "/" + tag + ".png";
    const std::string dump = RunGame(game, input, "", nullptr, files);
    return dump + test::ReadFile(game + "/" + tag + ".trace") + test::ReadFile(game + "/" + tag + ".png");
  };
  const std::string plain = run("", "plain");
  // Switched off before it ever acts, and a stick resting in its dead zone.
  const std::string off = run("0 fast off\n5 fast on\n5 fast off\n7 pad axis leftx 3000\n", "off");
  EXPECT_EQ(plain, off);
  EXPECT_GT(plain.size(), 100u);
}

TEST(PlayerControls, ScreenshotKeysWriteTheStageUnderThePictureFolderAndNeverReachTheGame) {
  const std::string game = BuildControlsGame("screenshot-key");
  const std::string pictures = test::MakeTempDir("pictures");
  std::string output;
  // F12, then Print Screen in the same second: the second name gets a counter.
  const std::string dump = RunGame(game,
                                   "5 key down 123\n6 key up 123\n7 key down 44\n8 key up 44\n"
                                   "10 key down 13\n11 key up 13\n",
                                   "XDG_PICTURES_DIR=" + pictures + " ", &output);
  EXPECT_EQ(Variable(dump, "seen"), "Enter ");
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(pictures + "/OrvoPlayer")) {
    names.insert(entry.path().filename().string());
    const std::string png = test::ReadFile(entry.path().string());
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // IHDR: the stage's own size, 160 x 120.
    EXPECT_EQ(static_cast<unsigned char>(png[19]), 160);
    EXPECT_EQ(static_cast<unsigned char>(png[23]), 120);
  }
  ASSERT_EQ(names.size(), 2u) << output;
  // The title "Controls: a/b" made safe for a file name.
  for (const std::string& name : names) EXPECT_EQ(name.rfind("Controls_ a_b 20", 0), 0u) << name;
  EXPECT_NE(output.find("screenshot: " + pictures + "/OrvoPlayer/Controls_ a_b "), std::string::npos) << output;
}

TEST(PlayerControls, PadEventsAloneDriveTheGamesButtons) {
  const std::string game = BuildControlsGame("pad-buttons");
  // The pointer starts at the stage's centre (80, 60): the stick takes it to
  // the west box, A clicks; then to the east box, A clicks; then the D-pad
  // moves the focus, after which A is Enter.
  const std::string dump = RunGame(game,
                                   "1 pad axis leftx -32767\n17 pad axis leftx 0\n20 pad down a\n22 pad up a\n"
                                   "30 pad axis leftx 32767\n60 pad axis leftx 0\n62 pad down a\n64 pad up a\n"
                                   "70 pad down dpdown\n71 pad up dpdown\n72 pad down a\n73 pad up a\n");
  EXPECT_EQ(Variable(dump, "clicked"), "west east ");
  EXPECT_EQ(Variable(dump, "seen"), "Down Enter ");
}

// The headless player speaks into stderr, one line a request.
TEST(PlayerControls, ReadAloudSpeaksEveryMessagePageAsItStartsAndCancelsOnTheNext) {
  const std::string game = test::MakeTempDir("read-aloud") + "/game";
  std::string output;
  ASSERT_EQ(test::RunCommand(Kit() + " build " + test::TestDataDir() + "/app/games/message -o " + game, &output), 0)
      << output;
  const std::string run = Player() + " " + game + " --headless --fixed-step 15 --frames 300 --input " +
                          test::TestDataDir() + "/app/games/message/input.txt --dump-vars " + game + "/vars.txt";
  ASSERT_EQ(test::RunCommand("{ " + run + " --read-aloud 2>" + game + "/spoken.txt; }", &output), 0) << output;
  const std::string spoken = test::ReadFile(game + "/spoken.txt");
  const std::string with_speech = test::ReadFile(game + "/vars.txt");
  // Two rounds of the same two pages; the link's text is spoken like the rest.
  EXPECT_EQ(spoken,
            "speech: say あいうえお\\nかきくけこ\n"
            "speech: cancel\n"
            "speech: say あいうえお\n"
            "speech: cancel\n"
            "speech: say あいうえお\\nかきくけこ\n"
            "speech: cancel\n"
            "speech: say あいうえお\n");
  ASSERT_EQ(test::RunCommand("{ " + run + " 2>" + game + "/silent.txt; }", &output), 0) << output;
  EXPECT_EQ(test::ReadFile(game + "/silent.txt"), "");
  EXPECT_EQ(test::ReadFile(game + "/vars.txt"), with_speech);
}

TEST(PlayerControls, GameIniPlayerSectionNamesTheKeyTheMappingAndReadAloud) {
  const std::string dir = test::MakeTempDir("player-ini");
  struct TCase {
    const char* text;
    int fast_forward_key;
    bool read_aloud;
    const char* pad_map;
  } cases[] = {
      {"[Sound]\nDelayTime=300\n", 9, false, ""},
      {"[Player]\nFastForwardKey=Left Ctrl\nReadAloud=1\nPadMap=x:key:Space\n", 17, true, "x:key:Space"},
      {"[Player]\nFastForwardKey=Space\n", 32, false, ""},
      // A name SDL does not know keeps Tab.
      {"[Player]\nFastForwardKey=Hyperdrive\n", 9, false, ""},
  };
  for (const TCase& c : cases) {
    test::WriteFile(dir + "/game.ini", c.text);
    TGameIni ini;
    ASSERT_TRUE(ReadGameIni(dir + "/game.ini", ini)) << c.text;
    EXPECT_EQ(ini.fast_forward_key, c.fast_forward_key) << c.text;
    EXPECT_EQ(ini.read_aloud, c.read_aloud) << c.text;
    EXPECT_EQ(ini.pad_map, c.pad_map) << c.text;
  }
}

TEST(ScreenshotPath, NamesFilesAfterTheTitleAndTimeWithACounterOnAClash) {
  std::tm time{};
  time.tm_year = 126;
  time.tm_mon = 11;
  time.tm_mday = 9;
  time.tm_hour = 7;
  time.tm_min = 5;
  time.tm_sec = 3;
  struct TCase {
    const char* title;
    int taken;
    const char* expected;
  } cases[] = {
      {"Game", 0, "/p/Game 2026-12-09 07-05-03.png"},
      {"Game", 2, "/p/Game 2026-12-09 07-05-03 (3).png"},
      {"a/b\\c:d*e?\"<>|\x01", 0, "/p/a_b_c_d_e______ 2026-12-09 07-05-03.png"},
      {"..", 0, "/p/OrvoPlayer 2026-12-09 07-05-03.png"},
      {"", 0, "/p/OrvoPlayer 2026-12-09 07-05-03.png"},
      {" .Hidden. ", 0, "/p/Hidden 2026-12-09 07-05-03.png"},
      {"ゲーム", 0, "/p/ゲーム 2026-12-09 07-05-03.png"},
  };
  for (const TCase& c : cases) {
    int asked = 0;
    std::string path = ScreenshotPath("/p", c.title, time, [&](const std::string&) { return asked++ < c.taken; });
    EXPECT_EQ(path, c.expected) << c.title;
  }
}

TEST(ScreenshotPath, FolderFollowsTheXdgPictureFolderElsePictures) {
  const std::string home = test::MakeTempDir("home");
  for (const char* folder : {"/dirs-set", "/dirs-home"}) std::filesystem::create_directories(home + folder);
  test::WriteFile(home + "/dirs-set/user-dirs.dirs",
                  "# written by xdg-user-dirs-update\n"
                  "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  test::WriteFile(home + "/dirs-home/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/\"\n");
  struct TCase {
    const char* variable;  // XDG_PICTURES_DIR, or null when unset
    const char* config;    // the XDG_CONFIG_HOME below home
    std::string expected;
  } cases[] = {
      {"/shots", "dirs-set", "/shots/OrvoPlayer"},
      {nullptr, "dirs-set", home + "/Bilder/OrvoPlayer"},
      {nullptr, "dirs-home", home + "/Pictures/OrvoPlayer"},
      {nullptr, "none", home + "/Pictures/OrvoPlayer"},
  };
  const char* saved_home = std::getenv("HOME");
  const std::string old_home = saved_home ? saved_home : "";
  for (const TCase& c : cases) {
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/" + c.config).c_str(), 1);
    if (c.variable) {
      ::setenv("XDG_PICTURES_DIR", c.variable, 1);
    } else {
      ::unsetenv("XDG_PICTURES_DIR");
    }
    EXPECT_EQ(ScreenshotFolder(), c.expected) << c.config;
  }
  ::setenv("HOME", old_home.c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("XDG_PICTURES_DIR");
}

}  // namespace
}  // namespace orvo
