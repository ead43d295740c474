// Whole pages built with the compiler, run frame by frame.
#include <gtest/gtest.h>

#include "script_fixture.h"

namespace orvo::test {
namespace {

TEST(Interpreter, IfElseifElseChainsTakeOneBranch) {
  struct TCase {
    int x;
    const char* taken;
  } cases[] = {{1, "one"}, {2, "two"}, {3, "three"}, {9, "other"}};
  for (const TCase& c : cases) {
    TScriptGame game;
    game.Page("start", "var x: int = " + std::to_string(c.x) +
                           "\n"
                           "var taken: str\n"
                           "if x == 1\n  taken = \"one\"\n"
                           "elseif x == 2\n  taken = \"two\"\n"
                           "elseif x == 3\n  if TRUE\n    taken = \"three\"\n  end\n"
                           "else\n  taken = \"other\"\nend\n"
                           "taken = taken ++ \"!\"\n");
    game.Start();
    game.Frames(1);
    EXPECT_EQ(game.Var("taken"), std::string(c.taken) + "!") << c.x;
  }
}

TEST(Interpreter, NestedLoopsWithBreakAndContinue) {
  TScriptGame game;
  game.Page("start",
            "var pairs: str\n"
            "var count: int\n"
            "var i: int\n"
            "for i = 0; i < 4; i = i + 1\n"
            "  continue if i == 1\n"
            "  var j: int = 0\n"
            "  while TRUE\n"
            "    j = j + 1\n"
            "    break if j > i\n"
            "    continue if j == 2\n"
            "    pairs = pairs ++ i ++ \":\" ++ j ++ \" \"\n"
            "  end\n"
            "  count = count + 1\n"
            "end\n"
            "while FALSE\n  count = 100\nend\n");
  game.Start();
  game.Frames(1);
  EXPECT_EQ(game.Var("pairs"), "2:1 3:1 3:3 ");
  EXPECT_EQ(game.Var("count"), "3");
}

TEST(Interpreter, CallsPassArgumentsAndReturnValues) {
  TScriptGame game;
  game.Page("start",
            "var got: str\n"
            "var n: int\n"
            "var list: int\n"
            "calc SetArray(list, 3)\n"
            "call lib:quote(\"a\", 1 + 2) -> got\n"
            "call lib:count -> n\n"
            "call lib:count -> list[1]\n"
            "call lib:count -> missing\n");
  game.Page("lib",
            ".result str\n"
            "label quote\n"
            "@Result = @ParamStr[0] ++ \"\\\"\\\\\" ++ @ParamStr[1] ++ @ParamCount\n"
            "return\n"
            "label count\n"
            "@Result = @StackCount * 10\n");
  game.Start();
  game.Frames(1);
  EXPECT_EQ(game.Var("got"), "a\"\\32");
  EXPECT_EQ(game.Var("n"), "10");
  EXPECT_EQ(game.engine.Store().Find("list")->Value().GetStr(1), "10");
  // A missing result variable is not created: the statement fails quietly.
  EXPECT_EQ(game.Var("missing"), "<none>");
  EXPECT_EQ(game.call_man->StackCount(), 0);
}

TEST(Interpreter, ReturnedTextNeverRunsAsCode) {
  TScriptGame game;
  game.Page("start", "var t: str\nvar hacked: int\ncall lib -> t[0]\n");
  game.Page("lib", ".result str\n@Result = \"\\\"; hacked = 1; \\\\\"\n");
  game.Start();
  game.Frames(1);
  EXPECT_EQ(game.Var("t"), "\"; hacked = 1; \\");
  EXPECT_EQ(game.Var("hacked"), "0");
}

TEST(Interpreter, WaitCountsFrameTimeAfterItsFirstFrame) {
  TScriptGame game;
  game.Page("start", "var done: int\nwait 100\ndone = @TickCount\n");
  game.Start();
  for (int frame = 1; frame <= 7; ++frame) {
    game.Frames(1);
    EXPECT_EQ(game.Var("done"), frame < 8 ? "0" : "") << frame;
  }
  game.Frames(1);
  // Started at 15 ms; the following frames sum to 105 at 120 ms.
  EXPECT_EQ(game.Var("done"), "120");
}

TEST(Interpreter, ContinueFlagDecidesCommandsPerFrame) {
  TScriptGame game;
  game.Page("start", "var n: int\n{yield} n = n + 1\n{yield} n = n + 1\n{yield} n = n + 1\nn = n + 1\nn = n + 1\n");
  game.Start();
  std::vector<std::string> seen;
  for (int i = 0; i < 4; ++i) {
    game.Frames(1);
    seen.push_back(game.Var("n"));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3", "5"}));
}

TEST(Interpreter, EmptyConditionsNeitherExitNorLoop) {
  TScriptGame game;
  game.Page("start", "var n: int\nreturn if <none>\nwhile <none>\n  n = 100\nend\nn = n + 1\n");
  game.Start();
  game.Frames(1);
  EXPECT_EQ(game.Var("n"), "1");
}

TEST(Interpreter, EventsWaitForANoEventsWait) {
  TScriptGame game;
  game.Page("start", "var log: str\nwait 30 noevents\nlog = log ++ \"main \"\nwait\n");
  game.Page("click", "log = log ++ @Sender ++ \" \"\n");
  game.Start();
  game.Frames(1);
  game.events.Post({"click.osb", 1, 0, 0, {}});
  game.Frames(1);
  EXPECT_EQ(game.Var("log"), "");
  // The wait ends; the handler runs before the next command of the page.
  game.Frames(1);
  EXPECT_EQ(game.Var("log"), "button main ");
  EXPECT_EQ(game.events.Size(), 0u);
}

TEST(Interpreter, HandlersRunAsNestedCallsWithLabelsAndArguments) {
  TScriptGame game;
  game.Page("start", "var log: str\nwait\n");
  game.Page("handlers", "log = log ++ \"no \"\nlabel tick\nlog = log ++ @ParamStr[0] ++ @StackCount ++ \" \"\n");
  game.Start();
  game.events.Post({"missing.src", 2, 0, 0, {}});
  game.events.Post({"handlers.src:tick", 2, 0, 0, {"t"}});
  game.Frames(1);
  // The event of a missing page is dropped instead of blocking the queue.
  EXPECT_EQ(game.events.Size(), 0u);
  EXPECT_EQ(game.Var("log"), "t1 ");
  EXPECT_EQ(game.call_man->StackCount(), 0);
}

TEST(Interpreter, EventAfterTheMainPageEndedRunsWithoutPage) {
  TScriptGame game;
  game.Page("start", "var n: int\n");
  game.Page("click", "n = n + 1\n");
  game.Start();
  game.Frames(2);
  game.events.Post({"click.osb", 1, 0, 0, {}});
  game.Frames(2);
  EXPECT_EQ(game.Var("n"), "1");
  EXPECT_FALSE(game.state.fatal_error);
  EXPECT_EQ(game.call_man->CurrentPage(), nullptr);
}

TEST(Interpreter, ThirtyFirstPageEvictsTheLeastRecentlyUsed) {
  TScriptGame game;
  std::string start = "var n: int\n";
  for (int i = 1; i <= 30; ++i) {
    std::string name = "p";
    name += std::to_string(i);
    game.Page(name, "n = n + 1\n");
    start += "call ";
    start += name;
    start += "\n";
  }
  start += "call p1\n";
  game.Page("start", start);
  game.Start();
  game.Frames(1);
  EXPECT_EQ(game.Var("n"), "31");
  // start, p1..p30: start was the current page, so p1 left, and came back.
  EXPECT_EQ(game.call_man->CachedPages().size(), 30u);
  EXPECT_EQ(game.pages.loads["p1.osb"], 2);
  EXPECT_EQ(game.pages.loads["start.osb"], 1);
  EXPECT_EQ(game.call_man->CachedPages().front()->Name(), "start.osb");
}

TEST(Interpreter, PCResetWithAndWithoutFullReset) {
  struct TCase {
    const char* reset;
    const char* log;
    int stack;
  } cases[] = {
      // Back to the main script: each handler finishes, then main goes on at the
      // label; a full reset also empties the queue.
      {"pcreset start:again", "h1 rest h1 rest again ", 0},
      {"pcreset start:again full", "h1 again ", 0},
  };
  for (const TCase& c : cases) {
    TScriptGame game;
    game.Page("start",
              "var log: str\nvar local_seen: int\n"
              "wait\nlog = log ++ \"never \"\nlabel again\nlog = log ++ \"again \"\nwait\n");
    game.Page("click", std::string("log = log ++ \"h1 \"\n") + c.reset + "\nlog = log ++ \"rest \"\n");
    game.Start();
    game.Frames(1);
    game.events.Post({"click.osb", 1, 0, 0, {}});
    game.events.Post({"click.osb", 1, 0, 0, {}});
    game.Frames(1);
    EXPECT_EQ(game.Var("log"), c.log) << c.reset;
    EXPECT_EQ(game.call_man->StackCount(), c.stack) << c.reset;
  }
}

TEST(Interpreter, DeleteStackRemovesAFrameAndItsVariables) {
  TScriptGame game;
  game.Page("start", "var r: int\nvar after: int\ncall a\nafter = 1\n");
  game.Page("a", "var auto mine: int = 5\ncall b\n");
  game.Page("b", "var ok: bool\nok = DeleteStack(1)\nr = @StackCount\n");
  game.Start();
  game.Frames(1);
  EXPECT_EQ(game.Var("r"), "1");
  EXPECT_EQ(game.Var("mine"), "<none>");
  // Returning from b skips a and lands in start.
  EXPECT_EQ(game.Var("after"), "1");
}

TEST(Interpreter, ScopesFollowTheCallDepth) {
  TScriptGame game;
  game.Page("start", "var x: int = 1\ncall sub\nvar seen: int = x\n");
  game.Page("sub", "var local x: int = 2\nvar auto y: int = x\nvar status keep: int = 7\nvar status keep: int = 8\n");
  game.Start();
  game.Frames(1);
  EXPECT_EQ(game.Dump(), "global\tseen\tint\t1\nglobal\tx\tint\t1\nstatus\tkeep\tint\t7\n");
}

TEST(Interpreter, ACommandRaisingStopsTheGame) {
  TScriptGame game;
  // A variable without a name raises "変数名がありません".
  game.Page("start", "var n: int\nTComVarNew type=1\nn = 1\n");
  TTraceCapture trace;
  game.Start();
  game.Frames(3);
  EXPECT_TRUE(game.state.fatal_error);
  EXPECT_EQ(game.Var("n"), "0");
  // Reported once, to the host and in the trace after the failing line.
  const std::string report = Sjis("start.osb(2) TComVarNew: 変数名がありません");
  EXPECT_EQ(game.objects.errors, std::vector<std::string>{report});
  EXPECT_NE(trace.Text().find("start.osb(2)\n<Error> " + report + "\n"), std::string::npos);
}

TEST(Interpreter, ATooOldPageKeepsItsOwnWarningAndIsOnlyTraced) {
  TScriptGame game;
  game.Page("start", "var n: int = 1\ncall old\n");
  TTraceCapture trace;
  game.Compile();
  game.pages.pages["old.osb"] = std::string("\x66\x00\x00\x00", 4);
  game.Start();
  game.Frames(2);
  EXPECT_TRUE(game.state.fatal_error);
  EXPECT_EQ(game.objects.warnings, std::vector<std::string>{"old.osb\r\n" + Sjis("リビルドしてください")});
  EXPECT_TRUE(game.objects.errors.empty());
  EXPECT_NE(trace.Text().find("<Error> start.osb(2) TComCall: old.osb\r\n"), std::string::npos);
}

TEST(Interpreter, TraceShowsEveryCommandOnceAndPendingKinds) {
  TScriptGame game;
  game.Page("start", "var n: int\nwait 30\nbox PR_NAME=\"b\"\n");
  TTraceCapture trace;
  game.Start();
  game.Frames(4);
  EXPECT_EQ(trace.Text(),
            "0000000f : start.osb(1)\n0000000f : start.osb(2)\n0000002d : start.osb(3)\n"
            "0000002d : <TComBoxNew>start.osb(3)\n");
}

// A command that holds the program counter without ending the frame itself.
class THolding : public TCommand {
 public:
  THolding() : TCommand(ckFlip) { InitFields(); }
  bool IsWaiting() const override { return true; }
  void Execute(TCallMan& cm) override {
    if (++runs == 3) cm.Advance();
  }
  int runs = 0;
};

TEST(Interpreter, AHoldingCommandEndsTheFrameWhateverItsContinueFlag) {
  TScriptGame game;
  game.Page("start", "var n: int\nn = 1\n");
  game.Start();
  auto holding = std::make_unique<THolding>();
  THolding* raw = holding.get();
  auto& commands = game.call_man->CurrentPage()->Commands();
  commands.insert(commands.begin() + 1, std::move(holding));
  game.Frames(1);
  EXPECT_EQ(raw->runs, 1);
  game.Frames(2);
  EXPECT_EQ(raw->runs, 3);
  EXPECT_EQ(game.Var("n"), "1");
}

}  // namespace
}  // namespace orvo::test
