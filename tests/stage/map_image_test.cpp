#include "stage/map_image.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/error.h"
#include "base/random.h"
#include "script/system_host.h"
#include "stage/map_regions.h"
#include "stage/picture_fixture.h"
#include "vars/engine.h"

namespace orvo::test {
namespace {

constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kBlue = 0xFF0000;

TMapRegion Rect(const char* name, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  TMapRegion region;
  region.name = name;
  region.left = left;
  region.top = top;
  region.right = right;
  region.bottom = bottom;
  return region;
}

TEST(MapRegionsTest, ShapesContainTheirPoints) {
  TMapRegion ellipse = Rect("e", 0, 0, 9, 5);
  ellipse.shape = TRegionShape::Ellipse;
  TMapRegion triangle;
  triangle.shape = TRegionShape::Polygon;
  triangle.points = {{0, 0}, {10, 0}, {0, 10}};
  // Two overlapping squares wound the same way: the overlap stays inside.
  TMapRegion twice;
  twice.shape = TRegionShape::Polygon;
  twice.points = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}, {2, 0}, {2, 2}, {0, 2}};
  const struct {
    const TMapRegion& region;
    int32_t x, y;
    bool inside;
  } cases[] = {
      {Rect("r", 2, 3, 5, 7), 5, 7, true},  // right and bottom edges belong to it
      {Rect("r", 2, 3, 5, 7), 6, 7, false},
      {Rect("r", 2, 3, 5, 7), 2, 2, false},
      {ellipse, 4, 2, true},
      {ellipse, 0, 0, false},
      {ellipse, 9, 2, true},
      {triangle, 1, 1, true},
      {triangle, 8, 8, false},
      {twice, 1, 1, true},
      {twice, 3, 3, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.region.Contains(c.x, c.y), c.inside) << c.region.name << " " << c.x << "," << c.y;
  }
}

TEST(MapRegionsTest, FilesRoundTripAndDamageIsRefused) {
  TMapRegion polygon;
  polygon.name = "poly";
  polygon.shape = TRegionShape::Polygon;
  polygon.points = {{1, 2}, {3, 4}, {5, 0}};
  const std::vector<TMapRegion> regions = {Rect("a", 0, 0, 9, 9), polygon};
  const std::string bytes = WriteMapRegions(regions);
  const std::vector<TMapRegion> back = ReadMapRegions(bytes);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].points.size(), 3u);
  EXPECT_EQ(back[0].name, "a");
  EXPECT_EQ(WriteMapRegions(back), bytes);
  EXPECT_TRUE(ReadMapRegions(WriteMapRegions({})).empty());
  // Polygons without points are the smallest regions of all.
  TMapRegion no_points;
  no_points.shape = TRegionShape::Polygon;
  EXPECT_EQ(ReadMapRegions(WriteMapRegions({no_points, no_points, no_points})).size(), 3u);

  auto with_count = [&](int32_t count) {
    std::string damaged = bytes;
    std::memcpy(damaged.data(), &count, 4);
    return damaged;
  };
  std::string many_points = WriteMapRegions({polygon});
  const int32_t huge = 1 << 30;
  std::memcpy(many_points.data() + 4 + 4 + 4 + 1, &huge, 4);
  for (const std::string& damaged : {with_count(-1), with_count(3), with_count(kMaxMapRegions + 1),
                                     bytes.substr(0, bytes.size() - 1), many_points, std::string("\x01", 1)}) {
    EXPECT_THROW(ReadMapRegions(damaged), EOrvoError);
  }
}

class MapImageTest : public PictureTest {
 public:
  MapImageTest() : host_(state_), engine_(host_, random_) {
    stage_.SetEngine(&engine_);
    // 20 x 10: red below, blue on hover; regions a (left half), c (overlapping
    // a on the right), both with masks that cover everything.
    TTestFrame base = Plain(20, 10, kRed);
    base.mask = [](int32_t, int32_t) { return 255; };
    TTestFrame hover = Plain(20, 10, kBlue);
    files_.files["base.dov"] = DovaBytes({base});
    files_.files["hover.dov"] = DovaBytes({hover});
    files_.files["map.dat"] =
        WriteMapRegions({Rect("a", 0, 0, 9, 9), Rect("b", 30, 30, 31, 31), Rect("c", 5, 0, 14, 9)});
  }

  TOrvoMapImage* MakeMap(const std::string& name, int32_t left, int32_t top) {
    auto* map = static_cast<TOrvoMapImage*>(Make(kcMapImage, name));
    Set(*map, PR_SOURCE, TPropValue::Str("base.dov"));
    Set(*map, PR_HOVERSOURCE, TPropValue::Str("hover.dov"));
    Set(*map, PR_MAPSOURCE, TPropValue::Str("map.dat"));
    for (int32_t id : {PR_ONMAPIN, PR_ONMAPOUT, PR_ONSELECT}) Set(*map, id, TPropValue::Str("h"));
    map->SetBoundsRect(left, top, map->Width(), map->Height());
    return map;
  }

  void Mouse(TInputKind kind, int32_t x, int32_t y) {
    TInputEvent event;
    event.kind = kind;
    event.button = TMouseButton::Left;
    event.x = x;
    event.y = y;
    stage_.HandleInput(event);
    stage_.ProcessInput();
  }

  TScriptSystemHost host_;
  TProcessRandom random_;
  TExprEngine engine_;
};

TEST_F(MapImageTest, RegionsPostEventsWithNameAndIndex) {
  TOrvoMapImage* map = MakeMap("map", 10, 10);
  EXPECT_EQ(map->Width(), 20);
  Mouse(TInputKind::MouseMove, 17, 12);  // x 7: a and c overlap, a comes first
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"104 map a 0"}));
  Mouse(TInputKind::MouseMove, 22, 12);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"105 map a 0", "104 map c 2"}));
  // The hover picture shows inside the selected region only.
  EXPECT_EQ(Pixel(22, 12), kBlue);
  EXPECT_EQ(Pixel(24, 12), kBlue);
  EXPECT_EQ(Pixel(14, 12), kRed);
  EXPECT_EQ(Pixel(25, 12), kRed);
  Mouse(TInputKind::MouseDown, 22, 12);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"72 map c 2"}));
  EXPECT_EQ(engine_.Store().SelectedString(), "c");
  EXPECT_EQ(engine_.Store().SelectedIndex(), 2);
  Mouse(TInputKind::MouseUp, 22, 12);
  Mouse(TInputKind::MouseMove, 35, 12);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"105 map c 2"}));
  EXPECT_EQ(map->SelectedRegion(), -1);
}

TEST_F(MapImageTest, EachMapCutsItsOwnMasks) {
  TOrvoMapImage* first = MakeMap("first", 0, 0);
  TOrvoMapImage* second = MakeMap("second", 0, 20);
  first->SetSelected(0);
  EXPECT_EQ(Pixel(3, 3), kBlue);
  EXPECT_EQ(Pixel(3, 23), kRed) << "the other map's picture is whole";
  const TDovaItem* item = stage_.Pictures().Find(PictureKey("base.dov", true, false));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Frames()[0].mask->GetPixel(3, 3), 255u) << "the cache's mask is untouched";
  // A new region file drops the selection.
  files_.files["other.dat"] = WriteMapRegions({Rect("x", 0, 0, 1, 1)});
  Set(*first, PR_MAPSOURCE, TPropValue::Str("other.dat"));
  EXPECT_EQ(first->SelectedRegion(), -1);
  EXPECT_EQ(Pixel(3, 3), kRed);
  Set(*second, PR_MAPSOURCE, TPropValue::Str("missing.dat"));
  EXPECT_TRUE(second->Regions().empty());
}

TEST_F(MapImageTest, EscapeAndRightClickCloseOverTwoUpdates) {
  for (bool by_key : {true, false}) {
    SCOPED_TRACE(by_key ? "escape" : "right click");
    TOrvoMapImage* map = MakeMap("map", 0, 0);
    Set(*map, PR_RCLICKSCRAP, TPropValue::Bool(true));
    Set(*map, PR_HANDLEKEY, TPropValue::Bool(true));
    engine_.Store().SetSelectedString("old");
    stage_.ProcessInput();  // the map takes the focus
    if (by_key) {
      TInputEvent key;
      key.kind = TInputKind::KeyDown;
      key.key = 27;
      stage_.HandleInput(key);
      stage_.ProcessInput();
      key.kind = TInputKind::KeyUp;
      stage_.HandleInput(key);
    } else {
      TInputEvent press;
      press.kind = TInputKind::MouseDown;
      press.button = TMouseButton::Right;
      press.x = 3;
      press.y = 3;
      stage_.HandleInput(press);
      stage_.ProcessInput();
      press.kind = TInputKind::MouseUp;
      stage_.HandleInput(press);
    }
    EXPECT_EQ(engine_.Store().SelectedString(), "");
    EXPECT_EQ(engine_.Store().SelectedIndex(), -1);
    const TObjectHandle handle = map->Handle();
    Frame();
    EXPECT_TRUE(map->EventsBlocked());
    EXPECT_NE(stage_.Resolve(handle), nullptr);
    Frame();
    EXPECT_EQ(stage_.Resolve(handle), nullptr);
    TakeEvents();
  }
}

TEST_F(MapImageTest, KeysWalkTheRegionsAndSelect) {
  TOrvoMapImage* map = MakeMap("map", 0, 0);
  Set(*map, PR_HANDLEKEY, TPropValue::Bool(true));
  Set(*map, PR_AUTOSCRAP, TPropValue::Bool(true));
  stage_.ProcessInput();
  auto press = [&](int32_t code) {
    TInputEvent key;
    key.kind = TInputKind::KeyDown;
    key.key = code;
    stage_.HandleInput(key);
    stage_.ProcessInput();
    key.kind = TInputKind::KeyUp;
    stage_.HandleInput(key);
    stage_.ProcessInput();
  };
  press(38);  // up from none: the last
  EXPECT_EQ(map->SelectedRegion(), 2);
  press(39);  // right from the last: the first
  EXPECT_EQ(map->SelectedRegion(), 0);
  press(40);
  EXPECT_EQ(map->SelectedRegion(), 1);
  TakeEvents();
  press(13);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"72 map b 1"}));
  EXPECT_EQ(map->Closing(), 100);
  EXPECT_TRUE(map->EventsBlocked());
}

}  // namespace
}  // namespace orvo::test
