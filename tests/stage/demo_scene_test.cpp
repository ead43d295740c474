// The demo game's picture scene, built from its sources and played by the
// player headless with timed mouse input: the stage at fixed frames must
// match the golden pictures.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/stream.h"
#include "support/png_file.h"
#include "support/test_support.h"
#include "surface/picture_io.h"

namespace orvo::test {
namespace {

std::string Golden(const std::string& name) { return TestDataDir() + "/stage/golden/" + name; }

TEST(DemoScene, ShotsAtFixedFramesMatchTheGoldenPictures) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("demo-scene");
  const std::string game = out + "/game";
  std::string output;
  ASSERT_EQ(RunCommand("bash " + TestDataDir() + "/../demo/build-demo.sh " + kit + " " + game, &output), 0) << output;
  // Frame 20: the scene; 35: the sun lit under the mouse; 55: the lamp lit
  // by the click, the moon under the mouse, the spinner further on.
  std::string shots;
  for (int frame : {20, 35, 55}) {
    shots += " --shot " + std::to_string(frame) + ":" + out + "/frame" + std::to_string(frame) + ".png";
  }
  ASSERT_EQ(RunCommand(player + " " + game + " --headless --fixed-step 15 --seed 1 --frames 70 --input " +
                           Golden("demo_input.txt") + shots,
                       &output),
            0)
      << output;
  // The click on the hint at frame 58 opens the one box of the run.
  const size_t box = output.find("[Info] 画面を保存しました");
  EXPECT_NE(box, std::string::npos) << output;
  EXPECT_EQ(output.find("[Info]", box + 1), std::string::npos) << output;
  // Left alone, the demo stays on its scene without a box.
  ASSERT_EQ(RunCommand(player + " " + game + " --headless --fixed-step 15 --seed 1 --frames 100", &output), 0)
      << output;
  EXPECT_EQ(output.find("[Info]"), std::string::npos) << output;
  for (int frame : {20, 35, 55}) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    const std::string name = "frame" + std::to_string(frame) + ".png";
    const std::vector<uint32_t> shot = PngPixels(out + "/" + name);
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(shot == PngPixels(Golden("demo_" + name))) << "compare " << out << "/" << name;
  }
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST(DemoScene, TheMessageSceneRevealsAndTurnsItsPages) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("demo-message");
  const std::string game = out + "/game";
  std::string output;
  ASSERT_EQ(RunCommand("bash " + TestDataDir() + "/../demo/build-demo.sh " + kit + " " + game, &output), 0) << output;
  // M opens the scene at frame 50 (the demo waits for keys from frame 34); frame 100: the first page half revealed;
  // Enter at 150 turns to the second page, half revealed at frame 175.
  const std::string input = out + "/input.txt";
  WriteFile(input, "50 key down 77\n52 key up 77\n150 key down 13\n152 key up 13\n");
  std::string shots;
  for (int frame : {100, 175}) {
    shots += " --shot " + std::to_string(frame) + ":" + out + "/message" + std::to_string(frame) + ".png";
  }
  ASSERT_EQ(
      RunCommand(player + " " + game + " --headless --fixed-step 15 --seed 1 --frames 180 --input " + input + shots,
                 &output),
      0)
      << output;
  for (int frame : {100, 175}) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    const std::string name = "message" + std::to_string(frame) + ".png";
    if (std::getenv("ORVO_UPDATE_GOLDEN")) WriteFile(Golden("demo_" + name), ReadFile(out + "/" + name));
    const std::vector<uint32_t> shot = PngPixels(out + "/" + name);
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(shot == PngPixels(Golden("demo_" + name))) << "compare " << out << "/" << name;
  }
}

}  // namespace
}  // namespace orvo::test
