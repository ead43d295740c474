#include "stage/cg_label.h"

#include <gtest/gtest.h>

#include <vector>

#include "stage/effects_fixture.h"
#include "stage/picture_fixture.h"

namespace orvo::test {
namespace {

using TIndices = std::vector<std::vector<int32_t>>;

TEST(GlyphMapping, CharactersMapToTheirFirstCellByWholeCharacters) {
  struct TCase {
    const char* name;
    std::string text;
    std::string map;
    TIndices expected;
  };
  const std::vector<TCase> cases = {
      {"digits", "2024", "0123456789", {{2, 0, 2, 4}}},
      {"unknown character", "2x4", "0123456789", {{2, -1, 4}}},
      {"first occurrence", "a", "bab a", {{1}}},
      {"line breaks", "12\r\n3\n\r45\r", "12345", {{0, 1}, {2}, {}, {3, 4}}},
      {"empty text", "", "0123", {}},
      // "ソ" is 83 5C: its trail byte is no backslash of its own.
      {"trail byte never matched", "\\", "\x83\x5C", {{-1}}},
      {"two-byte and one-byte", "\\\x83\x5C", "\x83\x5C\\", {{1, 0}}},
      {"two-byte text character", "\x82\xA0", "\xA0\x82\xA0", {{1}}},
      // A lead byte at the end is a character that matches only itself.
      {"lead byte at the end of the map", "\x83", "A\x83", {{1}}},
      {"lead byte at the end of the text", "A\x83", "A\x83", {{0, 1}}},
      {"lead byte with a letter",
       "\x83"
       "A",
       "A\x83",
       {{-1}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MapGlyphLines(c.text, c.map), c.expected);
  }
}

// A sheet of ten 4 x 5 cells in one row; cell i is coloured CellColour(i).
int32_t CellColour(int32_t i) { return 0x102030 + i * 0x0A0B0C; }

class GlyphLabelTest : public PictureTest {
 public:
  GlyphLabelTest() {
    stage_.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(0));
    TTestFrame sheet;
    sheet.width = 40;
    sheet.height = 5;
    sheet.colour = [](int32_t x, int32_t) { return CellColour(x / 4); };
    files_.files["digits.dov"] = DovaBytes({sheet});
  }

  TOrvoCGLabel* MakeLabel(const std::string& text, int32_t alpha = 255, int32_t align = 0) {
    auto* label = static_cast<TOrvoCGLabel*>(Make(kcCGLabel, "score"));
    Set(*label, PR_SOURCE, TPropValue::Str("digits.dov"));
    Set(*label, PR_MAPTEXT, TPropValue::Str("0123456789"));
    Set(*label, PR_GLYPHWIDTH, TPropValue::Int(4));
    Set(*label, PR_GLYPHHEIGHT, TPropValue::Int(5));
    Set(*label, PR_ALPHA, TPropValue::Int(alpha));
    Set(*label, PR_HALIGN, TPropValue::Int(align));
    Set(*label, PR_TEXT, TPropValue::Str(text));
    Set(*label, PR_LEFT, TPropValue::Int(2));
    Set(*label, PR_TOP, TPropValue::Int(3));
    return label;
  }
  // The colour of each 4-pixel cell of a row, from x = 2 on; -1 for black.
  std::vector<int32_t> Cells(int32_t y, int32_t count) {
    std::vector<int32_t> colours;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t colour = Pixel(2 + i * 4 + 1, y);
      colours.push_back(colour == 0 ? -1 : colour);
    }
    return colours;
  }
};

TEST_F(GlyphLabelTest, EachCharacterDrawsItsCell) {
  struct TCase {
    const char* name;
    std::string text;
    int32_t align;
    int32_t width, height;
    std::vector<std::vector<int32_t>> rows;  // cell colours of the first row of each line
  };
  const int32_t c0 = CellColour(0), c1 = CellColour(1), c2 = CellColour(2), c3 = CellColour(3), c4 = CellColour(4),
                c5 = CellColour(5);
  const std::vector<TCase> cases = {
      {"2024", "2024", 0, 16, 5, {{c2, c0, c2, c4, -1}}},
      {"gap", "2x4", 0, 12, 5, {{c2, -1, c4, -1}}},
      {"centred lines", "123\n12345", 1, 20, 10, {{-1, c1, c2, c3, -1}, {c1, c2, c3, c4, c5}}},
      {"right-aligned lines", "12\n1234", 2, 16, 10, {{-1, -1, c1, c2}, {c1, c2, c3, c4}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoCGLabel* label = MakeLabel(c.text, 255, c.align);
    EXPECT_EQ(label->Width(), c.width);
    EXPECT_EQ(label->Height(), c.height);
    for (size_t line = 0; line < c.rows.size(); ++line) {
      EXPECT_EQ(Cells(3 + static_cast<int32_t>(line) * 5, static_cast<int32_t>(c.rows[line].size())), c.rows[line])
          << line;
    }
    stage_.DeleteObject(*label);
  }
}

TEST_F(GlyphLabelTest, CentringOfTwoLinesOfThreeAndFive) {
  TOrvoCGLabel* label = MakeLabel("123\n12345", 255, 1);
  Set(*label, PR_GLYPHWIDTH, TPropValue::Int(3));
  // (5 - 3) x 3 div 2 = 3 pixels: the first cell starts at x = 5 and shows
  // sheet columns 3 to 5 (cells are now 3 pixels wide).
  EXPECT_EQ(Pixel(4, 3), 0);
  EXPECT_EQ(Pixel(5, 3), CellColour(0));
  EXPECT_EQ(Pixel(6, 3), CellColour(1));
}

TEST_F(GlyphLabelTest, OpacityBlendsAddsOrHidesTheLettersButNotTheChildren) {
  TOrvoCGLabel* label = MakeLabel("1");
  TOrvoControl* child = Make(kcBox, "child", label);
  child->SetBoundsRect(0, 0, 1, 1);
  Set(*child, PR_COLOR, TPropValue::Int(0xFFFFFF));
  struct TCase {
    int32_t alpha;
    int32_t colour;  // of the cell's pixel right of the child
  };
  auto channel_scale = [](int32_t colour, int32_t weight) {
    int32_t out = 0;
    for (int shift : {0, 8, 16}) out |= (((colour >> shift) & 0xFF) * weight / 256) << shift;
    return out;
  };
  const std::vector<TCase> cases = {
      {255, CellColour(1)},
      {0, 0},
      {300, channel_scale(CellColour(1), 44)},
      {128, channel_scale(CellColour(1), 128)},
      {512, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.alpha);
    Set(*label, PR_ALPHA, TPropValue::Int(c.alpha));
    EXPECT_EQ(Pixel(3, 4), c.colour);
    EXPECT_EQ(Pixel(2, 3), 0xFFFFFF);
  }
}

TEST_F(GlyphLabelTest, SizeFollowsTextCellsAndLineSpaceButNotTheMap) {
  TOrvoCGLabel* label = MakeLabel("12\n345");
  EXPECT_EQ(label->Width(), 12);
  EXPECT_EQ(label->Height(), 10);
  Set(*label, PR_LINESPACE, TPropValue::Int(3));
  EXPECT_EQ(label->Height(), 13);
  Set(*label, PR_MAPTEXT, TPropValue::Str("5"));
  EXPECT_EQ(label->Width(), 12);
  EXPECT_EQ(label->Lines(), (TIndices{{-1, -1}, {-1, -1, 0}}));
  Set(*label, PR_GLYPHWIDTH, TPropValue::Int(0));
  EXPECT_EQ(label->GetInt(PR_GLYPHWIDTH), 1);
  EXPECT_EQ(label->Width(), 3);
  Set(*label, PR_GLYPHHEIGHT, TPropValue::Int(-4));
  EXPECT_EQ(label->GetInt(PR_GLYPHHEIGHT), 1);
  Set(*label, PR_TEXT, TPropValue::Str(""));
  EXPECT_EQ(label->Width(), 0);
  EXPECT_EQ(label->Height(), 0);
  EXPECT_EQ(label->GetInt(PR_ORIGWIDTH), 40);
  EXPECT_EQ(label->GetInt(PR_ORIGHEIGHT), 5);
  Set(*label, PR_SOURCE, TPropValue::Str(""));
  EXPECT_EQ(label->GetInt(PR_ORIGWIDTH), 0);
}

TEST_F(GlyphLabelTest, AnAnimatedSheetAnimatesEveryLetter) {
  TTestFrame red = Plain(4, 5, 0x0000FF), green = Plain(4, 5, 0x00FF00);
  red.delay = 100;
  green.delay = 100;
  files_.files["blink.dov"] = DovaBytes({red, green});
  TOrvoCGLabel* label = MakeLabel("00");
  Set(*label, PR_SOURCE, TPropValue::Str("blink.dov"));
  EXPECT_EQ(Cells(3, 2), (std::vector<int32_t>{0x0000FF, 0x0000FF}));
  for (int i = 0; i < 7; ++i) Frame(15);
  EXPECT_EQ(Cells(3, 2), (std::vector<int32_t>{0x00FF00, 0x00FF00}));
  Set(*label, PR_ANIPAUSED, TPropValue::Bool(true));
  for (int i = 0; i < 7; ++i) Frame(15);
  EXPECT_EQ(Cells(3, 2), (std::vector<int32_t>{0x00FF00, 0x00FF00}));
}

TEST_F(GlyphLabelTest, RecordsRoundTripAndOldLayoutsLoad) {
  TOrvoCGLabel* label = MakeLabel("12\n3", 300, 2);
  Set(*label, PR_LINESPACE, TPropValue::Int(2));
  Set(*label, PR_ONIDLE, TPropValue::Str("idle"));
  const std::string record = RecordOf(*label);
  auto* again = static_cast<TOrvoCGLabel*>(stage_.CreateByKind(kcCGLabel));
  ReadRecord(*again, record, 201);
  EXPECT_EQ(RecordOf(*again), record);
  EXPECT_EQ(again->Lines(), label->Lines());

  struct TCase {
    int32_t version;
    std::string tail;
    std::string idle;
  };
  const std::string fields = StringBytes("digits.dov") + StringBytes("2024") + StringBytes("0123456789") +
                             Int32Bytes(0) + Int32Bytes(5) + Int32Bytes(1) + '\0' + '\x01' + Int32Bytes(255);
  for (const TCase& c : std::vector<TCase>{{124, "", ""}, {125, StringBytes("on"), "on"}}) {
    SCOPED_TRACE(c.version);
    auto* old = static_cast<TOrvoCGLabel*>(stage_.CreateByKind(kcCGLabel));
    ReadRecord(*old, OldControlRecord(c.version, "old", 0, 0, 0, 0) + fields + c.tail, c.version);
    EXPECT_EQ(old->GlyphWidth(), 1);  // 0 in the save
    EXPECT_EQ(old->Width(), 4);
    EXPECT_EQ(old->Height(), 5);
    EXPECT_EQ(old->Lines(), (TIndices{{2, 0, 2, 4}}));
    EXPECT_EQ(old->GetStr(PR_ONIDLE), c.idle);
  }
}

}  // namespace
}  // namespace orvo::test
