#include "stage/edit_field.h"

#include <cstdlib>

#include "stage/stage.h"
#include "surface/font_pixel_manager.h"

namespace orvo {

namespace {

// The hit mask of every mouse mode: a field is covered whatever the cover ignores.
constexpr uint32_t kHitEveryMode = 31;

int32_t AbsoluteHeight(int32_t height) { return height == INT32_MIN ? INT32_MAX : std::abs(height); }

}  // namespace

TOrvoCustomEdit::TOrvoCustomEdit(TOrvoBaseList& stage, TTextFieldKind kind)
    : TOrvoControl(stage), field_(stage.TextFields().CreateField(kind)), memo_(kind == TTextFieldKind::MultiLine) {
  StoreVisible(false);
  TOrvoControl::SetProperty(PR_HANDLEKEY, TPropValue::Bool(true));
  TTextFieldCallbacks callbacks;
  callbacks.key_down = [this](int32_t key) {
    // The text as it is when the key goes down, before the key acts.
    if (!on_notify_.empty()) {
      Stage().Events().PostEvent(Handle(), on_notify_, {std::to_string(key), field_->Text()}, ecNotify);
    }
  };
  // The edit drops Enter, Escape and Tab before they reach the text; the memo takes Enter as a line break.
  callbacks.accept_char = [this](char32_t code) { return code != 9 && code != 27 && (memo_ || code != 13); };
  callbacks.focus_gained = [this] {
    Stage().SetFocusObject(this);
    // Keys typed into the field must not also count as game keys.
    Stage().ClearKeys();
  };
  field_->SetCallbacks(std::move(callbacks));
}

TOrvoCustomEdit::~TOrvoCustomEdit() {
  field_->SetCallbacks({});
  if (Stage().Focus() == this) Stage().RequestRefocus();
}

bool TOrvoCustomEdit::CanBeSeen() {
  if (!Visible() || !Parent() || !Parent()->IsShown()) return false;
  TOrvoBase* base = OwnerBase();
  if (!base || base != &Stage().ActiveScreen()) return false;
  const int32_t x = static_cast<int32_t>(int64_t{AbsLeft()} + Width() / 2);
  const int32_t y = static_cast<int32_t>(int64_t{AbsTop()} + Height() / 2);
  return base->HitTest(x, y, kHitEveryMode) == this;
}

void TOrvoCustomEdit::Place() {
  const int32_t x = AbsLeft(), y = AbsTop();
  field_->SetBounds({x, y, ClampToInt32(int64_t{x} + Width()), ClampToInt32(int64_t{y} + Height())});
  const bool shown = CanBeSeen();
  field_->SetVisible(shown);
  // While a save is read, the focus is the record's to give.
  if (!shown || !field_->Enabled() || Stage().ReadingState()) return;
  // A memo always takes the focus; an edit only from no field at all.
  if (memo_ || Stage().TextFields().FocusedField() == nullptr) FocusIn();
}

void TOrvoCustomEdit::FocusIn() {
  if (field_->Visible() && field_->Enabled()) field_->TakeFocus();
}

void TOrvoCustomEdit::PositionChanged() { Place(); }

bool TOrvoCustomEdit::Update() {
  const bool finished = TOrvoControl::Update();
  const bool seen = IsShown() && CanBeSeen();
  if (seen != field_->Visible()) Place();
  return finished;
}

void TOrvoCustomEdit::SetFontFace(const std::string& face) {
  TTextFieldFont font = field_->Font();
  font.face = face;
  font.charset = Stage().Glyphs() ? Stage().Glyphs()->GetCharset(face) : 1;
  field_->SetFont(font);
}

TPropValue TOrvoCustomEdit::GetProperty(int32_t id) const {
  const TTextFieldFont& font = field_->Font();
  switch (id) {
    case PR_TEXT:
      return TPropValue::Str(field_->Text());
    case PR_FONTNAME:
      return TPropValue::Str(font.face);
    case PR_FONTHEIGHT:
      return TPropValue::Int(AbsoluteHeight(font.height));
    case PR_FONTSTYLE:
      return TPropValue::Int(font.style);
    case PR_FONTCOLOR:
      return TPropValue::Int(font.colour);
    case PR_COLOR:
      return TPropValue::Int(field_->Background());
    case PR_READONLY:
      return TPropValue::Bool(field_->ReadOnly());
    case PR_IMEMODE:
      return TPropValue::Int(field_->ImeMode());
    case PR_HALIGN:
      return memo_ ? TPropValue::Int(field_->Alignment()) : TOrvoControl::GetProperty(id);
    case PR_PAUSED:
      return TPropValue::Bool(!field_->Enabled());
    case PR_ONNOTIFY:
      return TPropValue::Str(on_notify_);
    case PR_HANDLEKEY:
      return TPropValue::Bool(true);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoCustomEdit::SetProperty(int32_t id, const TPropValue& value) {
  TTextFieldFont font = field_->Font();
  switch (id) {
    case PR_TEXT:
      field_->SetText(value.AsStr());
      if (!memo_) field_->SelectAll();
      return;
    case PR_FONTNAME:
      SetFontFace(value.AsStr());
      return;
    case PR_FONTHEIGHT:
      font.height = value.AsInt();
      field_->SetFont(font);
      return;
    case PR_FONTSTYLE:
      font.style = static_cast<uint8_t>(value.AsInt());
      field_->SetFont(font);
      return;
    case PR_FONTCOLOR:
      font.colour = value.AsInt();
      field_->SetFont(font);
      return;
    case PR_COLOR:
      field_->SetBackground(value.AsInt());
      return;
    case PR_READONLY:
      field_->SetReadOnly(value.AsBool());
      return;
    case PR_IMEMODE:
      field_->SetImeMode(value.AsInt());
      return;
    case PR_HALIGN:
      if (memo_) field_->SetAlignment(value.AsInt());
      return;
    case PR_PAUSED:
      field_->SetEnabled(!value.AsBool());
      return;
    case PR_ONNOTIFY:
      on_notify_ = value.AsStr();
      return;
    case PR_HANDLEKEY:
      return;
    case PR_VISIBLE:
      if (value.AsBool() == Visible()) return;
      StoreVisible(value.AsBool());
      field_->SetVisible(value.AsBool());
      return;
    case PR_LEFT:
    case PR_TOP:
    case PR_WIDTH:
    case PR_HEIGHT: {
      const int32_t old = GetInt(id);
      TOrvoControl::SetProperty(id, value);
      if (GetInt(id) != old) Place();
      return;
    }
    case PR_OFFSETX:
    case PR_OFFSETY:
    case PR_PLUSX:
    case PR_PLUSY:
    case PR_PARENT:
      TOrvoControl::SetProperty(id, value);
      Place();
      return;
    default:
      TOrvoControl::SetProperty(id, value);
      return;
  }
}

void TOrvoCustomEdit::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  const TTextFieldFont& font = field_->Font();
  writer.WriteBool(!field_->Enabled());
  writer.WriteString(field_->Text());
  writer.WriteString(font.face);
  writer.WriteInt32(AbsoluteHeight(font.height));
  writer.WriteByte(font.style);
  writer.WriteInt32(font.colour);
  writer.WriteInt32(field_->Background());
  writer.WriteBool(field_->ReadOnly());
  if (memo_) writer.WriteByte(static_cast<uint8_t>(field_->Alignment()));
  writer.WriteString(on_notify_);
  writer.WriteInt32(field_->ImeMode());
}

void TOrvoCustomEdit::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  SetProperty(PR_PAUSED, TPropValue::Bool(reader.ReadBool()));
  SetProperty(PR_TEXT, TPropValue::Str(reader.ReadString()));
  SetProperty(PR_FONTNAME, TPropValue::Str(reader.ReadString()));
  SetProperty(PR_FONTHEIGHT, TPropValue::Int(reader.ReadInt32()));
  SetProperty(PR_FONTSTYLE, TPropValue::Int(reader.ReadByte()));
  SetProperty(PR_FONTCOLOR, TPropValue::Int(reader.ReadInt32()));
  SetProperty(PR_COLOR, TPropValue::Int(reader.ReadInt32()));
  SetProperty(PR_READONLY, TPropValue::Bool(reader.ReadBool()));
  if (memo_) SetProperty(PR_HALIGN, TPropValue::Int(reader.ReadByte()));
  on_notify_ = reader.ReadString();
  field_->SetVisible(Visible());
  if (version == 142 || version == 143 || version == 144 || version >= 200) {
    SetProperty(PR_IMEMODE, TPropValue::Int(reader.ReadInt32()));
  }
  Place();
}

void RegisterEditKinds(TOrvoBaseList& stage) {
  stage.RegisterKind(kcEdit, [](TOrvoBaseList& s) { return std::make_unique<TOrvoEdit>(s); });
  stage.RegisterKind(kcMemo, [](TOrvoBaseList& s) { return std::make_unique<TOrvoMemo>(s); });
}

}  // namespace orvo
