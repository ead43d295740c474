// The object and property commands run from compiled pages against a stage.
#include <gtest/gtest.h>

#include "base/random.h"
#include "script/call_man.h"
#include "script/lang/source_compiler.h"
#include "script/system_host.h"
#include "stage/list_box.h"
#include "stage/message.h"
#include "stage/particle.h"
#include "stage/picture_fixture.h"
#include "stage/stage_script_host.h"
#include "support/test_support.h"
#include "vars/engine.h"

namespace orvo::test {
namespace {

class TPagesAndPictures : public IPageSource {
 public:
  bool RequireFile(const std::string& name) override { return files.count(name) > 0; }
  std::string LoadFile(const std::string& name) override { return files.at(name); }
  std::map<std::string, std::string> files;
};

class ObjectCommandTest : public ::testing::Test {
 public:
  ObjectCommandTest() : system_(state_), engine_(system_, random_), stage_(state_), host_(stage_, shell_) {
    engine_.Functions();
    stage_.SetSize(64, 48);
  }

  // Compiles the start page and enters it.
  void Start(const std::string& source) {
    for (auto& [name, bytes] : CompilePages({{"start.src", "start.osb", source}})) pages_.files[name] = bytes;
    call_man_ = std::make_unique<TCallMan>(state_, engine_, pages_, stage_.Events(), host_);
    call_man_->StartPage("start.osb");
  }
  void Frames(int count, int32_t delta = 15) {
    for (int i = 0; i < count; ++i) {
      state_.total_elapsed += delta;
      state_.frame_delta = delta;
      call_man_->RunFrame();
      stage_.UpdateAll();
      stage_.PaintAll();
      stage_.ClearDirty();
    }
  }
  TOrvoControl* Control(const std::string& name) { return stage_.FindControl(Sjis(name)); }
  std::string ParentOf(const std::string& name) {
    TOrvoControl* control = Control(name);
    if (!control || !control->Parent()) return "<none>";
    if (control->Parent() == &stage_.Screen(0)) return "screen0";
    if (control->Parent() == &stage_.Screen(1)) return "screen1";
    return control->Parent()->Name();
  }

  TRuntimeState state_;
  TScriptSystemHost system_;
  TProcessRandom random_;
  TExprEngine engine_;
  TPagesAndPictures pages_;
  TOrvoBaseList stage_;
  IScriptHost shell_;
  TStageScriptHost host_;
  std::unique_ptr<TCallMan> call_man_;
};

TEST_F(ObjectCommandTest, CreationAppliesDefaultsOnlyForTheExpressionsItCarries) {
  Start(
      ".mask 8 7f7e0028fc8b0000800001008800f2004000bf001800\n"
      "box PR_NAME=\"plain\"\n"
      "box PR_NAME=\"child\", PR_PARENT=\"plain\", PR_LEFT=4, PR_WIDTH=3\n"
      "box PR_NAME=\"lost\", PR_PARENT=\"nowhere\"\n");
  Frames(1);
  ASSERT_NE(Control("plain"), nullptr);
  EXPECT_EQ(Control("plain")->GetInt(PR_COLOR), 0) << "no PR_COLOR expression: the object's own default";
  EXPECT_EQ(Control("plain")->GetInt(PR_ALPHA), 255);
  EXPECT_TRUE(Control("plain")->Visible());
  EXPECT_EQ(ParentOf("child"), "plain");
  EXPECT_EQ(Control("child")->Left(), 4);
  EXPECT_EQ(ParentOf("lost"), "screen0");
}

TEST_F(ObjectCommandTest, AnEmptyExpressionGivesTheCommandsDefault) {
  Start("box PR_NAME=\"a\", PR_COLOR=<none>\nbox PR_NAME=\"b\"\nbox PR_NAME=\"c\", PR_COLOR=$102030\n");
  Frames(1);
  EXPECT_EQ(Control("a")->GetInt(PR_COLOR), -1);
  EXPECT_EQ(Control("b")->GetInt(PR_COLOR), -1);
  EXPECT_EQ(Control("c")->GetInt(PR_COLOR), 0x102030);
  EXPECT_EQ(Control("b")->GetInt(PR_BORDERCOLOR), -1);
}

TEST_F(ObjectCommandTest, PropertyCommandsReadWriteAndDelete) {
  Start(
      "box PR_NAME=\"a\"\n"
      "setprop obj=\"a\", prop=PR_LEFT, value=42\n"
      "var left: int\n"
      "getprop obj=\"a\", prop=3, var=\"left\"\n"
      "setprop obj=\"missing\", prop=3, value=1\n"
      "timer PR_NAME=\"t\", PR_DELAY=100\n"
      "objdel obj=\"t\"\n"
      "play obj=\"a\"\n");
  Frames(1);
  EXPECT_EQ(Control("a")->Left(), 42);
  EXPECT_EQ(engine_.Store().Find("left")->Value().GetAsInt(), 42);
  EXPECT_EQ(stage_.FindComponent("t"), nullptr);
  EXPECT_FALSE(state_.fatal_error);
}

TEST_F(ObjectCommandTest, BadPropertyIdsStopTheGame) {
  for (const char* line : {"setprop obj=\"a\", prop=<none>, value=1", "setprop obj=\"a\", prop=-1, value=1",
                           "motion target=\"a\", prop=-3, value=1, time=10", "motion target=\"a\", value=1"}) {
    SCOPED_TRACE(line);
    state_ = TRuntimeState();
    stage_.ResetStage();
    Start(std::string("box PR_NAME=\"a\"\n") + line + "\n");
    Frames(1);
    EXPECT_TRUE(state_.fatal_error);
  }
}

TEST_F(ObjectCommandTest, PropertyMotionMovesAPropertyFrameByFrame) {
  Start("box PR_NAME=\"a\"\nmotion name=\"m\", target=\"a\", prop=PR_LEFT, value=100, time=60\nwait\n");
  std::vector<int32_t> lefts;
  for (int i = 0; i < 6; ++i) {
    Frames(1);
    lefts.push_back(Control("a")->Left());
  }
  EXPECT_EQ(lefts, (std::vector<int32_t>{0, 25, 50, 75, 100, 100}));
  EXPECT_EQ(stage_.FindComponent("m"), nullptr);
}

TEST_F(ObjectCommandTest, FlipMovesWhatTheListDoesNotNameAndSwitchesScreens) {
  Start(
      "box PR_NAME=\"bg\"\nbox PR_NAME=\"x\"\nbox PR_NAME=\"y\"\n"
      "flip time=100, select=0, names=(\"bg\"), deleteold=TRUE\n"
      "var done: int = 1\n");
  Frames(1);
  EXPECT_EQ(ParentOf("x"), "screen1");
  EXPECT_EQ(ParentOf("y"), "screen1");
  EXPECT_EQ(ParentOf("bg"), "screen0");
  EXPECT_NE(stage_.FindComponent(std::string("\x01\x01", 2)), nullptr) << "the cover shows the old picture";
  EXPECT_EQ(stage_.ActiveScreenIndex(), 0);
  Frames(3);
  EXPECT_EQ(stage_.ActiveScreenIndex(), 1);
  EXPECT_EQ(stage_.FindComponent(std::string("\x01\x01", 2)), nullptr);
  EXPECT_EQ(stage_.FindComponent("bg"), nullptr) << "delete-old scraps what stayed behind";
  EXPECT_EQ(ParentOf("x"), "screen1");
  EXPECT_EQ(engine_.Store().Find("done")->Value().GetAsInt(), 1);
}

TEST_F(ObjectCommandTest, FlipSelectionModes) {
  struct TCase {
    const char* flip;
    std::vector<std::string> moved;
  };
  const std::vector<TCase> cases = {
      {"flip time=0, select=1, names=(\"a\" ++ Chr(13) ++ Chr(10) ++ \"c\")", {"a", "c"}},
      {"flip time=0, select=0, names=(\"a\", \"b\")", {"c"}},
      {"flip time=0, select=2, names=(\"a\")", {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.flip);
    stage_.ResetStage();
    Start(std::string("box PR_NAME=\"a\"\nbox PR_NAME=\"b\"\nbox PR_NAME=\"c\"\n") + c.flip + "\n");
    Frames(1);
    // A flip of time 0 switches at once: what moved is on the active screen now.
    std::vector<std::string> moved;
    for (const char* name : {"a", "b", "c"}) {
      if (ParentOf(name) == (stage_.ActiveScreenIndex() == 0 ? "screen0" : "screen1")) moved.push_back(name);
    }
    EXPECT_EQ(moved, c.moved);
  }
}

TEST_F(ObjectCommandTest, CabinetsKeepSelectedObjectsAndVanishWhenEmpty) {
  Start(
      "box PR_NAME=\"a\", PR_PARENT=Chr(1)\nbox PR_NAME=\"b\", PR_PARENT=Chr(1)\n"
      "cabinetsave PR_NAME=\"none\", names=(\"zzz\")\n"
      "cabinetsave PR_NAME=\"cab\", names=(\"a\")\n"
      "timer PR_NAME=\"t\"\n"
      "cabinetsave PR_NAME=\"t\", invert=TRUE\n"
      "wait\n");
  Frames(1);
  EXPECT_EQ(stage_.FindComponent("none"), nullptr) << "a cabinet that selects nothing is scrapped";
  EXPECT_EQ(ParentOf("a"), "cab");
  EXPECT_EQ(ParentOf("b"), "screen1") << "a name held by a timer makes no cabinet";
  EXPECT_EQ(stage_.FindComponent("t")->CompoType(), kcTimer);
  pages_.files.clear();
  Start("cabinetload PR_NAME=\"cab\", invert=TRUE\nwait\n");
  Frames(1);
  EXPECT_EQ(ParentOf("a"), "screen1");
  EXPECT_EQ(stage_.FindComponent("cab"), nullptr);
}

TEST_F(ObjectCommandTest, ImagesLoadThroughTheInterpretersFiles) {
  pages_.files["pic.dov"] = DovaBytes({Plain(5, 3, 0xFF)});
  Start("image PR_NAME=\"i\", PR_SOURCE=\"pic.dov\", PR_LEFT=2, PR_TOP=2, PR_ZOOMX=512\nwait\n");
  Frames(1);
  ASSERT_NE(Control("i"), nullptr);
  EXPECT_EQ(Control("i")->Width(), 10);
  EXPECT_EQ(Control("i")->Height(), 3);
  EXPECT_EQ(stage_.DisplaySurface().GetPixel(11, 4), 0xFF0000u);
}

TEST_F(ObjectCommandTest, KindsTheStageDoesNotKnowCreateNothing) {
  Start("var n: int = 0\ncinema PR_NAME=\"m\", PR_LEFT=n + 1\nsound PR_NAME=\"s\"\nvar after: int = 1\n");
  Frames(1);
  EXPECT_EQ(stage_.FindComponent("m"), nullptr);
  EXPECT_EQ(stage_.FindComponent("s"), nullptr);
  EXPECT_EQ(engine_.Store().Find("after")->Value().GetAsInt(), 1);
  EXPECT_FALSE(state_.fatal_error);
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST_F(ObjectCommandTest, TheTextCommandHoldsUntilTheWindowIsEmptyAndMarksWhatWasRead) {
  Start(
      "message PR_NAME=\"m\", PR_WIDTH=60, PR_HEIGHT=20\n"
      "text markup=\"AB\", obj=\"m\", hist=TRUE, wait=TRUE\n"
      "var after: int = 1\n"
      "text markup=\"CD\", obj=\"m\", hist=TRUE\n"
      "textclear obj=\"m\"\n"
      "var cleared: int = 1\n"
      "wait\n");
  Frames(40);
  auto* message = dynamic_cast<TOrvoMes*>(Control("m"));
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(engine_.Store().Find("after"), nullptr) << "holds while the window holds text";
  EXPECT_EQ(message->GetStr(PR_TEXT), "AB");
  EXPECT_EQ(message->GetInt(PR_INDEX), 0);
  // The finished page is read; it belongs to the command at index 1 of the page.
  const std::string page = call_man_->CurrentPage()->Name();
  EXPECT_TRUE(stage_.ReadMarks().IsRead(page, 1, 0));
  message->SetText("");
  Frames(3);
  ASSERT_NE(engine_.Store().Find("cleared"), nullptr);
  // The second text was cleared before it finished: not read.
  EXPECT_FALSE(stage_.ReadMarks().IsRead(page, 3, 0));
  EXPECT_EQ(message->PageCount(), 0);
  EXPECT_EQ(message->TextSourceFlag(), TTextSource::Plain);
  EXPECT_FALSE(state_.fatal_error);
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST_F(ObjectCommandTest, MenusOpenOnCreationCloseByNameAndReportTheChoice) {
  Start(
      "caption PR_NAME=\"l\", PR_TEXT=\"x\"\n"
      "button PR_NAME=\"b\", PR_TEXT=\"go\", PR_GROUPINDEX=1\n"
      "menu PR_NAME=\"m\", PR_TEXT=\"one\\ntwo\", PR_DELAY=30, PR_LEFT=5, PR_TOP=5\n"
      "wait 100\n"
      "menuclose obj=\"m\"\n"
      "wait\n");
  Frames(1);
  ASSERT_NE(Control("l"), nullptr);
  EXPECT_EQ(Control("l")->CompoType(), kcLabel);
  ASSERT_NE(Control("b"), nullptr);
  EXPECT_TRUE(Control("b")->GetBool(PR_SELECTED)) << "alone in its group";
  auto* menu = dynamic_cast<TOrvoMenu*>(Control("m"));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->GetPlayState(), msOpening);
  Frames(4);
  EXPECT_EQ(menu->AnimationStage(), 0) << "opened after its delay";
  menu->SetHover(1);
  menu->Select();
  EXPECT_EQ(engine_.Store().SelectedString(), "two");
  EXPECT_EQ(engine_.Store().SelectedIndex(), 1);
  Frames(10);
  EXPECT_EQ(Control("m"), nullptr) << "closed by name, then deleted";
  EXPECT_EQ(engine_.Store().SelectedIndex(), 1) << "closing by command keeps the choice";
}

TEST_F(ObjectCommandTest, EffectKindsComeFromTheirCreationCommands) {
  Start(
      "var n: int = 2\n"
      "fire PR_NAME=\"f\", PR_ORIGWIDTH=20, PR_ORIGHEIGHT=10, PR_ZOOMX=512, PR_ZOOMY=384, PR_POWER=300\n"
      "wave PR_NAME=\"w\", PR_WIDTH=64, PR_HEIGHT=48, PR_AMP=5, PR_WAVELEN=0\n"
      "particle PR_NAME=\"p\", PR_WIDTH=64, PR_HEIGHT=48, PR_PARTMOTION=1, PR_PARAM1=0.5, PR_APPEARX=n * 10, "
      "PR_APPEARY=3, PR_DELAY=48, PR_ALPHA=200\n"
      "cgcaption PR_NAME=\"c\", PR_MAPTEXT=\"0123456789\", PR_TEXT=\"42\", PR_GLYPHWIDTH=4, PR_GLYPHHEIGHT=5\n"
      "wait 30\n"
      "n = 5\n"
      "wait\n");
  Frames(1);
  ASSERT_NE(Control("f"), nullptr);
  EXPECT_EQ(Control("f")->CompoType(), kcFire);
  EXPECT_EQ(Control("f")->Width(), 40);
  EXPECT_EQ(Control("f")->Height(), 15);
  EXPECT_EQ(Control("f")->GetInt(PR_POWER), 255);
  ASSERT_NE(Control("w"), nullptr);
  EXPECT_EQ(Control("w")->GetInt(PR_AMP), 5);
  EXPECT_EQ(Control("w")->GetInt(PR_WAVELEN), 1);
  ASSERT_NE(Control("c"), nullptr);
  EXPECT_EQ(Control("c")->Width(), 8);
  EXPECT_EQ(Control("c")->Height(), 5);
  auto* emitter = dynamic_cast<TOrvoParticle*>(Control("p"));
  ASSERT_NE(emitter, nullptr);
  // The appearance expressions are evaluated again for every particle.
  ASSERT_EQ(emitter->ParticleCount(), 1);
  EXPECT_EQ(emitter->Particles()[0]->BaseX(), 20);
  EXPECT_EQ(emitter->Particles()[0]->BaseY(), 3);
  Frames(6);
  ASSERT_GE(emitter->ParticleCount(), 2);
  const int32_t top = emitter->Particles()[0]->Top();
  EXPECT_GT(top, 3);
  Frames(4);
  EXPECT_EQ(emitter->Particles().back()->BaseX(), 50);
  EXPECT_EQ(emitter->Particles().back()->GetInt(PR_ALPHA), 200);
  EXPECT_FALSE(state_.fatal_error);
}

}  // namespace
}  // namespace orvo::test
