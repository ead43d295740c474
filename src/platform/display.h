#pragma once
// The window that shows the stage, or its headless stand-in. The shell never
// asks which one it has.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/rect.h"
#include "platform/input_event.h"
#include "platform/text_field.h"

namespace orvo {

// A finished stage image: 32-bit pixels 0x00RRGGBB, rows of stride bytes.
struct TFrameView {
  int width = 0;
  int height = 0;
  const uint8_t* pixels = nullptr;
  size_t stride = 0;
};

enum class TScaleMode { Smooth, Integer };

// One mode of a display: size, bit count (15 and 16 for the 5-5-5 and 5-6-5
// formats, else 8 per byte of a pixel) and refresh rate in Hz (0: unknown).
struct TDisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 0;
  int32_t refresh = 0;
  friend bool operator==(const TDisplayMode&, const TDisplayMode&) = default;
};

// The modes of the display the window is on, in the order it reports them,
// and the desktop's own mode.
struct TDisplayModes {
  std::vector<TDisplayMode> modes;
  TDisplayMode desktop;
};

// The headless display's modes without --display-modes: 1920x1080x32@60, the desktop's.
TDisplayModes DefaultHeadlessModes();
// Parses "WIDTHxHEIGHTxBITS@HZ" entries separated by commas, the desktop's
// marked by a trailing "*" (the first entry when none is marked); false for
// anything else (an empty list, two marks, zero sizes).
bool ParseDisplayModes(std::string_view text, TDisplayModes& out);

struct TDisplayOptions {
  std::string title_utf8;
  int stage_width = 640;
  int stage_height = 480;
  bool show_toolbar = true;
  bool japanese = true;  // toolbar and dialog texts
  TScaleMode scale = TScaleMode::Smooth;
};

class IDisplay {
 public:
  virtual ~IDisplay() = default;
  // Creates the window (client = stage + toolbar strip), centred; false when it cannot.
  virtual bool Open(const TDisplayOptions& options) = 0;
  // Changes the caption.
  virtual void SetTitle(const std::string& title_utf8) = 0;
  // Appends pending input to events without waiting.
  virtual void PollEvents(std::vector<TInputEvent>& events) = 0;
  // Sleeps until input arrives or timeout_ms passes (no busy waiting).
  virtual void WaitEvents(int timeout_ms) = 0;
  // Shows the changed rectangles of frame; the rest of the window keeps what it showed.
  virtual void Present(const TFrameView& frame, const std::vector<TRect>& dirty) = 0;
  // Switches between a window and the desktop's full screen.
  virtual void SetFullScreen(bool full) = 0;
  virtual bool IsFullScreen() const = 0;
  // Moves the pointer over a stage coordinate.
  virtual void WarpMouse(int stage_x, int stage_y) = 0;
  // The pointer's last known stage coordinate.
  virtual void MousePosition(int& stage_x, int& stage_y) const = 0;
  // True for the real window, false for the headless stand-in.
  virtual bool HasWindow() const = 0;
  // The modes of the window's display (of the first display before the window opens).
  virtual TDisplayModes DisplayModes() const = 0;
  // The text fields the window draws and types into; null without a window.
  virtual ITextFields* TextFields() { return nullptr; }
};

// A display with a window when a display server is reachable and headless is
// not asked for; the headless stand-in otherwise.
std::unique_ptr<IDisplay> CreateWindowDisplay();
std::unique_ptr<IDisplay> CreateHeadlessDisplay(TDisplayModes modes = DefaultHeadlessModes());
// True when a display server is named (DISPLAY or WAYLAND_DISPLAY); opening may still fail.
bool WindowSystemAvailable();

}  // namespace orvo
