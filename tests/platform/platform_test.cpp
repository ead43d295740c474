#include <gtest/gtest.h>

#include <thread>

#include "platform/dialogs.h"
#include "platform/input_script.h"
#include "platform/single_instance.h"
#include "platform/virtual_keys.h"
#include "support/test_support.h"

namespace orvo {
namespace {

TEST(VirtualKeys, MapKeysToWindowsCodes) {
  const std::pair<const char*, int> keys[] = {
      {"Return", 13}, {"Escape", 27}, {"Space", 32}, {"Left", 37}, {"Up", 38},   {"Right", 39},
      {"Down", 40},   {"0", 48},      {"9", 57},     {"A", 65},    {"Z", 90},    {"F1", 112},
      {"F12", 123},   {"Left Shift", 16}, {"Right Ctrl", 17}, {"Left Alt", 18}, {"Backspace", 8},
      {"Tab", 9},     {"Keypad 5", 101}, {"Delete", 46}, {"PageUp", 33}, {"Home", 36},
  };
  for (auto [name, code] : keys) EXPECT_EQ(VirtualKeyFromKeyName(name), code) << name;
}

TEST(SingleInstance, OneLockPerGameFolder) {
  EXPECT_EQ(InstanceLockName("C:\\Games\\Foo"), "C:-GAMES-FOO-");
  EXPECT_EQ(InstanceLockName("C:\\Games\\Foo\\"), "C:-GAMES-FOO-");
  std::string a = test::MakeTempDir("game-a"), b = test::MakeTempDir("game-b");
  TSingleInstanceLock first, second, other;
  ASSERT_TRUE(first.Acquire(a));
  EXPECT_FALSE(second.Acquire(a));
  EXPECT_FALSE(second.Acquire(a + "/."));  // the same folder named another way
  EXPECT_TRUE(other.Acquire(b));
  first.Release();
  EXPECT_TRUE(second.Acquire(a));
}

TEST(InputScript, ParsesTimedEventsInFrameOrder) {
  std::vector<TTimedInput> events;
  std::string error;
  ASSERT_TRUE(ParseInputScript("# start\n"
                               "5 mouse down left 10 20\n"
                               "2 key down 13   # Return\n"
                               "5 answer yes\n"
                               "7 answer my save\n"
                               "2 wheel up\n",
                               events, error))
      << error;
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].event.kind, TInputKind::KeyDown);
  EXPECT_EQ(events[1].event.kind, TInputKind::WheelUp);
  EXPECT_EQ(events[2].event.kind, TInputKind::MouseDown);
  EXPECT_EQ(events[2].event.y, 20);
  EXPECT_EQ(events[4].event.text, "my save");
  TInputScript script(events);
  std::vector<TInputEvent> due;
  script.TakeDue(3, due);
  EXPECT_EQ(due.size(), 2u);

  const char* bad[] = {"x key down 1", "1 key sideways 1", "1 key down 300", "1 mouse down middle 1 1",
                       "1 mouse move 1", "1 joystick"};
  for (const char* line : bad) {
    std::vector<TTimedInput> ignored;
    EXPECT_FALSE(ParseInputScript(line, ignored, error)) << line;
    EXPECT_EQ(error.rfind("line 1:", 0), 0u);
  }
}

TEST(HeadlessDialogs, AnswerFromTheScriptOrTheSafeDefault) {
  auto dialogs = CreateHeadlessDialogs();
  EXPECT_EQ(dialogs->MessageBox("c", "t", TBoxButtons::YesNo, TBoxIcon::Question), TBoxAnswer::No);
  dialogs->QueueAnswer("yes");
  EXPECT_EQ(dialogs->MessageBox("c", "t", TBoxButtons::YesNo, TBoxIcon::Question), TBoxAnswer::Yes);
  dialogs->QueueAnswer("folder/file.txt");
  EXPECT_EQ(dialogs->TakeTextAnswer(), "folder/file.txt");
  // Input dialogs take the next text; a box answer or none cancels them.
  dialogs->QueueAnswer("名前");
  dialogs->QueueAnswer("cancel");
  EXPECT_EQ(dialogs->InputText("c", "p", "first"), std::optional<std::string>("名前"));
  EXPECT_EQ(dialogs->InputText("c", "p", "first"), std::nullopt);
  EXPECT_EQ(dialogs->InputText("c", "p", "first"), std::nullopt);
}

}  // namespace
}  // namespace orvo
