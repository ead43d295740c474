// The demo's title screen, built from its sources and played headless with
// mouse and keys: captioned buttons in their states, the level radio group
// and the chapter menu with its scroll bar and check marks, at fixed frames.
#include <gtest/gtest.h>

#include "stage/demo_fixture.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

TEST(DemoTitle, ShotsAtFixedFramesMatchTheGoldenPictures) {
  const std::string player = BuildDir() + "/bin/orvoplayer";
  std::string out, output;
  ASSERT_EQ(BuildDemo("demo-title", out, output), 0) << output;
  // 70: the title open, Start under the pointer; 75: Hard pressed, Normal
  // still down; 105: Hard chosen, Chapter 3 checked, the menu scrolled by one.
  ASSERT_EQ(RunCommand(player + " " + out + "/game --headless --fixed-step 15 --seed 1 --frames 120 --input " +
                           Golden("demo_title_input.txt") + ShotOptions(out, "title", {70, 75, 105}),
                       &output),
            0)
      << output;
  ExpectShotsMatchGoldens(out, "title", {70, 75, 105});
}

}  // namespace
}  // namespace orvo::test
