// The player's own boxes without a window: keys, wrapping and layout.
#include "platform/ui_box.h"

#include <gtest/gtest.h>

namespace orvo {
namespace {

TEST(UiBoxKeys, MoveTheFocusAndAnswer) {
  using K = TUiKey;
  struct TCase {
    size_t buttons;
    bool with_input;
    std::vector<TUiKey> keys;
    bool closes;
    size_t chosen;  // when it closes
    size_t focus;   // when it does not
  } cases[] = {
      {2, false, {K::Enter}, true, 0, 0},
      {2, false, {K::Escape}, true, 1, 0},
      {2, false, {K::Right, K::Enter}, true, 1, 0},
      {3, false, {K::Tab, K::Tab, K::Tab}, false, 0, 0},  // round the row
      {3, false, {K::BackTab}, false, 0, 2},
      {3, false, {K::Left, K::Space}, true, 2, 0},
      {3, false, {K::Down, K::Up, K::Up}, false, 0, 2},
      // In an edit line a space is text and left/right stay with the text.
      {2, true, {K::Space, K::Right}, false, 0, 0},
      {2, true, {K::Tab, K::Enter}, true, 1, 0},
  };
  for (const TCase& c : cases) {
    TUiBoxRequest request;
    for (size_t i = 0; i < c.buttons; ++i) request.buttons.push_back("b");
    request.escape_button = 1;
    request.with_input = c.with_input;
    TUiBoxState state;
    bool closed = false;
    size_t chosen = 99;
    for (TUiKey key : c.keys) {
      ASSERT_FALSE(closed) << "a key after the box closed";
      closed = HandleUiBoxKey(request, state, key, chosen);
    }
    EXPECT_EQ(closed, c.closes);
    if (c.closes) {
      EXPECT_EQ(chosen, c.chosen);
    } else {
      EXPECT_EQ(state.focus, c.focus);
    }
  }
}

TEST(UiBoxKeys, BackspaceRemovesOneWholeCharacter) {
  TUiBoxRequest request;
  request.buttons = {"OK"};
  request.with_input = true;
  TUiBoxState state;
  state.input = "aソ表";
  size_t chosen;
  HandleUiBoxKey(request, state, TUiKey::Backspace, chosen);
  EXPECT_EQ(state.input, "aソ");
  state.preedit = "か";  // the input method owns the keys while it composes
  HandleUiBoxKey(request, state, TUiKey::Backspace, chosen);
  EXPECT_EQ(state.input, "aソ");
  state.preedit.clear();
  for (int i = 0; i < 3; ++i) HandleUiBoxKey(request, state, TUiKey::Backspace, chosen);
  EXPECT_EQ(state.input, "");
}

TEST(UiBoxText, WrapsAtNewLinesSpacesAndCharacters) {
  TUiFont font;
  if (!font.Ready()) GTEST_SKIP() << "no UI font";
  const int em = font.MeasureText("あ", 14);
  struct TCase {
    std::string text;
    int width_in_ems;
    std::vector<std::string> lines;
  } cases[] = {
      {"あいう\nえお", 10, {"あいう", "えお"}},
      {"あいうえお", 3, {"あいう", "えお"}},
      {"", 3, {""}},
      {"a\r\nb", 3, {"a", "b"}},
  };
  for (const TCase& c : cases) EXPECT_EQ(WrapUiText(c.text, font, 14, c.width_in_ems * em), c.lines) << c.text;
  // Latin words break at the last space and lose it.
  const std::string words = "one two three";
  std::vector<std::string> lines = WrapUiText(words, font, 14, font.MeasureText("one two th", 14));
  EXPECT_EQ(lines, (std::vector<std::string>{"one two", "three"}));
  // A text without end stops growing the box.
  std::string endless;
  for (int i = 0; i < 2000; ++i) endless += "あ\n";
  lines = WrapUiText(endless, font, 14, 10 * em);
  EXPECT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines.back(), "あ…");
}

TEST(UiBoxLayout, ScalesWithTheDisplayAndKeepsEveryPartInside) {
  TUiFont font;
  if (!font.Ready()) GTEST_SKIP() << "no UI font";
  TUiBoxRequest request{
      "確認", "ファイルを上書きしますか？\n二行目", {"はい", "いいえ", "キャンセル"}, 0, 2, TBoxIcon::Question, true,
      ""};
  const TUiBoxLayout one = LayoutUiBox(request, font, 1.0), two = LayoutUiBox(request, font, 2.0);
  EXPECT_NEAR(two.width, 2 * one.width, 4);
  EXPECT_NEAR(two.height, 2 * one.height, 8);
  EXPECT_EQ(two.text_pixels, 2 * one.text_pixels);
  for (const TUiBoxLayout* layout : {&one, &two}) {
    ASSERT_EQ(layout->buttons.size(), 3u);
    ASSERT_EQ(layout->lines.size(), 2u);
    for (size_t i = 0; i < 3; ++i) {
      const TUiRect& b = layout->buttons[i];
      EXPECT_GE(b.x, 0);
      EXPECT_LE(b.x + b.w, layout->width);
      EXPECT_LE(b.y + b.h, layout->height);
      EXPECT_GT(b.y, layout->input.y + layout->input.h) << "buttons lie under the edit line";
      if (i > 0) {
        EXPECT_GT(b.x, layout->buttons[i - 1].x + layout->buttons[i - 1].w);
      }
    }
    EXPECT_GT(layout->lines[1].y, layout->lines[0].y);
    EXPECT_GT(layout->input.y, layout->lines[1].y);
    EXPECT_LE(layout->input.x + layout->input.w, layout->width);
    const TUiImage painted = PaintUiBox(request, *layout, font, TUiBoxState{});
    EXPECT_EQ(painted.width, layout->width);
    EXPECT_EQ(painted.height, layout->height);
  }
}

}  // namespace
}  // namespace orvo
