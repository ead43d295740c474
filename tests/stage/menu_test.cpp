// List menus: layout, the item under the mouse, keys, the scroll bar with
// its repeat, opening and closing with their events, selection and drawing.
#include <gtest/gtest.h>

#include "stage/choice_fixture.h"

namespace orvo::test {
namespace {

constexpr const char* kTen = "i0\ni1\ni2\ni3\ni4\ni5\ni6\ni7\ni8\ni9";

class MenuTest : public ChoiceTest {
 protected:
  TOrvoMenu* Open(const std::string& items, int32_t rows) {
    TOrvoMenu* menu = Menu("m", items, rows);
    menu->SetProperty(PR_LEFT, TPropValue::Int(10));
    menu->SetProperty(PR_TOP, TPropValue::Int(10));
    menu->SetPlayState(msOpen);
    Frame();
    TakeEvents();
    return menu;
  }
  void Tap(int32_t key) {
    Key(key, true);
    Frame();
    Key(key, false);
    Frame();
  }
};

TEST_F(MenuTest, RelayoutSizesTheBoxAndItemAtFindsRowsWithMarginsAndSpacing) {
  TOrvoMenu* menu = Menu("m", "a\nbb\nccc", 4);
  menu->SetProperty(PR_LEFT, TPropValue::Int(10));
  menu->SetProperty(PR_TOP, TPropValue::Int(10));
  menu->SetProperty(PR_BORDERWIDTH, TPropValue::Int(2));
  menu->SetProperty(PR_MARGINX, TPropValue::Int(3));
  menu->SetProperty(PR_MARGINY, TPropValue::Int(2));
  menu->SetProperty(PR_LINESPACE, TPropValue::Int(4));
  menu->SetPlayState(msOpen);
  // 30 wide text + 2 x 2 border + 2 x 3 margin; 3 rows of 10 + 2 spaces of 4 + 2 x 2 border + 2 x 2 margin.
  EXPECT_EQ(menu->Width(), 40);
  EXPECT_EQ(menu->Height(), 46);
  struct TRow {
    int32_t x, y, item;
  };
  const TRow rows[] = {
      {20, 11, -1}, {20, 12, 0},  {20, 25, 0},  {20, 26, 1}, {20, 39, 1}, {20, 40, 2},
      {20, 53, 2},  {20, 54, -1}, {11, 30, -1}, {12, 30, 1}, {47, 30, 1}, {48, 30, -1},
  };
  for (const TRow& row : rows) {
    EXPECT_EQ(menu->ItemAt({row.x, row.y}), row.item) << row.x << "," << row.y;
  }
  menu->SetProperty(PR_TOPINDEX, TPropValue::Int(1));
  EXPECT_EQ(menu->TopIndex(), 0) << "all items fit";
}

TEST_F(MenuTest, KeysMoveTheHoverAndScrollItIntoView) {
  struct TRow {
    const char* label;
    const char* items;
    std::vector<int32_t> keys;
    std::vector<std::pair<int32_t, int32_t>> hover_and_top;
  };
  constexpr int32_t kUp = 38, kDown = 40, kPageUp = 33, kPageDown = 34;
  const TRow rows[] = {
      {"up stops at the first item", kTen, {kDown, kUp, kUp}, {{0, 0}, {0, 0}, {0, 0}}},
      {"pages and the last item",
       kTen,
       {kPageDown, kPageDown, kPageDown, kDown, kDown, kPageUp, kUp},
       {{0, 0}, {4, 1}, {8, 5}, {9, 6}, {9, 6}, {5, 5}, {4, 4}}},
      {"up without a hover takes the last", kTen, {kUp}, {{9, 6}}},
      {"page up without a hover takes the last", kTen, {kPageUp}, {{9, 6}}},
      {"an empty list does nothing", "", {kDown, kUp, kPageDown}, {{-1, 0}, {-1, 0}, {-1, 0}}},
  };
  for (const TRow& row : rows) {
    TOrvoMenu* menu = Open(row.items, 4);
    ASSERT_EQ(stage_.Focus(), menu);
    for (size_t i = 0; i < row.keys.size(); ++i) {
      Tap(row.keys[i]);
      EXPECT_EQ(std::make_pair(menu->Hover(), menu->TopIndex()), row.hover_and_top[i]) << row.label << " key " << i;
    }
    menu->Scrap();
    Frame();
  }
}

class ScrollTest : public MenuTest {
 protected:
  ScrollTest() { Picture("scroll.dov", 56, 8, 0x808080); }
  TOrvoMenu* Scrolling(int32_t rows) {
    TOrvoMenu* menu = Open(kTen, rows);
    menu->SetProperty(PR_SCROLLSOURCE, TPropValue::Str("scroll.dov"));
    Frame();
    return menu;
  }
};

TEST_F(ScrollTest, PageDownStopsAtTheLastFullView) {
  TOrvoMenu* menu = Scrolling(4);
  // 4 rows of 10 at (10, 10), the bar on the right: the track below the thumb.
  const int32_t x = 10 + menu->Width() - 4;
  std::vector<int32_t> tops;
  for (int i = 0; i < 3; ++i) {
    Click(x, 10 + menu->Height() - 10);
    tops.push_back(menu->TopIndex());
  }
  EXPECT_EQ(tops, (std::vector<int32_t>{4, 6, 6}));
}

TEST_F(ScrollTest, HeldArrowsRepeatAfterTheDelayThenEveryInterval) {
  TOrvoMenu* menu = Scrolling(4);
  const int32_t x = 10 + menu->Width() - 4, y = 10 + menu->Height() - 4;
  Move(x, y);
  Frame(10);
  Press(TMouseButton::Left, x, y);
  Frame(10);
  EXPECT_EQ(menu->DragMode(), ldArrowDown);
  EXPECT_EQ(menu->TopIndex(), 1) << "the press steps at once";
  std::vector<int> steps;  // frame numbers (10 ms each) at which the view moved
  int32_t top = menu->TopIndex();
  for (int frame = 1; frame <= 40; ++frame) {
    Frame(10);
    if (menu->TopIndex() != top) steps.push_back(frame);
    top = menu->TopIndex();
  }
  EXPECT_EQ(steps, (std::vector<int>{30, 35, 40}));
  Release(TMouseButton::Left, x, y);
  Frame(10);
  EXPECT_EQ(menu->DragMode(), ldNone);
}

TEST_F(ScrollTest, WithoutRoomForTheBarAPressIsAnItemPress) {
  struct TRow {
    const char* label;
    const char* items;
    int32_t rows;
  };
  const TRow rows[] = {
      {"as many items as rows: no bar at all", "a\nb\nc\nd", 4},
      {"a track of three cells or less", "a\nb\nc\nd", 2},
  };
  for (const TRow& row : rows) {
    TOrvoMenu* menu = Open(row.items, row.rows);
    menu->SetProperty(PR_SCROLLSOURCE, TPropValue::Str("scroll.dov"));
    Frame();
    EXPECT_FALSE(menu->ScrollPartsActive()) << row.label;
    const int32_t x = 10 + menu->Width() - 2, y = 10 + menu->Height() - 2;
    Move(x, y);
    Frame();
    Press(TMouseButton::Left, x, y);
    Frame();
    EXPECT_EQ(menu->DragMode(), ldItem) << row.label;
    Release(TMouseButton::Left, x, y);
    Frame();
    menu->Scrap();
    Frame();
  }
}

TEST_F(MenuTest, OpeningAndClosingAnimateTheHeightAndPostTheirEventsInOrder) {
  TOrvoMenu* menu = Menu("m", "a\nb", 2);
  for (int32_t id : {PR_ONOPENING, PR_ONOPENED, PR_ONCLOSING, PR_ONCLOSED}) {
    menu->SetProperty(id, TPropValue::Str("page:h"));
  }
  menu->SetProperty(PR_DELAY, TPropValue::Int(100));
  menu->SetPlayState(msOpening);
  std::vector<std::string> log;
  std::vector<int32_t> heights;
  for (int i = 0; i < 12; ++i) {
    Frame(15);
    heights.push_back(menu->Height());
    for (const std::string& event : TakeEvents()) log.push_back(event);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"74 m", "75 m"}));
  EXPECT_EQ(heights.front(), 0);
  EXPECT_TRUE(std::is_sorted(heights.begin(), heights.end()));
  EXPECT_EQ(heights.back(), 20);
  EXPECT_EQ(menu->GetProperty(PR_ORIGHEIGHT).AsInt(), 20);
  log.clear();
  menu->SetPlayState(msClosing);
  int frames = 0;
  while (stage_.FindComponent("m") && frames < 30) {
    Frame(15);
    for (const std::string& event : TakeEvents()) log.push_back(event);
    ++frames;
  }
  EXPECT_EQ(log, (std::vector<std::string>{"76 m", "77 m"}));
  EXPECT_EQ(stage_.FindComponent("m"), nullptr) << "a closed menu deletes itself once its events ran";
}

TEST_F(MenuTest, EscapeClosesAMenuThatClosesOnRightClicks) {
  TOrvoMenu* menu = Open("a\nb", 2);
  menu->SetProperty(PR_RCLICKSCRAP, TPropValue::Bool(true));
  menu->SetProperty(PR_ONCLOSED, TPropValue::Str("page:closed"));
  Tap(27);
  for (int i = 0; i < 3; ++i) Frame();
  EXPECT_EQ(menu->GetPlayState(), msClosing);
}

TEST_F(MenuTest, AClickSelectsTheHoveredItemOnceWhileItsEventWaits) {
  TOrvoMenu* menu = Open("a\nb\nc", 3);
  menu->SetProperty(PR_ONSELECT, TPropValue::Str("page:chosen"));
  menu->SetProperty(PR_ONMAPIN, TPropValue::Str("page:in"));
  Click(12, 25);
  Click(12, 25);
  const std::vector<std::string> events = TakeEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), "72 m b 1"), 1) << "not posted twice while queued";
  EXPECT_EQ(std::count(events.begin(), events.end(), "104 m b 1"), 1);
  EXPECT_EQ(menu->GetInt(PR_INDEX), 1);
}

TEST_F(MenuTest, ItemsDrawWithTheHoverColourAndCheckMarks) {
  Picture("chk.dov", 12, 6, 0x00FF00);
  TOrvoMenu* menu = Open("A\nB", 2);
  menu->SetProperty(PR_CHECKSOURCE, TPropValue::Str("chk.dov"));
  menu->SetProperty(PR_HOVERCOLOR, TPropValue::Int(0x0000FF));
  menu->SetProperty(PR_FONTCOLOR, TPropValue::Int(0xFFFFFF));
  menu->SetProperty(PR_FONTHOVERCOLOR, TPropValue::Int(0xFFFFFF));
  menu->SetCheck(1, true);
  Frame();
  ASSERT_EQ(menu->Width(), 16);
  menu->SetHover(0);
  Frame();
  // Row 0: the hover fill from x 11 to 24 behind the letter at 16..23; row 1: the check at 10..15.
  auto row = [this](int32_t y) {
    std::string line;
    for (int32_t x = 9; x < 27; ++x) {
      const int32_t c = Pixel(x, y);
      line += c == 0xFFFFFF ? '#' : c == 0x0000FF ? 'h' : c == 0x00FF00 ? 'v' : '.';
    }
    return line;
  };
  EXPECT_EQ(row(12), "..hhhhh########h..");
  EXPECT_EQ(row(23), ".vvvvvv########...");
  EXPECT_EQ(row(29), "..................");
  EXPECT_TRUE(menu->ItemChecked(1));
  EXPECT_FALSE(menu->ItemChecked(2));
  EXPECT_EQ(menu->ItemText(1), "B");
  EXPECT_EQ(menu->ItemText(5), "");
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST_F(MenuTest, ARightClickClosesAMenuThatClosesOnRightClicks) {
  TOrvoMenu* menu = Open("a\nb", 2);
  menu->SetProperty(PR_RCLICKSCRAP, TPropValue::Bool(true));
  menu->SetProperty(PR_ONCLOSING, TPropValue::Str("page:closing"));
  Press(TMouseButton::Right, 150, 100);
  Frame();
  Release(TMouseButton::Right, 150, 100);
  Frame();
  EXPECT_TRUE(menu->EventsBlocked());
  Frame();
  EXPECT_EQ(menu->GetPlayState(), msClosing);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"76 m"}));
}

TEST_F(MenuTest, LeavingAnItemPostsItsMapOutEvent) {
  TOrvoMenu* menu = Open("a\nb\nc", 3);
  menu->SetProperty(PR_ONMAPOUT, TPropValue::Str("page:out"));
  Move(12, 25);
  Frame();
  EXPECT_EQ(menu->Hover(), 1);
  Move(150, 100);
  Frame();
  EXPECT_EQ(menu->Hover(), -1);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"105 m b 1"}));
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST_F(MenuTest, AnAutoScrappingMenuClosesAtOnceAfterAChoice) {
  TOrvoMenu* menu = Open("a\nb", 2);
  menu->SetProperty(PR_AUTOSCRAP, TPropValue::Bool(true));
  for (int32_t id : {PR_ONSELECT, PR_ONCLOSING, PR_ONCLOSED}) menu->SetProperty(id, TPropValue::Str("page:h"));
  Click(12, 25);
  EXPECT_TRUE(menu->EventsBlocked());
  std::vector<std::string> log;
  for (int i = 0; i < 4 && stage_.FindComponent("m"); ++i) {
    for (const std::string& event : TakeEvents()) log.push_back(event);
    Frame();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"72 m b 1", "76 m", "77 m"}));
  EXPECT_EQ(stage_.FindComponent("m"), nullptr);
}

}  // namespace
}  // namespace orvo::test
