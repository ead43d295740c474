#include "data/archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "data/archive_tools.h"
#include "data/big_file_stream.h"
#include "data/zlib_codec.h"
#include "support/test_support.h"

namespace orvo {
namespace {

using test::Sjis;

std::string Bytes(size_t size, uint32_t seed) {
  // Compressible but not trivial: a small alphabet.
  std::string bytes(size, '\0');
  uint32_t state = seed;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>('a' + (state >> 28));
  }
  return bytes;
}

std::string Str(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

struct TEntryFixture {
  std::string name;
  std::string content;
};

std::vector<TEntryFixture> RoundTripEntries() {
  return {
      {"empty.txt", ""},
      {"one.bin", "x"},
      {"data\\block-1.bin", Bytes(255, 1)},  // block size 256 for small entries
      {"data\\block+1.bin", Bytes(257, 2)},
      {"movie\\big.bin", Bytes(6 * 1024 * 1024, 3)},
      {"pic\\title.dov", Bytes(3000, 4)},
      {"bgm\\theme.ogg", Bytes(5000, 5)},
      {Sjis("ソ表\\ソ.txt"), Bytes(700, 6)},  // trail bytes 0x5C inside the names
  };
}

void WriteArchive(const std::vector<TEntryFixture>& entries, const std::string& path,
                  const TArchiveWriteOptions& options, int64_t prefix = 0) {
  TVrFileCollection collection;
  for (const auto& fixture : entries) {
    TVrFile& entry = collection.AddMemory(fixture.name);
    entry.content->WriteBuffer(fixture.content.data(), fixture.content.size());
  }
  TKwBigFileStream out(path, TBigFileMode::Create);
  std::string junk(static_cast<size_t>(prefix), 'P');
  out.WriteBuffer(junk.data(), junk.size());
  ASSERT_TRUE(collection.Write(out, options));
}

enum class TPlacement { File, SideDirectory, Joined };

// Builds the archive in the given placement; returns the path to open.
std::string Place(const std::vector<TEntryFixture>& entries, const TArchiveWriteOptions& options, TPlacement placement,
                  const std::string& dir) {
  const std::string archive = dir + "/game.dat";
  WriteArchive(entries, archive, options);
  if (placement == TPlacement::File) return archive;
  if (placement == TPlacement::Joined) {
    BundlePlayer("/proc/self/exe", archive, dir + "/game");
    return dir + "/game";
  }
  // The directory goes to game.ext; the data file keeps only the entry bytes.
  TVrFileCollection probe;
  probe.Open(archive);
  int64_t first = probe.Count() ? probe.At(0).offset : 0;
  std::string bytes = test::ReadFile(archive);
  test::WriteFile(dir + "/game.ext", bytes.substr(0, static_cast<size_t>(first)));
  std::fill(bytes.begin(), bytes.begin() + first, '\0');
  test::WriteFile(archive, bytes);
  return archive;
}

TEST(Archive, EveryEntryRoundTripsInEveryVersionStorageAndPlacement) {
  struct Layout {
    int32_t version;
    std::optional<TStorageType> storage;
  };
  const Layout layouts[] = {{0, std::nullopt},
                            {100, std::nullopt},
                            {101, TStorageType::Compressed},
                            {101, TStorageType::Scrambled},
                            {102, TStorageType::Compressed},
                            {102, TStorageType::Raw},
                            {102, TStorageType::Scrambled},
                            {102, TStorageType::CompressedScrambled}};
  const auto entries = RoundTripEntries();
  for (const Layout& layout : layouts) {
    for (TPlacement placement : {TPlacement::File, TPlacement::SideDirectory, TPlacement::Joined}) {
      SCOPED_TRACE(testing::Message() << "version " << layout.version << " storage "
                                      << (layout.storage ? int(*layout.storage) : -1) << " placement "
                                      << int(placement));
      TArchiveWriteOptions options;
      options.version = layout.version;
      options.storage = layout.storage;
      const std::string dir = test::MakeTempDir("roundtrip");
      const std::string path = Place(entries, options, placement, dir);
      TVrFileCollection collection;
      collection.Open(path);
      ASSERT_TRUE(collection.HasArchiveStream());
      ASSERT_EQ(collection.Count(), entries.size());
      EXPECT_EQ(collection.Version(), layout.version);
      const int expected_type = layout.storage ? int(*layout.storage) : 0;
      for (size_t i = 0; i < entries.size(); ++i) {
        const TVrFile& entry = collection.At(i);
        EXPECT_EQ(entry.Name(), entries[i].name);
        EXPECT_EQ(entry.storage, expected_type);
        EXPECT_EQ(Str(collection.ExtractBytes(entries[i].name)), entries[i].content) << entries[i].name;
      }
      // Names are found without ASCII case, trail bytes untouched.
      EXPECT_NE(collection.Find("DATA\\Block-1.BIN"), nullptr);
      EXPECT_EQ(collection.Find(Sjis("ソ表\\ソ.TXT").substr(0, 5)), nullptr);
      if (layout.version == 102) {
        for (const TEntryReport& report : ListArchive(path, TVerify::Yes)) EXPECT_TRUE(report.intact) << report.name;
      }
    }
  }
}

TEST(Archive, WriterChoosesStorageByTheRules) {
  const std::string dir = test::MakeTempDir("rules");
  const std::string noise = [] {
    std::string bytes(20000, '\0');
    uint32_t state = 7;
    for (char& c : bytes) c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
    return bytes;
  }();
  struct Case {
    std::string name;
    std::string content;
    bool on_disk;  // else in memory
    bool force_scramble;
    int expected;
  };
  const Case cases[] = {
      {"memory.txt", Bytes(100, 1), false, false, 0},
      {"memory-big.txt", Bytes(5242880, 2), false, false, 1},
      {"memory-s.txt", Bytes(100, 1), false, true, 3},
      {"memory-big-s.txt", Bytes(5242880, 2), false, true, 2},
      {"file.txt", Bytes(1000, 3), true, false, 0},
      {"noise.txt", noise, true, false, 1},  // compression gains under a tenth
      {"noise-s.txt", noise, true, true, 2},
      {"song.OGG", Bytes(1000, 4), true, false, 1},
      {"data.dat", Bytes(1000, 4), true, false, 1},
      {"pic.dov", Bytes(1000, 5), true, false, 1},  // its own pixel data counts as compressed
      {"file-big.txt", Bytes(5242880, 6), true, false, 1},
      {"file-s.txt", Bytes(1000, 3), true, true, 3},
  };
  for (const Case& c : cases) {
    TVrFileCollection collection;
    collection.SetBaseFolder(dir);
    if (c.on_disk) {
      test::WriteFile(dir + "/" + c.name, c.content);
      collection.Add(c.name);
    } else {
      collection.AddMemory(c.name).content->WriteBuffer(c.content.data(), c.content.size());
    }
    TArchiveWriteOptions options;
    options.force_scramble = c.force_scramble;
    TMemoryStream out;
    ASSERT_TRUE(collection.Write(out, options));
    out.SetPosition(0);
    TVrFileCollection back;
    back.ReadDirectory(out);
    ASSERT_EQ(back.Count(), 1u);
    const TVrFile& entry = back.At(0);
    EXPECT_EQ(entry.storage, c.expected) << c.name;
    std::string stored = Str(out.Bytes()).substr(static_cast<size_t>(entry.offset), static_cast<size_t>(entry.size));
    EXPECT_EQ(Str(DecodeStored(stored, entry.storage)), c.content) << c.name;
    EXPECT_EQ(entry.checksum, Crc32(stored)) << c.name;
    if (c.on_disk) {
      EXPECT_NE(entry.time_stamp, 0) << c.name;
    }
  }
}

TEST(Archive, ChecksumCoversThePlainContentWhenFlagged) {
  TVrFileCollection collection;
  TVrFile& flagged = collection.AddMemory("a.txt");
  flagged.checksum_of_content = 1;
  const std::string content = Bytes(3000, 8);
  flagged.content->WriteBuffer(content.data(), content.size());
  TArchiveWriteOptions options;
  options.storage = TStorageType::Scrambled;  // not compressed: the flag cannot hold
  TMemoryStream out;
  ASSERT_TRUE(collection.Write(out));
  out.SetPosition(0);
  TVrFileCollection back;
  back.ReadDirectory(out);
  EXPECT_EQ(back.At(0).checksum_of_content, 1);
  EXPECT_EQ(back.At(0).checksum, Crc32(content));
  TMemoryStream raw;
  ASSERT_TRUE(collection.Write(raw, options));
  raw.SetPosition(0);
  back.ReadDirectory(raw);
  EXPECT_EQ(back.At(0).checksum_of_content, 0) << "the checksum of scrambled bytes is not the content's";
}

TEST(Archive, ProgressCanCancel) {
  TVrFileCollection collection;
  collection.AddMemory("a");
  collection.AddMemory("b");
  int calls = 0;
  TArchiveWriteOptions options;
  options.progress = [&](const TVrFile& entry, size_t index, size_t count, int64_t written) {
    ++calls;
    EXPECT_EQ(count, 2u);
    return !(index == 1 && written < 0 && entry.Name() == "b");
  };
  TMemoryStream out;
  EXPECT_FALSE(collection.Write(out, options));
  EXPECT_EQ(calls, 3);
}

TEST(Archive, OffsetsAreRelativeToTheArchiveStart) {
  // Written straight after other bytes and found through a trailer.
  const std::string dir = test::MakeTempDir("relative");
  const std::string path = dir + "/joined";
  const auto entries = RoundTripEntries();
  const std::vector<TEntryFixture> small(entries.begin(), entries.begin() + 3);
  WriteArchive(small, path, {}, 1000);
  std::string bytes = test::ReadFile(path);
  bytes += std::string("\xE8\x03\0\0ov", 6);
  test::WriteFile(path, bytes);
  TVrFileCollection collection;
  collection.Open(path);
  EXPECT_EQ(collection.ArchiveStart(), 1000);
  EXPECT_EQ(Str(collection.ExtractBytes("one.bin")), "x");
}

TEST(Archive, MissingEntriesAndLooseFallback) {
  const std::string dir = test::MakeTempDir("fallback");
  WriteArchive({{"in.txt", "archived"}}, dir + "/game.dat", {});
  test::WriteFile(dir + "/Loose.TXT", "loose");
  TVrFileCollection collection;
  collection.Open(dir + "/game.dat");
  EXPECT_EQ(Str(collection.ExtractBytes("loose.txt")), "loose");
  try {
    collection.ExtractBytes("none.txt");
    FAIL();
  } catch (const EOrvoError& error) {
    EXPECT_EQ(error.Message(), "none.txt" + Sjis(":ファイルがありません"));
  }
  EXPECT_THROW(collection.ExtractBytes("game.dat"), EOrvoError) << "the archive itself is no entry";
  EXPECT_EQ(collection.OpenRange("none.txt"), nullptr);
}

TEST(Archive, LookupsListsAndFolderParts) {
  TVrFileCollection twice;
  twice.AddMemory("Same.txt").content->WriteBuffer("1", 1);
  twice.AddMemory("same.TXT").content->WriteBuffer("2", 1);
  EXPECT_EQ(Str(twice.ExtractBytes("SAME.txt")), "1") << "the first entry of a name wins";
  twice.Delete("same.txt");
  EXPECT_EQ(Str(twice.ExtractBytes("SAME.txt")), "2");
  twice.Delete("same.txt");
  EXPECT_EQ(twice.Find("same.txt"), nullptr);

  TVrFileCollection collection;
  for (const char* name : {"pic\\a.png", "PIC\\b.png", "pic\\sub\\c.png", "d.png"}) collection.AddMemory(name);
  std::vector<std::string> list = {"B.PNG"};
  collection.ListFolder("pic", list);
  EXPECT_EQ(list, (std::vector<std::string>{"B.PNG", "a.png"}));
  const struct {
    std::string name;
    std::string folder;
  } cases[] = {
      {"a\\b\\c.txt", "a\\b\\"}, {"c.txt", ""}, {Sjis("ソ"), ""}, {Sjis("表\\x"), Sjis("表\\")}, {"C:x", "C:"}};
  for (const auto& c : cases) EXPECT_EQ(FolderOf(c.name), c.folder) << c.name;
}

// Damaged archives raise errors; none may crash, hang or allocate wildly.
TEST(Archive, DamagedDirectoriesRaise) {
  auto le32 = [](int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
    return s;
  };
  const std::string cases[] = {
      "",
      "vf",
      "vf" + le32(102) + le32(-1),
      "vf" + le32(102) + le32(0x7FFFFFFF),
      "vf" + le32(99) + le32(1) + le32(0x7FFFFFF0) + "abc",
      le32(1) + le32(-5) + "a",
      le32(1) + le32(1) + "a" + le32(100) + le32(9),                             // offsets beyond the data
      le32(2) + le32(1) + "a" + le32(1) + "b" + le32(20) + le32(16) + le32(22),  // out of order
  };
  for (const std::string& bytes : cases) {
    TMemoryStream stream{std::string_view(bytes)};
    TVrFileCollection collection;
    EXPECT_THROW(collection.ReadDirectory(stream), EOrvoError) << testing::PrintToString(bytes);
  }
  EXPECT_THROW(DecodeStored("abc", 7), EFormatError);
  EXPECT_THROW(DecodeStored("not zlib", 0), EFormatError);

  // Every truncation and every single-byte change of a real archive.
  const std::string dir = test::MakeTempDir("damaged");
  TArchiveWriteOptions options;
  options.storage = TStorageType::CompressedScrambled;
  WriteArchive({{"a.txt", Bytes(600, 1)}, {Sjis("表.txt"), Bytes(40, 2)}}, dir + "/good.dat", options);
  const std::string good = test::ReadFile(dir + "/good.dat");
  for (size_t i = 0; i < good.size(); ++i) {
    std::string bad = good;
    bad[i] = static_cast<char>(bad[i] ^ 0x5A);
    for (const std::string& variant : {good.substr(0, i), bad}) {
      test::WriteFile(dir + "/bad.dat", variant);
      try {
        TVrFileCollection collection;
        collection.Open(dir + "/bad.dat");
        for (size_t k = 0; k < collection.Count(); ++k) collection.ExtractBytes(collection.At(k).Name());
      } catch (const EOrvoError&) {
      }
    }
  }
}

TEST(ArchiveTools, PackUnpackListAndBundle) {
  const std::string dir = test::MakeTempDir("tools");
  const std::string source = dir + "/src";
  const struct {
    std::string path;
    std::string content;
  } files[] = {{"/start.osb", "page"}, {"/graphics/Title.png", Bytes(2000, 3)}, {"/ソ表/曲.ogg", Bytes(100, 4)}};
  for (const auto& f : files) {
    std::string path = source + f.path;
    ::mkdir((source).c_str(), 0755);
    ::mkdir((path.substr(0, path.rfind('/'))).c_str(), 0755);
    test::WriteFile(path, f.content);
  }
  EXPECT_EQ(PackFolder(source, dir + "/game.dat", {.version = 102, .scramble = true}), 3u);
  auto reports = ListArchive(dir + "/game.dat", TVerify::Yes);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].name, "graphics\\Title.png");
  EXPECT_EQ(reports[1].name, "start.osb");
  EXPECT_EQ(reports[2].name, Sjis("ソ表\\曲.ogg"));
  EXPECT_EQ(reports[2].storage, 2);
  for (const auto& report : reports) EXPECT_TRUE(report.intact);

  EXPECT_EQ(UnpackArchive(dir + "/game.dat", dir + "/out"), 3u);
  for (const auto& f : files) EXPECT_EQ(test::ReadFile(dir + "/out" + f.path), f.content) << f.path;

  BundlePlayer("/proc/self/exe", dir + "/game.dat", dir + "/game");
  struct stat info;
  ASSERT_EQ(::stat((dir + "/game").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);
  EXPECT_THROW(BundlePlayer(dir + "/game", dir + "/game.dat", dir + "/twice"), EFormatError);
  EXPECT_THROW(BundlePlayer("/proc/self/exe", dir + "/game", dir + "/twice"), EFormatError);

  // A corrupted entry fails verification.
  std::string bytes = test::ReadFile(dir + "/game.dat");
  bytes[bytes.size() - 1] ^= 1;
  test::WriteFile(dir + "/game.dat", bytes);
  reports = ListArchive(dir + "/game.dat", TVerify::Yes);
  EXPECT_FALSE(reports.back().intact);

  // Names that leave the folder are refused before anything is written.
  TVrFileCollection evil;
  evil.AddMemory("ok.txt");
  evil.AddMemory("..\\escape.txt");
  {
    TKwBigFileStream out(dir + "/evil.dat", TBigFileMode::Create);
    evil.Write(out);
  }
  EXPECT_THROW(UnpackArchive(dir + "/evil.dat", dir + "/evil"), EFormatError);
  EXPECT_FALSE(FileExists(dir + "/evil/ok.txt"));
}

TEST(ArchiveTools, ExtraEntriesGiveWayToTheFolderAndJoinACopiedArchive) {
  const std::string dir = test::MakeTempDir("extras");
  ::mkdir((dir + "/src").c_str(), 0755);
  test::WriteFile(dir + "/src/Install.dat", "own");
  test::WriteFile(dir + "/src/a.txt", "a");
  TPackOptions options;
  options.extras = {{"install.dat", "made"}, {"b.txt", "b"}};
  EXPECT_EQ(PackFolder(dir + "/src", dir + "/one.dat", options), 3u);
  EXPECT_EQ(ReadArchiveEntry(dir + "/one.dat", "INSTALL.DAT"), "own") << "the folder's own file wins";
  EXPECT_EQ(ReadArchiveEntry(dir + "/one.dat", "b.txt"), "b");
  EXPECT_EQ(ReadArchiveEntry(dir + "/one.dat", "c.txt"), std::nullopt);

  CopyArchiveWithExtra(dir + "/one.dat", dir + "/two.dat", {"c.txt", "c"});
  for (const auto& [name, content] : {std::pair{"a.txt", "a"}, {"b.txt", "b"}, {"Install.dat", "own"}, {"c.txt", "c"}})
    EXPECT_EQ(ReadArchiveEntry(dir + "/two.dat", name), content) << name;
  EXPECT_THROW(CopyArchiveWithExtra(dir + "/one.dat", dir + "/three.dat", {"A.TXT", "x"}), EFormatError);
  EXPECT_FALSE(FileExists(dir + "/three.dat"));
  EXPECT_THROW(ReadArchiveEntry(dir + "/src/a.txt", "a.txt"), EReadError);
}

}  // namespace
}  // namespace orvo
