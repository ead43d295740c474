// Runs the built programs as a player or an author would.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace orvo {
namespace {

std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }
std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }

// A page without commands.
std::string EmptyPage() { return std::string("\x75\0\0\0\0\0\0\0\0\x16\0\0\0\0\0\0\0", 17); }

std::string MakeGame(const std::string& name, const std::string& settings) {
  std::string dir = test::MakeTempDir(name);
  test::WriteFile(dir + "/settings.ini", settings);
  EXPECT_EQ(test::RunCommand(Kit() + " project " + dir + "/settings.ini -o " + dir + "/orvo.opb"), 0);
  return dir;
}

TEST(PlayerRun, ReportsAMissingProjectOrStartPageAndExitsWithOne) {
  std::string output;
  std::string empty = test::MakeTempDir("empty-game");
  EXPECT_EQ(test::RunCommand(Player() + " " + empty + " --headless", &output), 1);
  EXPECT_NE(output.find("プロジェクトがありません"), std::string::npos) << output;

  std::string game = MakeGame("no-start", "[project]\ntitle = T\nstart_page = start.osb\n");
  EXPECT_EQ(test::RunCommand(Player() + " " + game + " --headless --trace " + game + "/trace.txt", &output), 1);
  EXPECT_NE(output.find("スタートページがありません"), std::string::npos) << output;
  EXPECT_EQ(test::ReadFile(game + "/trace.txt"), "FormCreate\nOrvoInitialize\nTProject.Create\n");
}

TEST(PlayerRun, AGameThatCannotBeReadIsNamedInItsOwnMessage) {
  std::string root = test::MakeTempDir("unreadable-games");
  test::WriteFile(root + "/notes.txt", "not a game");
  struct TCase {
    std::string argument;
    const char* message;
  } cases[] = {
      {root + "/no/such/folder", "[エラー] ゲームのフォルダがありません: "},
      {root + "/notes.txt", "[エラー] ゲームのフォルダではありません: "},
  };
  for (const TCase& c : cases) {
    std::string output;
    EXPECT_EQ(test::RunCommand(Player() + " " + c.argument + " --headless", &output), 1) << c.argument;
    EXPECT_NE(output.find(c.message + c.argument), std::string::npos) << output;
    EXPECT_EQ(output.find("プロジェクトがありません"), std::string::npos) << output;
  }
}

TEST(PlayerRun, RunsFixedStepFramesAndWritesScreenshots) {
  std::string game = MakeGame("runs", "[project]\ntitle = T\nwidth = 64\nheight = 48\nstart_page = Start.osb\n");
  test::WriteFile(game + "/start.osb", EmptyPage());  // found whatever its case on disk
  std::string output;
  ASSERT_EQ(test::RunCommand(Player() + " " + game + " --headless --frames 20 --fixed-step 15 --seed 1 --shot 3:" +
                                 game + "/three.png --screenshot " + game + "/end.png",
                             &output),
            0)
      << output;
  std::string png = test::ReadFile(game + "/end.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  // Width and height of the IHDR chunk: the stage size.
  EXPECT_EQ(static_cast<unsigned char>(png[19]), 64);
  EXPECT_EQ(static_cast<unsigned char>(png[23]), 48);
  EXPECT_FALSE(test::ReadFile(game + "/three.png").empty());
  EXPECT_EQ(test::RunCommand(Player() + " --frames x"), 2);
}

TEST(PlayerRun, SecondPlayerOnTheSameFolderLeavesAtOnce) {
  std::string game = MakeGame("single", "[project]\ntitle = T\nwidth = 8\nheight = 8\nstart_page = s.osb\n");
  test::WriteFile(game + "/s.osb", EmptyPage());
  // The first player waits in real time; the second finds the folder taken.
  ASSERT_EQ(test::RunCommand(Player() + " " + game + " --headless --frames 300 >/dev/null 2>&1 & echo $! > " + game +
                             "/first.pid"),
            0);
  std::string output;
  EXPECT_EQ(test::RunCommand("sleep 0.5; " + Player() + " " + game +
                                 " --headless --frames 5 --fixed-step 15 --screenshot " + game + "/second.png",
                             &output),
            0);
  test::RunCommand("kill $(cat " + game + "/first.pid)");
  EXPECT_TRUE(test::ReadFile(game + "/second.png").empty()) << "the second player ran the game";
}

TEST(KitProject, SettingsTextRoundTrips) {
  std::string game = MakeGame("kit",
                              "[project]\ntitle = \" 題名 \"\nwidth = 320\nshow_toolbar = false\n"
                              "[variables]\nscore = int -3\nratio = float 0.1\nname = str \"a\\\"b\"\n"
                              "[discs]\nbgm = 2\n");
  std::string shown;
  ASSERT_EQ(test::RunCommand(Kit() + " project --show " + game + "/orvo.opb -o " + game + "/back.ini", &shown), 0);
  ASSERT_EQ(test::RunCommand(Kit() + " project " + game + "/back.ini -o " + game + "/again.opb"), 0);
  EXPECT_EQ(test::ReadFile(game + "/orvo.opb"), test::ReadFile(game + "/again.opb"));
  std::string text = test::ReadFile(game + "/back.ini");
  EXPECT_NE(text.find("title = \" 題名 \""), std::string::npos) << text;
  EXPECT_NE(text.find("ratio = float 0.1\n"), std::string::npos) << text;
  std::string output;
  test::WriteFile(game + "/bad.ini", "[project]\nwidth = wide\n");
  EXPECT_EQ(test::RunCommand(Kit() + " project " + game + "/bad.ini -o " + game + "/bad.opb", &output), 1);
  EXPECT_NE(output.find("line 2"), std::string::npos) << output;
}

}  // namespace
}  // namespace orvo
