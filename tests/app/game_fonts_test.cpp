// A game's pixel fonts: offered at every mount from the folder or game.dat,
// listed by "@Fonts" after the installed faces, and a damaged one ends the start.
#include "app/game_fonts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/files.h"
#include "support/test_support.h"

namespace orvo {
namespace {

std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }
std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }
// Runs with only the IPA fonts installed, outside a Japanese locale.
std::string FontEnvironment() {
  return "FONTCONFIG_FILE=" + test::TestDataDir() + "/surface/fonts/ipa.conf LANG=C LC_ALL= LC_MESSAGES= ";
}

void MakeFont(const std::string& options, const std::string& path) {
  std::string output;
  ASSERT_EQ(test::RunCommand(FontEnvironment() + Kit() + " font make --face 'ＭＳ ゴシック' --size 16 " + options +
                                 " -o '" + path + "' 'あいう'",
                             &output),
            0)
      << output;
}

std::string Line(const std::string& text, const std::string& start) {
  size_t at = text.find(start);
  if (at == std::string::npos) return {};
  size_t end = text.find('\n', at);
  return text.substr(at, end - at);
}

TEST(GameFonts, AtFontsListsThePixelFacesAfterTheInstalledOnes) {
  struct TCase {
    const char* name;
    const char* build_options;
  };
  const TCase cases[] = {{"folder", ""}, {"game.dat", "--archive"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string source = test::MakeTempDir(std::string("fonts-src-") + c.build_options);
    std::string output;
    ASSERT_EQ(test::RunCommand("cp -r " + test::TestDataDir() + "/app/games/fonts/. " + source + " && mkdir -p " +
                               source + "/sub"),
              0);
    MakeFont("--name ピクセル", source + "/sub/pix.OFT");
    MakeFont("--name Hidden --unlisted", source + "/hidden.oft");
    // The same face, size and weight again: refused, and the copy is not kept.
    MakeFont("--name ピクセル", source + "/again.oft");
    std::string game = test::MakeTempDir(std::string("fonts-game-") + c.build_options) + "/game";
    ASSERT_EQ(test::RunCommand(Kit() + " build " + source + " -o " + game + " " + c.build_options, &output), 0)
        << output;
    std::string dump = game + "/vars.txt";
    ASSERT_EQ(test::RunCommand(FontEnvironment() + Player() + " " + game +
                                   " --headless --fixed-step 15 --frames 3 --dump-vars " + dump,
                               &output),
              0)
        << output;
    std::string vars = test::ReadFile(dump);
    EXPECT_EQ(Line(vars, "global\tfonts"),
              "global\tfonts\tstr\tIPAGothic\\r\\nIPAMincho\\r\\nIPAPGothic\\r\\nIPAPMincho\\r\\nＭＳ Ｐゴシック\\r\\n"
              "ＭＳ Ｐ明朝\\r\\nＭＳ ゴシック\\r\\nＭＳ 明朝\\r\\nピクセル");
    EXPECT_EQ(Line(vars, "global\tfixed"),
              "global\tfixed\tstr\tIPAGothic\\r\\nIPAMincho\\r\\nＭＳ ゴシック\\r\\nＭＳ 明朝\\r\\nピクセル");
  }
}

TEST(GameFonts, ADamagedPixelFontEndsTheStartWithItsGameName) {
  std::string game = test::MakeTempDir("fonts-damaged") + "/game";
  std::string output;
  ASSERT_EQ(test::RunCommand(Kit() + " build " + test::TestDataDir() + "/app/games/fonts -o " + game, &output), 0)
      << output;
  std::string good = game + "/good.oft";
  MakeFont("", good);
  std::string bytes = test::ReadFile(good);
  test::WriteFile(game + "/Broken.OFT", bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(
      test::RunCommand(FontEnvironment() + Player() + " " + game + " --headless --fixed-step 15 --frames 3", &output),
      1);
  EXPECT_NE(output.find("Broken.OFT\r\nフォントファイルが破壊されています"), std::string::npos) << output;
}

TEST(GameFonts, AcceptedCopiesStayUntilTheEndAndRefusedOnesGoAtOnce) {
  std::string folder = test::MakeTempDir("offered");
  std::filesystem::create_directories(folder + "/sub");
  auto font = [](const std::string& face) {
    TPixelFontHeader header;
    header.face = face;
    header.size = 16;
    return EncodePixelFont(header, {});
  };
  test::WriteFile(folder + "/a.oft", font("A"));
  test::WriteFile(folder + "/sub/again.OFT", font("A"));  // same face, size and weight: refused
  test::WriteFile(folder + "/c.oft", font("C"));
  test::WriteFile(folder + "/not-a-font.txt", font("D"));
  auto copies = [] {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PrivateTempFolder())) {
      if (entry.is_regular_file() && entry.path().filename().string().rfind("font", 0) == 0) ++count;
    }
    return count;
  };
  size_t before = copies();
  {
    TGameFonts fonts(nullptr, TDefaultFontsOnly::No);
    TVrFileManager files;
    fonts.Attach(files);
    files.SetFolder(folder);
    EXPECT_EQ(fonts.KeptCopies().size(), 2u);
    EXPECT_EQ(fonts.PixelFonts().SectionCount(), 2u);
    EXPECT_EQ(copies(), before + 2);
  }
  EXPECT_EQ(copies(), before);
}

}  // namespace
}  // namespace orvo
