#include <gtest/gtest.h>

#include "stage/cabinet.h"
#include "stage/prop_motion.h"
#include "stage/stage_fixture.h"
#include "stage/timer.h"

namespace orvo::test {
namespace {

// Frames (1-based) at which a notify event was queued; the interpreter
// takes the events after each frame when consume is set.
std::vector<int> NotifyFrames(StageTest& t, TOrvoTimer& timer, int frames, int32_t delta, bool consume) {
  std::vector<int> fired;
  const TObjectHandle handle = timer.Handle();
  for (int frame = 1; frame <= frames; ++frame) {
    const size_t before = t.stage_.Events().Count();
    t.Frame(delta);
    if (t.stage_.Events().Count() > before) fired.push_back(frame);
    if (consume) t.stage_.Events().Clear();
    if (!t.stage_.Resolve(handle)) break;
  }
  return fired;
}

TEST_F(StageTest, TimersFirePerGameClock) {
  const struct {
    const char* label;
    int32_t delay;
    int32_t delta;
    bool consume;
    bool auto_scrap;
    int frames;
    std::vector<int> fired;
    bool deleted;
  } rows[] = {
      {"every 100 ms", 100, 15, true, false, 40, {7, 14, 20, 27, 34, 40}, false},
      {"delay 0 every frame", 0, 15, true, false, 4, {1, 2, 3, 4}, false},
      {"never two queued", 0, 15, false, false, 4, {1}, false},
      {"late frames catch up", 10, 35, true, false, 3, {1, 2, 3}, false},
      {"negative delay never fires", -1, 15, true, false, 5, {}, false},
      {"auto scrap after the event ran", 30, 15, true, true, 6, {2}, true},
      {"auto scrap waits for the event", 30, 15, false, true, 6, {2}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    TOrvoTimer* timer = stage_.Create<TOrvoTimer>();
    timer->SetProperty(PR_ONNOTIFY, TPropValue::Str("tick"));
    timer->SetProperty(PR_DELAY, TPropValue::Int(row.delay));
    timer->SetProperty(PR_AUTOSCRAP, TPropValue::Bool(row.auto_scrap));
    const TObjectHandle handle = timer->Handle();
    EXPECT_EQ(NotifyFrames(*this, *timer, row.frames, row.delta, row.consume), row.fired);
    EXPECT_EQ(stage_.Resolve(handle) == nullptr, row.deleted);
    stage_.ResetStage();
  }
}

TEST_F(StageTest, TimerPauseAndDelayRestartTheCount) {
  TOrvoTimer* timer = stage_.Create<TOrvoTimer>();
  timer->SetProperty(PR_ONNOTIFY, TPropValue::Str("tick"));
  timer->SetProperty(PR_DELAY, TPropValue::Int(100));
  Frame(60);
  timer->SetProperty(PR_PAUSED, TPropValue::Bool(true));
  Frame(60);
  Frame(60);
  EXPECT_EQ(stage_.Events().Count(), 0u);
  // Unpausing counts the delay from now (clock 180).
  timer->SetProperty(PR_PAUSED, TPropValue::Bool(false));
  Frame(60);
  EXPECT_EQ(stage_.Events().Count(), 0u);
  Frame(60);
  EXPECT_EQ(stage_.Events().Count(), 1u);
  // A new delay drops the waiting event.
  timer->SetProperty(PR_DELAY, TPropValue::Int(100));
  EXPECT_EQ(stage_.Events().Count(), 0u);
}

struct TMotionRow {
  const char* label;
  int32_t id;
  int32_t type;
  int32_t duration;
  std::vector<int32_t> values;  // PR_LEFT after each frame while the motion lives
};

TEST_F(StageTest, PropertyMotionsPerFrame) {
  const TMotionRow rows[] = {
      {"linear", PR_LEFT, MT_NORMAL, 100, {0, 25, 50, 75, 100}},
      {"decelerating", PR_LEFT, MT_DEC, 100, {0, 38, 70, 92, 100}},
      {"accelerating", PR_LEFT, MT_INC, 100, {0, 8, 30, 63, 100}},
      {"duration 0", PR_LEFT, MT_NORMAL, 0, {0, 100}},
      {"duration 1", PR_LEFT, MT_NORMAL, 1, {0, 100}},
      {"id past the table ends quietly", kPropCount, MT_NORMAL, 100, {}},
      {"write-refusing id ends quietly", PR_APPEARX, MT_NORMAL, 100, {}},
      {"negative id ends quietly", -1, MT_NORMAL, 100, {}},
  };
  for (const TMotionRow& row : rows) {
    SCOPED_TRACE(row.label);
    TTestBox* target = Box("target", 0, 0, 5, 5);
    auto* motion = static_cast<TOrvoPropMotion*>(stage_.CreateByKind(kcPropMotion));
    motion->SetTargetName("target");
    motion->SetPropId(row.id);
    motion->SetTargetValue(100);
    motion->SetDuration(row.duration);
    motion->SetMotionType(row.type);
    const TObjectHandle handle = motion->Handle();
    std::vector<int32_t> values;
    for (int frame = 0; frame < 10 && stage_.Resolve(handle); ++frame) {
      Frame(25);
      if (row.id == PR_LEFT) values.push_back(target->Left());
    }
    EXPECT_EQ(stage_.Resolve(handle), nullptr);
    if (row.id == PR_LEFT) {
      EXPECT_EQ(values, row.values);
    }
    stage_.ResetStage();
  }
}

TEST_F(StageTest, PropertyMotionEndsWithItsTarget) {
  TTestBox* target = Box("target", 0, 0, 5, 5);
  auto* motion = static_cast<TOrvoPropMotion*>(stage_.CreateByKind(kcPropMotion));
  motion->SetTargetName("target");
  motion->SetPropId(PR_TOP);
  motion->SetTargetValue(50);
  motion->SetDuration(1000);
  motion->SetPaused(true);
  Frame();
  EXPECT_EQ(motion->Elapsed(), 0);
  motion->SetPaused(false);
  Frame();
  const TObjectHandle handle = motion->Handle();
  target->Scrap();
  Frame();
  Frame();
  EXPECT_EQ(stage_.Resolve(handle), nullptr);
}

TEST_F(StageTest, UpdatePassSurvivesDeletionsAndFreezesObjects) {
  // The child lies before its parent in creation order, so deleting the
  // parent during the pass removes an earlier object.
  TTestBox* child = Box("child", 0, 0, 1, 1);
  TTestBox* parent = Box("parent", 0, 0, 10, 10);
  child->SetParent(parent);
  TTestBox* after = Box("after", 0, 0, 1, 1);
  TTestBox* paused = Box("paused", 0, 0, 1, 1);
  paused->paused_ = true;
  auto* cabinet = static_cast<TOrvoCabinet*>(stage_.CreateByKind(kcCabinet));
  cabinet->SetParent(&stage_.Screen(0));
  TTestBox* stored = Box("stored", 0, 0, 1, 1);
  stored->SetParent(cabinet);
  for (TTestBox* box : {after, paused, stored}) box->SetHandler(THandler::Idle, "idle");
  parent->finish_ = true;
  Frame();
  EXPECT_EQ(stage_.FindControl("parent"), nullptr);
  EXPECT_EQ(stage_.FindControl("child"), nullptr);
  EXPECT_EQ(after->update_count_, 1);
  EXPECT_EQ(paused->update_count_, 0);
  EXPECT_EQ(stored->update_count_, 0);
  EXPECT_TRUE(stored->InCabinet());
  // Only the object that is neither paused nor stored gets idle events, one at a time.
  Frame();
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"113 after"}));
}

TEST_F(StageTest, FilmMotionStepsAt60FramesPerSecond) {
  int32_t frames = 10;
  std::vector<int32_t> shown;
  bool loaded = false;
  stage_.SetMotionLoader([&](TOrvoControl&, const std::string&) {
    auto made = std::make_unique<TFakeFilm>(frames, 2, true);
    made->log = &shown;
    loaded = true;
    return made;
  });
  const struct {
    const char* label;
    int32_t frames;
    bool repeat;
    bool auto_scrap;
    std::vector<int32_t> shown;
    bool ended_event;
    bool deleted;
  } rows[] = {
      {"plays once", 10, false, false, {0, 3, 6, 9}, true, false},
      {"repeats from the repeat start", 10, true, false, {0, 3, 6, 9, 4, 7, 2}, false, false},
      {"auto scrap", 10, false, true, {0, 3, 6, 9}, false, true},
      {"empty film ends at once", 0, false, false, {}, true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    frames = row.frames;
    TTestBox* box = Box("box", 0, 0, 5, 5);
    box->repeat_ = row.repeat;
    box->auto_scrap_ = row.auto_scrap;
    box->on_play_end_ = "ended";
    box->SetProperty(PR_SOURCE, TPropValue::Str("walk.OMT"));
    ASSERT_TRUE(loaded);
    ASSERT_NE(box->Motion(), nullptr);
    const TObjectHandle handle = box->Handle();
    bool ended = false;
    for (int step = 0; step < 8 && stage_.Resolve(handle); ++step) {
      Frame(50);
      for (const std::string& line : TakeEvents()) ended |= line == "43 box";
    }
    EXPECT_EQ(shown, row.shown);
    EXPECT_EQ(ended, row.ended_event);
    EXPECT_EQ(stage_.Resolve(handle) == nullptr, row.deleted);
    stage_.ResetStage();
    shown.clear();
    loaded = false;
  }
}

TEST_F(StageTest, FilmMotionFollowsAScriptMoveAndPauses) {
  TFakeFilm* film = nullptr;
  stage_.SetMotionLoader([&](TOrvoControl&, const std::string&) {
    auto made = std::make_unique<TFakeFilm>(100, 0, true);
    film = made.get();
    return made;
  });
  TTestBox* box = Box("box", 7, 8, 5, 5);
  box->SetProperty(PR_SOURCE, TPropValue::Str("a.omt"));
  Frame(50);
  Frame(50);
  Frame(50);
  box->SetProperty(PR_LEFT, TPropValue::Int(30));
  Frame(50);
  EXPECT_EQ(film->bases, (std::vector<TPoint>{{7, 8}, {30, 8}}));
  box->SetProperty(PR_ANIPAUSED, TPropValue::Bool(true));
  const int32_t elapsed = box->Motion()->Elapsed();
  Frame(50);
  EXPECT_EQ(box->Motion()->Elapsed(), elapsed);
  EXPECT_FALSE(box->GetBool(PR_PLAYING));
  // Another source frees the motion.
  box->SetProperty(PR_SOURCE, TPropValue::Str("still.png"));
  EXPECT_EQ(box->Motion(), nullptr);
}

}  // namespace
}  // namespace orvo::test
