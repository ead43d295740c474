#include <gtest/gtest.h>

#include "base/random.h"
#include "script/system_host.h"
#include "stage/afterimage.h"
#include "stage/images.h"
#include "stage/picture_fixture.h"
#include "vars/compiler.h"
#include "vars/engine.h"

namespace orvo::test {
namespace {

std::string Frames(const std::vector<int32_t>& delays) {
  std::vector<TTestFrame> frames;
  for (int32_t delay : delays) {
    TTestFrame frame = Plain(2, 2, 0x0000FF);
    frame.delay = delay;
    frames.push_back(frame);
  }
  return DovaBytes(frames);
}

struct TAnimationCase {
  const char* name;
  std::vector<int32_t> delays;
  int32_t delta;
  bool repeat;
  std::string last_wait;         // expression text, empty for none
  std::vector<int32_t> indices;  // PR_INDEX after each update
  size_t play_end_events;
};

class AnimationTest : public PictureTest {
 public:
  AnimationTest() : host_(state_), engine_(host_, random_) { stage_.SetEngine(&engine_); }

  TScriptSystemHost host_;
  TProcessRandom random_;
  TExprEngine engine_;
};

TEST_F(AnimationTest, FrameIndicesFollowTheDelaysAndCatchUpWithThreeFramesOrMore) {
  const std::vector<TAnimationCase> cases = {
      // Two frames never catch up: one frame per update.
      {"two frames, late updates", {100, 100}, 150, true, "", {1, 0, 1, 0}, 0},
      // Three frames run late frames out: frame 2 is passed over.
      {"three frames, late updates", {100, 100, 100}, 150, true, "", {1, 0, 1, 0}, 0},
      {"on time", {100, 50, 100}, 50, true, "", {0, 1, 2, 2, 0}, 0},
      // The end is reported once, then the animation stays on its last frame.
      {"no repeat", {100, 100}, 60, false, "", {0, 1, 1, 1, 1, 1}, 1},
      {"last frame waits longer", {100, 100}, 100, true, "150 + 50", {1, 1, 1, 0, 1}, 0},
  };
  for (const TAnimationCase& c : cases) {
    SCOPED_TRACE(c.name);
    files_.files["a.dov"] = Frames(c.delays);
    auto* animation = static_cast<TOrvoImages*>(Make(kcImages, "a"));
    Set(*animation, PR_REPEAT, TPropValue::Bool(c.repeat));
    Set(*animation, PR_ONPLAYEND, TPropValue::Str("end.osb"));
    if (!c.last_wait.empty()) {
      TOrvoParser parser;
      parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes("____arg = " + c.last_wait));
      animation->SetLastWait(parser);
    }
    Set(*animation, PR_SOURCE, TPropValue::Str("a.dov"));
    EXPECT_EQ(animation->GetInt(PR_INDEX), 0);
    EXPECT_EQ(animation->GetInt(PR_COUNT), static_cast<int32_t>(c.delays.size()));
    std::vector<int32_t> seen;
    for (size_t i = 0; i < c.indices.size(); ++i) {
      Frame(c.delta);
      seen.push_back(animation->GetInt(PR_INDEX));
    }
    EXPECT_EQ(seen, c.indices);
    EXPECT_EQ(TakeEvents().size(), c.play_end_events);
    EXPECT_EQ(animation->GetBool(PR_PLAYING), c.repeat);
    stage_.DeleteObject(*animation);
  }
}

TEST_F(AnimationTest, PausedHiddenAndOutOfRangeAnimationsStand) {
  files_.files["a.dov"] = Frames({50, 50, 50});
  TOrvoControl* animation = Make(kcImages, "a");
  Set(*animation, PR_REPEAT, TPropValue::Bool(true));
  Set(*animation, PR_SOURCE, TPropValue::Str("a.dov"));
  Set(*animation, PR_PAUSED, TPropValue::Bool(true));
  Frame(60);
  EXPECT_EQ(animation->GetInt(PR_INDEX), 0);
  EXPECT_FALSE(animation->GetBool(PR_PLAYING));
  Set(*animation, PR_PAUSED, TPropValue::Bool(false));
  Set(*animation, PR_VISIBLE, TPropValue::Bool(false));
  Frame(60);
  EXPECT_EQ(animation->GetInt(PR_INDEX), 0);
  Set(*animation, PR_VISIBLE, TPropValue::Bool(true));
  Set(*animation, PR_INDEX, TPropValue::Int(7));
  Frame(60);
  EXPECT_EQ(animation->GetInt(PR_INDEX), 7);
  Set(*animation, PR_INDEX, TPropValue::Int(2));
  Frame(60);
  EXPECT_EQ(animation->GetInt(PR_INDEX), 0);
}

TEST_F(AnimationTest, AutoScrapDeletesAtTheEnd) {
  files_.files["a.dov"] = Frames({30, 30});
  TOrvoControl* animation = Make(kcImages, "a");
  Set(*animation, PR_AUTOSCRAP, TPropValue::Bool(true));
  Set(*animation, PR_SOURCE, TPropValue::Str("a.dov"));
  const TObjectHandle handle = animation->Handle();
  Frame(30);
  EXPECT_NE(stage_.Resolve(handle), nullptr);
  Frame(30);
  EXPECT_EQ(stage_.Resolve(handle), nullptr);
}

struct TBlurCase {
  const char* name;
  int32_t alpha;
  std::vector<int32_t> alphas;  // of the first afterimage, frame by frame
};

TEST_F(AnimationTest, AfterimagesStartAtHalfOpacityAndFadeOut) {
  files_.files["p.dov"] = DovaBytes({Plain(4, 4, 0x0000FF)});
  const std::vector<TBlurCase> cases = {
      {"alpha 200", 200, {100, 75, 50, 25}},
      // Half of 44 on top of the additive 256; 5.5 and 16.5 round to even.
      {"alpha 300", 300, {278, 272, 267, 262}},
  };
  for (const TBlurCase& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoControl* picture = Make(kcImages, "p");
    Set(*picture, PR_SOURCE, TPropValue::Str("p.dov"));
    Set(*picture, PR_ALPHA, TPropValue::Int(c.alpha));
    Set(*picture, PR_BLURDELAY, TPropValue::Int(100));
    Set(*picture, PR_BLURSPAN, TPropValue::Int(25));
    Frame(25);
    EXPECT_EQ(stage_.Objects().size(), 1u) << "nothing moved: no afterimage";
    // What an afterimage of it starts with.
    TOrvoBlurImage* probe = stage_.Create<TOrvoBlurImage>(*static_cast<TOrvoCustomImage*>(picture));
    std::vector<int32_t> alphas{probe->GetInt(PR_ALPHA)};
    stage_.DeleteObject(*probe);
    Set(*picture, PR_LEFT, TPropValue::Int(5));
    // The afterimage is updated in the frame that made it.
    state_.frame_delta = 25;
    stage_.UpdateAll();
    ASSERT_EQ(stage_.Objects().size(), 2u);
    TOrvoObject* blur = stage_.Objects()[1];
    EXPECT_TRUE(blur->IsAfterimage());
    EXPECT_FALSE(blur->IsSaved());
    EXPECT_EQ(blur->Name(), "p0");
    EXPECT_EQ(blur->Priority(), -1);
    const TObjectHandle blur_handle = blur->Handle();
    // The source goes; its afterimage keeps showing the shared picture.
    stage_.DeleteObject(*picture);
    alphas.push_back(blur->GetInt(PR_ALPHA));
    for (int i = 0; i < 2; ++i) {
      Frame(25);
      alphas.push_back(blur->GetInt(PR_ALPHA));
    }
    EXPECT_EQ(alphas, c.alphas);
    Frame(25);
    EXPECT_EQ(stage_.Resolve(blur_handle), nullptr);
  }
}

}  // namespace
}  // namespace orvo::test
