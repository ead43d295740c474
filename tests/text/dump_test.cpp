#include <gtest/gtest.h>

#include "text/glyph_dump.h"

namespace orvo::test {
namespace {

TEST(DumpTextTest, ShowsCharactersAsUtf8OrHex) {
  struct Case {
    std::string bytes;
    const char* text;
  };
  const Case cases[] = {
      {"a b~", "a b~"},
      {"a\\b", "a\\\\b"},
      {"\x83\x5c\x95\x5c", "ソ表"},  // trail bytes equal to '\' are part of their character
      {"\xb1\xdf", "ｱﾟ"},
      {"\t\r\n\x01\x7f", "\\x09\\x0d\\x0a\\x01\\x7f"},
      {"\x80\xa0\xfd\xff", "\\x80\\xa0\\xfd\\xff"},
      {"\x85\x40x", "\\x85\\x40x"},  // a double-byte character without a Unicode form
      {"\x81\x20", "\\x81\\x20"},
      {"a\x81", "a\\x81"},  // a lead byte at the end stands alone
      {"\xf0\x40", "\xee\x80\x80"},
  };
  for (const Case& c : cases) EXPECT_EQ(DumpText(c.bytes), c.text) << c.text;
}

}  // namespace
}  // namespace orvo::test
