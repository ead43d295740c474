// Glyph drawing: the six primitives' arithmetic in 15, 16 and 32 bits, and
// DrawGlyph's pixels and answers for each of its branches.
#include <gtest/gtest.h>

#include <functional>

#include "font_fixture.h"
#include "surface_helpers.h"

namespace orvo {
namespace {

enum class TPrimitive { FillSolid, BlendOver, BlendWithMask, MarkMask, MaxMask };

TEST(GlyphPrimitives, ChannelArithmeticPerFormat) {
  struct TCase {
    const char* name;
    int bits;
    TPrimitive primitive;
    uint8_t q;
    uint32_t d, m, colour, outer;
    uint32_t expected_d, expected_m;
  };
  const TCase cases[] = {
      {"solid covered", 32, TPrimitive::FillSolid, 1, 0x123456, 7, 0xABCDEF, 0, 0xABCDEF, 7},
      {"solid empty", 32, TPrimitive::FillSolid, 0, 0x123456, 7, 0xABCDEF, 0, 0x123456, 7},
      {"over full", 32, TPrimitive::BlendOver, 255, 0x111111, 0, 0xFF0000, 0x0000FF, 0xFF0000, 0},
      {"over partial 32", 32, TPrimitive::BlendOver, 64, 0x111111, 0, 0xFF0000, 0x0000FF, 0x3F00BE, 0},
      {"over partial 16", 16, TPrimitive::BlendOver, 64, 0x1111, 0, 0xF800, 0x001F, 0x3817, 0},
      {"over partial 15", 15, TPrimitive::BlendOver, 64, 0x1111, 0, 0x7C00, 0x001F, 0x1C17, 0},
      {"over empty", 32, TPrimitive::BlendOver, 0, 0x111111, 0, 0xFF0000, 0x0000FF, 0x111111, 0},
      {"mask blend on empty mask", 32, TPrimitive::BlendWithMask, 128, 0, 0, 0xFFFFFF, 0, 0xFEFEFE, 128},
      {"mask blend on half mask", 32, TPrimitive::BlendWithMask, 128, 0x0000FF, 128, 0xFF0000, 0, 0xA90054, 191},
      {"mask blend 15", 15, TPrimitive::BlendWithMask, 128, 0, 0, 0x7FFF, 0, 0x7BDE, 128},
      {"mask blend full", 16, TPrimitive::BlendWithMask, 255, 0x1234, 9, 0xFFFF, 0, 0xFFFF, 255},
      {"mask blend empty", 32, TPrimitive::BlendWithMask, 0, 0x1234, 9, 0xFFFF, 0, 0x1234, 9},
      {"mark", 32, TPrimitive::MarkMask, 1, 5, 3, 0, 0, 5, 255},
      {"mark empty", 32, TPrimitive::MarkMask, 0, 5, 3, 0, 0, 5, 3},
      {"max keeps", 16, TPrimitive::MaxMask, 50, 5, 100, 0, 0, 5, 100},
      {"max raises", 16, TPrimitive::MaxMask, 150, 5, 100, 0, 0, 5, 150},
      {"other formats untouched", 24, TPrimitive::FillSolid, 255, 0x123456, 0, 0xFFFFFF, 0, 0x123456, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto destination = test::FilledSurface(c.bits, 3, 3, c.d);
    auto mask = test::FilledSurface(8, 3, 3, c.m);
    TDIBX coverage;
    coverage.SetSize(1, 1, 8);
    coverage.SetPixel(0, 0, c.q);
    switch (c.primitive) {
      case TPrimitive::FillSolid:
        glyph::FillSolid(*destination, coverage, 1, 1, c.colour);
        break;
      case TPrimitive::BlendOver:
        glyph::BlendOverColour(*destination, coverage, 1, 1, c.outer, c.colour);
        break;
      case TPrimitive::BlendWithMask:
        glyph::BlendWithMask(*destination, *mask, coverage, 1, 1, c.colour);
        break;
      case TPrimitive::MarkMask:
        glyph::MarkMask(*destination, *mask, coverage, 1, 1);
        break;
      case TPrimitive::MaxMask:
        glyph::MaxMask(*destination, *mask, coverage, 1, 1);
        break;
    }
    EXPECT_EQ(destination->GetPixel(1, 1), c.expected_d);
    EXPECT_EQ(mask->GetPixel(1, 1), c.expected_m);
    EXPECT_EQ(destination->GetPixel(0, 0), c.d);  // only the glyph's own pixel
  }
}

TEST(GlyphPrimitives, StampOutlineClipsTheGlyphBoxThenSkipsTargets) {
  struct TCase {
    const char* name;
    TRect clip;
    int32_t x, y;
    std::vector<uint32_t> expected;  // 5 x 5 destination, 1 = outline colour
  };
  const TCase cases[] = {
      {"inside", {0, 0, 5, 5}, 2, 2, {0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 1, 0, 1, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0}},
      {"targets cut", {2, 2, 5, 5}, 2, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0}},
      {"glyph outside", {2, 2, 5, 5}, 1, 1, std::vector<uint32_t>(25, 0)},
      {"at the edge", {0, 0, 5, 5}, 0, 0, {0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto destination = test::FilledSurface(32, 5, 5, 0);
    auto mask = test::FilledSurface(8, 5, 5, 0);
    destination->SetClipRect(c.clip);
    TDIBX coverage;
    coverage.SetSize(1, 1, 8);
    coverage.SetPixel(0, 0, 255);
    glyph::StampOutline(*destination, *mask, coverage, 1, 1, c.x, c.y);
    EXPECT_EQ(test::Pixels(*destination), c.expected);
    std::vector<uint32_t> mask_expected;
    for (uint32_t v : c.expected) mask_expected.push_back(v ? 255 : 0);
    EXPECT_EQ(test::Pixels(*mask), mask_expected);
  }
}

constexpr uint32_t kText = 0x0000FF, kOutline = 0x00FF00, kShadow = 0xFF0000;

struct TDrawCase {
  const char* name;
  std::vector<uint8_t> rows;  // 2 x 2 coverage
  int32_t underline = 0, strike_pos = 0, strike_size = 0;
  TRect cell;
  TGlyphPaint paint;
  TRect clip;
  TRect answer;
  // Pixels to check: x, y, destination, mask.
  std::vector<std::array<uint32_t, 4>> pixels;
};

TGlyphPaint Paint(int32_t outline, int32_t shadow, TRunEdge edge = TRunEdge::Middle, TGlyphBox box = TGlyphBox::Blend) {
  return {outline, shadow, edge, kText, kOutline, kShadow, box};
}

TEST(DrawGlyph, EveryBranchDrawsItsPixelsAndAnswersItsBox) {
  const std::vector<uint8_t> full = {255, 255, 255, 255};
  const std::vector<uint8_t> holed = {255, 0, 128, 255};
  const TDrawCase cases[] = {
      {"plain",
       holed,
       0,
       0,
       0,
       {0, 0, 4, 8},
       Paint(0, 0),
       {0, 0, 12, 12},
       {1, 2, 3, 4},
       {{1, 2, kText, 255}, {2, 2, 0, 0}, {1, 3, kText, 128}, {0, 0, 0, 0}}},
      {"box",
       holed,
       0,
       0,
       0,
       {0, 0, 4, 8},
       Paint(0, 0, TRunEdge::Middle, TGlyphBox::Box),
       {0, 0, 12, 12},
       {1, 2, 3, 4},
       {{2, 2, kText, 0}, {1, 3, kText, 128}}},
      {"outline",
       full,
       0,
       0,
       0,
       {0, 0, 4, 8},
       Paint(1, 0),
       {0, 0, 12, 12},
       {1, 2, 5, 6},
       {{2, 3, kText, 255}, {3, 4, kText, 255}, {1, 2, kOutline, 255}, {4, 5, kOutline, 255}, {5, 5, 0, 0}}},
      {"shadow",
       full,
       0,
       0,
       0,
       {0, 0, 4, 8},
       Paint(0, 2),
       {0, 0, 12, 12},
       {1, 2, 5, 6},
       {{1, 2, kText, 255}, {2, 3, kText, 255}, {3, 4, kShadow, 255}, {4, 5, kShadow, 255}, {3, 3, 0, 0}}},
      {"outline and shadow",
       full,
       0,
       0,
       0,
       {0, 0, 4, 8},
       Paint(1, 2),
       {0, 0, 12, 12},
       {1, 2, 7, 8},
       {{2, 3, kText, 255}, {4, 5, kOutline, 255}, {5, 6, kShadow, 255}, {6, 7, kShadow, 255}, {0, 0, 0, 0}}},
      {"box clears the mask under outline",
       full,
       0,
       0,
       0,
       {0, 0, 4, 8},
       Paint(1, 0, TRunEdge::Middle, TGlyphBox::Box),
       {0, 0, 12, 12},
       {1, 2, 5, 6},
       {{2, 3, kText, 255}, {1, 2, kOutline, 255}}},
      {"underline changes only the mask",
       full,
       2,
       0,
       0,
       {0, 0, 4, 8},
       Paint(0, 0),
       {0, 0, 12, 12},
       {0, 2, 4, 8},
       {{0, 6, 0, 255}, {3, 7, 0, 255}, {0, 5, 0, 0}}},
      {"strike-out changes only the mask",
       full,
       0,
       4,
       1,
       {0, 0, 4, 8},
       Paint(0, 0),
       {0, 0, 12, 12},
       {0, 2, 4, 5},
       {{0, 4, 0, 255}, {1, 3, kText, 255}, {0, 5, 0, 0}}},
      {"underline of a whole run",
       full,
       1,
       0,
       0,
       {0, 0, 4, 12},
       Paint(1, 2, TRunEdge::Alone),
       {0, 0, 12, 12},
       {0, 2, 7, 12},
       {{0, 8, kText, 255},
        {1, 8, kText, 255},
        {2, 8, 0, 0},
        {0, 7, kOutline, 255},
        {0, 9, kOutline, 255},
        {2, 9, kShadow, 255},
        {3, 11, kShadow, 255},
        {0, 10, 0, 0}}},
      {"underline inside a run",
       full,
       1,
       0,
       0,
       {0, 0, 4, 12},
       Paint(1, 2),
       {0, 0, 12, 12},
       {0, 2, 7, 12},
       {{3, 8, kText, 255}, {0, 9, kOutline, 255}, {0, 10, kShadow, 255}}},
      {"strike-out at a run end",
       full,
       0,
       4,
       1,
       {0, 0, 4, 12},
       Paint(1, 2, TRunEdge::End),
       {0, 0, 12, 12},
       {0, 2, 7, 9},
       {{0, 5, kText, 255},
        {1, 5, kText, 255},
        {0, 4, kOutline, 255},
        {0, 6, kOutline, 255},
        {0, 7, kShadow, 255},
        {0, 8, kShadow, 255}}},
      {"clip",
       full,
       0,
       0,
       0,
       {0, 0, 4, 8},
       Paint(0, 0),
       {0, 0, 2, 12},
       {1, 2, 3, 4},
       {{1, 2, kText, 255}, {2, 2, 0, 0}}},
      {"zero-width cell", full, 0, 0, 0, {5, 0, 5, 8}, Paint(0, 0), {0, 0, 12, 12}, {6, 2, 8, 4}, {{6, 2, kText, 255}}},
  };
  for (const TDrawCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto glyph = TFontPixelAccess::Make(2, 2, c.rows, 8, 1, 2, 1);
    TFontPixelAccess::SetBars(*glyph, c.underline, c.strike_pos, c.strike_size);
    auto destination = test::FilledSurface(32, 12, 12, 0);
    auto mask = test::FilledSurface(8, 12, 12, 0);
    destination->SetClipRect(c.clip);
    mask->SetClipRect(c.clip);
    EXPECT_EQ(glyph->DrawGlyph(*destination, *mask, c.cell, c.paint), c.answer);
    for (const auto& [x, y, d, m] : c.pixels) {
      EXPECT_EQ(destination->GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y)), d) << x << "," << y;
      EXPECT_EQ(mask->GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y)), m) << x << "," << y;
    }
  }
}

TEST(DrawGlyph, NarrowGlyphsAreCentredByTheirBearings) {
  struct TCase {
    const char* name;
    int32_t a, b, c;
    int32_t answer_left;
  };
  // Cell 10 wide, size 8: e = 8 - 2 = 6, Left 1.
  const TCase cases[] = {
      {"balanced", 1, 2, 1, 3},             // round(2 * 6 / 4) = 3, minus Left
      {"half rounds to even", 5, 1, 6, 2},  // 5 * 6 / 12 = 2.5 -> 2
      {"zero total takes e div 2", 0, 2, -2, 3},
      {"all zero", 0, 0, 0, 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto glyph = TFontPixelAccess::Make(2, 2, {255, 255, 255, 255}, 8, 1, 2, 1);
    TFontPixelAccess::SetAbc(*glyph, c.a, c.b, c.c);
    auto destination = test::FilledSurface(32, 12, 12, 0);
    auto mask = test::FilledSurface(8, 12, 12, 0);
    TRect answer = glyph->DrawGlyph(*destination, *mask, {0, 0, 10, 8}, Paint(0, 0));
    EXPECT_EQ(answer.left, c.answer_left);
    EXPECT_EQ(destination->GetPixel(c.answer_left, 2), kText);
  }
  // A glyph that fills its cell is not moved.
  auto wide = TFontPixelAccess::Make(2, 2, {255, 255, 255, 255}, 8, 1, 2, 1);
  auto destination = test::FilledSurface(32, 12, 12, 0);
  auto mask = test::FilledSurface(8, 12, 12, 0);
  EXPECT_EQ(wide->DrawGlyph(*destination, *mask, {0, 0, 4, 8}, Paint(0, 0)).left, 1);
}

TEST(DrawGlyph, FifteenAndSixteenBitLayersAndBlankGlyphs) {
  for (int bits : {15, 16}) {
    SCOPED_TRACE(bits);
    auto glyph = TFontPixelAccess::Make(2, 2, {255, 128, 255, 255}, 8, 0, 0, 0);
    auto destination = test::FilledSurface(bits, 6, 6, 0);
    auto mask = test::FilledSurface(8, 6, 6, 0);
    uint32_t white = static_cast<uint32_t>(destination->ColorToPixel(0xFFFFFF));
    uint32_t grey = static_cast<uint32_t>(destination->ColorToPixel(0x808080));
    glyph->DrawGlyph(*destination, *mask, {0, 0, 2, 8}, {1, 0, TRunEdge::Middle, white, grey, 0, TGlyphBox::Blend});
    EXPECT_EQ(destination->GetPixel(1, 1), white);
    EXPECT_EQ(mask->GetPixel(1, 1), 255u);
    // The half-covered pixel blends outline into text inside the channel masks.
    uint32_t half = destination->GetPixel(2, 1);
    EXPECT_NE(half, white);
    EXPECT_NE(half, grey);
    EXPECT_EQ(half & ~(destination->RedMask() | destination->GreenMask() | destination->BlueMask()), 0u);
  }
  auto blank = TFontPixelAccess::Make(0, 0, {}, 8, 0, 0, 4);
  auto destination = test::FilledSurface(32, 4, 4, 0);
  auto mask = test::FilledSurface(8, 4, 4, 0);
  EXPECT_EQ(blank->DrawGlyph(*destination, *mask, {0, 0, 4, 4}, Paint(1, 1)), TRect{});
  EXPECT_EQ(test::Pixels(*mask), std::vector<uint32_t>(16, 0));
}

}  // namespace
}  // namespace orvo

namespace orvo {
namespace {

TEST(DrawGlyph, ScriptSizedOutlinesAreCappedAndStayFinite) {
  auto glyph = TFontPixelAccess::Make(2, 2, {255, 255, 255, 255}, 8, 0, 0, 0);
  auto destination = test::FilledSurface(32, 40, 40, 0);
  auto mask = test::FilledSurface(8, 40, 40, 0);
  TRect answer = glyph->DrawGlyph(*destination, *mask, {-64, -64, -62, -56}, Paint(1 << 30, 0));
  EXPECT_EQ(answer.Width(), 2 * kMaxGlyphOutline + 2);
  // The whole surface lies within the outline of the glyph at its corner.
  EXPECT_EQ(destination->GetPixel(39, 39), kOutline);
}

}  // namespace
}  // namespace orvo
