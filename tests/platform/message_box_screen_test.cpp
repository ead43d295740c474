// The player's own message boxes on a real X server (Xvfb, which has no
// Japanese core fonts): what reaches the screen is the UI font's ink, and
// keys typed at the server answer the box. Skipped where Xvfb or xdotool is
// missing or the server does not start.
#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include "platform/dialogs.h"
#include "platform/ui_box.h"
#include "platform/ui_text.h"
#include "support/test_support.h"
#include "support/x_screen.h"

namespace orvo {
namespace {

// The top-left of the box's frame, if a box is on the screen: its caption
// strip lies inside a one-pixel frame.
bool FindBox(const test::TScreen& screen, int& left, int& top) {
  if (!test::FindColour(screen, kUiBoxCaptionStrip, left, top)) return false;
  --left;
  --top;
  return true;
}

// Opens the box on this thread while another waits for it, keeps the screen
// and then types keys at the server.
template <typename TOpen>
auto AnswerByKeys(const test::TVirtualScreen& screen, const std::string& keys, TOpen open,
                  test::TScreen* shot = nullptr) {
  EXPECT_TRUE(screen.WaitFor(kUiBoxCaptionStrip, false)) << "an earlier box is still on the screen";
  std::thread typist([&] {
    std::optional<test::TScreen> seen = screen.WaitFor(kUiBoxCaptionStrip, true);
    if (seen && shot) *shot = *seen;
    screen.Xdotool(keys);
  });
  auto answer = open();
  typist.join();
  return answer;
}

// Compares the screen under one line of text with the UI font's own image of it.
void ExpectInkOfLine(const test::TScreen& screen, int box_left, int box_top, const TUiTextLine& line, int pixels,
                     uint32_t background, uint32_t ink, TUiFont& font) {
  const TUiImage reference = font.RenderText(line.text, pixels, ink);
  EXPECT_GT(test::InkedPixels(reference), 20 * static_cast<int>(line.text.size() / 3))
      << "the font draws " << line.text;
  EXPECT_EQ(test::DifferingInk(screen, box_left + line.x, box_top + line.y, reference, background, ink), 0)
      << line.text;
}

TEST(MessageBoxScreen, JapaneseTextAndCaptionReachTheScreenAndKeysAnswer) {
  test::TVirtualScreen screen;
  if (!screen.Start()) GTEST_SKIP() << "no Xvfb with xdotool here";
  ::setenv("DISPLAY", screen.Display().c_str(), 1);
  ::unsetenv("WAYLAND_DISPLAY");
  ::setenv("LC_ALL", "C.UTF-8", 1);
  ::unsetenv("ORVO_UI_SCALE");
  ::unsetenv("GDK_SCALE");
  std::unique_ptr<IDialogs> dialogs = CreateWindowDialogs();
  TUiFont font;
  ASSERT_TRUE(font.Ready());

  const std::string caption = "確認のお願い", text = "セーブデータを上書きします。よろしいですか？";
  test::TScreen shot;
  EXPECT_EQ(AnswerByKeys(
                screen, "key Return",
                [&] { return dialogs->MessageBox(caption, text, TBoxButtons::OkCancel, TBoxIcon::Question); }, &shot),
            TBoxAnswer::Ok);
  TUiBoxRequest request{caption, text, {"OK", "Cancel"}, 0, 1, TBoxIcon::Question, false, ""};
  const TUiBoxLayout layout = LayoutUiBox(request, font, 1.0);
  int left = 0, top = 0;
  ASSERT_TRUE(FindBox(shot, left, top));
  ASSERT_LE(left + layout.width, shot.width);
  ASSERT_LE(top + layout.height, shot.height);
  ASSERT_EQ(layout.lines.size(), 1u);
  ExpectInkOfLine(shot, left, top, layout.lines[0], layout.text_pixels, kUiBoxBackground, kUiBoxText, font);
  ExpectInkOfLine(shot, left, top, layout.caption, layout.caption_pixels, kUiBoxCaptionStrip, kUiBoxCaptionText, font);

  const struct {
    TBoxButtons buttons;
    const char* keys;
    TBoxAnswer answer;
  } cases[] = {
      {TBoxButtons::OkCancel, "key Escape", TBoxAnswer::Cancel},
      {TBoxButtons::YesNoCancel, "key Tab Tab Return", TBoxAnswer::Cancel},
      {TBoxButtons::YesNo, "key Right space", TBoxAnswer::No},
      {TBoxButtons::YesNo, "key Right Left Return", TBoxAnswer::Yes},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        AnswerByKeys(screen, c.keys,
                     [&] { return dialogs->MessageBox("質問", "次へ進みますか？", c.buttons, TBoxIcon::Question); }),
        c.answer)
        << c.keys;
  }

  EXPECT_EQ(
      AnswerByKeys(screen, "type --delay 50 'ab c' && DISPLAY=" + screen.Display() + " xdotool key BackSpace Return",
                   [&] { return dialogs->InputText("名前", "名前を入力してください", "x"); }),
      std::optional<std::string>("xab "));
  EXPECT_EQ(AnswerByKeys(screen, "key Escape", [&] { return dialogs->InputText("名前", "入力", "x"); }), std::nullopt);
}

}  // namespace
}  // namespace orvo
