#pragma once
// What the variables and system functions need from the subsystems above
// them: the frame clock, the project, the interpreter, the stage, the screen
// manager, the message history, the fonts and MIDI. The shell implements it
// from the live objects; every operation has a neutral answer here, so a
// subsystem that is not built (or not running) simply leaves it alone.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "vars/param.h"

namespace orvo {

// A local date and time as the system clock gives it.
struct TLocalTime {
  int32_t year = 1899;
  int32_t month = 12;
  int32_t day = 30;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
};

// The local date and time of the system clock, for hosts that show the real date.
TLocalTime SystemLocalTime();

class ISystemHost {
 public:
  virtual ~ISystemHost() = default;

  // ---- frame clock and system clock
  // Sum of all tick intervals in ms (the game clock behind @TickCount).
  virtual int32_t TotalElapsed() const { return 0; }
  // Frame counter of the frame loop (@UpdateCount).
  virtual int32_t FrameCounter() const { return 0; }
  // The system's millisecond timer (@PCTickCount).
  virtual int32_t SystemMilliseconds() const { return 0; }
  // The current local date and time (@Year ... @Sec).
  virtual TLocalTime LocalNow() const { return {}; }

  // ---- project
  virtual std::string ProjectTitle() const { return {}; }
  virtual int32_t ScreenWidth() const { return 0; }
  virtual int32_t ScreenHeight() const { return 0; }

  // ---- interpreter
  // The topmost frame's return value (@Result), or null when there is none.
  virtual TCustomParam* ReturnValue() { return nullptr; }
  virtual int32_t ArgumentCount() const { return 0; }
  // Argument index of the running page; empty when out of range.
  virtual std::string Argument(int32_t index) const {
    (void)index;
    return {};
  }
  // Name of the object whose event runs; empty in the main script.
  virtual std::string EventSenderName() const { return {}; }
  // Frames on the call stack (@StackCount, DeleteStack).
  virtual int32_t CallStackCount() const { return 0; }
  // Removes frame index (0 = bottom) from the call stack; the store's owners
  // above it are shifted by the caller.
  virtual void RemoveCallFrame(int32_t index) { (void)index; }

  // ---- stage and input
  virtual bool LeftClickNow() const { return false; }
  virtual void SetLeftClickNow(bool value) { (void)value; }
  virtual bool RightClickNow() const { return false; }
  virtual void SetRightClickNow(bool value) { (void)value; }
  // A button held that no object captured.
  virtual bool LeftPush() const { return false; }
  virtual bool RightPush() const { return false; }
  virtual int32_t MouseX() const { return 0; }
  virtual int32_t MouseY() const { return 0; }
  virtual void SetCursorX(int32_t x) { (void)x; }
  virtual void SetCursorY(int32_t y) { (void)y; }
  virtual bool WheelDownNow() const { return false; }
  virtual bool WheelUpNow() const { return false; }
  // Keyboard state by Windows virtual-key code 0..255.
  virtual bool IsKeyDown(int32_t key) const {
    (void)key;
    return false;
  }
  virtual bool IsKeyPressed(int32_t key) const {
    (void)key;
    return false;
  }
  virtual bool IsKeyRepeated(int32_t key) const {
    (void)key;
    return false;
  }
  virtual bool CGDither() const { return false; }
  virtual void SetCGDither(bool value) { (void)value; }
  virtual bool SoundOn() const { return true; }
  virtual void SetSoundOn(bool value) { (void)value; }
  // Name of the object holding the keyboard focus.
  virtual std::string ActiveCompo() const { return {}; }
  // Gives the focus to the named object when it may take it.
  virtual void SetActiveCompo(const std::string& name) { (void)name; }
  // Kind (PT_INT ... PT_STR) of property number 0..172 (GetProp's result).
  virtual TParamType PropertyKind(int32_t property) const {
    (void)property;
    return PT_INT;
  }

  // ---- screen manager
  virtual bool FullScreen() const { return false; }
  virtual void SetFullScreen(bool value) { (void)value; }
  virtual int32_t DisplayModeCount() const { return 0; }
  virtual int32_t DisplayModeIndex() const { return 0; }
  virtual void SetDisplayModeIndex(int32_t index) { (void)index; }
  // The four values of mode index; false outside the list.
  virtual bool DisplayMode(int32_t index, int32_t& width, int32_t& height, int32_t& bits, int32_t& refresh) const {
    (void)index;
    (void)width;
    (void)height;
    (void)bits;
    (void)refresh;
    return false;
  }

  // ---- message history (the default format)
  virtual int32_t HistoryCount() const { return 0; }
  virtual int32_t HistoryMaxCount() const { return 0; }
  virtual void SetHistoryMaxCount(int32_t count) { (void)count; }
  // The six values (font height, border width, shadow offset, width, height,
  // line spacing) that saves of versions 113 to 134 keep with the variables.
  virtual void ApplyOldHistoryFormat(const std::array<int32_t, 6>& values) { (void)values; }

  // ---- fonts and MIDI
  // Installed font faces (only the fixed-pitch ones when fixed_only).
  virtual std::vector<std::string> ListFonts(bool fixed_only) const {
    (void)fixed_only;
    return {};
  }
  // Empty without a MIDI manager.
  virtual std::string MidiPort() const { return {}; }
  virtual void SetMidiPort(const std::string& name) { (void)name; }
  virtual std::vector<std::string> MidiPorts() const { return {}; }
};

// The host of tests, tools and a player without a game: fixed values that
// the owner sets directly.
class THeadlessSystemHost : public ISystemHost {
 public:
  int32_t TotalElapsed() const override { return total_elapsed; }
  int32_t FrameCounter() const override { return frame_counter; }
  int32_t SystemMilliseconds() const override { return system_milliseconds; }
  TLocalTime LocalNow() const override { return local_time; }
  std::string ProjectTitle() const override { return title; }
  int32_t ScreenWidth() const override { return screen_width; }
  int32_t ScreenHeight() const override { return screen_height; }
  TCustomParam* ReturnValue() override { return return_value; }
  int32_t ArgumentCount() const override { return static_cast<int32_t>(arguments.size()); }
  std::string Argument(int32_t index) const override;
  int32_t CallStackCount() const override { return call_stack_count; }
  void RemoveCallFrame(int32_t index) override;

  int32_t total_elapsed = 0;
  int32_t frame_counter = 0;
  int32_t system_milliseconds = 0;
  TLocalTime local_time;
  std::string title;
  int32_t screen_width = 640;
  int32_t screen_height = 480;
  TCustomParam* return_value = nullptr;
  std::vector<std::string> arguments;
  int32_t call_stack_count = 0;
  std::vector<int32_t> removed_frames;
};

}  // namespace orvo
