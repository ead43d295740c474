// The installed faces through fontconfig and FreeType, under test
// configurations: the default-face aliases, the size rule, grey levels,
// synthetic styles, and a machine without Japanese or without any fonts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "font_fixture.h"

namespace orvo {
namespace {

using test::Sjis;

// Sets FONTCONFIG_FILE for the life of the object.
class TFontConfig {
 public:
  explicit TFontConfig(const std::string& name) {
    const char* old = std::getenv("FONTCONFIG_FILE");
    if (old) old_ = old;
    had_ = old != nullptr;
    std::string path = test::TestDataDir() + "/surface/fonts/" + name;
    // fontconfig quietly falls back to the machine's own configuration when the file is missing.
    if (test::ReadFile(path).empty()) ADD_FAILURE() << "missing " << path;
    ::setenv("FONTCONFIG_FILE", path.c_str(), 1);
  }
  ~TFontConfig() {
    if (had_) {
      ::setenv("FONTCONFIG_FILE", old_.c_str(), 1);
    } else {
      ::unsetenv("FONTCONFIG_FILE");
    }
  }

 private:
  std::string old_;
  bool had_ = false;
};

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

TEST(SystemFaces, DefaultFacesMapToTheIpaFonts) {
  TFontConfig config("ipa.conf");
  auto fonts = CreateSystemFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager manager(fonts.get(), pixel_fonts, TInstalledFilter::JapaneseOnly);
  struct TCase {
    const char* face;
    const char* family;
    const char* file;
    bool fixed;
  };
  const TCase cases[] = {
      {"ＭＳ ゴシック", "ＭＳ ゴシック", "ipag.ttf", true}, {"ＭＳ Ｐゴシック", "ＭＳ Ｐゴシック", "ipagp.ttf", false},
      {"ＭＳ 明朝", "ＭＳ 明朝", "ipam.ttf", true},         {"ＭＳ Ｐ明朝", "ＭＳ Ｐ明朝", "ipamp.ttf", false},
      {"ipagothic", "IPAGothic", "ipag.ttf", true},         {"IPAゴシック", "IPAGothic", "ipag.ttf", true},
      {"IPAPMINCHO", "IPAPMincho", "ipamp.ttf", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.face);
    const TInstalledFont* font = manager.FindFont(Sjis(c.face));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->family, Sjis(c.family));
    EXPECT_EQ(FileName(font->file), c.file);
    EXPECT_EQ(font->fixed_pitch, c.fixed);
    EXPECT_EQ(font->charset, kCharsetShiftJis);
  }
  std::vector<std::string> fixed;
  manager.ListFonts(fixed, TFontListing::FixedOnly);
  EXPECT_EQ(fixed, (std::vector<std::string>{"IPAGothic", "IPAMincho", Sjis("ＭＳ ゴシック"), Sjis("ＭＳ 明朝")}));
}

TEST(SystemFaces, TheSizeIsTheCellHeight) {
  TFontConfig config("ipa.conf");
  auto fonts = CreateSystemFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager manager(fonts.get(), pixel_fonts);
  const std::string gothic = Sjis("ＭＳ ゴシック");
  struct TCase {
    const char* text;
    int32_t size;
    int32_t advance;
  };
  const TCase cases[] = {{"あ", 24, 24}, {"A", 24, 12}, {"漢", 16, 16}, {" ", 24, 12}, {"ｱ", 24, 12}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    uint16_t code = CodesOfText(Sjis(c.text)).at(0);
    auto glyph = manager.GetGlyph(code, gothic, 0, c.size);
    EXPECT_EQ(glyph->Advance(), c.advance);
    EXPECT_LE(glyph->Top() + glyph->Coverage().Height(), c.size);
    TGlyphMetrics metrics = manager.GlyphMetrics(code, gothic, c.size, 0);
    EXPECT_EQ(metrics.left + metrics.width + metrics.right_pad, c.advance);
  }
  TSystemFontMetrics metrics;
  ASSERT_TRUE(manager.SystemMetrics(gothic, 24, 0, metrics));
  EXPECT_EQ(metrics.ascent, 21);
  EXPECT_GE(metrics.underline_size, 1);
  EXPECT_GE(metrics.strike_size, 1);
}

TEST(SystemFaces, LevelsBitsAndSyntheticStyles) {
  TFontConfig config("ipa.conf");
  auto fonts = CreateSystemFonts();
  const auto& faces = fonts->Faces();
  auto gothic =
      std::find_if(faces.begin(), faces.end(), [](const TSystemFace& f) { return f.names[0] == "IPAGothic"; });
  ASSERT_NE(gothic, faces.end());
  TSystemFontRequest request{static_cast<int32_t>(gothic - faces.begin()), 24, 0};
  TSystemGlyph grey, bits, bold, italic;
  ASSERT_TRUE(fonts->RenderGlyph(request, U'あ', TGlyphDepth::Levels65, grey));
  ASSERT_TRUE(fonts->RenderGlyph(request, U'あ', TGlyphDepth::OneBit, bits));
  EXPECT_EQ(*std::max_element(grey.pixels.begin(), grey.pixels.end()), 64);
  EXPECT_TRUE(std::any_of(grey.pixels.begin(), grey.pixels.end(), [](uint8_t v) { return v > 0 && v < 64; }));
  EXPECT_TRUE(std::all_of(bits.pixels.begin(), bits.pixels.end(), [](uint8_t v) { return v <= 1; }));
  request.style = gsBold;
  ASSERT_TRUE(fonts->RenderGlyph(request, U'あ', TGlyphDepth::Levels65, bold));
  request.style = gsItalic;
  ASSERT_TRUE(fonts->RenderGlyph(request, U'あ', TGlyphDepth::Levels65, italic));
  EXPECT_GT(bold.width, grey.width);
  EXPECT_GT(italic.width, grey.width);
  // Sizes no game can mean fail instead of rasterising without bound.
  request.size = 100000;
  EXPECT_FALSE(fonts->RenderGlyph(request, U'あ', TGlyphDepth::Levels65, grey));
}

TEST(SystemFaces, WithoutJapaneseFontsTheDefaultFacesTakeTheBestMatch) {
  TFontConfig config("dejavu.conf");
  auto fonts = CreateSystemFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager all(fonts.get(), pixel_fonts);
  const TInstalledFont* gothic = all.FindFont(Sjis("ＭＳ ゴシック"));
  ASSERT_NE(gothic, nullptr);
  EXPECT_NE(gothic->file.find("DejaVu"), std::string::npos);
  EXPECT_EQ(gothic->charset, kCharsetAnsi);
  EXPECT_EQ(all.GetGlyph(0x41, Sjis("ＭＳ ゴシック"), 0, 20)->Source(), TGlyphSource::System);
  // Under a Japanese locale nothing is listed; drawing still finds no font and says so.
  TFontPixelManager japanese(fonts.get(), pixel_fonts, TInstalledFilter::JapaneseOnly);
  std::vector<std::string> listed;
  japanese.ListFonts(listed, TFontListing::All);
  EXPECT_TRUE(listed.empty());
  EXPECT_THROW(japanese.GetGlyph(0x41, "Any", 0, 20), EOrvoError);
}

TEST(SystemFaces, NoScalableFontMeansNoFaces) {
  TFontConfig config("none.conf");
  auto fonts = CreateSystemFonts();
  EXPECT_TRUE(fonts->Faces().empty());
}

}  // namespace
}  // namespace orvo
