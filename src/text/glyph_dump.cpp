#include "text/glyph_dump.h"

#include <cstdio>

#include "base/cp932.h"

namespace orvo {

namespace {

std::string Hex2(uint8_t byte) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\x%02x", byte);
  return buffer;
}

std::string Decoration(const TDecorateValues& d) {
  std::string line = "color=" + std::to_string(d.color);
  line += "\tbcolor=" + std::to_string(d.border_color);
  line += "\tscolor=" + std::to_string(d.shadow_color);
  line += "\tsize=" + std::to_string(d.size);
  line += "\tstyle=" + std::to_string(d.style);
  line += "\tface=" + DumpText(d.face);
  line += "\tnobr=" + std::string(d.no_break ? "1" : "0");
  line += "\truby=" + DumpText(d.ruby);
  line += "\tborder=" + std::to_string(d.border_width);
  line += "\tshadow=" + std::to_string(d.shadow_width);
  return line;
}

std::string DecorationOf(const TWdGlyph& glyph) {
  return Decoration(glyph.Decoration() ? static_cast<const TDecorateValues&>(*glyph.Decoration()) : TDecorateValues{});
}

std::string WaitAndLink(const TWdGlyph& glyph) {
  return "\twait=" + std::to_string(glyph.Wait()) + "\thref=" + DumpText(glyph.LinkHref()) +
         "\ttarget=" + DumpText(glyph.LinkTarget());
}

const char* Flag(bool value) { return value ? "1" : "0"; }

}  // namespace

std::string DumpText(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    uint8_t byte = static_cast<uint8_t>(bytes[i]);
    size_t length = CharLength(bytes, i);
    if (length == 1) {
      if (byte == '\\') {
        out += "\\\\";
      } else if (byte >= 0x20 && byte < 0x7F) {
        out += static_cast<char>(byte);
      } else if (byte >= 0xA1 && byte <= 0xDF) {
        out += Cp932ToUtf8(bytes.substr(i, 1));
      } else {
        out += Hex2(byte);
      }
      ++i;
      continue;
    }
    std::string utf8;
    if (TryCp932ToUtf8(bytes.substr(i, 2), utf8) && !utf8.empty()) {
      out += utf8;
      i += 2;
    } else {
      // A double-byte character without a Unicode form: both bytes in hex.
      out += Hex2(byte);
      out += Hex2(static_cast<uint8_t>(bytes[i + 1]));
      i += 2;
    }
  }
  return out;
}

std::string DumpGlyph(const TKwWord& document, int32_t index) {
  const TWdGlyph& glyph = *document.GlyphAt(index);
  std::string line = std::to_string(index) + "\t" + std::to_string(document.OrdinalOf(&glyph)) + "\t";
  std::string rest;
  switch (glyph.Kind()) {
    case TGlyphKind::Char:
    case TGlyphKind::VarChar: {
      char code[8];
      std::snprintf(code, sizeof code, "%04x", glyph.CharCode());
      line += glyph.Kind() == TGlyphKind::Char ? "char" : "varchar";
      rest = std::string("\tcode=") + code + "\ttext=" + DumpText(glyph.Text()) + "\t" + DecorationOf(glyph) +
             WaitAndLink(glyph);
      break;
    }
    case TGlyphKind::Img: {
      const auto& image = static_cast<const TWdImg&>(glyph);
      line += "img";
      rest = "\tsrc=" + DumpText(image.source) + "\thover=" + DumpText(image.hover_source) +
             "\tdown=" + DumpText(image.down_source) + "\talign=" + std::to_string(image.align) +
             "\tmargins=" + std::to_string(image.margin_left) + "," + std::to_string(image.margin_right) + "," +
             std::to_string(image.margin_top) + "," + std::to_string(image.margin_bottom) + WaitAndLink(glyph);
      break;
    }
    case TGlyphKind::Div: {
      const auto& div = static_cast<const TWdOpeDiv&>(glyph);
      line += "div";
      rest = "\talign=" + std::to_string(div.align) + "\tpadl=" + std::to_string(div.pad_left) +
             "\tpadr=" + std::to_string(div.pad_right) + "\tnoheight=" + Flag(div.no_height);
      break;
    }
    case TGlyphKind::Return:
    case TGlyphKind::VarReturn:
      line += glyph.Kind() == TGlyphKind::Return ? "br" : "varbr";
      rest = std::string("\tclear=") + Flag(glyph.Clear());
      break;
    case TGlyphKind::Indent:
      line += "indent";
      break;
    case TGlyphKind::Undent:
      line += "undent";
      break;
    case TGlyphKind::Event: {
      const auto& event = static_cast<const TWdOpeEvent&>(glyph);
      line += "event";
      rest = "\tvalue=" + DumpText(event.value) + "\tend=" + Flag(event.end);
      break;
    }
    case TGlyphKind::Var:
    case TGlyphKind::HistVar: {
      const auto& variable = static_cast<const TWdOpeVar&>(glyph);
      line += glyph.Kind() == TGlyphKind::Var ? "var" : "histvar";
      rest = "\texpr=" + DumpText(variable.expression) + "\tcompiled=" + Flag(variable.Compiled() != nullptr) + "\t" +
             DecorationOf(glyph) + WaitAndLink(glyph);
      break;
    }
    default:
      line += "other";
      break;
  }
  return line + "\tif=" + DumpText(glyph.ConditionText()) + rest;
}

std::string DumpDocument(const TKwWord& document) {
  std::string out;
  for (int32_t i = 0; i < document.GlyphCount(); ++i) out += DumpGlyph(document, i) + "\n";
  for (int32_t k = 0; k < document.decorations.Count(); ++k) {
    const TDecorate& record = *document.decorations.At(k);
    out +=
        "deco\t" + std::to_string(k) + "\tcount=" + std::to_string(record.ref_count) + "\t" + Decoration(record) + "\n";
  }
  for (int32_t k = 0; k < document.conditions.Count(); ++k) {
    const TWdCondition& record = *document.conditions.At(k);
    out += "cond\t" + std::to_string(k) + "\tcount=" + std::to_string(record.ref_count) +
           "\ttext=" + DumpText(record.Text()) + "\n";
  }
  for (int32_t k = 0; k < document.links.Count(); ++k) {
    const TWdLink& record = *document.links.At(k);
    out += "link\t" + std::to_string(k) + "\tcount=" + std::to_string(record.ref_count) +
           "\thref=" + DumpText(record.href) + "\ttarget=" + DumpText(record.target) + "\n";
  }
  return out;
}

}  // namespace orvo
