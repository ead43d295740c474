// The demo's effects page (E key), played headless from its sources: under
// one seed and a fixed step the flames, snow and stars are the same on every
// run (the golden pictures); another seed gives other ones.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/png_file.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

std::string Golden(const std::string& name) { return TestDataDir() + "/stage/golden/" + name; }

TEST(DemoEffects, ShotsUnderOneSeedMatchTheGoldenPicturesAndAnotherSeedDiffers) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("demo-effects");
  const std::string game = out + "/game";
  std::string output;
  ASSERT_EQ(RunCommand("bash " + TestDataDir() + "/../demo/build-demo.sh " + kit + " " + game, &output), 0) << output;
  // E opens the page at frame 50 (the demo waits for keys from frame 34).
  const std::string input = out + "/input.txt";
  WriteFile(input, "50 key down 69\n52 key up 69\n");
  auto run = [&](int seed, const std::string& prefix) {
    std::string shots;
    for (int frame : {80, 140}) {
      shots += " --shot " + std::to_string(frame) + ":" + out + "/" + prefix + std::to_string(frame) + ".png";
    }
    return RunCommand(player + " " + game + " --headless --fixed-step 15 --seed " + std::to_string(seed) +
                          " --frames 145 --input " + input + shots,
                      &output);
  };
  ASSERT_EQ(run(1, "effects"), 0) << output;
  for (int frame : {80, 140}) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    const std::string name = "effects" + std::to_string(frame) + ".png";
    if (std::getenv("ORVO_UPDATE_GOLDEN")) WriteFile(Golden("demo_" + name), ReadFile(out + "/" + name));
    const std::vector<uint32_t> shot = PngPixels(out + "/" + name);
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(shot == PngPixels(Golden("demo_" + name))) << "compare " << out << "/" << name;
  }
  ASSERT_EQ(run(2, "seed2_"), 0) << output;
  const std::vector<uint32_t> other = PngPixels(out + "/seed2_140.png");
  ASSERT_FALSE(other.empty());
  EXPECT_FALSE(other == PngPixels(Golden("demo_effects140.png")));
}

}  // namespace
}  // namespace orvo::test
