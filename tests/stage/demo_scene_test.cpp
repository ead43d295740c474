// The demo game's picture scene, built from its sources and played by the
// player headless with timed mouse input: the stage at fixed frames must
// match the golden pictures.
#include <gtest/gtest.h>

#include "stage/demo_fixture.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

TEST(DemoScene, ShotsAtFixedFramesMatchTheGoldenPictures) {
  const std::string player = BuildDir() + "/bin/orvoplayer";
  std::string out, output;
  ASSERT_EQ(BuildDemo("demo-scene", out, output), 0) << output;
  const std::string game = out + "/game";
  // Frame 20: the scene; 35: the sun lit under the mouse; 55: the lamp lit
  // by the click, the moon under the mouse, the spinner further on.
  ASSERT_EQ(RunCommand(player + " " + game + " --headless --fixed-step 15 --seed 1 --frames 70 --input " +
                           Golden("demo_input.txt") + ShotOptions(out, "frame", {20, 35, 55}),
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
  ExpectShotsMatchGoldens(out, "frame", {20, 35, 55});
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST(DemoScene, TheMessageSceneRevealsAndTurnsItsPages) {
  const std::string player = BuildDir() + "/bin/orvoplayer";
  std::string out, output;
  ASSERT_EQ(BuildDemo("demo-message", out, output), 0) << output;
  const std::string game = out + "/game";
  // M opens the scene at frame 50 (the demo waits for keys from frame 34); frame 100: the first page half revealed;
  // Enter at 150 turns to the second page, half revealed at frame 175.
  const std::string input = out + "/input.txt";
  WriteFile(input, "50 key down 77\n52 key up 77\n150 key down 13\n152 key up 13\n");
  ASSERT_EQ(RunCommand(player + " " + game + " --headless --fixed-step 15 --seed 1 --frames 180 --input " + input +
                           ShotOptions(out, "message", {100, 175}),
                       &output),
            0)
      << output;
  ExpectShotsMatchGoldens(out, "message", {100, 175});
}

}  // namespace
}  // namespace orvo::test
