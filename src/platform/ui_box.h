#pragma once
// The player's own message boxes, questions and input dialogs. The window
// system's box draws with core X fonts, which on most machines have no
// Japanese glyphs; these boxes draw every text with the UI font instead, so
// they read the same whatever the locale and the installed X fonts.
//
// The layout, the painting and the keys are plain functions over pixels, so
// that tests can check them without a window; RunUiBox shows the result in a
// window of its own, modal over the game window.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/ui_text.h"

struct SDL_Window;

namespace orvo {

struct TUiBoxRequest {
  std::string caption;               // UTF-8, drawn in the box's own title strip as well
  std::string text;                  // UTF-8; "\n" breaks a line, long lines wrap
  std::vector<std::string> buttons;  // labels from left to right, at least one
  size_t default_button = 0;         // focused at first, so Enter chooses it
  size_t escape_button = 0;          // Esc and closing the window choose it
  TBoxIcon icon = TBoxIcon::None;
  bool with_input = false;  // an edit line under the text
  std::string input;        // its first text
};

struct TUiRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// One line of text where the box draws it: the top-left of RenderText's image.
struct TUiTextLine {
  std::string text;
  int x = 0, y = 0;
};

// Everything in pixels of the box window at one scale (1 = 96 dpi).
struct TUiBoxLayout {
  double scale = 1;
  int width = 0, height = 0;
  int text_pixels = 0;     // pixel height of the text, the buttons and the input
  int caption_pixels = 0;  // pixel height of the caption
  TUiRect caption_strip;
  TUiTextLine caption;
  TUiRect icon;  // empty without an icon
  std::vector<TUiTextLine> lines;
  TUiRect input;  // empty without an edit line
  std::vector<TUiRect> buttons;
};

// What changes while the box is open.
struct TUiBoxState {
  size_t focus = 0;     // the button that Enter and Space choose
  std::string input;    // the edit line's text (UTF-8)
  std::string preedit;  // an input method's text not yet committed
};

enum class TUiKey { Enter, Escape, Space, Left, Right, Up, Down, Tab, BackTab, Backspace };

// Colours the tests and the painter share (0x00RRGGBB).
constexpr uint32_t kUiBoxBackground = 0xF0F0F0;
constexpr uint32_t kUiBoxText = 0x000000;
constexpr uint32_t kUiBoxCaptionStrip = 0x2F4F7F;
constexpr uint32_t kUiBoxCaptionText = 0xFFFFFF;

TUiBoxLayout LayoutUiBox(const TUiBoxRequest& request, TUiFont& font, double scale);
// The box's pixels, 0xFFRRGGBB, layout.width x layout.height.
TUiImage PaintUiBox(const TUiBoxRequest& request, const TUiBoxLayout& layout, TUiFont& font, const TUiBoxState& state);
// Applies a key; true when it closes the box, with the chosen button in chosen.
bool HandleUiBoxKey(const TUiBoxRequest& request, TUiBoxState& state, TUiKey key, size_t& chosen);
// Splits text into lines no wider than width pixels: at "\n", else before the
// character that would overflow (at the last space when the line has one).
std::vector<std::string> WrapUiText(const std::string& text, TUiFont& font, int pixel_height, int width);

struct TUiBoxResult {
  bool shown = false;  // false when no window could be opened
  size_t button = 0;
  std::string input;
};

// Shows the box modal over the game window and waits for the answer.
TUiBoxResult RunUiBox(const TUiBoxRequest& request);

// The game window that boxes are modal for (null for none); the display sets it.
void SetUiBoxOwner(SDL_Window* owner);

// The boxes' scale: the window's pixel density times ORVO_UI_SCALE or
// GDK_SCALE when either is set to a number from 1 to 4.
double UiScaleFromEnvironment();

}  // namespace orvo
