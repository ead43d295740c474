#include "platform/text_field_base.h"

#include "base/cp932.h"

namespace orvo {

namespace {

constexpr int32_t kKeyBack = 8, kKeyTab = 9, kKeyReturn = 13, kKeyShift = 16, kKeyControl = 17, kKeyEscape = 27;
constexpr int32_t kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;
constexpr int32_t kKeyDelete = 46, kKeyA = 65, kKeyC = 67, kKeyV = 86, kKeyX = 88;

}  // namespace

std::vector<TUtf8Char> SplitUtf8(std::string_view utf8) {
  std::vector<TUtf8Char> out;
  size_t i = 0;
  while (i < utf8.size()) {
    const uint8_t lead = static_cast<uint8_t>(utf8[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length != 0 && i + length <= utf8.size();
    for (size_t k = 1; valid && k < length; ++k) {
      const uint8_t next = static_cast<uint8_t>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) {
      out.push_back({0xFFFD, utf8.substr(i, 1)});
      ++i;
      continue;
    }
    out.push_back({code, utf8.substr(i, length)});
    i += length;
  }
  return out;
}

// ---- group

TTextFieldGroup::~TTextFieldGroup() {
  // Fields outliving their group forget it (they must not, but must not crash either).
  fields_.clear();
}

std::unique_ptr<ITextField> TTextFieldGroup::CreateField(TTextFieldKind kind) {
  return std::make_unique<TTextField>(*this, kind);
}

ITextField* TTextFieldGroup::FocusedField() const { return focused_; }

ITextField* TTextFieldGroup::FieldAt(int32_t x, int32_t y) const {
  // The later field lies over the earlier one.
  for (size_t i = fields_.size(); i-- > 0;) {
    if (fields_[i]->Visible() && fields_[i]->Bounds().Contains(x, y)) return fields_[i];
  }
  return nullptr;
}

void TTextFieldGroup::Register(TTextField& field) { fields_.push_back(&field); }

void TTextFieldGroup::Unregister(TTextField& field) {
  if (focused_ == &field) MoveFocus(nullptr);
  std::erase(fields_, &field);
}

void TTextFieldGroup::MoveFocus(TTextField* field) {
  if (field == focused_) return;
  TTextField* old = focused_;
  focused_ = field;
  if (old) old->LoseFocus();
  FocusMoved(old, field);
}

// ---- field

TTextField::TTextField(TTextFieldGroup& group, TTextFieldKind kind) : group_(group), kind_(kind) {
  group_.Register(*this);
}

TTextField::~TTextField() { group_.Unregister(*this); }

void TTextField::Changed() { group_.FieldChanged(*this); }

void TTextField::SetBounds(const TRect& bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  Changed();
}

void TTextField::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  // A hidden field cannot type: the focus leaves it.
  if (!visible && Focused()) group_.MoveFocus(nullptr);
  Changed();
}

void TTextField::SetText(std::string_view cp932) {
  text_ = std::string(cp932);
  caret_ = anchor_ = text_.size();
  scroll_line_ = 0;
  Changed();
}

void TTextField::SelectAll() {
  anchor_ = 0;
  caret_ = text_.size();
  Changed();
}

void TTextField::SetFont(const TTextFieldFont& font) {
  font_ = font;
  Changed();
}

void TTextField::SetBackground(int32_t colour) {
  background_ = colour;
  Changed();
}

void TTextField::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (!enabled && Focused()) group_.MoveFocus(nullptr);
  Changed();
}

void TTextField::SetAlignment(int32_t alignment) {
  alignment_ = alignment;
  Changed();
}

void TTextField::SetImeMode(int32_t mode) {
  ime_mode_ = mode;
  if (mode == imDisable || mode == imClose) ime_opened_ = false;
  if (mode == imOpen) ime_opened_ = true;
  Changed();
}

void TTextField::SetImeOpened(bool opened) {
  if (ime_mode_ == imDisable) return;
  ime_opened_ = opened;
}

bool TTextField::Focused() const { return group_.Focused() == this; }

void TTextField::TakeFocus() {
  if (!visible_ || !enabled_ || Focused()) return;
  group_.MoveFocus(this);
  Changed();
  if (callbacks_.focus_gained) callbacks_.focus_gained();
}

void TTextField::LoseFocus() {
  shift_ = control_ = false;
  preedit_.clear();
  Changed();
}

// ---- editing

size_t TTextField::PreviousBoundary(size_t offset) const {
  if (offset == 0) return 0;
  if (offset >= 2 && text_[offset - 2] == '\r' && text_[offset - 1] == '\n') return offset - 2;
  size_t start = 0, i = 0;
  while (i < offset) {
    start = i;
    i += CharLength(text_, i);
  }
  return start;
}

size_t TTextField::NextBoundary(size_t offset) const {
  if (offset >= text_.size()) return text_.size();
  if (text_[offset] == '\r' && offset + 1 < text_.size() && text_[offset + 1] == '\n') return offset + 2;
  return std::min(text_.size(), offset + CharLength(text_, offset));
}

size_t TTextField::LineStart(size_t offset) const {
  if (!MultiLine()) return 0;
  size_t start = 0;
  for (size_t i = 0; i < offset; i += CharLength(text_, i)) {
    if (text_[i] == '\n') start = i + 1;
  }
  return start;
}

size_t TTextField::LineEnd(size_t offset) const {
  if (!MultiLine()) return text_.size();
  size_t i = LineStart(offset);
  while (i < text_.size() && text_[i] != '\r' && text_[i] != '\n') i += CharLength(text_, i);
  return i;
}

size_t TTextField::VerticalMove(size_t offset, int direction) {
  const size_t start = LineStart(offset);
  if (goal_column_ == std::string::npos) {
    goal_column_ = 0;
    for (size_t i = start; i < offset; i += CharLength(text_, i)) ++goal_column_;
  }
  size_t column = goal_column_;
  size_t target;
  if (direction < 0) {
    if (start == 0) return 0;
    target = LineStart(start - 1);
  } else {
    const size_t end = LineEnd(offset);
    if (end >= text_.size()) return text_.size();
    target = NextBoundary(end);
  }
  const size_t target_end = LineEnd(target);
  while (column > 0 && target < target_end) {
    target += CharLength(text_, target);
    --column;
  }
  return target;
}

void TTextField::MoveCaret(size_t offset, bool extend) {
  goal_column_ = std::string::npos;
  caret_ = offset;
  if (!extend) anchor_ = offset;
  Changed();
}

void TTextField::DeleteSelection() {
  const size_t start = SelectionStart(), end = SelectionEnd();
  text_.erase(start, end - start);
  caret_ = anchor_ = start;
}

void TTextField::Insert(const std::string& cp932) {
  goal_column_ = std::string::npos;
  DeleteSelection();
  text_.insert(caret_, cp932);
  caret_ += cp932.size();
  anchor_ = caret_;
  Changed();
}

std::string TTextField::Filter(std::string_view utf8) const {
  std::string out;
  bool after_cr = false;
  for (const TUtf8Char& ch : SplitUtf8(utf8)) {
    const bool was_cr = after_cr;
    after_cr = false;
    if (ch.code == '\r' || ch.code == '\n') {
      // A memo ends every line in CR LF, whatever the text brought; an edit has one line.
      if (MultiLine() && !(ch.code == '\n' && was_cr)) out += "\r\n";
      after_cr = ch.code == '\r';
      continue;
    }
    // Tab and Escape (and the other controls) never reach the text.
    if (ch.code < 0x20 || ch.code == 0x7F || ch.code == 0xFFFD) continue;
    std::string bytes;
    if (TryUtf8ToCp932(ch.bytes, bytes) && !bytes.empty()) out += bytes;
  }
  return out;
}

void TTextField::CommitText(std::string_view utf8) {
  preedit_.clear();
  if (read_only_ || !enabled_) {
    Changed();
    return;
  }
  const std::string kept = Filter(utf8);
  if (kept.empty() && SelectionStart() == SelectionEnd()) {
    Changed();
    return;
  }
  Insert(kept);
}

void TTextField::SetPreedit(std::string_view utf8, int32_t cursor) {
  preedit_ = std::string(utf8);
  preedit_cursor_ = cursor;
  Changed();
}

void TTextField::KeyUp(int32_t virtual_key) {
  if (virtual_key == kKeyShift) shift_ = false;
  if (virtual_key == kKeyControl) control_ = false;
}

void TTextField::KeyDown(int32_t virtual_key) {
  // The owner hears of the key while the text is still as it was.
  if (callbacks_.key_down) callbacks_.key_down(virtual_key);
  if (!enabled_) return;
  const bool editable = !read_only_;
  switch (virtual_key) {
    case kKeyShift:
      shift_ = true;
      return;
    case kKeyControl:
      control_ = true;
      return;
    case kKeyBack:
    case kKeyDelete:
      if (!editable) return;
      // Without a selection, the character before (after) the caret is the selection.
      if (SelectionStart() == SelectionEnd()) {
        anchor_ = virtual_key == kKeyBack ? PreviousBoundary(caret_) : NextBoundary(caret_);
      }
      DeleteSelection();
      Changed();
      return;
    case kKeyLeft:
    case kKeyRight: {
      const bool left = virtual_key == kKeyLeft;
      if (!shift_ && SelectionStart() != SelectionEnd()) {
        MoveCaret(left ? SelectionStart() : SelectionEnd(), false);
      } else {
        MoveCaret(left ? PreviousBoundary(caret_) : NextBoundary(caret_), shift_);
      }
      return;
    }
    case kKeyUp:
    case kKeyDown:
      if (MultiLine()) {
        // Passing a short line keeps the column the caret came from.
        const size_t goal = goal_column_;
        const size_t target = VerticalMove(caret_, virtual_key == kKeyUp ? -1 : 1);
        const size_t kept = goal_column_ != std::string::npos ? goal_column_ : goal;
        MoveCaret(target, shift_);
        goal_column_ = kept;
      }
      return;
    case kKeyHome:
      MoveCaret(control_ ? 0 : LineStart(caret_), shift_);
      return;
    case kKeyEnd:
      MoveCaret(control_ ? text_.size() : LineEnd(caret_), shift_);
      return;
    case kKeyReturn:
      // The edit drops Enter; the memo breaks the line.
      if (MultiLine() && editable) Insert("\r\n");
      return;
    case kKeyTab:
    case kKeyEscape:
      return;
    default:
      break;
  }
  if (!control_) return;
  const size_t start = SelectionStart(), end = SelectionEnd();
  switch (virtual_key) {
    case kKeyA:
      SelectAll();
      return;
    case kKeyC:
    case kKeyX:
      if (start == end) return;
      group_.SetClipboardText(Cp932ToUtf8(std::string_view(text_).substr(start, end - start)));
      if (virtual_key == kKeyX && editable) {
        DeleteSelection();
        Changed();
      }
      return;
    case kKeyV:
      if (editable) Insert(Filter(group_.ClipboardText()));
      return;
    default:
      return;
  }
}

std::unique_ptr<ITextFields> CreateHeadlessTextFields() { return std::make_unique<TTextFieldGroup>(); }

}  // namespace orvo
