// The demo's film page, built from its sources and played headless: the
// stage at fixed frames must match the golden pictures.
#include <gtest/gtest.h>

#include "support/png_file.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

std::string Golden(const std::string& name) { return TestDataDir() + "/film/golden/" + name; }

TEST(DemoFilm, ShotsOfTheFilmPageMatchTheGoldenPictures) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("demo-film");
  const std::string game = out + "/game";
  std::string output;
  ASSERT_EQ(RunCommand("bash " + TestDataDir() + "/../demo/build-demo.sh " + kit + " " + game + " 2>&1", &output), 0)
      << output;
  // Frame 90: the cinema's first screen; 150: its blind wipe; 250: the second
  // screen. The spinner below runs on its motion film all along.
  std::string shots;
  for (int frame : {90, 150, 250}) {
    shots += " --shot " + std::to_string(frame) + ":" + out + "/frame" + std::to_string(frame) + ".png";
  }
  ASSERT_EQ(RunCommand(player + " " + game + " --headless --fixed-step 15 --seed 1 --frames 290 --input " +
                           Golden("demo_film_input.txt") + shots + " --shot 285:" + out + "/closed.png",
                       &output),
            0)
      << output;
  for (int frame : {90, 150, 250}) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    const std::string name = "frame" + std::to_string(frame) + ".png";
    const std::vector<uint32_t> shot = PngPixels(out + "/" + name);
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(shot == PngPixels(Golden("demo_film_" + name))) << "compare " << out << "/" << name;
  }
  // F again closes the page: nothing of the films is left in the middle.
  const std::vector<uint32_t> closed = PngPixels(out + "/closed.png");
  const std::vector<uint32_t> open = PngPixels(Golden("demo_film_frame250.png"));
  ASSERT_EQ(closed.size(), open.size());
  EXPECT_NE(closed[200 * 640 + 320], open[200 * 640 + 320]);
}

}  // namespace
}  // namespace orvo::test
