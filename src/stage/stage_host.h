#pragma once
// What the stage needs from the window and the media around it. Every
// operation has a neutral default, so tests and nested film stages pass none.
#include <cstdint>
#include <string>

#include "platform/text_field.h"

namespace orvo {

class IStageHost {
 public:
  virtual ~IStageHost() = default;
  // Moves the mouse pointer over a stage coordinate.
  virtual void WarpMouse(int32_t x, int32_t y) {
    (void)x;
    (void)y;
  }
  // The pointer's stage coordinate; false when unknown.
  virtual bool MousePosition(int32_t& x, int32_t& y) const {
    (void)x;
    (void)y;
    return false;
  }
  // Shows a cursor file (a game file) over the stage; an empty name restores the standard cursor.
  virtual void ShowCursorFile(const std::string& file) { (void)file; }
  // The project's default cursor file; empty for none.
  virtual std::string DefaultCursorFile() const { return {}; }
  // Turns every media manager's sound on or off.
  virtual void SetSoundOn(bool on) { (void)on; }
  // The picture cache's dithering changed.
  virtual void SetCacheDither(bool dither) { (void)dither; }
  // The window's text fields; null: the stage keeps headless ones of its own.
  virtual ITextFields* TextFields() { return nullptr; }
};

}  // namespace orvo
