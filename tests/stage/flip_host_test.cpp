// The stage as the host of a wipe: StartFlip's steps, stepping on drawn
// frames only, the presented area, and the end of the time.
#include <gtest/gtest.h>

#include "stage/prop_table.h"
#include "stage/stage_fixture.h"

namespace orvo::test {
namespace {

class FlipHostTest : public StageTest {
 public:
  FlipHostTest() {
    Box("old", 0, 0, 64, 48)->SetProperty(PR_COLOR, TPropValue::Int(0x0000FF));
    Box("new", 0, 0, 64, 48, &stage_.Screen(1))->SetProperty(PR_COLOR, TPropValue::Int(0xFF0000));
    Frame();
  }
  uint32_t Shown(int32_t x, int32_t y) { return stage_.DisplaySurface().GetPixel(x, y); }
  static constexpr uint32_t kOld = 0xFF0000;  // red as a 32-bit pixel
  static constexpr uint32_t kNew = 0x0000FF;  // blue
};

TEST_F(FlipHostTest, StartFlipCreatesTheKindFromTheGivenScreen) {
  ASSERT_EQ(Shown(10, 10), kOld);
  TCustomWipe* wipe = stage_.StartFlip(0, 6, 64, 0, /*restart=*/true, /*reverse=*/false);
  ASSERT_NE(wipe, nullptr);
  EXPECT_EQ(stage_.WipeKind(), 6);
  EXPECT_EQ(stage_.ActiveScreenIndex(), 0);
  EXPECT_EQ(wipe->Duration(), 64);
  // Scroll: at 16 ms of 64 the new screen covers the last 16 columns.
  stage_.SetWipeElapsed(16);
  Frame();
  EXPECT_EQ(Shown(47, 5), kOld);
  EXPECT_EQ(Shown(48, 5), kNew);
  EXPECT_EQ(stage_.PresentRects(), (std::vector<TRect>{{0, 0, 64, 48}}));
  // Without restart a running wipe goes on; only its time changes.
  EXPECT_EQ(stage_.StartFlip(0, 6, 64, 32, false, false), nullptr);
  EXPECT_EQ(stage_.Wipe(), wipe);
  Frame();
  EXPECT_EQ(Shown(32, 5), kNew);
  // An unknown kind frees the running wipe and creates none.
  EXPECT_EQ(stage_.StartFlip(0, 39, 64, 0, true, false), nullptr);
  EXPECT_FALSE(stage_.WipeRunning());
  EXPECT_EQ(stage_.WipeKind(), 0);
}

TEST_F(FlipHostTest, AStepThatChangesNothingPresentsNothing) {
  stage_.StartFlip(0, 11, 4096, 0, true, false)->Prepare();  // dither: one position per millisecond
  stage_.SetWipeElapsed(10);
  Frame();
  stage_.SetWipeElapsed(10);
  stage_.PaintAll();
  EXPECT_TRUE(stage_.PresentRects().empty());
}

TEST_F(FlipHostTest, TheTimeUpShowsTheOtherScreen) {
  stage_.StartFlip(0, 1, 100, 0, true, false);
  stage_.SetWipeElapsed(100);
  Frame();
  EXPECT_FALSE(stage_.WipeRunning());
  EXPECT_EQ(stage_.ActiveScreenIndex(), 1);
  EXPECT_EQ(Shown(10, 10), kNew);
}

}  // namespace
}  // namespace orvo::test
