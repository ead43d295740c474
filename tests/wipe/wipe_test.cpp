#include "wipe/wipe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "base/random.h"
#include "surface/surface_helpers.h"

namespace orvo {
namespace {

using test::FilledSurface;
using test::Native;
using test::Pixels;

// Channel values of the two pictures in 8-bit units; pixels are made in the
// format's own units (low bits dropped) like ColorToPixel does.
struct TRgb {
  uint32_t r, g, b;
};
constexpr TRgb kFrom{200, 100, 0};
constexpr TRgb kTo{0, 50, 255};

uint32_t Pixel(int bits, TRgb c) {
  if (bits == 16) return Native(16, c.r >> 3, c.g >> 2, c.b >> 3);
  return Native(32, c.r, c.g, c.b);
}

// A destination, from and to of one size and format; the destination starts as from.
struct TScene {
  TScene(int bits, int32_t w, int32_t h, TRgb from_colour = kFrom, TRgb to_colour = kTo)
      : bits(bits),
        destination(FilledSurface(bits, w, h, Pixel(bits, from_colour))),
        from(FilledSurface(bits, w, h, Pixel(bits, from_colour))),
        to(FilledSurface(bits, w, h, Pixel(bits, to_colour))) {}
  std::unique_ptr<TCustomWipe> Make(int kind, int32_t duration, bool reverse = false) {
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, *destination, *from, *to);
    wipe->SetDuration(duration);
    wipe->SetReverse(reverse);
    return wipe;
  }
  uint32_t At(int32_t x, int32_t y) const { return destination->GetPixel(x, y); }
  int bits;
  std::unique_ptr<TDIBX> destination, from, to;
};

// Steps a fresh wipe once at t.
std::vector<uint32_t> Picture(TScene& scene, int kind, int32_t duration, int32_t t, bool reverse,
                              std::initializer_list<std::pair<int, int32_t>> params = {}) {
  std::unique_ptr<TCustomWipe> wipe = scene.Make(kind, duration, reverse);
  for (const auto& [index, value] : params) wipe->SetParam(index, value);
  wipe->Prepare();
  wipe->SetElapsed(t);
  EXPECT_FALSE(wipe->Step());
  return Pixels(*scene.destination);
}

TEST(WipeCatalogue, FactoryGivesKindsForCodesOneToThirtyEight) {
  auto surface = FilledSurface(32, 4, 4, 0);
  std::set<std::string> names;
  for (int32_t code = -1; code <= 40; ++code) {
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(code, *surface, *surface, *surface);
    EXPECT_EQ(wipe != nullptr, code >= 1 && code <= 38) << code;
    const TWipeKindInfo* info = WipeKindInfo(code);
    ASSERT_EQ(info != nullptr, code >= 0 && code <= 38) << code;
    if (!info) continue;
    names.insert(info->name);
    EXPECT_EQ(WipeKindByName(info->name), code);
  }
  EXPECT_EQ(names.size(), 39u);
  EXPECT_EQ(WipeKindByName("wp_Fade"), 1);
  EXPECT_EQ(WipeKindByName("WP_FADEX"), -1);
}

TEST(WipeCatalogue, SetParamClampsByFamily) {
  struct TCase {
    int kind, index;
    int32_t value, stored;
  };
  const TCase cases[] = {
      {2, 0, 1, 2},      {2, 1, 0, 1},  {3, 0, -9, 2},   {8, 1, -3, 1}, {11, 0, 0, 2},  {4, 0, 0, 1},
      {5, 1, -4, 1},     {4, 0, 7, 7},  {37, 0, -5, -5}, {38, 1, 0, 0}, {1, 0, -7, -7}, {31, 0, 0, 0},
      {34, 0, -90, -90}, {24, 0, 0, 0}, {29, 0, 1, 1},   {2, 2, 5, 0},
  };
  auto surface = FilledSurface(32, 4, 4, 0);
  for (const TCase& c : cases) {
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(c.kind, *surface, *surface, *surface);
    wipe->SetParam(c.index, c.value);
    EXPECT_EQ(wipe->GetParam(c.index), c.stored) << "kind " << c.kind << " index " << c.index;
  }
  // Defaults go through the same clamping.
  std::unique_ptr<TCustomWipe> blind = CreateWipe(2, *surface, *surface, *surface);
  EXPECT_EQ(blind->GetParam(0), 20);
  EXPECT_EQ(blind->GetParam(1), 1);
  std::unique_ptr<TCustomWipe> crack = CreateWipe(29, *surface, *surface, *surface);
  EXPECT_EQ(crack->GetParam(0), 64);
  EXPECT_EQ(crack->GetParam(1), 3);
}

// A mask kind with one fixed mask value, to test the compositor alone.
class TFixedMask : public TWipeMask {
 public:
  TFixedMask(TCustomDIBX& d, TCustomDIBX& f, TCustomDIBX& t, uint8_t value) : TWipeMask(d, f, t), value_(value) {}

 protected:
  bool UpdateMask() override {
    if (!NewProgress(0)) return false;
    mask_.Clear(value_);
    return true;
  }

 private:
  uint8_t value_;
};

TEST(WipeMask, ComposesFromToAndBlendPerChannel) {
  struct TCase {
    int bits;
    uint8_t mask;
    uint32_t expected;
  };
  // 128: floor((128 * to + 127 * from) / 256) per channel in the format's units.
  const TCase cases[] = {
      {32, 0, Native(32, 200, 100, 0)}, {32, 255, Native(32, 0, 50, 255)}, {32, 128, Native(32, 99, 74, 127)},
      {16, 0, Native(16, 25, 25, 0)},   {16, 255, Native(16, 0, 12, 31)},  {16, 128, Native(16, 12, 18, 15)},
  };
  for (const TCase& c : cases) {
    TScene scene(c.bits, 5, 3);
    TFixedMask wipe(*scene.destination, *scene.from, *scene.to, c.mask);
    wipe.SetDuration(10);
    wipe.Prepare();
    wipe.SetElapsed(1);
    EXPECT_FALSE(wipe.Step());
    EXPECT_EQ(wipe.UpdateRect(), (TRect{0, 0, 5, 3}));
    for (uint32_t p : Pixels(*scene.destination)) EXPECT_EQ(p, c.expected) << c.bits << " " << int(c.mask);
    // The same progress again changes nothing and presents nothing.
    wipe.SetElapsed(2);
    EXPECT_FALSE(wipe.Step());
    EXPECT_TRUE(wipe.UpdateRect().IsEmpty());
  }
}

TEST(Wipe, FinishedStepDrawsNothingAndDurationIsAtLeastOne) {
  TScene scene(32, 4, 2);
  std::unique_ptr<TCustomWipe> wipe = scene.Make(1, 0);
  EXPECT_EQ(wipe->Duration(), 1);
  wipe->SetElapsed(0);
  EXPECT_FALSE(wipe->Step());
  EXPECT_EQ(scene.At(0, 0), Pixel(32, kFrom));
  wipe->SetElapsed(1);
  EXPECT_TRUE(wipe->Step());
  EXPECT_TRUE(wipe->UpdateRect().IsEmpty());
  EXPECT_EQ(scene.At(0, 0), Pixel(32, kFrom));
  wipe->SetElapsed(INT32_MAX);
  EXPECT_TRUE(wipe->Step());
}

// One pixel of a kind's picture at a time, in both formats where the
// expectation is written per format.
TEST(WipeKinds, PixelsAtChosenTimes) {
  struct TCase {
    const char* what;
    int bits;
    int kind;
    int32_t w, h, duration, t;
    bool reverse;
    std::vector<std::pair<int, int32_t>> params;
    int32_t x, y;
    uint32_t expected;
  };
  const uint32_t from32 = Pixel(32, kFrom), to32 = Pixel(32, kTo);
  const uint32_t to16 = Pixel(16, kTo);
  const TCase cases[] = {
      {"fade t=0 is from", 32, 1, 4, 2, 100, 0, false, {}, 1, 1, from32},
      // opacity 50 * 256 / 100 = 128
      {"fade half", 32, 1, 4, 2, 100, 50, false, {}, 1, 1, Native(32, 99, 74, 127)},
      {"fade half 16", 16, 1, 4, 2, 100, 50, false, {}, 1, 1, Native(16, 12, 18, 15)},
      // opacity 99 * 256 / 100 = 253: floor(253 * 255 / 256) = 252 blue
      {"fade last", 32, 1, 4, 2, 100, 99, false, {}, 0, 0, Native(32, 1, 50, 252)},
      // f = 49 / 100: the new picture starts at x = Round(8 * 0.49) = 4
      {"fade offset left", 32, 1, 8, 2, 100, 50, false, {{0, 8}}, 3, 0, from32},
      {"fade offset right", 32, 1, 8, 2, 100, 50, false, {{0, 8}}, 4, 0, Native(32, 99, 74, 127)},
      // a = 8 * 2 / 8 = 2: from at -2, to at 6
      {"scroll h", 32, 6, 8, 2, 8, 2, false, {}, 5, 0, from32},
      {"scroll h to", 32, 6, 8, 2, 8, 2, false, {}, 6, 0, to32},
      {"scroll h rev", 32, 6, 8, 2, 8, 2, true, {}, 1, 0, to32},
      {"scroll h rev from", 32, 6, 8, 2, 8, 2, true, {}, 2, 0, from32},
      {"scroll v", 16, 7, 2, 8, 8, 2, false, {}, 0, 6, to16},
      // a = 100: from plus grey 100, saturating
      {"white first half", 32, 12, 3, 3, 511, 100, false, {}, 1, 1, Native(32, 255, 200, 100)},
      // a = 300: to plus grey 211
      {"white second half", 32, 12, 3, 3, 511, 300, false, {}, 1, 1, Native(32, 211, 255, 255)},
      {"black first half", 32, 13, 3, 3, 511, 100, false, {}, 1, 1, Native(32, 100, 0, 0)},
      {"black 16", 16, 13, 3, 3, 511, 100, false, {}, 1, 1, Native(16, 25 - 12, 25 - 25, 0)},
      // b = 55: to plus grey 200
      {"flash", 32, 14, 3, 3, 255, 55, false, {}, 0, 0, Native(32, 200, 250, 255)},
      // b = 7 * 5 / 10 = 3 with p0 = 4, p1 = 1: columns 0, 1 (mod 4) changed
      {"blind h col 1", 32, 2, 8, 2, 10, 5, false, {{0, 4}, {1, 1}}, 1, 1, to32},
      {"blind h col 2", 32, 2, 8, 2, 10, 5, false, {{0, 4}, {1, 1}}, 2, 1, from32},
      {"blind h rev col 1", 32, 2, 8, 2, 10, 5, true, {{0, 4}, {1, 1}}, 1, 1, from32},
      {"blind h rev col 3", 16, 2, 8, 2, 10, 5, true, {{0, 4}, {1, 1}}, 7, 1, to16},
      {"blind v row 5", 32, 3, 2, 8, 10, 5, false, {{0, 4}, {1, 1}}, 0, 5, to32},
      {"blind v row 6", 32, 3, 2, 8, 10, 5, false, {{0, 4}, {1, 1}}, 0, 6, from32},
      // spotlight 8 x 8: radius 6, range 518; b = 100 at the centre (n = 0): from + grey 100
      {"spot centre", 32, 18, 8, 8, 518, 100, false, {}, 4, 4, Native(32, 255, 200, 100)},
      // the corner (n = 6): from + grey 94
      {"spot corner", 32, 18, 8, 8, 518, 100, false, {}, 0, 0, Native(32, 255, 194, 94)},
      // rev: the corner is at 0 and the centre at 6
      {"spot rev centre", 32, 18, 8, 8, 518, 100, true, {}, 4, 4, Native(32, 255, 194, 94)},
      // b = 300 at the centre: to, grey 211
      {"spot to", 16, 18, 8, 8, 518, 300, false, {}, 4, 4, Native(16, 211 >> 3, 63, 31)},
      // mask fade without a rule: m = clamp(t * 512 / D - 1) = 255 at t = 256
      {"mask fade", 32, 19, 4, 4, 512, 256, false, {}, 2, 2, to32},
      {"mask fade start", 32, 19, 4, 4, 512, 0, false, {}, 2, 2, from32},
      // mask white: v = t * 768 / D - 1; t = 101, D = 768: from + grey 100
      {"mask white", 32, 20, 4, 4, 768, 101, false, {}, 2, 2, Native(32, 255, 200, 100)},
      // t = 444: v = 443, to minus grey 68
      {"mask black", 32, 21, 4, 4, 768, 444, false, {}, 0, 3, Native(32, 0, 0, 187)},
      // circle rev at t = 0 covers everything with 0
      {"circle rev start", 32, 36, 7, 5, 100, 0, true, {}, 0, 0, from32},
      {"circle centre late", 32, 36, 7, 5, 100, 99, false, {}, 3, 2, to32},
      {"circle corner early", 32, 36, 7, 5, 100, 10, false, {}, 0, 0, from32},
      // zoom: at t = D - 1 the whole new picture
      {"zoom end", 32, 30, 6, 4, 100, 99, false, {}, 5, 3, to32},
      {"zoom start", 32, 30, 6, 4, 100, 0, false, {}, 5, 3, from32},
      // shrink at t = 0: from at scale 0.99 and opacity Round(252.45) over to
      {"shrink start", 32, 22, 6, 4, 100, 0, false, {}, 3, 2, Native(32, 196, 99, 2)},
      {"grow start", 32, 23, 6, 4, 100, 0, false, {}, 0, 0, from32},
      // sudare a = 15 * 3 / 8 = 5 < 8: column 5 of from over 0..5, the rest from
      {"sudare", 32, 16, 8, 2, 8, 3, false, {}, 0, 0, from32},
      {"sudare back half", 32, 16, 8, 2, 8, 6, false, {}, 7, 1, to32},
      {"rubber back half", 32, 33, 2, 8, 8, 6, true, {}, 1, 0, to32},
      {"twist h early", 32, 27, 4, 4, 100, 0, false, {}, 1, 3, from32},
      {"twist v late", 32, 28, 4, 4, 100, 99, false, {}, 3, 0, to32},
      {"blur start", 32, 25, 40, 40, 640, 0, false, {}, 10, 10, from32},
      // b = 318: the blurred (solid) picture plus grey 248
      {"blur white peak", 32, 25, 40, 40, 640, 319, false, {}, 10, 10, Native(32, 255, 255, 248)},
      {"blur black end", 32, 26, 40, 40, 640, 639, false, {}, 10, 10, to32},
      {"mosaic end", 32, 15, 16, 16, 1023, 1022, false, {}, 15, 15, to32},
      {"ripple end", 32, 24, 24, 24, 1000, 999, false, {}, 0, 0, to32},
      {"ripple start", 32, 24, 24, 24, 1000, 0, false, {}, 0, 0, from32},
      {"clock start", 32, 31, 8, 8, 100, 0, false, {}, 1, 1, from32},
      {"clock end", 32, 31, 8, 8, 100, 99, false, {}, 1, 1, to32},
      // a quarter turn from twelve: the top-right quadrant is new
      {"clock quarter right", 32, 31, 8, 8, 100, 26, false, {}, 6, 1, to32},
      {"clock quarter left", 32, 31, 8, 8, 100, 26, false, {}, 1, 1, from32},
      {"clock rev quarter left", 32, 31, 8, 8, 100, 26, true, {}, 1, 1, to32},
      // fans open on both sides of twelve; the double fan also from six
      {"fan top", 32, 34, 8, 8, 100, 30, false, {}, 4, 0, to32},
      {"fan bottom", 32, 34, 8, 8, 100, 30, false, {}, 4, 7, from32},
      {"double fan bottom", 32, 35, 8, 8, 100, 30, false, {}, 4, 7, to32},
      // p0 = 90 starts the hand at three o'clock
      {"clock from three", 32, 31, 8, 8, 100, 20, false, {{0, 90}}, 7, 5, to32},
      {"clock from three top", 32, 31, 8, 8, 100, 20, false, {{0, 90}}, 7, 2, from32},
      // grid columns p0 = 4, p1 = 1: largest 8, e = 5 * 5 / 10 = 2: first column of cells done
      {"grid h", 32, 9, 8, 8, 10, 5, false, {{0, 4}, {1, 1}}, 1, 6, to32},
      {"grid h second", 32, 9, 8, 8, 10, 5, false, {{0, 4}, {1, 1}}, 5, 6, from32},
      {"grid v", 32, 10, 8, 8, 10, 5, false, {{0, 4}, {1, 1}}, 6, 1, to32},
      {"grid v rev", 32, 10, 8, 8, 10, 5, true, {{0, 4}, {1, 1}}, 6, 1, from32},
      // curtains p0 = 2, p1 = 1, W = 4: n = 2, range 33; b = 17 is past order 16 (x = 1, 2)
      {"curtain h", 32, 4, 4, 1, 33, 17, false, {{0, 2}, {1, 1}}, 1, 0, to32},
      {"curtain h at its order", 32, 4, 4, 1, 33, 16, false, {{0, 2}, {1, 1}}, 1, 0, from32},
      {"curtain h closed", 32, 4, 4, 1, 33, 17, false, {{0, 2}, {1, 1}}, 3, 0, from32},
      {"curtain h rev", 32, 4, 4, 1, 33, 17, true, {{0, 2}, {1, 1}}, 0, 0, from32},
      // the vertical curtain orders rows the same way
      {"curtain v", 16, 5, 1, 4, 33, 17, false, {{0, 2}, {1, 1}}, 0, 2, to16},
      {"curtain v closed", 16, 5, 1, 4, 33, 17, false, {{0, 2}, {1, 1}}, 0, 3, Pixel(16, kFrom)},
      // p1 = 32, D = 64: b = 23 is 7 past order 16, m = 7 * 255 / 32 = 55
      {"curtain ramp", 32, 4, 4, 1, 64, 23, false, {{0, 2}, {1, 32}}, 1, 0, Native(32, 156, 88, 54)},
      // grid diagonal p0 = 4, p1 = 4 on 8 x 8: largest 4, e = 4 * 9 / 10 = 3: the first
      // cell has a 3 x 3 square at m = 191, the next cell (order 4) nothing yet
      {"grid diagonal", 32, 8, 8, 8, 10, 9, false, {{0, 4}, {1, 4}}, 1, 1, Native(32, 50, 62, 190)},
      {"grid diagonal next cell", 32, 8, 8, 8, 10, 9, false, {{0, 4}, {1, 4}}, 5, 1, from32},
      {"sudare v back half", 16, 17, 2, 8, 8, 6, false, {}, 1, 7, to16},
      {"rubber h first half", 32, 32, 8, 2, 8, 2, false, {}, 7, 1, from32},
      {"mosaic start", 16, 15, 16, 16, 1023, 0, false, {}, 3, 3, Pixel(16, kFrom)},
      {"scroll v rev", 32, 7, 2, 8, 8, 2, true, {}, 0, 1, to32},
  };
  for (const TCase& c : cases) {
    TScene scene(c.bits, c.w, c.h);
    std::unique_ptr<TCustomWipe> wipe = scene.Make(c.kind, c.duration, c.reverse);
    for (const auto& [index, value] : c.params) wipe->SetParam(index, value);
    wipe->Prepare();
    wipe->SetElapsed(c.t);
    EXPECT_FALSE(wipe->Step()) << c.what;
    EXPECT_EQ(scene.At(c.x, c.y), c.expected) << c.what << std::hex << " got " << scene.At(c.x, c.y);
  }
}

int CountPixels(const std::vector<uint32_t>& pixels, uint32_t value) {
  return static_cast<int>(std::count(pixels.begin(), pixels.end(), value));
}

TEST(WipeKinds, DitherTurnsOnePositionPerStepEvenOnLongWipes) {
  struct TCase {
    int32_t duration, t, changed;
  };
  const TCase cases[] = {
      {4096, 0, 0},
      {4096, 1, 1},
      {4096, 3000, 3000},
      {4096, 4095, 4095},
      // t * 4096 passes 2^31 here: the count must stay right.
      {INT32_MAX, INT32_MAX - 1, 4095},
      {INT32_MAX, INT32_MAX / 2, 2047},
  };
  for (const TCase& c : cases) {
    TScene scene(32, 64, 64);
    const std::vector<uint32_t> pixels = Picture(scene, 11, c.duration, c.t, false);
    EXPECT_EQ(CountPixels(pixels, Pixel(32, kTo)), c.changed) << c.t;
  }
}

TEST(WipeKinds, BlocksCoilClockwiseAndBackwards) {
  // 20 x 20 with side 10: top-left, top-right, bottom-right, bottom-left.
  struct TCase {
    int32_t t;
    bool reverse;
    std::array<bool, 4> changed;  // TL, TR, BR, BL
  };
  const TCase cases[] = {
      {0, false, {true, false, false, false}}, {100, false, {true, true, false, false}},
      {200, false, {true, true, true, false}}, {0, true, {false, false, false, true}},
      {100, true, {false, false, true, true}},
  };
  for (const TCase& c : cases) {
    TScene scene(32, 20, 20);
    Picture(scene, 37, 300, c.t, c.reverse, {{0, 10}});
    const std::array<std::pair<int, int>, 4> probes = {{{5, 5}, {15, 5}, {15, 15}, {5, 15}}};
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(scene.At(probes[i].first, probes[i].second) == Pixel(32, kTo), c.changed[i])
          << c.t << " rev " << c.reverse << " block " << i;
    }
  }
}

// Films seek backwards: a step at an earlier time must show that time's picture.
TEST(WipeKinds, EarlierTimeGivesThatTimesPicture) {
  const int kinds[] = {27, 28, 29, 37, 38, 11, 2, 31, 36};
  for (int kind : kinds) {
    for (int bits : {16, 32}) {
      // Striped pictures, so that chips and twists move visible pixels.
      TScene fresh(bits, 40, 30);
      TScene seeking(bits, 40, 30);
      for (TScene* scene : {&fresh, &seeking}) {
        for (int32_t x = 0; x < 40; x += 3) scene->from->FillRect({x, 0, x + 1, 30}, Pixel(bits, {10, 20, 30}));
        scene->destination->Assign(*scene->from);
      }
      ProcessRandom().Seed(7);
      std::unique_ptr<TCustomWipe> wipe = seeking.Make(kind, 1000);
      wipe->Prepare();
      for (int32_t t : {100, 800, 950, 300}) {
        wipe->SetElapsed(t);
        wipe->Step();
      }
      ProcessRandom().Seed(7);
      EXPECT_EQ(Pixels(*seeking.destination), Picture(fresh, kind, 1000, 300, false)) << kind << " at " << bits;
    }
  }
}

TEST(WipeKinds, RippleDrawsEveryPixelAtEverySize) {
  const uint32_t magenta = Native(32, 255, 0, 255);
  for (int32_t w : {1, 2, 5, 11, 12, 13}) {
    for (int32_t h : {1, 3, 6, 13}) {
      for (int32_t t : {0, 500, 999}) {
        TScene scene(32, w, h);
        scene.destination->Clear(magenta);
        std::unique_ptr<TCustomWipe> wipe = scene.Make(24, 1000);
        wipe->Prepare();
        wipe->SetElapsed(t);
        wipe->Step();
        EXPECT_EQ(CountPixels(Pixels(*scene.destination), magenta), 0) << w << "x" << h << " t " << t;
      }
    }
  }
}

TEST(WipeKinds, ChipsWithOptionAndEqualPicturesMoveNothing) {
  TScene scene(32, 40, 40, kFrom, kFrom);
  std::unique_ptr<TCustomWipe> wipe = scene.Make(29, 1000);
  wipe->SetOption(true);
  wipe->Prepare();
  wipe->SetElapsed(500);
  wipe->Step();
  EXPECT_EQ(CountPixels(Pixels(*scene.destination), Pixel(32, kFrom)), 40 * 40);
}

TEST(WipeKinds, RulePictureOrdersTheMaskFade) {
  // A rule 2 x 1: black left, white right, tiled over 4 x 2. White changes first.
  TScene scene(32, 4, 2);
  std::unique_ptr<TCustomWipe> wipe = scene.Make(19, 512);
  wipe->SetText("rule.bmp");
  wipe->SetRuleLoader([](const std::string& name, TDIBSurface& picture) {
    if (name != "rule.bmp") return false;
    picture.SetSize(2, 1, 24);
    picture.SetPixel(0, 0, 0x000000);
    picture.SetPixel(1, 0, 0xFFFFFF);
    return true;
  });
  wipe->Prepare();
  // p = 256: black g = 0 gives 0, white g = 255 gives 255.
  wipe->SetElapsed(256);
  wipe->Step();
  EXPECT_EQ(scene.At(0, 1), Pixel(32, kFrom));
  EXPECT_EQ(scene.At(1, 1), Pixel(32, kTo));
  EXPECT_EQ(scene.At(2, 0), Pixel(32, kFrom));
  EXPECT_EQ(scene.At(3, 0), Pixel(32, kTo));
}

}  // namespace
}  // namespace orvo
