#pragma once
// Input as the game sees it: Windows virtual-key codes and stage coordinates,
// whether it came from a window or from a headless input script.
#include <cstdint>
#include <string>

namespace orvo {

enum class TInputKind {
  KeyDown,      // key: virtual-key code; repeat: auto-repeat
  KeyUp,        // key
  MouseMove,    // x, y in stage coordinates
  MouseDown,    // button, x, y
  MouseUp,      // button, x, y
  WheelUp,
  WheelDown,
  Answer,       // text: the answer of the next message box, question or dialog
  CloseRequest, // the window's close box (asks nothing)
  ExitButton,   // the toolbar's exit button (asks first)
  ToggleFullScreen,
  Activate,
  Deactivate,
  TextInput,    // text: UTF-8 committed into the text field that holds the focus
};

enum class TMouseButton { Left, Right, Middle };

struct TInputEvent {
  TInputKind kind = TInputKind::MouseMove;
  int key = 0;
  bool repeat = false;
  TMouseButton button = TMouseButton::Left;
  int x = 0;
  int y = 0;
  bool on_stage = true;  // false for mouse events outside the stage panel
  std::string text;
};

}  // namespace orvo
