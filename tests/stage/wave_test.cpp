#include "stage/wave.h"

#include <gtest/gtest.h>

#include <vector>

#include "stage/effects_fixture.h"
#include "stage/picture_fixture.h"

namespace orvo::test {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

class WaveTest : public PictureTest {
 public:
  WaveTest() { stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(0)); }

  TOrvoWave* MakeWave(int32_t left, int32_t top, int32_t width, int32_t height) {
    auto* wave = static_cast<TOrvoWave*>(Make(kcWave, "wave"));
    wave->SetBoundsRect(left, top, width, height);
    return wave;
  }
  // A white vertical line one pixel wide under parent.
  TOrvoControl* Line(TOrvoControl* parent, int32_t x, int32_t height) {
    TOrvoControl* line = Make(kcBox, "line", parent);
    line->SetBoundsRect(x, 0, 1, height);
    Set(*line, PR_COLOR, TPropValue::Int(0xFFFFFF));
    return line;
  }
  // The columns of the white pixels of a display row.
  std::vector<int32_t> WhiteColumns(int32_t y) {
    std::vector<int32_t> columns;
    TDIBX& display = stage_.DisplaySurface();
    for (int32_t x = 0; x < display.Width(); ++x) {
      if (display.GetPixel(x, y) == kWhite) columns.push_back(x);
    }
    return columns;
  }
};

TEST_F(WaveTest, ThePhaseClockKeepsItsRemainder) {
  struct TCase {
    int32_t period;
    int32_t frame_ms;
    int32_t frames;
    int32_t phase;
    int32_t remainder;
  };
  const std::vector<TCase> cases = {
      {2000, 16, 1, 253, 96},     // 4096 div 2000 = 2
      {2000, 16, 2, 251, 192},    // the remainders add up
      {256, 255, 1, 0, 0},        // 255 steps: one full round
      {1, 16, 1, 239, 0},         // 4096 steps
      {100000, 16, 3, 0, 12288},  // not a step yet
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.period);
    TOrvoWave* wave = MakeWave(0, 0, 10, 10);
    Set(*wave, PR_DELAY, TPropValue::Int(c.period));
    for (int i = 0; i < c.frames; ++i) Frame(c.frame_ms);
    EXPECT_EQ(wave->Phase(), c.phase);
    EXPECT_EQ(wave->TimeAcc(), c.remainder);
    stage_.DeleteObject(*wave);
  }
}

TEST_F(WaveTest, ChildrenDrawAsASineOfTheirRows) {
  TOrvoWave* wave = MakeWave(0, 0, 64, 48);
  Set(*wave, PR_DELAY, TPropValue::Int(256));
  Line(wave, 20, 48);
  Frame(255);  // one full round: phase 0
  ASSERT_EQ(wave->Phase(), 0);
  const std::vector<int32_t> first(wave->Proxy().Offsets().begin(), wave->Proxy().Offsets().begin() + 6);
  EXPECT_EQ(first, (std::vector<int32_t>{0, 0, 1, 1, 1, 2}));
  stage_.ActiveScreen().AddWholeArea();
  stage_.PaintAll();
  for (int32_t y = 0; y < 48; ++y) {
    EXPECT_EQ(WhiteColumns(y), std::vector<int32_t>{20 + wave->Proxy().Offsets()[static_cast<size_t>(y)]}) << y;
  }
  EXPECT_EQ(WhiteColumns(47), std::vector<int32_t>{30});  // sin(2 pi 47 / 200) x 10 = 9.96
  // Amp 0: straight.
  Set(*wave, PR_AMP, TPropValue::Int(0));
  EXPECT_EQ(wave->TargetSurface(), &stage_.DisplaySurface());
  stage_.ActiveScreen().AddWholeArea();
  stage_.PaintAll();
  for (int32_t y = 0; y < 48; ++y) EXPECT_EQ(WhiteColumns(y), std::vector<int32_t>{20}) << y;
}

TEST_F(WaveTest, AChildsRepaintIsWidenedByTheAmplitude) {
  TOrvoWave* wave = MakeWave(0, 0, 64, 48);
  TOrvoControl* line = Line(wave, 30, 10);
  stage_.ClearDirty();
  line->Invalidate();
  ASSERT_EQ(stage_.ActiveScreen().Dirty().Rects().size(), 1u);
  const TRect r = stage_.ActiveScreen().Dirty().Rects()[0];
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.right, 41);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 10);
  // The wave's own repaint is its area, not widened.
  stage_.ClearDirty();
  wave->SetBoundsRect(5, 0, 20, 10);
  stage_.ClearDirty();
  wave->Invalidate();
  ASSERT_EQ(stage_.ActiveScreen().Dirty().Rects().size(), 1u);
  EXPECT_EQ(stage_.ActiveScreen().Dirty().Rects()[0].left, 5);
  EXPECT_EQ(stage_.ActiveScreen().Dirty().Rects()[0].right, 25);
}

TEST_F(WaveTest, AWaveNotYetUpdatedDrawsNothing) {
  TOrvoWave* wave = MakeWave(0, 0, 64, 48);
  Line(wave, 20, 48);
  stage_.ActiveScreen().AddWholeArea();
  stage_.PaintAll();
  EXPECT_TRUE(WhiteColumns(5).empty());
  EXPECT_EQ(wave->ProxyTarget(), nullptr);
}

TEST_F(WaveTest, LengthAndPeriodNeverBelowOneFromScriptsOrSaves) {
  TOrvoWave* wave = MakeWave(2, 3, 30, 20);
  for (int32_t value : {0, -7}) {
    Set(*wave, PR_WAVELEN, TPropValue::Int(value));
    Set(*wave, PR_DELAY, TPropValue::Int(value));
    EXPECT_EQ(wave->GetInt(PR_WAVELEN), 1);
    EXPECT_EQ(wave->GetInt(PR_DELAY), 1);
  }
  Set(*wave, PR_WAVELEN, TPropValue::Int(120));
  Set(*wave, PR_DELAY, TPropValue::Int(900));
  Set(*wave, PR_AMP, TPropValue::Int(-4));
  Set(*wave, PR_ONIDLE, TPropValue::Str("idle"));
  const std::string record = RecordOf(*wave);
  auto* again = static_cast<TOrvoWave*>(stage_.CreateByKind(kcWave));
  ReadRecord(*again, record, 201);
  EXPECT_EQ(RecordOf(*again), record);
  EXPECT_EQ(again->Proxy().Offsets().size(), 20u);
  EXPECT_EQ(again->Proxy().OriginX(), 2);

  struct TCase {
    int32_t version;
    int32_t length, period;
    std::string tail;
    std::string idle;
  };
  const std::vector<TCase> cases = {
      {103, 0, -3, "", ""},
      {150, 50, 0, StringBytes("on") + '\x01', "on"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.version);
    auto* old = static_cast<TOrvoWave*>(stage_.CreateByKind(kcWave));
    ReadRecord(*old,
               OldControlRecord(c.version, "old", 4, 5, 8, 6) + Int32Bytes(3) + Int32Bytes(c.length) +
                   Int32Bytes(c.period) + c.tail,
               c.version);
    EXPECT_EQ(old->Amp(), 3);
    EXPECT_EQ(old->WaveLength(), std::max(c.length, 1));
    EXPECT_EQ(old->Period(), 1);
    EXPECT_EQ(old->Proxy().Offsets().size(), 6u);
    EXPECT_EQ(old->GetStr(PR_ONIDLE), c.idle);
    // A frame with the loaded values divides by nothing.
    old->SetParent(&stage_.ActiveScreen());
    Frame(16);
    stage_.DeleteObject(*old);
  }
}

}  // namespace
}  // namespace orvo::test
