#include "text/page_state.h"

#include <algorithm>

namespace orvo {

namespace {

bool IsVisible(const TWdGlyph* glyph) {
  TGlyphKind kind = glyph->Kind();
  return kind == TGlyphKind::Char || kind == TGlyphKind::VarChar || kind == TGlyphKind::Img;
}

bool IsVariable(const TWdGlyph* glyph) {
  return glyph->Kind() == TGlyphKind::Var || glyph->Kind() == TGlyphKind::HistVar;
}

template <typename Visit>
void ForEachChild(const TWdPage& page, Visit visit) {
  for (int32_t r = 0; r < page.ChildCount(); ++r) {
    const TWdRow* row = page.Row(r);
    for (int32_t c = 0; c < row->ChildCount(); ++c) visit(row->Child(c));
  }
}

}  // namespace

void SaveState(const TWdPage& page, TBinaryWriter& writer) {
  writer.WriteInt32(page.scroll_offset);
  writer.WriteInt32(page.row_index);
  writer.WriteInt32(page.column_index);
  writer.WriteByte(page.finished ? 1 : 0);
  writer.WriteString(page.pending_events);
  ForEachChild(page, [&](const TWdGlyph* child) {
    if (IsVisible(child)) {
      // A glyph still fading in is saved as arrived.
      bool fading = std::find(page.revealing.begin(), page.revealing.end(), child) != page.revealing.end();
      writer.WriteInt32(fading ? 255 : child->Opacity());
    } else if (IsVariable(child)) {
      const auto& expanded = static_cast<const TWdOpeVar*>(child)->Expanded();
      writer.WriteInt32(expanded.empty() ? 0 : expanded.front()->Opacity());
    }
  });
}

void LoadState(TWdPage& page, TBinaryReader& reader) {
  page.scroll_offset = reader.ReadInt32();
  // Positions outside the page would send the reveal to rows that do not exist.
  page.row_index = std::clamp(reader.ReadInt32(), 0, page.ChildCount());
  page.column_index = std::max(reader.ReadInt32(), 0);
  page.finished = reader.ReadBool();
  page.pending_events = reader.ReadString();
  page.revealing.clear();
  page.animated.clear();
  ForEachChild(page, [&](TWdGlyph* child) {
    if (IsVisible(child)) {
      child->SetOpacity(reader.ReadInt32());
    } else if (IsVariable(child)) {
      int32_t opacity = reader.ReadInt32();
      for (TWdGlyph* glyph : static_cast<const TWdOpeVar*>(child)->Expanded()) glyph->SetOpacity(opacity);
    }
  });
  ForEachChild(page, [&](TWdGlyph* child) {
    if (child->Kind() == TGlyphKind::Img && child->Opacity() > 0 && static_cast<const TWdImg*>(child)->loaded) {
      page.animated.push_back(child);
    }
  });
}

}  // namespace orvo
