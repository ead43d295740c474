#pragma once
// Edit fields: the one-line edit (kind 5) and the multi-line memo (kind 11).
// Each object owns a text field of the window (ITextField) laid over the
// stage at the object's rectangle and shown only while the object can
// really be seen (its centre is not covered). The stage keeps treating the
// object as a visual object with the keyboard focus; the text, the caret and
// the input method belong to the field.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/text_field.h"
#include "stage/functions/object_items.h"
#include "stage/orvo_control.h"

namespace orvo {

class TOrvoCustomEdit : public TOrvoControl {
 public:
  TOrvoCustomEdit(TOrvoBaseList& stage, TTextFieldKind kind);
  ~TOrvoCustomEdit() override;

  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  // Gives the field the window focus when it is visible and enabled.
  void FocusIn() override;
  void PositionChanged() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  ITextField& Field() { return *field_; }
  const ITextField& Field() const { return *field_; }
  bool IsMemo() const { return memo_; }
  // Bounds, visibility and focus of the field from the object's state.
  void Place();

 protected:
  void SizeChanged() override { Place(); }

 private:
  // Visible with a visible parent, on the active screen, and found by the hit test at its centre.
  bool CanBeSeen();
  void SetFontFace(const std::string& face);

  std::unique_ptr<ITextField> field_;
  bool memo_;
  std::string on_notify_;
};

class TOrvoEdit : public TOrvoCustomEdit, public IObjectItems {
 public:
  explicit TOrvoEdit(TOrvoBaseList& stage) : TOrvoCustomEdit(stage, TTextFieldKind::SingleLine) {}
  uint8_t CompoType() const override { return kcEdit; }
  bool ImeOpened() const override { return Field().ImeOpened(); }
  void SetImeOpened(bool opened) override { Field().SetImeOpened(opened); }
};

class TOrvoMemo : public TOrvoCustomEdit {
 public:
  explicit TOrvoMemo(TOrvoBaseList& stage) : TOrvoCustomEdit(stage, TTextFieldKind::MultiLine) {}
  uint8_t CompoType() const override { return kcMemo; }
};

// Registers kinds 5 and 11 on a stage.
void RegisterEditKinds(TOrvoBaseList& stage);

}  // namespace orvo
