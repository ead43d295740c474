// orvokit text layout|reveal|render as scripts see them: the printed forms
// are a contract, so the tests compare them whole.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace orvo::test {
namespace {

class LayoutToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = BuildDir() + "/bin/orvokit";
    if (!std::filesystem::exists(tool_)) GTEST_SKIP() << "orvokit not built";
    folder_ = MakeTempDir("layout_tool");
  }
  int Run(const std::string& arguments, std::string_view input, std::string& output) {
    WriteFile(folder_ + "/in", input);
    return RunCommand("FONTCONFIG_FILE=" + TestDataDir() + "/surface/fonts/ipa.conf " + tool_ + " text " + arguments +
                          " " + folder_ + "/in 2>&1",
                      &output);
  }

  std::string tool_;
  std::string folder_;
};

TEST_F(LayoutToolTest, LayoutPrintsPagesRowsChildrenAndRuby) {
  std::string output;
  ASSERT_EQ(Run("layout --utf8 --width 60 --height 100 --picture p=10x20",
                "ab<INDENT>cd ef<BR><RUBY VALUE=x>g</RUBY><IMG SRC=p ALIGN=TOP>", output),
            0)
      << output;
  EXPECT_EQ(output,
            "page\t0\t60\t44\n"
            "row\t0\t0\t0\t12\t60\t0\t5\n"
            "child\t0\t0\t0\tchar\t0\t0\t12\t12\n"
            "child\t0\t0\t1\tchar\t12\t0\t12\t12\n"
            "child\t0\t0\t2\tindent\t24\t0\t0\t0\n"
            "child\t0\t0\t3\tchar\t24\t0\t12\t12\n"
            "child\t0\t0\t4\tchar\t36\t0\t12\t12\n"
            "child\t0\t0\t5\tchar\t48\t0\t12\t12\n"
            "row\t0\t1\t12\t12\t48\t6\t8\n"
            "child\t0\t1\t-\tspace\t0\t12\t24\t0\n"
            "child\t0\t1\t6\tchar\t24\t12\t12\t12\n"
            "child\t0\t1\t7\tchar\t36\t12\t12\t12\n"
            "child\t0\t1\t8\tbr\t48\t12\t0\t0\n"
            "row\t0\t2\t24\t20\t46\t9\t10\n"
            "child\t0\t2\t-\tspace\t0\t24\t24\t0\n"
            "child\t0\t2\t9\tchar\t24\t24\t12\t18\n"
            "child\t0\t2\t10\timg\t36\t24\t10\t20\n"
            "ruby\t0\t9\t1\tx\t29\t24\t6\n");
}

TEST_F(LayoutToolTest, RevealPrintsOneLinePerFrameWithItsEvents) {
  std::string output;
  ASSERT_EQ(Run("reveal --utf8 --width 60 --height 100 --notify --deltas 15,0,15*2",
                "<WAIT VALUE=10>a<EVENT VALUE=hi>b", output),
            0)
      << output;
  EXPECT_EQ(output,
            "1\t0\t0\t0\t0\t0\t0\n"
            "2\t1\t0\t0\t12\t0\t12\n"
            "3\t1\t1\t0\t12\t0\t12\thi\n"
            "4\t2\t1\t0\t24\t0\t12\n");
}

TEST_F(LayoutToolTest, RenderWritesAPng) {
  std::string output;
  std::string png = folder_ + "/out.png";
  ASSERT_EQ(Run("render --utf8 --width 80 --height 30 --face IPAGothic --font-size 20 --color 0x0000FF -o " + png,
                "<A HREF=x>ab</A>c", output),
            0)
      << output;
  EXPECT_EQ(ReadFile(png).substr(1, 3), "PNG");
}

TEST_F(LayoutToolTest, GamePicturesAreMeasuredFromTheMountedFolder) {
  std::string game = MakeTempDir("layout_game");
  WriteFile(game + "/Pic.png", ReadFile(TestDataDir() + "/text/golden/pixel-font.png"));  // 80 x 20
  std::string output;
  ASSERT_EQ(Run("layout --utf8 --width 200 --height 60 --game " + game, "<IMG SRC=pic.png MgnLeft=1><IMG SRC=no.png>",
                output),
            0)
      << output;
  EXPECT_EQ(output,
            "page\t0\t200\t20\n"
            "row\t0\t0\t0\t20\t81\t0\t1\n"
            "child\t0\t0\t0\timg\t0\t0\t81\t20\n"
            "child\t0\t0\t1\timg\t81\t20\t0\t0\n");
}

TEST_F(LayoutToolTest, WrongUsage) {
  struct TCase {
    const char* arguments;
    const char* mentions;
  };
  const TCase cases[] = {
      {"layout --height 10", "--width"},
      {"reveal --width 10 --height 10", "--deltas"},
      {"reveal --width 10 --height 10 --deltas 1,x", "--deltas"},
      {"render --width 10 --height 10", "-o"},
      {"layout --width 10 --height 10 --picture p=3", "--picture"},
      {"layout --width 10 --height 10 --deltas 5", "--deltas"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.arguments);
    std::string output;
    EXPECT_EQ(Run(c.arguments, "a", output), 2) << output;
    EXPECT_NE(output.find(c.mentions), std::string::npos) << output;
  }
}

}  // namespace
}  // namespace orvo::test
