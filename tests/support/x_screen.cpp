#include "support/x_screen.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "support/test_support.h"

extern char** environ;

namespace orvo::test {

namespace {

using namespace std::chrono_literals;

bool OnPath(const char* program) { return RunCommand(std::string("command -v ") + program + " >/dev/null 2>&1") == 0; }

uint32_t BigEndian(const std::string& bytes, size_t field) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + field * 4;
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

bool FindColour(const TScreen& screen, uint32_t colour, int& x, int& y) {
  for (y = 0; y < screen.height; ++y)
    for (x = 0; x < screen.width; ++x) {
      if (screen.At(x, y) == colour) return true;
    }
  return false;
}

bool TVirtualScreen::Start() {
  if (!OnPath("Xvfb") || !OnPath("xdotool")) return false;
  folder_ = MakeTempDir("xvfb");
  for (int number = 87; number < 99 && pid_ <= 0; ++number) {
    struct stat info;
    char lock[64], socket[64], display[16];
    std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", number);
    std::snprintf(socket, sizeof socket, "/tmp/.X11-unix/X%d", number);
    std::snprintf(display, sizeof display, ":%d", number);
    if (::stat(lock, &info) == 0) continue;
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
    if (::stat(socket, &info) != 0 || !Read()) Stop();
  }
  return pid_ > 0;
}

void TVirtualScreen::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = 0;
}

// Xvfb keeps the screen as an XWD image: a big-endian header, a colour map,
// then the pixels.
std::optional<TScreen> TVirtualScreen::Read() const {
  const std::string bytes = ReadFile(folder_ + "/Xvfb_screen0");
  if (bytes.size() < 100) return std::nullopt;
  const uint32_t header = BigEndian(bytes, 0), width = BigEndian(bytes, 4), height = BigEndian(bytes, 5);
  const uint32_t bits = BigEndian(bytes, 11), line = BigEndian(bytes, 12), colours = BigEndian(bytes, 19);
  const size_t start = header + size_t{colours} * 12;
  if (bits != 32 || width > 4096 || height > 4096 || start + size_t{line} * height > bytes.size()) return std::nullopt;
  TScreen screen{static_cast<int>(width), static_cast<int>(height), {}};
  screen.pixels.reserve(size_t{width} * height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, bytes.data() + start + size_t{y} * line + size_t{x} * 4, 4);
      screen.pixels.push_back(pixel & 0xFFFFFF);
    }
  }
  return screen;
}

std::optional<TScreen> TVirtualScreen::WaitFor(uint32_t colour, bool shown) const {
  for (int wait = 0; wait < 200; ++wait) {
    std::optional<TScreen> screen = Read();
    int x, y;
    if (screen && FindColour(*screen, colour, x, y) == shown) {
      if (!shown) return screen;
      // Put on the screen at once, but give the server a moment to finish the picture.
      std::this_thread::sleep_for(100ms);
      return Read();
    }
    std::this_thread::sleep_for(50ms);
  }
  return std::nullopt;
}

void TVirtualScreen::Xdotool(const std::string& arguments) const {
  RunCommand("DISPLAY=" + display_ + " xdotool " + arguments + " >/dev/null 2>&1");
}

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

int DifferingInk(const TScreen& screen, int left, int top, const TUiImage& reference, uint32_t background,
                 uint32_t ink) {
  int differing = 0;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const int expected = static_cast<int>(reference.pixels[static_cast<size_t>(y) * reference.width + x] >> 24);
      const int sx = left + x, sy = top + y;
      const bool inside = sx >= 0 && sy >= 0 && sx < screen.width && sy < screen.height;
      const int seen = inside ? Coverage(screen.At(sx, sy), background, ink) : -1000;
      if (std::abs(seen - expected) > 3) ++differing;
    }
  return differing;
}

int InkedPixels(const TUiImage& image) {
  int inked = 0;
  for (uint32_t pixel : image.pixels) inked += (pixel >> 24) > 128 ? 1 : 0;
  return inked;
}

}  // namespace orvo::test
