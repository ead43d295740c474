// Laying out, rendering and revealing a long Japanese message: the layout of
// 20,000 characters against iconv converting the same bytes, measured widths
// against the fixed advance, and a full 1280 x 720 page of 24-pixel text
// rendered once and then drawn frame by frame while every glyph fades in.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <memory>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "platform/system_fonts.h"
#include "surface/font_pixel_manager.h"
#include "text/kw_word.h"
#include "text/render.h"
#include "text/reveal.h"

namespace orvo {
namespace {

// 20,000 characters (Japanese with some Latin words), a line break after every 400.
const std::string& Text() {
  static const std::string text = [] {
    const std::string japanese = Utf8ToCp932("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。");
    const std::string latin = "a cat with no name ";
    std::string result;
    size_t position = 0;
    for (int count = 0; count < 20000;) {
      if (count % 100 < 80) {
        result.append(japanese, position, 2);
        position = (position + 2) % japanese.size();
      } else {
        result += latin[static_cast<size_t>(count % 100 - 80) % latin.size()];
      }
      ++count;
      if (count % 400 == 0) result += "<BR>";
    }
    return result;
  }();
  return text;
}

struct TFonts {
  std::unique_ptr<ISystemFonts> system = CreateSystemFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager glyphs{system.get(), pixel_fonts};
};

TFonts& Fonts() {
  static TFonts fonts;
  return fonts;
}

void Setup(TKwWord& document, bool fixed_advance) {
  document.BuildFromMarkup({Text()});
  document.fonts = &Fonts().glyphs;
  document.default_face_name = "IPAGothic";
  document.default_font_size = 24;
  document.layout_width = 1280;
  document.layout_height = 720;
  document.fixed_advance = fixed_advance;
}

void BM_LayoutFixedAdvance(benchmark::State& state) {
  TKwWord document;
  Setup(document, true);
  size_t page_count = 0;
  for (auto _ : state) {
    std::vector<std::unique_ptr<TWdPage>> pages;
    document.Layout(pages, 0, "mes", -1);
    page_count = pages.size();
  }
  state.counters["pages"] = static_cast<double>(page_count);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Text().size()));
}
BENCHMARK(BM_LayoutFixedAdvance)->Unit(benchmark::kMicrosecond);

void BM_LayoutMeasured(benchmark::State& state) {
  TKwWord document;
  Setup(document, false);
  std::vector<std::unique_ptr<TWdPage>> warm;
  document.Layout(warm, 0, "mes", -1);  // fills the width cache
  for (auto _ : state) {
    std::vector<std::unique_ptr<TWdPage>> pages;
    document.Layout(pages, 0, "mes", -1);
    benchmark::DoNotOptimize(pages.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Text().size()));
}
BENCHMARK(BM_LayoutMeasured)->Unit(benchmark::kMicrosecond);

void BM_IconvCp932ToUtf8(benchmark::State& state) {
  std::string text = Text();
  iconv_t converter = iconv_open("UTF-8", "CP932");
  std::string out(text.size() * 3, '\0');
  for (auto _ : state) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = text.data();
    size_t in_left = text.size();
    char* output = out.data();
    size_t out_left = out.size();
    iconv(converter, &in, &in_left, &output, &out_left);
    benchmark::DoNotOptimize(out.data());
  }
  iconv_close(converter);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_IconvCp932ToUtf8)->Unit(benchmark::kMicrosecond);

// The first page of the text: 30 rows of 53 characters.
struct TFullPage {
  TKwWord document;
  std::vector<std::unique_ptr<TWdPage>> pages;
  TFullPage() {
    Setup(document, true);
    document.Layout(pages, 0, "mes", -1);
  }
};

void BM_PrepareFullPage(benchmark::State& state) {
  TFullPage full;
  TWdPage& page = *full.pages[0];
  for (auto _ : state) Prepare(page, true);
  state.counters["rows"] = page.ChildCount();
}
BENCHMARK(BM_PrepareFullPage)->Unit(benchmark::kMillisecond);

void BM_RevealFrameEveryGlyphFading(benchmark::State& state) {
  TFullPage full;
  TKwWord& document = full.document;
  TWdPage& page = *full.pages[0];
  Prepare(page, true);
  TDIBX screen;
  screen.SetSize(1280, 720, 32);
  document.target = &screen;
  document.clip_rect = MakeRect(0, 0, 1280, 720);
  document.speed_rate = 0;    // the whole page is revealed at once
  document.fade_time = 4096;  // 16 ms frames raise the opacity by 1
  auto restart = [&] {
    ResetReveal(page);
    SetOpacityAll(page, 0);
    StepReveal(page, 16);  // the skipped frame
    StepReveal(page, 16);  // every glyph starts fading
  };
  restart();
  for (auto _ : state) {
    if (page.revealing.empty()) {
      state.PauseTiming();
      restart();
      state.ResumeTiming();
    }
    StepReveal(page, 16);
    Draw(page);
  }
  state.counters["fading"] = static_cast<double>(page.revealing.size());
}
BENCHMARK(BM_RevealFrameEveryGlyphFading)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
