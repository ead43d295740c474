// orvokit wipe: the catalogue listing and transitions rendered between two
// small pictures, checked pixel by pixel against hand-computed colours.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/stream.h"
#include "support/png_file.h"
#include "support/test_support.h"
#include "surface/picture_io.h"
#include "surface/png_writer.h"

namespace orvo::test {
namespace {

std::string Kit() { return BuildDir() + "/bin/orvokit"; }

// A PNG of one colour.
void SolidPng(const std::string& path, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgba;
  for (int i = 0; i < w * h; ++i) rgba.insert(rgba.end(), {r, g, b, 255});
  WriteFile(path, EncodePngRgba(w, h, rgba.data(), static_cast<size_t>(w) * 4));
}

// Colour (0x00RRGGBB) of one pixel of a PNG, or -1 when unreadable.
int64_t PngAt(const std::string& path, int32_t x, int32_t y) {
  const TDIBSurface picture = ReadPngFile(path);
  if (picture.Width() == 0) return -1;
  const uint32_t c = picture.PixelToColor(picture.GetPixel(x, y));
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

class WipeCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir("wipe-command");
    SolidPng(dir_ + "/from.png", 8, 4, 200, 100, 0);
    SolidPng(dir_ + "/to.png", 8, 4, 0, 50, 255);
    SolidPng(dir_ + "/small.png", 4, 4, 0, 0, 0);
  }
  int Render(const std::string& arguments, std::string* output = nullptr) {
    return RunCommand(Kit() + " wipe render " + arguments + " 2>&1", output);
  }
  std::string dir_;
};

TEST_F(WipeCommand, ListGivesEveryCodeWithNameLabelAndDefaults) {
  std::string output;
  ASSERT_EQ(RunCommand(Kit() + " wipe list", &output), 0);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < output.size()) {
    const size_t end = output.find('\n', start);
    lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  ASSERT_EQ(lines.size(), 39u);
  EXPECT_EQ(lines[0], "0\tWP_NONE\tなし\t-\t-");
  EXPECT_EQ(lines[2], "2\tWP_BLINDH\tブラインド横\t20\t1");
  EXPECT_EQ(lines[24], "24\tWP_RIPPLE\t波紋\t5\t0");
  EXPECT_EQ(lines[38], "38\tWP_BLOCKRANDOM\tブロック(ランダム)\t60\t0");
}

TEST_F(WipeCommand, RendersTheTransitionAtTheAskedTime) {
  struct TCase {
    const char* what;
    std::string arguments;
    int32_t x;
    int64_t expected;
  };
  const std::string pictures = dir_ + "/from.png " + dir_ + "/to.png -o " + dir_ + "/out.png ";
  const TCase cases[] = {
      // opacity 50 * 256 / 100 = 128: floor((128 * to + 127 * from) / 256)
      {"fade by name", "wp_FADE " + pictures + "--duration 100 --time 50", 3, 0x634A7F},
      {"fade by code", "1 " + pictures + "--duration 100 --time 50 --step 7", 3, 0x634A7F},
      // 16 bits: the same blend on 5/6/5 channels, widened by shifts
      {"fade at 16 bits", "1 " + pictures + "--duration 100 --time 50 --bits 16", 3,
       (12 << 19) | (18 << 10) | (15 << 3)},
      {"at the start", "1 " + pictures + "--duration 100 --time 0", 3, 0xC86400},
      {"at the end", "1 " + pictures + "--duration 100 --time 100", 3, 0x0032FF},
      {"no wipe", "0 " + pictures + "--duration 100 --time 10", 3, 0x0032FF},
      {"unknown code", "39 " + pictures + "--duration 100 --time 10", 3, 0x0032FF},
      {"duration below one", "1 " + pictures + "--duration -5 --time 0", 3, 0xC86400},
      // scroll: a = 8 * 25 / 100 = 2, the new picture from column 6; reversed from the left
      {"scroll", "6 " + pictures + "--duration 100 --time 25", 6, 0x0032FF},
      {"scroll reversed", "6 " + pictures + "--duration 100 --time 25 --reverse", 6, 0xC86400},
      // blinds with p0 = 4: b = 7 * 5 / 10 = 3 opens columns 0 and 1 of every four
      {"blinds", "2 " + pictures + "--duration 10 --time 5 --param0 4", 5, 0x0032FF},
      {"blinds closed", "2 " + pictures + "--duration 10 --time 5 --param0 4", 6, 0xC86400},
  };
  for (const TCase& c : cases) {
    std::filesystem::remove(dir_ + "/out.png");
    std::string output;
    ASSERT_EQ(Render(c.arguments, &output), 0) << c.what << ": " << output;
    EXPECT_EQ(PngAt(dir_ + "/out.png", c.x, 1), c.expected) << c.what;
  }
}

TEST_F(WipeCommand, FramesAreWrittenAtEveryStepAndAtTheTime) {
  ASSERT_EQ(Render("1 " + dir_ + "/from.png " + dir_ + "/to.png -o " + dir_ + "/out.png --duration 100 --time 40 " +
                   "--frames " + dir_ + "/frames"),
            0);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_ + "/frames")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"00000000.png", "00000015.png", "00000030.png", "00000040.png"}));
  EXPECT_EQ(PngAt(dir_ + "/frames/00000000.png", 0, 0), 0xC86400);
  EXPECT_EQ(ReadFile(dir_ + "/frames/00000040.png"), ReadFile(dir_ + "/out.png"));
}

TEST_F(WipeCommand, BadPicturesFailAndBadUsageIsRefused) {
  struct TCase {
    const char* what;
    std::string arguments;
    int status;
  };
  const std::string out = " -o " + dir_ + "/out.png --duration 10 --time 5";
  const TCase cases[] = {
      {"sizes differ", "1 " + dir_ + "/from.png " + dir_ + "/small.png" + out, 1},
      {"missing picture", "1 " + dir_ + "/from.png " + dir_ + "/none.png" + out, 1},
      {"missing rule", "19 " + dir_ + "/from.png " + dir_ + "/to.png --rule " + dir_ + "/none.png" + out, 1},
      {"unknown name", "WP_NOTHING " + dir_ + "/from.png " + dir_ + "/to.png" + out, 2},
      {"no output", "1 " + dir_ + "/from.png " + dir_ + "/to.png --duration 10 --time 5", 2},
      {"no time", "1 " + dir_ + "/from.png " + dir_ + "/to.png -o " + dir_ + "/out.png --duration 10", 2},
      {"24 bits", "1 " + dir_ + "/from.png " + dir_ + "/to.png --bits 24" + out, 2},
      {"negative step", "1 " + dir_ + "/from.png " + dir_ + "/to.png --step -1" + out, 2},
      {"one picture", "1 " + dir_ + "/from.png" + out, 2},
  };
  for (const TCase& c : cases) {
    std::string output;
    EXPECT_EQ(Render(c.arguments, &output), c.status) << c.what << ": " << output;
    EXPECT_FALSE(output.empty()) << c.what;
  }
}

}  // namespace
}  // namespace orvo::test
