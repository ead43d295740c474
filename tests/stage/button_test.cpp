// Buttons: the visual states under the mouse, clicks and their events,
// radio groups, auto-scrap and the caption.
#include <gtest/gtest.h>

#include "stage/choice_fixture.h"

namespace orvo::test {
namespace {

class ButtonTest : public ChoiceTest {
 protected:
  ButtonTest() {
    Picture("n.dov", 40, 20, 0x0000FF);
    Picture("h.dov", 40, 20, 0x00FF00);
    Picture("p.dov", 40, 20, 0xFF0000);
    Picture("c.dov", 40, 20, 0x00FFFF);
  }

  TOrvoButton* Full(const std::string& name, int32_t left, int32_t top, TOrvoControl* parent = nullptr) {
    TOrvoButton* button = Button(name, left, top, "n.dov", parent);
    button->SetProperty(PR_HOVERSOURCE, TPropValue::Str("h.dov"));
    button->SetProperty(PR_PRESSEDSOURCE, TPropValue::Str("p.dov"));
    button->SetProperty(PR_CLICKEDSOURCE, TPropValue::Str("c.dov"));
    button->SetProperty(PR_ONNOTIFY, TPropValue::Str("page:clicked"));
    return button;
  }

  // Plays actions (m: mouse over, o: mouse away, d: press, u: release) and
  // answers the state after each.
  std::string Play(TOrvoButton& button, const std::string& actions) {
    std::string states;
    int32_t x = 0, y = 0;
    for (char action : actions) {
      if (action == 'm') Move(x = 20, y = 20);
      if (action == 'o') Move(x = 150, y = 100);
      if (action == 'd') Press(TMouseButton::Left, x, y);
      if (action == 'u') Release(TMouseButton::Left, x, y);
      Frame();
      states += std::to_string(button.GetState());
    }
    return states;
  }
};

TEST_F(ButtonTest, StatesFollowTheMouse) {
  struct TRow {
    const char* label;
    bool all_pictures;
    bool paused;
    const char* actions;
    const char* states;
    size_t notifications;
  };
  const TRow rows[] = {
      {"hover, press, leave and come back, release inside", true, false, "mdomu", "12023", 1},
      {"a release outside clicks nothing", true, false, "mdou", "1200", 0},
      {"a paused button ignores the mouse", true, true, "mdu", "000", 0},
      {"only a normal picture: the state stays, the click still notifies", false, false, "mdu", "000", 1},
  };
  for (const TRow& row : rows) {
    TOrvoButton* button = row.all_pictures ? Full("b", 10, 10) : Button("b", 10, 10, "n.dov");
    button->SetProperty(PR_ONNOTIFY, TPropValue::Str("page:clicked"));
    button->SetProperty(PR_PAUSED, TPropValue::Bool(row.paused));
    Move(150, 100);
    Frame();
    TakeEvents();
    EXPECT_EQ(Play(*button, row.actions), row.states) << row.label;
    std::vector<std::string> events = TakeEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), "33 b"), static_cast<long>(row.notifications)) << row.label;
    button->Scrap();
    Frame();
  }
}

TEST_F(ButtonTest, TheClickedAnimationEndsBackInTheNormalStateWithItsEvent) {
  TOrvoButton* button = Full("b", 10, 10);
  button->SetProperty(PR_ONPLAYEND, TPropValue::Str("page:ended"));
  Click(20, 20);
  EXPECT_EQ(button->GetState(), bsClicked);
  EXPECT_FALSE(button->GetBool(PR_REPEAT));
  Move(150, 100);
  for (int i = 0; i < 10; ++i) Frame();
  EXPECT_EQ(button->GetState(), bsNormal);
  const std::vector<std::string> events = TakeEvents();
  EXPECT_NE(std::find(events.begin(), events.end(), "43 b"), events.end());
}

TEST_F(ButtonTest, AutoScrapDeletesAfterTheClickedPictureOrAtOnce) {
  struct TRow {
    const char* label;
    bool clicked_picture;
    int frames_after_release;
  };
  for (const TRow& row : {TRow{"without a clicked picture: at the release", false, 1},
                          TRow{"with one: when its animation ends", true, 9}}) {
    TOrvoButton* button = row.clicked_picture ? Full("b", 10, 10) : Button("b", 10, 10, "n.dov");
    button->SetProperty(PR_AUTOSCRAP, TPropValue::Bool(true));
    Move(20, 20);
    Frame();
    Press(TMouseButton::Left, 20, 20);
    Frame();
    Release(TMouseButton::Left, 20, 20);
    Frame();
    int frames = 0;
    while (stage_.FindComponent("b") && frames < 20) {
      Frame();
      ++frames;
    }
    EXPECT_EQ(stage_.FindComponent("b"), nullptr) << row.label;
    EXPECT_LE(frames, row.frames_after_release) << row.label;
    EXPECT_GE(frames, row.clicked_picture ? 3 : 0) << row.label;
  }
}

TEST_F(ButtonTest, GroupsOfThreeKeepOneSelectedUnlessAllMayBeUp) {
  struct TRow {
    bool allow_all_up;
    std::vector<int> clicks;
    std::vector<const char*> selected;  // after creation, then after each click
  };
  const TRow rows[] = {
      {false, {1, 1, 2}, {"100", "010", "010", "001"}},
      {true, {1, 1, 0}, {"100", "010", "000", "100"}},
  };
  for (const TRow& row : rows) {
    TOrvoControl* panel = Box("panel", 0, 0, 200, 120);
    TOrvoButton* buttons[3];
    const char* names[3] = {"b0", "b1", "b2"};
    for (int i = 0; i < 3; ++i) {
      buttons[i] = Full(names[i], 10 + 50 * i, 10, panel);
      buttons[i]->SetProperty(PR_GROUPINDEX, TPropValue::Int(1));
    }
    buttons[2]->SetProperty(PR_ALLOWALLUP, TPropValue::Bool(row.allow_all_up));
    auto selected = [&] {
      std::string mask;
      for (TOrvoButton* button : buttons) mask += button->GroupSelected() ? '1' : '0';
      return mask;
    };
    EXPECT_EQ(selected(), row.selected[0]);
    for (size_t i = 0; i < row.clicks.size(); ++i) {
      Click(20 + 50 * row.clicks[i], 20);
      EXPECT_EQ(selected(), row.selected[i + 1]) << "click " << i << " allow all up " << row.allow_all_up;
    }
    for (TOrvoButton* button : buttons) {
      EXPECT_EQ(button->GetState(), button->GroupSelected() ? bsPressed : bsNormal);
    }
    panel->Scrap();
    Frame();
  }
}

TEST_F(ButtonTest, SelectingWithoutAGroupIsIgnored) {
  TOrvoButton* button = Full("b", 10, 10);
  button->SetProperty(PR_SELECTED, TPropValue::Bool(true));
  EXPECT_FALSE(button->GetBool(PR_SELECTED));
  EXPECT_EQ(button->GetState(), bsNormal);
}

TEST_F(ButtonTest, EnterAndSpaceClickTheFocusedButton) {
  TOrvoButton* button = Full("b", 10, 10);
  button->SetProperty(PR_HANDLEKEY, TPropValue::Bool(true));
  stage_.SetFocusObject(button);
  TakeEvents();
  for (int32_t key : {13, 32}) {
    Key(key, true);
    Frame();
    Key(key, false);
    Frame();
  }
  const std::vector<std::string> events = TakeEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), "33 b"), 2);
}

TEST_F(ButtonTest, TheCaptionIsCentredAndPressedOnePixelDownAndRight) {
  TOrvoButton* button = Full("b", 10, 10);
  button->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
  button->SetProperty(PR_FONTHEIGHT, TPropValue::Int(10));
  button->SetProperty(PR_TEXT, TPropValue::Str("A"));
  Move(150, 100);
  Frame();
  // The label is 10 x 10 in a 40 x 20 button at (10, 10): it starts at (25, 15).
  std::vector<std::string> normal = Rows(24, 14, 35, 25, 0xFFFFFF);
  EXPECT_EQ(normal[0], "...........");
  EXPECT_EQ(normal[1], ".########..");
  EXPECT_EQ(normal[8], ".########..");
  EXPECT_EQ(normal[9], "...........");
  Move(20, 20);
  Frame();
  Press(TMouseButton::Left, 20, 20);
  Frame();
  ASSERT_EQ(button->GetState(), bsPressed);
  std::vector<std::string> pressed = Rows(24, 14, 35, 25, 0xFFFFFF);
  EXPECT_EQ(pressed[1], "...........");
  EXPECT_EQ(pressed[2], "..########.");
  EXPECT_EQ(pressed[9], "..########.");
  EXPECT_EQ(Pixel(12, 12), 0xFF0000) << "the pressed picture";
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST_F(ButtonTest, AClickedMotionFilmPlaysOnceLikeAClickedPicture) {
  std::vector<int32_t> shown;
  stage_.SetMotionLoader([&shown](TOrvoControl&, const std::string&) {
    auto film = std::make_unique<TFakeFilm>(6, 0, false);
    film->log = &shown;
    return film;
  });
  TOrvoButton* button = Button("b", 10, 10, "n.dov");
  button->SetProperty(PR_CLICKEDSOURCE, TPropValue::Str("c.omt"));
  button->SetProperty(PR_ONPLAYEND, TPropValue::Str("page:ended"));
  Click(20, 20);
  EXPECT_EQ(button->GetState(), bsClicked);
  Move(150, 100);
  for (int i = 0; i < 12; ++i) Frame();
  EXPECT_EQ(button->GetState(), bsNormal);
  EXPECT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), 5) << "the film reached its last frame";
  const std::vector<std::string> events = TakeEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), "43 b"), 1);
}

}  // namespace
}  // namespace orvo::test
