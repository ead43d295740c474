#include "platform/screen_manager.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/display.h"

namespace orvo {
namespace {

// A display that reports a fixed list and may refuse full screen.
class TFakeDisplay : public IDisplay {
 public:
  TFakeDisplay(TDisplayModes modes, bool full_screen_works) : modes_(std::move(modes)), works_(full_screen_works) {}
  bool Open(const TDisplayOptions&) override { return true; }
  void SetTitle(const std::string&) override {}
  void PollEvents(std::vector<TInputEvent>&) override {}
  void WaitEvents(int) override {}
  void Present(const TFrameView&, const std::vector<TRect>&) override {}
  void SetFullScreen(bool full) override { full_ = full && works_; }
  bool IsFullScreen() const override { return full_; }
  void WarpMouse(int, int) override {}
  void MousePosition(int& x, int& y) const override { x = y = 0; }
  bool HasWindow() const override { return false; }
  TDisplayModes DisplayModes() const override { return modes_; }

 private:
  TDisplayModes modes_;
  bool works_;
  bool full_ = false;
};

TDisplayModes Modes(const char* text) {
  TDisplayModes modes;
  EXPECT_TRUE(ParseDisplayModes(text, modes)) << text;
  return modes;
}

TEST(ScreenManager, ListsUsableModesAndPrefersTheAskedSize) {
  struct TCase {
    const char* what;
    const char* modes;
    int32_t preferred_w, preferred_h;
    int32_t count, selected, desktop_bits;
  };
  const TCase cases[] = {
      {"no mode as large as the game", "320x240x32@60*,639x480x32@60", 640, 480, 0, -1, 32},
      {"15 bits and smaller sizes are left out", "640x480x15@60*,640x480x16@60,320x200x32@60", 640, 480, 1, 0, 15},
      {"the first mode until a preferred one comes", "800x600x32@60*,1024x768x32@60", 640, 480, 2, 0, 32},
      {"the preferred size replaces another size", "800x600x32@60*,640x480x16@60", 640, 480, 2, 1, 32},
      {"60 then 75 Hz: the lower stays", "640x480x32@60*,640x480x32@75", 640, 480, 2, 0, 32},
      {"75 then 60 Hz: the lower wins", "640x480x32@75,640x480x32@60*", 640, 480, 2, 1, 32},
      {"the desktop's bit count wins", "640x480x16@60,640x480x32@85,1920x1080x32@60*", 640, 480, 3, 1, 32},
      {"not the other bit count", "640x480x32@60,640x480x16@50,1920x1080x32@60*", 640, 480, 3, 0, 32},
      {"a display size of its own", "640x480x32@60,800x600x32@60,1920x1080x32@60*", 800, 600, 3, 1, 32},
  };
  for (const TCase& c : cases) {
    TFakeDisplay display(Modes(c.modes), true);
    TScreenManager screens(display, 640, 480, c.preferred_w, c.preferred_h);
    EXPECT_EQ(screens.ModeCount(), c.count) << c.what;
    EXPECT_EQ(screens.SelectedMode(), c.selected) << c.what;
    EXPECT_EQ(screens.DesktopBitCount(), c.desktop_bits) << c.what;
    EXPECT_EQ(screens.CurrentMode(), -1) << c.what;
  }
}

TEST(ScreenManager, SelectionAndSwitching) {
  TFakeDisplay display(Modes("640x480x32@60*,800x600x32@60"), true);
  TScreenManager screens(display, 640, 480, 640, 480);
  screens.SetSelectedMode(2);
  EXPECT_EQ(screens.SelectedMode(), 0) << "past the list: ignored";
  screens.SetSelectedMode(-5);
  EXPECT_EQ(screens.SelectedMode(), 0);
  screens.SetSelectedMode(1);
  EXPECT_EQ(screens.SelectedMode(), 1);
  screens.SelectMode(1);
  EXPECT_TRUE(screens.FullScreen());
  EXPECT_EQ(screens.CurrentMode(), 1);
  screens.SelectMode(-1);
  EXPECT_FALSE(screens.FullScreen());
  EXPECT_EQ(screens.CurrentMode(), -1);

  // A full screen the display refuses stays windowed.
  TFakeDisplay stubborn(Modes("640x480x32@60*"), false);
  TScreenManager refused(stubborn, 640, 480, 640, 480);
  refused.SelectMode(0);
  EXPECT_EQ(refused.CurrentMode(), -1);
  EXPECT_FALSE(refused.FullScreen());
}

TEST(DisplayModes, ParsesTheListAndRefusesMalformedOnes) {
  TDisplayModes modes;
  ASSERT_TRUE(ParseDisplayModes("800x600x16@75,1920x1080x32@60*", modes));
  EXPECT_EQ(modes.modes, (std::vector<TDisplayMode>{{800, 600, 16, 75}, {1920, 1080, 32, 60}}));
  EXPECT_EQ(modes.desktop, (TDisplayMode{1920, 1080, 32, 60}));
  ASSERT_TRUE(ParseDisplayModes("800x600x16@0", modes));
  EXPECT_EQ(modes.desktop, (TDisplayMode{800, 600, 16, 0})) << "without a mark: the first";
  EXPECT_EQ(DefaultHeadlessModes().modes, (std::vector<TDisplayMode>{{1920, 1080, 32, 60}}));
  for (const char* bad : {"", "800x600x16", "800x600@60", "0x600x16@60", "800x600x16@60**", "a800x600x16@60",
                          "800x600x16@60,", "800x600x16@60*,640x480x32@60*", "800x600x16@6x", "99999999999x1x1@1"}) {
    EXPECT_FALSE(ParseDisplayModes(bad, modes)) << bad;
  }
}

// SDL's dummy video driver stands in for a display server.
TEST(WindowDisplay, SwitchesToFullScreenUnderTheDummyDriver) {
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::unique_ptr<IDisplay> display = CreateWindowDisplay();
  TDisplayOptions options;
  options.stage_width = 64;
  options.stage_height = 48;
  ASSERT_TRUE(display->Open(options));
  const TDisplayModes modes = display->DisplayModes();
  ASSERT_FALSE(modes.modes.empty());
  EXPECT_GT(modes.desktop.bits, 0);
  TScreenManager screens(*display, 64, 48, 64, 48);
  ASSERT_GE(screens.SelectedMode(), 0);
  screens.SelectMode(screens.SelectedMode());
  EXPECT_TRUE(display->IsFullScreen());
  EXPECT_EQ(screens.CurrentMode(), screens.SelectedMode());
  screens.SelectMode(-1);
  EXPECT_FALSE(display->IsFullScreen());
}

}  // namespace
}  // namespace orvo
