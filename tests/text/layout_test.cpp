#include <gtest/gtest.h>

#include <map>

#include "base/cp932.h"
#include "text/kw_word.h"
#include "text/layout_dump.h"
#include "text_fixture.h"

namespace orvo::test {
namespace {

class TFixedPictures : public ITextPictures {
 public:
  bool PictureSize(std::string_view source, int32_t& width, int32_t& height) override {
    auto it = sizes.find(std::string(source));
    if (it == sizes.end()) return false;
    width = it->second.first;
    height = it->second.second;
    return true;
  }
  std::map<std::string, std::pair<int32_t, int32_t>> sizes{{"p", {20, 40}}, {"flat", {20, 0}}, {"s", {12, 12}}};
};

struct TLayoutSetup {
  int32_t width = 48;
  int32_t height = 100;
  bool paging = true;
  int32_t line_spacing = 0;
};

// Pages split by " || ", rows by " | "; a row is "Y:" and its children's
// text, with '#' for pictures, '/' for line breaks, '{' for blocks, '>' and
// '<' for indentation and '_' for the indentation filler.
std::string ShortLayout(const std::vector<std::unique_ptr<TWdPage>>& pages) {
  std::string out;
  for (const auto& page : pages) {
    if (!out.empty()) out += " || ";
    for (int32_t r = 0; r < page->ChildCount(); ++r) {
      const TWdRow& row = *page->Row(r);
      if (r) out += " | ";
      out += std::to_string(row.y) + ":";
      for (int32_t c = 0; c < row.ChildCount(); ++c) {
        const TWdGlyph& child = *row.Child(c);
        switch (child.Kind()) {
          case TGlyphKind::Char:
          case TGlyphKind::VarChar:
            out += Cp932ToUtf8(child.Text());
            break;
          case TGlyphKind::Img:
            out += "#";
            break;
          case TGlyphKind::Return:
          case TGlyphKind::VarReturn:
            out += "/";
            break;
          case TGlyphKind::Div:
            out += "{";
            break;
          case TGlyphKind::Indent:
            out += ">";
            break;
          case TGlyphKind::Undent:
            out += "<";
            break;
          case TGlyphKind::Space:
            out += "_";
            break;
          default:
            out += "?";
            break;
        }
      }
    }
  }
  return out;
}

std::vector<std::unique_ptr<TWdPage>> LayOut(TKwWord& document, std::string_view markup, const TLayoutSetup& setup,
                                             TFixedPictures& pictures) {
  Build(document, markup);
  document.pictures = &pictures;
  document.layout_width = setup.width;
  document.layout_height = setup.height;
  document.paging = setup.paging;
  document.line_spacing = setup.line_spacing;
  std::vector<std::unique_ptr<TWdPage>> pages;
  document.Layout(pages, 0, "mes", -1);
  return pages;
}

TEST(LayoutTest, BreaksRowsAndPages) {
  struct TCase {
    const char* name;
    const char* markup;
    TLayoutSetup setup;
    const char* expected;
  };
  const TCase cases[] = {
      {"opening bracket stays with the next character", "あいう「あ", {}, "0:あいう | 12:「あ"},
      {"full stop never starts a row", "あいうあ。", {}, "0:あいう | 12:あ。"},
      {"half-width stop never starts a row", "あいうあ｡", {}, "0:あいう | 12:あ｡"},
      {"single-byte words wrap at spaces", "abc def", {.width = 60}, "0:abc  | 12:def"},
      {"a word wider than the row overflows alone", "abcdefg hi", {.width = 36}, "0:abcdefg  | 12:hi"},
      {"a picture breaks on either side", "あ<IMG SRC=s>い", {.width = 12}, "0:あ | 12:# | 24:い"},
      {"a missing picture takes no room", "あ<IMG SRC=none>い", {.width = 24}, "0:あ#い"},
      {"no-break runs stay whole", "ああ<NOBR>いう</NOBR>", {.width = 36}, "0:ああ | 12:いう"},
      {"ruby groups stay whole", "ああ<RUBY VALUE=x>いう</RUBY>", {.width = 36}, "0:ああ | 12:いう"},
      {"hidden glyphs take no room", "あ<IF TARGET=other>いいい</IF>う", {.width = 24}, "0:あう"},
      {"glyphs shown to this window stay", "あ<IF TARGET=MES>い</IF>う", {.width = 48}, "0:あいう"},
      {"a hidden glyph ends a word", "ab<IF TARGET=x>cd</IF>ef", {.width = 36}, "0:ab | 12:ef"},
      {"a hidden glyph ends a no-break run", "<NOBR>あ<IF TARGET=x>い</IF>う</NOBR>", {.width = 12}, "0:あ | 12:う"},
      {"a line break ends the row", "あ<BR>い", {}, "0:あ/ | 12:い"},
      {"an empty row is one space high", "あ<BR><BR>い", {}, "0:あ/ | 12:/ | 24:い"},
      {"line spacing", "あ<BR>い", {.line_spacing = 5}, "0:あ/ | 17:い"},
      {"CLEAR starts a page and ends indentation",
       "ab<INDENT>cd ef<BR CLEAR>gh",
       {.width = 60},
       "0:ab>cd  | 12:_ef/ || 0:gh"},
      {"rows that do not fit start a page", "あ<BR>い<BR>う", {.height = 24}, "0:あ/ | 12:い/ || 0:う"},
      {"a row taller than the page stays alone", "<FONT SIZE=30>あ</FONT><BR>い", {.height = 20}, "0:あ/ || 0:い"},
      {"paging off keeps one page", "あ<BR>い<BR>う", {.height = 12, .paging = false}, "0:あ/ | 12:い/ | 24:う"},
      {"width 0 never wraps", "abc def ghi あいう", {.width = 0}, "0:abc def ghi あいう"},
      {"a block after text ends the row", "ab<DIV ALIGN=RIGHT>cd", {.width = 100}, "0:ab | 12:{cd"},
      {"a block at the row start stays", "<DIV ALIGN=CENTER>ab", {.width = 100}, "0:{ab"},
      {"indentation fills the following rows",
       "ab<INDENT>cd ef gh<UNDENT> ij kl",
       {.width = 72},
       "0:ab>cd  | 12:_ef  | 24:_gh<  | 36:ij kl"},
      // Indentation plus a word wider than the row: the row holding only
      // its filler takes the word instead of ending again and again.
      {"indentation wider than the room left", "abcd<INDENT>efgh ij", {.width = 48}, "0:abcd> | 12:_efgh  | 24:_ij"},
      // A row moved to the next page is laid out again from the indentation
      // it started with, not with its own indent pushed twice.
      {"a moved row keeps its indentation",
       "ab<BR>cd<BR><IMG SRC=flat><INDENT>ef<BR>g",
       {.height = 24},
       "0:ab/ | 12:cd/ || 0:#>ef/ | 12:_g"},
      {"no-height rows share their y", "<DIV NoHeight>ab<BR>cd<DIV>ef", {.width = 100}, "0:{ab/ | 0:cd | 0:{ef"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TKwWord document;
    TFixedPictures pictures;
    auto pages = LayOut(document, c.markup, c.setup, pictures);
    EXPECT_EQ(ShortLayout(pages), c.expected);
  }
}

// Child boxes in page coordinates: "KIND x,y wxh", with the row heights.
std::string Boxes(const std::vector<std::unique_ptr<TWdPage>>& pages) {
  std::string out;
  for (const auto& page : pages) {
    for (int32_t r = 0; r < page->ChildCount(); ++r) {
      const TWdRow& row = *page->Row(r);
      out += "row " + std::to_string(row.height) + " " + std::to_string(row.width) + ":";
      for (int32_t c = 0; c < row.ChildCount(); ++c) {
        const TWdGlyph& child = *row.Child(c);
        out += std::string(" ") + GlyphKindName(child) + " " + std::to_string(child.x) + "," +
               std::to_string(row.y + child.y) + " " + std::to_string(child.width) + "x" + std::to_string(child.height);
      }
      out += "; ";
    }
  }
  return out;
}

TEST(LayoutTest, SizesAndPlacesChildren) {
  struct TCase {
    const char* name;
    const char* markup;
    int32_t width;
    const char* expected;
  };
  const TCase cases[] = {
      {"centred picture sticks out equally", "<FONT SIZE=24>あ</FONT><IMG SRC=p ALIGN=CENTER>", 100,
       "row 40 44: char 0,8 24x24 img 24,0 20x40; "},
      {"top picture hangs down", "<FONT SIZE=24>あ</FONT><IMG SRC=p ALIGN=TOP>", 100,
       "row 40 44: char 0,0 24x24 img 24,0 20x40; "},
      {"bottom picture reaches up", "<FONT SIZE=24>あ</FONT><IMG SRC=p>", 100,
       "row 40 44: char 0,16 24x24 img 24,0 20x40; "},
      {"margins widen the picture", "<IMG SRC=p ALIGN=TOP MgnLeft=1 MgnRight=2 MgnTop=3 MgnBottom=4>", 100,
       "row 47 23: img 0,0 23x47; "},
      {"mixed sizes share the bottom line", "<FONT SIZE=24>あ</FONT>い", 100,
       "row 24 36: char 0,0 24x24 char 24,12 12x12; "},
      {"italic widens by a fifth", "<I>あ</I>", 100, "row 12 14: char 0,0 14x12; "},
      {"outline on both sides", "<FONT BORDER=2>あ</FONT>", 100, "row 16 16: char 0,0 16x16; "},
      {"shadow on one side", "<FONT SHADOW=3>あ</FONT>", 100, "row 15 15: char 0,0 15x15; "},
      {"ruby band above", "<RUBY VALUE=a>あ</RUBY>", 100, "row 18 12: char 0,0 12x18; "},
      {"right alignment", "<DIV ALIGN=RIGHT>ab", 100, "row 12 100: div 76,0 0x0 char 76,0 12x12 char 88,0 12x12; "},
      {"centre alignment within paddings", "<DIV ALIGN=CENTER PadLeft=10 PadRight=30>ab", 100,
       "row 12 52: div 28,0 0x0 char 28,0 12x12 char 40,0 12x12; "},
      {"indentation filler", "ab<INDENT>cd ef", 60,
       "row 12 60: char 0,0 12x12 char 12,0 12x12 indent 24,0 0x0 char 24,0 12x12 char 36,0 12x12 char 48,0 "
       "12x12; row 12 48: space 0,12 24x0 char 24,12 12x12 char 36,12 12x12; "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TKwWord document;
    TFixedPictures pictures;
    auto pages = LayOut(document, c.markup, {.width = c.width}, pictures);
    EXPECT_EQ(Boxes(pages), c.expected);
  }
}

TEST(LayoutTest, BreakTablesAreCp932) {
  // The tables hold the bytes of the game's text, not UTF-8.
  EXPECT_TRUE(MayNotStartRow("\x81\x42"));       // "。"
  EXPECT_TRUE(MayNotStartRow("\xa1"));           // half-width "｡"
  EXPECT_FALSE(MayNotStartRow("\xe3\x80\x82"));  // "。" in UTF-8
  EXPECT_TRUE(MayNotEndRow("\x81\x75"));         // "「"
  EXPECT_FALSE(MayNotEndRow("\x81\x76"));        // "」"
}

TEST(LayoutTest, LaysOutARangeAndFillsTheWidthWhenUnset) {
  TKwWord document;
  TFixedPictures pictures;
  Build(document, "ab<BR>cdef<BR>gh");
  document.layout_width = 0;
  document.layout_height = 100;
  std::vector<std::unique_ptr<TWdPage>> pages;
  // Ordinal 5 is "e": the layout stops after it.
  document.Layout(pages, 3, "mes", 5);
  EXPECT_EQ(ShortLayout(pages), "0:cde");
  EXPECT_EQ(document.layout_width, 36);
  EXPECT_EQ(pages[0]->width, 36);
}

TEST(LayoutTest, MeasuresWithoutFixedAdvanceThroughTheFonts) {
  // Without fonts the measured width falls back to the cell height.
  TKwWord document;
  document.fixed_advance = false;
  EXPECT_EQ(document.MeasureChar(nullptr, 'A', false).width, 12);
}

}  // namespace
}  // namespace orvo::test
