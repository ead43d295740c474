#include "text/glyph.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/error.h"
#include "text/glyph_stream.h"
#include "text/kw_word.h"
#include "vars/convert.h"
#include "vars/engine.h"
#include "vars/parser.h"

namespace orvo {

namespace {

const std::string kEmpty;

}  // namespace

TWdGlyph::~TWdGlyph() { owner_->conditions.ReleaseCondition(condition_); }

const std::string& TWdGlyph::ConditionText() const { return condition_ ? condition_->Text() : kEmpty; }

void TWdGlyph::SetConditionText(std::string_view text) { owner_->conditions.ChangeCondition(condition_, text); }

std::string TWdGlyph::FontName() const { return Decoration() ? Decoration()->face : std::string(); }
int32_t TWdGlyph::FontSize() const { return Decoration() ? Decoration()->size : 0; }
uint8_t TWdGlyph::Style() const { return Decoration() ? Decoration()->style : 0; }
int32_t TWdGlyph::Color() const { return Decoration() ? Decoration()->color : -1; }
int32_t TWdGlyph::BorderColor() const { return Decoration() ? Decoration()->border_color : -1; }
int32_t TWdGlyph::ShadowColor() const { return Decoration() ? Decoration()->shadow_color : -1; }
int32_t TWdGlyph::BorderWidth() const {
  if (!Decoration()) return 0;
  return Decoration()->border_width < 0 ? owner_->default_border_width : Decoration()->border_width;
}
int32_t TWdGlyph::ShadowWidth() const {
  if (!Decoration()) return 0;
  return Decoration()->shadow_width < 0 ? owner_->default_shadow_width : Decoration()->shadow_width;
}
bool TWdGlyph::NoBreak() const { return Decoration() && Decoration()->no_break; }
std::string TWdGlyph::Ruby() const { return Decoration() ? Decoration()->ruby : std::string(); }
const std::string& TWdGlyph::LinkHref() const { return Link() ? Link()->href : kEmpty; }
const std::string& TWdGlyph::LinkTarget() const { return Link() ? Link()->target : kEmpty; }
bool TWdGlyph::LinkEnabled() const { return Link() && Link()->enabled; }

void TWdGlyph::WriteRecord(std::string& out, const TGlyphStreamWriter& records) const {
  AppendI32(out, records.ConditionIndex(condition_));
}

void TWdGlyph::ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) {
  if (version > 103) refs.condition = reader.ReadInt32();
}

void TWdGlyph::Assign(const TWdGlyph& other) {
  x = other.x;
  y = other.y;
  width = other.width;
  height = other.height;
  SetConditionText(other.ConditionText());
}

TWdPage* TWdGlyph::OwnerPage() const { return parent ? parent->OwnerPage() : nullptr; }
int32_t TWdGlyph::ScreenX() const { return (parent ? parent->ScreenX() : 0) + x; }
int32_t TWdGlyph::ScreenY() const { return (parent ? parent->ScreenY() : 0) + y; }
int32_t TWdGlyph::PageY() const { return (parent ? parent->PageY() : 0) + y; }

int32_t TWdPage::ScreenX() const { return owner_->draw_origin_x; }
int32_t TWdPage::ScreenY() const { return owner_->draw_origin_y; }
int32_t TWdPage::PageY() const { return parent ? TWdGlyph::PageY() : 0; }

// ---- composites

std::string TWdComposite::ShownText() const {
  // The shown text stops at the first child that has not appeared yet.
  std::string text;
  for (const TWdGlyph* child : children_) {
    if (child->Opacity() <= 0) break;
    text += child->ShownText();
  }
  return text;
}

const TWdGlyph* TWdComposite::FirstStored() const {
  for (const TWdGlyph* child : children_) {
    if (const TWdGlyph* found = child->FirstStored()) return found;
  }
  return nullptr;
}

const TWdGlyph* TWdComposite::LastStored() const {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (const TWdGlyph* found = (*it)->LastStored()) return found;
  }
  return nullptr;
}

std::string TWdComposite::Text() const {
  std::string text;
  for (const TWdGlyph* child : children_) text += child->Text();
  return text;
}

int32_t TWdComposite::IndexOfChild(const TWdGlyph* glyph) const {
  auto it = std::find(children_.begin(), children_.end(), glyph);
  return it == children_.end() ? -1 : static_cast<int32_t>(it - children_.begin());
}

void TWdComposite::AddChild(TWdGlyph* glyph) {
  children_.push_back(glyph);
  glyph->parent = this;
}

void TWdComposite::AddOwned(std::unique_ptr<TWdGlyph> glyph) {
  AddChild(glyph.get());
  owned_.push_back(std::move(glyph));
}

void TWdComposite::DeleteChild(int32_t index) {
  if (index < 0 || index >= ChildCount()) return;
  TWdGlyph* child = children_[static_cast<size_t>(index)];
  children_.erase(children_.begin() + index);
  if (child->parent == this) child->parent = nullptr;
  std::erase_if(owned_, [child](const std::unique_ptr<TWdGlyph>& owned) { return owned.get() == child; });
}

std::unique_ptr<TWdGlyph> TWdComposite::ReleaseChild(int32_t index) {
  if (index < 0 || index >= ChildCount()) return nullptr;
  TWdGlyph* child = children_[static_cast<size_t>(index)];
  children_.erase(children_.begin() + index);
  if (child->parent == this) child->parent = nullptr;
  std::unique_ptr<TWdGlyph> owned;
  for (auto it = owned_.begin(); it != owned_.end(); ++it) {
    if (it->get() == child) {
      owned = std::move(*it);
      owned_.erase(it);
      break;
    }
  }
  return owned;
}

void TWdComposite::ClearChildren() {
  for (TWdGlyph* child : children_) {
    if (child->parent == this) child->parent = nullptr;
  }
  children_.clear();
  owned_.clear();
}

// ---- visible glyphs

TWdReal::~TWdReal() { owner_->links.ReleaseLink(link_); }

void TWdReal::SetLink(std::string_view href, std::string_view target) { owner_->links.ChangeLink(link_, href, target); }

void TWdReal::Assign(const TWdGlyph& other) {
  TWdGlyph::Assign(other);
  SetLink(other.LinkHref(), other.LinkTarget());
  const auto& real = static_cast<const TWdReal&>(other);
  hover = real.hover;
  opacity_ = real.opacity_;
  wait_ = real.wait_;
}

TWdChar::~TWdChar() { owner_->decorations.ReleaseDecorate(decoration_); }

void TWdChar::SetDecoration(const TDecorateValues& values) { owner_->decorations.ChangeDecorate(decoration_, values); }

std::string TWdChar::Text() const {
  std::string text;
  if (code_ > 255) text += static_cast<char>(code_ >> 8);
  text += static_cast<char>(code_ & 0xFF);
  return text;
}

namespace {

// Visible glyphs store their link as an href before 105, as an index after.
void ReadLink(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) {
  if (version < 105) {
    refs.old_href = true;
    refs.href = reader.ReadString();
  } else {
    refs.link = reader.ReadInt32();
    refs.link_index = true;
  }
}

}  // namespace

void TWdChar::WriteRecord(std::string& out, const TGlyphStreamWriter& records) const {
  TWdGlyph::WriteRecord(out, records);
  AppendI32(out, records.LinkIndex(link_));
  AppendI32(out, wait_);
  AppendU16(out, code_);
  AppendI32(out, records.DecorationIndex(decoration_));
}

void TWdChar::ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) {
  TWdGlyph::ReadRecord(reader, version, refs);
  ReadLink(reader, version, refs);
  wait_ = reader.ReadInt32();
  code_ = reader.ReadUInt16();
  refs.decoration = reader.ReadInt32();
}

void TWdChar::Assign(const TWdGlyph& other) {
  TWdReal::Assign(other);
  const auto& source = static_cast<const TWdChar&>(other);
  if (source.decoration_) SetDecoration(*source.decoration_);
  code_ = source.code_;
  ink_left = source.ink_left;
  ink_top = source.ink_top;
  ink_right = source.ink_right;
  ink_bottom = source.ink_bottom;
}

void TWdImg::WriteRecord(std::string& out, const TGlyphStreamWriter& records) const {
  TWdGlyph::WriteRecord(out, records);
  AppendI32(out, records.LinkIndex(link_));
  AppendI32(out, wait_);
  AppendString(out, source);
  AppendByte(out, align);
  AppendString(out, hover_source);
  AppendI32(out, margin_left);
  AppendI32(out, margin_right);
  AppendI32(out, margin_top);
  AppendI32(out, margin_bottom);
  AppendString(out, down_source);
}

void TWdImg::ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) {
  TWdGlyph::ReadRecord(reader, version, refs);
  ReadLink(reader, version, refs);
  wait_ = reader.ReadInt32();
  source = reader.ReadString();
  align = reader.ReadByte();
  if (version > 102) hover_source = reader.ReadString();
  if (version > 104) {
    margin_left = reader.ReadInt32();
    margin_right = reader.ReadInt32();
    margin_top = reader.ReadInt32();
    margin_bottom = reader.ReadInt32();
    down_source = reader.ReadString();
  }
}

void TWdImg::Assign(const TWdGlyph& other) {
  TWdReal::Assign(other);
  const auto& source_image = static_cast<const TWdImg&>(other);
  source = source_image.source;
  hover_source = source_image.hover_source;
  down_source = source_image.down_source;
  align = source_image.align;
  margin_left = source_image.margin_left;
  margin_right = source_image.margin_right;
  margin_top = source_image.margin_top;
  margin_bottom = source_image.margin_bottom;
}

// ---- operators

void TWdOpeReturn::WriteRecord(std::string& out, const TGlyphStreamWriter& records) const {
  TWdGlyph::WriteRecord(out, records);
  AppendByte(out, clear ? 1 : 0);
}

void TWdOpeReturn::ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) {
  TWdGlyph::ReadRecord(reader, version, refs);
  clear = reader.ReadBool();
}

void TWdOpeReturn::Assign(const TWdGlyph& other) {
  TWdGlyph::Assign(other);
  clear = other.Clear();
}

void TWdOpeDiv::WriteRecord(std::string& out, const TGlyphStreamWriter& records) const {
  TWdGlyph::WriteRecord(out, records);
  AppendByte(out, align);
  AppendI32(out, pad_left);
  AppendI32(out, pad_right);
  AppendByte(out, no_height ? 1 : 0);
}

void TWdOpeDiv::ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) {
  TWdGlyph::ReadRecord(reader, version, refs);
  align = reader.ReadByte();
  if (version >= 105) {
    pad_left = reader.ReadInt32();
    pad_right = reader.ReadInt32();
    no_height = reader.ReadBool();
  }
}

void TWdOpeDiv::Assign(const TWdGlyph& other) {
  TWdGlyph::Assign(other);
  const auto& div = static_cast<const TWdOpeDiv&>(other);
  align = div.align;
  pad_left = div.pad_left;
  pad_right = div.pad_right;
  no_height = div.no_height;
}

void TWdOpeEvent::WriteRecord(std::string& out, const TGlyphStreamWriter& records) const {
  TWdGlyph::WriteRecord(out, records);
  AppendString(out, end ? "\x01" + value : value);
}

void TWdOpeEvent::ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) {
  TWdGlyph::ReadRecord(reader, version, refs);
  value = reader.ReadString();
  end = !value.empty() && value[0] == '\x01';
  if (end) value.erase(0, 1);
}

void TWdOpeEvent::Assign(const TWdGlyph& other) {
  TWdGlyph::Assign(other);
  const auto& event = static_cast<const TWdOpeEvent&>(other);
  value = event.value;
  end = event.end;
}

// ---- variables

TWdOpeVar::~TWdOpeVar() {
  owner_->decorations.ReleaseDecorate(decoration_);
  owner_->links.ReleaseLink(link_);
}

void TWdOpeVar::SetDecoration(const TDecorateValues& values) {
  owner_->decorations.ChangeDecorate(decoration_, values);
}

void TWdOpeVar::SetLink(std::string_view href, std::string_view target) {
  owner_->links.ChangeLink(link_, href, target);
}

void TWdOpeVar::WriteRecord(std::string& out, const TGlyphStreamWriter& records) const {
  TWdGlyph::WriteRecord(out, records);
  AppendI32(out, records.DecorationIndex(decoration_));
  AppendI32(out, wait_);
  AppendI32(out, records.LinkIndex(link_));
  AppendString(out, TrimText(expression));
}

void TWdOpeVar::ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) {
  TWdGlyph::ReadRecord(reader, version, refs);
  refs.decoration = reader.ReadInt32();
  if (version > 100) {
    wait_ = reader.ReadInt32();
    ReadLink(reader, version, refs);
  }
  if (version < 102) {
    compiled_ = std::make_unique<TOrvoParser>();
    compiled_->LoadFromStream(reader);
  } else {
    expression = reader.ReadString();
  }
}

void TWdOpeVar::Assign(const TWdGlyph& other) {
  TWdGlyph::Assign(other);
  const auto& source = static_cast<const TWdOpeVar&>(other);
  if (source.decoration_) SetDecoration(*source.decoration_);
  SetLink(source.LinkHref(), source.LinkTarget());
  expression = source.expression;
  wait_ = source.wait_;
  compiled_.reset();
  if (expression.empty() && source.compiled_) {
    compiled_ = std::make_unique<TOrvoParser>();
    compiled_->AssignFrom(*source.compiled_);
  }
}

bool TWdOpeVar::CurrentValue(std::string& value) const {
  value.clear();
  TExprEngine* engine = owner_->engine;
  if (!expression.empty()) {
    if (owner_->FrozenValue(expression, value)) return true;
    std::string trimmed = TrimText(expression);
    if (trimmed.empty() || !engine) return false;
    try {
      std::unique_ptr<TCustomParam> result = EvaluateText(*engine, trimmed);
      if (!result) return false;
      value = result->GetAsStr();
      return true;
    } catch (const EOrvoError&) {
      return false;  // a variable that cannot be shown shows nothing
    }
  }
  if (!compiled_ || !engine) return false;
  try {
    compiled_->Execute(*engine);
    if (!compiled_->Result()) return false;
    value = compiled_->Result()->GetAsStr();
    return true;
  } catch (const EOrvoError&) {
    return false;
  }
}

void TWdOpeVar::Expand(bool include_history) {
  (void)include_history;
  // A second expansion replaces the first instead of leaving its glyphs behind.
  Collapse();
  std::string value;
  if (!CurrentValue(value)) return;
  int32_t index = owner_->IndexOfGlyph(this);
  if (index < 0) return;
  TDecorateValues style = decoration_ ? TDecorateValues(*decoration_) : TDecorateValues();
  std::string_view text(value);
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    uint16_t code = length == 2
                        ? static_cast<uint16_t>(static_cast<uint8_t>(text[i]) << 8 | static_cast<uint8_t>(text[i + 1]))
                        : static_cast<uint8_t>(text[i]);
    i += length;
    std::unique_ptr<TWdGlyph> glyph;
    if (code == '\r') {
      glyph = std::make_unique<TWdVarReturn>(*owner_);
    } else if (code >= 0x20) {
      auto character = std::make_unique<TWdVarChar>(*owner_);
      character->decoration_ = owner_->decorations.AcquireDecorate(style);
      character->link_ = owner_->links.AcquireLink(LinkHref(), LinkTarget());
      character->wait_ = wait_;
      character->code_ = code;
      glyph = std::move(character);
    } else {
      continue;
    }
    // The variable's condition hides its line breaks as well as its characters.
    glyph->condition_ = owner_->conditions.AcquireCondition(ConditionText());
    expanded_.push_back(owner_->InsertGlyph(++index, std::move(glyph)));
  }
}

void TWdOpeVar::Collapse() {
  if (expanded_.empty()) return;
  int32_t hint = std::max(owner_->IndexOfGlyph(this), 0);
  for (TWdGlyph* glyph : expanded_) {
    int32_t index = owner_->IndexOfGlyph(glyph, hint);
    if (index >= 0) owner_->DeleteGlyph(index);
  }
  expanded_.clear();
}

void TWdOpeVar::CollectValues(std::vector<std::string>& list) const {
  std::string frozen;
  if (owner_->FrozenValue(expression, frozen)) return;
  for (const std::string& line : list) {
    size_t equals = line.find('=');
    if (EqualsNoCase(std::string_view(line).substr(0, equals), expression)) return;
  }
  std::string value;
  for (const TWdGlyph* glyph : expanded_) {
    value += glyph->Kind() == TGlyphKind::VarReturn ? std::string("\x01") : glyph->Text();
  }
  list.push_back(expression + "=" + value);
}

}  // namespace orvo
