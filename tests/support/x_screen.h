#pragma once
// A private X server for window tests: Xvfb on a free display number, its
// screen read back from the frame buffer file it keeps, and keys and clicks
// typed at it with xdotool. Tests skip where either program is missing.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_text.h"

namespace orvo::test {

// The screen as 0x00RRGGBB pixels.
struct TScreen {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
};

// The first pixel (row by row) of that colour, if the screen shows one.
bool FindColour(const TScreen& screen, uint32_t colour, int& x, int& y);

class TVirtualScreen {
 public:
  ~TVirtualScreen() { Stop(); }
  // False when Xvfb or xdotool is missing or no server starts.
  bool Start();
  void Stop();
  // ":N", for DISPLAY.
  const std::string& Display() const { return display_; }
  std::optional<TScreen> Read() const;
  // Waits (up to ten seconds) until a pixel of colour is shown, or none is;
  // the screen at that moment.
  std::optional<TScreen> WaitFor(uint32_t colour, bool shown) const;
  // Runs "xdotool ARGUMENTS" against the server.
  void Xdotool(const std::string& arguments) const;

 private:
  std::string folder_, display_;
  pid_t pid_ = 0;
};

// How far a pixel goes from background towards ink, 0 (background) to 255 (ink).
int Coverage(uint32_t pixel, uint32_t background, uint32_t ink);
// Pixels of reference (a text image whose alpha is its coverage) that the
// screen at (left, top) does not show within 3 of 255 as ink over background.
int DifferingInk(const TScreen& screen, int left, int top, const TUiImage& reference, uint32_t background,
                 uint32_t ink);
// Pixels of the image that are more ink than not.
int InkedPixels(const TUiImage& image);

}  // namespace orvo::test
