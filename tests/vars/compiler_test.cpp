#include "vars/compiler.h"

#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "support/test_support.h"
#include "vars/listing.h"
#include "vars/parser.h"

namespace orvo {
namespace {

using test::Sjis;

std::string Compiled(std::string_view text) {
  TBuildOrvoParser builder;
  builder.Compile(Sjis(text));
  return Cp932ToUtf8(ListInstructions(builder));
}

TEST(CompilerTest, Listings) {
  struct Case {
    const char* text;
    const char* listing;
  };
  const Case cases[] = {
      {"a = 1 + 2 * 3", "ocMul ____0 [2, 3]\nocPlus ____1 [1, ____0]\nocTo a [____1]\n"},
      {"1 + 2", "ocPlus ____0 [1, 2]\nocTo ____arg [____0]\n"},
      {"x == 3 | y < 2",
       "ocEqual ____0 [x, 3]\nocSmall ____1 [y, 2]\nocOr ____2 [____0, ____1]\nocTo ____arg [____2]\n"},
      {"-a * b", "ocMul ____0 [a, b]\nocMinus ____1 [0, ____0]\nocTo ____arg [____1]\n"},
      {"2 - -3", "ocMinus ____0 [0, 3]\nocMinus ____1 [2, ____0]\nocTo ____arg [____1]\n"},
      {"a < -1", "ocMinus ____0 [0, 1]\nocSmall ____1 [a, ____0]\nocTo ____arg [____1]\n"},
      {"a = +b", "ocTo a [b]\n"},
      {"a[1, 2] = 5", "ocDimTo ____d_0 [a, 1, 2]\nocTo ____d_0 [5]\n"},
      {"a[i + 1] = b [2]",
       "ocDimTo ____d_0 [b, 2]\nocPlus ____3 [i, 1]\nocDimTo ____d_1 [a, ____3]\nocTo ____d_1 [____d_0]\n"},
      {"Max(Min(1, 2), (2 + 3))",
       "ocFunc ____0 [Min, 1, 2]\nocPlus ____3 [2, 3]\nocFunc ____1 [Max, ____0, ____3]\nocTo ____arg [____1]\n"},
      {"(1 + 2) * 3", "ocPlus ____1 [1, 2]\nocMul ____2 [____1, 3]\nocTo ____arg [____2]\n"},
      {"s = \"a\" ++ \"b\"",
       "ocTo ____0 [\"a\"]\nocTo ____1 [\"b\"]\nocComboStr ____2 [____0, ____1]\nocTo s [____2]\n"},
      {"s = \"q\\\"\\\\x\\n\\t\"", "ocTo ____0 [\"q\"\\x\r\n\\t\"]\nocTo s [____0]\n"},
      {"s = \"(1,2)\" ++ t", "ocTo ____0 [\"(1,2)\"]\nocComboStr ____1 [____0, t]\nocTo s [____1]\n"},
      {"x = 1 << 2 >> 1", "ocShiftL ____0 [1, 2]\nocShiftR ____1 [____0, 1]\nocTo x [____1]\n"},
      {"a <> b ++ c", "ocNEqual ____0 [a, b]\nocComboStr ____1 [____0, c]\nocTo ____arg [____1]\n"},
      {"PopVar()", "ocFunc ____0 [PopVar]\nocTo ____arg [____0]\n"},
      {"IntToStr(n, )", "ocFunc ____0 [IntToStr, n, ]\nocTo ____arg [____0]\n"},
      {"f(a[1, 2], 3)",
       "ocDimTo ____d_2 [a, 1, 2]\nocTo ____1 [____d_2]\nocFunc ____0 [f, ____1, 3]\nocTo ____arg [____0]\n"},
      // CP932: trail bytes equal to '[' or '\' are parts of their characters.
      {"データ = \"ソ\"", "ocTo ____0 [\"ソ\"]\nocTo データ [____0]\n"},
      {"表 = 1", "ocTo 表 [1]\n"},
      {"", "ocTo ____arg []\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Compiled(c.text), c.listing) << c.text;
}

TEST(CompilerTest, TemporariesAreNumberedAcrossCompilations) {
  TBuildOrvoParser builder;
  builder.Compile("a = 1 + 2");
  builder.Compile("b = 3 + 4");
  EXPECT_EQ(ListInstructions(builder), "ocPlus ____0 [1, 2]\nocTo a [____0]\nocPlus ____1 [3, 4]\nocTo b [____1]\n");
}

TEST(CompilerTest, Errors) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"a = b = c", "構文エラー"},
      {"a +", "構文エラー"},
      {"= 1", "構文エラー"},
      {"* 3", "構文エラー"},
      {"a * * b", "構文エラー"},
      {"a - = b", "構文エラー"},
      {"f(1", "構文エラー"},
      {"f)1(", "構文エラー"},
      {"a[1", "構文エラー"},
      {"a]1[", "構文エラー"},
      {"a = +[1]", "構文エラー"},
      {"f(a], 1)", "構文エラー"},
      {"()", "構文エラー"},
      {"a[]", "配列の添え字が不正です"},
      {"Foo(1)", "\"Foo\" 関数名がありません"},
      {"intToStr(1)", "\"intToStr\" 関数名がありません"},
      {"IntToStr()", "IntToStr 引数の数が不正です"},
      {"IntToStr(1, 2, 3)", "IntToStr 引数の数が不正です"},
      {"PopVar(1)", "PopVar 引数の数が不正です"},
  };
  for (const Case& c : cases) {
    try {
      TBuildOrvoParser::CompileToBytes(Sjis(c.text));
      ADD_FAILURE() << c.text << " compiled";
    } catch (const EOrvoError& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << c.text;
    }
  }
}

TEST(CompilerTest, OperandClassification) {
  struct Case {
    const char* text;
    const char* listing;
  };
  const Case cases[] = {
      {"x = 1.5", "ocTo x [1.5]\n"},
      {"x = $10", "ocTo x [16]\n"},
      {"x = 1E20", "ocTo x [1E20]\n"},
      {"x = 2147483648", "ocTo x [2147483648]\n"},
      {"x = TRUE", "ocTo x [TRUE]\n"},
      {"x = true", "ocTo x [true]\n"},
      {"x = \"12\"", "ocTo ____0 [\"12\"]\nocTo x [____0]\n"},
      {"x = IntToStr(7, 3)", "ocFunc ____0 [IntToStr, 7, 3]\nocTo x [____0]\n"},
  };
  for (const Case& c : cases) {
    TOrvoParser parser;
    parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes(c.text));
    EXPECT_EQ(ListInstructions(parser), c.listing) << c.text;
  }
  // The kinds behind the texts.
  TOrvoParser parser;
  parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes("x = IntToStr(2147483648, TRUE) ++ y"));
  const TOpeData& call = parser.Instructions()[0];
  EXPECT_EQ(call.function, 0);
  EXPECT_EQ(call.operands[0]->ClassKind(), PT_FLOAT);
  EXPECT_EQ(call.operands[1]->ClassKind(), PT_BOOL);
  EXPECT_EQ(parser.Instructions()[1].operands[1]->ClassKind(), PT_NONE);
}

TEST(CompilerTest, StoredFormRoundTrips) {
  for (const char* text :
       {"a = 1 + 2 * 3", "s = \"x\" ++ IntToStr(Max(1, 2), 4)", "b[1, j] = 2.5 / -c", "f = TRUE & (x <> \"q\")"}) {
    std::string bytes = TBuildOrvoParser::CompileToBytes(text);
    TOrvoParser parser;
    parser.LoadFromBytes(bytes);
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    parser.SaveToStream(writer);
    EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), bytes) << text;
    TOrvoParser copy;
    copy.AssignFrom(parser);
    EXPECT_EQ(ListInstructions(copy), ListInstructions(parser)) << text;
  }
}

TEST(CompilerTest, DamagedStoredFormsAreRejected) {
  auto bytes = [](auto write) {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    write(writer);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
  };
  const std::string cases[] = {
      bytes([](TBinaryWriter& w) { w.WriteInt32(100000); }),
      bytes([](TBinaryWriter& w) { w.WriteInt32(1), w.WriteByte(ocTo), w.WriteString("a"), w.WriteInt32(5000); }),
      bytes([](TBinaryWriter& w) {
        w.WriteInt32(1), w.WriteByte(ocTo), w.WriteString("a"), w.WriteInt32(1), w.WriteByte(PT_STR);
        w.WriteInt32(1 << 30);
      }),
      bytes([](TBinaryWriter& w) { w.WriteInt32(1), w.WriteByte(ocTo), w.WriteInt32(-7); }),
  };
  for (const std::string& data : cases) {
    TOrvoParser parser;
    EXPECT_THROW(parser.LoadFromBytes(data), EOrvoError);
    EXPECT_TRUE(parser.Empty());
  }
  // Negative counts read as none, as a loop over them would.
  TOrvoParser parser;
  parser.LoadFromBytes(bytes([](TBinaryWriter& w) { w.WriteInt32(-3); }));
  EXPECT_TRUE(parser.Empty());
}

}  // namespace
}  // namespace orvo
