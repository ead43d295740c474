#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/hash_collection.h"
#include "base/numeric.h"
#include "support/test_support.h"

namespace orvo {
namespace {

using test::Sjis;

TEST(Cp932, TrailBytesAreNeverTakenForAsciiCharacters) {
  struct Case {
    const char* utf8;
    char ch;
    size_t expected;
  };
  const Case cases[] = {
      {"ソ\\x", '\\', 2},     // 83 5C: the second byte is not a backslash
      {"表", '\\', std::string::npos},
      {"データ[1]", '[', 6},  // 81 5B inside "ー"
      {"a\\b", '\\', 1},
      {"ｱ\\", '\\', 1},       // half-width katakana are single bytes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindChar(Sjis(c.utf8), c.ch), c.expected) << c.utf8;
  }
  EXPECT_EQ(FindLastChar(Sjis("a\\ソ"), '\\'), 1u);
}

TEST(Cp932, CaseFoldingTouchesAsciiLettersOnly) {
  // "Ａ" is 82 60 and "ポ" is 83 7C: their trail bytes must stay as they are.
  std::string mixed = Sjis("ABcＡポ");
  EXPECT_EQ(LowerAscii(mixed), Sjis("abcＡポ"));
  EXPECT_EQ(UpperAscii(Sjis("abcソ")), Sjis("ABCソ"));
  EXPECT_TRUE(EqualsNoCase(Sjis("Foo表"), Sjis("fOO表")));
  EXPECT_FALSE(EqualsNoCase(Sjis("ポ"), std::string("\x83\x5c")));
  // A lead byte at the end of the text stands alone.
  EXPECT_EQ(CharLength(std::string("a\x83"), 1), 1u);
}

TEST(Cp932, ConvertsAtTheEdges) {
  EXPECT_EQ(Cp932ToUtf8(Sjis("プロジェクト")), "プロジェクト");
  EXPECT_EQ(Utf8ToCp932("〜"), "\x81\x60");  // the wave dash of CP932, not of Shift-JIS
  std::string out;
  EXPECT_FALSE(TryCp932ToUtf8("\x85\x40", out));
  EXPECT_EQ(Cp932ToUtf8("a\x85\x40z").front(), 'a');
}

TEST(Ext80, RoundTripsBitForBit) {
  const long double values[] = {0.0L, 1.0L, -2.5L, 1e20L, 1.0L / 3.0L, std::numeric_limits<long double>::denorm_min(),
                                -0.0L, std::numeric_limits<long double>::max()};
  for (long double value : values) {
    TMemoryStream stream;
    TBinaryWriter(stream).WriteExt80(value);
    ASSERT_EQ(stream.Size(), 10);
    stream.SetPosition(0);
    long double back = TBinaryReader(stream).ReadExt80();
    EXPECT_EQ(std::memcmp(&back, &value, 10), 0) << static_cast<double>(value);
  }
  // 1.0 is sign 0, exponent 0x3FFF, explicit integer bit.
  uint8_t one[10];
  WriteExt80(1.0L, one);
  const uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(std::memcmp(one, expected, 10), 0);
}

TEST(Numeric, RoundsHalfToEvenAndWraps) {
  const std::pair<long double, long double> rounding[] = {{0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}};
  for (auto [in, out] : rounding) EXPECT_EQ(RoundHalfEven(in), out) << static_cast<double>(in);
  EXPECT_EQ(WrapAdd(INT32_MAX, 1), INT32_MIN);
  EXPECT_EQ(WrapMul(0x10000, 0x10000), 0);
  EXPECT_EQ(WrapDiv(INT32_MIN, -1), INT32_MIN);
  EXPECT_EQ(WrapMod(INT32_MIN, -1), 0);
  EXPECT_EQ(WrapDiv(-7, 2), -3);
  EXPECT_EQ(WrapMod(-7, 2), -1);
  bool ok = true;
  EXPECT_EQ(RealToIntTrunc<int32_t>(NAN, &ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(RealToIntTrunc<int32_t>(-2.9L, &ok), -2);
  EXPECT_TRUE(ok);
  EXPECT_EQ(RealToIntSaturate<int32_t>(1e30L), INT32_MAX);
}

TEST(BinaryReader, ChecksEveryLengthAgainstWhatRemains) {
  struct Case {
    std::string bytes;
    bool fails;
  };
  std::string huge_count("\xff\xff\xff\x7f", 4);
  const Case cases[] = {
      {std::string("\x03\0\0\0abc", 7), false},
      {std::string("\x04\0\0\0abc", 7), true},   // short
      {std::string("\xfe\xff\xff\xff", 4), false},  // negative count reads as empty
      {huge_count, true},                          // over the 10 MiB cap
      {std::string("\x01\0", 2), true},           // the count itself is cut
  };
  for (const auto& c : cases) {
    TMemoryStream stream(c.bytes);
    TBinaryReader reader(stream);
    if (c.fails) {
      EXPECT_THROW(reader.ReadString(), EOrvoError);
    } else {
      EXPECT_NO_THROW(reader.ReadString());
    }
  }
  TMemoryStream list(std::string("\x00\x00\x00\x40", 4));  // a billion strings in 4 bytes
  EXPECT_THROW(TBinaryReader(list).ReadStringList(), EReadError);
}

struct TNamed : THashItem {
  int id = 0;
};

TEST(HashCollection, BucketRuleAndLookupOrder) {
  EXPECT_EQ(HashBucket(""), 0);
  EXPECT_EQ(HashBucket("a"), 16);
  EXPECT_EQ(HashBucket("abc"), (3 * 16 + 'a' + 'b') % 256);
  EXPECT_EQ(HashBucket("ABC"), HashBucket("abc"));
  // "ソa": the next-to-last byte is the trail byte 0x5C and is not lowered;
  // "aソ": next-to-last is the lead byte 0x83.
  EXPECT_EQ(HashBucket(Sjis("aソ")), (3 * 16 + 'a' + 0x83) % 256);
  EXPECT_EQ(HashBucket(Sjis("ソa")), (3 * 16 + 0x83 + 0x5C) % 256);

  THashCollection<TNamed> collection;
  auto make = [](int id) {
    auto item = std::make_unique<TNamed>();
    item->id = id;
    return item;
  };
  TNamed& first = collection.Add(make(1), "Name");
  collection.Add(make(2), "name");
  TNamed& third = collection.Add(make(3), "other");
  EXPECT_EQ(collection.Find("NAME")->id, 1);  // the match that entered first
  collection.Rename(third, "NaMe");
  EXPECT_EQ(collection.Find("name")->id, 1);
  std::vector<int> chain;
  collection.ForEachInChain("name", [&](TNamed& item) {
    chain.push_back(item.id);
    return true;
  });
  EXPECT_EQ(chain, (std::vector<int>{3, 2, 1}));
  collection.Remove(first);
  EXPECT_EQ(collection.Find("name")->id, 2);
  EXPECT_EQ(collection.Find("other"), nullptr);
  EXPECT_EQ(collection.Count(), 2u);
}

TEST(Files, ContainedPathsAndAtomicWrites) {
  const std::pair<const char*, bool> paths[] = {
      {"shot.bmp", true},   {"a\\b.png", true}, {"a/b", true},     {"..\\x", false}, {"a/../b", false},
      {"/etc/passwd", false}, {"C:x", false},   {"\\x", false},    {"", false},      {"a\\\\b", false},
  };
  for (auto [path, ok] : paths) EXPECT_EQ(IsContainedRelativePath(path), ok) << path;
  // "ソ" ends in 0x5C but is not a separator.
  EXPECT_TRUE(IsContainedRelativePath(Sjis("ソ")));

  std::string dir = test::MakeTempDir("atomic");
  std::string path = dir + "/save.dat";
  WriteFileAtomically(path, "one");
  WriteFileAtomically(path, "two");
  EXPECT_EQ(test::ReadFile(path), "two");
  EXPECT_THROW(WriteFileAtomically(dir + "/missing/save.dat", "x"), EWriteError);
  EXPECT_EQ(TitleToFolderName(".."), "");
  EXPECT_EQ(TitleToFolderName("a/b"), "a_b");
}

}  // namespace
}  // namespace orvo
