// A whole game of sliders, a scroll bar, a gauge and a name field, played
// headless from an input script only (mouse drags, track holds, arrow keys
// and typed text), judged by the variables its handlers set and by the
// gauge's pixels in screenshots.
#include <gtest/gtest.h>

#include <functional>

#include "base/stream.h"
#include "support/test_support.h"
#include "surface/picture_io.h"

namespace orvo::test {
namespace {

constexpr uint32_t kFilled = 0xC00000, kDrained = 0xE0E000, kGround = 0x202020;  // 0x00RRGGBB

// A bottom-up 24-bit bitmap whose pixel (x, y) is colour(x, y), 0x00RRGGBB.
std::string Bitmap(int width, int height, const std::function<uint32_t(int, int)>& colour) {
  const int row = (width * 3 + 3) / 4 * 4;
  std::string bmp(54, '\0');
  auto put32 = [&bmp](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bmp[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<uint32_t>(54 + row * height));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bmp[26] = 1;
  bmp[28] = 24;
  for (int y = height - 1; y >= 0; --y) {
    std::string line;
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);
      line += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF), static_cast<char>(c >> 16)};
    }
    line.resize(static_cast<size_t>(row), '\0');
    bmp += line;
  }
  return bmp;
}

// Cells of one colour each, side by side.
std::string Cells(int cell_width, int height, std::vector<uint32_t> colours) {
  return Bitmap(cell_width * static_cast<int>(colours.size()), height,
                [=](int x, int) { return colours[static_cast<size_t>(x / cell_width)]; });
}

std::string Line(const std::string& text, const std::string& start) {
  size_t at = text.find(start);
  if (at == std::string::npos) return {};
  return text.substr(at, text.find('\n', at) - at);
}

uint32_t ShotPixel(const std::string& path, int x, int y) {
  const std::string bytes = ReadFile(path);
  TSpanStream stream(bytes.data(), bytes.size());
  TDIBSurface picture;
  ReadPng(stream, picture);
  return picture.GetPixel(x, y) & 0xFFFFFF;
}

TEST(ControlsGame, DragsClicksKeysAndTypingFromAnInputScript) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("controls-game");
  const std::string source = out + "/source";
  std::string output;
  ASSERT_EQ(RunCommand("cp -r " + TestDataDir() + "/app/games/controls " + source, &output), 0) << output;
  WriteFile(source + "/bar.bmp", Cells(100, 6, {0x0000C0, 0x00C000}));
  WriteFile(source + "/thumb.bmp", Cells(10, 10, {0xC0C0C0, 0xE0E0E0, 0xFFFFFF}));
  WriteFile(source + "/buttons.bmp", Cells(8, 8, {0x101010, 0x202020, 0x303030, 0x404040, 0x505050, 0x606060}));
  WriteFile(source + "/gauge.bmp", Cells(100, 8, {kFilled, kDrained}));
  ASSERT_EQ(RunCommand(kit + " build " + source + " -o " + out + "/game", &output), 0) << output;
  const std::string shots = " --shot 80:" + out + "/drained.png --shot 200:" + out + "/done.png";
  ASSERT_EQ(RunCommand(player + " " + out + "/game --headless --seed 1 --fixed-step 15 --frames 220 --input " + source +
                           "/input.txt --dump-vars " + out + "/vars.txt" + shots,
                       &output),
            0)
      << output;
  const std::string vars = ReadFile(out + "/vars.txt");
  // 40 px into a bar of 100 px for 0..100; dragged 10 px on; one step right.
  EXPECT_EQ(Line(vars, "global\tslid"), "global\tslid\tstr\t40 50 55 ");
  EXPECT_EQ(Line(vars, "global\tslider_value"), "global\tslider_value\tint\t55");
  // Pages of 20 at once, after 300 ms and then every 50 ms, until the thumb reaches the pointer.
  EXPECT_EQ(Line(vars, "global\tscrolled"), "global\tscrolled\tstr\t20 40 60 80 100 ");
  EXPECT_EQ(Line(vars, "global\tscroll_value"), "global\tscroll_value\tint\t100");
  EXPECT_EQ(Line(vars, "global\tgauge_mid"), "global\tgauge_mid\tbool\tTRUE");
  EXPECT_EQ(Line(vars, "global\tgauge_playing"), "global\tgauge_playing\tbool\tFALSE");
  EXPECT_EQ(Line(vars, "global\tgauge_value"), "global\tgauge_value\tint\t40");
  // Each key posts the text as it was before the key; Enter inserts nothing.
  EXPECT_EQ(Line(vars, "global\ttyped"), "global\ttyped\tstr\t8=ボブ#1;13=ボブ#;39=ボブ#;");
  EXPECT_EQ(Line(vars, "global\tname"), "global\tname\tstr\tボブ#");
  struct Probe {
    const char* shot;
    int x;
    uint32_t colour;
  };
  for (const Probe& p : {Probe{"drained", 12, kFilled}, Probe{"drained", 49, kFilled}, Probe{"drained", 50, kDrained},
                         Probe{"drained", 109, kDrained}, Probe{"drained", 110, kGround}, Probe{"done", 49, kFilled},
                         Probe{"done", 50, kGround}}) {
    EXPECT_EQ(ShotPixel(out + "/" + p.shot + ".png", p.x, 104), p.colour) << p.shot << " at " << p.x;
  }
}

}  // namespace
}  // namespace orvo::test
