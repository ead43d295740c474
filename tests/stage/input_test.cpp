#include <gtest/gtest.h>

#include <functional>

#include "stage/stage_fixture.h"
#include "stage/stage_system_host.h"

namespace orvo::test {
namespace {

using TLines = std::vector<std::string>;

void SetMouseHandlers(TOrvoControl& control) {
  const std::string name = control.Name();
  for (auto [which, tag] : {std::pair{THandler::MouseMove, "mm"},
                            {THandler::MouseIn, "in"},
                            {THandler::MouseOut, "out"},
                            {THandler::LBtnDown, "ld"},
                            {THandler::LBtnUp, "lu"},
                            {THandler::RBtnDown, "rd"},
                            {THandler::RBtnUp, "ru"},
                            {THandler::WheelDown, "wd"},
                            {THandler::WheelUp, "wu"}}) {
    control.SetHandler(which, name + "_" + tag);
  }
}

struct TInputRow {
  const char* label;
  std::function<void(StageTest&)> input;
  TLines events;
};

class MouseRoutingTest : public StageTest {
 protected:
  void Run(const std::vector<TInputRow>& rows) {
    for (const TInputRow& row : rows) {
      row.input(*this);
      Frame();
      EXPECT_EQ(TakeEvents(), row.events) << row.label;
    }
  }
};

TEST_F(MouseRoutingTest, HoverClicksAndCapture) {
  SetMouseHandlers(*Box("a", 0, 0, 20, 20));
  SetMouseHandlers(*Box("b", 30, 0, 20, 20));
  Run({
      {"enter a", [](StageTest& t) { t.Move(5, 5); }, {"103 a", "34 a 5 5"}},
      {"move in a", [](StageTest& t) { t.Move(6, 5); }, {"34 a 6 5"}},
      {"still", [](StageTest&) {}, {}},
      {"a to b", [](StageTest& t) { t.Move(35, 5); }, {"35 a", "103 b", "34 b 5 5"}},
      {"press on b", [](StageTest& t) { t.Press(TMouseButton::Left, 35, 5); }, {"36 b 5 5"}},
      {"drag upper a stays with b", [](StageTest& t) { t.Move(10, 5); }, {"34 b -20 5"}},
      {"release upper a goes to b", [](StageTest& t) { t.Release(TMouseButton::Left, 10, 5); }, {"37 b -20 5"}},
      {"hover moves to a", [](StageTest&) {}, {"35 b", "103 a", "34 a 10 5"}},
      {"right press", [](StageTest& t) { t.Press(TMouseButton::Right, 10, 5); }, {"38 a 10 5"}},
      {"right release", [](StageTest& t) { t.Release(TMouseButton::Right, 10, 5); }, {"39 a 10 5"}},
      {"wheel", [](StageTest& t) { t.Wheel(true); }, {"40 a"}},
      {"leave to the screen", [](StageTest& t) { t.Move(60, 40); }, {"35 a"}},
      {"outside without a button is ignored", [](StageTest& t) { t.Move(5, 70, false); }, {}},
  });
}

TEST_F(MouseRoutingTest, HoverOnlyObjectsPassClicksThrough) {
  SetMouseHandlers(*Box("lower", 0, 0, 20, 20));
  TTestBox* upper = Box("upper", 0, 0, 20, 20);
  SetMouseHandlers(*upper);
  upper->SetProperty(PR_IGNOREMOUSE, TPropValue::Int(IM_CLICK));
  Run({
      {"enter", [](StageTest& t) { t.Move(5, 5); }, {"103 upper", "34 upper 5 5"}},
      {"click goes below",
       [](StageTest& t) { t.Press(TMouseButton::Left, 5, 5); },
       {"36 lower 5 5", "35 upper", "103 lower", "34 lower 5 5"}},
      {"release", [](StageTest& t) { t.Release(TMouseButton::Left, 5, 5); }, {"37 lower 5 5"}},
      {"hover returns", [](StageTest& t) { t.Move(6, 5); }, {"35 lower", "103 upper", "34 upper 6 5"}},
  });
}

TEST_F(MouseRoutingTest, QueuedEventsAreNotDoubled) {
  TTestBox* a = Box("a", 0, 0, 20, 20);
  SetMouseHandlers(*a);
  Move(5, 5);
  Frame();
  Move(6, 5);
  Frame();
  Press(TMouseButton::Left, 6, 5);
  Frame();
  Release(TMouseButton::Left, 6, 5);
  Frame();
  Press(TMouseButton::Left, 6, 5);
  Frame();
  // The second move and the second press find theirs still queued.
  EXPECT_EQ(TakeEvents(), (TLines{"103 a", "34 a 5 5", "36 a 6 5", "37 a 6 5"}));
}

TEST_F(MouseRoutingTest, PausedAndBlockedObjectsStaySilent) {
  TTestBox* paused = Box("paused", 0, 0, 20, 20);
  SetMouseHandlers(*paused);
  paused->paused_ = true;
  TTestBox* blocked = Box("blocked", 30, 0, 20, 20);
  SetMouseHandlers(*blocked);
  blocked->blocked_ = true;
  Run({
      {"paused hovers", [](StageTest& t) { t.Move(5, 5); }, {"103 paused", "34 paused 5 5"}},
      {"paused takes no click", [](StageTest& t) { t.Press(TMouseButton::Left, 5, 5); }, {}},
      {"release", [](StageTest& t) { t.Release(TMouseButton::Left, 5, 5); }, {}},
      {"blocked", [](StageTest& t) { t.Move(35, 5); }, {"35 paused"}},
      {"blocked click", [](StageTest& t) { t.Press(TMouseButton::Left, 35, 5); }, {}},
  });
}

class KeyboardTest : public StageTest {
 protected:
  TTestBox* Focusable(const std::string& name, int32_t left) {
    TTestBox* box = Box(name, left, 0, 10, 10);
    box->SetProperty(PR_HANDLEKEY, TPropValue::Bool(true));
    box->SetHandler(THandler::KeyDown, name + "_kd");
    box->SetHandler(THandler::KeyUp, name + "_ku");
    box->SetHandler(THandler::KeyRepeat, name + "_kr");
    box->SetHandler(THandler::FocusIn, name + "_fi");
    box->SetHandler(THandler::FocusOut, name + "_fo");
    return box;
  }
};

TEST_F(KeyboardTest, RepeatsAfter300AndEvery50Milliseconds) {
  Focusable("f", 0);
  Frame();
  TakeEvents();
  const struct {
    int32_t delta;
    int frames;
    std::vector<int> repeat_frames;
  } rows[] = {
      {50, 9, {1, 7, 8, 9}},
      {15, 36, {1, 21, 25, 28, 31, 35}},
  };
  for (const auto& row : rows) {
    Key(65, true);
    std::vector<int> reported;
    std::vector<int> delivered;
    for (int frame = 1; frame <= row.frames; ++frame) {
      Frame(row.delta);
      if (stage_.IsKeyRepeated(65)) reported.push_back(frame);
      for (const std::string& line : TakeEvents()) {
        if (line == "146 f 65") delivered.push_back(frame);
      }
    }
    EXPECT_EQ(reported, row.repeat_frames) << "delta " << row.delta;
    EXPECT_EQ(delivered, row.repeat_frames) << "delta " << row.delta;
    Key(65, false);
    Frame(row.delta);
    TakeEvents();
  }
}

TEST_F(KeyboardTest, KeysReachTheFocus) {
  TTestBox* first = Focusable("first", 0);
  TTestBox* second = Focusable("second", 20);
  Frame();
  // The refocus picks the topmost focusable object.
  EXPECT_EQ(TakeEvents(), (TLines{"148 second"}));
  Key(65, true);
  Key(66, true);
  Frame();
  EXPECT_EQ(TakeEvents(), (TLines{"144 second 65 66", "146 second 65 66"}));
  EXPECT_TRUE(stage_.IsKeyPressed(65));
  Frame();
  EXPECT_FALSE(stage_.IsKeyPressed(65));
  EXPECT_TRUE(stage_.IsKeyDown(65));
  // A repeated down from the window does not press again.
  TInputEvent repeat;
  repeat.kind = TInputKind::KeyDown;
  repeat.key = 65;
  repeat.repeat = true;
  stage_.HandleInput(repeat);
  Key(65, false);
  Frame();
  EXPECT_EQ(TakeEvents(), (TLines{"145 second 65"}));
  // A click gives the focus to an object that handles keys.
  Press(TMouseButton::Left, 2, 2);
  Frame();
  EXPECT_EQ(TakeEvents(), (TLines{"149 second", "148 first"}));
  EXPECT_EQ(stage_.Focus(), first);
  // Hiding the focus moves it to the next focusable object.
  first->SetProperty(PR_VISIBLE, TPropValue::Bool(false));
  Frame();
  EXPECT_EQ(TakeEvents(), (TLines{"148 second"}));
  // Deleting the focus clears it.
  second->Scrap();
  Frame();
  EXPECT_EQ(stage_.Focus(), nullptr);
}

TEST_F(StageTest, SystemVariablesReadTheActiveScreen) {
  TStageSystemHost host(state_, stage_);
  TTestBox* catcher = Box("catcher", 0, 0, 10, 10);
  Move(30, 20);
  Press(TMouseButton::Left, 30, 20);
  Frame();
  EXPECT_TRUE(host.LeftClickNow()) << "a click on the bare screen counts";
  EXPECT_TRUE(host.LeftPush());
  EXPECT_EQ(host.MouseX(), 30);
  EXPECT_EQ(host.MouseY(), 20);
  Release(TMouseButton::Left, 30, 20);
  Press(TMouseButton::Left, 5, 5);
  Frame();
  EXPECT_FALSE(host.LeftClickNow()) << "an object took the click";
  EXPECT_FALSE(host.LeftPush()) << "the press is captured";
  host.SetCursorX(12);
  EXPECT_EQ(host_.warps.back(), (TPoint{12, 5}));
  host.SetSoundOn(false);
  EXPECT_FALSE(host.SoundOn());
  EXPECT_EQ(host_.sound, std::vector<bool>{false});
  catcher->SetProperty(PR_HANDLEKEY, TPropValue::Bool(true));
  host.SetActiveCompo("catcher");
  EXPECT_EQ(host.ActiveCompo(), "catcher");
  EXPECT_EQ(host.PropertyKind(PR_FLOATANGLE), PT_FLOAT);
  EXPECT_EQ(host.PropertyKind(PR_TEXT), PT_STR);
}

TEST_F(StageTest, CursorFilesFollowTheHover) {
  host_.default_cursor = "arrow.cur";
  TTestBox* hand = Box("hand", 0, 0, 10, 10);
  hand->SetProperty(PR_CURSOR, TPropValue::Str("hand.cur"));
  Move(5, 5);
  Frame();
  Move(6, 6);
  Frame();
  Move(30, 30);
  Frame();
  EXPECT_EQ(host_.cursors, (std::vector<std::string>{"hand.cur", "arrow.cur"}));
}

}  // namespace
}  // namespace orvo::test
