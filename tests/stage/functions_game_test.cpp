// Games run headless with every function installed: pages compiled from
// source, the interpreter on the stage's event queue, the headless desktop
// answering from an input script and recording to the trace.
#include <filesystem>
#include <map>

#include "base/cp932.h"
#include "base/trace.h"
#include "platform/input_script.h"
#include "script/call_man.h"
#include "script/lang/source_compiler.h"
#include "stage/functions_fixture.h"
#include "stage/stage_script_host.h"

namespace orvo::test {
namespace {

class TPages : public IPageSource {
 public:
  bool RequireFile(const std::string& name) override { return pages.count(name) > 0; }
  std::string LoadFile(const std::string& name) override { return pages.at(name); }
  std::map<std::string, std::string> pages;
};

class THeadlessGame {
 public:
  explicit THeadlessGame(IDesktop* desktop = nullptr) : world(desktop), script_host(world.stage, rest) {}

  void Page(const std::string& name, const std::string& source) {
    sources.push_back({name + ".src", PageFileName(name), source});
  }
  // Runs frames; the input script's answers reach dialogs before each frame, as the shell delivers them.
  void Run(int frames, const std::string& input = "", IDialogs* dialogs = nullptr) {
    pages.pages = CompilePages(sources);
    std::vector<TTimedInput> events;
    std::string error;
    ASSERT_TRUE(ParseInputScript(input, events, error)) << error;
    TInputScript script(std::move(events));
    call_man = std::make_unique<TCallMan>(world.state, world.engine, pages, world.stage.Events(), script_host);
    world.system_host.SetCallMan(call_man.get());
    call_man->StartPage("start.osb");
    for (int frame = 0; frame < frames; ++frame) {
      std::vector<TInputEvent> due;
      script.TakeDue(frame, due);
      for (const TInputEvent& event : due) {
        if (event.kind == TInputKind::Answer && dialogs) dialogs->QueueAnswer(event.text);
      }
      world.state.total_elapsed += 15;
      world.state.frame_delta = 15;
      world.stage.ProcessInput();
      call_man->RunFrame();
      world.stage.UpdateAll();
      world.stage.PaintAll();
      world.stage.ClearDirty();
      ++world.state.frame_counter;
    }
  }

  TFunctionWorld world;
  IScriptHost rest;
  TStageScriptHost script_host;
  TPages pages;
  std::vector<TPageSourceFile> sources;
  std::unique_ptr<TCallMan> call_man;
};

TEST(GameFunctions, AHeadlessGameTakesScreenshotsExtractsFilesAndAnswersDialogs) {
  const std::string user = MakeTempDir("user");
  const std::string trace = user + "/trace.txt";
  std::unique_ptr<IDialogs> dialogs = CreateHeadlessDialogs();
  std::unique_ptr<IDesktop> desktop = CreateHeadlessDesktop(*dialogs, user);
  THeadlessGame game(desktop.get());
  std::filesystem::create_directories(game.world.GamePath("shots"));
  game.Page("start",
            "var shot: bool\nvar shot_file: bool\nvar refused: bool\nvar count: int\nvar list: str\n"
            "var first: bool\nvar again: bool\nvar chosen: bool\nvar alerted: bool\n"
            "calc SetProp(\"a\", 8, $FF8000)\n"
            "shot = SaveScreen(\"mem:shot.dov\")\n"
            "shot_file = SaveScreen(\"shots\\title.dov\")\n"
            "refused = SaveScreen(\"..\\x.dov\")\n"
            "count = ListCompo(list)\n"
            "first = ExtractFile(\"mem:shot.dov\", TRUE, \"{Desktop}\")\n"
            "again = ExtractFile(\"mem:shot.dov\", TRUE, \"{Desktop}\")\n"
            "chosen = ExtractFile(\"mem:shot.dov\")\n"
            "alerted = Alert(\"できました\")\n"
            "wait\n");
  ASSERT_TRUE(Trace().Open(trace));
  game.Run(3, "0 answer yes\n0 answer export\n", dialogs.get());
  Trace().Close();

  TFunctionWorld& world = game.world;
  for (const char* name : {"shot", "shot_file", "first", "again", "chosen", "alerted"}) {
    EXPECT_EQ(world.Value(name), "TRUE") << name;
  }
  EXPECT_EQ(world.Value("refused"), "FALSE");
  EXPECT_EQ(world.Value("list"), "a|b|c|t");

  // Both pictures read back at the stage's size; nothing was written beside the game folder.
  const std::vector<uint8_t> memory = world.files.LoadBytes("mem:shot.dov");
  EXPECT_EQ(PictureSize(std::string(memory.begin(), memory.end())), std::make_pair(64, 48));
  EXPECT_EQ(PictureSize(ReadFile(world.GamePath("shots/title.dov"))), std::make_pair(64, 48));
  EXPECT_FALSE(std::filesystem::exists(world.root + "/x.dov"));
  EXPECT_EQ(ReadFile(user + "/Desktop/shot.dov"), std::string(memory.begin(), memory.end()));
  EXPECT_EQ(ReadFile(user + "/export/shot.dov"), std::string(memory.begin(), memory.end()));

  const std::string text = ReadFile(trace);
  for (const std::string& line :
       {"dialog: question " + user +
            "/Desktop/shot.dov\\r\\n\\r\\n既に同名のファイルが存在します。上書きしますか？ -> yes",
        "dialog: folder -> " + user + "/export", std::string("dialog: [Info] できました -> ok")}) {
    EXPECT_NE(text.find(line + "\n"), std::string::npos) << line << "\n" << text;
  }
}

// Faults of script-controlled counts and of the call stack stay mended.
TEST(GameFunctions, CountsFromScriptsAreBoundedAndDeleteStackKeepsTheCurrentCall) {
  CheckCases({
      {{}, "Length(IntToStr(-5, 2000000000)) < 100000", "bool\tTRUE"},
      {{}, R"(Length(IntToStr(-5, "99999999999999999999")) < 100000)", "bool\tTRUE"},
      {{}, R"(StringOfChar("ab", 2147483647))", "none"},
      {{}, R"(StringOfChar("", 2147483647))", "str\t"},
      {{}, "SetArray(arr, 65536, 65536)", "none"},
      {{}, "SetArray(arr, 2147483647, 2147483647, 2)", "none"},
      {{"SetArray(arr, 65536, 65536)"}, "GetArraySize(arr)", "int\t1"},
  });

  THeadlessGame game;
  game.Page("start", "var seen: int\nvar ok: bool\ncall a\n");
  game.Page("a", "var auto mine: int = 5\ncall b\n");
  game.Page("b", "var local here: int = 7\nok = DeleteStack(1)\nseen = here\n");
  game.Run(1);
  EXPECT_EQ(game.world.Value("ok"), "TRUE");
  EXPECT_EQ(game.world.Value("mine"), "<missing>");
  EXPECT_EQ(game.world.Value("seen"), "7");
}

TEST(GameFunctions, TheDemoTourOfTheDesktopRuns) {
  std::unique_ptr<IDialogs> dialogs = CreateHeadlessDialogs();
  std::unique_ptr<IDesktop> desktop = CreateHeadlessDesktop(*dialogs, MakeTempDir("demo-user"));
  THeadlessGame game(desktop.get());
  game.Page("start", "var tour: str\ncall tour\\desktop -> tour\n");
  game.Page("tour\\desktop", ReadFile(TestDataDir() + "/../demo/game/tour/desktop.src"));
  game.Run(1);
  EXPECT_EQ(game.world.Value("tour"), "screenshot TRUE, copy TRUE, 4 objects");
  const std::vector<uint8_t> backup = game.world.files.LoadBytes(Sjis("mem:demo\\backup.dov"));
  EXPECT_EQ(PictureSize(std::string(backup.begin(), backup.end())), std::make_pair(320, 240));
}

}  // namespace
}  // namespace orvo::test
