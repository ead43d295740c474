#include <gtest/gtest.h>

#include <numbers>

#include "base/stream.h"
#include "stage/images.h"
#include "stage/map_image.h"
#include "stage/map_regions.h"
#include "stage/picture_fixture.h"
#include "stage/prop_access.h"
#include "stage/stage_fixture.h"

namespace orvo::test {
namespace {

class ImageStateTest : public PictureTest {};

TEST_F(ImageStateTest, EveryImageKindSavesAndLoadsToTheSameBytesAndPixels) {
  TTestFrame a = Plain(6, 4, 0x0000FF);
  TTestFrame b = Plain(6, 4, 0x00FF00);
  b.mask = [](int32_t x, int32_t) { return x * 40; };
  files_.files["anim.dov"] = DovaBytes({a, b});
  TTestFrame base = Plain(12, 8, 0x808000);
  base.mask = [](int32_t, int32_t) { return 255; };
  files_.files["base.dov"] = DovaBytes({base});
  files_.files["hover.dov"] = DovaBytes({Plain(12, 8, 0xFFFFFF)});
  TMapRegion region;
  region.name = "r";
  region.right = 5;
  region.bottom = 5;
  files_.files["map.dat"] = WriteMapRegions({region});

  TOrvoControl* box = Make(kcBox, "box");
  box->SetBoundsRect(1, 1, 20, 12);
  for (auto [id, value] : std::vector<std::pair<int32_t, TPropValue>>{{PR_COLOR, TPropValue::Int(0x203040)},
                                                                      {PR_BORDERWIDTH, TPropValue::Int(2)},
                                                                      {PR_BORDERCOLOR, TPropValue::Int(0xFF)},
                                                                      {PR_ALPHA, TPropValue::Int(200)},
                                                                      {PR_BLURSPAN, TPropValue::Int(30)},
                                                                      {PR_ONPLAYEND, TPropValue::Str("end")}}) {
    Set(*box, id, value);
  }
  TOrvoControl* anim = Make(kcImages, "anim", box);
  for (auto [id, value] : std::vector<std::pair<int32_t, TPropValue>>{
           {PR_SOURCE, TPropValue::Str("anim.dov")},
           {PR_INDEX, TPropValue::Int(1)},
           {PR_REPEAT, TPropValue::Bool(true)},
           {PR_BRIGHTNESS, TPropValue::Int(-30)},
           {PR_FLOATZOOMX, TPropValue::Float(1.5)},
           {PR_FLOATANGLE, TPropValue::Float(std::numbers::pi_v<long double> / 6)},
           {PR_LEFT, TPropValue::Int(5)},
           {PR_TOP, TPropValue::Int(3)},
           {PR_CAPTUREMASK, TPropValue::Bool(true)},
           {PR_CAPMASKLEVEL, TPropValue::Int(99)},
           {PR_ONIDLE, TPropValue::Str("idle")}}) {
    Set(*anim, id, value);
  }
  Frame(40);
  TOrvoControl* tile = Make(kcTile, "tile");
  tile->SetBoundsRect(30, 2, 25, 20);
  for (auto [id, value] : std::vector<std::pair<int32_t, TPropValue>>{{PR_SOURCE, TPropValue::Str("anim.dov")},
                                                                      {PR_SCROLLX, TPropValue::Int(3)},
                                                                      {PR_DISTANCEX, TPropValue::Int(8)},
                                                                      {PR_FLIPV, TPropValue::Bool(true)},
                                                                      {PR_ALPHA, TPropValue::Int(300)}}) {
    Set(*tile, id, value);
  }
  auto* map = static_cast<TOrvoMapImage*>(Make(kcMapImage, "map"));
  for (auto [id, value] : std::vector<std::pair<int32_t, TPropValue>>{{PR_SOURCE, TPropValue::Str("base.dov")},
                                                                      {PR_HOVERSOURCE, TPropValue::Str("hover.dov")},
                                                                      {PR_MAPSOURCE, TPropValue::Str("map.dat")},
                                                                      {PR_LEFT, TPropValue::Int(4)},
                                                                      {PR_TOP, TPropValue::Int(30)},
                                                                      {PR_BRIGHTNESS, TPropValue::Int(20)},
                                                                      {PR_RCLICKSCRAP, TPropValue::Bool(true)}}) {
    Set(*map, id, value);
  }
  Frame(40);

  const std::string saved = SaveStage(stage_);
  const std::vector<uint32_t> pixels = StagePixels(stage_);
  TOrvoBaseList loaded(state_);
  loaded.Pictures().SetFiles(&files_);
  LoadStage(loaded, saved);
  EXPECT_EQ(SaveStage(loaded), saved);
  EXPECT_EQ(StagePixels(loaded), pixels);
  TOrvoObject* anim_back = loaded.FindComponent("anim");
  ASSERT_NE(anim_back, nullptr);
  EXPECT_EQ(anim_back->GetInt(PR_INDEX), anim->GetInt(PR_INDEX));
  EXPECT_EQ(anim_back->GetStr(PR_ONIDLE), "idle");
}

TEST_F(ImageStateTest, ImageKindsImplementTheirRowsOfThePropertyTable) {
  files_.files["p.dov"] = DovaBytes({Plain(4, 4, 0xFF)});
  for (uint8_t kind : {kcBox, kcImages, kcTile, kcMapImage}) {
    TOrvoControl* object = Make(kind, "o");
    object->SetBoundsRect(1, 2, 30, 40);
    ExpectPropertyTableRows(*object);
    stage_.DeleteObject(*object);
  }
}

}  // namespace
}  // namespace orvo::test
