// orvokit font against golden files: the PNG and the per-character lines of
// `font draw`, the listing of `font info` and `font glyphs`, and its exit
// statuses. ORVO_UPDATE_GOLDEN=1 rewrites the golden files.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/test_support.h"

namespace orvo {
namespace {

std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }
std::string Golden(const std::string& name) { return test::TestDataDir() + "/app/golden/font/" + name; }
std::string FontEnvironment() {
  return "FONTCONFIG_FILE=" + test::TestDataDir() + "/surface/fonts/ipa.conf LANG=C LC_ALL= LC_MESSAGES= ";
}

void ExpectGolden(const std::string& name, const std::string& actual) {
  if (std::getenv("ORVO_UPDATE_GOLDEN")) test::WriteFile(Golden(name), actual);
  EXPECT_EQ(actual, test::ReadFile(Golden(name))) << name;
}

// A pixel font made the way the demo makes its own.
std::string MakePixelFont(const std::string& folder) {
  std::string path = folder + "/pix.oft", output;
  EXPECT_EQ(test::RunCommand(FontEnvironment() + Kit() +
                                 " font make --face 'ＭＳ Ｐゴシック' --size 16 --style 1 --name ピクセル -o " + path +
                                 " 'あいうA '",
                             &output),
            0)
      << output;
  return path;
}

TEST(FontTool, DrawMatchesTheGoldenPictures) {
  std::string folder = test::MakeTempDir("font-draw");
  std::string font = MakePixelFont(folder);
  struct TCase {
    const char* name;
    std::string arguments;
  };
  const TCase cases[] = {
      {"outline-shadow-underline",
       "--face 'ＭＳ ゴシック' --size 24 --outline 1 --shadow 2 --style 4 --color 0x2040FF --background 0x202020 "
       "'あA漢'"},
      {"mono-strikeout-16bit-fixed", "--face 'ＭＳ 明朝' --size 20 --style 8 --bits 16 --cell fixed --mode 0 '文字'"},
      {"pixel-box-15bit-clip",
       "--font " + font +
           " --face ピクセル --size 16 --style 1 --bits 15 --box --shadow 1 --at 3,2 --canvas 70,24 --clip 5,0,60,20 "
           "--cell 18 'あいう'"},
      {"bold-italic-fixed", "--face IPAPGothic --size 18 --style 3 --cell fixed --outline 2 'Ag'"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string png = folder + "/" + c.name + ".png", output;
    ASSERT_EQ(test::RunCommand(FontEnvironment() + Kit() + " font draw " + c.arguments + " -o " + png, &output), 0)
        << output;
    ExpectGolden(std::string(c.name) + ".txt", output);
    ExpectGolden(std::string(c.name) + ".png", test::ReadFile(png));
  }
}

TEST(FontTool, InfoAndGlyphsListings) {
  std::string folder = test::MakeTempDir("font-info");
  std::string font = MakePixelFont(folder);
  struct TCase {
    const char* name;
    std::string command;
  };
  const TCase cases[] = {
      {"info.txt", "info --rows " + font},
      {"glyphs-pixel.txt", "glyphs --font " + font + " --face ピクセル --size 16 --style 5 --rows 'あA 漢'"},
      {"glyphs-system.txt", "glyphs --face 'ＭＳ ゴシック' --size 24 --style 8 --mode 0 'Aあ '"},
      {"list.txt", "list --font " + font + " --font " + font},
      {"list-fixed-default.txt", "list --fixed --default-only --font " + font},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string output;
    ASSERT_EQ(test::RunCommand(FontEnvironment() + Kit() + " font " + c.command + " 2>&1", &output), 0) << output;
    ExpectGolden(c.name, output);
  }
}

TEST(FontTool, ExitStatuses) {
  std::string folder = test::MakeTempDir("font-status");
  std::string font = MakePixelFont(folder);
  std::string bytes = test::ReadFile(font);
  test::WriteFile(folder + "/short.oft", bytes.substr(0, 300));
  struct TCase {
    std::string command;
    int status;
    const char* message;
  };
  const TCase cases[] = {
      {"which 'ｍｓ ゴシック'", 1, ""},
      {"which ipapgothic", 0, "IPAPGothic\t"},
      {"info " + folder + "/short.oft", 1, "フォントファイルが破壊されています"},
      {"info " + folder + "/missing.oft", 1, "ファイルがありません"},
      {"glyphs --face X 'a'", 2, "missing --size"},
      {"draw --face X --size 12 --bits 24 -o x.png a", 2, "--bits"},
      {"make --face X --size 12 a", 2, "missing -o"},
      {"list --bogus", 2, "unknown option"},
      {"nothing", 2, "unknown subcommand"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.command);
    std::string output;
    EXPECT_EQ(test::RunCommand(FontEnvironment() + Kit() + " font " + c.command + " 2>&1", &output), c.status);
    EXPECT_NE(output.find(c.message), std::string::npos) << output;
  }
}

}  // namespace
}  // namespace orvo
