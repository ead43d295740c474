// The message window's two costs: rendering a whole 600 x 400 page of 24 px
// "ＭＳ ゴシック" characters into its work surfaces (compare per character
// with BM_GlyphPageDraw of bench_surface_glyphs), and one frame of update and
// paint while 20 characters fade in (compare with copying the window's
// 32-bit pixels, BM_WindowCopy). The frame is a whole stage frame: update,
// then painting the rectangles that changed.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/cp932.h"
#include "base/runtime_state.h"
#include "platform/system_fonts.h"
#include "stage/message.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"
#include "surface/font_pixel_manager.h"
#include "text/render.h"
#include "text/reveal.h"

namespace {

using namespace orvo;

constexpr int32_t kWidth = 600;
constexpr int32_t kHeight = 400;

std::string PageText() {
  std::string text;
  for (uint16_t c = 0x829F; text.size() < 2 * 600; ++c) {
    if (c > 0x82F1) c = 0x829F;
    text += static_cast<char>(c >> 8);
    text += static_cast<char>(c & 0xFF);
  }
  return text;
}

struct TWindow {
  TRuntimeState state;
  std::unique_ptr<ISystemFonts> system = CreateSystemFonts();
  TPixelFontManager pixel_fonts;
  TFontPixelManager glyphs{system.get(), pixel_fonts};
  TOrvoBaseList stage{state};
  TOrvoMes* message = nullptr;

  TWindow() {
    stage.SetSize(kWidth, kHeight);
    stage.SetGlyphs(&glyphs);
    message = static_cast<TOrvoMes*>(stage.CreateByKind(kcMes));
    message->SetParent(&stage.ActiveScreen());
    message->SetProperty(PR_FONTNAME, TPropValue::Str(Utf8ToCp932("ＭＳ ゴシック")));
    message->SetProperty(PR_FONTHEIGHT, TPropValue::Int(24));
    message->SetProperty(PR_FONTCOLOR, TPropValue::Int(0xFFFFFF));
    message->SetProperty(PR_WIDTH, TPropValue::Int(kWidth));
    message->SetProperty(PR_HEIGHT, TPropValue::Int(kHeight));
    message->SetText(PageText());
  }

  int32_t GlyphsOnPage() const {
    int32_t count = 0;
    TWdPage& page = *message->CurrentPage();
    for (int32_t r = 0; r < page.ChildCount(); ++r) count += page.Row(r)->ChildCount();
    return count;
  }
};

void BM_MessagePrepare(benchmark::State& state) {
  TWindow window;
  TWdPage& page = *window.message->CurrentPage();
  for (auto _ : state) Prepare(page, false);
  state.SetItemsProcessed(state.iterations() * window.GlyphsOnPage());
  state.counters["glyphs"] = window.GlyphsOnPage();
}
BENCHMARK(BM_MessagePrepare)->Unit(benchmark::kMicrosecond);

void BM_MessageFadeFrame(benchmark::State& state) {
  TWindow window;
  // One character a 15 ms frame, each fading over 20 frames.
  window.message->SetProperty(PR_TEXTDELAY, TPropValue::Int(77));
  window.message->SetProperty(PR_DELAY, TPropValue::Int(300));
  window.state.frame_delta = 15;
  for (int frame = 0; frame < 40; ++frame) window.message->Update();
  int64_t fading = 0;
  for (auto _ : state) {
    TWdPage& page = *window.message->CurrentPage();
    if (!IsRevealing(page)) {
      state.PauseTiming();
      ResetReveal(page);
      Prepare(page, true);
      for (int frame = 0; frame < 40; ++frame) window.message->Update();
      state.ResumeTiming();
    }
    // A frame of the stage: the update hands the changed glyph boxes to the
    // screen, and only those are painted again.
    window.stage.UpdateAll();
    window.stage.PaintAll();
    window.stage.ClearDirty();
    fading += static_cast<int64_t>(window.message->CurrentPage()->revealing.size());
  }
  state.counters["fading"] = benchmark::Counter(static_cast<double>(fading), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MessageFadeFrame)->Unit(benchmark::kMicrosecond);

void BM_WindowCopy(benchmark::State& state) {
  std::vector<uint32_t> from(static_cast<size_t>(kWidth) * kHeight, 0x123456), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WindowCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
