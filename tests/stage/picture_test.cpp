#include <gtest/gtest.h>

#include <numbers>

#include "stage/box.h"
#include "stage/images.h"
#include "stage/picture_fixture.h"

namespace orvo::test {
namespace {

constexpr int32_t kGrey = 0x646464;
constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kBlue = 0xFF0000;
constexpr int32_t kGreen = 0x00FF00;

// 4 x 4: blue in the two left columns, red elsewhere, green at (3, 3).
TTestFrame Marked() {
  TTestFrame frame;
  frame.colour = [](int32_t x, int32_t y) { return x == 3 && y == 3 ? kGreen : x < 2 ? kBlue : kRed; };
  return frame;
}

struct TDrawCase {
  const char* name;
  TTestFrame frame;
  std::vector<std::pair<int32_t, TPropValue>> properties;
  std::vector<std::tuple<int32_t, int32_t, int32_t>> pixels;  // x, y, colour
};

class PictureDrawTest : public PictureTest {};

TEST_F(PictureDrawTest, OpacityKeysZoomRotationAndFlipsPickTheirOperations) {
  TTestFrame keyed = Marked();
  keyed.key = kGreen;
  const long double quarter = std::numbers::pi_v<long double> / 2;
  const std::vector<TDrawCase> cases = {
      {"copy", Marked(), {}, {{10, 10, kBlue}, {12, 10, kRed}, {13, 13, kGreen}, {9, 9, kGrey}, {14, 10, kGrey}}},
      {"key colour", keyed, {}, {{13, 13, kGrey}, {12, 13, kRed}}},
      // floor((128 s + 127 d) / 256) per channel.
      {"blend", Marked(), {{PR_ALPHA, TPropValue::Int(128)}}, {{12, 10, 0x3131B1}}},
      // Alpha 300 adds with strength 44: d + floor(44 s / 256).
      {"add", Marked(), {{PR_ALPHA, TPropValue::Int(300)}}, {{12, 10, 0x64648F}}},
      {"alpha 0", Marked(), {{PR_ALPHA, TPropValue::Int(0)}}, {{12, 10, kGrey}}},
      {"stretched", Marked(), {{PR_ZOOMX, TPropValue::Int(512)}}, {{13, 10, kBlue}, {14, 10, kRed}, {17, 10, kRed}}},
      // Mirrored about the pivot (0, 0): the picture now ends at x = 10.
      {"flipped",
       Marked(),
       {{PR_FLIPH, TPropValue::Bool(true)}},
       {{10, 10, kBlue}, {7, 10, kRed}, {7, 13, kGreen}, {11, 10, kGrey}}},
      // A quarter turn clockwise about the pivot (0, 0): column x lands on row 10 + x, row y on column 10 - y.
      {"turned",
       Marked(),
       {{PR_FLOATANGLE, TPropValue::Float(quarter)}},
       {{10, 10, kBlue}, {8, 11, kBlue}, {8, 12, kRed}, {11, 10, kGrey}, {7, 13, kGreen}}},
  };
  stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(kGrey));
  for (const TDrawCase& c : cases) {
    SCOPED_TRACE(c.name);
    files_.files["p.dov"] = DovaBytes({c.frame});
    TOrvoControl* picture = Make(kcImages, "p");
    Set(*picture, PR_SOURCE, TPropValue::Str("p.dov"));
    Set(*picture, PR_LEFT, TPropValue::Int(10));
    Set(*picture, PR_TOP, TPropValue::Int(10));
    for (const auto& [id, value] : c.properties) Set(*picture, id, value);
    for (const auto& [x, y, colour] : c.pixels) EXPECT_EQ(Pixel(x, y), colour) << x << "," << y;
    picture->Scrap();
    Frame();
    // The cache item went with its last user.
    EXPECT_EQ(stage_.Pictures().Count(), 0u);
  }
}

TEST_F(PictureDrawTest, SizeFollowsPictureZoomAndHandSetWidth) {
  files_.files["p.dov"] = DovaBytes({Plain(10, 6, kRed)});
  TOrvoControl* picture = Make(kcImages, "p");
  EXPECT_EQ(picture->Width(), 0);
  Set(*picture, PR_SOURCE, TPropValue::Str("p.dov"));
  EXPECT_EQ(std::make_pair(picture->Width(), picture->Height()), std::make_pair(10, 6));
  EXPECT_EQ(picture->GetInt(PR_ORIGWIDTH), 10);
  Set(*picture, PR_FLOATZOOMX, TPropValue::Float(1.25));  // 12.5 rounds to even
  EXPECT_EQ(picture->Width(), 12);
  EXPECT_EQ(picture->GetInt(PR_ZOOMX), 320);
  Set(*picture, PR_WIDTH, TPropValue::Int(30));
  EXPECT_EQ(picture->Width(), 30);
  EXPECT_EQ(picture->GetInt(PR_ZOOMX), 0);
  Set(*picture, PR_FLIPH, TPropValue::Bool(true));  // a recomputation sees zoom 0
  EXPECT_EQ(picture->Width(), 1);
  // An extension that is neither a picture nor a motion shows nothing.
  Set(*picture, PR_SOURCE, TPropValue::Str("p.txt"));
  EXPECT_EQ(std::make_pair(picture->Width(), picture->Height()), std::make_pair(0, 0));
}

TEST_F(PictureDrawTest, MissingPictureIsTransparentAndCachedOncePerKey) {
  stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(kGrey));
  TOrvoControl* a = Make(kcImages, "a");
  Set(*a, PR_SOURCE, TPropValue::Str("none.dov"));
  EXPECT_EQ(a->Width(), 8);
  EXPECT_EQ(Pixel(3, 3), kGrey);
  files_.files["p.dov"] = DovaBytes({Plain(4, 4, kRed)});
  TOrvoControl* b = Make(kcImages, "b");
  TOrvoControl* c = Make(kcImages, "c");
  Set(*b, PR_SOURCE, TPropValue::Str("p.dov"));
  Set(*c, PR_SOURCE, TPropValue::Str("p.dov"));
  EXPECT_EQ(files_.loads["p.dov"], 1);
  EXPECT_EQ(stage_.Pictures().Count(), 2u);
  Set(*b, PR_SOURCE, TPropValue::Str(""));
  EXPECT_EQ(stage_.Pictures().Count(), 2u) << "c still uses the item";
  Set(*c, PR_SOURCE, TPropValue::Str(""));
  EXPECT_EQ(stage_.Pictures().Count(), 1u);
}

TEST_F(PictureDrawTest, BrightnessAdjustsACopyAndKeepsTheKey) {
  stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(kGrey));
  TTestFrame frame = Marked();
  frame.key = kGreen;
  files_.files["p.dov"] = DovaBytes({frame});
  TOrvoControl* picture = Make(kcImages, "p");
  Set(*picture, PR_SOURCE, TPropValue::Str("p.dov"));
  Set(*picture, PR_BRIGHTNESS, TPropValue::Int(40));
  EXPECT_EQ(Pixel(2, 0), 0x2828FF);
  EXPECT_EQ(Pixel(3, 3), kGrey) << "the key follows the brightness";
  Set(*picture, PR_BRIGHTNESS, TPropValue::Int(-100));
  EXPECT_EQ(Pixel(2, 0), 0x00009B);
  EXPECT_EQ(Pixel(3, 3), kGrey);
  Set(*picture, PR_BRIGHTNESS, TPropValue::Int(0));
  EXPECT_EQ(Pixel(2, 0), kRed);
}

struct THitCase {
  const char* name;
  std::vector<std::pair<int32_t, TPropValue>> properties;
  int32_t x, y;
  bool hit;
};

TEST_F(PictureDrawTest, MaskHitTestAtTheCaptureLevel) {
  // Mask columns 0, 64, 128, 192.
  TTestFrame frame = Plain(4, 4, kRed);
  frame.mask = [](int32_t x, int32_t) { return x * 64; };
  files_.files["m.dov"] = DovaBytes({frame});
  const TPropValue on = TPropValue::Bool(true);
  const std::vector<THitCase> cases = {
      {"no capture mask", {}, 10, 10, true},
      {"below the level", {{PR_CAPTUREMASK, on}}, 11, 10, false},
      {"at the level", {{PR_CAPTUREMASK, on}}, 12, 10, true},
      {"lower level", {{PR_CAPTUREMASK, on}, {PR_CAPMASKLEVEL, TPropValue::Int(64)}}, 11, 10, true},
      {"outside", {{PR_CAPTUREMASK, on}}, 14, 10, false},
      // Flipped about the pivot: x = 7 shows the last mask column.
      {"flipped", {{PR_CAPTUREMASK, on}, {PR_FLIPH, on}}, 7, 10, true},
      {"flipped, masked out", {{PR_CAPTUREMASK, on}, {PR_FLIPH, on}}, 10, 10, false},
      // Zoom 2: the last column maps to x = 4 (3.5 rounds to even), past the mask.
      {"zoomed past the mask", {{PR_CAPTUREMASK, on}, {PR_ZOOMX, TPropValue::Int(512)}}, 17, 10, false},
      {"zoomed", {{PR_CAPTUREMASK, on}, {PR_ZOOMX, TPropValue::Int(512)}}, 14, 10, true},
      {"zoom 0", {{PR_CAPTUREMASK, on}, {PR_WIDTH, TPropValue::Int(4)}}, 13, 10, false},
      // A half turn about (0, 0): the picture lies up and left of the pivot.
      {"turned",
       {{PR_CAPTUREMASK, on}, {PR_FLOATANGLE, TPropValue::Float(std::numbers::pi_v<long double>)}},
       7,
       9,
       true},
      {"turned, masked out",
       {{PR_CAPTUREMASK, on}, {PR_FLOATANGLE, TPropValue::Float(std::numbers::pi_v<long double>)}},
       9,
       9,
       false},
  };
  for (const THitCase& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoControl* picture = Make(kcImages, "m");
    Set(*picture, PR_SOURCE, TPropValue::Str("m.dov"));
    Set(*picture, PR_LEFT, TPropValue::Int(10));
    Set(*picture, PR_TOP, TPropValue::Int(10));
    for (const auto& [id, value] : c.properties) Set(*picture, id, value);
    EXPECT_EQ(stage_.ActiveScreen().HitTest(c.x, c.y, kHitLeftClick) == picture, c.hit);
    stage_.DeleteObject(*picture);
  }
}

TEST_F(PictureDrawTest, TilePitchAndScroll) {
  stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(kGrey));
  files_.files["t.dov"] = DovaBytes({Marked()});
  TOrvoControl* tile = Make(kcTile, "t");
  Set(*tile, PR_SOURCE, TPropValue::Str("t.dov"));
  EXPECT_EQ(tile->Width(), 0) << "a tile's size is its own";
  tile->SetBoundsRect(0, 0, 20, 4);
  EXPECT_EQ(Pixel(4, 0), kBlue);
  EXPECT_EQ(Pixel(6, 0), kRed);
  Set(*tile, PR_SCROLLX, TPropValue::Int(2));
  EXPECT_EQ(Pixel(0, 0), kRed);
  Set(*tile, PR_SCROLLX, TPropValue::Int(0));
  // A pitch below half the picture: no gap.
  Set(*tile, PR_DISTANCEX, TPropValue::Int(1));
  EXPECT_EQ(Pixel(4, 0), kBlue);
  // A pitch of 6: two pixels of gap after each picture.
  Set(*tile, PR_DISTANCEX, TPropValue::Int(6));
  EXPECT_EQ(Pixel(4, 0), kGrey);
  EXPECT_EQ(Pixel(6, 0), kBlue);
  EXPECT_TRUE(tile->GetBool(PR_REPEAT));
}

TEST_F(PictureDrawTest, BoxFramesFillsAndOpacityRange) {
  stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(kGrey));
  TOrvoControl* box = Make(kcBox, "b");
  box->SetBoundsRect(0, 0, 10, 10);
  Set(*box, PR_COLOR, TPropValue::Int(kRed));
  Set(*box, PR_BORDERWIDTH, TPropValue::Int(2));
  Set(*box, PR_BORDERCOLOR, TPropValue::Int(kBlue));
  EXPECT_EQ(Pixel(1, 1), kBlue);
  EXPECT_EQ(Pixel(2, 2), kRed);
  Set(*box, PR_ALPHA, TPropValue::Int(300));
  EXPECT_EQ(Pixel(5, 5), 0x64648F);
  Set(*box, PR_ALPHA, TPropValue::Int(512));
  EXPECT_EQ(Pixel(5, 5), kGrey);
  Set(*box, PR_ALPHA, TPropValue::Int(255));
  Set(*box, PR_COLOR, TPropValue::Int(-1));
  EXPECT_EQ(Pixel(5, 5), kGrey);
  EXPECT_EQ(Pixel(0, 0), kBlue);
}

}  // namespace
}  // namespace orvo::test
