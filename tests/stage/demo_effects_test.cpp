// The demo's effects page (E key), played headless from its sources: under
// one seed and a fixed step the flames, snow and stars are the same on every
// run (the golden pictures); another seed gives other ones.
#include <gtest/gtest.h>

#include "stage/demo_fixture.h"
#include "support/png_file.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

TEST(DemoEffects, ShotsUnderOneSeedMatchTheGoldenPicturesAndAnotherSeedDiffers) {
  const std::string player = BuildDir() + "/bin/orvoplayer";
  std::string out, output;
  ASSERT_EQ(BuildDemo("demo-effects", out, output), 0) << output;
  // E opens the page at frame 50 (the demo waits for keys from frame 34).
  const std::string input = out + "/input.txt";
  WriteFile(input, "50 key down 69\n52 key up 69\n");
  auto run = [&](int seed, const std::string& prefix) {
    return RunCommand(player + " " + out + "/game --headless --fixed-step 15 --seed " + std::to_string(seed) +
                          " --frames 145 --input " + input + ShotOptions(out, prefix, {80, 140}),
                      &output);
  };
  ASSERT_EQ(run(1, "effects"), 0) << output;
  ExpectShotsMatchGoldens(out, "effects", {80, 140});
  ASSERT_EQ(run(2, "seed2_"), 0) << output;
  const std::vector<uint32_t> other = PngPixels(out + "/seed2_140.png");
  ASSERT_FALSE(other.empty());
  EXPECT_FALSE(other == PngPixels(Golden("demo_effects140.png")));
}

}  // namespace
}  // namespace orvo::test
