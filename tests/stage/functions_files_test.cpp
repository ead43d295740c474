// The functions on game files, on the files scripts make ("mem:", "save:")
// and SaveScreen.
#include <filesystem>
#include <set>

#include "base/cp932.h"
#include "base/files.h"
#include "data/install_info.h"
#include "image/dova.h"
#include "stage/functions_fixture.h"

namespace orvo::test {
namespace {

std::set<std::string> FilesBelow(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) files.insert(entry.path().string());
  return files;
}

void GameFiles(TFunctionWorld& world) {
  WriteFile(world.GamePath("lines.txt"), "a\r\nb\nc\r\n");
  WriteFile(world.GamePath("empty.txt"), "");
  std::filesystem::create_directories(world.GamePath("データ"));
  WriteFile(world.GamePath("データ/表.txt"), Sjis("ソ"));
  world.AddArchiveFile("pack\\in.txt", "one\r\ntwo");
}

TEST(FileFunctions, ExistenceAndTextFiles) {
  const char* loaded = R"(ok ++ ":" ++ ArrayToString(arr, "|"))";
  CheckCases(
      {
          {{}, R"(FileExists("lines.txt"))", "bool\tTRUE"},
          {{}, R"(FileExists("LINES.TXT"))", "bool\tTRUE"},
          {{}, R"(FileExists("データ\表.txt"))", "bool\tTRUE"},
          {{}, R"(FileExists("pack\in.txt"))", "bool\tTRUE"},
          {{}, R"(FileExists(""))", "bool\tFALSE"},
          {{}, R"(FileExists("none.txt"))", "bool\tFALSE"},
          {{}, R"(FileExists("..\game\lines.txt"))", "bool\tFALSE"},
          {{R"(ok = LoadTextFile(arr, "lines.txt"))"}, loaded, "str\tTRUE:a|b|c"},
          {{R"(ok = LoadTextFile(arr, "pack\in.txt"))"}, loaded, "str\tTRUE:one|two"},
          {{R"(ok = LoadTextFile(arr, "データ\表.txt"))"}, loaded, "str\tTRUE:ソ"},
          // Nothing to read: false and the array as it was.
          {{R"(arr = "keep")", R"(ok = LoadTextFile(arr, "empty.txt"))"}, loaded, "str\tFALSE:keep"},
          {{R"(arr = "keep")", R"(ok = LoadTextFile(arr, "none.txt"))"}, loaded, "str\tFALSE:keep"},
      },
      GameFiles);
}

TEST(FileFunctions, MemoryFilesAreFoundLikeGameFiles) {
  CheckCases(
      {
          {{}, R"(SaveScreen("mem:a.dov"))", "bool\tTRUE"},
          {{R"(SaveScreen("mem:a.dov"))"}, R"(FileExists("MEM:A.DOV"))", "bool\tTRUE"},
          {{R"(SaveScreen("mem:a.dov"))"}, R"(CopyFile("Mem:a.dov", "mem:b.dov"))", "bool\tTRUE"},
          {{R"(SaveScreen("mem:a.dov"))", R"(CopyFile("mem:a.dov", "mem:b.dov"))"},
           R"(FileExists("mem:b.dov"))",
           "bool\tTRUE"},
          // Whatever the target's name, it becomes a file of the game data, not of the disk.
          {{R"(SaveScreen("mem:a.dov"))", R"(CopyFile("mem:a.dov", "copy.dov"))"},
           R"(FileExists("copy.dov"))",
           "bool\tTRUE"},
          // Only files that scripts made can be copied.
          {{}, R"(CopyFile("lines.txt", "mem:x.txt"))", "bool\tFALSE"},
          {{}, R"(CopyFile("mem:none.txt", "mem:x.txt"))", "bool\tFALSE"},
          {{R"(CopyFile("lines.txt", "mem:x.txt"))"}, R"(FileExists("mem:x.txt"))", "bool\tFALSE"},
      },
      GameFiles);

  TFunctionWorld world;
  ASSERT_TRUE(world.Run(R"(SaveScreen("mem:a.dov"))"));
  ASSERT_TRUE(world.Run(R"(CopyFile("mem:a.dov", "copy.dov"))"));
  EXPECT_FALSE(std::filesystem::exists(world.GamePath("copy.dov")));
  EXPECT_EQ(PictureSize(std::string(reinterpret_cast<const char*>(world.files.LoadBytes("copy.dov").data()),
                                    world.files.LoadBytes("copy.dov").size())),
            std::make_pair(64, 48));
}

std::vector<std::string> SaveFileEntries(const std::string& path) {
  TVrFileCollection save;
  save.Open(path);
  std::vector<std::string> names;
  for (size_t i = 0; i < save.Count(); ++i) names.push_back(save.At(i).Name());
  return names;
}

TEST(FileFunctions, SaveFilesGoIntoTheSaveFileToo) {
  TFunctionWorld world;
  ASSERT_TRUE(world.Run(R"(ok = SaveScreen("save:shot.dov"))"));
  EXPECT_EQ(world.Value("ok"), "TRUE");
  EXPECT_TRUE(world.files.Exists("save:shot.dov"));
  ASSERT_TRUE(world.Run(R"(ok = CopyFile("save:shot.dov", "SAVE:copy.dov"))"));
  ASSERT_TRUE(world.Run(R"(ok = CopyFile("save:shot.dov", "save:shot.dov"))"));
  EXPECT_EQ(SaveFileEntries(world.save_file), (std::vector<std::string>{"SAVE:copy.dov", "save:shot.dov"}));
  TVrFileCollection save;
  save.Open(world.save_file);
  EXPECT_EQ(PictureSize(std::string(reinterpret_cast<const char*>(save.ExtractBytes("save:copy.dov").data()),
                                    save.ExtractBytes("save:copy.dov").size())),
            std::make_pair(64, 48));

  // A save file that does not read is never replaced: the copy fails instead.
  WriteFile(world.save_file, "this is not a save file, but it must survive");
  EXPECT_EQ(world.Eval(R"(CopyFile("save:shot.dov", "save:third.dov"))"), "none");
  EXPECT_EQ(ReadFile(world.save_file), "this is not a save file, but it must survive");
}

TEST(FileFunctions, SaveScreenWritesOnlyLayeredPicturesInsideTheGameFolder) {
  struct TCase {
    const char* name;
    bool saved;
    const char* written;  // the file on disk below the game folder, when any
  } cases[] = {
      {"shot.dov", true, "shot.dov"},     {"Shot.DOV", true, "Shot.DOV"},
      {"sub\\x.dov", true, "Sub/x.dov"},  {"表\\x.dov", true, "表/x.dov"},
      {"mem:x.dov", true, nullptr},       {"x.png", false, nullptr},
      {"mem:x.png", false, nullptr},      {"../x.dov", false, nullptr},
      {"..\\x.dov", false, nullptr},      {"sub\\..\\..\\x.dov", false, nullptr},
      {"\\x.dov", false, nullptr},        {"/x.dov", false, nullptr},
      {"C:x.dov", false, nullptr},        {"C:\\x.dov", false, nullptr},
      {"missing\\x.dov", false, nullptr},
  };
  for (const TCase& c : cases) {
    TFunctionWorld world;
    std::filesystem::create_directories(world.GamePath("Sub"));
    std::filesystem::create_directories(world.GamePath("表"));
    const std::set<std::string> before = FilesBelow(world.root);
    std::string call = std::string("SaveScreen(\"") + c.name + "\")";
    for (size_t i = 0; i < call.size(); ++i) {
      if (call[i] == '\\') call.insert(i++, 1, '\\');  // the expression's escape
    }
    EXPECT_EQ(world.Eval(call), c.saved ? "bool\tTRUE" : "bool\tFALSE") << c.name;
    std::set<std::string> added;
    for (const std::string& file : FilesBelow(world.root)) {
      if (!before.count(file)) added.insert(file);
    }
    if (c.written) {
      EXPECT_EQ(added, std::set<std::string>{world.GamePath(c.written)}) << c.name;
      EXPECT_EQ(PictureSize(ReadFile(world.GamePath(c.written))), std::make_pair(64, 48)) << c.name;
    } else {
      EXPECT_TRUE(added.empty()) << c.name;
    }
    EXPECT_EQ(world.forgotten, c.saved ? std::vector<std::string>{c.name} : std::vector<std::string>{}) << c.name;
  }
}

// 0x00BBGGRR of a pixel of a layered picture file.
int32_t PixelColor(const std::string& bytes, int32_t x, int32_t y) {
  TDovaFrameList list;
  if (!list.LoadFromBytes(bytes, "x.dov") || list.Count() == 0) return -1;
  const TDIBSurface& picture = list.Frame(0).picture;
  return static_cast<int32_t>(picture.PixelToColor(picture.GetPixel(x, y)));
}

TEST(FileFunctions, SaveScreenCapturesEitherScreenAtAnySize) {
  TFunctionWorld world;
  ASSERT_TRUE(world.Run(R"(SetProp("a", 8, $0000FF))"));
  TTestBox* far = world.stage.Create<TTestBox>();
  far->SetName("far");
  far->SetParent(&world.stage.InactiveScreen());
  far->SetBoundsRect(0, 0, 8, 8);
  ASSERT_TRUE(world.Run(R"(SetProp("far", 8, $00FF00))"));

  struct TCase {
    const char* call;
    int32_t width, height;
    int32_t x, y, colour;
  } cases[] = {
      {R"(SaveScreen("p.dov"))", 64, 48, 12, 12, 0x0000FF},
      {R"(SaveScreen("p.dov"))", 64, 48, 5, 5, 0},
      {R"(SaveScreen("p.dov", 0, 0))", 64, 48, 29, 29, 0x0000FF},
      {R"(SaveScreen("p.dov", 32, 24))", 32, 24, 6, 6, 0x0000FF},
      {R"(SaveScreen("p.dov", 32))", 32, 48, 6, 12, 0x0000FF},
      {R"(SaveScreen("p.dov", 0, 0, TRUE))", 64, 48, 4, 4, 0x00FF00},
      {R"(SaveScreen("p.dov", 0, 0, TRUE))", 64, 48, 15, 15, 0},
  };
  for (const TCase& c : cases) {
    ASSERT_EQ(world.Eval(c.call), "bool\tTRUE") << c.call;
    const std::string bytes = ReadFile(world.GamePath("p.dov"));
    EXPECT_EQ(PictureSize(bytes), std::make_pair(c.width, c.height)) << c.call;
    EXPECT_EQ(PixelColor(bytes, c.x, c.y), c.colour) << c.call;
  }
  EXPECT_EQ(world.Eval(R"(SaveScreen("p.dov", -1))"), "bool\tFALSE");
  EXPECT_EQ(world.Eval(R"(SaveScreen("p.dov", 10, 0 - 5))"), "bool\tFALSE");
  // Beyond what a picture may hold: refused, not reported as saved.
  EXPECT_EQ(world.Eval(R"(SaveScreen("p.dov", 100000, 100000))"), "bool\tFALSE");

  // A memory file holds the same picture.
  ASSERT_EQ(world.Eval(R"(SaveScreen("mem:p.dov", 0, 0, TRUE))"), "bool\tTRUE");
  const std::vector<uint8_t> memory = world.files.LoadBytes("mem:p.dov");
  EXPECT_EQ(PixelColor(std::string(memory.begin(), memory.end()), 4, 4), 0x00FF00);
}

TEST(FileFunctions, SaveScreenRegistersFilesForDeletionOrUninstalling) {
  TFunctionWorld world;
  TInstallInfo info;
  info.title = "T";
  info.installed_files = {"game.dat"};
  TMemoryStream out;
  WriteInstallInfo(out, info);
  WriteFile(world.GamePath("install.dat"), std::string(out.Bytes().begin(), out.Bytes().end()));

  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(world.Eval(R"(SaveScreen("gone.dov", 0, 0, FALSE, 1))"), "bool\tTRUE");
    ASSERT_EQ(world.Eval(R"(SaveScreen("kept.dov", 0, 0, FALSE, 2))"), "bool\tTRUE");
    ASSERT_EQ(world.Eval(R"(SaveScreen("KEPT.dov", 0, 0, FALSE, 2))"), "bool\tTRUE");
    ASSERT_EQ(world.Eval(R"(SaveScreen("mem:m.dov", 0, 0, FALSE, 1))"), "bool\tTRUE");
  }
  EXPECT_EQ(world.state.delete_at_exit_files, std::vector<std::string>{world.GamePath("gone.dov")});
  EXPECT_EQ(ReadInstallInfoFile(world.GamePath("install.dat")).installed_files,
            (std::vector<std::string>{"game.dat", "kept.dov"}));
}

}  // namespace
}  // namespace orvo::test
