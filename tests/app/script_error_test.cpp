// Games that stop on a failing script say what failed and where: headless
// on stderr and in the trace, in a window in the player's own error box.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/ui_box.h"
#include "support/test_support.h"
#include "support/x_screen.h"

namespace orvo {
namespace {

std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }
std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }

// A game source folder: settings, an exit page that marks its run, the pages given.
std::string WriteGame(const std::vector<std::pair<std::string, std::string>>& pages, int width = 32, int height = 32) {
  std::string source = test::MakeTempDir("failing-src");
  test::WriteFile(source + "/settings.ini", "[project]\ntitle = E\nwidth = " + std::to_string(width) +
                                                "\nheight = " + std::to_string(height) +
                                                "\nstart_page = start.osb\nexit_page = bye.osb\n");
  test::WriteFile(source + "/bye.src", "var bye: int = 1\n");
  for (const auto& [name, text] : pages) test::WriteFile(source + "/" + name, text);
  return source;
}

TEST(ScriptError, AFailureStopsTheGameAndNamesPageLineCommandAndMessage) {
  struct TCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> pages;
    const char* damaged;  // a built page cut short, or null
    const char* report;   // what follows "[エラー] " and "<Error> "
  } cases[] = {
      {"a property the object does not take",
       {{"start.src", "box PR_NAME=\"b\"\nsetprop obj=\"b\", prop=92, value=1\nvar after: int = 1\n"}},
       nullptr,
       "start.osb(2) TComSetProp: SetPropエラー"},
      {"calls without end",
       {{"start.src", "label again\ncall start:again\n"}},
       nullptr,
       "start.osb(2) TComCall: スタックエラー"},
      {"a damaged page reached by a call",
       {{"start.src", "var n: int = 1\ncall lib\n"}, {"lib.src", "var x: int = 1\nvar y: int = 2\n"}},
       "lib.osb",
       "start.osb(2) TComCall: lib.osb: "},
      {"an event handler that raises",
       {{"start.src",
         "timer PR_NAME=\"t\", PR_DELAY=30, PR_ONNOTIFY=\"start.osb:tick\"\nwait 1000\nreturn\nlabel tick\n"
         "box PR_NAME=\"b\"\nsetprop obj=\"b\", prop=92, value=1\nreturn\n"}},
       nullptr,
       "start.osb(6) TComSetProp: SetPropエラー"},
      {"a damaged event handler page",
       {{"start.src", "timer PR_NAME=\"t\", PR_DELAY=30, PR_ONNOTIFY=\"tick.osb\"\nwait 1000\n"},
        {"tick.src", "var x: int = 1\nvar y: int = 2\n"}},
       "tick.osb",
       "tick.osb <Event>: tick.osb: "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string out = test::MakeTempDir("failing-out"), output;
    ASSERT_EQ(test::RunCommand(Kit() + " build " + WriteGame(c.pages) + " -o " + out, &output), 0) << output;
    if (c.damaged) {
      const std::string page = out + "/" + c.damaged;
      test::WriteFile(page, test::ReadFile(page).substr(0, 40));
    }
    const std::string trace = out + "/trace.txt";
    EXPECT_EQ(
        test::RunCommand(Player() + " " + out + " --headless --fixed-step 15 --frames 100 --trace " + trace, &output),
        1);
    const std::string line = std::string("[エラー] ") + c.report;
    EXPECT_NE(output.find(line), std::string::npos) << output;
    EXPECT_EQ(output.find("[エラー]", output.find(line) + 1), std::string::npos) << "reported once: " << output;
    const std::string traced = test::ReadFile(trace);
    EXPECT_NE(traced.find(test::Sjis(std::string("<Error> ") + c.report)), std::string::npos) << traced;
    // As before: the exit page does not run after a fatal error.
    EXPECT_EQ(traced.find("bye.osb"), std::string::npos);
  }
}

TEST(ScriptError, InAWindowTheBoxShowsTheMessageAndTheLastPictureStaysUntilClosed) {
  test::TVirtualScreen screen;
  if (!screen.Start()) GTEST_SKIP() << "no Xvfb with xdotool here";
  const std::string out = test::MakeTempDir("failing-window"), report = "start.osb(3) TComSetProp: SetPropエラー";
  std::string output;
  ASSERT_EQ(test::RunCommand(Kit() + " build " +
                                 WriteGame({{"start.src",
                                             "box PR_NAME=\"ground\", PR_WIDTH=160, PR_HEIGHT=120, PR_COLOR=$20A040\n"
                                             "wait 100\nsetprop obj=\"ground\", prop=92, value=1\n"}},
                                           160, 120) +
                                 " -o " + out,
                             &output),
            0)
      << output;
  // The player runs beside the test (at most a minute) and is waited for whatever happens.
  std::string status_file = out + "/status";
  std::thread player([&] {
    test::RunCommand("DISPLAY=" + screen.Display() + " LC_ALL=C.UTF-8 timeout 60 " + Player() + " " + out +
                     " >/dev/null 2>&1; echo $? > " + status_file);
  });
  struct TJoin {
    std::thread& thread;
    ~TJoin() { thread.join(); }
  } join{player};
  std::optional<test::TScreen> shot = screen.WaitFor(kUiBoxCaptionStrip, true);
  ASSERT_TRUE(shot) << "no box came";
  TUiFont font;
  TUiBoxRequest request{"エラー", report, {"OK"}, 0, 0, TBoxIcon::Error, false, ""};
  const TUiBoxLayout layout = LayoutUiBox(request, font, 1.0);
  int left = 0, top = 0;
  ASSERT_TRUE(test::FindColour(*shot, kUiBoxCaptionStrip, left, top));
  --left;
  --top;
  ASSERT_EQ(layout.lines.size(), 1u);
  const TUiImage message = font.RenderText(layout.lines[0].text, layout.text_pixels, kUiBoxText);
  EXPECT_GT(test::InkedPixels(message), 200);
  EXPECT_EQ(test::DifferingInk(*shot, left + layout.lines[0].x, top + layout.lines[0].y, message, kUiBoxBackground,
                               kUiBoxText),
            0);
  const TUiImage caption = font.RenderText(layout.caption.text, layout.caption_pixels, kUiBoxCaptionText);
  EXPECT_EQ(test::DifferingInk(*shot, left + layout.caption.x, top + layout.caption.y, caption, kUiBoxCaptionStrip,
                               kUiBoxCaptionText),
            0);

  // Answered, the box goes and the game's last picture stays.
  screen.Xdotool("key Return");
  std::optional<test::TScreen> after = screen.WaitFor(kUiBoxCaptionStrip, false);
  ASSERT_TRUE(after);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  after = screen.Read();
  int x = 0, y = 0;
  ASSERT_TRUE(after && test::FindColour(*after, 0x40A020, x, y)) << "the stage's last picture";
  EXPECT_FALSE(std::filesystem::exists(status_file)) << "the player waits to be closed";

  // The toolbar's exit button, above the stage, and its question: the player ends with status 1.
  screen.Xdotool("mousemove " + std::to_string(x + 10) + " " + std::to_string(y - 12) + " click 1");
  ASSERT_TRUE(screen.WaitFor(kUiBoxCaptionStrip, true)) << "the exit question";
  screen.Xdotool("key Return");
  for (int wait = 0; wait < 100 && test::ReadFile(status_file).empty(); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(test::ReadFile(status_file), "1\n");
}

}  // namespace
}  // namespace orvo
