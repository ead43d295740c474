#include "data/file_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "data/archive.h"
#include "data/archive_tools.h"
#include "data/big_file_stream.h"
#include "data/install_info.h"
#include "data/mount.h"
#include "data/path_resolver.h"
#include "data/zlib_codec.h"
#include "support/test_support.h"

namespace orvo {
namespace {

using test::Sjis;

std::string Str(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string ReadStream(TStream& stream) {
  std::string out(static_cast<size_t>(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(out.data(), out.size());
  return out;
}

void Put(const std::string& path, std::string_view bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  test::WriteFile(path, bytes);
}

// An archive file holding the given (name, content) pairs, scrambled.
void MakeArchive(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
  TVrFileCollection collection;
  for (const auto& [name, content] : entries)
    collection.AddMemory(name).content->WriteBuffer(content.data(), content.size());
  TKwBigFileStream out(path, TBigFileMode::Create);
  TArchiveWriteOptions options;
  options.force_scramble = true;
  collection.Write(out, options);
}

TFileManagerOptions NoMedia() {
  TFileManagerOptions options;
  options.media_patterns.clear();
  return options;
}

TEST(PathResolver, FindsGameNamesOnACaseSensitiveDisk) {
  const std::string root = test::MakeTempDir("resolver");
  Put(root + "/Graphics/Title.PNG", "t");
  Put(root + "/ソ表/データ.txt", "d");
  Put(root + "/dir/file", "f");
  const struct {
    std::string name;
    TEntryKind kind;
    std::string expected;  // relative to root, "" for none
  } cases[] = {
      {"graphics\\title.png", TEntryKind::File, "/Graphics/Title.PNG"},
      {"GRAPHICS/TITLE.png", TEntryKind::File, "/Graphics/Title.PNG"},
      {Sjis("ソ表\\データ.TXT"), TEntryKind::File, "/ソ表/データ.txt"},
      {"graphics", TEntryKind::Folder, "/Graphics"},
      {"graphics", TEntryKind::File, ""},
      {"..\\resolver\\dir\\file", TEntryKind::File, ""},
      {"\\dir\\file", TEntryKind::File, ""},
      {"C:\\dir\\file", TEntryKind::File, ""},
      {"dir\\missing", TEntryKind::File, ""},
      {"\x85\x40", TEntryKind::File, ""},  // no UTF-8 form
  };
  TPathResolver resolver;
  for (const auto& c : cases) {
    EXPECT_EQ(resolver.Resolve(root, c.name, c.kind), c.expected.empty() ? "" : root + c.expected)
        << testing::PrintToString(c.name);
  }
  // A file added later is found although the folder was listed before.
  EXPECT_EQ(resolver.Resolve(root, "graphics\\new.png"), "");
  Put(root + "/Graphics/NEW.png", "n");
  EXPECT_EQ(resolver.Resolve(root, "graphics\\new.png"), root + "/Graphics/NEW.png");
}

TEST(FileManager, LooksInTheLooseFolderThenArchivesThenDiscs) {
  const std::string dir = test::MakeTempDir("lookup");
  Put(dir + "/game/Shared.txt", "loose");
  MakeArchive(dir + "/first.dat", {{"shared.txt", "first"}, {"a.txt", "first a"}, {"pic\\x.png", "x"}});
  MakeArchive(dir + "/second.dat", {{"a.txt", "second a"}, {"b.txt", "second b"}});
  Put(dir + "/disc/Disc.txt", "disc");
  Put(dir + "/game/pic/y.png", "y");
  TFileManagerOptions options = NoMedia();
  options.disc_roots = {dir + "/disc", dir + "/no-such-folder"};
  TVrFileManager files(options);
  ASSERT_EQ(files.DiscRoots(), std::vector<std::string>{dir + "/disc/"});
  files.SetFolder(dir + "/game");
  EXPECT_EQ(files.AddArchive(dir + "/first.dat"), 0);
  EXPECT_EQ(files.AddArchive(dir + "/second.dat"), 1);
  EXPECT_EQ(files.AddArchive(dir + "/second.dat"), -1);

  const struct {
    std::string name;
    std::string content;
    bool archived;
  } cases[] = {{"SHARED.TXT", "loose", false},
               {"a.txt", "first a", true},
               {"B.txt", "second b", true},
               {"disc.txt", "disc", false}};
  for (const auto& c : cases) {
    EXPECT_TRUE(files.Exists(c.name)) << c.name;
    EXPECT_EQ(Str(files.LoadBytes(c.name)), c.content) << c.name;
    TMemoryStream loaded;
    loaded.WriteBuffer("prefix", 6);
    files.Load(loaded, c.name);
    EXPECT_EQ(loaded.Position(), 6);
    // Compressed entries stay compressed in a range stream.
    auto range = files.OpenRange(c.name);
    std::string streamed = ReadStream(*range);
    if (c.archived) {
      EXPECT_EQ(files.FindEntry(c.name)->storage, 3);
      streamed = Str(InflateBytes(streamed));
    }
    EXPECT_EQ(streamed, c.content) << c.name;
  }
  EXPECT_FALSE(files.Exists("none.txt"));
  try {
    files.LoadBytes(Sjis("無い.txt"));
    FAIL();
  } catch (const EOrvoError& error) {
    EXPECT_EQ(error.Message(), Sjis("無い.txt:ファイルがありません"));
  }
  EXPECT_THROW(files.OpenRange("none.txt"), EOrvoError);
  ASSERT_NE(files.FindEntry("A.TXT"), nullptr);
  EXPECT_EQ(files.FindEntry("b.txt")->Name(), "b.txt");

  std::vector<std::string> list;
  files.ListFolder("pic\\", list);
  EXPECT_EQ(list, (std::vector<std::string>{"x.png", "y.png"}));
  EXPECT_EQ(files.ListLooseFiles(".PNG"), std::vector<std::string>{"pic\\y.png"});
}

TEST(FileManager, TemporaryCopiesAreSharedPrivateAndReleased) {
  const std::string dir = test::MakeTempDir("copies");
  MakeArchive(dir + "/game.dat", {{"movie\\intro.mpg", "frames"}, {"font.oft", "glyphs"}});
  Put(dir + "/game/loose.txt", "l");
  TFileManagerOptions options = NoMedia();
  options.copy_lifetime_ms = 1000;
  TVrFileManager files(options);
  files.SetFolder(dir + "/game");
  files.AddArchive(dir + "/game.dat");

  EXPECT_EQ(files.GetFileName("loose.txt"), dir + "/game/loose.txt");
  const std::string copy = files.GetFileName("MOVIE\\intro.mpg");
  EXPECT_EQ(files.GetFileName("MOVIE\\intro.mpg"), copy);
  EXPECT_EQ(copy, PrivateTempFolder() + "/~ov00000000.mpg");
  EXPECT_EQ(test::ReadFile(copy), "frames");
  struct stat info;
  ASSERT_EQ(::stat(copy.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const std::string font = files.GetFileName("font.oft");
  EXPECT_NE(font, copy);
  EXPECT_EQ(files.TemporaryCopyCount(), 2u);

  // Released by its users: gone at the next frame. Held: gone when its time is up.
  files.ReleaseFileName(font);
  files.Housekeeping(10);
  EXPECT_FALSE(FileExists(font));
  EXPECT_TRUE(FileExists(copy));
  files.Housekeeping(999);
  EXPECT_TRUE(FileExists(copy));
  files.Housekeeping(1000);
  EXPECT_FALSE(FileExists(copy));
  EXPECT_EQ(files.TemporaryCopyCount(), 0u);

  const std::string again = files.GetFileName("movie\\intro.mpg");
  Put(dir + "/queued", "q");
  files.DeleteLater(dir + "/queued");
  files.Housekeeping(1001);
  EXPECT_FALSE(FileExists(dir + "/queued"));
  {
    TVrFileManager other(NoMedia());
    other.AddArchive(dir + "/game.dat");
    EXPECT_NE(other.GetFileName("font.oft"), again) << "ids skip names already taken";
  }
}

TEST(FileManager, NotifiesAboutMountsAndRemovals) {
  const std::string dir = test::MakeTempDir("notify");
  MakeArchive(dir + "/game.dat", {{"a.txt", "a"}});
  TVrFileManager files(NoMedia());
  std::vector<std::string> events;
  files.SetChangeHandler([&](TVrFileCollection* added) { events.push_back(added ? "add" : "folder"); });
  files.SetRemoveHandler([&](TVrFileCollection& removed) { events.push_back("remove " + removed.At(0).Name()); });
  files.SetFolder(dir);
  files.AddArchive(dir + "/game.dat");
  files.RemoveArchive(0);
  EXPECT_EQ(events, (std::vector<std::string>{"folder", "add", "remove a.txt"}));
  EXPECT_EQ(files.CollectionCount(), 0u);
}

class TScriptedPrompt : public TDiscPrompt {
 public:
  std::vector<bool> disc_answers;
  std::vector<std::string> asked;
  std::function<void()> on_ok;
  bool AskForDisc(const std::string&, const std::string& text) override {
    asked.push_back(text);
    bool ok = !disc_answers.empty() && disc_answers.front();
    if (!disc_answers.empty()) disc_answers.erase(disc_answers.begin());
    if (ok && on_ok) on_ok();
    return ok;
  }
  bool ConfirmQuit(const std::string&, const std::string& text) override {
    asked.push_back(text);
    return disc_answers.empty();
  }
};

void MakeDisc(const std::string& root, const std::string& title, int disc, const std::string& marker) {
  std::filesystem::create_directories(root);
  MakeArchive(root + "/game.dat", {{"marker.txt", marker}});
  TInstallInfo info;
  info.title = title;
  info.disc_number = disc;
  TMemoryStream stream;
  WriteInstallInfo(stream, info);
  Put(root + "/install.dat", Str(stream.Bytes()));
}

TEST(FileManager, MultiDiscRequests) {
  const std::string dir = test::MakeTempDir("discs");
  const std::string title = Sjis("ゲーム");
  MakeDisc(dir + "/one", title, 0, "disc 1");
  MakeDisc(dir + "/other", Sjis("別"), 1, "wrong title");
  TFileManagerOptions options = NoMedia();
  options.disc_roots = {dir + "/one", dir + "/other", dir + "/two"};
  TVrFileManager files(options);
  ASSERT_TRUE(files.TryDisk(0, title));
  EXPECT_EQ(Str(files.LoadBytes("marker.txt")), "disc 1");

  const TDiscRequest request{"caption", Sjis("ディスク%dを入れて"), "quit?", title};
  TGiveUpDiscPrompt give_up;
  EXPECT_FALSE(files.RequestDisk(2, request, give_up));
  EXPECT_EQ(files.CollectionCount(), 0u) << "the archives of the old disc are unmounted";

  // OK without the disc, then the disc appears and OK again.
  TScriptedPrompt prompt;
  prompt.disc_answers = {true, true};
  int oks = 0;
  prompt.on_ok = [&] {
    if (++oks == 2) MakeDisc(dir + "/two", title, 1, "disc 2");
  };
  EXPECT_TRUE(files.RequestDisk(2, request, prompt));
  EXPECT_EQ(prompt.asked, (std::vector<std::string>{Sjis("ディスク2を入れて"), Sjis("ディスク2を入れて")}));
  EXPECT_EQ(Str(files.LoadBytes("marker.txt")), "disc 2");
}

TEST(InstallInfo, RoundTripsEveryVersionAndRefusesDamage) {
  for (int32_t version : {0, 99, 100, 101, 102, 103, 104, 105, 106, 107, 108}) {
    TInstallInfo info;
    info.version = version;
    info.disc_number = 3;
    info.title = Sjis("題名");
    info.installed_locally = true;
    info.installed_files = {"a.png", "b\\c.bmp"};
    info.other.items = {{1, 2, 3, 4}, {5, 6, 7, -8}};
    TMemoryStream stream;
    WriteInstallInfo(stream, info);
    stream.SetPosition(0);
    TInstallInfo back = ReadInstallInfo(stream);
    EXPECT_EQ(back.version, version);
    EXPECT_EQ(back.disc_number, 3);
    EXPECT_EQ(back.title, info.title);
    EXPECT_EQ(back.installed_locally, version > 102);
    EXPECT_EQ(back.installed_files, version > 101 ? info.installed_files : std::vector<std::string>{});
    EXPECT_EQ(back.other.items, info.other.items);
    EXPECT_EQ(stream.Position(), stream.Size()) << version;
    TMemoryStream again;
    WriteInstallInfo(again, back);
    EXPECT_EQ(again.Bytes(), stream.Bytes()) << version;
  }
  const std::string damaged[] = {"is1x8", "is108", std::string("is108\x01\0\0\0\xff\xff\xff\x7f", 13)};
  for (const std::string& bytes : damaged) {
    TMemoryStream stream{std::string_view(bytes)};
    EXPECT_THROW(ReadInstallInfo(stream), EOrvoError);
  }
}

TEST(Mount, MountsFoldersGameDataAndJoinedArchives) {
  const std::string dir = test::MakeTempDir("mount");
  // A loose folder with game.dat, whose loose file wins over the entry.
  Put(dir + "/folder/start.osb", "loose start");
  MakeArchive(dir + "/folder/GAME.DAT", {{"start.osb", "archived start"}, {"only.txt", "from game.dat"}});
  // A bundled single file.
  MakeArchive(dir + "/bundle.dat", {{"start.osb", "bundled start"}});
  BundlePlayer("/proc/self/exe", dir + "/bundle.dat", dir + "/game");
  // Files that merely end in "ov".
  Put(dir + "/fake", std::string("\x10\0\0\0ov", 6));
  Put(dir + "/fake2", std::string("garbage\x02\0\0\0ov", 13));

  const struct {
    std::string label;
    TMountRequest request;
    size_t archives;
    std::string start;  // content of start.osb, "" when absent
  } cases[] = {
      {"folder", {"/usr/bin/orvoplayer", {dir + "/folder"}}, 1, "loose start"},
      {"bundled file as argument", {"/usr/bin/orvoplayer", {dir + "/game"}}, 1, "bundled start"},
      {"bundled program", {dir + "/game", {}}, 1, "bundled start"},
      {"plain program", {"/proc/self/exe", {}}, 0, ""},
      {"false trailers", {"/usr/bin/orvoplayer", {dir, dir + "/fake", dir + "/fake2"}}, 0, ""},
      {"several", {"/usr/bin/orvoplayer", {dir + "/game", dir + "/folder"}}, 2, "bundled start"},
  };
  for (const auto& c : cases) {
    TVrFileManager files(NoMedia());
    MountGameData(files, c.request);
    EXPECT_EQ(files.CollectionCount(), c.archives) << c.label;
    EXPECT_EQ(files.Exists("start.osb"), !c.start.empty()) << c.label;
    if (!c.start.empty()) {
      EXPECT_EQ(Str(files.LoadBytes("START.OSB")), c.start) << c.label;
    }
  }
  EXPECT_FALSE(HasArchiveTrailer(dir + "/fake"));
  EXPECT_TRUE(HasArchiveTrailer(dir + "/game"));

  std::vector<std::string> args = {"--disc-root", "/a", "game", "--disc-root=/b", "--disc-root"};
  EXPECT_EQ(TakeDiscRootOptions(args), (std::vector<std::string>{"/a", "/b"}));
  EXPECT_EQ(args, (std::vector<std::string>{"game", "--disc-root"}));
}

}  // namespace
}  // namespace orvo
