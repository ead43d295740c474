#include <gtest/gtest.h>

#include "stage/clip_list.h"
#include "stage/presenter.h"
#include "stage/stage_fixture.h"

namespace orvo::test {
namespace {

std::vector<std::string> ChildNames(const TOrvoControl& parent) {
  std::vector<std::string> names;
  for (const TOrvoControl* child : parent.Children()) names.push_back(child->Name());
  return names;
}

struct TOrderEntry {
  std::string name;
  int32_t priority;
  int32_t bias;
};

struct TOrderCase {
  const char* label;
  std::vector<TOrderEntry> entries;
  std::vector<std::string> expected;
};

class DrawingOrderTest : public StageTest, public ::testing::WithParamInterface<TOrderCase> {};

TEST_P(DrawingOrderTest, SortsSiblings) {
  for (const TOrderEntry& entry : GetParam().entries) {
    TTestBox* box = Box(entry.name, 0, 0, 1, 1);
    box->SetPriority(entry.priority);
    box->SetPriorityBias(entry.bias);
  }
  EXPECT_EQ(ChildNames(stage_.ActiveScreen()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DrawingOrderTest,
    ::testing::Values(TOrderCase{"priority", {{"a", 5, 0}, {"b", 1, 0}, {"c", 3, 0}}, {"b", "c", "a"}},
                      TOrderCase{"ties_by_bytes", {{"b", 0, 0}, {"a", 0, 0}, {"B", 0, 0}}, {"B", "a", "b"}},
                      // Names compare as unsigned bytes: a double-byte name sorts after ASCII.
                      TOrderCase{"bytes_are_unsigned", {{"\x82\xA0", 0, 0}, {"z", 0, 0}}, {"z", "\x82\xA0"}},
                      TOrderCase{"bias_adds_to_priority", {{"a", 0, 10}, {"b", 5, 0}}, {"b", "a"}},
                      TOrderCase{"system_names_first", {{"a", 0, 0}, {"\x01x", 100, 0}}, {"\x01x", "a"}},
                      TOrderCase{"flip_cover_last",
                                 {{"\x01\x01", -100, 0}, {"a", 50, 0}, {"\x01y", 0, 0}},
                                 {"\x01y", "a", "\x01\x01"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(StageTest, AfterimagesSortBeforeTheirSourceAndByAlpha) {
  TTestBox* source = Box("src", 0, 0, 1, 1);
  source->SetPriority(-5);
  TTestBox* faint = Box("faint", 0, 0, 1, 1);
  TTestBox* strong = Box("strong", 0, 0, 1, 1);
  faint->afterimage_of_ = strong->afterimage_of_ = source->Handle();
  faint->alpha_ = 300;  // 300 mod 256 = 44
  strong->alpha_ = 100;
  faint->SetPriority(7);
  strong->SetPriority(9);
  stage_.ActiveScreen().SortChildren();
  const std::vector<std::string> once = ChildNames(stage_.ActiveScreen());
  EXPECT_EQ(once, (std::vector<std::string>{"faint", "strong", "src"}));
  stage_.ActiveScreen().SortChildren();
  EXPECT_EQ(ChildNames(stage_.ActiveScreen()), once);
}

struct TDirtyCase {
  const char* label;
  std::vector<TRect> added;
  std::vector<TRect> expected;
};

class DirtyListTest : public ::testing::TestWithParam<TDirtyCase> {};

TEST_P(DirtyListTest, MergesNearRectangles) {
  TClipList list;
  for (const TRect& r : GetParam().added) list.Add(r, TRect{0, 0, 1000, 1000});
  EXPECT_EQ(list.Rects(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DirtyListTest,
    ::testing::Values(
        TDirtyCase{"far_apart", {{0, 0, 10, 10}, {100, 100, 110, 110}}, {{0, 0, 10, 10}, {100, 100, 110, 110}}},
        TDirtyCase{"gap_of_20_merges", {{0, 0, 10, 10}, {30, 0, 40, 10}}, {{0, 0, 40, 10}}},
        TDirtyCase{"gap_of_21_stays", {{0, 0, 10, 10}, {31, 0, 40, 10}}, {{0, 0, 10, 10}, {31, 0, 40, 10}}},
        TDirtyCase{"inside_is_dropped", {{0, 0, 50, 50}, {10, 10, 20, 20}}, {{0, 0, 50, 50}}},
        TDirtyCase{"union_merges_again", {{0, 0, 10, 10}, {100, 0, 110, 10}, {25, 0, 85, 10}}, {{0, 0, 110, 10}}},
        TDirtyCase{"clamped_to_the_screen", {{-10, -10, 5, 5}, {2000, 0, 2100, 10}}, {{0, 0, 5, 5}}},
        TDirtyCase{"empty_is_ignored", {{5, 5, 5, 9}}, {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(StageTest, HitTestingByMaskAndTree) {
  TTestBox* a = Box("a", 0, 0, 40, 40);
  TTestBox* b = Box("b", 10, 10, 10, 10, a);
  b->SetProperty(PR_IGNOREMOUSE, TPropValue::Int(IM_CLICK));
  Box("c", 30, 30, 20, 20);
  Box("d", 50, 0, 10, 10, a);  // outside its parent
  TTestBox* e = Box("e", 0, 40, 8, 8);
  e->SetProperty(PR_IGNOREMOUSE, TPropValue::Int(IM_LCLICK));
  TTestBox* hidden = Box("hidden", 0, 0, 64, 48);
  hidden->SetProperty(PR_VISIBLE, TPropValue::Bool(false));
  const struct {
    int32_t x, y;
    uint32_t mask;
    const char* expected;
  } rows[] = {
      {15, 15, kHitHover, "b"},
      {15, 15, kHitLeftClick, "a"},
      {15, 15, kHitRightClick, "a"},
      {35, 35, kHitHover, "c"},
      {45, 45, kHitLeftClick, "c"},
      {55, 5, kHitHover,
       "\x01"
       "BASE0"},
      {2, 42, kHitLeftClick,
       "\x01"
       "BASE0"},
      {2, 42, kHitRightClick, "e"},
      {2, 42, kHitHover, "e"},
      {70, 5, kHitHover, ""},
  };
  for (const auto& row : rows) {
    TOrvoControl* hit = stage_.ActiveScreen().HitTest(row.x, row.y, row.mask);
    EXPECT_EQ(hit ? hit->Name() : "", row.expected) << row.x << "," << row.y << " mask " << row.mask;
  }
}

class PaintTest : public StageTest {
 protected:
  uint32_t Pixel(int32_t x, int32_t y) { return stage_.DisplaySurface().GetPixel(x, y); }
  uint32_t Native(int32_t colour) { return static_cast<uint32_t>(stage_.DisplaySurface().ColorToPixel(colour)); }
};

TEST_F(PaintTest, ChildrenAreClippedToParentsAndClipRectangles) {
  stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(0x000080));
  TTestBox* a = Box("a", 4, 4, 20, 20);
  a->SetProperty(PR_COLOR, TPropValue::Int(0x00FF00));
  Box("b", 16, 16, 20, 20, a)->SetProperty(PR_COLOR, TPropValue::Int(0xFF0000));
  Box("out", 30, 0, 5, 5, a)->SetProperty(PR_COLOR, TPropValue::Int(0xFFFFFF));
  TTestBox* clipped = Box("clipped", 40, 4, 20, 20);
  clipped->SetProperty(PR_COLOR, TPropValue::Int(0x00FFFF));
  clipped->SetProperty(PR_CLIPWIDTH, TPropValue::Int(5));
  clipped->SetProperty(PR_CLIPHEIGHT, TPropValue::Int(5));
  TTestBox* hidden = Box("hidden", 0, 30, 10, 10);
  hidden->SetProperty(PR_COLOR, TPropValue::Int(0xFFFFFF));
  hidden->SetProperty(PR_VISIBLE, TPropValue::Bool(false));
  Frame();
  const struct {
    int32_t x, y, colour;
  } rows[] = {
      {5, 5, 0x00FF00},  {22, 22, 0xFF0000}, {30, 30, 0x000080}, {34, 2, 0x000080},
      {41, 5, 0x00FFFF}, {46, 5, 0x000080},  {5, 35, 0x000080},
  };
  for (const auto& row : rows) EXPECT_EQ(Pixel(row.x, row.y), Native(row.colour)) << row.x << "," << row.y;
}

TEST_F(PaintTest, OnlyChangedAreasArePresented) {
  TStagePresenter presenter;
  TTestBox* box = Box("box", 0, 0, 4, 4);
  box->SetProperty(PR_COLOR, TPropValue::Int(0xFFFFFF));
  stage_.PaintAll();
  EXPECT_EQ(presenter.Prepare(stage_), (std::vector<TRect>{{0, 0, 64, 48}}));
  stage_.ClearDirty();
  stage_.PaintAll();
  EXPECT_TRUE(presenter.Prepare(stage_).empty());
  box->SetBoundsRect(50, 40, 4, 4);
  stage_.PaintAll();
  EXPECT_EQ(presenter.Prepare(stage_), (std::vector<TRect>{{0, 0, 4, 4}, {50, 40, 54, 44}}));
  const TFrameView view = presenter.View();
  const auto* row = reinterpret_cast<const uint32_t*>(view.pixels + 41 * view.stride);
  EXPECT_EQ(row[51], 0xFFFFFFu);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(view.pixels)[1], 0u);
  // Scrapping repaints the area the object covered.
  stage_.ClearDirty();
  box->Scrap();
  stage_.PaintAll();
  EXPECT_EQ(presenter.Prepare(stage_), (std::vector<TRect>{{50, 40, 54, 44}}));
  EXPECT_EQ(Pixel(51, 41), Native(0));
}

TEST_F(StageTest, ScreenPositionFollowsPivotZoomAndPictureInPicture) {
  TTestBox* parent = Box("parent", 10, 10, 100, 50);
  TTestBox* child = Box("child", 20, 8, 4, 4, parent);
  child->SetProperty(PR_OFFSETX, TPropValue::Int(2));
  EXPECT_EQ(child->AbsLeft(), 28);
  EXPECT_EQ(child->Origin(), (TPoint{30, 18}));
  child->flip_ = true;
  EXPECT_EQ(child->AbsLeft(), 10 + 20 - (4 - 2 - 1));
  child->flip_ = false;
  child->SetProperty(PR_PLUSX, TPropValue::Int(3));
  EXPECT_EQ(child->AbsLeft(), 31);
  // The parent's picture is 200 wide shown at 100: the child keeps its place in the picture's pixels.
  child->SetProperty(PR_PLUSX, TPropValue::Int(0));
  child->SetProperty(PR_POSZOOMED, TPropValue::Bool(true));
  parent->picture_width_ = 200;
  child->picture_width_ = 4;
  EXPECT_EQ(child->AbsLeft(), 10 + 9);
  // A parent of width 0 or a huge position must neither divide by zero nor overflow.
  parent->SetProperty(PR_WIDTH, TPropValue::Int(0));
  EXPECT_EQ(child->AbsLeft(), 10 + 18);
  child->SetProperty(PR_LEFT, TPropValue::Int(INT32_MAX));
  EXPECT_EQ(child->AbsLeft(), INT32_MAX);
  parent->SetProperty(PR_WIDTH, TPropValue::Int(1));
  EXPECT_EQ(child->AbsLeft(), 10737429);
}

}  // namespace
}  // namespace orvo::test
