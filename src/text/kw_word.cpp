#include "text/kw_word.h"

#include <algorithm>

#include "base/cp932.h"

namespace orvo {

TKwWord::TKwWord() = default;

TKwWord::~TKwWord() { ClearGlyphs(); }

void TKwWord::ClearGlyphs() {
  glyphs_.clear();
  decorations.Clear();
  conditions.Clear();
  links.Clear();
  frozen_values.clear();
  decoration_base = condition_base = link_base = 0;
}

int32_t TKwWord::IndexOfGlyph(const TWdGlyph* glyph, int32_t hint) const {
  int32_t count = GlyphCount();
  if (hint < 0 || hint >= count) hint = 0;
  for (int32_t i = hint; i < count; ++i) {
    if (glyphs_[static_cast<size_t>(i)].get() == glyph) return i;
  }
  for (int32_t i = 0; i < hint; ++i) {
    if (glyphs_[static_cast<size_t>(i)].get() == glyph) return i;
  }
  return -1;
}

TWdGlyph* TKwWord::InsertGlyph(int32_t index, std::unique_ptr<TWdGlyph> glyph) {
  index = std::clamp(index, 0, GlyphCount());
  TWdGlyph* raw = glyph.get();
  glyphs_.insert(glyphs_.begin() + index, std::move(glyph));
  return raw;
}

void TKwWord::DeleteGlyph(int32_t index) {
  if (index < 0 || index >= GlyphCount()) return;
  std::unique_ptr<TWdGlyph> glyph = std::move(glyphs_[static_cast<size_t>(index)]);
  glyphs_.erase(glyphs_.begin() + index);
  glyph.reset();
}

std::unique_ptr<TWdGlyph> TKwWord::CreateGlyph(uint8_t type_code) {
  std::unique_ptr<TWdGlyph> glyph = CreateBareGlyph(type_code);
  if (!glyph) return nullptr;
  glyph->condition_ = conditions.AcquireCondition("");
  if (auto* real = dynamic_cast<TWdReal*>(glyph.get())) real->link_ = links.AcquireLink("", "");
  if (auto* character = dynamic_cast<TWdChar*>(glyph.get())) {
    character->decoration_ = decorations.AcquireDecorate(TDecorateValues{});
  }
  if (auto* variable = dynamic_cast<TWdOpeVar*>(glyph.get())) {
    variable->link_ = links.AcquireLink("", "");
    variable->decoration_ = decorations.AcquireDecorate(TDecorateValues{});
  }
  return glyph;
}

void TKwWord::CopyGlyphs(const TKwWord& source, int32_t first, int32_t last) {
  if (last < 0 || last >= source.GlyphCount()) last = source.GlyphCount() - 1;
  for (int32_t i = std::max(first, 0); i <= last; ++i) {
    const TWdGlyph* from = source.GlyphAt(i);
    // Glyphs that variables produced are made again by expanding the copy.
    if (!from->IsStored()) continue;
    std::unique_ptr<TWdGlyph> glyph = CreateGlyph(from->TypeCode());
    if (!glyph) continue;
    glyph->Assign(*from);
    AppendGlyph(std::move(glyph));
  }
}

void TKwWord::ExpandVars(int32_t first, int32_t last, THistoryVars history) {
  if (last < 0 || last >= GlyphCount()) last = GlyphCount() - 1;
  // From the end, so that inserted glyphs do not move the ones still to visit.
  for (int32_t i = last; i >= std::max(first, 0); --i) {
    GlyphAt(i)->Expand(history == THistoryVars::Include);
  }
}

void TKwWord::CollapseVars(int32_t first, int32_t last) {
  if (last < 0 || last >= GlyphCount()) last = GlyphCount() - 1;
  for (int32_t i = last; i >= std::max(first, 0); --i) {
    if (i < GlyphCount()) GlyphAt(i)->Collapse();
  }
}

int32_t TKwWord::OrdinalOf(const TWdGlyph* glyph) const {
  int32_t ordinal = 0;
  for (const auto& item : glyphs_) {
    if (item.get() == glyph) return ordinal;
    if (item->IsStored()) ++ordinal;
  }
  return ordinal;
}

int32_t TKwWord::IndexOfOrdinal(int32_t ordinal) const {
  int32_t stored = 0;
  for (int32_t i = 0; i < GlyphCount(); ++i) {
    if (stored >= ordinal) return i;
    if (glyphs_[static_cast<size_t>(i)]->IsStored()) ++stored;
  }
  return -1;
}

bool TKwWord::FrozenValue(std::string_view name, std::string& value) const {
  for (const std::string& line : frozen_values) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (!EqualsNoCase(std::string_view(line).substr(0, equals), name)) continue;
    value = line.substr(equals + 1);
    std::replace(value.begin(), value.end(), '\x01', '\r');
    return true;
  }
  return false;
}

void TKwWord::AddDirtyRect(const TRect& rect) {
  if (!rect.IsEmpty()) dirty_rects.push_back(rect);
}

void TKwWord::WriteSettings(TBinaryWriter& writer, int32_t version) const {
  writer.WriteInt32(draw_origin_x);
  writer.WriteInt32(draw_origin_y);
  writer.WriteInt32(default_font_size);
  writer.WriteString(default_face_name);
  writer.WriteInt32(default_color);
  writer.WriteInt32(layout_height);
  writer.WriteInt32(layout_width);
  writer.WriteInt32(smoothing_level);
  writer.WriteInt32(line_spacing);
  writer.WriteBool(paging);
  writer.WriteInt32(link_color);
  writer.WriteInt32(hover_color);
  writer.WriteInt32(fade_time);
  writer.WriteInt32(border_color);
  writer.WriteInt32(opacity);
  writer.WriteBool(paused);
  writer.WriteInt32(caret_x);
  writer.WriteInt32(caret_y);
  writer.WriteInt32(speed_rate);
  writer.WriteBool(notify_enabled);
  if (version >= 110) writer.WriteInt32(shadow_color);
  if (version > 110) {
    writer.WriteInt32(default_border_width);
    writer.WriteInt32(default_shadow_width);
  }
  if ((version > 140 && version <= 144) || version >= 200) writer.WriteBool(fixed_advance);
}

void TKwWord::ReadSettings(TBinaryReader& reader, int32_t version) {
  draw_origin_x = reader.ReadInt32();
  draw_origin_y = reader.ReadInt32();
  default_font_size = reader.ReadInt32();
  default_face_name = reader.ReadString();
  default_color = reader.ReadInt32();
  layout_height = reader.ReadInt32();
  layout_width = reader.ReadInt32();
  smoothing_level = reader.ReadInt32();
  line_spacing = reader.ReadInt32();
  paging = reader.ReadBool();
  link_color = reader.ReadInt32();
  hover_color = reader.ReadInt32();
  fade_time = reader.ReadInt32();
  border_color = reader.ReadInt32();
  opacity = reader.ReadInt32();
  paused = reader.ReadBool();
  caret_x = reader.ReadInt32();
  caret_y = reader.ReadInt32();
  speed_rate = reader.ReadInt32();
  notify_enabled = reader.ReadBool();
  if (version >= 110) shadow_color = reader.ReadInt32();
  if (version > 110) {
    default_border_width = reader.ReadInt32();
    default_shadow_width = reader.ReadInt32();
  }
  if ((version > 140 && version <= 144) || version >= 200) fixed_advance = reader.ReadBool();
}

}  // namespace orvo
