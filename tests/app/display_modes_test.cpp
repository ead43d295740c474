// A game reads and chooses display modes headless with --display-modes: the
// mode list, GetDisplayMode, @FullScr and @DisplayModeIndex, and the labels
// of the full-screen switch in the trace.
#include <gtest/gtest.h>

#include <map>

#include "support/test_support.h"

namespace orvo::test {
namespace {

// name -> value of the game's global variables in a --dump-vars file.
std::map<std::string, std::string> Globals(const std::string& dump) {
  std::map<std::string, std::string> values;
  size_t start = 0;
  while (start < dump.size()) {
    size_t end = dump.find('\n', start);
    if (end == std::string::npos) end = dump.size();
    const std::string line = dump.substr(start, end - start);
    start = end + 1;
    if (line.rfind("global\t", 0) != 0) continue;
    const size_t name_end = line.find('\t', 7);
    const size_t type_end = line.find('\t', name_end + 1);
    values[line.substr(7, name_end - 7)] = line.substr(type_end + 1);
  }
  return values;
}

TEST(DisplayModes, ScriptsSeeAndChooseTheModes) {
  struct TCase {
    const char* what;
    std::string modes;
    std::map<std::string, std::string> expected;
  };
  // The game is 640 x 480; see games/modes/start.src.
  const TCase cases[] = {
      {"the default desktop",
       "",
       {{"count", "1"},
        {"chosen", "0"},
        {"found", "TRUE"},
        {"w", "1920"},
        {"h", "1080"},
        {"bits", "32"},
        {"hz", "60"},
        {"past_end", "FALSE"},
        {"full", "TRUE"},
        {"after_bad_index", "0"},
        {"after_index_0", "0"},
        {"full_after_leaving", "FALSE"}}},
      {"the game's size at the desktop's depth and the lowest refresh",
       "--display-modes 800x600x32@60,1920x1080x16@60,640x480x32@75,640x480x32@60*,640x480x15@60,320x200x32@60",
       {{"count", "4"},
        {"chosen", "3"},
        {"found", "TRUE"},
        {"w", "640"},
        {"h", "480"},
        {"bits", "32"},
        {"hz", "60"},
        {"past_end", "FALSE"},
        {"full", "TRUE"},
        {"after_bad_index", "3"},
        {"after_index_0", "0"},
        {"full_after_leaving", "FALSE"}}},
      {"no mode fits: the request for full screen is ignored",
       "--display-modes 320x240x32@60*",
       {{"count", "0"},
        {"chosen", "-1"},
        {"found", "FALSE"},
        {"w", "0"},
        {"full", "FALSE"},
        {"after_bad_index", "-1"},
        {"after_index_0", "-1"},
        {"full_after_leaving", "FALSE"}}},
  };
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("display-modes");
  std::string output;
  ASSERT_EQ(RunCommand(kit + " build " + TestDataDir() + "/app/games/modes -o " + out + "/game", &output), 0) << output;
  for (const TCase& c : cases) {
    ASSERT_EQ(RunCommand(player + " " + out + "/game --headless --fixed-step 15 --frames 3 " + c.modes +
                             " --dump-vars " + out + "/vars.txt --trace " + out + "/trace.txt",
                         &output),
              0)
        << c.what << ": " << output;
    const std::map<std::string, std::string> globals = Globals(ReadFile(out + "/vars.txt"));
    for (const auto& [name, value] : c.expected) {
      const auto found = globals.find(name);
      ASSERT_NE(found, globals.end()) << c.what << ": " << name;
      EXPECT_EQ(found->second, value) << c.what << ": " << name;
    }
  }
  // The last run asked for full screen without a mode: only the first label.
  const std::string trace = ReadFile(out + "/trace.txt");
  EXPECT_EQ(trace.find("SetFullScreen.Full"), std::string::npos);
}

TEST(DisplayModes, FullScreenSwitchFollowsTheLabelsInOrder) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("display-switch");
  std::string output;
  ASSERT_EQ(RunCommand(kit + " build " + TestDataDir() + "/app/games/modes -o " + out + "/game", &output), 0);
  ASSERT_EQ(RunCommand(player + " " + out + "/game --headless --fixed-step 15 --frames 3 --trace " + out + "/trace.txt",
                       &output),
            0);
  std::vector<std::string> labels;
  const std::string trace = ReadFile(out + "/trace.txt");
  size_t start = 0;
  while (start < trace.size()) {
    size_t end = trace.find('\n', start);
    if (end == std::string::npos) end = trace.size();
    const std::string line = trace.substr(start, end - start);
    if (line.rfind("SetFullScreen", 0) == 0) labels.push_back(line);
    start = end + 1;
  }
  const std::vector<std::string> expected = {
      "SetFullScreen", "SetFullScreen.Full", "SetFullScreen.Full.Bases.FreeDX", "SetFullScreen.Full.MediaSuspend",
      "SetFullScreen.Full.ScreenMan.FreeDX", "SetFullScreen.Full.StoreWindow", "SetFullScreen.Full.SetScreenManIndex",
      "SetFullScreen.SetBounds", "SetFullScreen.Bases.Reload", "SetFullScreen.MediaResume",
      // @DisplayModeIndex = 0 in full screen: the same mode, nothing to apply
      "SetFullScreen", "SetFullScreen.Normal", "SetFullScreen.Normal.Bases.FreeDX", "SetFullScreen.Normal.MediaSuspend",
      "SetFullScreen.Normal.ScreenMan.FreeDX", "SetFullScreen.Normal.RestoreWindow", "SetFullScreen.SetBounds",
      "SetFullScreen.Bases.Reload", "SetFullScreen.MediaResume"};
  EXPECT_EQ(labels, expected);
}

}  // namespace
}  // namespace orvo::test
