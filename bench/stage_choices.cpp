// Choices on an 800 x 600 stage: 20 captioned buttons and an open 10-row
// list menu whose hover moves every frame, updated and repainted, beside a
// plain copy of the whole frame for scale.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/runtime_state.h"
#include "base/stream.h"
#include "image/dova.h"
#include "stage/list_box.h"
#include "stage/stage.h"
#include "surface/font_pixel_manager.h"
#include "surface/pixel_font.h"

namespace orvo {
namespace {

constexpr int32_t kWidth = 800, kHeight = 600;

class TBenchFiles : public IPictureFiles {
 public:
  bool Contains(const std::string& name) override { return name == "b.dov"; }
  std::string Load(const std::string&) override { return bytes; }
  std::string bytes;
};

std::string ButtonPicture() {
  TDovaFrameList list;
  TDovaFrame& frame = list.AddFrame();
  frame.picture.SetSize(140, 32, 32);
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 140; ++x) frame.picture.SetPixel(x, y, static_cast<uint32_t>(0x304080 + x));
  }
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 90);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

// A pixel font "Pix" of 10 x 16 letters, written to a private file.
std::string FontFile() {
  TPixelFontHeader header;
  header.face = "Pix";
  header.size = 16;
  header.ascent = 13;
  header.listed = true;
  std::vector<TPixelGlyphSource> glyphs;
  for (int code = 0x20; code < 0x7F; ++code) {
    TPixelGlyphSource glyph{static_cast<uint16_t>(code), 8, 12, 1, 13, 10, {}};
    for (int i = 0; i < 96; ++i) glyph.rows.push_back(code == ' ' ? 0 : static_cast<uint8_t>((i * 37 + code) & 0xFF));
    glyphs.push_back(glyph);
  }
  char path[] = "/tmp/orvo-bench-font-XXXXXX";
  const int fd = mkstemp(path);
  const std::string bytes = EncodePixelFont(header, glyphs);
  if (fd >= 0) {
    if (write(fd, bytes.data(), bytes.size()) < 0) std::perror("font");
    close(fd);
  }
  return path;
}

void ChoicesFrame(benchmark::State& bench) {
  TRuntimeState state;
  state.frame_delta = 15;
  TOrvoBaseList stage(state);
  stage.SetSize(kWidth, kHeight);
  TBenchFiles files;
  files.bytes = ButtonPicture();
  stage.Pictures().SetFiles(&files);
  TPixelFontManager pixel_fonts;
  const std::string font = FontFile();
  pixel_fonts.AddFontFile(font);
  std::remove(font.c_str());
  TFontPixelManager glyphs(nullptr, pixel_fonts);
  stage.SetGlyphs(&glyphs);
  stage.ActiveScreen().SetProperty(PR_COLOR, TPropValue::Int(0x202020));
  for (int i = 0; i < 20; ++i) {
    TOrvoObject* button = stage.CreateByKind(kcButton);
    button->SetProperty(PR_PARENT, TPropValue::Str(""));
    button->SetProperty(PR_SOURCE, TPropValue::Str("b.dov"));
    button->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
    button->SetProperty(PR_FONTHEIGHT, TPropValue::Int(16));
    button->SetProperty(PR_TEXT, TPropValue::Str("Button " + std::to_string(i)));
    button->SetProperty(PR_LEFT, TPropValue::Int(20 + (i % 4) * 150));
    button->SetProperty(PR_TOP, TPropValue::Int(20 + (i / 4) * 40));
  }
  auto* menu = static_cast<TOrvoMenu*>(stage.CreateByKind(kcMenu));
  menu->SetProperty(PR_PARENT, TPropValue::Str(""));
  std::string items;
  for (int i = 0; i < 30; ++i) items += "Menu item " + std::to_string(i) + "\n";
  menu->SetProperty(PR_TEXT, TPropValue::Str(items));
  menu->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
  menu->SetProperty(PR_FONTHEIGHT, TPropValue::Int(16));
  menu->SetProperty(PR_ROWCOUNT, TPropValue::Int(10));
  menu->SetProperty(PR_LINESPACE, TPropValue::Int(4));
  menu->SetProperty(PR_MARGINX, TPropValue::Int(6));
  menu->SetProperty(PR_BORDERWIDTH, TPropValue::Int(1));
  menu->SetProperty(PR_BORDERCOLOR, TPropValue::Int(0xC0C0C0));
  menu->SetProperty(PR_COLOR, TPropValue::Int(0x101010));
  menu->SetProperty(PR_HOVERCOLOR, TPropValue::Int(0x604020));
  menu->SetProperty(PR_LEFT, TPropValue::Int(200));
  menu->SetProperty(PR_TOP, TPropValue::Int(260));
  menu->SetPlayState(msOpen);
  stage.ActiveScreen().AddWholeArea();
  stage.PaintAll();
  stage.ClearDirty();
  int32_t hover = 0;
  for (auto _ : bench) {
    state.total_elapsed += state.frame_delta;
    menu->SetHover(hover);
    hover = (hover + 1) % 10;
    stage.UpdateAll();
    stage.PaintAll();
    stage.ClearDirty();
  }
}
BENCHMARK(ChoicesFrame)->Unit(benchmark::kMicrosecond);

// The yardstick: one copy of a whole 32-bit frame.
void CopyOfAFrame(benchmark::State& bench) {
  std::vector<uint32_t> from(static_cast<size_t>(kWidth) * kHeight, 0x123456), to(from.size());
  for (auto _ : bench) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(CopyOfAFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvo
