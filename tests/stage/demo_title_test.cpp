// The demo's title screen, built from its sources and played headless with
// mouse and keys: captioned buttons in their states, the level radio group
// and the chapter menu with its scroll bar and check marks, at fixed frames.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/png_file.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

std::string Golden(const std::string& name) { return TestDataDir() + "/stage/golden/" + name; }

TEST(DemoTitle, ShotsAtFixedFramesMatchTheGoldenPictures) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("demo-title");
  const std::string game = out + "/game";
  std::string output;
  ASSERT_EQ(RunCommand("bash " + TestDataDir() + "/../demo/build-demo.sh " + kit + " " + game, &output), 0) << output;
  // 70: the title open, Start under the pointer; 75: Hard pressed, Normal
  // still down; 105: Hard chosen, Chapter 3 checked, the menu scrolled by one.
  std::string shots;
  for (int frame : {70, 75, 105}) {
    shots += " --shot " + std::to_string(frame) + ":" + out + "/title" + std::to_string(frame) + ".png";
  }
  ASSERT_EQ(RunCommand(player + " " + game + " --headless --fixed-step 15 --seed 1 --frames 120 --input " +
                           Golden("demo_title_input.txt") + shots,
                       &output),
            0)
      << output;
  for (int frame : {70, 75, 105}) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    const std::string name = "title" + std::to_string(frame) + ".png";
    if (std::getenv("ORVO_UPDATE_GOLDEN")) WriteFile(Golden("demo_" + name), ReadFile(out + "/" + name));
    const std::vector<uint32_t> shot = PngPixels(out + "/" + name);
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(shot == PngPixels(Golden("demo_" + name))) << "compare " << out << "/" << name;
  }
}

}  // namespace
}  // namespace orvo::test
