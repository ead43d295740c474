// The project over a game folder on disk: settings, start and exit pages,
// default variables, discs and the install descriptor.
#include "script/project.h"

#include <gtest/gtest.h>

#include "base/cp932.h"
#include "data/archive_tools.h"
#include "data/install_info.h"
#include "script_fixture.h"

namespace orvo::test {
namespace {

class TRecordingDialogs : public IDialogs {
 public:
  std::vector<std::string> shown;
  TBoxAnswer MessageBox(const std::string& caption, const std::string& text, TBoxButtons buttons, TBoxIcon) override {
    shown.push_back(caption + ":" + text);
    return DefaultAnswer(buttons);
  }
  std::optional<std::string> InputText(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void QueueAnswer(const std::string&) override {}
  std::string TakeTextAnswer() override { return {}; }
};

std::string Settings(const std::string& text) {
  TProjectSettings settings;
  settings.title = "T";
  settings.start_page = "start.osb";
  settings.media_extensions = ".wav.wma.ogg.mid";
  settings.disc_prompt = Sjis("ディスク%dを入れてから[OK]をクリックしてください");
  if (!text.empty()) settings.exit_page = text;
  TDefaultVariable score;
  score.type = 1;
  score.name = "score";
  score.int_value = 5;
  settings.default_variables.push_back(score);
  settings.folder_discs.push_back({"BGM", 2});
  TMemoryStream stream;
  WriteProjectSettings(stream, settings);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

struct TProjectRig {
  TProjectRig() : files(Options()), game(), project(game.state, files, dialogs) {}
  static TFileManagerOptions Options() {
    TFileManagerOptions options;
    options.media_patterns.clear();
    return options;
  }
  TVrFileManager files;
  TRecordingDialogs dialogs;
  TScriptGame game;
  TProject project;
};

TEST(Project, ReportsAMissingProjectAndStartPage) {
  std::string dir = MakeTempDir("project-missing");
  TProjectRig rig;
  rig.files.SetFolder(dir);
  EXPECT_FALSE(rig.project.Load());
  EXPECT_TRUE(rig.game.state.terminating && rig.game.state.fatal_error);
  EXPECT_EQ(rig.dialogs.shown.back(), "警告:プロジェクトがありません");

  WriteFile(dir + "/orvo.opb", Settings(""));
  TProjectRig second;
  second.files.SetFolder(dir);
  ASSERT_TRUE(second.project.Load(&second.game.engine.Store()));
  EXPECT_FALSE(second.game.state.terminating);
  EXPECT_FALSE(second.project.Start(second.game.engine, second.game.events, second.game.objects));
  EXPECT_EQ(second.dialogs.shown.back(), "警告:スタートページがありません");
  EXPECT_TRUE(second.game.state.fatal_error);
}

TEST(Project, StartsTheGameAndRunsTheExitPageAtTheEnd) {
  std::string dir = MakeTempDir("project-runs");
  WriteFile(dir + "/orvo.opb", Settings("bye.osb"));
  WriteFile(dir + "/start.osb", CompilePageSource("score = score + 1\nwait\n", {}));
  WriteFile(dir + "/bye.osb", CompilePageSource("score = score * 10\nwait\nscore = 0\n", {}));
  for (bool fatal : {false, true}) {
    TProjectRig rig;
    rig.files.SetFolder(dir);
    ASSERT_TRUE(rig.project.Load(&rig.game.engine.Store()));
    EXPECT_EQ(rig.game.Dump(), "status\tscore\tint\t5\n");
    ASSERT_TRUE(rig.project.Start(rig.game.engine, rig.game.events, rig.game.objects));
    rig.project.CallMan()->RunFrame();
    if (fatal) rig.game.state.SetFatal();
    rig.project.Shutdown();
    EXPECT_EQ(rig.game.Var("score"), fatal ? "6" : "60");
    EXPECT_TRUE(rig.game.state.terminating);
  }
}

TEST(Project, RequireFileAsksForDiscsOnlyForNonMediaFiles) {
  std::string dir = MakeTempDir("project-discs");
  WriteFile(dir + "/orvo.opb", Settings(""));
  TProjectRig rig;
  rig.files.SetFolder(dir);
  ASSERT_TRUE(rig.project.Load());
  EXPECT_EQ(rig.project.DiscOf("bgm\\title.ogg"), 2);
  EXPECT_EQ(rig.project.DiscOf("se\\a.wav"), 0);
  EXPECT_FALSE(rig.project.RequireFile(""));
  EXPECT_TRUE(rig.project.RequireFile("ORVO.OPB"));
  EXPECT_FALSE(rig.project.RequireFile("bgm\\title.ogg"));
  EXPECT_TRUE(rig.dialogs.shown.empty());
  // A picture on disc 2 is asked for; the headless answer gives up.
  EXPECT_FALSE(rig.project.RequireFile("bgm\\cover.png"));
  ASSERT_FALSE(rig.dialogs.shown.empty());
  EXPECT_NE(rig.dialogs.shown.front().find("ディスク2を入れてから"), std::string::npos);
}

std::string InstallData(bool local, const std::string& title) {
  TInstallInfo info;
  info.title = title;
  info.installed_locally = local;
  TMemoryStream stream;
  WriteInstallInfo(stream, info);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST(Project, LocatesTheGameDataThroughTheInstallDescriptor) {
  std::string program = MakeTempDir("locate-program");
  {
    TProjectRig rig;
    EXPECT_FALSE(rig.project.LocateGameData(program));
    EXPECT_EQ(rig.dialogs.shown.back(), "情報:インストールし直してください");
    EXPECT_TRUE(rig.game.state.fatal_error);
  }
  std::string data = MakeTempDir("locate-data");
  WriteFile(data + "/orvo.opb", Settings(""));
  PackFolder(data, program + "/game.dat");
  WriteFile(program + "/install.dat", InstallData(true, Sjis("題名")));
  {
    TProjectRig rig;
    EXPECT_TRUE(rig.project.LocateGameData(program));
    EXPECT_TRUE(rig.files.Exists("orvo.opb"));
  }
  // Installed from a disc that is not there: the questions end in giving up.
  WriteFile(program + "/install.dat", InstallData(false, Sjis("題名")));
  {
    TProjectRig rig;
    EXPECT_FALSE(rig.project.LocateGameData(program));
    EXPECT_EQ(rig.dialogs.shown.size(), 1000u * 2 - 1);
  }
}

}  // namespace
}  // namespace orvo::test
