// The player's own message boxes on a real X server (Xvfb, which has no
// Japanese core fonts): what reaches the screen is the UI font's ink, and
// keys typed at the server answer the box. Skipped where Xvfb or xdotool is
// missing or the server does not start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "platform/dialogs.h"
#include "platform/ui_box.h"
#include "platform/ui_text.h"
#include "support/test_support.h"

extern char** environ;

namespace orvo {
namespace {

using namespace std::chrono_literals;

bool OnPath(const char* program) {
  return test::RunCommand(std::string("command -v ") + program + " >/dev/null 2>&1") == 0;
}

// The screen as 0x00RRGGBB pixels, read from the frame buffer file that Xvfb
// keeps (an XWD image: a big-endian header, a colour map, then the pixels).
struct TScreen {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
};

uint32_t BigEndian(const std::string& bytes, size_t field) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + field * 4;
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

std::optional<TScreen> ReadScreen(const std::string& file) {
  const std::string bytes = test::ReadFile(file);
  if (bytes.size() < 100) return std::nullopt;
  const uint32_t header = BigEndian(bytes, 0), width = BigEndian(bytes, 4), height = BigEndian(bytes, 5);
  const uint32_t bits = BigEndian(bytes, 11), line = BigEndian(bytes, 12), colours = BigEndian(bytes, 19);
  const size_t start = header + size_t{colours} * 12;
  if (bits != 32 || width > 4096 || height > 4096 || start + size_t{line} * height > bytes.size()) return std::nullopt;
  TScreen screen{static_cast<int>(width), static_cast<int>(height), {}};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, bytes.data() + start + size_t{y} * line + size_t{x} * 4, 4);
      screen.pixels.push_back(pixel & 0xFFFFFF);
    }
  }
  return screen;
}

// The first pixel of the box's caption strip, if a box is on the screen.
bool FindBox(const TScreen& screen, int& left, int& top) {
  for (int y = 0; y < screen.height; ++y)
    for (int x = 0; x < screen.width; ++x) {
      if (screen.At(x, y) != kUiBoxCaptionStrip) continue;
      // The strip lies inside the box's one-pixel frame.
      left = x - 1;
      top = y - 1;
      return true;
    }
  return false;
}

class TVirtualScreen {
 public:
  bool Start() {
    if (!OnPath("Xvfb") || !OnPath("xdotool")) return false;
    folder_ = test::MakeTempDir("xvfb");
    for (int number = 87; number < 99 && pid_ <= 0; ++number) {
      struct stat info;
      char lock[64], socket[64];
      std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", number);
      std::snprintf(socket, sizeof socket, "/tmp/.X11-unix/X%d", number);
      if (::stat(lock, &info) == 0) continue;
      char display[16];
      std::snprintf(display, sizeof display, ":%d", number);
      display_ = display;
      std::vector<std::string> words = {"Xvfb",   display_, "-screen", "0",         "800x600x24",
                                        "-fbdir", folder_,  "-br",     "-nolisten", "tcp"};
      std::vector<char*> argv;
      for (std::string& word : words) argv.push_back(word.data());
      argv.push_back(nullptr);
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
      pid_t pid = 0;
      if (posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ) != 0) pid = 0;
      posix_spawn_file_actions_destroy(&actions);
      if (pid <= 0) return false;
      pid_ = pid;
      for (int wait = 0; wait < 100 && ::stat(socket, &info) != 0; ++wait) std::this_thread::sleep_for(50ms);
      if (::stat(socket, &info) != 0 || !ReadScreen(FrameBuffer())) {
        Stop();
        continue;
      }
    }
    return pid_ > 0;
  }

  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

  ~TVirtualScreen() { Stop(); }

  const std::string& Display() const { return display_; }
  std::string FrameBuffer() const { return folder_ + "/Xvfb_screen0"; }

  // Waits until a box is shown (or gone); the screen at that moment.
  std::optional<TScreen> WaitForBox(bool shown) const {
    for (int wait = 0; wait < 200; ++wait) {
      std::optional<TScreen> screen = ReadScreen(FrameBuffer());
      int left, top;
      if (screen && FindBox(*screen, left, top) == shown) {
        // The box is put on the screen at once, but give the server a moment to finish it.
        if (!shown) return screen;
        std::this_thread::sleep_for(100ms);
        return ReadScreen(FrameBuffer());
      }
      std::this_thread::sleep_for(50ms);
    }
    return std::nullopt;
  }

  void Type(const std::string& keys) const {
    test::RunCommand("DISPLAY=" + display_ + " xdotool " + keys + " >/dev/null 2>&1");
  }

 private:
  std::string folder_, display_;
  pid_t pid_ = 0;
};

// Opens the box on this thread while another waits for it, keeps the screen
// and then types keys at the server.
template <typename TOpen>
auto AnswerByKeys(const TVirtualScreen& screen, const std::string& keys, TOpen open, TScreen* shot = nullptr) {
  EXPECT_TRUE(screen.WaitForBox(false)) << "an earlier box is still on the screen";
  std::thread typist([&] {
    std::optional<TScreen> seen = screen.WaitForBox(true);
    if (seen && shot) *shot = *seen;
    screen.Type(keys);
  });
  auto answer = open();
  typist.join();
  return answer;
}

// How much of a colour covers a pixel laid over background, 0-255.
int Coverage(uint32_t pixel, uint32_t background, uint32_t ink) {
  int most = 0, cover = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int b = static_cast<int>((background >> shift) & 0xFF), i = static_cast<int>((ink >> shift) & 0xFF);
    const int p = static_cast<int>((pixel >> shift) & 0xFF);
    if (std::abs(i - b) > most) {
      most = std::abs(i - b);
      cover = (p - b) * 255 / (i - b);
    }
  }
  return cover;
}

// Compares the screen under one line of text with the UI font's own image of it.
void ExpectInkOfLine(const TScreen& screen, int box_left, int box_top, const TUiTextLine& line, int pixels,
                     uint32_t background, uint32_t ink, TUiFont& font) {
  const TUiImage reference = font.RenderText(line.text, pixels, ink);
  int inked = 0, differing = 0;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const int expected = static_cast<int>(reference.pixels[static_cast<size_t>(y) * reference.width + x] >> 24);
      const int seen = Coverage(screen.At(box_left + line.x + x, box_top + line.y + y), background, ink);
      if (expected > 128) ++inked;
      if (std::abs(seen - expected) > 3) ++differing;
    }
  EXPECT_GT(inked, 20 * static_cast<int>(line.text.size() / 3)) << "the font draws " << line.text;
  EXPECT_EQ(differing, 0) << line.text;
}

TEST(MessageBoxScreen, JapaneseTextAndCaptionReachTheScreenAndKeysAnswer) {
  TVirtualScreen screen;
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
  TScreen shot;
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
