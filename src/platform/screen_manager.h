#pragma once
// The display modes a game may use full screen, the one chosen, and the
// switch between window and full screen. Full screen is always the desktop's
// own (no mode change); the chosen mode is what scripts see.
#include <cstdint>
#include <vector>

#include "platform/display.h"

namespace orvo {

class TScreenManager {
 public:
  // Lists the display's modes that are at least the game's size with more
  // than 15 bits, choosing the preferred one as they are added; the window
  // stays as it is (windowed).
  TScreenManager(IDisplay& display, int32_t game_width, int32_t game_height, int32_t preferred_width,
                 int32_t preferred_height);

  // Appends a mode; returns its index.
  int32_t AddMode(const TDisplayMode& mode);
  // AddMode, then the mode replaces the selection when it suits the preferred size better.
  int32_t AddModeAndPrefer(const TDisplayMode& mode);
  int32_t ModeCount() const { return static_cast<int32_t>(modes_.size()); }
  // false for an index outside the list.
  bool GetMode(int32_t index, TDisplayMode& mode) const;
  // First mode with that size and bit count; -1 when none.
  int32_t FindMode(int32_t width, int32_t height, int32_t bits) const;

  // The mode chosen for full screen; -1 while none fits.
  int32_t SelectedMode() const { return selected_; }
  // Indices outside the list are ignored (they would index past it).
  void SetSelectedMode(int32_t index);
  // -2 released, -1 windowed, else the full-screen mode in use.
  int32_t CurrentMode() const { return current_; }
  // Windowed (-1) or full screen with a listed mode; a full screen that the
  // display does not enter falls back to windowed.
  void SelectMode(int32_t index);
  // Full screen on the desktop without a listed mode (the user's own switch
  // when no mode fits); the current mode stays -1.
  void EnterDesktopFullScreen();
  // The device is let go before a switch: current mode -2.
  void ReleaseDevice() { current_ = -2; }
  bool FullScreen() const { return display_.IsFullScreen(); }

  int32_t DesktopBitCount() const { return desktop_bits_; }
  int32_t PreferredWidth() const { return preferred_width_; }
  int32_t PreferredHeight() const { return preferred_height_; }
  // Frames per second measured by the frame loop.
  double FrameRate() const { return frame_rate_; }
  void SetFrameRate(double rate) { frame_rate_ = rate; }

 private:
  IDisplay& display_;
  int32_t game_width_, game_height_;
  int32_t preferred_width_, preferred_height_;
  std::vector<TDisplayMode> modes_;
  int32_t selected_ = -1;
  int32_t current_ = -2;
  int32_t desktop_bits_ = 24;
  double frame_rate_ = 0;
};

}  // namespace orvo
