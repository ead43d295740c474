#include "stage/fire.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "base/random.h"
#include "stage/effects_fixture.h"
#include "stage/picture_fixture.h"

namespace orvo::test {
namespace {

// A palette pixel added on black at weight 255, as the surfaces add: each
// channel field scaled by 255 / 256.
uint32_t AddedOnBlack(uint32_t pixel, int bits) {
  const std::vector<uint32_t> masks = bits == 32   ? std::vector<uint32_t>{0xFF0000, 0xFF00, 0xFF}
                                      : bits == 16 ? std::vector<uint32_t>{0xF800, 0x7E0, 0x1F}
                                                   : std::vector<uint32_t>{0x7C00, 0x3E0, 0x1F};
  uint32_t out = 0;
  for (uint32_t mask : masks) out |= ((255 * (pixel & mask)) >> 8) & mask;
  return out;
}

class FireTest : public PictureTest {
 public:
  FireTest() { stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(0)); }

  TOrvoFire* MakeFire(int32_t width, int32_t height, long double zoom = 1, int32_t left = 0, int32_t top = 0) {
    auto* fire = static_cast<TOrvoFire*>(Make(kcFire, "fire"));
    Set(*fire, PR_FLOATZOOMX, TPropValue::Float(zoom));
    Set(*fire, PR_FLOATZOOMY, TPropValue::Float(zoom));
    Set(*fire, PR_ORIGWIDTH, TPropValue::Int(width));
    Set(*fire, PR_ORIGHEIGHT, TPropValue::Int(height));
    Set(*fire, PR_LEFT, TPropValue::Int(left));
    Set(*fire, PR_TOP, TPropValue::Int(top));
    return fire;
  }

  static std::vector<uint8_t> Heat(TOrvoFire& fire) {
    std::vector<uint8_t> values;
    TDIBX& heat = fire.HeatPicture();
    for (int32_t y = 0; y < heat.Height(); ++y) {
      for (int32_t x = 0; x < heat.Width(); ++x) values.push_back(static_cast<uint8_t>(heat.GetPixel(x, y)));
    }
    return values;
  }
};

TEST_F(FireTest, HeatTableFollowsThePowerClampedToAByte) {
  const TFireHeatTable initial = BuildFireHeatTable(4.5L);
  EXPECT_EQ(initial[0], 0);
  EXPECT_EQ(initial[1016], 226);
  struct TCase {
    int32_t written;
    int32_t stored;
    long double factor;
  };
  const std::vector<TCase> cases = {
      {0, 0, 5.5L}, {128, 128, 4.2175L}, {255, 255, 2.9450L}, {300, 255, 2.9450L}, {-5, 0, 5.5L}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.written);
    auto* fire = static_cast<TOrvoFire*>(Make(kcFire, "fire"));
    EXPECT_EQ(fire->HeatTable(), initial);
    Set(*fire, PR_POWER, TPropValue::Int(c.written));
    EXPECT_EQ(fire->GetInt(PR_POWER), c.stored);
    EXPECT_NEAR(static_cast<double>(FireFactorOfPower(c.stored)), static_cast<double>(c.factor), 1e-4);
    EXPECT_EQ(fire->HeatTable(), BuildFireHeatTable(FireFactorOfPower(c.stored)));
    stage_.DeleteObject(*fire);
  }
}

TEST_F(FireTest, OneStepEveryFortyMillisecondsAndNeverTwoInAFrame) {
  TOrvoFire* fire = MakeFire(8, 8);
  Frame(16);  // builds the tables
  ASSERT_EQ(fire->State(), 1);
  std::vector<int32_t> accumulated;
  std::vector<bool> stepped;
  for (int i = 0; i < 6; ++i) {
    const std::vector<uint8_t> before = Heat(*fire);
    Frame(16);
    accumulated.push_back(fire->TimeAcc());
    stepped.push_back(Heat(*fire) != before);
  }
  EXPECT_EQ(accumulated, (std::vector<int32_t>{16, 32, 8, 24, 0, 16}));
  EXPECT_EQ(stepped, (std::vector<bool>{false, false, true, false, true, false}));
  // A long frame is one step, the rest kept.
  Frame(130);
  EXPECT_EQ(fire->TimeAcc(), 26);
  // Paused animation keeps the clock.
  Set(*fire, PR_ANIPAUSED, TPropValue::Bool(true));
  Frame(16);
  EXPECT_EQ(fire->TimeAcc(), 26);
  EXPECT_FALSE(fire->GetBool(PR_PLAYING));
}

TEST_F(FireTest, AStepFillsTheBottomRowsAndLeavesTheOuterColumns) {
  ProcessRandom().Seed(7);
  TOrvoFire* fire = MakeFire(12, 10);
  Frame(16);
  for (int i = 0; i < 5; ++i) fire->Step();
  TDIBX& heat = fire->HeatPicture();
  for (int32_t y = 0; y < 10; ++y) {
    for (int32_t x = 0; x < 12; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const uint32_t v = heat.GetPixel(x, y);
      if (y >= 8) {
        EXPECT_EQ(v, 254u);
      } else if (x == 0 || x == 11) {
        EXPECT_EQ(v, y >= 6 ? 254u : 16u);
      } else {
        EXPECT_GE(v, 16u);
        EXPECT_LE(v, 254u);
      }
    }
  }
}

TEST_F(FireTest, PicturesUnderThreePixelsChangeOnlyByTheBottomFill) {
  struct TCase {
    int32_t width, height;
  };
  for (const TCase& c : std::vector<TCase>{{1, 1}, {2, 6}, {6, 2}, {1, 9}, {9, 1}, {2, 2}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    TOrvoFire* fire = MakeFire(c.width, c.height);
    Frame(16);
    fire->Step();
    fire->Step();
    TDIBX& heat = fire->HeatPicture();
    ASSERT_EQ(heat.Width(), c.width);
    ASSERT_EQ(heat.Height(), c.height);
    for (int32_t y = 0; y < c.height; ++y) {
      for (int32_t x = 0; x < c.width; ++x) EXPECT_EQ(heat.GetPixel(x, y), y >= c.height - 4 ? 254u : 16u);
    }
    stage_.DeleteObject(*fire);
  }
}

TEST_F(FireTest, EachPixelOnBlackIsItsPaletteColourInEveryDepth) {
  ProcessRandom().Seed(11);
  TOrvoFire* fire = MakeFire(20, 12, 1, 5, 4);
  Frame(16);
  for (int i = 0; i < 8; ++i) fire->Step();
  for (int bits : {32, 16, 15}) {
    SCOPED_TRACE(bits);
    TDIBX surface;
    surface.SetSize(40, 30, bits);
    surface.Clear(0);
    fire->Paint(surface);
    const TBytePalette& palette = *FirePalette(bits);
    for (int32_t y = 0; y < 12; ++y) {
      for (int32_t x = 0; x < 20; ++x) {
        const uint32_t v = fire->HeatPicture().GetPixel(x, y);
        EXPECT_EQ(surface.GetPixel(x + 5, y + 4), v >= 17 ? AddedOnBlack(palette[v], bits) : 0u) << x << "," << y;
      }
    }
    EXPECT_EQ(surface.GetPixel(4, 4), 0u);
  }
  // The palette forms are the colours in each format.
  for (int bits : {32, 16, 15}) {
    for (int i = 0; i < 256; ++i) {
      const uint32_t rgb = FirePaletteColour(i);
      const int32_t bgr = static_cast<int32_t>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16));
      EXPECT_EQ((*FirePalette(bits))[static_cast<size_t>(i)], static_cast<uint32_t>(ColorToPixelOfFormat(bgr, bits)))
          << bits << " " << i;
    }
  }
  EXPECT_EQ(FirePalette(24), nullptr);
  EXPECT_EQ(FirePalette(8), nullptr);
}

TEST_F(FireTest, ZoomedFiresStretchToTheirSize) {
  ProcessRandom().Seed(3);
  TOrvoFire* fire = MakeFire(10, 6, 2);
  EXPECT_EQ(fire->Width(), 20);
  EXPECT_EQ(fire->Height(), 12);
  EXPECT_EQ(fire->GetInt(PR_ZOOMX), 512);
  Frame(16);
  for (int i = 0; i < 6; ++i) fire->Step();
  TDIBX surface;
  surface.SetSize(30, 20, 32);
  surface.Clear(0);
  fire->Paint(surface);
  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      const uint32_t v = fire->HeatPicture().GetPixel(x / 2, y / 2);
      EXPECT_EQ(surface.GetPixel(x, y), v >= 17 ? AddedOnBlack(FirePaletteColour(static_cast<int>(v)), 32) : 0u)
          << x << "," << y;
    }
  }
  EXPECT_EQ(surface.GetPixel(20, 5), 0u);
}

TEST_F(FireTest, SizesStayWithinBoundsAndTheWidthIsNotWritable) {
  struct TCase {
    int32_t written;
    int32_t stored;
    long double zoom;
    int32_t width;
  };
  const std::vector<TCase> cases = {
      {64, 64, 1, 64},       {0, 1, 1, 1},
      {-5, 1, 3, 3},         {100000, kMaxFireSide, 1, kMaxFireSide},
      {100, 100, 0.004L, 1}, {4096, 4096, 1e12L, std::numeric_limits<int32_t>::max()},
      {10, 10, 2.25L, 22},  // 22.5 rounds to even
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.written);
    TOrvoFire* fire = MakeFire(c.written, 4, c.zoom);
    EXPECT_EQ(fire->GetInt(PR_ORIGWIDTH), c.stored);
    EXPECT_EQ(fire->Width(), c.width);
    Set(*fire, PR_WIDTH, TPropValue::Int(7));
    EXPECT_EQ(fire->Width(), c.width);
    stage_.DeleteObject(*fire);
  }
}

TEST_F(FireTest, SameSeedSameFlamesOtherSeedOtherFlames) {
  auto run = [&](uint32_t seed) {
    ProcessRandom().Seed(seed);
    TOrvoFire* fire = MakeFire(16, 16);
    for (int i = 0; i < 12; ++i) Frame(16);
    std::vector<uint8_t> heat = Heat(*fire);
    stage_.DeleteObject(*fire);
    return heat;
  };
  EXPECT_EQ(run(5), run(5));
  EXPECT_NE(run(5), run(6));
}

TEST_F(FireTest, RecordsRoundTripAndOldLayoutsLoad) {
  TOrvoFire* fire = MakeFire(30, 20, 1.5L, 3, 4);
  Set(*fire, PR_POWER, TPropValue::Int(90));
  Set(*fire, PR_FLOATZOOMY, TPropValue::Float(0.5L));
  Set(*fire, PR_ONIDLE, TPropValue::Str("idle"));
  Set(*fire, PR_PAUSED, TPropValue::Bool(true));
  const std::string record = RecordOf(*fire);
  auto* again = static_cast<TOrvoFire*>(stage_.CreateByKind(kcFire));
  ReadRecord(*again, record, 201);
  EXPECT_EQ(RecordOf(*again), record);
  EXPECT_EQ(again->HeatTable(), fire->HeatTable());
  EXPECT_EQ(again->State(), 0);

  struct TCase {
    int32_t version;
    std::string tail;
    long double zoom_x, zoom_y;
    int32_t width, height;
    std::string idle;
  };
  const std::string base = Int32Bytes(255) + Int32Bytes(40) + Int32Bytes(0);
  const std::vector<TCase> cases = {
      {103, base + Int32Bytes(512), 2, 0, 80, 1, ""},
      {130, base + Int32Bytes(384) + StringBytes("i") + '\x01' + Int32Bytes(128), 1.5L, 0.5L, 60, 1, "i"},
      {143, base + Ext80Bytes(0.25L) + StringBytes("") + '\0' + Ext80Bytes(3), 0.25L, 3, 10, 3, ""},
      {200, base + Ext80Bytes(1) + StringBytes("") + '\0' + Ext80Bytes(1), 1, 1, 40, 1, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.version);
    auto* old = static_cast<TOrvoFire*>(stage_.CreateByKind(kcFire));
    ReadRecord(*old, OldControlRecord(c.version, "old", 0, 0, 1, 1) + c.tail, c.version);
    EXPECT_EQ(old->Power(), 255);
    EXPECT_EQ(old->OrigWidth(), 40);
    EXPECT_EQ(old->OrigHeight(), 1);  // a height of 0 is kept at 1
    EXPECT_EQ(old->FactorX(), c.zoom_x);
    EXPECT_EQ(old->FactorY(), c.zoom_y);
    EXPECT_EQ(old->Width(), c.width);
    EXPECT_EQ(old->Height(), c.height);
    EXPECT_EQ(old->GetStr(PR_ONIDLE), c.idle);
    stage_.DeleteObject(*old);
  }
}

}  // namespace
}  // namespace orvo::test
