#pragma once
// The stage as the object and property commands reach it. The script engine
// sits below the stage, so the commands see objects only as handles (0 for
// none); an operation on a handle that no longer names an object does
// nothing. The stage implements it; without a stage the commands evaluate
// their expressions and create nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_services.h"
#include "vars/param.h"

namespace orvo {

class TOrvoParser;

// What a property-motion command hands to its new motion object.
struct TPropMotionSetup {
  std::string target;  // name of the object whose property moves
  int32_t property = 0;
  std::optional<long double> value;
  std::optional<int32_t> time;
  std::optional<int32_t> mode;
  std::optional<bool> paused;
};

// What a transition command asks of the wipe engine.
struct TTransitionSetup {
  int32_t kind = 0;
  int32_t time = 1;
  bool reverse = false;
  std::optional<int32_t> param1;
  std::optional<int32_t> param2;
  std::optional<std::string> text;
  std::optional<bool> option;
};

// What a text command hands to its message window.
struct TTextInsertion {
  std::string page_name;      // the script page of the command
  int32_t command_index = 0;  // the command's index in that page
  bool record = false;        // pages go to the history and the read marks
  std::string glyph_stream;   // the command's glyph stream bytes
};

class IStageCommands {
 public:
  virtual ~IStageCommands() = default;

  // ---- objects
  // A new object of a stage kind code; 0 when the stage has no such kind yet.
  virtual TObjectHandle CreateByKind(int32_t kind) = 0;
  // The lookups of the stage: "" and "\x01" name the active and inactive screens.
  virtual TObjectHandle FindComponent(std::string_view name) const = 0;
  virtual TObjectHandle FindControl(std::string_view name) const = 0;
  // Screen 0 or 1 (absolute), and the active screen's index.
  virtual TObjectHandle Screen(int index) const = 0;
  virtual int ActiveScreenIndex() const = 0;
  virtual std::string Name(TObjectHandle object) const = 0;
  virtual void SetName(TObjectHandle object, const std::string& name) = 0;
  virtual bool IsCabinet(TObjectHandle object) const = 0;
  // Moves a visual object under a visual parent (cycles are ignored).
  virtual void SetParent(TObjectHandle object, TObjectHandle parent) = 0;
  // The children of a visual object in drawing order.
  virtual std::vector<TObjectHandle> Children(TObjectHandle parent) const = 0;
  virtual void Scrap(TObjectHandle object) = 0;
  virtual void Invalidate(TObjectHandle object) = 0;

  // ---- properties
  // The variable kind of a property id 0..172.
  virtual TParamType PropertyType(int32_t id) const = 0;
  // The dispatchers: ids outside the table raise "GetPropエラー" / "SetPropエラー".
  virtual void GetProperty(TCustomParam& variable, TObjectHandle object, int32_t id) = 0;
  virtual void SetProperty(TObjectHandle object, int32_t id, const TCustomParam& value) = 0;
  // A picture object brings its derived geometry up to date before its position is set.
  virtual void PrepareLeft(TObjectHandle object) = 0;
  // An animation keeps a copy of the expression whose value lengthens its last frame.
  virtual void SetLastWait(TObjectHandle object, const TOrvoParser& expression) = 0;
  // A particle emitter keeps copies of its appearance and interval expressions (null: none).
  virtual void SetParticleExpressions(TObjectHandle object, const TOrvoParser* appear_x, const TOrvoParser* appear_y,
                                      const TOrvoParser* interval) = 0;
  virtual void SetupPropMotion(TObjectHandle motion, const TPropMotionSetup& setup) = 0;
  // Restarts a sound's or video's media from the beginning; other kinds ignore it.
  virtual void RestartMedia(TObjectHandle object) = 0;
  // A new sound or video starts: fading in when its fade time is above 0.
  virtual void StartMedia(TObjectHandle object) = 0;
  // The media-stop command on an object: true when it now fades out and is
  // deleted at the fade's end (the command may wait for that); otherwise it
  // was stopped and scrapped at once, or left alone.
  virtual bool StopMedia(TObjectHandle object, int32_t fade_time) = 0;
  // Opens (0 at once, 1 animated) or closes (2 at once, 3 animated) a list
  // menu; other kinds ignore it.
  virtual void SetMenuState(TObjectHandle object, int32_t state) { (void)object, (void)state; }
  // True while the handle names an object that has not been deleted.
  virtual bool Alive(TObjectHandle object) const = 0;

  // ---- message windows
  virtual bool IsMessage(TObjectHandle object) const = 0;
  // Fills the window from the text command and makes its page 0 current.
  virtual void InsertText(TObjectHandle message, const TTextInsertion& insertion) = 0;
  // True while the window holds at least one page.
  virtual bool HoldsText(TObjectHandle message) const = 0;
  // Plain, empty text.
  virtual void ClearText(TObjectHandle message) = 0;
  virtual void ClearReadMarks() = 0;

  // ---- screens and transitions
  // Draws the stage now.
  virtual void PaintAll() = 0;
  // The flip cover: a picture named "\x01\x01" under the active screen
  // showing what is on screen now.
  virtual TObjectHandle CreateFlipCover() = 0;
  // Paints a screen into its own surface, whole.
  virtual void RenderScreen(int index) = 0;
  // Starts a wipe between the screens; false when none runs (then the
  // command switches at once).
  virtual bool StartTransition(const TTransitionSetup& setup) = 0;
  // The running wipe's progress.
  virtual void SetTransitionElapsed(int32_t elapsed) = 0;
  // Ends any wipe and makes the other screen the active one.
  virtual void SwitchScreens() = 0;
};

}  // namespace orvo
