// Pages drawn through the real fonts (the IPA fonts through the test's
// fontconfig file) and a pixel font, against golden pictures;
// ORVO_UPDATE_GOLDEN=1 rewrites them.
#include "text/render.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/stream.h"
#include "support/test_support.h"
#include "surface/font_pixel_manager.h"
#include "surface/picture_io.h"
#include "surface/pixel_font.h"
#include "text/kw_word.h"
#include "text/page_state.h"
#include "text/reveal.h"
#include "text_fixture.h"

namespace orvo::test {
namespace {

// One picture "pic" of 16 x 16 with four coloured quarters.
class TQuarterPictures : public ITextPictures {
 public:
  TQuarterPictures() {
    picture_.SetSize(16, 16, 32);
    const int32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
    for (int q = 0; q < 4; ++q) {
      int32_t left = (q % 2) * 8, top = (q / 2) * 8;
      picture_.FillRect(MakeRect(left, top, left + 8, top + 8),
                        static_cast<uint32_t>(picture_.ColorToPixel(colours[q])));
    }
  }
  bool PictureSize(std::string_view source, int32_t& width, int32_t& height) override {
    if (source != "pic") return false;
    width = height = 16;
    return true;
  }
  TTextPictureFrame Frame(std::string_view source) override {
    return source == "pic" ? TTextPictureFrame{&picture_, nullptr, false} : TTextPictureFrame{};
  }

 private:
  TDIBX picture_;
};

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("FONTCONFIG_FILE", (TestDataDir() + "/surface/fonts/ipa.conf").c_str(), 1);
    system_ = CreateSystemFonts();
    glyphs_ = std::make_unique<TFontPixelManager>(system_.get(), pixel_fonts_);
    if (!glyphs_->FindFont("IPAGothic")) GTEST_SKIP() << "IPAGothic is not installed";
  }

  // Lays out markup into a width x height window and prepares page 0 opaque.
  TWdPage& Show(std::string_view markup, int32_t width, int32_t height) {
    Build(document_, markup);
    document_.fonts = glyphs_.get();
    document_.pictures = &pictures_;
    document_.default_face_name = "IPAGothic";
    document_.default_font_size = 20;
    document_.layout_width = width;
    document_.layout_height = height;
    document_.Layout(pages_, 0, "mes", -1);
    TWdPage& page = *pages_.at(0);
    Prepare(page, true);
    SetOpacityAll(page, 255);
    return page;
  }

  std::string DrawPng(TWdPage& page) {
    TDIBX canvas;
    canvas.SetSize(document_.layout_width, document_.layout_height, 32);
    canvas.FillRect(MakeRect(0, 0, canvas.Width(), canvas.Height()),
                    static_cast<uint32_t>(canvas.ColorToPixel(0xFFFFFF)));
    document_.target = &canvas;
    document_.clip_rect = MakeRect(0, 0, canvas.Width(), canvas.Height());
    Draw(page);
    document_.target = nullptr;
    return EncodePng(canvas.Store());
  }

  void ExpectGolden(const std::string& name, const std::string& png) {
    std::string path = TestDataDir() + "/text/golden/" + name;
    if (std::getenv("ORVO_UPDATE_GOLDEN")) WriteFile(path, png);
    EXPECT_TRUE(png == ReadFile(path)) << name << " differs from its golden picture";
  }

  std::unique_ptr<ISystemFonts> system_;
  TPixelFontManager pixel_fonts_;
  std::unique_ptr<TFontPixelManager> glyphs_;
  TQuarterPictures pictures_;
  TKwWord document_;
  std::vector<std::unique_ptr<TWdPage>> pages_;
};

constexpr const char* kLinkPage = "go <A HREF=next>there</A> now";

TEST_F(RenderTest, DrawsAPageLikeItsGoldenPicture) {
  TWdPage& page = Show(
      "<FONT COLOR=#C00000>red</FONT> <A HREF=x>link</A> <IMG SRC=pic ALIGN=CENTER><BR>"
      "<RUBY VALUE=かんじ>漢字</RUBY><FONT BORDER=2 BCOLOR=#0000FF COLOR=#FFFFFF>縁</FONT>"
      "<FONT SHADOW=2 SCOLOR=#808080>影</FONT><I>i</I><U>u</U>",
      240, 80);
  ExpectGolden("page-ipagothic.png", DrawPng(page));
}

TEST_F(RenderTest, DrawsAPixelFont) {
  TPixelFontHeader header;
  header.face = "Pix";
  header.size = 16;
  header.ascent = 12;
  header.underline_size = 1;
  header.strike_position = 5;
  header.strike_size = 1;
  header.listed = true;
  std::vector<TPixelGlyphSource> glyphs;
  for (uint16_t code : {uint16_t{'A'}, uint16_t{'B'}}) {
    TPixelGlyphSource glyph{code, 8, 10, 1, 10, 10, {}};
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 8; ++x) glyph.rows.push_back((x + y + code) % 3 == 0 ? 0 : 64);
    }
    glyphs.push_back(glyph);
  }
  std::string path = MakeTempDir("pixel-font") + "/pix.oft";
  WriteFile(path, EncodePixelFont(header, glyphs));
  ASSERT_NE(pixel_fonts_.AddFontFile(path), nullptr);
  TWdPage& page = Show("<FONT NAME=Pix SIZE=16>ABBA</FONT>", 80, 20);
  ExpectGolden("pixel-font.png", DrawPng(page));
}

TEST_F(RenderTest, HoveredAndPressedLinksChangeColour) {
  TWdPage& page = Show(kLinkPage, 200, 24);
  TWdGlyph* first = document_.GlyphAt(3);
  // The pointer over the last letter ("e" at 140) of the run highlights the whole run.
  TrackLink(page, 7 * 20 + 5, 5, nullptr);
  EXPECT_EQ(page.hover_glyph, first);
  EXPECT_EQ(LinkRunText(page), "there");
  EXPECT_FALSE(document_.dirty_rects.empty());
  ExpectGolden("link-hover.png", DrawPng(page));
  TrackLink(page, 7 * 20 + 5, 5, first);
  ExpectGolden("link-pressed.png", DrawPng(page));
  // Leaving the run draws it as before.
  TrackLink(page, -1, -1, nullptr);
  EXPECT_EQ(page.hover_glyph, nullptr);
  EXPECT_EQ(LinkRunText(page), "");
}

TEST_F(RenderTest, LinksForOtherWindowsAreNeitherUnderlinedNorTracked) {
  TWdPage& page = Show("<A HREF=x IfTarget=other>ab</A>", 100, 24);
  TrackLink(page, 5, 5, nullptr);
  EXPECT_EQ(page.hover_glyph, nullptr);
  EXPECT_EQ(TextColorOf(*document_.GlyphAt(0)), document_.default_color);
}

TEST_F(RenderTest, MeasuresWithTheFontsWithoutTheFixedAdvance) {
  document_.fonts = glyphs_.get();
  document_.default_face_name = "IPAGothic";
  document_.default_font_size = 24;
  document_.fixed_advance = false;
  EXPECT_EQ(document_.MeasureChar(nullptr, 0x82A0, false).width, 24);  // "あ"
  EXPECT_EQ(document_.MeasureChar(nullptr, 'A', false).width, 12);
  // A face that is not installed measures with the default face.
  TDecorate other;
  other.face = "NoSuchFace";
  other.size = 24;
  other.border_width = -1;
  other.shadow_width = -1;
  EXPECT_EQ(document_.MeasureChar(&other, 'A', false).width, 12);
  document_.fixed_advance = true;
  EXPECT_EQ(document_.MeasureChar(nullptr, 'A', false).width, 24);
}

TEST_F(RenderTest, HitTestIgnoresCharactersStillFadingIn) {
  TWdPage& page = Show("ab", 100, 24);
  EXPECT_EQ(HitTest(page, 25, 5), document_.GlyphAt(1));
  document_.GlyphAt(1)->SetOpacity(200);
  EXPECT_EQ(HitTest(page, 25, 5), nullptr);
  EXPECT_EQ(HitTest(page, 5, 30), nullptr);  // below the text area
}

TEST_F(RenderTest, WorkSurfacesCoverTheTextAreaNotTheWholePage) {
  // Without paging a long text is one tall page; the surfaces stay window-sized.
  std::string markup;
  for (int i = 0; i < 400; ++i) markup += "abc<BR>";
  document_.paging = false;
  TWdPage& page = Show(markup, 100, 40);
  EXPECT_GT(page.height, 7000);
  EXPECT_EQ(document_.work_a.Width(), 100);
  EXPECT_EQ(document_.work_a.Height(), 40);
  std::string top = DrawPng(page);
  // Scrolled to row 1 the picture shows rows 1 and 2 where rows 0 and 1 were.
  page.scroll_offset = 20;
  std::string scrolled = DrawPng(page);
  EXPECT_NE(top, scrolled);
  page.scroll_offset = 0;
  EXPECT_EQ(DrawPng(page), top);
}

TEST_F(RenderTest, PageStateRoundTrips) {
  TWdPage& page = Show("<WAIT VALUE=0>ab<EVENT VALUE=e>cd<BR>ef", 200, 60);
  SetOpacityAll(page, 0);
  document_.notify_enabled = true;
  document_.fade_time = 300;
  for (int i = 0; i < 3; ++i) StepReveal(page, 15);
  ASSERT_FALSE(page.pending_events.empty());
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  SaveState(page, writer);

  TKwWord copy;
  Build(copy, "<WAIT VALUE=0>ab<EVENT VALUE=e>cd<BR>ef");
  copy.layout_width = 200;
  copy.layout_height = 60;
  std::vector<std::unique_ptr<TWdPage>> pages;
  copy.Layout(pages, 0, "mes", -1);
  stream.SetPosition(0);
  TBinaryReader reader(stream);
  LoadState(*pages[0], reader);
  EXPECT_EQ(reader.Remaining(), 0);
  EXPECT_EQ(pages[0]->row_index, page.row_index);
  EXPECT_EQ(pages[0]->column_index, page.column_index);
  EXPECT_EQ(pages[0]->pending_events, "e");
  // Glyphs that were still fading in come back opaque; unrevealed ones stay transparent.
  EXPECT_EQ(copy.GlyphAt(0)->Opacity(), 255);
  EXPECT_EQ(copy.GlyphAt(3)->Opacity(), 0);
}

TEST(PageStateTest, RejectsRecordsThatEndEarlyAndClampsPositions) {
  TKwWord document;
  Build(document, "ab");
  document.layout_width = 100;
  document.layout_height = 100;
  std::vector<std::unique_ptr<TWdPage>> pages;
  document.Layout(pages, 0, "mes", -1);
  std::string bytes;
  for (int32_t value : {0, -5, -7}) bytes.append(reinterpret_cast<const char*>(&value), 4);
  bytes += '\0';
  bytes.append(4, '\0');
  TMemoryStream stream(bytes);
  TBinaryReader reader(stream);
  EXPECT_THROW(LoadState(*pages[0], reader), EOrvoError);
  EXPECT_EQ(pages[0]->row_index, 0);
  EXPECT_EQ(pages[0]->column_index, 0);
  StepReveal(*pages[0], 15);  // the reveal still works from the clamped position
}

}  // namespace
}  // namespace orvo::test
