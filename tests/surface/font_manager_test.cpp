// The glyph manager over a table-driven system font service and generated
// pixel fonts: sources, metrics, the grey mapping, modes, the cache and the
// installed-font list.
#include <gtest/gtest.h>

#include "font_fixture.h"

namespace orvo {
namespace {

using test::Face;
using test::FontHeader;
using test::GlyphSource;
using test::Sjis;
using test::TTableFonts;
using test::WriteFont;

TSystemGlyph Glyph(int32_t width, int32_t height, int32_t origin_x, int32_t origin_y, int32_t advance,
                   std::vector<uint8_t> levels) {
  return {width, height, origin_x, origin_y, advance, std::move(levels)};
}

std::unique_ptr<TTableFonts> DefaultFonts() {
  auto fonts = std::make_unique<TTableFonts>(std::vector<TSystemFace>{
      Face({"ＭＳ ゴシック"}, kCharsetShiftJis, true), Face({"Sans", "Sans Alias"}, kCharsetAnsi),
      Face({"Mono"}, kCharsetAnsi, true), Face({"ＭＳ Ｐ明朝"}), Face({"Ａ丸"})});
  fonts->glyphs[U'あ'] = Glyph(2, 1, 1, 8, 5, {8, 7});
  fonts->glyphs[U'A'] = Glyph(3, 2, -1, 12, 3, {0, 24, 40, 64, 1, 63});
  return fonts;
}

TEST(GlyphManager, SystemGlyphsMapLevelsAndPlaceTheBox) {
  auto fonts = DefaultFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager manager(fonts.get(), pixel_fonts);
  const std::string gothic = Sjis("ＭＳ ゴシック");
  struct TCase {
    uint16_t code;
    uint8_t style;
    std::vector<uint32_t> coverage;
    int32_t left, top, right_pad, underline, strike_pos, strike_size;
  };
  const TCase cases[] = {
      {0x82A0, 0, {55, 36}, 1, 2, 2, 0, 0, 0},                                           // あ: levels 8 and 7
      {0x41, gsUnderline | gsStrikeOut, {0, 119, 183, 255, 18, 252}, 0, 0, 0, 1, 6, 2},  // A: left clamped
      {0x20, 0, {}, 0, 0, 12, 0, 0, 0},                                                  // blank: the advance
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.code);
    auto glyph = manager.GetGlyph(c.code, gothic, c.style, 24);
    EXPECT_EQ(glyph->Source(), TGlyphSource::System);
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < glyph->Coverage().Height(); ++y) {
      for (int32_t x = 0; x < glyph->Coverage().Width(); ++x) pixels.push_back(glyph->Coverage().GetPixel(x, y));
    }
    EXPECT_EQ(pixels, c.coverage);
    EXPECT_EQ(glyph->Left(), c.left);
    EXPECT_EQ(glyph->Top(), c.top);
    EXPECT_EQ(glyph->RightPad(), c.right_pad);
    EXPECT_EQ(glyph->UnderlineSize(), c.underline);
    EXPECT_EQ(glyph->StrikePos(), c.strike_pos);
    EXPECT_EQ(glyph->StrikeSize(), c.strike_size);
    TGlyphMetrics metrics = manager.GlyphMetrics(c.code, gothic, 24, c.style);
    EXPECT_EQ(metrics.height, 24);
    EXPECT_EQ(metrics.left, c.left);
    EXPECT_EQ(metrics.width, c.coverage.empty() ? c.right_pad : glyph->Coverage().Width());
    EXPECT_EQ(metrics.right_pad, c.coverage.empty() ? 0 : c.right_pad);
  }
}

TEST(GlyphManager, PixelFontGlyphsComeFromTheirRecords) {
  auto fonts = DefaultFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager manager(fonts.get(), pixel_fonts);
  const std::string face = Sjis("ピクセル");
  // Ascent 12, underline 2, strike-out 1 at 5 above the baseline.
  pixel_fonts.AddFontFile(WriteFont(EncodePixelFont(
      FontHeader(face, 16),
      {GlyphSource(0x41, 3, 2, 2, 10, 8), GlyphSource(0x42, 4, 2, -2, 14, 1), GlyphSource(0x20, 0, 0, 0, 0, 5)})));
  struct TCase {
    uint16_t code;
    uint8_t style;
    TGlyphSource source;
    int32_t width, left, top, right_pad, underline, strike_pos, strike_size;
    TGlyphMetrics metrics;
  };
  const TCase cases[] = {
      {0x41, 0, TGlyphSource::PixelFont, 3, 2, 2, 3, 0, 0, 0, {16, 2, 3, 3}},
      {0x41, gsUnderline, TGlyphSource::PixelFont, 3, 2, 2, 3, 2, 0, 0, {16, 2, 3, 3}},
      {0x41, gsStrikeOut, TGlyphSource::PixelFont, 3, 2, 2, 3, 0, 7, 1, {16, 2, 3, 3}},
      {0x42, 0, TGlyphSource::PixelFont, 4, 0, 0, 0, 0, 0, 0, {16, -2, 4, 0}},
      {0x20, 0, TGlyphSource::PixelFont, 0, 0, 12, 5, 0, 0, 0, {16, 0, 0, 5}},
      // Not in the font: the default face draws it.
      {0x82A0, 0, TGlyphSource::System, 2, 1, 2, 2, 0, 0, 0, {16, 1, 2, 2}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << " style " << int{c.style});
    auto glyph = manager.GetGlyph(c.code, face, c.style, 16);
    EXPECT_EQ(glyph->Source(), c.source);
    EXPECT_EQ(glyph->Coverage().Width(), c.width);
    EXPECT_EQ(glyph->Left(), c.left);
    EXPECT_EQ(glyph->Top(), c.top);
    EXPECT_EQ(glyph->RightPad(), c.right_pad);
    EXPECT_EQ(glyph->UnderlineSize(), c.underline);
    EXPECT_EQ(glyph->StrikePos(), c.strike_pos);
    EXPECT_EQ(glyph->StrikeSize(), c.strike_size);
    TGlyphMetrics metrics = manager.GlyphMetrics(c.code, face, 16, c.style);
    EXPECT_EQ(metrics.height, c.metrics.height);
    EXPECT_EQ(metrics.left, c.metrics.left);
    EXPECT_EQ(metrics.width, c.metrics.width);
    EXPECT_EQ(metrics.right_pad, c.metrics.right_pad);
  }
  // A, B, C come from the record: origin x, width, the rest of the advance.
  auto b = manager.GetGlyph(0x42, face, 0, 16);
  EXPECT_EQ(b->AbcA(), -2);
  EXPECT_EQ(b->AbcB(), 4);
  EXPECT_EQ(b->AbcC(), -1);
}

TEST(GlyphManager, ModesAreCachedApartAndFailedSmoothingFallsBackToOneBit) {
  auto fonts = DefaultFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager manager(fonts.get(), pixel_fonts);
  const std::string gothic = Sjis("ＭＳ ゴシック");
  auto smooth = manager.GetGlyph(0x41, gothic, 0, 24);
  manager.SetGlyphMode(kGlyphModeMono);
  auto mono = manager.GetGlyph(0x41, gothic, 0, 24);
  EXPECT_NE(smooth, mono);
  EXPECT_EQ(mono->Mode(), kGlyphModeMono);
  EXPECT_EQ(mono->Coverage().GetPixel(1, 0), 0u);  // level 24 is under the 1-bit threshold of the table
  EXPECT_EQ(mono->Coverage().GetPixel(2, 0), 255u);
  manager.SetGlyphMode(kGlyphModeSmooth);
  EXPECT_EQ(manager.GetGlyph(0x41, gothic, 0, 24), smooth);

  fonts->smooth = false;
  auto fallen = manager.GetGlyph(0x82A0, gothic, 0, 24);
  EXPECT_EQ(manager.GlyphMode(), kGlyphModeMono);
  EXPECT_EQ(fallen->Mode(), kGlyphModeMono);
  EXPECT_EQ(fallen->Coverage().GetPixel(0, 0), 0u);

  // A glyph that cannot be made at all is blank, and measures 16 wide even once cached.
  fonts->fail = true;
  EXPECT_TRUE(manager.GetGlyph(0x42, gothic, 0, 24)->IsBlank());
  EXPECT_EQ(manager.GlyphMetrics(0x42, gothic, 24, 0).width, 16);
}

TEST(GlyphManager, TheCacheKeepsTheRecentAndHoldersKeepTheirGlyphs) {
  auto fonts = DefaultFonts();
  fonts->glyphs[U'x'] = Glyph(2, 2, 0, 2, 3, {64, 32, 16, 8});
  TPixelFontManager pixel_fonts;
  TFontPixelManager manager(fonts.get(), pixel_fonts);
  const std::string gothic = Sjis("ＭＳ ゴシック");
  // 300 glyphs held by a page while the cache turns over.
  std::vector<std::shared_ptr<const TFontPixel>> held;
  for (int32_t size = 1; size <= 300; ++size) held.push_back(manager.GetGlyph('x', gothic, 0, size));
  EXPECT_EQ(manager.CachedCount(), kGlyphCacheLimit);
  for (int32_t size = 1; size <= 300; ++size) {
    const TFontPixel& glyph = *held[static_cast<size_t>(size - 1)];
    ASSERT_EQ(glyph.Size(), size);
    ASSERT_EQ(glyph.Coverage().Width(), 2);
    ASSERT_EQ(glyph.Coverage().GetPixel(0, 0), 255u);
    ASSERT_EQ(glyph.Coverage().GetPixel(1, 1), 55u);
  }
  // Sizes 45 to 300 are cached. Asking for 46 makes it the most recent;
  // rebuilding 44 then pushes out 45, and rebuilding 45 pushes out 47.
  int renders = fonts->renders;
  EXPECT_EQ(manager.GetGlyph('x', gothic, 0, 46), held[45]);
  EXPECT_EQ(fonts->renders, renders);
  EXPECT_NE(manager.GetGlyph('x', gothic, 0, 44), held[43]);
  EXPECT_NE(manager.GetGlyph('x', gothic, 0, 45), held[44]);
  EXPECT_EQ(fonts->renders, renders + 2);
  EXPECT_EQ(manager.GetGlyph('x', gothic, 0, 46), held[45]);
  EXPECT_EQ(manager.GetGlyph('x', gothic, 0, 48), held[47]);
  EXPECT_EQ(fonts->renders, renders + 2);
  EXPECT_NE(manager.GetGlyph('x', gothic, 0, 47), held[46]);
  EXPECT_EQ(manager.CachedCount(), kGlyphCacheLimit);
}

TEST(GlyphManager, InstalledFontsAndTheirList) {
  auto fonts = DefaultFonts();
  TPixelFontManager pixel_fonts;
  pixel_fonts.AddFontFile(WriteFont(EncodePixelFont(FontHeader(Sjis("ピクセル"), 16), {})));
  pixel_fonts.AddFontFile(WriteFont(EncodePixelFont(FontHeader(Sjis("ピクセル"), 20), {})));
  pixel_fonts.AddFontFile(WriteFont(EncodePixelFont(FontHeader("Hidden", 16, 0, false), {})));
  pixel_fonts.AddFontFile(WriteFont(EncodePixelFont(FontHeader("mono", 16), {})));
  auto join = [](const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& name : list) out += name + "|";
    return out;
  };
  {
    TFontPixelManager manager(fonts.get(), pixel_fonts);
    std::vector<std::string> all, fixed;
    manager.ListFonts(all, TFontListing::All);
    manager.ListFonts(fixed, TFontListing::FixedOnly);
    EXPECT_EQ(join(all), Sjis("Mono|Sans|Ａ丸|ＭＳ Ｐ明朝|ＭＳ ゴシック|ピクセル|"));
    EXPECT_EQ(join(fixed), Sjis("Mono|ＭＳ ゴシック|ピクセル|"));
    ASSERT_NE(manager.FindFont("sans alias"), nullptr);
    EXPECT_EQ(manager.FindFont("sans alias")->family, "Sans");
    EXPECT_EQ(manager.GetCharset("SANS"), kCharsetAnsi);
    EXPECT_EQ(manager.GetCharset(Sjis("ＭＳ ゴシック")), kCharsetShiftJis);
    EXPECT_EQ(manager.GetCharset("nothing"), kCharsetDefault);

    manager.UseDefaultFontsOnly();
    std::vector<std::string> kept;
    manager.ListFonts(kept, TFontListing::All);
    // The installed "Mono" is gone, so the pixel font "mono" is listed now.
    EXPECT_EQ(join(kept), Sjis("ＭＳ Ｐ明朝|ＭＳ ゴシック|ピクセル|mono|"));
    EXPECT_EQ(manager.FindFont("Sans"), nullptr);
  }
  TFontPixelManager japanese(fonts.get(), pixel_fonts, TInstalledFilter::JapaneseOnly);
  std::vector<std::string> listed;
  japanese.ListFonts(listed, TFontListing::All);
  EXPECT_EQ(join(listed), Sjis("Ａ丸|ＭＳ Ｐ明朝|ＭＳ ゴシック|ピクセル|mono|"));
}

TEST(GlyphManager, MissingFacesFallBackAndOnlyNoFontAtAllIsAnError) {
  struct TCase {
    const char* name;
    std::vector<TSystemFace> faces;
    int32_t expected_face;  // -1: raises
  };
  const TCase cases[] = {
      {"default face", {Face({"Other"}), Face({"ＭＳ ゴシック"})}, 1},
      {"first installed without the default face", {Face({"Zed"}), Face({"Other"})}, 1},
      {"no scalable font", {}, -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TTableFonts fonts(c.faces);
    TPixelFontManager pixel_fonts;
    TFontPixelManager manager(&fonts, pixel_fonts);
    if (c.expected_face < 0) {
      try {
        manager.GetGlyph(0x41, "Unknown", 0, 16);
        ADD_FAILURE() << "no error";
      } catch (const EOrvoError& error) {
        EXPECT_EQ(error.Message(), Sjis("標準フォントがインストールされていません"));
      }
      EXPECT_EQ(manager.CachedCount(), 0u);
      continue;
    }
    manager.GetGlyph(0x41, "Unknown", 0, 16);
    EXPECT_EQ(fonts.last_face, c.expected_face);
  }
}

}  // namespace
}  // namespace orvo
