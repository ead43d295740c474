// A game that flips between two scenes through several kinds of transition,
// played headless: the stage in the middle of each transition must match the
// golden pictures, and at twice the step it shows the same pictures at about
// half the frames (a transition's picture follows the game clock alone).
#include <gtest/gtest.h>

#include "base/stream.h"
#include "support/png_file.h"
#include "support/test_support.h"
#include "surface/picture_io.h"

namespace orvo::test {
namespace {

TEST(Transitions, FlipsShowTheGoldenPicturesAtBothSteps) {
  struct TShot {
    const char* kind;
    int frame_at_15;
    int frame_at_30;
  };
  // The flips start 30 ms later in game time at the coarser step (one frame
  // of the command's start), so the frames are not exactly halved.
  const TShot shots[] = {{"fade", 20, 11},    {"blinds", 45, 24}, {"spotlight", 72, 38},
                         {"circle", 101, 53}, {"chips", 134, 70}, {"twist", 153, 80}};
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("transitions");
  std::string output;
  ASSERT_EQ(RunCommand(kit + " build " + TestDataDir() + "/app/games/transitions -o " + out + "/game", &output), 0)
      << output;
  for (int step : {15, 30}) {
    std::string arguments;
    for (const TShot& shot : shots) {
      const int frame = step == 15 ? shot.frame_at_15 : shot.frame_at_30;
      arguments +=
          " --shot " + std::to_string(frame) + ":" + out + "/" + std::to_string(step) + "_" + shot.kind + ".png";
    }
    ASSERT_EQ(RunCommand(player + " " + out + "/game --headless --seed 5 --frames 170 --fixed-step " +
                             std::to_string(step) + arguments,
                         &output),
              0)
        << output;
    for (const TShot& shot : shots) {
      char golden[64];
      std::snprintf(golden, sizeof golden, "/app/golden/transitions_%03d.png", shot.frame_at_15);
      const std::string taken = out + "/" + std::to_string(step) + "_" + shot.kind + ".png";
      const std::vector<uint32_t> pixels = PngPixels(taken);
      ASSERT_FALSE(pixels.empty()) << taken;
      EXPECT_TRUE(pixels == PngPixels(TestDataDir() + golden)) << shot.kind << " at step " << step << ": " << taken;
    }
  }
}

}  // namespace
}  // namespace orvo::test
