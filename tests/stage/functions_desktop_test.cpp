// The functions that reach the desktop, and the desktop service itself.
#include <filesystem>

#include "base/cp932.h"
#include "base/trace.h"
#include "stage/functions_fixture.h"
#include "surface/picture_io.h"

namespace orvo::test {
namespace {

TEST(DesktopFunctions, OpenUrlOpensAddressesAndExistingFolders) {
  struct TCase {
    const char* url;
    const char* opened;  // below the game folder when it starts with '@'; nullptr: nothing
  } cases[] = {
      {"http://example.com/", "http://example.com/"},
      {"https://例え.jp/?q=ソ", "https://例え.jp/?q=ソ"},
      {"ftp://host/file", "ftp://host/file"},
      {"HTTP://example.com/", nullptr},
      {"mailto:someone@example.com", nullptr},
      {"data", "@data"},
      {"DATA\\\\", "@data"},
      {"nofolder", nullptr},
      {"..", nullptr},
      {"", nullptr},
  };
  for (const TCase& c : cases) {
    TFunctionWorld world;
    std::filesystem::create_directories(world.GamePath("data"));
    EXPECT_EQ(world.Eval(std::string("OpenUrl(\"") + c.url + "\")"), "bool\tFALSE") << c.url;
    std::vector<std::string> expected;
    if (c.opened) expected.push_back(c.opened[0] == '@' ? world.GamePath(c.opened + 1) : c.opened);
    EXPECT_EQ(world.desktop.opened, expected) << c.url;
  }
}

TEST(DesktopFunctions, FileAndFolderDialogsWriteTheChosenPathAsScriptsSeePaths) {
  struct TCase {
    const char* call;
    std::optional<std::string> answer;
    const char* result;
    const char* path;  // the variable s afterwards
    TFileDialogKind kind;
    const char* filter;
  } cases[] = {
      {R"(SelectOpenFile(s, "Texts|*.txt"))", "/home/u/ソ表/a b.txt", "bool\tTRUE", "\\home\\u\\ソ表\\a b.txt",
       TFileDialogKind::Open, "Texts|*.txt"},
      {R"(SelectOpenFile(s))", std::nullopt, "bool\tFALSE", "before", TFileDialogKind::Open, ""},
      {R"(SelectSaveFile(s, "画像|*.dov"))", "/tmp/x.dov", "bool\tTRUE", "\\tmp\\x.dov", TFileDialogKind::Save,
       "画像|*.dov"},
      {R"(SelectDirectory(s))", "/tmp/dir", "bool\tTRUE", "\\tmp\\dir\\", TFileDialogKind::Folder, ""},
      {R"(SelectDirectory(s))", "/", "bool\tTRUE", "\\", TFileDialogKind::Folder, ""},
      // A path that Shift-JIS cannot hold is not handed to the script.
      {R"(SelectOpenFile(s))", "/tmp/\xF0\x9F\x98\x80.txt", "bool\tFALSE", "before", TFileDialogKind::Open, ""},
  };
  for (const TCase& c : cases) {
    TFunctionWorld world;
    ASSERT_TRUE(world.Run(R"(s = "before")"));
    world.desktop.file_answers.push_back(c.answer);
    EXPECT_EQ(world.Eval(c.call), c.result) << c.call;
    EXPECT_EQ(world.Value("s"), c.path) << c.call;
    ASSERT_EQ(world.desktop.requests.size(), 1u) << c.call;
    EXPECT_EQ(world.desktop.requests[0].kind, c.kind) << c.call;
    EXPECT_EQ(world.desktop.requests[0].filter, c.filter) << c.call;
    EXPECT_EQ(world.desktop.requests[0].initial_folder,
              c.kind == TFileDialogKind::Folder ? "" : world.root + "/Desktop")
        << c.call;
  }
}

TEST(DesktopFunctions, AlertAndWallpaper) {
  TFunctionWorld world;
  EXPECT_EQ(world.Eval(R"(Alert("セーブしました"))"), "bool\tTRUE");
  EXPECT_EQ(world.desktop.informed, std::vector<std::string>{"Info:セーブしました"});

  // The picture is written; the desktop is never changed, so the answer is false.
  const std::string wallpaper = world.desktop.WallpaperFile();
  EXPECT_EQ(world.Eval(R"(SetWallPaper("", 1))"), "bool\tFALSE");
  EXPECT_EQ(world.desktop.wallpapers, std::vector<std::string>{wallpaper + ":1"});
  TDIBSurface picture;
  TMemoryStream screen{std::string_view(ReadFile(wallpaper))};
  ReadBmp(screen, picture);
  EXPECT_EQ(picture.Width(), 64);
  EXPECT_EQ(picture.Height(), 48);

  TDIBSurface small(3, 2, 24);
  TMemoryStream bitmap;
  WriteBmp(bitmap, small);
  WriteFile(world.GamePath("pic.bmp"), std::string(bitmap.Bytes().begin(), bitmap.Bytes().end()));
  EXPECT_EQ(world.Eval(R"(SetWallPaper("pic.bmp", 2))"), "bool\tFALSE");
  TMemoryStream game{std::string_view(ReadFile(wallpaper))};
  ReadBmp(game, picture);
  EXPECT_EQ(picture.Width(), 3);

  // A picture that the game lacks: nothing is written or asked.
  std::filesystem::remove(wallpaper);
  EXPECT_EQ(world.Eval(R"(SetWallPaper("missing.png", 0))"), "bool\tFALSE");
  EXPECT_FALSE(std::filesystem::exists(wallpaper));
  EXPECT_EQ(world.desktop.wallpapers.size(), 2u);
}

TEST(Desktop, XdgUserFolders) {
  const std::string home = "/home/u";
  const char* dirs =
      "# written by xdg-user-dirs-update\n"
      "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
      "  XDG_DOCUMENTS_DIR = \"/data/docs/\"\n"
      "XDG_MUSIC_DIR=\"relative/music\"\n"
      "XDG_VIDEOS_DIR=\"$HOME/a\\\"b\"\n"
      "XDG_PICTURES_DIR=\"$HOMEX/p\"\n"
      "XDG_TEMPLATES_DIRX=\"/t\"\n";
  struct TCase {
    const char* text;
    const char* key;
    const char* folder;
  } cases[] = {
      {dirs, "DESKTOP", "/home/u/Schreibtisch"},
      {dirs, "DOCUMENTS", "/data/docs"},
      {dirs, "VIDEOS", "/home/u/a\"b"},
      // Invalid or missing values: the desktop falls back to ~/Desktop, the rest to home.
      {dirs, "MUSIC", "/home/u"},
      {dirs, "PICTURES", "/home/u"},
      {dirs, "TEMPLATES", "/home/u"},
      {"", "DESKTOP", "/home/u/Desktop"},
      {"XDG_DESKTOP_DIR=\"$HOME/unclosed\n", "DESKTOP", "/home/u/Desktop"},
  };
  for (const TCase& c : cases) EXPECT_EQ(XdgUserFolder(c.text, c.key, home), c.folder) << c.key;
}

TEST(Desktop, ZenityArgumentsFollowTheRequest) {
  using V = std::vector<std::string>;
  struct TCase {
    TFileDialogRequest request;
    V arguments;
  } cases[] = {
      {{TFileDialogKind::Open, "", "/d"}, V{"--file-selection", "--filename=/d/"}},
      {{TFileDialogKind::Save, "Texts (*.txt)|*.txt;*.log|All|*.*", "/d/"},
       V{"--file-selection", "--save", "--confirm-overwrite", "--filename=/d/",
         "--file-filter=Texts (*.txt) | *.txt *.log", "--file-filter=All | *"}},
      {{TFileDialogKind::Open, "|*.png|Broken", ""}, V{"--file-selection", "--file-filter=*.png | *.png"}},
      {{TFileDialogKind::Folder, "Texts|*.txt", ""}, V{"--file-selection", "--directory"}},
  };
  for (const TCase& c : cases) EXPECT_EQ(ZenityArguments(c.request), c.arguments) << c.request.filter;
}

TEST(Desktop, HeadlessAnswersComeFromTheInputScriptAndGoToTheTrace) {
  const std::string folder = MakeTempDir("headless-desktop");
  const std::string trace = folder + "/trace.txt";
  ASSERT_TRUE(Trace().Open(trace));
  std::unique_ptr<IDialogs> dialogs = CreateHeadlessDialogs();
  std::unique_ptr<IDesktop> desktop = CreateHeadlessDesktop(*dialogs, folder);

  for (const char* answer : {"yes", "cancel", "shots/a.png", "/abs/x", "cancel", "no"}) dialogs->QueueAnswer(answer);
  EXPECT_EQ(desktop->AskOverwrite("a\r\nb", TOverwriteButtons::WithCancelAndAll), TOverwriteAnswer::Yes);
  EXPECT_EQ(desktop->AskOverwrite("c", TOverwriteButtons::WithCancelAndAll), TOverwriteAnswer::Cancel);
  EXPECT_EQ(desktop->ChooseFile({TFileDialogKind::Open, "", ""}), folder + "/shots/a.png");
  EXPECT_EQ(desktop->ChooseFile({TFileDialogKind::Folder, "", ""}), "/abs/x");
  EXPECT_EQ(desktop->ChooseFile({TFileDialogKind::Save, "", ""}), std::nullopt);
  EXPECT_EQ(desktop->AskOverwrite("d", TOverwriteButtons::YesNo), TOverwriteAnswer::No);
  // Nothing queued: the safe answers.
  EXPECT_EQ(desktop->AskOverwrite("e", TOverwriteButtons::WithCancelAndAll), TOverwriteAnswer::Cancel);
  EXPECT_EQ(desktop->ChooseFile({TFileDialogKind::Open, "", ""}), std::nullopt);
  desktop->Inform("Info", "ok?");
  EXPECT_TRUE(desktop->OpenLocation("http://example.com/"));
  EXPECT_FALSE(desktop->SetWallpaper(desktop->WallpaperFile(), 1));
  EXPECT_EQ(desktop->DesktopFolder(), folder + "/Desktop");
  Trace().Close();

  EXPECT_EQ(ReadFile(trace),
            "dialog: question a\\r\\nb -> yes\n"
            "dialog: question c -> cancel\n"
            "dialog: open file -> " +
                folder +
                "/shots/a.png\n"
                "dialog: folder -> /abs/x\n"
                "dialog: save file -> cancel\n"
                "dialog: question d -> no\n"
                "dialog: question e -> cancel\n"
                "dialog: open file -> cancel\n"
                "dialog: [Info] ok? -> ok\n"
                "desktop: open http://example.com/\n"
                "desktop: wallpaper " +
                folder + "/orvowall.bmp style 1 -> false\n");
}

}  // namespace
}  // namespace orvo::test
