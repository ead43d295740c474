// The page source compiler: what it builds and how it reports mistakes.
#include "script/lang/source_compiler.h"

#include <gtest/gtest.h>

#include "script_fixture.h"

namespace orvo::test {
namespace {

TEST(SourceCompiler, ReportsMistakesWithFileAndLine) {
  struct TCase {
    const char* source;
    const char* message;
  } cases[] = {
      {"if TRUE\n  n = 1\n", "page.src:1: if without end"},
      {"while TRUE\n", "page.src:1: loop without end"},
      {"n = 1\nelse\n", "page.src:2: else without if"},
      {"if TRUE\nelse\nelseif FALSE\nend\n", "page.src:3: elseif after else"},
      {"end\n", "page.src:1: end without a block"},
      {"break\n", "page.src:1: break outside a loop"},
      {"n = (1\n", "page.src:1: 構文エラー"},
      {"n = Nothing(1)\n", "page.src:1: \"Nothing\" 関数名がありません"},
      {"goto nowhere\n", "page.src:1: no label nowhere in page.osb"},
      {"box PR_NOTHING=1\n", "page.src:1: unknown property PR_NOTHING"},
      {"box colour=1\n", "page.src:1: TComBoxNew has no field colour"},
      {"setprop PR_NAME=1\n", "page.src:1: TComSetProp takes no properties"},
      {"{sometimes} n = 1\n", "page.src:1: unknown attribute sometimes"},
      {"var n: integer\n", "page.src:1: the type is int, float, bool or str"},
      {"n = 1\n.version 110\n", "page.src:2: .version must come before the commands"},
      {".version 105\nwait 1 noevents\n", "page.src:2: noevents is not stored by pages of version 105"},
      {".mask 8 00000000000000000000000000000000000000000000\n\nbox PR_NAME=\"b\"\n",
       "page.src:3: PR_NAME is not in the page's mask for TComBoxNew"},
      {"TComWhile exit=x\n", "page.src:1: exit needs a number"},
  };
  for (const TCase& c : cases) {
    TCompileOptions options;
    options.file = "page.src";
    options.page_name = "page.osb";
    try {
      CompilePageSource(c.source, options);
      ADD_FAILURE() << "compiled: " << c.source;
    } catch (const EOrvoError& error) {
      EXPECT_EQ(std::string(error.what()).substr(0, std::string(c.message).size()), c.message) << error.what();
    }
  }
}

TEST(SourceCompiler, BlocksGiveIndentsAndTargets) {
  TPage page;
  page.Load("p.osb", CompilePageSource("for i = 0; i < 2; i = i + 1\n"
                                       "  if i\n"
                                       "    break\n"
                                       "  end\n"
                                       "  continue\n"
                                       "end\n"
                                       "label done\n"
                                       "goto done\n"
                                       "{yield off line=90} call p:done(1, <none>) -> r\n",
                                       {"p.src", "p.osb", {}}));
  // WhileInit, While, If, Break, Continue, WhileLoop, Label, Jump, Call.
  ASSERT_EQ(page.Count(), 9);
  const int kinds[] = {ckWhileInit, ckWhile, ckIf, ckBreak, ckContinue, ckWhileLoop, ckLabel, ckJump, ckCall};
  const int indents[] = {0, 0, 1, 2, 1, 0, 0, 0, 0};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(page.At(i).Kind(), kinds[i]) << i;
    EXPECT_EQ(page.At(i).indent, indents[i]) << i;
  }
  EXPECT_EQ(page.At(1).Number("exit"), 6);
  EXPECT_EQ(page.At(3).Number("target"), 6);
  EXPECT_EQ(page.At(4).Number("target"), 5);
  EXPECT_EQ(page.At(5).Number("loop"), 1);
  EXPECT_EQ(page.At(7).Number("target"), 6);
  EXPECT_EQ(page.At(7).Text("page"), "p.osb");
  const TCommand& call = page.At(8);
  EXPECT_EQ(call.Number("target"), 6);
  EXPECT_EQ(call.Text("result"), "r");
  EXPECT_EQ(call.FindField("args")->list.size(), 2u);
  EXPECT_TRUE(call.FindField("args")->list[1].Empty());
  EXPECT_EQ(call.line, 90);
  EXPECT_EQ(call.continue_byte, 0);
  EXPECT_EQ(call.disabled_byte, 1);
  EXPECT_EQ(page.At(0).line, 1);
  EXPECT_EQ(page.At(5).line, 6);
}

TEST(Interpreter, ResetKeepsOnlyPersistentVariablesAndRestartsThePage) {
  TScriptGame game;
  game.Page("start",
            "var status runs: int\nvar n: int = 5\nruns = runs + 1\n"
            "if runs < 3\n  reset start:again\nend\n"
            "label again\nvar after: int = n\n");
  game.Start();
  game.Frames(1);
  // The reset drops n, so the second run's after reads nothing and stays 0.
  EXPECT_EQ(game.Dump(), "global\tafter\tint\t0\nstatus\truns\tint\t1\n");
}

}  // namespace
}  // namespace orvo::test
