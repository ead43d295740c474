// Message markup from untrusted bytes laid out, revealed, rendered and drawn
// as a message window would: the first bytes choose the window (size,
// paging, sizes, speeds), the rest is the markup.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/error.h"
#include "fuzz_budget.h"
#include "surface/font_pixel_manager.h"
#include "text/kw_word.h"
#include "text/layout_dump.h"
#include "text/markup_writer.h"
#include "text/render.h"
#include "text/reveal.h"
#include "text_fake_fonts.h"

namespace {

constexpr size_t kSettingsBytes = 12;

class TSolidPictures : public orvo::ITextPictures {
 public:
  TSolidPictures() { picture_.SetSize(6, 9, 32); }
  bool PictureSize(std::string_view source, int32_t& width, int32_t& height) override {
    if (source.empty() || source[0] == 'x') return false;
    width = 6;
    height = 9;
    return true;
  }
  orvo::TTextPictureFrame Frame(std::string_view source) override {
    return {&picture_, nullptr, !source.empty() && source[0] == 'k'};
  }
  // Pictures whose name starts with 'a' animate through three frames.
  int32_t FrameCount(std::string_view source) override { return !source.empty() && source[0] == 'a' ? 3 : 1; }
  int32_t FrameDelay(std::string_view source, int32_t index) override {
    return static_cast<int32_t>(source.size()) * 3 + index;
  }
  orvo::TTextPictureFrame FrameAt(std::string_view source, int32_t index) override {
    return index < FrameCount(source) ? Frame(source) : orvo::TTextPictureFrame{};
  }

 private:
  orvo::TDIBX picture_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kSettingsBytes) return 0;
  static orvo::fuzz::TBoxFonts system;
  static orvo::TPixelFontManager pixel_fonts;
  static orvo::TFontPixelManager fonts(&system, pixel_fonts);
  static TSolidPictures pictures;
  std::string_view text(reinterpret_cast<const char*>(data) + kSettingsBytes, size - kSettingsBytes);
  orvo::TKwWord document;
  try {
    document.BuildFromMarkup(orvo::SplitMarkupLines(text));
  } catch (const orvo::EOrvoError&) {
  }
  document.frozen_values = {"a=x\x01y", "b="};
  document.ExpandVars(0, -1, orvo::THistoryVars::Skip);
  document.fonts = &fonts;
  document.pictures = &pictures;
  document.layout_width = data[0] * 2;
  document.layout_height = data[1] * 2;
  document.paging = (data[2] & 1) != 0;
  document.fixed_advance = (data[2] & 2) != 0;
  document.line_spacing = static_cast<int8_t>(data[3]);
  document.padding_left = static_cast<int8_t>(data[4]);
  document.padding_right = static_cast<int8_t>(data[5]);
  document.default_font_size = data[6] % 64;
  document.default_border_width = data[7] % 4;
  document.default_shadow_width = (data[7] >> 2) % 4;
  document.speed_rate = static_cast<int8_t>(data[8]) * 8;
  document.fade_time = static_cast<int8_t>(data[9]) * 4;
  document.notify_enabled = (data[2] & 4) != 0;
  document.opacity = data[10] * 2;
  int32_t first = data[11] % 4;

  orvo::fuzz::TWorkBudget budget(2000, 50);
  budget.Start();
  std::vector<std::unique_ptr<orvo::TWdPage>> pages;
  document.Layout(pages, first, "mes", -1);
  budget.Check(static_cast<int64_t>(document.GlyphCount()) * 64, "layout");
  std::string dump = orvo::DumpLayout(document, pages);
  for (auto& page : pages) {
    // A glyph is shown once, on the row that holds it.
    for (int32_t r = 0; r < page->ChildCount(); ++r) {
      const orvo::TWdRow* row = page->Row(r);
      for (int32_t c = 0; c < row->ChildCount(); ++c) {
        if (row->Child(c)->parent != row) std::abort();
      }
    }
  }
  if (pages.empty()) return 0;
  orvo::TWdPage& page = *pages[data[11] / 4 % pages.size()];
  orvo::TDIBX canvas;
  canvas.SetSize(96, 64, 32);
  document.target = &canvas;
  document.draw_origin_x = static_cast<int8_t>(data[3]);
  document.draw_origin_y = static_cast<int8_t>(data[4]);
  document.event_callback = [](orvo::TKwWord&, std::string_view) {};
  try {
    orvo::Prepare(page, true);
    for (int frame = 0; frame < 40 && !orvo::IsFinished(page); ++frame) {
      orvo::StepReveal(page, 1 + frame * 7 % 40);
      orvo::IsRevealing(page);
      orvo::Draw(page);
      orvo::TrackLink(page, frame * 5 % 90, frame * 3 % 60, frame % 3 ? nullptr : page.hover_glyph);
      if (frame == 20) orvo::ScrollTo(page, 12);
    }
  } catch (const orvo::EOrvoError&) {
    // only the missing-font error of the glyph manager may come here
  }
  orvo::LinkRunText(page);
  orvo::CollectPageValues(page);
  budget.Check(static_cast<int64_t>(document.GlyphCount()) * 4096 + 96 * 64 * 40, "reveal and draw");
  return 0;
}
