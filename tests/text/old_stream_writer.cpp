#include "text/old_stream_writer.h"

#include <cstdio>

#include "vars/compiler.h"

namespace orvo::test {

TBytes& TBytes::I32(int32_t value) {
  for (int i = 0; i < 4; ++i) bytes_ += static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
  return *this;
}
TBytes& TBytes::U16(uint16_t value) {
  bytes_ += static_cast<char>(value & 0xFF);
  bytes_ += static_cast<char>(value >> 8);
  return *this;
}
TBytes& TBytes::Byte(uint8_t value) {
  bytes_ += static_cast<char>(value);
  return *this;
}
TBytes& TBytes::Str(std::string_view text) {
  I32(static_cast<int32_t>(text.size()));
  bytes_ += text;
  return *this;
}
TBytes& TBytes::Raw(std::string_view bytes) {
  bytes_ += bytes;
  return *this;
}

std::string WriteOldStream(const TKwWord& document, int32_t version) {
  TBytes out;
  if (version > 0) {
    char header[32];
    std::snprintf(header, sizeof header, "KwWord%03d", version);
    out.Raw(header);
  }
  out.I32(document.decorations.Count());
  for (const auto& record : document.decorations.Items()) {
    out.I32(record->ref_count).I32(record->color).I32(record->border_color).I32(record->size);
    out.Byte(record->style).Byte(record->no_break ? 1 : 0);
    if (version > 99) {
      out.I32(record->border_width);
    } else {
      out.Byte(record->border_width != 0 ? 1 : 0);
    }
    out.Str(record->face).Str(record->ruby);
    if (version >= 100) out.I32(record->shadow_width).I32(record->shadow_color);
  }
  if (version > 103) {
    out.I32(document.conditions.Count());
    for (const auto& record : document.conditions.Items()) out.I32(record->ref_count).Str(record->Text());
  }
  if (version > 104) {
    out.I32(document.links.Count());
    for (const auto& record : document.links.Items()) out.I32(record->ref_count).Str(record->href).Str(record->target);
  }
  int32_t stored = 0;
  for (int32_t i = 0; i < document.GlyphCount(); ++i) stored += document.GlyphAt(i)->IsStored() ? 1 : 0;
  out.I32(stored);
  auto link = [&](const TWdGlyph& glyph) {
    if (version < 105) {
      out.Str(glyph.LinkHref());
    } else {
      out.I32(document.links.IndexOf(glyph.Link()));
    }
  };
  for (int32_t i = 0; i < document.GlyphCount(); ++i) {
    const TWdGlyph& glyph = *document.GlyphAt(i);
    if (!glyph.IsStored()) continue;
    out.Byte(glyph.TypeCode());
    if (version > 103) out.I32(document.conditions.IndexOf(glyph.Condition()));
    switch (glyph.Kind()) {
      case TGlyphKind::Char:
        link(glyph);
        out.I32(glyph.Wait()).U16(glyph.CharCode()).I32(document.decorations.IndexOf(glyph.Decoration()));
        break;
      case TGlyphKind::Img: {
        const auto& image = static_cast<const TWdImg&>(glyph);
        link(glyph);
        out.I32(glyph.Wait()).Str(image.source).Byte(image.align);
        if (version > 102) out.Str(image.hover_source);
        if (version > 104) {
          out.I32(image.margin_left).I32(image.margin_right).I32(image.margin_top).I32(image.margin_bottom);
          out.Str(image.down_source);
        }
        break;
      }
      case TGlyphKind::Div: {
        const auto& div = static_cast<const TWdOpeDiv&>(glyph);
        out.Byte(div.align);
        if (version >= 105) out.I32(div.pad_left).I32(div.pad_right).Byte(div.no_height ? 1 : 0);
        break;
      }
      case TGlyphKind::Return:
        out.Byte(glyph.Clear() ? 1 : 0);
        break;
      case TGlyphKind::Event: {
        const auto& event = static_cast<const TWdOpeEvent&>(glyph);
        out.Str(event.end ? "\x01" + event.value : event.value);
        break;
      }
      case TGlyphKind::Var:
      case TGlyphKind::HistVar: {
        const auto& variable = static_cast<const TWdOpeVar&>(glyph);
        out.I32(document.decorations.IndexOf(glyph.Decoration()));
        if (version > 100) {
          out.I32(glyph.Wait());
          link(glyph);
        }
        if (version < 102) {
          out.Raw(TBuildOrvoParser::CompileToBytes(variable.expression));
        } else {
          out.Str(variable.expression);
        }
        break;
      }
      default:
        break;
    }
  }
  return out.Bytes();
}

}  // namespace orvo::test
