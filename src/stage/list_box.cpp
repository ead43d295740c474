#include "stage/list_box.h"

#include <algorithm>
#include <cmath>

#include "base/numeric.h"
#include "stage/images.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"
#include "vars/engine.h"

namespace orvo {

namespace {

constexpr int32_t kKeyPageUp = 33;
constexpr int32_t kKeyPageDown = 34;
constexpr int32_t kKeyUp = 38;
constexpr int32_t kKeyDown = 40;
constexpr int32_t kScrollCells = 7;
constexpr int32_t kCheckCells = 2;
// The pieces in order: TL TC TR / CL CC CR / BL BC BR.
constexpr int32_t kBorderFirst = PR_BORDERSOURCETL;

int32_t Clamp32(int64_t value) { return ClampToInt32(value); }

TRect XYWH(int64_t x, int64_t y, int64_t w, int64_t h) {
  return {Clamp32(x), Clamp32(y), Clamp32(x + std::max<int64_t>(w, 0)), Clamp32(y + std::max<int64_t>(h, 0))};
}

// The pattern shift of a centred or far-aligned piece smaller or larger than its picture.
int32_t AlignShift(uint8_t align, int64_t rect_size, int64_t picture_size) {
  if (picture_size <= 0 || align == 0) return 0;
  if (align == 1) {
    return Clamp32(picture_size < rect_size ? -((rect_size % picture_size) / 2) : (rect_size - picture_size) / 2);
  }
  return Clamp32(picture_size < rect_size ? -(rect_size % picture_size) : rect_size - picture_size);
}

TDrawFlags KeyFlags(const TPictureView& view) { return view.key_color >= 0 ? TDrawFlags::UseKey : TDrawFlags::None; }

}  // namespace

TOrvoCustomListBox::TOrvoCustomListBox(TOrvoBaseList& stage) : TOrvoControl(stage) {
  for (auto& border : borders_) border = std::make_unique<TOrvoImageList>(stage.Pictures(), this);
  scroll_ = std::make_unique<TOrvoImageList>(stage.Pictures(), this);
  check_ = std::make_unique<TOrvoImageList>(stage.Pictures(), this);
}

TOrvoCustomListBox::~TOrvoCustomListBox() = default;

// ---- items

std::string TOrvoCustomListBox::ItemText(int32_t index) const {
  if (index < 0 || index >= ItemCount()) return {};
  return items_.Label(index).Text();
}

void TOrvoCustomListBox::SetItems(const std::string& text) {
  Invalidate();
  text_ = text;
  items_.Clear();
  hover_labels_.Clear();
  size_t first = 0, last = text.size();
  while (first < last && static_cast<uint8_t>(text[first]) < 0x20) ++first;
  while (last > first && static_cast<uint8_t>(text[last - 1]) < 0x20) --last;
  if (first < last) {
    std::string line;
    for (size_t i = first; i < last; ++i) {
      const char c = text[i];
      if (c == '\r' || c == '\n') {
        items_.AddLabel(line);
        hover_labels_.AddLabel(line);
        line.clear();
        if (c == '\r' && i + 1 < last && text[i + 1] == '\n') ++i;
      } else {
        line.push_back(c);
      }
    }
    items_.AddLabel(line);
    hover_labels_.AddLabel(line);
  }
  checks_.assign(static_cast<size_t>(ItemCount()), 0);
  top_index_ = 0;
  hover_ = -1;
  needs_layout_ = true;
}

bool TOrvoCustomListBox::GetCheck(int32_t index) const {
  return index >= 0 && index < static_cast<int32_t>(checks_.size()) && checks_[static_cast<size_t>(index)] != 0;
}

void TOrvoCustomListBox::SetCheck(int32_t index, bool checked) {
  if (index < 0 || index >= static_cast<int32_t>(checks_.size())) return;
  if ((checks_[static_cast<size_t>(index)] != 0) == checked) return;
  checks_[static_cast<size_t>(index)] = checked;
  InvalidateRow(index);
}

void TOrvoCustomListBox::FontChanged() {
  items_.MarkAll();
  hover_labels_.MarkAll();
  needs_layout_ = true;
  Invalidate();
}

// ---- pictures

void TOrvoCustomListBox::SetPicture(std::string& field, TOrvoImageList& list, const std::string& source) {
  if (field == source) return;
  Invalidate();
  field = source;
  if (IsPictureFileName(source)) {
    list.LoadFrames(source, true);
  } else {
    list.Clear();
  }
  needs_layout_ = true;
  Invalidate();
}

void TOrvoCustomListBox::SetBorderSource(size_t piece, const std::string& source) {
  SetPicture(border_sources_[piece], *borders_[piece], source);
}

int32_t TOrvoCustomListBox::ScrollCellWidth() const { return scroll_->Width() / kScrollCells; }
int32_t TOrvoCustomListBox::ScrollCellHeight() const { return scroll_->Height(); }
int32_t TOrvoCustomListBox::CheckCellWidth() const { return check_->Width() / kCheckCells; }
int32_t TOrvoCustomListBox::CheckCellHeight() const { return check_->Height(); }

int32_t TOrvoCustomListBox::BorderLeft() const {
  return std::max({borders_[0]->Width(), borders_[3]->Width(), borders_[6]->Width()});
}
int32_t TOrvoCustomListBox::BorderRight() const {
  return std::max({borders_[2]->Width(), borders_[5]->Width(), borders_[8]->Width()});
}
int32_t TOrvoCustomListBox::BorderTop() const {
  return std::max({borders_[0]->Height(), borders_[1]->Height(), borders_[2]->Height()});
}
int32_t TOrvoCustomListBox::BorderBottom() const {
  return std::max({borders_[6]->Height(), borders_[7]->Height(), borders_[8]->Height()});
}

// ---- layout

int32_t TOrvoCustomListBox::RowHeight() const {
  if (ItemCount() == 0) return std::max(items_.RowHeight(), hover_labels_.RowHeight());
  return std::max(items_.Label(0).Height(), hover_labels_.Label(0).Height());
}

void TOrvoCustomListBox::Relayout() {
  items_.SetGlyphs(Stage().Glyphs());
  hover_labels_.SetGlyphs(Stage().Glyphs());
  items_.Measure();
  hover_labels_.Measure();
  items_.MarkAll();
  hover_labels_.MarkAll();
  const int64_t width = int64_t{std::max(items_.WidestLabel(), hover_labels_.WidestLabel())} +
                        2 * int64_t{border_width_} + BorderLeft() + BorderRight() + 2 * int64_t{margin_x_} +
                        (Scrolls() ? ScrollCellWidth() : 0) + CheckCellWidth();
  const int64_t rows = std::max<int64_t>(std::min(row_count_, ItemCount()), 0);
  const int64_t row_height = std::max(items_.RowHeight(), hover_labels_.RowHeight());
  const int64_t height = rows * row_height + (rows - 1) * line_space_ + 2 * int64_t{border_width_} + BorderTop() +
                         BorderBottom() + 2 * int64_t{margin_y_};
  needs_layout_ = false;
  SetBoundsRect(Left(), Top(), static_cast<int32_t>(std::clamp<int64_t>(width, 0, kMaxStageSide)),
                static_cast<int32_t>(std::clamp<int64_t>(height, 0, kMaxStageSide)));
}

TRect TOrvoCustomListBox::Inner() const {
  const TRect r = ObjectRect();
  return {Clamp32(int64_t{r.left} + border_width_), Clamp32(int64_t{r.top} + border_width_),
          Clamp32(int64_t{r.right} - border_width_), Clamp32(int64_t{r.bottom} - border_width_)};
}

int32_t TOrvoCustomListBox::ItemAt(TPoint point) const {
  const TRect inner = Inner();
  const int64_t left = int64_t{inner.left} + BorderLeft();
  const int64_t right = int64_t{inner.right} - BorderRight() - (Scrolls() ? ScrollCellWidth() : 0);
  const int64_t top = int64_t{inner.top} + BorderTop();
  const int64_t bottom = int64_t{inner.bottom} - BorderBottom();
  const int64_t f = std::min<int64_t>(margin_y_, line_space_ / 2);
  const int64_t area_top = top + margin_y_ - f;
  const int64_t area_bottom = bottom - margin_y_ + f;
  if (point.x < left || point.x >= right || point.y < area_top || point.y >= area_bottom) return -1;
  const int64_t step = int64_t{RowHeight()} + line_space_;
  int64_t row_start = area_top + f - line_space_ / 2;
  int64_t index = int64_t{top_index_} - 1;
  for (int32_t k = 0; k < row_count_; ++k) {
    if (row_start > point.y) break;
    ++index;
    row_start += step;
  }
  if (index < 0 || index >= ItemCount()) return -1;
  return static_cast<int32_t>(index);
}

void TOrvoCustomListBox::SetTopIndex(int32_t index) {
  const int32_t most = std::max(ItemCount() - row_count_, 0);
  index = std::clamp(index, 0, most);
  if (index == top_index_) return;
  top_index_ = index;
  Invalidate();
}

// ---- scroll bar

bool TOrvoCustomListBox::ScrollPartsActive() const {
  if (!Scrolls() || ScrollCellWidth() < 1 || ScrollCellHeight() < 1) return false;
  // Without room beyond the two arrows and the thumb there is nothing to drag.
  const int64_t track = int64_t{Height()} - 2 * int64_t{border_width_} - BorderTop() - BorderBottom();
  return track > 3 * int64_t{ScrollCellHeight()};
}

int32_t TOrvoCustomListBox::ScrollBarX() const {
  return Clamp32(int64_t{Inner().right} - BorderRight() - ScrollCellWidth());
}

int32_t TOrvoCustomListBox::ThumbTop() const {
  const int64_t ch = ScrollCellHeight();
  const int64_t base = int64_t{AbsTop()} + border_width_ + BorderTop() + ch;
  const int64_t span = std::max(ItemCount() - row_count_, 1);
  const int64_t room = int64_t{Height()} - 2 * int64_t{border_width_} - BorderTop() - BorderBottom() - 3 * ch;
  return Clamp32(base + room * top_index_ / span);
}

int32_t TOrvoCustomListBox::IndexAtThumb(int32_t y) const {
  const int64_t ch = ScrollCellHeight();
  const int64_t most = std::max(ItemCount() - row_count_, 0);
  const int64_t room = int64_t{Height()} - 2 * int64_t{border_width_} - BorderTop() - BorderBottom() - 3 * ch;
  if (room <= 0) return 0;
  const long double value =
      static_cast<long double>(most) *
      static_cast<long double>(int64_t{y} - AbsTop() - border_width_ - BorderTop() - ch - ch / 2) /
      static_cast<long double>(room);
  return static_cast<int32_t>(std::clamp<int64_t>(RealToIntRound<int64_t>(value), 0, most));
}

TRect TOrvoCustomListBox::UpArrowRect() const {
  return XYWH(ScrollBarX(), int64_t{Inner().top} + BorderTop(), ScrollCellWidth(), ScrollCellHeight());
}

TRect TOrvoCustomListBox::DownArrowRect() const {
  return XYWH(ScrollBarX(), int64_t{Inner().bottom} - BorderBottom() - ScrollCellHeight(), ScrollCellWidth(),
              ScrollCellHeight());
}

bool TOrvoCustomListBox::OverThumb(TPoint point) const {
  return XYWH(ScrollBarX(), ThumbTop(), ScrollCellWidth(), ScrollCellHeight()).Contains(point.x, point.y);
}

int32_t TOrvoCustomListBox::OverArrow(TPoint point) const {
  if (UpArrowRect().Contains(point.x, point.y)) return -1;
  if (DownArrowRect().Contains(point.x, point.y)) return 1;
  return 0;
}

int32_t TOrvoCustomListBox::OverTrack(TPoint point) const {
  const TRect up = UpArrowRect(), down = DownArrowRect();
  const int32_t thumb = ThumbTop();
  if (point.x < up.left || point.x >= up.right) return 0;
  if (point.y >= up.bottom && point.y < thumb) return -1;
  if (point.y >= int64_t{thumb} + ScrollCellHeight() && point.y < down.top) return 1;
  return 0;
}

// ---- hover and selection

void TOrvoCustomListBox::PostItemEvent(const std::string& handler, int32_t code, int32_t item) {
  if (handler.empty() || HasEventQueued(code)) return;
  Stage().Events().PostEvent(Handle(), handler, {ItemText(item), std::to_string(item)}, code);
}

void TOrvoCustomListBox::SetHover(int32_t index) {
  if (index == hover_) return;
  const int32_t old = hover_;
  if (index < 0) PostItemEvent(on_map_out_, ecMapOut, old);
  hover_ = index;
  InvalidateRow(old);
  InvalidateRow(index);
  if (index >= 0) PostItemEvent(on_map_in_, ecMapIn, index);
}

void TOrvoCustomListBox::SetLastSelection(const std::string& text, int32_t index) {
  if (TExprEngine* engine = Stage().Engine()) {
    engine->Store().SetSelectedString(text);
    engine->Store().SetSelectedIndex(index);
  }
}

void TOrvoCustomListBox::Select() {
  index_ = hover_;
  SetLastSelection(ItemText(hover_), hover_);
  PostItemEvent(on_select_, ecSelect, hover_);
}

// ---- repaint

void TOrvoCustomListBox::InvalidatePart(TRect part) {
  if (!Visible()) return;
  TOrvoBase* base = OwnerBase();
  if (!base) return;
  part = IntersectRect(part, ObjectRect());
  if (part.IsEmpty()) return;
  if (Parent() && !Parent()->ClipToOwnRect(part)) return;
  if (HasClip()) {
    part = IntersectRect(part, ClipRectOnScreen());
    if (part.IsEmpty()) return;
  }
  InvalidateRect(part);
  base->AddDirty(part);
}

void TOrvoCustomListBox::InvalidateRow(int32_t item) {
  const int32_t row = item - top_index_;
  if (item < 0 || row < 0 || row >= row_count_) return;
  const TRect inner = Inner();
  const int64_t step = int64_t{RowHeight()} + line_space_;
  const int64_t y = int64_t{inner.top} + BorderTop() + margin_y_ + row * step;
  const int64_t e = std::min<int64_t>(line_space_ / 2, margin_y_);
  InvalidatePart(XYWH(inner.left, y - e, inner.right - int64_t{inner.left}, RowHeight() + 2 * e));
}

// ---- update

bool TOrvoCustomListBox::StepBorders() {
  if (AniPaused()) return false;
  bool changed = false;
  for (auto& border : borders_) changed |= border->StepFrames(Stage().FrameDelta());
  return changed;
}

bool TOrvoCustomListBox::Update() {
  const bool finished = TOrvoControl::Update();
  if (StepBorders()) Invalidate();
  if (needs_layout_ && animation_stage_ == 0) Relayout();
  return finished;
}

// ---- mouse

TPoint TOrvoCustomListBox::MousePoint() const {
  const TOrvoBase* base = OwnerBase();
  return base ? TPoint{base->Mouse().x, base->Mouse().y} : TPoint{};
}

void TOrvoCustomListBox::LButtonDown() {
  if (paused_) {
    TOrvoControl::LButtonDown();
    return;
  }
  TOrvoBase* base = OwnerBase();
  if (!base) return;
  base->Mouse().left_click_now = false;
  base->Mouse().capture |= kCaptureLeft;
  const TPoint point = MousePoint();
  drag_mode_ = ldItem;
  if (ScrollPartsActive()) {
    if (OverThumb(point)) {
      drag_mode_ = ldThumb;
      grab_offset_ = Clamp32(int64_t{point.y} - ThumbTop() - ScrollCellHeight() / 2);
    } else if (const int32_t arrow = OverArrow(point)) {
      drag_mode_ = arrow < 0 ? ldArrowUp : ldArrowDown;
    } else if (const int32_t track = OverTrack(point)) {
      drag_mode_ = track < 0 ? ldPageUp : ldPageDown;
    }
  }
  if (drag_mode_ >= ldArrowUp && drag_mode_ <= ldPageDown) {
    repeat_clock_ = Stage().GameClock();
    repeat_countdown_ = 0;
    MouseHold();
    repeat_countdown_ = kKeyRepeatDelay;
  }
}

void TOrvoCustomListBox::StepPart() {
  const int32_t rows = std::max(row_count_, 0);
  switch (drag_mode_) {
    case ldArrowUp:
      SetTopIndex(top_index_ - 1);
      break;
    case ldArrowDown:
      SetTopIndex(top_index_ + 1);
      break;
    case ldPageUp:
      SetTopIndex(top_index_ - rows);
      break;
    case ldPageDown:
      SetTopIndex(top_index_ + rows);
      break;
    default:
      break;
  }
}

void TOrvoCustomListBox::MouseHold() {
  if (drag_mode_ < ldArrowUp || drag_mode_ > ldPageDown) return;
  const TPoint point = MousePoint();
  const bool arrows = drag_mode_ <= ldArrowDown;
  const bool lit = arrows ? OverArrow(point) == (drag_mode_ == ldArrowUp ? -1 : 1)
                          : OverTrack(point) == (drag_mode_ == ldPageUp ? -1 : 1);
  bool& flag = arrows ? arrow_lit_ : page_lit_;
  if (flag != lit) {
    flag = lit;
    Invalidate();
  }
  const int32_t now = Stage().GameClock();
  repeat_countdown_ = WrapSub(repeat_countdown_, WrapSub(now, repeat_clock_));
  repeat_clock_ = now;
  if (repeat_countdown_ > 0) return;
  repeat_countdown_ = WrapAdd(repeat_countdown_, kKeyRepeatInterval);
  if (lit) StepPart();
}

void TOrvoCustomListBox::MouseMove() {
  if (drag_mode_ == ldThumb) {
    SetTopIndex(IndexAtThumb(Clamp32(int64_t{MousePoint().y} - grab_offset_)));
  } else if ((drag_mode_ == ldItem || drag_mode_ == ldNone) && !paused_) {
    SetHover(ItemAt(MousePoint()));
  }
  TOrvoControl::MouseMove();
}

void TOrvoCustomListBox::MouseLeave(TOrvoControl* new_hover) {
  if (!paused_ && IgnoreMouse() != IM_ALL) SetHover(-1);
  TOrvoControl::MouseLeave(new_hover);
}

void TOrvoCustomListBox::LButtonUp() {
  if (!EventsBlocked() && drag_mode_ == ldItem && hover_ >= 0) Select();
  drag_mode_ = ldNone;
  arrow_lit_ = page_lit_ = false;
  Invalidate();
}

// ---- keys

void TOrvoCustomListBox::MoveHover(const std::vector<int32_t>& keys) {
  (void)keys;
  const int32_t count = ItemCount();
  // An empty list has nothing to move to.
  if (count == 0) return;
  const int32_t last = count - 1;
  const int32_t rows = std::max(row_count_, 0);
  const TOrvoBaseList& stage = Stage();
  int32_t hover = hover_;
  if (stage.IsKeyRepeated(kKeyUp)) {
    hover = hover_ < 0 ? last : std::max(hover_ - 1, 0);
  } else if (stage.IsKeyRepeated(kKeyDown)) {
    hover = hover_ < 0 ? 0 : std::min(hover_ + 1, last);
  } else if (stage.IsKeyRepeated(kKeyPageUp)) {
    hover = hover_ < 0 ? last : std::max(0, hover_ - rows);
  } else if (stage.IsKeyRepeated(kKeyPageDown)) {
    hover = hover_ < 0 ? 0 : std::min(last, hover_ + rows);
  }
  if (hover == hover_) return;
  SetHover(hover);
  if (hover < top_index_) {
    SetTopIndex(hover);
  } else if (hover >= top_index_ + rows) {
    SetTopIndex(hover - rows + 1);
  }
}

void TOrvoCustomListBox::KeyRepeat(const std::vector<int32_t>& keys) {
  MoveHover(keys);
  TOrvoControl::KeyRepeat(keys);
}

// ---- painting

void TOrvoCustomListBox::FillArea(TCustomDIBX& surface, const TRect& r, int32_t colour) const {
  if (r.IsEmpty()) return;
  const uint32_t pixel = static_cast<uint32_t>(surface.ColorToPixel(colour));
  if (alpha_ < 255) {
    surface.FillRectBlend(r, pixel, alpha_);
  } else if (alpha_ == 255) {
    surface.FillRect(r, pixel);
  } else {
    const int32_t strength = std::min(alpha_ - 256, 256);
    const int32_t scaled = (((colour & 0xFF) * strength / 256) & 0xFF) |
                           ((((colour >> 8) & 0xFF) * strength / 256) << 8) |
                           ((((colour >> 16) & 0xFF) * strength / 256) << 16);
    surface.FillRectAdd(r, static_cast<uint32_t>(surface.ColorToPixel(scaled)));
  }
}

void TOrvoCustomListBox::PaintBorders(TCustomDIBX& surface, const TRect& inner) {
  const int64_t L = BorderLeft(), R = BorderRight(), T = BorderTop(), B = BorderBottom();
  if (inner.Height() < T) return;
  for (size_t i = 0; i < 9; ++i) {
    TOrvoImageList& list = *borders_[i];
    if (!list.Valid(list.Current())) continue;
    const int64_t w = list.Width(), h = list.Height();
    const size_t column = i % 3, row = i / 3;
    int64_t left, right, top, bottom;
    if (column == 0) {
      left = inner.left + L - w;
      right = inner.left + L;
    } else if (column == 1) {
      left = inner.left + L;
      right = inner.right - R;
    } else {
      left = inner.right - R;
      right = inner.right - R + w;
    }
    if (row == 0) {
      top = inner.top + T - h;
      bottom = inner.top + T;
    } else if (row == 1) {
      top = inner.top + T;
      bottom = inner.bottom - B;
    } else {
      top = inner.bottom - B;
      bottom = inner.bottom - B + h;
    }
    if (i == 4 && Scrolls() && animation_stage_ == 0) right -= ScrollCellWidth();
    top = std::max<int64_t>(top, inner.top);
    bottom = std::min<int64_t>(bottom, inner.bottom);
    const TRect piece{Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom)};
    if (piece.IsEmpty()) continue;
    const int32_t dx = column == 1 ? AlignShift(halign_[i], piece.Width(), w) : 0;
    const int32_t dy = row == 1 ? AlignShift(valign_[i], piece.Height(), h) : 0;
    const TPictureView view = list.At(list.Current()).View();
    if (view.Empty()) continue;
    const int32_t ox = Clamp32(int64_t{piece.left} + dx), oy = Clamp32(int64_t{piece.top} + dy);
    if (view.mask) {
      surface.ScaledPatternFillMask(piece, *view.surface, 1, 1, ox, oy, *view.mask, TDrawFlags::None, alpha_);
    } else if (alpha_ == 255 && view.key_color < 0) {
      surface.PatternFill(piece, *view.surface, ox, oy, TDrawFlags::None);
    } else {
      surface.ScaledPatternFill(piece, *view.surface, 1, 1, ox, oy, KeyFlags(view), alpha_);
    }
  }
}

void TOrvoCustomListBox::PaintScrollBar(TCustomDIBX& surface, const TRect& inner) {
  (void)inner;
  if (!ScrollPartsActive() || !scroll_->Valid(0)) return;
  const TPictureView view = scroll_->At(0).View();
  if (view.Empty()) return;
  const int64_t cw = ScrollCellWidth(), ch = ScrollCellHeight();
  const int64_t x = ScrollBarX();
  const TRect up = UpArrowRect(), down = DownArrowRect();
  const int64_t t = ThumbTop();
  struct TPart {
    TRect rect;
    int32_t cell;
  };
  const TPart parts[5] = {
      {up, drag_mode_ == ldArrowUp && arrow_lit_ ? 1 : 0},
      {down, drag_mode_ == ldArrowDown && arrow_lit_ ? 3 : 2},
      {XYWH(x, up.bottom, cw, t - up.bottom), drag_mode_ == ldPageUp && page_lit_ ? 5 : 4},
      {XYWH(x, t + ch, cw, down.top - t - ch), drag_mode_ == ldPageDown && page_lit_ ? 5 : 4},
      {XYWH(x, t, cw, ch), 6},
  };
  for (const TPart& part : parts) {
    if (part.rect.IsEmpty()) continue;
    const TRect cell = XYWH(part.cell * cw, 0, cw, ch);
    if (view.mask) {
      if (alpha_ == 255) {
        surface.TileDrawMask(part.rect, 0, 0, *view.surface, cell, *view.mask, part.rect.left, part.rect.top);
      } else if (alpha_ > 255) {
        surface.TileDrawMaskAdd(part.rect, 0, 0, *view.surface, cell, *view.mask, std::min(alpha_ - 256, 255),
                                part.rect.left, part.rect.top);
      } else {
        surface.TileDrawMaskBlend(part.rect, 0, 0, *view.surface, cell, *view.mask, alpha_, part.rect.left,
                                  part.rect.top);
      }
    } else if (alpha_ == 255) {
      surface.TileDraw(part.rect, 0, 0, *view.surface, cell, KeyFlags(view), part.rect.left, part.rect.top);
    } else if (alpha_ > 255) {
      surface.TileDrawAdd(part.rect, 0, 0, *view.surface, cell, KeyFlags(view), std::min(alpha_ - 256, 255),
                          part.rect.left, part.rect.top);
    } else {
      surface.TileDrawBlend(part.rect, 0, 0, *view.surface, cell, KeyFlags(view), alpha_, part.rect.left,
                            part.rect.top);
    }
  }
}

void TOrvoCustomListBox::PaintItems(TCustomDIBX& surface, const TRect& inner) {
  const int64_t L = BorderLeft(), R = BorderRight(), T = BorderTop();
  const int64_t check_w = CheckCellWidth(), check_h = CheckCellHeight();
  const int64_t x0 = inner.left + L + margin_x_ + check_w;
  int64_t y = inner.top + T + margin_y_;
  const int64_t w = inner.right - R - margin_x_ - x0 - (Scrolls() ? ScrollCellWidth() : 0);
  const int64_t h = RowHeight();
  const bool checks = check_->Valid(0);
  const TPictureView check_view = checks ? check_->At(0).View() : TPictureView{};
  for (int32_t k = 0; k < row_count_; ++k) {
    const int32_t a = top_index_ + k;
    if (a >= ItemCount()) break;
    const bool hovered = a == hover_;
    if (hovered && HasHoverFill()) {
      const int64_t e = std::min<int64_t>(line_space_ / 2, margin_y_);
      FillArea(surface, XYWH(inner.left + L + 1, y - e, 2 * int64_t{margin_x_} + w + check_w - 2, h + 2 * e),
               static_cast<int32_t>(HoverFillColour()));
    }
    TKwLabelList& list = hovered ? hover_labels_ : items_;
    TKwLabelDIB& label = list.Label(a);
    int64_t x = x0;
    if (align_ == 1) x = x0 + (w - label.Width()) / 2;
    if (align_ == 2) x = x0 + w - label.Width();
    list.DrawLabel(label, Clamp32(x), Clamp32(y));
    if (GetCheck(a) && !check_view.Empty()) {
      const TRect cell = XYWH(hovered ? check_w : 0, 0, check_w, check_h);
      const int32_t cx = Clamp32(x0 - check_w), cy = Clamp32(y + (h - check_h) / 2);
      TDIBX& source = *check_view.surface;
      if (check_view.mask) {
        if (alpha_ == 255) {
          surface.DrawMask(cx, cy, source, cell, TDrawFlags::None, *check_view.mask);
        } else if (alpha_ > 255) {
          surface.DrawMaskAdd(cx, cy, source, cell, TDrawFlags::None, *check_view.mask, std::min(alpha_ - 256, 255));
        } else {
          surface.DrawMaskBlend(cx, cy, source, cell, TDrawFlags::None, *check_view.mask, alpha_);
        }
      } else if (alpha_ == 255) {
        surface.Draw(cx, cy, source, cell, KeyFlags(check_view));
      } else if (alpha_ > 255) {
        surface.DrawAdd(cx, cy, source, cell, KeyFlags(check_view), std::min(alpha_ - 256, 255));
      } else {
        surface.DrawBlend(cx, cy, source, cell, KeyFlags(check_view), alpha_);
      }
    }
    y += h + line_space_;
  }
}

void TOrvoCustomListBox::Paint(TCustomDIBX& surface) {
  const TRect r = ObjectRect();
  if (IntersectRect(r, surface.GetClipRect()).IsEmpty()) return;
  if (alpha_ <= 0 || Width() <= 0 || Height() <= 0) {
    PaintChildren(surface);
    return;
  }
  items_.SetTarget(&surface);
  hover_labels_.SetTarget(&surface);
  items_.SetGlyphs(Stage().Glyphs());
  hover_labels_.SetGlyphs(Stage().Glyphs());
  if (r.IsEmpty()) return;
  const TRect inner = Inner();
  if (border_width_ > 0 && border_colour_ != -1 && r.Height() >= border_width_) {
    const uint32_t pixel = static_cast<uint32_t>(surface.ColorToPixel(border_colour_));
    if (alpha_ < 255) {
      surface.FrameRectBlend(r, border_width_, pixel, alpha_);
    } else if (alpha_ == 255) {
      surface.FrameRect(r, border_width_, pixel);
    } else {
      const int32_t strength = std::min(alpha_ - 256, 256);
      const int32_t c = border_colour_;
      const int32_t scaled = (((c & 0xFF) * strength / 256) & 0xFF) | ((((c >> 8) & 0xFF) * strength / 256) << 8) |
                             ((((c >> 16) & 0xFF) * strength / 256) << 16);
      surface.FrameRectAdd(r, border_width_, static_cast<uint32_t>(surface.ColorToPixel(scaled)));
    }
  }
  if (inner.IsEmpty()) return;
  if (Color() != -1) FillArea(surface, inner, Color());
  PaintBorders(surface, inner);
  if (animation_stage_ == 0) {
    PaintScrollBar(surface, inner);
    PaintItems(surface, inner);
  }
  PaintChildren(surface);
}

void TOrvoCustomListBox::ReleaseSurfaces() {
  items_.ReleaseLabels();
  hover_labels_.ReleaseLabels();
}

void TOrvoCustomListBox::RestoreSurfaces() {
  items_.MarkAll();
  hover_labels_.MarkAll();
}

// ---- properties

TPropValue TOrvoCustomListBox::GetProperty(int32_t id) const {
  if (id >= PR_BORDERSOURCETL && id <= PR_BORDERSOURCEBR) {
    return TPropValue::Str(border_sources_[static_cast<size_t>(id - kBorderFirst)]);
  }
  switch (id) {
    case PR_TEXT:
      return TPropValue::Str(text_);
    case PR_COUNT:
      return TPropValue::Int(ItemCount());
    case PR_LINESPACE:
      return TPropValue::Int(line_space_);
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_MARGINX:
      return TPropValue::Int(margin_x_);
    case PR_MARGINY:
      return TPropValue::Int(margin_y_);
    case PR_BORDERWIDTH:
      return TPropValue::Int(border_width_);
    case PR_BORDERCOLOR:
      return TPropValue::Int(border_colour_);
    case PR_ROWCOUNT:
      return TPropValue::Int(row_count_);
    case PR_BORDERHALIGNT:
      return TPropValue::Int(halign_[1]);
    case PR_BORDERHALIGNC:
      return TPropValue::Int(halign_[4]);
    case PR_BORDERHALIGNB:
      return TPropValue::Int(halign_[7]);
    case PR_BORDERVALIGNL:
      return TPropValue::Int(valign_[3]);
    case PR_BORDERVALIGNC:
      return TPropValue::Int(valign_[4]);
    case PR_BORDERVALIGNR:
      return TPropValue::Int(valign_[5]);
    case PR_SCROLLSOURCE:
      return TPropValue::Str(scroll_source_);
    case PR_CHECKSOURCE:
      return TPropValue::Str(check_source_);
    case PR_TOPINDEX:
      return TPropValue::Int(top_index_);
    case PR_HALIGN:
      return TPropValue::Int(align_);
    case PR_ONSELECT:
      return TPropValue::Str(on_select_);
    case PR_ONMAPIN:
      return TPropValue::Str(on_map_in_);
    case PR_ONMAPOUT:
      return TPropValue::Str(on_map_out_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_INDEX:
      return TPropValue::Int(index_);
    case PR_FONTNAME:
      return TPropValue::Str(items_.face);
    case PR_FONTHEIGHT:
      return TPropValue::Int(items_.font_size);
    case PR_FONTSTYLE:
      return TPropValue::Int(FontStyleToInt(items_.style));
    case PR_FONTCOLOR:
      return TPropValue::Int(items_.colour);
    case PR_FONTBORDER:
      return TPropValue::Int(items_.outline);
    case PR_FONTSHADOW:
      return TPropValue::Int(items_.shadow);
    case PR_FONTBORDERCOLOR:
      return TPropValue::Int(items_.outline_colour);
    case PR_FONTSHADOWCOLOR:
      return TPropValue::Int(items_.shadow_colour);
    case PR_FONTHOVERBORDER:
      return TPropValue::Int(hover_labels_.outline);
    case PR_FONTHOVERSHADOW:
      return TPropValue::Int(hover_labels_.shadow);
    case PR_FONTHOVERBORDERCOLOR:
      return TPropValue::Int(hover_labels_.outline_colour);
    case PR_FONTHOVERSHADOWCOLOR:
      return TPropValue::Int(hover_labels_.shadow_colour);
    case PR_ANTIALIAS:
      return TPropValue::Bool(items_.smoothing != 0);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoCustomListBox::SetProperty(int32_t id, const TPropValue& value) {
  if (id >= PR_BORDERSOURCETL && id <= PR_BORDERSOURCEBR) {
    SetBorderSource(static_cast<size_t>(id - kBorderFirst), value.AsStr());
    return;
  }
  auto geometry = [this](int32_t& field, int32_t v) {
    if (field == v) return;
    Invalidate();
    field = v;
    needs_layout_ = true;
  };
  auto piece_align = [this](uint8_t& field, int32_t v) {
    field = static_cast<uint8_t>(v);
    Invalidate();
  };
  auto font = [this](int32_t& field, int32_t v) {
    field = v;
    FontChanged();
  };
  switch (id) {
    case PR_TEXT:
      SetItems(value.AsStr());
      break;
    case PR_COUNT:
      break;
    case PR_LINESPACE:
      geometry(line_space_, value.AsInt());
      break;
    case PR_ALPHA:
      alpha_ = value.AsInt();
      items_.opacity = hover_labels_.opacity = alpha_;
      Invalidate();
      break;
    case PR_MARGINX:
      geometry(margin_x_, value.AsInt());
      break;
    case PR_MARGINY:
      geometry(margin_y_, value.AsInt());
      break;
    case PR_BORDERWIDTH:
      geometry(border_width_, value.AsInt());
      break;
    case PR_BORDERCOLOR:
      border_colour_ = value.AsInt();
      Invalidate();
      break;
    case PR_ROWCOUNT:
      geometry(row_count_, value.AsInt());
      break;
    case PR_BORDERHALIGNT:
      piece_align(halign_[1], value.AsInt());
      break;
    case PR_BORDERHALIGNC:
      piece_align(halign_[4], value.AsInt());
      break;
    case PR_BORDERHALIGNB:
      piece_align(halign_[7], value.AsInt());
      break;
    case PR_BORDERVALIGNL:
      piece_align(valign_[3], value.AsInt());
      break;
    case PR_BORDERVALIGNC:
      piece_align(valign_[4], value.AsInt());
      break;
    case PR_BORDERVALIGNR:
      piece_align(valign_[5], value.AsInt());
      break;
    case PR_SCROLLSOURCE:
      SetPicture(scroll_source_, *scroll_, value.AsStr());
      break;
    case PR_CHECKSOURCE:
      SetPicture(check_source_, *check_, value.AsStr());
      break;
    case PR_TOPINDEX:
      SetTopIndex(value.AsInt());
      break;
    case PR_HALIGN:
      align_ = static_cast<uint8_t>(value.AsInt());
      Invalidate();
      break;
    case PR_ONSELECT:
      on_select_ = value.AsStr();
      break;
    case PR_ONMAPIN:
      on_map_in_ = value.AsStr();
      break;
    case PR_ONMAPOUT:
      on_map_out_ = value.AsStr();
      break;
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    case PR_INDEX:
      index_ = value.AsInt();
      break;
    case PR_FONTNAME:
      items_.face = hover_labels_.face = value.AsStr();
      FontChanged();
      break;
    case PR_FONTHEIGHT:
      items_.font_size = hover_labels_.font_size = value.AsInt();
      FontChanged();
      break;
    case PR_FONTSTYLE:
      items_.style = IntToFontStyle(value.AsInt());
      FontChanged();
      break;
    case PR_FONTCOLOR:
      font(items_.colour, value.AsInt());
      break;
    case PR_FONTBORDER:
      font(items_.outline, value.AsInt());
      break;
    case PR_FONTSHADOW:
      font(items_.shadow, value.AsInt());
      break;
    case PR_FONTBORDERCOLOR:
      font(items_.outline_colour, value.AsInt());
      break;
    case PR_FONTSHADOWCOLOR:
      font(items_.shadow_colour, value.AsInt());
      break;
    case PR_FONTHOVERBORDER:
      font(hover_labels_.outline, value.AsInt());
      break;
    case PR_FONTHOVERSHADOW:
      font(hover_labels_.shadow, value.AsInt());
      break;
    case PR_FONTHOVERBORDERCOLOR:
      font(hover_labels_.outline_colour, value.AsInt());
      break;
    case PR_FONTHOVERSHADOWCOLOR:
      font(hover_labels_.shadow_colour, value.AsInt());
      break;
    case PR_ANTIALIAS:
      items_.smoothing = hover_labels_.smoothing = value.AsBool() ? 3 : 0;
      FontChanged();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

// ---- saves

void TOrvoCustomListBox::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  items_.WriteLabels(writer);
  hover_labels_.WriteLabels(writer);
  writer.WriteString(text_);
  for (int32_t field : {line_space_, alpha_, margin_x_, margin_y_, border_width_, border_colour_, row_count_}) {
    writer.WriteInt32(field);
  }
  for (size_t i = 0; i < 9; ++i) {
    writer.WriteString(border_sources_[i]);
    writer.WriteByte(halign_[i]);
    writer.WriteByte(valign_[i]);
  }
  writer.WriteString(scroll_source_);
  writer.WriteString(check_source_);
  writer.WriteInt32(top_index_);
  writer.WriteByte(align_);
  for (uint8_t check : checks_) writer.WriteByte(check);
  writer.WriteString(on_select_);
  writer.WriteBool(paused_);
  writer.WriteInt32(index_);
  writer.WriteInt32(animation_stage_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteString(on_map_in_);
  writer.WriteString(on_map_out_);
}

void TOrvoCustomListBox::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  items_.ReadLabels(reader, version);
  hover_labels_.ReadLabels(reader, version);
  SetItems(reader.ReadString());
  for (int32_t* field : {&line_space_, &alpha_, &margin_x_, &margin_y_, &border_width_, &border_colour_, &row_count_}) {
    *field = reader.ReadInt32();
  }
  for (size_t i = 0; i < 9; ++i) {
    const std::string source = reader.ReadString();
    halign_[i] = reader.ReadByte();
    valign_[i] = reader.ReadByte();
    SetBorderSource(i, source);
  }
  const std::string scroll = reader.ReadString();
  const std::string check = reader.ReadString();
  SetPicture(scroll_source_, *scroll_, scroll);
  SetPicture(check_source_, *check_, check);
  top_index_ = reader.ReadInt32();
  if (version < 104) reader.Skip(1);
  align_ = reader.ReadByte();
  // One byte per item: the count comes from the text, so the reader's bound holds it.
  reader.Require(static_cast<int64_t>(checks_.size()));
  for (uint8_t& check : checks_) check = reader.ReadByte() != 0;
  on_select_ = reader.ReadString();
  paused_ = reader.ReadBool();
  index_ = reader.ReadInt32();
  animation_stage_ = reader.ReadInt32();
  if (version > 130) SetHandler(THandler::Idle, reader.ReadString());
  if (version > 133) {
    on_map_in_ = reader.ReadString();
    on_map_out_ = reader.ReadString();
  }
  items_.opacity = hover_labels_.opacity = alpha_;
  needs_layout_ = true;
}

}  // namespace orvo
