#pragma once
// The editing every text field shares, window or not: caret and selection
// over CP932 text, the editing keys, the clipboard and committed text. A
// window's fields derive from it and add drawing; the group derives to be
// told when the focus moves and when a field must be drawn again.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/text_field.h"

namespace orvo {

class TTextField;

class TTextFieldGroup : public ITextFields {
 public:
  TTextFieldGroup() = default;
  ~TTextFieldGroup() override;
  TTextFieldGroup(const TTextFieldGroup&) = delete;
  TTextFieldGroup& operator=(const TTextFieldGroup&) = delete;

  std::unique_ptr<ITextField> CreateField(TTextFieldKind kind) override;
  ITextField* FocusedField() const override;
  void ClearFocus() override { MoveFocus(nullptr); }
  ITextField* FieldAt(int32_t x, int32_t y) const override;
  TTextField* Focused() const { return focused_; }
  const std::vector<TTextField*>& Fields() const { return fields_; }

  // The clipboard as UTF-8 (the headless group keeps its own).
  virtual std::string ClipboardText() const { return clipboard_; }
  virtual void SetClipboardText(const std::string& utf8) { clipboard_ = utf8; }

  // Called by the fields.
  void Register(TTextField& field);
  void Unregister(TTextField& field);
  void MoveFocus(TTextField* field);
  // A field's look changed (text, caret, placement, visibility).
  virtual void FieldChanged(TTextField& field) { (void)field; }

 protected:
  // The window focus went from old to now (either may be null).
  virtual void FocusMoved(TTextField* old, TTextField* now) {
    (void)old;
    (void)now;
  }

 private:
  std::vector<TTextField*> fields_;
  TTextField* focused_ = nullptr;
  std::string clipboard_;
};

class TTextField : public ITextField {
 public:
  TTextField(TTextFieldGroup& group, TTextFieldKind kind);
  ~TTextField() override;

  TTextFieldKind Kind() const { return kind_; }
  bool MultiLine() const { return kind_ == TTextFieldKind::MultiLine; }

  void SetCallbacks(TTextFieldCallbacks callbacks) override { callbacks_ = std::move(callbacks); }
  void SetBounds(const TRect& bounds) override;
  TRect Bounds() const override { return bounds_; }
  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }
  void SetText(std::string_view cp932) override;
  const std::string& Text() const override { return text_; }
  void SelectAll() override;
  size_t SelectionStart() const override { return std::min(caret_, anchor_); }
  size_t SelectionEnd() const override { return std::max(caret_, anchor_); }
  size_t Caret() const override { return caret_; }
  void SetFont(const TTextFieldFont& font) override;
  const TTextFieldFont& Font() const override { return font_; }
  void SetBackground(int32_t colour) override;
  int32_t Background() const override { return background_; }
  void SetReadOnly(bool read_only) override { read_only_ = read_only; }
  bool ReadOnly() const override { return read_only_; }
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetAlignment(int32_t alignment) override;
  int32_t Alignment() const override { return alignment_; }
  void SetImeMode(int32_t mode) override;
  int32_t ImeMode() const override { return ime_mode_; }
  bool ImeOpened() const override { return ime_opened_ && ime_mode_ != imDisable; }
  void SetImeOpened(bool opened) override;
  void TakeFocus() override;
  bool Focused() const override;
  void KeyDown(int32_t virtual_key) override;
  void KeyUp(int32_t virtual_key) override;
  void CommitText(std::string_view utf8) override;
  void SetPreedit(std::string_view utf8, int32_t cursor) override;
  const std::string& Preedit() const override { return preedit_; }
  int32_t PreeditCursor() const { return preedit_cursor_; }
  // The first line shown (memo) and the first column shown (edit) in pixels, kept by the window.
  int32_t ScrollLine() const { return scroll_line_; }
  void SetScrollLine(int32_t line) { scroll_line_ = line; }

  // The focus moved away (the group tells the old holder).
  void LoseFocus();

 private:
  // The text of the characters the field keeps from typed or pasted UTF-8.
  std::string Filter(std::string_view utf8) const;
  void Insert(const std::string& cp932);
  void DeleteSelection();
  // Byte offset of the character before / after offset (CR LF counts as one).
  size_t PreviousBoundary(size_t offset) const;
  size_t NextBoundary(size_t offset) const;
  size_t LineStart(size_t offset) const;
  size_t LineEnd(size_t offset) const;
  // The offset in the line above (-1) or below (+1) at the same character column.
  size_t VerticalMove(size_t offset, int direction);
  void MoveCaret(size_t offset, bool extend);
  void Changed();

  TTextFieldGroup& group_;
  TTextFieldKind kind_;
  TTextFieldCallbacks callbacks_;
  TRect bounds_;
  bool visible_ = false;
  std::string text_;
  size_t caret_ = 0;
  size_t anchor_ = 0;
  TTextFieldFont font_;
  int32_t background_ = 0xFFFFFF;
  bool read_only_ = false;
  bool enabled_ = true;
  int32_t alignment_ = 0;
  int32_t ime_mode_ = imDontCare;
  bool ime_opened_ = false;
  bool shift_ = false;
  bool control_ = false;
  std::string preedit_;
  int32_t preedit_cursor_ = 0;
  int32_t scroll_line_ = 0;
  // The character column that up and down keep while they pass shorter lines.
  size_t goal_column_ = std::string::npos;
};

// Each Unicode character of UTF-8 text, with its bytes; malformed bytes come out one by one as U+FFFD.
struct TUtf8Char {
  char32_t code;
  std::string_view bytes;
};
std::vector<TUtf8Char> SplitUtf8(std::string_view utf8);

}  // namespace orvo
