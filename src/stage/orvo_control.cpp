#include "stage/orvo_control.h"

#include <algorithm>
#include <string>

#include "base/cp932.h"
#include "base/error.h"
#include "base/numeric.h"
#include "stage/motion.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"
#include "surface/custom_dibx.h"

namespace orvo {

namespace {

constexpr std::array<int32_t, kHandlerCount> kHandlerProps = {
    PR_ONMOUSEMOVE, PR_ONMOUSEIN,   PR_ONMOUSEOUT,  PR_ONLBTNDOWN, PR_ONLBTNUP,
    PR_ONRBTNDOWN,  PR_ONRBTNUP,    PR_ONWHEELDOWN, PR_ONWHEELUP,  PR_ONKEYDOWN,
    PR_ONKEYUP,     PR_ONKEYREPEAT, PR_ONFOCUSIN,   PR_ONFOCUSOUT, PR_ONIDLE,
};

int HandlerIndexOf(int32_t id) {
  for (size_t i = 0; i < kHandlerProps.size(); ++i) {
    if (kHandlerProps[i] == id) return static_cast<int>(i);
  }
  return -1;
}

// A rename of a visual object pushes the older holder of the name to
// base_n: base and n come from a trailing "_<n>" with n > 1, else the whole
// name and 2.
std::string PushedAsideName(const TOrvoBaseList& stage, const std::string& name) {
  size_t underscore = std::string::npos;
  for (size_t i = 0; i < name.size(); i += CharLength(name, i)) {
    if (CharLength(name, i) == 1 && name[i] == '_') underscore = i;
  }
  std::string base = name;
  int64_t start = 2;
  if (underscore != std::string::npos && underscore >= 1) {
    std::string_view digits = std::string_view(name).substr(underscore + 1);
    if (!digits.empty() && digits.size() <= 9 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      int64_t value = std::stoll(std::string(digits));
      if (value > 1) {
        base = name.substr(0, underscore);
        start = value;
      }
    }
  }
  for (int64_t n = start;; ++n) {
    std::string candidate = base + "_" + std::to_string(n);
    if (!stage.NameInUse(candidate)) return candidate;
  }
}

std::vector<std::string> KeyArgs(const std::vector<int32_t>& keys) {
  std::vector<std::string> args;
  args.reserve(keys.size());
  for (int32_t key : keys) args.push_back(std::to_string(key));
  return args;
}

TRect Inflate(const TRect& r, int32_t by) {
  return {ClampToInt32(int64_t{r.left} - by), ClampToInt32(int64_t{r.top} - by), ClampToInt32(int64_t{r.right} + by),
          ClampToInt32(int64_t{r.bottom} + by)};
}

bool Intersects(const TRect& a, const TRect& b) { return !IntersectRect(a, b).IsEmpty(); }

}  // namespace

TOrvoControl::TOrvoControl(TOrvoBaseList& stage) : TOrvoComponent(stage) {}

TOrvoControl::~TOrvoControl() = default;

// ---- names and priorities

void TOrvoControl::SetName(const std::string& name) {
  if (name == Name() || IsScrapped() || IsScreen()) return;
  if (!name.empty()) {
    int32_t index = Stage().IndexOfName(name);
    if (index >= 0) {
      TOrvoObject* other = Stage().Objects()[static_cast<size_t>(index)];
      if (other != this) other->StoreName(PushedAsideName(Stage(), name));
    }
  }
  StoreName(name);
}

void TOrvoControl::SetPriority(int32_t priority) {
  if (priority == Priority()) return;
  TOrvoObject::SetPriority(priority);
  if (parent_) parent_->SortChildren();
  Invalidate();
}

void TOrvoControl::SetPriorityBias(int32_t bias) {
  if (bias == PriorityBias()) return;
  TOrvoObject::SetPriorityBias(bias);
  if (parent_) parent_->SortChildren();
  Invalidate();
}

// ---- properties

bool TOrvoControl::AniPaused() const {
  if (HasSystemName() && parent_) return parent_->AniPaused();
  return ani_paused_;
}

std::string_view TOrvoControl::IdleHandler() const {
  return TakesIdleEvents() ? std::string_view(Handler(THandler::Idle)) : std::string_view();
}

TPropValue TOrvoControl::GetProperty(int32_t id) const {
  int handler = HandlerIndexOf(id);
  if (handler >= 0) {
    if (id == PR_ONIDLE && !TakesIdleEvents()) return TOrvoComponent::GetProperty(id);
    return TPropValue::Str(handlers_[static_cast<size_t>(handler)]);
  }
  switch (id) {
    case PR_PARENT:
      if (!parent_ || parent_ == &Stage().ActiveScreen()) return TPropValue::Str({});
      if (parent_ == &Stage().InactiveScreen()) return TPropValue::Str("\x01");
      return TPropValue::Str(parent_->Name());
    case PR_LEFT:
      return TPropValue::Int(left_);
    case PR_TOP:
      return TPropValue::Int(top_);
    case PR_WIDTH:
      return TPropValue::Int(width_);
    case PR_HEIGHT:
      return TPropValue::Int(height_);
    case PR_COLOR:
      return TPropValue::Int(color_);
    case PR_OFFSETX:
      return TPropValue::Int(offset_x_);
    case PR_OFFSETY:
      return TPropValue::Int(offset_y_);
    case PR_VISIBLE:
      return TPropValue::Bool(visible_);
    case PR_IGNOREMOUSE:
      return TPropValue::Int(ignore_mouse_);
    case PR_CURSOR:
      return TPropValue::Str(cursor_);
    case PR_POSZOOMED:
      return TPropValue::Bool(pos_zoomed_);
    case PR_CLIPLEFT:
      return TPropValue::Int(clip_left_);
    case PR_CLIPTOP:
      return TPropValue::Int(clip_top_);
    case PR_CLIPWIDTH:
      return TPropValue::Int(clip_width_);
    case PR_CLIPHEIGHT:
      return TPropValue::Int(clip_height_);
    case PR_ANIPAUSED:
      return TPropValue::Bool(AniPaused());
    case PR_PLAYING:
      return TPropValue::Bool(motion_ && !motion_->Finished() && !Paused() && !AniPaused());
    case PR_HANDLEKEY:
      return TPropValue::Bool(handle_key_);
    case PR_PLUSX:
      return TPropValue::Int(plus_x_);
    case PR_PLUSY:
      return TPropValue::Int(plus_y_);
    default:
      break;
  }
  return TOrvoComponent::GetProperty(id);
}

void TOrvoControl::ChangeGeometry(int32_t& field, int32_t value) {
  if (field == value) return;
  Invalidate();
  field = value;
  Invalidate();
}

void TOrvoControl::SetProperty(int32_t id, const TPropValue& value) {
  int handler = HandlerIndexOf(id);
  if (handler >= 0) {
    if (id == PR_ONIDLE && !TakesIdleEvents()) return;
    handlers_[static_cast<size_t>(handler)] = value.AsStr();
    return;
  }
  switch (id) {
    case PR_PARENT:
      if (!IsScreen()) {
        if (TOrvoControl* parent = Stage().FindControl(value.AsStr())) SetParent(parent);
      }
      break;
    case PR_LEFT:
    case PR_TOP: {
      int32_t& field = id == PR_LEFT ? left_ : top_;
      if (field != value.AsInt()) {
        Invalidate();
        field = value.AsInt();
        (id == PR_LEFT ? motion_x_ : motion_y_) = 0;
        Invalidate();
      }
      NotifyPositionChanged();
      break;
    }
    case PR_WIDTH:
    case PR_HEIGHT: {
      int32_t& field = id == PR_WIDTH ? width_ : height_;
      if (field != value.AsInt()) {
        ChangeGeometry(field, value.AsInt());
        SizeChanged();
      }
      break;
    }
    case PR_OFFSETX:
    case PR_OFFSETY: {
      int32_t& field = id == PR_OFFSETX ? offset_x_ : offset_y_;
      if (field != value.AsInt()) {
        ChangeGeometry(field, value.AsInt());
        NotifyPositionChanged();
      }
      break;
    }
    case PR_PLUSX:
      ChangeGeometry(plus_x_, value.AsInt());
      break;
    case PR_PLUSY:
      ChangeGeometry(plus_y_, value.AsInt());
      break;
    case PR_POSZOOMED:
      if (pos_zoomed_ != value.AsBool()) {
        Invalidate();
        pos_zoomed_ = value.AsBool();
        Invalidate();
      }
      break;
    case PR_CLIPLEFT:
    case PR_CLIPTOP:
    case PR_CLIPWIDTH:
    case PR_CLIPHEIGHT: {
      int32_t& field = id == PR_CLIPLEFT    ? clip_left_
                       : id == PR_CLIPTOP   ? clip_top_
                       : id == PR_CLIPWIDTH ? clip_width_
                                            : clip_height_;
      if (field != value.AsInt()) {
        ChangeGeometry(field, value.AsInt());
        NotifyClipChanged();
      }
      break;
    }
    case PR_COLOR:
      if (color_ != value.AsInt()) {
        color_ = value.AsInt();
        Invalidate();
      }
      break;
    case PR_VISIBLE:
      SetVisible(value.AsBool());
      break;
    case PR_HANDLEKEY:
      SetHandleKey(value.AsBool());
      break;
    case PR_ANIPAUSED:
      ani_paused_ = value.AsBool();
      break;
    case PR_CURSOR:
      cursor_ = value.AsStr();
      break;
    case PR_IGNOREMOUSE:
      ignore_mouse_ = static_cast<uint8_t>(value.AsInt());
      break;
    default:
      TOrvoComponent::SetProperty(id, value);
      break;
  }
}

void TOrvoControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  TOrvoBaseList& stage = Stage();
  if (!visible) {
    Invalidate();
    visible_ = false;
    TOrvoControl* focus = stage.Focus();
    if (focus && (focus == this || Contains(focus))) {
      stage.focus_ = 0;
      stage.RequestRefocus();
    }
  } else {
    visible_ = true;
    Invalidate();
    if (!stage.Focus()) stage.RequestRefocus();
  }
}

void TOrvoControl::StoreVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Invalidate();
  visible_ = visible;
  if (visible) Invalidate();
}

void TOrvoControl::SetHandleKey(bool handle_key) {
  if (handle_key == handle_key_) return;
  handle_key_ = handle_key;
  TOrvoControl* focus = Stage().Focus();
  if ((handle_key && !focus) || (!handle_key && focus == this)) Stage().RequestRefocus();
}

void TOrvoControl::SetSelected(bool selected) {
  if (selected == selected_) return;
  Invalidate();
  selected_ = selected;
  Invalidate();
}

void TOrvoControl::SetMotionPosition(int32_t x, int32_t y) {
  if (x == motion_x_ && y == motion_y_) return;
  Invalidate();
  motion_x_ = x;
  motion_y_ = y;
  Invalidate();
}

void TOrvoControl::SetBoundsRect(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  Invalidate();
  if (left != left_) motion_x_ = 0;
  if (top != top_) motion_y_ = 0;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
  if (resized) SizeChanged();
  NotifyPositionChanged();
}

TRect TOrvoControl::ClipRectOnScreen() const {
  int64_t left = int64_t{AbsLeft()} + clip_left_;
  int64_t top = int64_t{AbsTop()} + clip_top_;
  return {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + clip_width_), ClampToInt32(top + clip_height_)};
}

// ---- tree

TOrvoControl* TOrvoControl::GetChild(int32_t index) const {
  return index >= 0 && index < ChildCount() ? children_[static_cast<size_t>(index)] : nullptr;
}

TOrvoBase* TOrvoControl::OwnerBase() const {
  const TOrvoControl* top = this;
  while (top->parent_) top = top->parent_;
  return top->IsScreen() ? static_cast<TOrvoBase*>(const_cast<TOrvoControl*>(top)) : nullptr;
}

bool TOrvoControl::Contains(const TOrvoControl* object) const {
  for (const TOrvoControl* p = object ? object->parent_ : nullptr; p; p = p->parent_) {
    if (p == this) return true;
  }
  return false;
}

bool TOrvoControl::InCabinet() const {
  for (const TOrvoControl* p = parent_; p; p = p->parent_) {
    if (p->IsCabinet()) return true;
  }
  return false;
}

bool TOrvoControl::IsShown() const {
  const TOrvoControl* top = this;
  for (const TOrvoControl* p = this; p; p = p->parent_) {
    if (!p->visible_) return false;
    top = p;
  }
  return top == &Stage().ActiveScreen();
}

void TOrvoControl::AttachChild(TOrvoControl* child) {
  children_.push_back(child);
  child->parent_ = this;
}

void TOrvoControl::AttachChildInOrder(TOrvoControl* child) {
  if (!child || child->parent_ || child == this) return;
  // After every child that does not draw after it: where the insertion sort would leave it.
  auto place =
      std::upper_bound(children_.begin(), children_.end(), child,
                       [](const TOrvoControl* a, const TOrvoControl* b) { return CompareDrawingOrder(*a, *b) < 0; });
  children_.insert(place, child);
  child->parent_ = this;
  child->Invalidate();
}

void TOrvoControl::DetachChild(TOrvoControl* child) {
  auto it = std::find(children_.begin(), children_.end(), child);
  if (it != children_.end()) children_.erase(it);
  child->parent_ = nullptr;
}

void TOrvoControl::SetParent(TOrvoControl* parent) {
  if (parent == parent_ || parent == this || Contains(parent)) return;
  Invalidate();
  if (TOrvoControl* old = parent_) {
    old->DetachChild(this);
    if (old->IsCabinet()) LeaveCabinet();
  }
  if (parent) {
    parent->AttachChild(this);
    parent->SortChildren();
    if (parent->IsCabinet()) EnterCabinet();
  }
  Invalidate();
  TOrvoBaseList& stage = Stage();
  TOrvoControl* focus = stage.Focus();
  const bool on_active = OwnerBase() == &stage.ActiveScreen();
  if (focus && (focus == this || Contains(focus))) {
    if (!on_active) {
      stage.focus_ = 0;
      stage.RequestRefocus();
    }
  } else if (!focus && on_active) {
    stage.RequestRefocus();
  }
}

int CompareDrawingOrder(const TOrvoControl& a, const TOrvoControl& b) {
  if (&a == &b) return 0;
  const bool a_after = a.IsAfterimage();
  const bool b_after = b.IsAfterimage();
  if (a_after && b_after) {
    int32_t alpha_a = a.GetInt(PR_ALPHA) % 256;
    int32_t alpha_b = b.GetInt(PR_ALPHA) % 256;
    return alpha_a < alpha_b ? -1 : alpha_a > alpha_b ? 1 : 0;
  }
  if (a_after && a.AfterimageSource() == b.Handle()) return -1;
  if (b_after && b.AfterimageSource() == a.Handle()) return 1;
  static const std::string kFlipCover("\x01\x01", 2);
  const bool a_cover = a.Name() == kFlipCover;
  const bool b_cover = b.Name() == kFlipCover;
  if (a_cover != b_cover) return a_cover ? 1 : -1;
  const bool a_system = a.HasSystemName();
  const bool b_system = b.HasSystemName();
  if (a_system != b_system) return a_system ? -1 : 1;
  int64_t pa = int64_t{a.Priority()} + a.PriorityBias();
  int64_t pb = int64_t{b.Priority()} + b.PriorityBias();
  if (pa != pb) return pa < pb ? -1 : 1;
  int c = a.Name().compare(b.Name());
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void TOrvoControl::SortChildren() {
  // The comparison can cycle (afterimages), so no std::sort: a stable
  // insertion sort gives the same order for the same list every time.
  for (size_t i = 1; i < children_.size(); ++i) {
    for (size_t j = i; j > 0 && CompareDrawingOrder(*children_[j - 1], *children_[j]) > 0; --j) {
      std::swap(children_[j - 1], children_[j]);
    }
  }
}

void TOrvoControl::NotifyPositionChanged() {
  for (TOrvoControl* child : children_) {
    child->PositionChanged();
    child->NotifyPositionChanged();
  }
}

void TOrvoControl::NotifyClipChanged() {
  for (TOrvoControl* child : children_) {
    child->ClipChanged();
    child->NotifyClipChanged();
  }
}

// ---- screen position

int32_t TOrvoControl::PivotShift(bool vertical) const {
  const int64_t z = vertical ? ZoomY() : ZoomX();
  const int64_t offset = vertical ? offset_y_ : offset_x_;
  const int64_t size = vertical ? height_ : width_;
  const int64_t scaled = z == 256 ? offset : z * offset / 256;
  const bool flip = vertical ? FlipV() : FlipH();
  return ClampToInt32(flip ? size - scaled - 1 : scaled);
}

int32_t TOrvoControl::Position(bool vertical) const {
  if (motion_) return vertical ? motion_y_ : motion_x_;
  const int64_t pos = vertical ? top_ : left_;
  if (!pos_zoomed_) return static_cast<int32_t>(pos);
  return ClampToInt32((vertical ? ZoomY() : ZoomX()) * pos / 256);
}

int32_t TOrvoControl::AbsCoordinate(bool vertical) const {
  const TOrvoControl* p = parent_;
  const int64_t plus = vertical ? plus_y_ : plus_x_;
  if (PlainPosition()) {
    const int64_t pos = motion_ ? (vertical ? motion_y_ : motion_x_) : (vertical ? top_ : left_);
    if (!p) return ClampToInt32(pos + plus);
    const int64_t parent_abs = vertical ? p->AbsTop() : p->AbsLeft();
    const int64_t scroll = vertical ? p->ScrollY() : p->ScrollX();
    return ClampToInt32(pos + parent_abs - scroll + plus);
  }
  if (pos_zoomed_ && p && !p->IsScreen() && !motion_) {
    // A picture inside a picture keeps its place among the parent picture's
    // pixels when the parent is zoomed.
    const int64_t parent_picture = vertical ? p->PictureHeight() : p->PictureWidth();
    const int64_t parent_size = vertical ? p->height_ : p->width_;
    const int64_t own_picture = vertical ? PictureHeight() : PictureWidth();
    const bool same_zoom = vertical ? ZoomY() == p->ZoomY() : ZoomX() == p->ZoomX();
    if (parent_picture > 0 && own_picture > 0 && same_zoom && parent_size > 0) {
      long double ratio = static_cast<long double>(parent_picture) / parent_size * 65536;
      const int64_t r = std::max<int64_t>(1, RealToIntSaturate<int32_t>(ratio));
      const int64_t pos = vertical ? top_ : left_;
      const int64_t offset = vertical ? offset_y_ : offset_x_;
      const bool flip = vertical ? FlipV() : FlipH();
      const int64_t d = (flip ? parent_picture + offset - pos - own_picture : pos - offset) * 65536;
      const int64_t e = d / r + (d % r > 32767 ? 1 : 0);
      const int64_t parent_abs = vertical ? p->AbsTop() : p->AbsLeft();
      const int64_t scroll = vertical ? p->ScrollY() : p->ScrollX();
      return ClampToInt32(e + parent_abs + plus - scroll);
    }
  }
  int64_t x = Position(vertical);
  int64_t b = PivotShift(vertical);
  if (p) {
    const int64_t parent_abs = vertical ? p->AbsTop() : p->AbsLeft();
    const int64_t scroll = vertical ? p->ScrollY() : p->ScrollX();
    return ClampToInt32(x + parent_abs - scroll - b + plus);
  }
  return ClampToInt32(x - b + plus);
}

int32_t TOrvoControl::AbsLeft() const { return AbsCoordinate(false); }
int32_t TOrvoControl::AbsTop() const { return AbsCoordinate(true); }

int32_t TOrvoControl::LocalLeft() const { return ClampToInt32(int64_t{Position(false)} - PivotShift(false) + plus_x_); }

int32_t TOrvoControl::LocalTop() const { return ClampToInt32(int64_t{Position(true)} - PivotShift(true) + plus_y_); }

TPoint TOrvoControl::Origin() const {
  int64_t x = int64_t{Position(false)} + plus_x_;
  int64_t y = int64_t{Position(true)} + plus_y_;
  if (parent_) {
    x += int64_t{parent_->AbsLeft()} - parent_->ScrollX();
    y += int64_t{parent_->AbsTop()} - parent_->ScrollY();
  }
  return {ClampToInt32(x), ClampToInt32(y)};
}

TPoint TOrvoControl::ClientToScreen(TPoint point) const {
  return {ClampToInt32(int64_t{point.x} + AbsLeft()), ClampToInt32(int64_t{point.y} + AbsTop())};
}

TPoint TOrvoControl::ScreenToClient(TPoint point) const {
  return {ClampToInt32(int64_t{point.x} - AbsLeft()), ClampToInt32(int64_t{point.y} - AbsTop())};
}

TRect TOrvoControl::ObjectRect() const {
  const int32_t left = AbsLeft();
  const int32_t top = AbsTop();
  return {left, top, ClampToInt32(int64_t{left} + width_), ClampToInt32(int64_t{top} + height_)};
}

TRect TOrvoControl::PaintBounds() const {
  TRect r = ObjectRect();
  return selected_ && CompoType() != kcVideo ? Inflate(r, 2) : r;
}

bool TOrvoControl::ClipToOwnRect(TRect& rect) const {
  rect = IntersectRect(rect, ObjectRect());
  return !rect.IsEmpty();
}

// ---- drawing

void TOrvoControl::Invalidate() {
  if (!visible_) return;
  TOrvoBase* base = OwnerBase();
  if (!base) return;
  TRect r = PaintBounds();
  if (parent_ && !parent_->ClipToOwnRect(r)) return;
  if (HasClip()) {
    r = IntersectRect(r, ClipRectOnScreen());
    if (r.IsEmpty()) return;
  }
  InvalidateRect(r);
  base->AddDirty(r);
}

void TOrvoControl::InvalidateRect(TRect& rect) {
  if (parent_) parent_->InvalidateRect(rect);
}

void TOrvoControl::Paint(TCustomDIBX& surface) { PaintChildren(surface); }

void TOrvoControl::PaintChildren(TCustomDIBX& surface) {
  const TClipState saved = surface.SaveClip();
  const TRect r = ObjectRect();
  const TRect inside = IntersectRect(r, surface.GetClipRect());
  if (!inside.IsEmpty()) {
    // By index: a kind's Paint must not change its parent's children, but a
    // changed list must not crash either.
    for (size_t i = 0; i < children_.size(); ++i) {
      TOrvoControl* child = children_[i];
      if (child->Name().empty() || !child->visible_) continue;
      TRect q = inside;
      if (child->HasClip()) {
        q = IntersectRect(q, child->ClipRectOnScreen());
        if (q.IsEmpty()) continue;
      }
      // A child draws nothing outside its bounds: skip those that cannot reach q.
      if (!Intersects(child->PaintBounds(), q)) continue;
      surface.SetClipRect(q);
      child->Paint(surface);
    }
  }
  surface.RestoreClip(saved);
  if (selected_ && CompoType() != kcVideo) {
    surface.PatternFrame(Inflate(r, 2), 2, Stage().SelectionPattern(), 0, 0);
  }
}

TCustomDIBX* TOrvoControl::TargetSurface() const { return parent_ ? parent_->TargetSurface() : nullptr; }

TOrvoControl* TOrvoControl::HitTest(int32_t x, int32_t y, uint32_t mask) {
  if (!visible_ || !ObjectRect().Contains(x, y)) return nullptr;
  TOrvoControl* candidate = ignore_mouse_ <= 7 && (mask & (uint32_t{1} << ignore_mouse_)) ? this : nullptr;
  for (size_t i = children_.size(); i-- > 0;) {
    TOrvoControl* child = children_[i];
    if (child->IsScrapped()) continue;
    if (TOrvoControl* hit = child->HitTest(x, y, mask)) return hit;
  }
  return candidate;
}

// ---- events

bool TOrvoControl::HasEventQueued(int32_t code) const { return Stage().Events().HasEvent(Handle(), code); }

void TOrvoControl::PostHandler(THandler which, int32_t code, std::vector<std::string> args) {
  const std::string& handler = Handler(which);
  if (handler.empty()) return;
  Stage().Events().PostEvent(Handle(), handler, std::move(args), code);
}

std::vector<std::string> TOrvoControl::MouseArgs() const {
  TOrvoBase* base = OwnerBase();
  int32_t x = base ? base->Mouse().x : 0;
  int32_t y = base ? base->Mouse().y : 0;
  return {std::to_string(WrapSub(x, AbsLeft())), std::to_string(WrapSub(y, AbsTop()))};
}

void TOrvoControl::LButtonDown() {
  TOrvoBase* base = OwnerBase();
  if (!base) return;
  if ((ignore_mouse_ == IM_NONE || ignore_mouse_ == IM_RCLICK) && !Paused() && !HasEventQueued(ecLButtonDown) &&
      !EventsBlocked()) {
    PostHandler(THandler::LBtnDown, ecLButtonDown, MouseArgs());
    base->Mouse().capture |= kCaptureLeft;
  }
  base->Mouse().left_click_now = false;
}

void TOrvoControl::RButtonDown() {
  TOrvoBase* base = OwnerBase();
  if (!base) return;
  if ((ignore_mouse_ == IM_NONE || ignore_mouse_ == IM_LCLICK) && !Paused() && !HasEventQueued(ecRButtonDown) &&
      !EventsBlocked()) {
    PostHandler(THandler::RBtnDown, ecRButtonDown, MouseArgs());
    base->Mouse().capture |= kCaptureRight;
  }
  base->Mouse().right_click_now = false;
}

void TOrvoControl::LButtonUp() {
  if (!EventsBlocked()) PostHandler(THandler::LBtnUp, ecLButtonUp, MouseArgs());
  if (TOrvoBase* base = OwnerBase()) base->Mouse().capture &= static_cast<uint8_t>(~kCaptureLeft);
}

void TOrvoControl::RButtonUp() {
  if (!EventsBlocked()) PostHandler(THandler::RBtnUp, ecRButtonUp, MouseArgs());
  if (TOrvoBase* base = OwnerBase()) base->Mouse().capture &= static_cast<uint8_t>(~kCaptureRight);
}

void TOrvoControl::MouseMove() {
  if (Handler(THandler::MouseMove).empty() || HasEventQueued(ecMouseMove) || EventsBlocked()) return;
  PostHandler(THandler::MouseMove, ecMouseMove, MouseArgs());
}

void TOrvoControl::MouseLeave(TOrvoControl* new_hover) {
  (void)new_hover;
  if (!EventsBlocked()) PostHandler(THandler::MouseOut, ecMouseOut);
}

void TOrvoControl::MouseEnter(TOrvoControl* old_hover) {
  (void)old_hover;
  if (!EventsBlocked()) PostHandler(THandler::MouseIn, ecMouseIn);
}

TOrvoControl* TOrvoControl::FirstFocusable() {
  for (size_t i = children_.size(); i-- > 0;) {
    TOrvoControl* child = children_[i];
    if (!child->visible_ || child->IsScrapped()) continue;
    if (TOrvoControl* found = child->FirstFocusable()) return found;
  }
  return handle_key_ && !Paused() ? this : nullptr;
}

void TOrvoControl::KeyDown(const std::vector<int32_t>& keys) {
  if (Handler(THandler::KeyDown).empty() || Paused() || HasEventQueued(ecKeyDown) || IsScreen() || EventsBlocked())
    return;
  PostHandler(THandler::KeyDown, ecKeyDown, KeyArgs(keys));
}

void TOrvoControl::KeyUp(const std::vector<int32_t>& keys) {
  if (Handler(THandler::KeyUp).empty() || Paused() || HasEventQueued(ecKeyUp) || IsScreen() || EventsBlocked()) return;
  PostHandler(THandler::KeyUp, ecKeyUp, KeyArgs(keys));
}

void TOrvoControl::KeyRepeat(const std::vector<int32_t>& keys) {
  if (Handler(THandler::KeyRepeat).empty() || Paused() || HasEventQueued(ecKeyRepeat) || IsScreen() || EventsBlocked())
    return;
  PostHandler(THandler::KeyRepeat, ecKeyRepeat, KeyArgs(keys));
}

// ---- film motion

void TOrvoControl::LoadMotion(const std::string& file) {
  FreeMotion();
  const TMotionLoader& loader = Stage().MotionLoader();
  if (!loader) return;
  if (std::unique_ptr<IMotionFilm> film = loader(*this, file)) {
    motion_ = std::make_unique<TOrvoMotion>(std::move(film));
  }
}

void TOrvoControl::FreeMotion() {
  if (!motion_) return;
  Invalidate();
  motion_.reset();
  motion_x_ = 0;
  motion_y_ = 0;
  TOrvoObject::SetPriorityBias(0);
  if (parent_) parent_->SortChildren();
  Invalidate();
}

void TOrvoControl::RewindMotion() {
  if (motion_) motion_->Rewind();
}

bool TOrvoControl::Update() {
  if (!motion_ || !motion_->Step(*this, Stage().FrameDelta())) return false;
  if (GetBool(PR_AUTOSCRAP)) return true;
  const std::string handler = GetStr(PR_ONPLAYEND);
  if (!handler.empty()) Stage().Events().PostEvent(Handle(), handler, {}, ecPlayEnd);
  return false;
}

// ---- saves

void TOrvoControl::WriteState(TBinaryWriter& writer) const {
  TOrvoComponent::WriteState(writer);
  for (int32_t value : {left_, top_, width_, height_, offset_x_, offset_y_}) writer.WriteInt32(value);
  writer.WriteBool(pos_zoomed_);
  for (int32_t value : {motion_x_, motion_y_, plus_x_, plus_y_}) writer.WriteInt32(value);
  for (int32_t value : {clip_left_, clip_top_, clip_width_, clip_height_}) writer.WriteInt32(value);
  writer.WriteBool(ani_paused_);
  writer.WriteBool(visible_);
  writer.WriteInt32(color_);
  for (int32_t value : {film_rect_.left, film_rect_.top, film_rect_.right, film_rect_.bottom}) writer.WriteInt32(value);
  writer.WriteByte(ignore_mouse_);
  writer.WriteString(cursor_);
  for (THandler which :
       {THandler::MouseMove, THandler::MouseIn, THandler::MouseOut, THandler::LBtnDown, THandler::LBtnUp,
        THandler::RBtnDown, THandler::RBtnUp, THandler::WheelDown, THandler::WheelUp}) {
    writer.WriteString(Handler(which));
  }
  writer.WriteBool(handle_key_);
  for (THandler which :
       {THandler::KeyDown, THandler::KeyUp, THandler::KeyRepeat, THandler::FocusIn, THandler::FocusOut}) {
    writer.WriteString(Handler(which));
  }
  int32_t saved = 0;
  for (const TOrvoControl* child : children_) saved += child->IsSaved() ? 1 : 0;
  writer.WriteInt32(saved);
  for (const TOrvoControl* child : children_) {
    if (!child->IsSaved()) continue;
    writer.WriteByte(child->CompoType());
    child->WriteState(writer);
  }
}

void TOrvoControl::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoComponent::ReadState(reader, version);
  left_ = reader.ReadInt32();
  top_ = reader.ReadInt32();
  width_ = reader.ReadInt32();
  height_ = reader.ReadInt32();
  offset_x_ = reader.ReadInt32();
  offset_y_ = reader.ReadInt32();
  pos_zoomed_ = reader.ReadBool();
  if (version >= 130) {
    motion_x_ = reader.ReadInt32();
    motion_y_ = reader.ReadInt32();
    plus_x_ = reader.ReadInt32();
    plus_y_ = reader.ReadInt32();
  }
  if (version > 103) {
    clip_left_ = reader.ReadInt32();
    clip_top_ = reader.ReadInt32();
    clip_width_ = reader.ReadInt32();
    clip_height_ = reader.ReadInt32();
    ani_paused_ = reader.ReadBool();
  }
  visible_ = reader.ReadBool();
  color_ = reader.ReadInt32();
  film_rect_.left = reader.ReadInt32();
  film_rect_.top = reader.ReadInt32();
  film_rect_.right = reader.ReadInt32();
  film_rect_.bottom = reader.ReadInt32();
  ignore_mouse_ = reader.ReadByte();
  cursor_ = reader.ReadString();
  SetHandler(THandler::MouseMove, reader.ReadString());
  if (version > 101) SetHandler(THandler::MouseIn, reader.ReadString());
  for (THandler which : {THandler::MouseOut, THandler::LBtnDown, THandler::LBtnUp, THandler::RBtnDown, THandler::RBtnUp,
                         THandler::WheelDown, THandler::WheelUp}) {
    SetHandler(which, reader.ReadString());
  }
  if (version > 117) {
    handle_key_ = reader.ReadBool();
    for (THandler which :
         {THandler::KeyDown, THandler::KeyUp, THandler::KeyRepeat, THandler::FocusIn, THandler::FocusOut}) {
      SetHandler(which, reader.ReadString());
    }
  }
  ReadChildren(reader, version);
  SizeChanged();
}

}  // namespace orvo
