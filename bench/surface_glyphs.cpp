// A page of text: 1,000 characters cycling through 200 cached 24 px
// "ＭＳ ゴシック" glyphs drawn into a 32-bit layer and its mask, plain and with
// outline 1 and shadow 2; 1,000 cache hits; and, for scale, FreeType loading
// and rendering the same 1,000 characters.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "base/cp932.h"
#include "platform/system_fonts.h"
#include "surface/font_pixel_manager.h"

namespace {

using namespace orvo;

constexpr int32_t kSize = 24;
constexpr int kCharacters = 1000;
constexpr int kColumns = 40;

// 200 codes: hiragana, katakana and the first kanji.
std::vector<uint16_t> PageCodes() {
  std::vector<uint16_t> codes;
  for (uint16_t c = 0x829F; c <= 0x82F1; ++c) codes.push_back(c);
  for (uint16_t c = 0x8340; c <= 0x837E; ++c) codes.push_back(c);
  for (uint16_t c = 0x889F; codes.size() < 200; ++c) codes.push_back(c);
  return codes;
}

struct TPage {
  std::unique_ptr<ISystemFonts> system = CreateSystemFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager glyphs{system.get(), pixel_fonts};
  std::string face = Utf8ToCp932("ＭＳ ゴシック");
  std::vector<uint16_t> codes = PageCodes();
  std::vector<std::shared_ptr<const TFontPixel>> cached;
  TDIBX layer, mask;

  TPage() {
    for (uint16_t code : codes) cached.push_back(glyphs.GetGlyph(code, face, 0, kSize));
    int32_t cell = kSize + 4;
    layer.SetSize(kColumns * cell, (kCharacters / kColumns) * cell, 32);
    mask.SetSize(layer.Width(), layer.Height(), 8);
  }

  void Draw(const TGlyphPaint& paint) {
    int32_t cell = kSize + 2 * paint.outline + paint.shadow;
    for (int i = 0; i < kCharacters; ++i) {
      const TFontPixel& glyph = *cached[static_cast<size_t>(i) % cached.size()];
      int32_t x = (i % kColumns) * cell, y = (i / kColumns) * cell;
      TRect answer = glyph.DrawGlyph(layer, mask, {x, y, x + cell, y + cell}, paint);
      benchmark::DoNotOptimize(answer);
    }
  }
};

TPage& Page() {
  static TPage page;
  return page;
}

void BM_GlyphPageDraw(benchmark::State& state) {
  TPage& page = Page();
  TGlyphPaint paint{0, 0, TRunEdge::Middle, 0xFFFFFF, 0x808080, 0, TGlyphBox::Blend};
  for (auto _ : state) page.Draw(paint);
  state.SetItemsProcessed(state.iterations() * kCharacters);
}
BENCHMARK(BM_GlyphPageDraw)->Unit(benchmark::kMicrosecond);

void BM_GlyphPageDrawOutline(benchmark::State& state) {
  TPage& page = Page();
  TGlyphPaint paint{1, 2, TRunEdge::Middle, 0xFFFFFF, 0x808080, 0, TGlyphBox::Blend};
  for (auto _ : state) page.Draw(paint);
  state.SetItemsProcessed(state.iterations() * kCharacters);
}
BENCHMARK(BM_GlyphPageDrawOutline)->Unit(benchmark::kMicrosecond);

void BM_GlyphCacheHit(benchmark::State& state) {
  TPage& page = Page();
  for (auto _ : state) {
    for (int i = 0; i < kCharacters; ++i) {
      auto glyph = page.glyphs.GetGlyph(page.codes[static_cast<size_t>(i) % page.codes.size()], page.face, 0, kSize);
      benchmark::DoNotOptimize(glyph.get());
    }
  }
  state.SetItemsProcessed(state.iterations() * kCharacters);
}
BENCHMARK(BM_GlyphCacheHit)->Unit(benchmark::kMicrosecond);

void BM_FreeTypeRenderPage(benchmark::State& state) {
  TPage& page = Page();
  const TInstalledFont* font = page.glyphs.FindFont(page.face);
  if (!font) {
    state.SkipWithError("no installed default face");
    return;
  }
  std::vector<char32_t> characters;
  for (uint16_t code : page.codes) characters.push_back(UnicodeOfCode(code));
  TSystemFontRequest request{font->face, kSize, 0};
  TSystemGlyph glyph;
  for (auto _ : state) {
    for (int i = 0; i < kCharacters; ++i) {
      page.system->RenderGlyph(request, characters[static_cast<size_t>(i) % characters.size()], TGlyphDepth::Levels65,
                               glyph);
      benchmark::DoNotOptimize(glyph.pixels.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kCharacters);
}
BENCHMARK(BM_FreeTypeRenderPage)->Unit(benchmark::kMicrosecond);

}  // namespace
