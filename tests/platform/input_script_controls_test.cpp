// The input script's events for the player's own controls: fast-forward and pads.
#include <gtest/gtest.h>

#include "platform/input_script.h"

namespace orvo {
namespace {

TEST(InputScriptControls, ParsesFastAndPadEventsAndRefusesBadOnes) {
  struct TCase {
    const char* line;
    TInputKind kind;
    int key;
    const char* text;
    int value;
  } good[] = {
      {"3 fast on", TInputKind::FastForward, 1, "", 0},
      {"3 fast off", TInputKind::FastForward, 0, "", 0},
      {"4 pad down a", TInputKind::PadButtonDown, 0, "a", 0},
      {"4 pad up rightshoulder", TInputKind::PadButtonUp, 0, "rightshoulder", 0},
      {"5 pad axis leftx -32768", TInputKind::PadAxis, 0, "leftx", -32768},
      {"5 pad axis righttrigger 32767", TInputKind::PadAxis, 0, "righttrigger", 32767},
  };
  for (const TCase& c : good) {
    std::vector<TTimedInput> events;
    std::string error;
    ASSERT_TRUE(ParseInputScript(c.line, events, error)) << c.line << ": " << error;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].event.kind, c.kind) << c.line;
    EXPECT_EQ(events[0].event.key, c.key) << c.line;
    EXPECT_EQ(events[0].event.text, c.text) << c.line;
    EXPECT_EQ(events[0].event.x, c.value) << c.line;
  }
  const char* bad[] = {"1 fast",
                       "1 fast yes",
                       "1 pad down",
                       "1 pad down A",
                       "1 pad press a",
                       "1 pad axis leftx",
                       "1 pad axis leftx 40000",
                       "1 pad axis left 5",
                       "1 pad axis lefty x"};
  for (const char* line : bad) {
    std::vector<TTimedInput> ignored;
    std::string error;
    EXPECT_FALSE(ParseInputScript(line, ignored, error)) << line;
    EXPECT_EQ(error.rfind("line 1:", 0), 0u) << error;
  }
}

}  // namespace
}  // namespace orvo
