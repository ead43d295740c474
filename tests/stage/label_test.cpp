// Text labels: sizes, the text round trip, alignment, spacing and the
// drawing paths (ink at zoom 1, stretched and mirrored when zoomed).
#include <gtest/gtest.h>

#include "stage/choice_fixture.h"

namespace orvo::test {
namespace {

using LabelTest = ChoiceTest;

TEST_F(LabelTest, SizesFollowTheLinesSpacingAndZoom) {
  struct TRow {
    const char* label;
    const char* text;
    int32_t line_space;
    long double zoom_y;
    int32_t width, height;
    const char* read_back;
  };
  const TRow rows[] = {
      {"a trailing break adds no line", "abc\r\n", 0, 1, 30, 10, "abc"},
      {"the spacing counts after the last line too", "ab\ncd", 4, 1, 20, 28, "ab\r\ncd"},
      {"the zoom rounds the text height", "ab\ncd", 4, 0.5L, 20, 14, "ab\r\ncd"},
      {"the widest line gives the width", "a\rabcd\n", 0, 1, 40, 20, "a\r\nabcd"},
      {"no text, no size", "", 0, 1, 0, 0, ""},
  };
  for (const TRow& row : rows) {
    TOrvoLabel* label = Label("l", "");
    label->SetProperty(PR_LINESPACE, TPropValue::Int(row.line_space));
    label->SetProperty(PR_FLOATZOOMY, TPropValue::Float(row.zoom_y));
    label->SetProperty(PR_TEXT, TPropValue::Str(row.text));
    EXPECT_EQ(label->Width(), row.width) << row.label;
    EXPECT_EQ(label->Height(), row.height) << row.label;
    EXPECT_EQ(label->GetStr(PR_TEXT), row.read_back) << row.label;
    label->Scrap();
    Frame();
  }
}

TEST_F(LabelTest, LinesAlignWithinTheWidestLine) {
  struct TRow {
    int32_t align;
    const char* second_line;
  };
  const TRow rows[] = {
      {0, "########............"},
      {1, ".....########......."},
      {2, "..........########.."},
  };
  for (const TRow& row : rows) {
    TOrvoLabel* label = Label("l", "AB\nA");
    label->SetProperty(PR_LINESPACE, TPropValue::Int(2));
    label->SetProperty(PR_HALIGN, TPropValue::Int(row.align));
    Frame();
    const std::vector<std::string> shown = Rows(0, 0, 20, 24, 0xFFFFFF);
    EXPECT_EQ(shown[0], "########..########..") << row.align;
    EXPECT_EQ(shown[8], "....................") << "spacing below the first line";
    EXPECT_EQ(shown[12], row.second_line) << row.align;
    EXPECT_EQ(shown[20], "....................") << row.align;
    label->Scrap();
    Frame();
  }
}

TEST_F(LabelTest, FlipsMirrorOnlyAZoomedLabel) {
  struct TRow {
    const char* label;
    int32_t zoom_x;
    bool flip;
    const char* row;
  };
  // The pivot of a mirrored label is its last column: at Left 40 an
  // unzoomed one starts 19 pixels further left, a doubled one 39.
  const TRow rows[] = {
      {"unzoomed and unflipped", 256, false, "........................................########................"},
      {"unzoomed labels draw unmirrored", 256, true,
       ".....................########..................................."},
      {"zoomed", 512, false, "........................................################........"},
      {"zoomed and mirrored", 512, true, ".........................################......................."},
  };
  for (const TRow& row : rows) {
    TOrvoLabel* label = Label("l", "A ");
    label->SetProperty(PR_LEFT, TPropValue::Int(40));
    label->SetProperty(PR_ZOOMX, TPropValue::Int(row.zoom_x));
    label->SetProperty(PR_FLIPH, TPropValue::Bool(row.flip));
    Frame();
    EXPECT_EQ(Rows(0, 3, 64, 4, 0xFFFFFF)[0], row.row) << row.label;
    label->Scrap();
    Frame();
  }
}

TEST_F(LabelTest, ATurnedLabelHitsAndCoversItsTurnedRectangle) {
  TOrvoLabel* label = Label("l", "AAAA");
  label->SetProperty(PR_LEFT, TPropValue::Int(50));
  label->SetProperty(PR_TOP, TPropValue::Int(50));
  EXPECT_EQ(label->HitTest(75, 55, kHitHover), label);
  EXPECT_EQ(label->HitTest(55, 75, kHitHover), nullptr);
  // A quarter turn clockwise around the top-left corner.
  label->SetProperty(PR_FLOATANGLE, TPropValue::Float(3.14159265358979323846L / 2));
  EXPECT_EQ(label->HitTest(75, 55, kHitHover), nullptr);
  EXPECT_EQ(label->HitTest(45, 75, kHitHover), label);
  const TRect r = label->ObjectRect();
  EXPECT_LE(r.left, 40);
  EXPECT_GE(r.bottom, 90);
  Frame();
  EXPECT_EQ(Pixel(45, 75), 0xFFFFFF);
  EXPECT_EQ(Pixel(75, 55), 0);
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST_F(LabelTest, TextPastTheSideLimitIsCutNotRefused) {
  struct TRow {
    const char* label;
    size_t letters;
    int32_t width;
  };
  // Letters are 10 wide: 819 fit in 8192 pixels.
  for (const TRow& row : {TRow{"fits", 800, 8000}, TRow{"cut", 5000, 8190}}) {
    TOrvoLabel* label = Label("l", std::string(row.letters, 'A'));
    EXPECT_EQ(label->TextWidth(), row.width) << row.label;
    TOrvoButton* button = Button("b", 0, 0, "");
    button->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
    button->SetProperty(PR_FONTHEIGHT, TPropValue::Int(10));
    button->Caption().SetGlyphs(&glyphs_);
    button->Caption().SetText(0, std::string(row.letters, 'A'));
    button->Caption().Measure();
    EXPECT_EQ(button->Caption().Label(0).Width(), row.width) << row.label;
    label->Scrap();
    button->Scrap();
    Frame();
  }
}

}  // namespace
}  // namespace orvo::test
