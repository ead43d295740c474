// The page file reader and writer: masks, versions, kinds and damaged data.
#include "script/page.h"

#include <gtest/gtest.h>

#include "script_fixture.h"

namespace orvo::test {
namespace {

// A page with one command of kind 8 (box) whose mask section is given.
std::string BoxPage(int32_t mask_count, int32_t mask_size, uint8_t first_mask_byte) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  writer.WriteInt32(117);
  writer.WriteByte(0);
  writer.WriteInt32(mask_count);
  writer.WriteInt32(mask_size);
  for (int32_t record = 0; record < mask_count; ++record) {
    for (int32_t b = 0; b < mask_size; ++b) writer.WriteByte(record == 8 && b == 0 ? first_mask_byte : 0);
  }
  writer.WriteInt32(1);
  writer.WriteByte(8);
  writer.WriteInt32(0);
  writer.WriteByte(0);
  writer.WriteByte(1);
  writer.WriteInt32(7);
  // One expression per set bit: each empty.
  for (int bit = 0; bit < 8; ++bit) {
    if (first_mask_byte & (1 << bit)) writer.WriteInt32(0);
  }
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST(Page, MaskRecordsOfAnySizeAndCount) {
  struct TCase {
    int32_t count, size;
    uint8_t mask;
    size_t properties;
  } cases[] = {{64, 22, 0x05, 2}, {64, 30, 0x07, 3}, {64, 10, 0x01, 1}, {70, 22, 0x03, 2}, {9, 1, 0x0f, 4}};
  for (const TCase& c : cases) {
    std::string bytes = BoxPage(c.count, c.size, c.mask);
    TPage page;
    page.Load("p.osb", bytes);
    ASSERT_EQ(page.Count(), 1) << c.count << "x" << c.size;
    EXPECT_EQ(page.At(0).fields[0].properties.size(), c.properties);
    EXPECT_EQ(page.At(0).line, 7);
    EXPECT_EQ(page.Masks()[8][0], c.mask);
    EXPECT_EQ(page.SaveToBytes(), bytes);
  }
}

TEST(Page, VersionsOutsideTheReadRange) {
  TPage newer;
  std::string bytes = std::string("\x76\x00\x00\x00", 4) + "anything";
  newer.Load("new.osb", bytes);
  EXPECT_EQ(newer.Count(), 0);
  EXPECT_EQ(newer.SaveToBytes(), bytes);

  TPage older;
  try {
    older.Load("old.osb", std::string("\x66\x00\x00\x00", 4));
    FAIL() << "a page of version 102 loaded";
  } catch (const EPageVersionError& error) {
    EXPECT_EQ(error.Message(), "old.osb\r\n" + Sjis("リビルドしてください"));
  }
}

TEST(Page, OlderVersionsStoreFewerFields) {
  // A wait in a page of version 106 has no no-events expression.
  std::string source = ".version 106\nwait 10\nflip kind=3\n";
  std::string bytes = CompilePageSource(source, {});
  TPage page;
  page.Load("p.osb", bytes);
  EXPECT_EQ(page.At(0).FieldIndex("noevents"), -1);
  EXPECT_EQ(page.At(1).FieldIndex("text"), 8);
  EXPECT_EQ(page.At(1).FieldIndex("noevents"), -1);
  EXPECT_THROW(CompilePageSource(".version 106\nwait 10 noevents\n", {}), EOrvoError);
}

TEST(Page, DamagedPagesRaiseInsteadOfMisreading) {
  std::string good = BoxPage(64, 22, 0x01);
  std::string kind_40 = good;
  kind_40[4 + 1 + 8 + 64 * 22 + 4] = 0x48;
  std::string huge_commands = good;
  huge_commands.replace(4 + 1 + 8 + 64 * 22, 4, std::string("\xff\xff\xff\x7f", 4));
  std::string huge_masks = good;
  huge_masks.replace(5, 4, std::string("\xff\xff\xff\x7f", 4));
  std::string negative_size = good;
  negative_size.replace(9, 4, std::string("\xff\xff\xff\xff", 4));
  std::string bad_result = good;
  bad_result[4] = 9;
  std::string bad_type = CompilePageSource("var n: int\n", {});
  bad_type[bad_type.size() - 1 - 4 - 1] = 5;
  std::string bad_scope = CompilePageSource("var n: int\n", {});
  bad_scope[bad_scope.size() - 1] = 4;
  const std::pair<const char*, std::string> cases[] = {
      {"kind with bit 0x40", kind_40},
      {"result type", bad_result},
      {"variable type", bad_type},
      {"variable scope", bad_scope},
      {"command count beyond the data", huge_commands},
      {"mask count beyond the data", huge_masks},
      {"negative mask size", negative_size},
      {"cut short", good.substr(0, good.size() - 3)},
      {"empty", ""},
  };
  for (const auto& [name, bytes] : cases) {
    TPage page;
    EXPECT_THROW(page.Load("p.osb", bytes), EOrvoError) << name;
    EXPECT_EQ(page.Count(), 0) << name;
  }
  TPage page;
  try {
    page.Load("p.osb", kind_40);
  } catch (const EOrvoError& error) {
    EXPECT_EQ(error.Message(), Sjis("不正なコマンド"));
  }
}

TEST(Page, HighKindBitIsIgnoredAndCommentsNeverRun) {
  TScriptGame game;
  game.Page("start", "var n: int\n{hi} n = n + 1\nTComComment text=\"x\"\n{off=0} // still a comment\nn = n + 10\n");
  game.Start();
  game.Frames(1);
  EXPECT_EQ(game.Var("n"), "11");
  EXPECT_EQ(game.call_man->CachedPages().front()->At(1).KindByte(), 0x80 | ckCalc);
}

}  // namespace
}  // namespace orvo::test
