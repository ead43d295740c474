#pragma once
// The stage: every object, the two screens, the event queue, the keyboard
// state and focus, and the three steps of each frame (input, update, paint).
// A class, not a process-wide singleton: films run nested stages of their own.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/binary_io.h"
#include "base/runtime_state.h"
#include "platform/input_event.h"
#include "stage/event_queue.h"
#include "stage/mes_data.h"
#include "stage/motion.h"
#include "stage/orvo_base.h"
#include "stage/orvo_control.h"
#include "stage/orvo_object.h"
#include "stage/picture_cache.h"
#include "stage/read_marks.h"
#include "stage/stage_host.h"
#include "surface/dibx.h"
#include "wipe/wipe.h"

namespace orvo {

class TExprEngine;
class TFontPixelManager;
class TOrvoMes;

// Where message windows hand the pages they show for the history; the
// history fills it, and until then nothing is recorded.
class ITextHistory {
 public:
  virtual ~ITextHistory() = default;
  // A recorded page became current on message.
  virtual void RecordPending(TOrvoMes& message, const std::string& page_name, const std::string& frozen_values,
                             int32_t page_number, int32_t last_ordinal, int32_t first_ordinal, int32_t command_index) {
    (void)message, (void)page_name, (void)frozen_values, (void)page_number, (void)last_ordinal, (void)first_ordinal,
        (void)command_index;
  }
  // The message named leaves its page.
  virtual void CommitPending(const std::string& message_name) { (void)message_name; }
};

// Creates an object of one kind on a stage (not yet adopted).
using TKindFactory = std::function<std::unique_ptr<TOrvoObject>(TOrvoBaseList& stage)>;

// Stage sides beyond this are refused (saves) or clamped (scripts): a
// surface of the stage's size then stays within the pixel stores' limit.
constexpr int32_t kMaxStageSide = 8192;

class TOrvoBaseList {
 public:
  explicit TOrvoBaseList(const TRuntimeState& state, IStageHost* host = nullptr);
  ~TOrvoBaseList();
  TOrvoBaseList(const TOrvoBaseList&) = delete;
  TOrvoBaseList& operator=(const TOrvoBaseList&) = delete;

  // ---- clock and host
  // The game clock: the frame loop's total elapsed milliseconds.
  int32_t GameClock() const { return state_.total_elapsed; }
  // Milliseconds of this frame (capped by the frame loop).
  int32_t FrameDelta() const { return state_.frame_delta; }
  IStageHost& Host() const { return *host_; }
  // The frame clock this stage reads (nested stages of films share it).
  const TRuntimeState& State() const { return state_; }

  // ---- size and screens
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Resizes both screens and the display surface (clamped to 1..kMaxStageSide).
  void SetSize(int32_t width, int32_t height);
  TOrvoBase& Screen(int index) const { return *screens_[index & 1]; }
  int ActiveScreenIndex() const { return active_screen_; }
  TOrvoBase& ActiveScreen() const { return Screen(active_screen_); }
  TOrvoBase& InactiveScreen() const { return Screen(active_screen_ ^ 1); }
  // Makes a screen the active one: both screens repaint entirely and the
  // focus moves when it is not on the new active screen.
  void SetActiveScreen(int index);
  // Paints a screen into its own surface now, whole.
  void RenderScreen(int index);
  // The finished picture of the stage (the window shows it), made at the
  // stage's size when first needed.
  TDIBX& DisplaySurface();
  // The surface a screen draws into this frame.
  TCustomDIBX& ScreenTarget(const TOrvoBase& screen);

  // ---- kinds and creation
  // Adds or replaces the factory of a kind code; the stage knows timers,
  // property motions and cabinets from the start.
  void RegisterKind(uint8_t code, TKindFactory factory);
  // A new object of that kind (the high bit of the code is ignored); null for unknown codes.
  TOrvoObject* CreateByKind(int32_t code);
  // Takes every kind factory of another stage (a film's nested stage makes
  // what the main stage makes).
  void InheritKinds(const TOrvoBaseList& other) { kinds_ = other.kinds_; }
  // Takes a new object: gives it a handle, names it "object<n>" when it
  // wants a name, and appends it to Objects.
  TOrvoObject* Adopt(std::unique_ptr<TOrvoObject> object);
  template <class T, class... Args>
  T* Create(Args&&... args) {
    return static_cast<T*>(Adopt(std::make_unique<T>(*this, std::forward<Args>(args)...)));
  }

  // ---- objects
  // Every object (screens aside) in creation order.
  const std::vector<TOrvoObject*>& Objects() const { return objects_; }
  // The object behind a handle; null once it is deleted.
  TOrvoObject* Resolve(TObjectHandle handle) const;
  TOrvoControl* ResolveControl(TObjectHandle handle) const;
  // "" and "\x01BASE0": the active screen; "\x01" and "\x01BASE1": the
  // inactive one; otherwise the first object of that name not scrapped.
  TOrvoObject* FindComponent(std::string_view name) const;
  // "": the active screen, "\x01": the inactive one, "\x01BASE0"/"\x01BASE1":
  // that screen; otherwise the first visual object of that name.
  TOrvoControl* FindControl(std::string_view name) const;
  // A name as saves hold it: "" is none, screen names are absolute.
  TOrvoObject* FindSavedName(std::string_view name) const;
  // Position in Objects of the first object with that name; -1 when none.
  int32_t IndexOfName(std::string_view name) const;
  // True when some object (screens included) carries the name.
  bool NameInUse(std::string_view name) const;
  // The first of prefix + "0", prefix + "1", ... that no object carries.
  std::string UniqueName(std::string_view prefix) const;
  // Appends the names of the objects of a kind (0: any) whose parent is
  // parent (null: objects without one), or of every object with whole_stage;
  // recursive also lists each one's children, once each. Returns the number
  // of names appended at this level.
  int32_t ListNames(std::vector<std::string>& list, int32_t kind, bool recursive, const TOrvoControl* parent,
                    bool whole_stage = false) const;
  // Deletes every object and both screens and makes two fresh screens.
  void ResetStage();
  // Deletes an object and its children at once, for kinds that own other
  // objects (films releasing their track objects); scripts Scrap instead.
  void DeleteObject(TOrvoObject& object);

  // ---- events, focus, keyboard
  TTimerList& Events() { return events_; }
  const TTimerList& Events() const { return events_; }
  TOrvoControl* Focus() const { return ResolveControl(focus_); }
  void SetFocusObject(TOrvoControl* object);
  void RequestRefocus() { refocus_pending_ = true; }
  bool RefocusPending() const { return refocus_pending_; }
  // True while a stage record is being read: objects then see a half-built
  // stage and must leave the focus to the record.
  bool ReadingState() const { return reading_state_; }
  // Key codes 0..255 (others are ignored).
  void SetKeyState(int32_t code, bool down);
  void LatchKeyPress(int32_t code);
  bool IsKeyDown(int32_t code) const;
  // Pressed since the previous frame.
  bool IsKeyPressed(int32_t code) const;
  // Auto-repeat fired this frame.
  bool IsKeyRepeated(int32_t code) const;
  // Every key array, timer, flag and list back to zero.
  void ClearKeys();

  // ---- window input (stage coordinates; the shell passes only what the active window takes)
  // Keys and text go to the text field that holds the window focus, when one does.
  void HandleInput(const TInputEvent& event);
  // The text fields of edit objects: the window's, or headless ones.
  ITextFields& TextFields();

  // ---- the three steps of a frame
  // Focus, key latches and repeat, mouse routing and key events of the active screen.
  void ProcessInput();
  // Every object advances by the frame delta; finished and scrapped objects are deleted.
  void UpdateAll();
  // Draws the dirty rectangles of both screens (the active one into the display surface).
  void PaintAll();
  // The display areas that PaintAll changed: what the window must show again.
  std::vector<TRect> PresentRects() const;
  // Clears both screens' dirty lists (after presenting).
  void ClearDirty();

  // ---- transitions
  // Makes screen the active one; when restart is set, or a kind is asked
  // while none runs, frees the running wipe, repaints both screens and
  // creates the kind's wipe from that screen to the other one with the
  // duration and direction. Then the wipe's elapsed time := elapsed.
  // Answers the wipe created now, else null (also for unknown kinds).
  TCustomWipe* StartFlip(int screen, int32_t kind, int32_t duration, int32_t elapsed, bool restart, bool reverse);
  // The running wipe's elapsed time (milliseconds since it started).
  void SetWipeElapsed(int32_t elapsed);
  // Frees the running wipe; both screens repaint.
  void EndWipe();
  bool WipeRunning() const { return wipe_ != nullptr; }
  uint8_t WipeKind() const { return wipe_kind_; }
  TCustomWipe* Wipe() const { return wipe_.get(); }

  // ---- objects that close on a right click
  void AddMenu(const TOrvoObject& object);
  void RemoveMenu(const TOrvoObject& object);

  // ---- sound and picture dithering (@SoundON, @CGDither)
  bool SoundOn() const { return sound_on_; }
  void SetSoundOn(bool on);
  bool CGDither() const { return cg_dither_; }
  // A change repaints both screens entirely.
  void SetCGDither(bool dither);

  // ---- pictures and expressions
  // The picture cache of this stage's objects.
  TDovaCollection& Pictures() { return *pictures_; }
  // The expressions of the running game (animation delays, last-selection
  // values); null while no interpreter runs.
  TExprEngine* Engine() const { return engine_; }
  void SetEngine(TExprEngine* engine) { engine_ = engine; }

  // ---- message windows
  // The fonts text is measured and drawn with; null: none installed.
  TFontPixelManager* Glyphs() const { return glyphs_; }
  void SetGlyphs(TFontPixelManager* glyphs) { glyphs_ = glyphs; }
  // Where message windows fetch the glyphs of text commands again.
  const TTextCommandSource& TextCommandSource() const { return text_source_; }
  void SetTextCommandSource(TTextCommandSource source) { text_source_ = std::move(source); }
  // Hears the whole text (CP932) of every message-window page as it starts
  // to reveal; read-aloud speaks it. Nothing is computed for the game here.
  void SetPageStartListener(std::function<void(const std::string&)> listener) {
    page_start_listener_ = std::move(listener);
  }
  void NotifyPageStart(const std::string& cp932_text) const {
    if (page_start_listener_) page_start_listener_(cp932_text);
  }
  // Whether a script page exists (a history entry whose page is gone ends the display); unset: all exist.
  const TPageExists& PageExists() const { return page_exists_; }
  void SetPageExists(TPageExists exists) { page_exists_ = std::move(exists); }
  TOrvoReadList& ReadMarks() { return read_marks_; }
  ITextHistory& History() { return history_ ? *history_ : default_history_; }
  void SetHistory(ITextHistory* history) { history_ = history; }

  // ---- film motions
  void SetMotionLoader(TMotionLoader loader) { motion_loader_ = std::move(loader); }
  const TMotionLoader& MotionLoader() const { return motion_loader_; }

  // ---- display changes
  void ReleaseSurfaces();
  void RestoreSurfaces();

  // ---- saves
  // The stage record: size, active screen, both trees, the non-visual
  // objects, the event queue and the focus.
  void WriteState(TBinaryWriter& writer) const;
  // Replaces the whole stage with a record of a save of that version.
  void ReadState(TBinaryReader& reader, int32_t version);

  // ---- pictures
  // Writes the display surface as a PNG file.
  void SaveScreenshot(const std::string& path);
  // The two-pixel pattern of selection frames.
  TCustomDIBX& SelectionPattern() { return selection_pattern_; }

 private:
  friend class TOrvoObject;
  friend class TOrvoControl;

  struct TSlot {
    std::unique_ptr<TOrvoObject> object;
    uint32_t generation = 1;
  };

  TOrvoBase& MakeScreen(int index);
  TObjectHandle Register(std::unique_ptr<TOrvoObject> object);
  void Scrap(TOrvoObject& object);
  void DeleteScreens();
  void NameChanged(const std::string& old_name, const std::string& new_name);
  void RouteMouse(TOrvoBase& screen);
  // Input that the focused text field takes (true) instead of the stage.
  bool HandleFieldInput(const TInputEvent& event);
  void UpdateCursor(TOrvoBase& screen, const TOrvoControl& hit);
  void DeliverKeys();
  void StepKeyRepeat();
  void ReadComponents(TBinaryReader& reader, int32_t version);
  void ReadEvents(TBinaryReader& reader, int32_t version);

  const TRuntimeState& state_;
  IStageHost default_host_;
  IStageHost* host_;
  int32_t width_ = 8;
  int32_t height_ = 8;
  std::array<TOrvoBase*, 2> screens_{};
  int active_screen_ = 0;
  TDIBX display_;
  TDIBX selection_pattern_;
  std::unique_ptr<TCustomWipe> wipe_;
  uint8_t wipe_kind_ = 0;
  TTimerList events_;
  std::vector<TSlot> slots_;
  std::vector<uint32_t> free_slots_;
  std::vector<TOrvoObject*> objects_;
  std::unordered_map<std::string, int32_t> name_counts_;
  std::vector<TObjectHandle> scrap_list_;
  size_t update_index_ = 0;
  std::vector<TObjectHandle> menu_list_;
  std::array<TKindFactory, 32> kinds_{};
  TMotionLoader motion_loader_;
  std::unique_ptr<TDovaCollection> pictures_;
  TExprEngine* engine_ = nullptr;
  TFontPixelManager* glyphs_ = nullptr;
  TTextCommandSource text_source_;
  std::function<void(const std::string&)> page_start_listener_;
  TPageExists page_exists_;
  TOrvoReadList read_marks_;
  ITextHistory default_history_;
  ITextHistory* history_ = nullptr;
  // Destroyed after the objects (the destructor deletes them first).
  std::unique_ptr<ITextFields> own_text_fields_;

  std::array<uint8_t, 256> key_down_{};
  std::array<uint8_t, 256> press_latch_{};
  std::array<uint8_t, 256> pressed_now_{};
  std::array<uint8_t, 256> repeat_latch_{};
  std::array<uint8_t, 256> repeated_now_{};
  std::array<int32_t, 256> repeat_timer_{};
  bool key_pressed_flag_ = false;
  bool key_released_flag_ = false;
  bool key_repeat_flag_ = false;
  std::vector<int32_t> pressed_keys_;
  std::vector<int32_t> released_keys_;
  std::vector<int32_t> repeated_keys_;

  bool sound_on_ = true;
  bool cg_dither_ = false;
  TObjectHandle focus_ = 0;
  bool refocus_pending_ = false;
  int read_depth_ = 0;
  bool reading_state_ = false;
};

// Key repeat: the first repeat after 300 ms, then every 50 ms.
constexpr int32_t kKeyRepeatDelay = 300;
constexpr int32_t kKeyRepeatInterval = 50;

}  // namespace orvo
