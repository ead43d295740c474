// The desktop install: what `cmake --install` lays out, checked with the
// desktop's own tools, and the man pages kept in step with the programs.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <vector>

#include "support/test_support.h"

namespace orvo {
namespace {

std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }
std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }

bool HaveTool(const std::string& name) { return test::RunCommand("command -v " + name + " >/dev/null") == 0; }

// Every "--option" word in a text.
std::set<std::string> LongOptions(const std::string& text) {
  std::set<std::string> options;
  for (size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 2)) {
    size_t end = at + 2;
    if (end >= text.size() || text[end] < 'a' || text[end] > 'z') continue;
    while (end < text.size() && (std::islower(static_cast<unsigned char>(text[end])) ||
                                 std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '-'))
      ++end;
    options.insert(text.substr(at, end - at));
    at = end - 2;
  }
  return options;
}

// The command names of `orvokit --help`: the first word of each line indented by two blanks.
std::vector<std::string> KitCommands(const std::string& help) {
  std::vector<std::string> commands;
  for (size_t at = help.find("\n  "); at != std::string::npos; at = help.find("\n  ", at + 1)) {
    size_t start = at + 3, end = help.find(' ', start);
    if (end == std::string::npos || end == start || help[start] == ' ') continue;
    commands.push_back(help.substr(start, end - start));
  }
  return commands;
}

class InstallTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix_ = new std::string(test::MakeTempDir("install-prefix"));
    std::string output;
    ASSERT_EQ(test::RunCommand("cmake --install " + test::BuildDir() + " --prefix " + *prefix_, &output), 0) << output;
  }
  static void TearDownTestSuite() { delete prefix_; }
  static std::string* prefix_;
};
std::string* InstallTest::prefix_ = nullptr;

TEST_F(InstallTest, LaysOutEveryFileTheDesktopLooksFor) {
  const char* files[] = {
      "bin/orvoplayer",
      "bin/orvokit",
      "share/man/man1/orvoplayer.1",
      "share/man/man1/orvokit.1",
      "share/applications/orvoplayer.desktop",
      "share/icons/hicolor/scalable/apps/orvoplayer.svg",
      "share/icons/hicolor/256x256/apps/orvoplayer.png",
      "share/mime/packages/orvoplayer.xml",
      "share/bash-completion/completions/orvoplayer",
      "share/bash-completion/completions/orvokit",
  };
  for (const char* file : files) EXPECT_FALSE(test::ReadFile(*prefix_ + "/" + file).empty()) << file;
  std::string output;
  EXPECT_EQ(test::RunCommand(*prefix_ + "/bin/orvoplayer --version", &output), 0) << output;
  // The PNG icon is the size its folder promises.
  const std::string png = test::ReadFile(*prefix_ + "/share/icons/hicolor/256x256/apps/orvoplayer.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\1\0\0\0\1\0", 8));
  const std::string entry = test::ReadFile(*prefix_ + "/share/applications/orvoplayer.desktop");
  EXPECT_NE(entry.find("\nExec=orvoplayer %f\n"), std::string::npos);
  EXPECT_NE(entry.find("\nIcon=orvoplayer\n"), std::string::npos);
  for (const char* script : {"orvoplayer", "orvokit"}) {
    EXPECT_EQ(test::RunCommand("bash -n " + *prefix_ + "/share/bash-completion/completions/" + script, &output), 0)
        << output;
  }
  if (!HaveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
  EXPECT_EQ(test::RunCommand("desktop-file-validate " + *prefix_ + "/share/applications/orvoplayer.desktop", &output),
            0)
      << output;
  EXPECT_EQ(output, "");
}

TEST_F(InstallTest, ManPagesRenderAndNameEveryOptionAndCommand) {
  if (!HaveTool("man")) GTEST_SKIP() << "man is not installed";
  std::string player_page, kit_page, help;
  const std::string man = "LC_ALL=C.UTF-8 MANWIDTH=100 man --warnings -l " + *prefix_ + "/share/man/man1/";
  ASSERT_EQ(test::RunCommand(man + "orvoplayer.1", &player_page), 0) << player_page;
  ASSERT_EQ(test::RunCommand(man + "orvokit.1", &kit_page), 0) << kit_page;
  // groff's warnings would land in the captured text.
  for (const std::string* page : {&player_page, &kit_page}) {
    EXPECT_EQ(page->find("warning"), std::string::npos) << *page;
    EXPECT_EQ(page->find("troff:"), std::string::npos) << *page;
  }
  // Every option of --help, every key and pad button the help names.
  ASSERT_EQ(test::RunCommand(Player() + " --help", &help), 0);
  const std::string completion = test::ReadFile(*prefix_ + "/share/bash-completion/completions/orvoplayer");
  for (const std::string& option : LongOptions(help)) {
    EXPECT_NE(player_page.find(option), std::string::npos) << option << " missing from orvoplayer.1";
    EXPECT_NE(completion.find(option), std::string::npos) << option << " missing from the completion";
  }
  for (const char* word : {"F11", "F12", "Print Screen", "Tab", "left stick", "D-pad", "Start", "Back", "LB, RB"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word << " missing from --help";
    EXPECT_NE(player_page.find(word), std::string::npos) << word << " missing from orvoplayer.1";
  }
  // Every subcommand orvokit lists, with its options.
  std::string kit_help;
  test::RunCommand(Kit() + " --help", &kit_help);
  const std::string kit_completion = test::ReadFile(*prefix_ + "/share/bash-completion/completions/orvokit");
  const std::vector<std::string> commands = KitCommands(kit_help);
  for (const std::string& command : commands) {
    EXPECT_NE(kit_page.find("\n       " + command + " "), std::string::npos) << command << " missing from orvokit.1";
    EXPECT_NE(kit_completion.find(command), std::string::npos) << command << " missing from the completion";
    std::string usage;
    test::RunCommand(Kit() + " " + command + " --help", &usage);
    for (const std::string& option : LongOptions(usage)) {
      if (option == "--help") continue;
      EXPECT_NE(kit_page.find(option), std::string::npos) << command << " " << option << " missing from orvokit.1";
    }
  }
  EXPECT_FALSE(commands.empty()) << kit_help;
}

TEST(BundleDesktopEntry, NamedAfterTheGamesTitleAndValid) {
  const std::string dir = test::MakeTempDir("bundle-entry");
  std::string output;
  ASSERT_EQ(test::RunCommand(
                Kit() + " build " + test::TestDataDir() + "/app/games/controls -o " + dir + "/src --archive", &output),
            0)
      << output;
  // A game name with characters that Exec must quote.
  const std::string game = dir + "/my game $1%";
  ASSERT_EQ(test::RunCommand(Kit() + " bundle " + Player() + " " + dir + "/src/game.dat -o '" + game +
                                 "' --desktop-entry " + dir + "/game.desktop",
                             &output),
            0)
      << output;
  const std::string entry = test::ReadFile(dir + "/game.desktop");
  EXPECT_NE(entry.find("\nName=Controls: a/b\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nExec=\"" + dir + "/my game \\\\$1%%\"\n"), std::string::npos) << entry;
  EXPECT_EQ(test::RunCommand(Kit() + " bundle " + Player() + " " + dir + "/src/game.dat -o x --desktop-entry"), 2);
  if (!HaveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
  EXPECT_EQ(test::RunCommand("desktop-file-validate " + dir + "/game.desktop", &output), 0) << output;
}

}  // namespace
}  // namespace orvo
