#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace orvo::test {
namespace {

class TextToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = BuildDir() + "/bin/orvokit";
    if (!std::filesystem::exists(tool_)) GTEST_SKIP() << "orvokit not built";
    folder_ = MakeTempDir("text_tool");
  }
  // Runs orvokit text with arguments on input (written to a file); output holds stdout and stderr.
  int Run(const std::string& arguments, std::string_view input, std::string& output) {
    WriteFile(folder_ + "/in", input);
    return RunCommand(tool_ + " text " + arguments + " " + folder_ + "/in 2>&1", &output);
  }

  std::string tool_;
  std::string folder_;
};

TEST_F(TextToolTest, DumpPrintsEveryGlyphAndRecord) {
  std::string output;
  EXPECT_EQ(Run("dump --utf8 --text-delay 7",
                "<A HREF=\"go\">ソ\\\\</A>\r\n<IMG SRC=a.png>\n<DIV><EVENT VALUE=e END>"
                "<VAR NAME=n><BR CLEAR><INDENT><UNDENT>\n",
                output),
            0);
  EXPECT_EQ(output,
            "0\t0\tchar\tif=\tcode=835c\ttext=ソ\tcolor=-1\tbcolor=-1\tscolor=-1\tsize=0\tstyle=0\tface=\tnobr=0\t"
            "ruby=\tborder=-1\tshadow=-1\twait=7\thref=go\ttarget=\n"
            "1\t1\tchar\tif=\tcode=005c\ttext=\\\\\tcolor=-1\tbcolor=-1\tscolor=-1\tsize=0\tstyle=0\tface=\tnobr=0\t"
            "ruby=\tborder=-1\tshadow=-1\twait=7\thref=go\ttarget=\n"
            "2\t2\timg\tif=\tsrc=a.png\thover=\tdown=\talign=5\tmargins=0,0,0,0\twait=7\thref=\ttarget=\n"
            "3\t3\tdiv\tif=\talign=1\tpadl=-2147483647\tpadr=-2147483647\tnoheight=0\n"
            "4\t4\tevent\tif=\tvalue=\\x01e\tend=0\n"
            "5\t5\tvar\tif=\texpr=n\tcompiled=0\tcolor=-1\tbcolor=-1\tscolor=-1\tsize=0\tstyle=0\tface=\tnobr=0\t"
            "ruby=\tborder=-1\tshadow=-1\twait=7\thref=\ttarget=\n"
            "6\t6\tbr\tif=\tclear=1\n"
            "7\t7\tindent\tif=\n"
            "8\t8\tundent\tif=\n"
            "deco\t0\tcount=3\tcolor=-1\tbcolor=-1\tscolor=-1\tsize=0\tstyle=0\tface=\tnobr=0\truby=\tborder=-1\t"
            "shadow=-1\n"
            "cond\t0\tcount=9\ttext=\n"
            "link\t0\tcount=2\thref=go\ttarget=\n"
            "link\t1\tcount=2\thref=\ttarget=\n");
}

TEST_F(TextToolTest, VariablesFrozenValuesExpansionAndCollapse) {
  std::string output;
  std::string markup = "<VAR NAME=n><HISTCHAR VALUE=h><VAR NAME=f>";
  EXPECT_EQ(Run("dump --var n:int=42 --var h:str=q --frozen f=z --expand", markup, output), 0);
  EXPECT_NE(output.find("1\t1\tvarchar\tif=\tcode=0034\ttext=4\t"), std::string::npos) << output;
  EXPECT_NE(output.find("2\t1\tvarchar\tif=\tcode=0032\ttext=2\t"), std::string::npos) << output;
  EXPECT_NE(output.find("3\t1\thistvar\t"), std::string::npos) << output;
  EXPECT_NE(output.find("5\t3\tvarchar\tif=\tcode=007a\ttext=z\t"), std::string::npos) << output;
  EXPECT_EQ(Run("dump --var h:str=q --expand-all", markup, output), 0);
  EXPECT_NE(output.find("1\t1\thistvar\t"), std::string::npos) << output;
  EXPECT_NE(output.find("2\t2\tvarchar\tif=\tcode=0071\ttext=q\t"), std::string::npos) << output;
  EXPECT_EQ(Run("dump --var n:int=42 --expand --collapse", markup, output), 0);
  EXPECT_EQ(output.find("varchar"), std::string::npos) << output;
}

TEST_F(TextToolTest, StreamWritesHexOrAFileThatDumpReadsBack) {
  std::string output;
  EXPECT_EQ(Run("stream", "", output), 0);
  EXPECT_EQ(output, "4b77576f7264313035" + std::string(32, '0') + "\n");
  EXPECT_EQ(Run("stream -o " + folder_ + "/out.bin", "<B>a", output), 0);
  EXPECT_EQ(output, "");
  std::string dump;
  EXPECT_EQ(RunCommand(tool_ + " text dump --stream " + folder_ + "/out.bin", &dump), 0);
  EXPECT_EQ(dump.substr(0, 17), "0\t0\tchar\tif=\tcode");
  EXPECT_EQ(RunCommand(tool_ + " text stream --stream - < " + folder_ + "/out.bin", &output), 0);
  EXPECT_EQ(output.substr(0, 18), "4b77576f7264313035");
}

TEST_F(TextToolTest, FailuresAndWrongUsage) {
  struct Case {
    const char* arguments;
    const char* input;
    int status;
    const char* output;
  };
  const Case cases[] = {
      {"dump", "ab<A>c", 1,
       "0\t0\tchar\tif=\tcode=0061\ttext=a\tcolor=-1\tbcolor=-1\tscolor=-1\tsize=0\tstyle=0\t"
       "face=\tnobr=0\truby=\tborder=-1\tshadow=-1\twait=50\thref=\ttarget=\n"
       "1\t1\tchar\tif=\tcode=0062\ttext=b\tcolor=-1\tbcolor=-1\tscolor=-1\tsize=0\tstyle=0\t"
       "face=\tnobr=0\truby=\tborder=-1\tshadow=-1\twait=50\thref=\ttarget=\n"
       "deco\t0\tcount=2\tcolor=-1\tbcolor=-1\tscolor=-1\tsize=0\tstyle=0\tface=\tnobr=0\t"
       "ruby=\tborder=-1\tshadow=-1\ncond\t0\tcount=2\ttext=\nlink\t0\tcount=2\thref=\ttarget=\n"
       "orvokit text: <A>タグにHREF値がありません\n"},
      {"stream", "<IF>", 1, "orvokit text: <IF>タグにTARGET値がありません\n"},
      {"dump --stream", "KwWord105\x01", 1, "orvokit text: the stream does not load: Stream read error\n"},
      {"dump --text-delay x", "", 2, nullptr},
      {"dump --bogus", "", 2, nullptr},
      {"stream --var a:int=1", "", 2, nullptr},
      {"dump --var a=1", "", 2, nullptr},
      {"dump --expand --expand-all", "", 2, nullptr},
      {"print", "", 2, nullptr},
  };
  for (const Case& c : cases) {
    std::string output;
    EXPECT_EQ(Run(c.arguments, c.input, output), c.status) << c.arguments;
    if (c.output) {
      EXPECT_EQ(output, c.output) << c.arguments;
    }
  }
}

}  // namespace
}  // namespace orvo::test
