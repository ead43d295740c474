// ExtractFile: where files go, which names a mask takes, and the overwrite question.
#include <filesystem>

#include "stage/functions/extract_file.h"
#include "stage/functions_fixture.h"

namespace orvo::test {
namespace {

TEST(ExtractFile, FolderArgumentsStayInsideTheirFolder) {
  struct TCase {
    const char* folder;
    const char* expected;  // below the world's root; nullptr: refused
  } cases[] = {
      {"out", "game/out"},
      {"\\out\\deep", "game/out/deep"},
      {"/out", "game/out"},
      {"", "game"},
      {"a\\..\\b", "game"},
      {"C:\\Windows", "game"},
      {"{Desktop}", "Desktop"},
      {"{desktop}\\sub", "Desktop/sub"},
      {"{Desktop}/x", "Desktop/x"},
      {"{MyDocuments}メモ\\表", "Documents/メモ/表"},
      // The special folders get the plain branch's filter too.
      {"{Desktop}\\..\\..\\etc", "Desktop"},
      {"{Desktop}C:\\x", "Desktop"},
      {"{Other}x", nullptr},
      {"{Desktop", nullptr},
  };
  for (const TCase& c : cases) {
    TFunctionWorld world;
    TGameFunctionServices services(world.stage, world.files, world.desktop, world.state);
    const std::string folder = ExtractFolder(services, Sjis(c.folder));
    if (!c.expected) {
      EXPECT_EQ(folder, "") << c.folder;
      continue;
    }
    EXPECT_EQ(folder, world.root + "/" + c.expected) << c.folder;
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << c.folder;
  }
}

TEST(ExtractFile, MasksAndFileNames) {
  struct TMaskCase {
    const char* name;
    const char* mask;
    bool matches;
  } masks[] = {
      {"abc.txt", "*.txt", true},
      {"ABC.TXT", "*.txt", true},
      {"abc.txt", "a?c.*", true},
      {"abc.txt", "*", true},
      {"abc", "*.*", false},
      {"abc.txt", "*.dat", false},
      {"表.txt", "?.txt", true},
      {"表.txt", "??.txt", false},
      {"ソソ.txt", "*ソ.txt", true},
      {"a.txt.bak", "*.txt", false},
      {"", "*", true},
      {"", "?", false},
      // Many stars over a long name: answered at once, not by trying every split.
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*a*a*a*c", false},
  };
  for (const TMaskCase& c : masks) {
    EXPECT_EQ(MatchesMask(Sjis(c.name), Sjis(c.mask)), c.matches) << c.name << " " << c.mask;
  }
  struct TNameCase {
    const char* name;
    const char* part;
  } names[] = {
      {"a\\b.txt", "b.txt"},    {"a/../../x", "x"}, {"x\\..", ""}, {"c:evil", "evil"},
      {"表\\ソ.txt", "ソ.txt"}, {"ソ", "ソ"},       {"..", ""},    {"dir\\", ""},
  };
  for (const TNameCase& c : names) EXPECT_EQ(SafeFileNamePart(Sjis(c.name)), Sjis(c.part)) << c.name;
  // A lead byte without its second byte does not hide a separator.
  EXPECT_EQ(SafeFileNamePart("\x81/..\x81/evil"), "evil");
}

void ExtractFiles(TFunctionWorld& world) {
  world.AddArchiveFile("data\\a.txt", "A");
  world.AddArchiveFile("data\\b.txt", "B");
  world.AddArchiveFile("data\\c.dat", "C");
  world.AddArchiveFile("data\\表.txt", "H");
  std::filesystem::create_directories(world.GamePath("data"));
  WriteFile(world.GamePath("data/d.txt"), "D");
}

std::string Out(TFunctionWorld& world, const char* file) {
  const std::string path = world.GamePath(std::string("out/") + file);
  return std::filesystem::exists(path) ? ReadFile(path) : "-";
}

TEST(ExtractFile, WritesTheNamedAndMatchingFiles) {
  struct TCase {
    std::vector<const char*> setup;
    const char* call;
    const char* result;
    const char* files;  // contents of out/a.txt, b.txt, c.dat, d.txt, 表.txt
  } cases[] = {
      {{R"(StringToArray("data\*.txt", arr, ","))"}, R"(ExtractFile(arr, FALSE, "out"))", "bool\tTRUE", "AB-DH"},
      {{R"(StringToArray("\data\c.dat,data\none.txt", arr, ","))"},
       R"(ExtractFile(arr, FALSE, "out"))",
       "bool\tTRUE",
       "--C--"},
      {{}, R"(ExtractFile("data\表.txt", FALSE, "out"))", "bool\tTRUE", "----H"},
      {{}, R"(ExtractFile("data\none.txt", FALSE, "out"))", "bool\tFALSE", "-----"},
      {{}, R"(ExtractFile("data\*.bmp", FALSE, "out"))", "bool\tFALSE", "-----"},
      {{}, R"(ExtractFile("data\a.txt", FALSE, "{Nowhere}out"))", "bool\tFALSE", "-----"},
  };
  for (const TCase& c : cases) {
    TFunctionWorld world;
    ExtractFiles(world);
    for (const char* statement : c.setup) ASSERT_TRUE(world.Run(statement)) << statement;
    EXPECT_EQ(world.Eval(c.call), c.result) << c.call;
    std::string files;
    for (const char* file : {"a.txt", "b.txt", "c.dat", "d.txt", "表.txt"}) files += Out(world, file).substr(0, 1);
    EXPECT_EQ(files, c.files) << c.call;
    EXPECT_TRUE(world.desktop.questions.empty()) << c.call;
  }
}

TEST(ExtractFile, TheOverwriteQuestionDecidesFileByFile) {
  using A = TOverwriteAnswer;
  const char* kTwo = R"(StringToArray("data\a.txt,data\b.txt", arr, ","))";
  const char* kMask = R"(StringToArray("data\?.txt", arr, ","))";
  struct TCase {
    const char* setup;
    std::vector<A> answers;
    bool ask;
    const char* files;      // out/a.txt, b.txt, d.txt afterwards ('o' = old)
    const char* questions;  // buttons of each question asked
  } cases[] = {
      {kTwo, {A::No, A::Yes}, true, "oB-", "55"},
      {kTwo, {A::Yes, A::No}, true, "Ao-", "55"},
      {kTwo, {A::NoToAll}, true, "oo-", "5"},
      {kTwo, {A::YesToAll}, true, "AB-", "5"},
      // Cancel gives up the rest of its element only.
      {kTwo, {A::Cancel, A::Yes}, true, "oB-", "55"},
      {kMask, {A::Cancel}, true, "oo-", "2"},
      {kMask, {A::Yes, A::No}, true, "AoD", "22"},
      {kTwo, {}, false, "AB-", ""},
  };
  for (const TCase& c : cases) {
    TFunctionWorld world;
    ExtractFiles(world);
    std::filesystem::create_directories(world.GamePath("out"));
    WriteFile(world.GamePath("out/a.txt"), "o");
    WriteFile(world.GamePath("out/b.txt"), "o");
    world.desktop.overwrite_answers.assign(c.answers.begin(), c.answers.end());
    ASSERT_TRUE(world.Run(c.setup));
    world.Run(std::string("ok = ExtractFile(arr, ") + (c.ask ? "TRUE" : "FALSE") + ", \"out\")");
    std::string files;
    for (const char* file : {"a.txt", "b.txt", "d.txt"}) files += Out(world, file).substr(0, 1);
    EXPECT_EQ(files, c.files) << c.setup << " " << c.answers.size();
    std::string questions;
    for (const std::string& question : world.desktop.questions) questions += question.substr(0, 1);
    EXPECT_EQ(questions, c.questions) << c.setup << " " << c.answers.size();
  }

  TFunctionWorld world;
  ExtractFiles(world);
  std::filesystem::create_directories(world.GamePath("out"));
  WriteFile(world.GamePath("out/a.txt"), "o");
  ASSERT_EQ(world.Eval(R"(ExtractFile("data\a.txt", TRUE, "out"))"), "bool\tFALSE");
  ASSERT_EQ(world.desktop.questions.size(), 1u);
  EXPECT_EQ(world.desktop.questions[0],
            "2:" + world.GamePath("out/a.txt") + "\r\n\r\n既に同名のファイルが存在します。上書きしますか？");
}

TEST(ExtractFile, WithoutAFolderTheFolderDialogChooses) {
  TFunctionWorld world;
  ExtractFiles(world);
  EXPECT_EQ(world.Eval(R"(ExtractFile("data\a.txt"))"), "bool\tFALSE");
  ASSERT_EQ(world.desktop.requests.size(), 1u);
  EXPECT_EQ(world.desktop.requests[0].kind, TFileDialogKind::Folder);
  EXPECT_EQ(world.desktop.requests[0].initial_folder, world.root + "/Desktop");

  world.desktop.file_answers.push_back(world.root + "/chosen/deep");
  EXPECT_EQ(world.Eval(R"(ExtractFile("data\a.txt"))"), "bool\tTRUE");
  EXPECT_EQ(ReadFile(world.root + "/chosen/deep/a.txt"), "A");
}

}  // namespace
}  // namespace orvo::test
