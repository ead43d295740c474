#pragma once
// Visual objects: position, size, pivot, visibility, the tree of parents and
// children, clip rectangle, the mouse and key handlers and an attached film
// motion. A control paints its children clipped to its own rectangle and
// answers hit tests topmost child first.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/rect.h"
#include "stage/orvo_object.h"

namespace orvo {

class TCustomDIBX;
class TOrvoBase;
class TOrvoMotion;

struct TPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// The handler strings of a visual object.
enum class THandler : uint8_t {
  MouseMove,
  MouseIn,
  MouseOut,
  LBtnDown,
  LBtnUp,
  RBtnDown,
  RBtnUp,
  WheelDown,
  WheelUp,
  KeyDown,
  KeyUp,
  KeyRepeat,
  FocusIn,
  FocusOut,
  Idle,
};
constexpr size_t kHandlerCount = 15;

class TOrvoControl : public TOrvoComponent {
 public:
  explicit TOrvoControl(TOrvoBaseList& stage);
  ~TOrvoControl() override;

  bool IsVisual() const override { return true; }
  // Another holder of the name is renamed first: a -> a_2, a_2 -> a_3.
  void SetName(const std::string& name) override;
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void SetPriority(int32_t priority) override;
  void SetPriorityBias(int32_t bias) override;
  std::string_view IdleHandler() const override;
  bool InCabinet() const override;
  // Steps the film motion; an ended motion finishes an auto-scrap object or posts OnPlayEnd.
  bool Update() override;
  // The control record: geometry, flags, handlers, then the saved children.
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  // ---- fields
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t OffsetX() const { return offset_x_; }
  int32_t OffsetY() const { return offset_y_; }
  int32_t PlusX() const { return plus_x_; }
  int32_t PlusY() const { return plus_y_; }
  int32_t MotionX() const { return motion_x_; }
  int32_t MotionY() const { return motion_y_; }
  bool Visible() const { return visible_; }
  bool PosZoomed() const { return pos_zoomed_; }
  int32_t Color() const { return color_; }
  uint8_t IgnoreMouse() const { return ignore_mouse_; }
  bool HandleKey() const { return handle_key_; }
  // PR_ANIPAUSED; system-named objects with a parent read the parent's.
  bool AniPaused() const;
  bool Selected() const { return selected_; }
  void SetSelected(bool selected);
  const std::string& Handler(THandler which) const { return handlers_[static_cast<size_t>(which)]; }
  void SetHandler(THandler which, std::string handler) { handlers_[static_cast<size_t>(which)] = std::move(handler); }
  const std::string& Cursor() const { return cursor_; }
  const TRect& FilmRect() const { return film_rect_; }
  void SetFilmRect(const TRect& rect) { film_rect_ = rect; }
  // The position used instead of Left/Top while a film motion is attached.
  void SetMotionPosition(int32_t x, int32_t y);
  // Left, Top, Width, Height at once, repainting once before and once after a change.
  void SetBoundsRect(int32_t left, int32_t top, int32_t width, int32_t height);

  // ---- clip rectangle (relative to the object's top-left on screen)
  bool HasClip() const { return clip_width_ >= 1 && clip_height_ >= 1; }
  // The clip rectangle on screen.
  TRect ClipRectOnScreen() const;

  // ---- tree
  TOrvoControl* Parent() const { return parent_; }
  const std::vector<TOrvoControl*>& Children() const { return children_; }
  int32_t ChildCount() const { return static_cast<int32_t>(children_.size()); }
  TOrvoControl* GetChild(int32_t index) const;
  // The screen at the root of the tree (a screen answers itself); null without one.
  TOrvoBase* OwnerBase() const;
  // True when object is a descendant of this one.
  bool Contains(const TOrvoControl* object) const;
  // Moves the object under parent (a cycle or the current parent does nothing).
  void SetParent(TOrvoControl* parent);
  // Drawing order: stable insertion sort by DrawingOrder.
  void SortChildren();
  // Places a new object that has no parent among the children at its place
  // in the drawing order, found by bisection (the children being sorted):
  // for kinds that add many children one by one (particle emitters).
  void AttachChildInOrder(TOrvoControl* child);
  // Visible, on the active screen, and every ancestor visible.
  bool IsShown() const;
  // True for cabinets, which keep their children frozen and undrawn.
  virtual bool IsCabinet() const { return false; }

  // ---- geometry hooks of the kinds (zoom 256 = 100 %; picture size 0 = none)
  virtual int32_t ZoomX() const { return 256; }
  virtual int32_t ZoomY() const { return 256; }
  virtual bool FlipH() const { return false; }
  virtual bool FlipV() const { return false; }
  virtual int32_t ScrollX() const { return 0; }
  virtual int32_t ScrollY() const { return 0; }
  virtual int32_t PictureWidth() const { return 0; }
  virtual int32_t PictureHeight() const { return 0; }
  // True for kinds placed at parent AbsLeft + Left - parent ScrollX + PlusX
  // (MotionX while a film motion is attached), without pivot or zoom (tiles).
  virtual bool PlainPosition() const { return false; }

  // ---- screen position
  int32_t AbsLeft() const;
  int32_t AbsTop() const;
  // AbsLeft/AbsTop without the parent's terms.
  int32_t LocalLeft() const;
  int32_t LocalTop() const;
  // The pivot on screen.
  TPoint Origin() const;
  TPoint ClientToScreen(TPoint point) const;
  TPoint ScreenToClient(TPoint point) const;
  // The object's rectangle on screen; kinds widen it for rotation and zoom.
  virtual TRect ObjectRect() const;
  // Everything Paint may touch: ObjectRect and the selection frame.
  virtual TRect PaintBounds() const;
  // Intersects rect with ObjectRect; false when nothing is left.
  bool ClipToOwnRect(TRect& rect) const;

  // ---- drawing
  // Repaints the object's area (cut to the parent and the clip rectangle).
  virtual void Invalidate();
  // Tells the ancestors that rect is repainted (a wave effect widens it).
  virtual void InvalidateRect(TRect& rect);
  // Draws the kind's content under the surface's clip, then the children.
  // Nothing is drawn outside PaintBounds.
  virtual void Paint(TCustomDIBX& surface);
  // Paints the visible children clipped to ObjectRect and their clip rectangles.
  void PaintChildren(TCustomDIBX& surface);
  // The surface this object draws into: its screen's, unless an effect lies between.
  virtual TCustomDIBX* TargetSurface() const;
  // The object that takes the mouse at (x, y) for the hit mask; null for none.
  virtual TOrvoControl* HitTest(int32_t x, int32_t y, uint32_t mask);

  // ---- mouse (the screen's routing calls them; defaults post script events)
  virtual void LButtonDown();
  virtual void LButtonUp();
  virtual void RButtonDown();
  virtual void RButtonUp();
  virtual void MouseMove();
  // The mouse left for new_hover (null for none).
  virtual void MouseLeave(TOrvoControl* new_hover);
  // The mouse came from old_hover (null for none).
  virtual void MouseEnter(TOrvoControl* old_hover);
  // Called every frame while a press of this object is captured.
  virtual void MouseHold() {}
  // The cursor file shown over the object (PR_CURSOR).
  virtual std::string CursorName() const { return cursor_; }

  // ---- keyboard and focus
  // The last visible descendant that may hold the focus, else this one, else null.
  virtual TOrvoControl* FirstFocusable();
  // Key events for the focus: the key codes of this frame.
  virtual void KeyDown(const std::vector<int32_t>& keys);
  virtual void KeyUp(const std::vector<int32_t>& keys);
  virtual void KeyRepeat(const std::vector<int32_t>& keys);
  // The object became the focus.
  virtual void FocusIn() {}

  // ---- notifications
  // The object moved into / out of a cabinet.
  virtual void EnterCabinet() {}
  virtual void LeaveCabinet() {}
  // An ancestor moved, or its clip rectangle changed.
  virtual void PositionChanged() {}
  virtual void ClipChanged() {}

  // ---- film motion
  TOrvoMotion* Motion() const { return motion_.get(); }
  // Attaches the motion film of file (through the stage's loader); none when it does not load.
  void LoadMotion(const std::string& file);
  // Frees the motion; MotionX, MotionY and PriorityBias return to 0.
  void FreeMotion();
  void RewindMotion();

 protected:
  // Width or Height changed.
  virtual void SizeChanged() {}
  // PR_ONIDLE exists for the kind.
  virtual bool TakesIdleEvents() const { return true; }
  // Posts a handler (when set) as an event of this object.
  void PostHandler(THandler which, int32_t code, std::vector<std::string> args = {});
  // The mouse position relative to the object, as event arguments.
  std::vector<std::string> MouseArgs() const;
  bool HasEventQueued(int32_t code) const;
  // Calls PositionChanged / ClipChanged on every descendant.
  void NotifyPositionChanged();
  void NotifyClipChanged();
  // Sets a field, repainting before and after when it changes.
  void ChangeGeometry(int32_t& field, int32_t value);
  // Sets the Visible flag alone (repainting before hiding or after showing), without the focus rules.
  void StoreVisible(bool visible);

 private:
  friend class TOrvoBaseList;
  // Attaches a child without repaint or focus rules (reading saves).
  void AttachChild(TOrvoControl* child);
  void DetachChild(TOrvoControl* child);
  void ReadChildren(TBinaryReader& reader, int32_t version);
  void SetVisible(bool visible);
  void SetHandleKey(bool handle_key);
  int32_t AbsCoordinate(bool vertical) const;
  int32_t PivotShift(bool vertical) const;
  int32_t Position(bool vertical) const;

  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t offset_x_ = 0;
  int32_t offset_y_ = 0;
  bool visible_ = true;
  TOrvoControl* parent_ = nullptr;
  int32_t color_ = 0;
  std::vector<TOrvoControl*> children_;
  TRect film_rect_{0, 0, 1, 1};
  std::array<std::string, kHandlerCount> handlers_;
  uint8_t ignore_mouse_ = IM_NONE;
  std::string cursor_;
  bool pos_zoomed_ = false;
  bool selected_ = false;
  int32_t clip_left_ = 0;
  int32_t clip_top_ = 0;
  int32_t clip_width_ = 0;
  int32_t clip_height_ = 0;
  int32_t motion_x_ = 0;
  int32_t motion_y_ = 0;
  int32_t plus_x_ = 0;
  int32_t plus_y_ = 0;
  bool ani_paused_ = false;
  bool handle_key_ = false;
  std::unique_ptr<TOrvoMotion> motion_;
};

// The drawing-order comparison of two siblings: negative when a is drawn
// before b. Not a strict weak order (afterimages), so only a stable insertion
// sort uses it.
int CompareDrawingOrder(const TOrvoControl& a, const TOrvoControl& b);

}  // namespace orvo
