// The call-manager record: a game saved mid-wait or mid-handler and loaded
// into a fresh interpreter goes on exactly as the original.
#include <gtest/gtest.h>

#include "script_fixture.h"

namespace orvo::test {
namespace {

void AddPages(TScriptGame& game) {
  game.Page("start",
            "var log: str\n"
            "var n: int\n"
            "call worker(3) -> n\n"
            "log = log ++ \"main:\" ++ n ++ \" \"\n"
            "wait 60\n"
            "log = log ++ \"end \"\n");
  game.Page("worker",
            ".result int\n"
            "var local k: int = @ParamStr[0]\n"
            "wait 45\n"
            "@Result = k * 2\n");
  game.Page("click",
            "log = log ++ \"click:\" ++ @Sender ++ \" \"\n"
            "wait 30\n"
            "log = log ++ \"clicked \"\n");
}

// Saves the store and the interpreter of game.
std::string Save(TScriptGame& game) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  game.engine.Store().SaveGame(writer);
  game.call_man->SaveTo(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void Load(TScriptGame& game, const std::string& bytes) {
  game.Compile();
  game.call_man = std::make_unique<TCallMan>(game.state, game.engine, game.pages, game.events, game.objects);
  game.host.SetCallMan(game.call_man.get());
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  game.engine.Store().LoadGame(reader, 201);
  game.call_man->LoadFrom(reader, 201);
  EXPECT_EQ(reader.Remaining(), 0);
}

TEST(CallManRecord, ResumesIdenticallyMidWaitAndMidHandler) {
  struct TCase {
    const char* name;
    int frames_before;
    bool click;
  } cases[] = {{"in the called page's wait", 2, false}, {"in a handler's wait", 2, true}};
  for (const TCase& c : cases) {
    TScriptGame original;
    AddPages(original);
    original.Start();
    original.Frames(1);
    if (c.click) original.events.Post({"click.osb", 1, 0, 0, {}});
    original.Frames(c.frames_before);
    std::string saved = Save(original);
    if (c.click) {
      EXPECT_EQ(original.call_man->Mode(), emHandlerWaits) << c.name;
    }

    TScriptGame restored;
    AddPages(restored);
    restored.state = original.state;
    Load(restored, saved);
    EXPECT_EQ(restored.Dump(), original.Dump()) << c.name;
    // The queue is the stage's: a restored handler's event is not queued again.
    std::string original_trace, restored_trace;
    {
      TTraceCapture trace;
      original.Frames(12);
      original_trace = trace.Text();
    }
    {
      TTraceCapture trace;
      restored.Frames(12);
      restored_trace = trace.Text();
    }
    EXPECT_EQ(restored_trace, original_trace) << c.name;
    EXPECT_EQ(restored.Dump(), original.Dump()) << c.name;
    EXPECT_NE(original.Var("log").find("end"), std::string::npos) << c.name << ": " << original.Var("log");
  }
}

TEST(CallManRecord, DamagedRecordsRaise) {
  TScriptGame game;
  AddPages(game);
  game.Start();
  game.Frames(2);
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  game.call_man->SaveTo(writer);
  std::string good(stream.Bytes().begin(), stream.Bytes().end());
  size_t name_end = 4 + static_cast<size_t>(good[0]);
  std::string bad_mode = good;
  bad_mode[name_end + 4 + 2] = 9;
  const std::pair<const char*, std::string> cases[] = {
      {"cut short", good.substr(0, good.size() / 2)},
      {"mode out of range", bad_mode},
      {"unknown page", std::string("\x07\x00\x00\x00nothere", 11) + good.substr(name_end)},
  };
  for (const auto& [name, bytes] : cases) {
    TSpanStream input(bytes.data(), bytes.size());
    TBinaryReader reader(input);
    EXPECT_THROW(game.call_man->LoadFrom(reader, 201), EOrvoError) << name;
  }
}

}  // namespace
}  // namespace orvo::test
