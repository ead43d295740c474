#pragma once
// Game controllers as the game sees them: buttons become keys and clicks, the
// left stick moves the pointer. The same mapping serves the window's
// controllers and the input script's pad events.
#include <map>
#include <string>
#include <vector>

#include "platform/input_event.h"

namespace orvo {

enum class TPadAction {
  None,
  Select,       // left click in pointer mode, Enter after the D-pad moved the focus
  Back,         // right click in pointer mode, Esc after the D-pad moved the focus
  Click,        // left click at the pointer
  RightClick,   // right click at the pointer
  Key,          // the key held while the button is
  FocusKey,     // a key that moves the focus (the D-pad): switches Select and Back to keys
  FastForward,  // fast-forward while held
  FullScreen,   // switches full screen on press
  PointerX,     // an axis that moves the pointer across
  PointerY,     // an axis that moves the pointer up and down
};

struct TPadBinding {
  TPadAction action = TPadAction::None;
  int key = 0;  // virtual-key code of Key and FocusKey
};

// Button and axis names (SDL's) to what they do.
class TPadMap {
 public:
  // A = select, B = back, Start = Esc, shoulders = fast-forward, Back = full
  // screen, D-pad = arrow keys, left stick = pointer.
  static TPadMap Defaults();
  // Applies a mapping line on top: "NAME:ACTION" entries separated by spaces or
  // commas, ACTION one of select, back, click, rightclick, fast, fullscreen,
  // pointerx, pointery, none, key:KEY, focus:KEY (KEY a key name or a
  // virtual-key number). On a bad entry fills error and changes nothing.
  bool Apply(const std::string& line, std::string& error);
  TPadBinding Find(const std::string& name) const;

 private:
  std::map<std::string, TPadBinding> bindings_;
};

class TPadMapper {
 public:
  explicit TPadMapper(TPadMap map = TPadMap::Defaults()) : map_(std::move(map)) {}
  // The stage the pointer is clamped to; the pointer starts at its centre.
  void SetStage(int width, int height);
  // The pointer was moved by other means (the mouse).
  void FollowPointer(int x, int y);
  // Turns a pad event into input for the stage (keys, clicks, pointer) and the
  // player's own events (full screen).
  void Handle(const TInputEvent& pad, std::vector<TInputEvent>& out);
  // Once per tick: a deflected stick moves the pointer, faster the longer it is held.
  void Tick(std::vector<TInputEvent>& out);
  // True while a fast-forward button is held.
  bool FastForwardHeld() const { return fast_held_ > 0; }
  int PointerX() const { return static_cast<int>(x_); }
  int PointerY() const { return static_cast<int>(y_); }

 private:
  TInputEvent Mouse(TInputKind kind, TMouseButton button) const;

  TPadMap map_;
  int width_ = 1, height_ = 1;
  double x_ = 0, y_ = 0;
  int axis_x_ = 0, axis_y_ = 0;
  int held_ticks_ = 0;
  int fast_held_ = 0;
  bool focus_mode_ = false;
  // What each held button sent on its press, so that its release matches.
  std::map<std::string, TInputEvent> pressed_;
};

}  // namespace orvo
