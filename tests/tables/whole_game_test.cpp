#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace orvo::test {
namespace {

std::string Kit() { return BuildDir() + "/bin/orvokit"; }
std::string Player() { return BuildDir() + "/bin/orvoplayer"; }

bool ProgramsBuilt() { return std::filesystem::exists(Kit()) && std::filesystem::exists(Player()); }

// Runs a built game headless and returns its variable dump.
std::string RunGame(const std::string& game, const std::string& options) {
  const std::string dump = MakeTempDir("dump") + "/vars.txt";
  std::string output;
  EXPECT_EQ(RunCommand(Player() + " " + game + " --headless --fixed-step 15 --seed 1 " + options + " --dump-vars " +
                           dump + " 2>&1",
                       &output),
            0)
      << output;
  return ReadFile(dump);
}

TEST(TablesInGamesTest, TheResetCommandDropsOnlyTheGameTables) {
  if (!ProgramsBuilt()) GTEST_SKIP() << "orvokit or orvoplayer not built";
  const std::string game = MakeTempDir("reset_game") + "/game";
  std::string output;
  ASSERT_EQ(RunCommand(Kit() + " build " + TestDataDir() + "/tables/games/reset -o " + game, &output), 0) << output;
  const std::string vars = RunGame(game, "--frames 20");
  EXPECT_NE(vars.find("status\tmade\tstr\t2:drop\n"), std::string::npos) << vars;
  EXPECT_NE(vars.find("global\tafter\tstr\t1::1\n"), std::string::npos) << vars;
}

TEST(TablesInGamesTest, TheDemoPageSortsAndSearchesItsList) {
  if (!ProgramsBuilt()) GTEST_SKIP() << "orvokit or orvoplayer not built";
  const std::string folder = MakeTempDir("demo_tables");
  const std::string game = folder + "/game";
  std::string output;
  ASSERT_EQ(RunCommand("bash " + TestDataDir() + "/../demo/build-demo.sh " + Kit() + " " + game + " 2>&1", &output), 0)
      << output;
  WriteFile(folder + "/input.txt", "60 key down 75\n62 key up 75\n");
  const std::string vars = RunGame(game, "--frames 90 --input " + folder + "/input.txt");
  EXPECT_NE(vars.find("global\ttb_text\tstr\t7 items, by kind, dearest first:<BR>food / tea / 400<BR>food / bread / "
                      "250<BR>food / apple / 120<BR>paper / map of the \"north\" / 800<BR>tool / compass / 2500<BR>"
                      "tool / lamp / 1200<BR>tool / rope / 300<BR>On sale: 2, bread costs 250\n"),
            std::string::npos)
      << vars;
}

}  // namespace
}  // namespace orvo::test
