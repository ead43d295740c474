#pragma once
// Text fields over the stage: the one-line edit and the multi-line memo that
// games use for name entry. The player owns the typing: caret, selection,
// editing keys, the clipboard and text committed by an input method (or by
// the input script's `text` events). Text crosses this interface as CP932
// bytes; typed and pasted UTF-8 is converted here, and a character without
// a CP932 form is dropped, never replaced.
//
// A window keeps its fields in one ITextFields: it creates them, knows which
// one holds the window focus and lends them a clipboard. The window's own
// implementation draws the fields over the stage and feeds them its keys and
// input-method text; the headless one only keeps their state.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/rect.h"

namespace orvo {

enum class TTextFieldKind : uint8_t { SingleLine, MultiLine };

// Input-method modes as games give them; 0 stops text input, the others
// beyond open (2) and closed (1) cannot be honoured by the desktop's input
// methods and act as "don't care".
enum TImeMode : int32_t { imDisable = 0, imClose = 1, imOpen = 2, imDontCare = 3 };

// Font style bits of a field: bold, italic, underline, strike-out.
constexpr uint8_t kFieldBold = 1, kFieldItalic = 2, kFieldUnderline = 4, kFieldStrikeOut = 8;

struct TTextFieldFont {
  std::string face;  // CP932
  int32_t charset = 1;
  int32_t height = 12;  // pixels, positive
  uint8_t style = 0;
  int32_t colour = 0;  // 0x00BBGGRR
};

// What a field tells its owner.
struct TTextFieldCallbacks {
  // A key went down while the field had the focus, before the key acts.
  std::function<void(int32_t virtual_key)> key_down;
  // The field gained the window focus.
  std::function<void()> focus_gained;
};

class ITextField {
 public:
  virtual ~ITextField() = default;
  virtual void SetCallbacks(TTextFieldCallbacks callbacks) = 0;

  // Placement in stage coordinates; the window scales it with the stage.
  virtual void SetBounds(const TRect& bounds) = 0;
  virtual TRect Bounds() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;

  // The whole text (CP932; a memo's lines end in CR LF). Setting it puts the caret at the end.
  virtual void SetText(std::string_view cp932) = 0;
  virtual const std::string& Text() const = 0;
  virtual void SelectAll() = 0;
  // The selection as byte offsets of the text: [start, end); the caret is one of its ends.
  virtual size_t SelectionStart() const = 0;
  virtual size_t SelectionEnd() const = 0;
  virtual size_t Caret() const = 0;

  virtual void SetFont(const TTextFieldFont& font) = 0;
  virtual const TTextFieldFont& Font() const = 0;
  // Negative: none (the stage shows through).
  virtual void SetBackground(int32_t colour) = 0;
  virtual int32_t Background() const = 0;
  virtual void SetReadOnly(bool read_only) = 0;
  virtual bool ReadOnly() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  // 0 left, 1 right, 2 centred.
  virtual void SetAlignment(int32_t alignment) = 0;
  virtual int32_t Alignment() const = 0;
  virtual void SetImeMode(int32_t mode) = 0;
  virtual int32_t ImeMode() const = 0;
  // Whether the input method is open for the field (false while it cannot be).
  virtual bool ImeOpened() const = 0;
  virtual void SetImeOpened(bool opened) = 0;

  // Takes the window focus when visible and enabled (focus_gained follows).
  virtual void TakeFocus() = 0;
  virtual bool Focused() const = 0;

  // Keys while focused: virtual-key codes, as the stage knows them.
  virtual void KeyDown(int32_t virtual_key) = 0;
  virtual void KeyUp(int32_t virtual_key) = 0;
  // Text committed as an input method commits a word (UTF-8): replaces the
  // selection and goes in at the caret, minus what the field drops.
  virtual void CommitText(std::string_view utf8) = 0;
  // The input method's word being composed (UTF-8), shown at the caret; "" ends it.
  virtual void SetPreedit(std::string_view utf8, int32_t cursor) = 0;
  virtual const std::string& Preedit() const = 0;
};

class ITextFields {
 public:
  virtual ~ITextFields() = default;
  // A new hidden field; the fields must go before this object does.
  virtual std::unique_ptr<ITextField> CreateField(TTextFieldKind kind) = 0;
  // The field that holds the window focus, or null.
  virtual ITextField* FocusedField() const = 0;
  // Takes the window focus from the fields (a click elsewhere on the stage).
  virtual void ClearFocus() = 0;
  // The topmost visible field at a stage point, or null.
  virtual ITextField* FieldAt(int32_t x, int32_t y) const = 0;
};

// Fields that keep their state without a window (the clipboard is their own).
std::unique_ptr<ITextFields> CreateHeadlessTextFields();

}  // namespace orvo
