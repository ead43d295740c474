// A whole game that tells its text in a message window: built from source
// with a pixel font made by the kit, played headless with clicks and keys
// from an input script, judged by screenshots at fixed frames and by the
// variables its event handlers set. ORVO_UPDATE_GOLDEN=1 rewrites the pictures.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/stream.h"
#include "support/test_support.h"
#include "surface/picture_io.h"

namespace orvo::test {
namespace {

std::vector<uint32_t> PngPixels(const std::string& path) {
  const std::string bytes = ReadFile(path);
  TSpanStream stream(bytes.data(), bytes.size());
  TDIBSurface picture;
  ReadPng(stream, picture);
  std::vector<uint32_t> pixels;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) pixels.push_back(picture.GetPixel(x, y));
  }
  return pixels;
}

std::string Line(const std::string& text, const std::string& start) {
  size_t at = text.find(start);
  if (at == std::string::npos) return {};
  return text.substr(at, text.find('\n', at) - at);
}

TEST(MessageGame, ClicksTurnPagesFollowLinksAndReadPagesAreMarked) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string environment =
      "FONTCONFIG_FILE=" + TestDataDir() + "/surface/fonts/ipa.conf LANG=C LC_ALL= LC_MESSAGES= ";
  const std::string out = MakeTempDir("message-game");
  const std::string source = TestDataDir() + "/app/games/message";
  std::string output;
  ASSERT_EQ(RunCommand(kit + " build " + source + " -o " + out + "/game", &output), 0) << output;
  ASSERT_EQ(RunCommand(environment + kit + " font make --face 'ＭＳ ゴシック' --size 16 --name ピクセル -o " + out +
                           "/game/pix.oft 'あいうえおかきくけこ'",
                       &output),
            0)
      << output;
  // Page 1 half revealed; page 2 revealed; its link pressed; page 1 again.
  const int frames[] = {20, 100, 112, 220};
  std::string shots;
  for (int frame : frames)
    shots += " --shot " + std::to_string(frame) + ":" + out + "/" + std::to_string(frame) + ".png";
  ASSERT_EQ(
      RunCommand(environment + player + " " + out + "/game --headless --seed 1 --fixed-step 15 --frames 300 --input " +
                     source + "/input.txt --dump-vars " + out + "/vars.txt" + shots,
                 &output),
      0)
      << output;
  const bool update = std::getenv("ORVO_UPDATE_GOLDEN") != nullptr;
  for (int frame : frames) {
    char golden[64];
    std::snprintf(golden, sizeof golden, "/app/golden/message_%03d.png", frame);
    const std::string taken = out + "/" + std::to_string(frame) + ".png";
    if (update) WriteFile(TestDataDir() + golden, ReadFile(taken));
    const std::vector<uint32_t> pixels = PngPixels(taken);
    ASSERT_FALSE(pixels.empty()) << taken;
    EXPECT_TRUE(pixels == PngPixels(TestDataDir() + golden)) << "frame " << frame << ": " << taken;
  }
  const std::string vars = ReadFile(out + "/vars.txt");
  // Unread pages start with "0"; the second showing of the same command reads "1".
  EXPECT_EQ(Line(vars, "global\tstarts"), "global\tstarts\tstr\t0011");
  // One play end per page revealed to its end: the last page of round two is never shown.
  EXPECT_EQ(Line(vars, "global\tends"), "global\tends\tint\t4");
  EXPECT_EQ(Line(vars, "global\tlinks"), "global\tlinks\tstr\tうえ=yes");
  EXPECT_EQ(Line(vars, "global\tround"), "global\tround\tint\t2");
}

}  // namespace
}  // namespace orvo::test
