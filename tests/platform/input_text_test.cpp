#include <gtest/gtest.h>

#include "platform/input_script.h"

namespace orvo {
namespace {

TEST(InputScriptText, TheRestOfTheLineIsTheText) {
  struct Case {
    const char* line;
    int frame;
    const char* text;
  };
  const Case cases[] = {
      {"5 text hello", 5, "hello"},
      {"5 text 日本語 # not a comment", 5, "日本語 # not a comment"},
      {"  7\ttext  two blanks", 7, " two blanks"},
      {"8 text trailing blank ", 8, "trailing blank "},
      {"9 text", 9, ""},
      {"9 text ", 9, ""},
      {"3 text crlf\r", 3, "crlf"},
  };
  for (const Case& c : cases) {
    std::vector<TTimedInput> events;
    std::string error;
    ASSERT_TRUE(ParseInputScript(c.line, events, error)) << c.line << ": " << error;
    ASSERT_EQ(events.size(), 1u) << c.line;
    EXPECT_EQ(events[0].frame, c.frame) << c.line;
    EXPECT_EQ(events[0].event.kind, TInputKind::TextInput) << c.line;
    EXPECT_EQ(events[0].event.text, c.text) << c.line;
  }
}

TEST(InputScriptText, OtherLinesAreNotText) {
  for (const char* line : {"5 texts hello", "x text hello", "-1 text hello", "5 key down 13 # text x"}) {
    std::vector<TTimedInput> events;
    std::string error;
    const bool parsed = ParseInputScript(line, events, error);
    EXPECT_TRUE(!parsed || (events.size() == 1 && events[0].event.kind != TInputKind::TextInput)) << line;
  }
  std::vector<TTimedInput> events;
  std::string error;
  ASSERT_TRUE(ParseInputScript("2 text b\n1 text a\n2 key down 13\n", events, error));
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].event.text, "a");
  EXPECT_EQ(events[1].event.text, "b");
  EXPECT_EQ(events[2].event.kind, TInputKind::KeyDown);
}

}  // namespace
}  // namespace orvo
