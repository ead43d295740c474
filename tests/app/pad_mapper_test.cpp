// Game controller input turned into the keys, clicks and pointer moves a game sees.
#include "app/pad_mapper.h"

#include <gtest/gtest.h>

namespace orvo {
namespace {

TInputEvent Pad(TInputKind kind, const char* name, int value = 0) {
  TInputEvent event;
  event.kind = kind;
  event.text = name;
  event.x = value;
  return event;
}
TInputEvent Down(const char* name) { return Pad(TInputKind::PadButtonDown, name); }
TInputEvent Up(const char* name) { return Pad(TInputKind::PadButtonUp, name); }

// One output event as text: "key+13", "key-13", "down L 5,6", "up R 5,6", "move 5,6", "full".
std::string Describe(const TInputEvent& event) {
  const std::string at = " " + std::to_string(event.x) + "," + std::to_string(event.y);
  const char* button = event.button == TMouseButton::Left ? "L" : "R";
  switch (event.kind) {
    case TInputKind::KeyDown:
      return "key+" + std::to_string(event.key);
    case TInputKind::KeyUp:
      return "key-" + std::to_string(event.key);
    case TInputKind::MouseDown:
      return std::string("down ") + button + at;
    case TInputKind::MouseUp:
      return std::string("up ") + button + at;
    case TInputKind::MouseMove:
      return "move" + at;
    case TInputKind::ToggleFullScreen:
      return "full";
    default:
      return "?";
  }
}

TEST(PadMapper, ButtonsBecomeKeysAndClicksThatReleaseAsTheyWerePressed) {
  struct TCase {
    const char* name;
    std::vector<TInputEvent> input;
    std::string expected;
  } cases[] = {
      // The pointer starts at the stage's centre (stage 100 x 50).
      {"A clicks at the pointer", {Down("a"), Up("a")}, "down L 50,25|up L 50,25|"},
      {"B right-clicks", {Down("b"), Up("b")}, "down R 50,25|up R 50,25|"},
      {"after the D-pad A and B are Enter and Esc",
       {Down("dpdown"), Up("dpdown"), Down("a"), Up("a"), Down("b"), Up("b")},
       "key+40|key-40|key+13|key-13|key+27|key-27|"},
      // A D-pad press between A's press and release must not turn the release into a key.
      {"a release matches its press",
       {Down("a"), Down("dpup"), Up("a"), Up("dpup")},
       "down L 50,25|key+38|up L 50,25|key-38|"},
      {"Start is Esc, Back switches full screen",
       {Down("start"), Up("start"), Down("back"), Up("back")},
       "key+27|key-27|full|"},
      {"a release without a press and a double press are ignored",
       {Up("a"), Down("x"), Down("a"), Down("a"), Up("a")},
       "down L 50,25|up L 50,25|"},
  };
  for (const TCase& c : cases) {
    TPadMapper mapper;
    mapper.SetStage(100, 50);
    std::vector<TInputEvent> out;
    for (const TInputEvent& event : c.input) mapper.Handle(event, out);
    std::string got;
    for (const TInputEvent& event : out) got += Describe(event) + "|";
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(PadMapper, StickMovesThePointerFasterTheLongerItIsHeldAndStaysOnTheStage) {
  TPadMapper mapper;
  mapper.SetStage(100, 50);
  std::vector<TInputEvent> out;
  // Inside the dead zone nothing moves.
  mapper.Handle(Pad(TInputKind::PadAxis, "leftx", 7000), out);
  mapper.Tick(out);
  EXPECT_TRUE(out.empty());
  mapper.Handle(Pad(TInputKind::PadAxis, "leftx", 32767), out);
  std::vector<int> steps;
  int previous = mapper.PointerX();
  for (int tick = 0; tick < 4; ++tick) {
    mapper.Tick(out);
    steps.push_back(mapper.PointerX() - previous);
    previous = mapper.PointerX();
  }
  EXPECT_LT(steps.front(), steps.back());
  for (int tick = 0; tick < 100; ++tick) mapper.Tick(out);
  EXPECT_EQ(mapper.PointerX(), 99);
  mapper.Handle(Pad(TInputKind::PadAxis, "lefty", -32768), out);
  for (int tick = 0; tick < 100; ++tick) mapper.Tick(out);
  EXPECT_EQ(mapper.PointerY(), 0);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(Describe(out.back()), "move 99,0");
  // The mouse moves the pointer too; the pad goes on from there.
  mapper.FollowPointer(10, 200);
  EXPECT_EQ(mapper.PointerY(), 49);
}

TEST(PadMapper, MappingLineChangesBindingsOrIsRefusedWhole) {
  TPadMap map = TPadMap::Defaults();
  std::string error;
  ASSERT_TRUE(map.Apply("a:key:Space, x:focus:40  y:fast b:none", error)) << error;
  TPadMapper mapper(map);
  mapper.SetStage(10, 10);
  std::vector<TInputEvent> out;
  for (const TInputEvent& event : {Down("a"), Up("a"), Down("b"), Down("y")}) mapper.Handle(event, out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(Describe(out[0]), "key+32");
  EXPECT_TRUE(mapper.FastForwardHeld());
  mapper.Handle(Up("y"), out);
  EXPECT_FALSE(mapper.FastForwardHeld());

  for (const char* line : {"a", "a:jump", "a:key:NoSuchKey", ":click", "a:key:999", "a:click b:"}) {
    TPadMap kept = TPadMap::Defaults();
    EXPECT_FALSE(kept.Apply(line, error)) << line;
    EXPECT_EQ(kept.Find("a").action, TPadAction::Select) << line;
  }
}

}  // namespace
}  // namespace orvo
