#include "text/markup_writer.h"

#include <cstdio>
#include <iterator>

#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "vars/convert.h"

namespace orvo {

namespace {

// A lead byte that ends a value would take the closing quote as its second byte.
bool EndsInLoneLeadByte(std::string_view value) {
  size_t last = 0;
  for (size_t i = 0; i < value.size(); i += CharLength(value, i)) last = i;
  return !value.empty() && CharLength(value, last) == 1 && IsLeadByte(static_cast<uint8_t>(value[last]));
}

// Attribute value in double quotes, for attributes the build takes as they are.
// Markup is cut into lines at every CR and LF byte, second bytes of characters included.
bool HasLineBreakByte(std::string_view value) { return value.find_first_of("\r\n") != std::string_view::npos; }

bool RawValue(std::string_view value, std::string& out) {
  if (EndsInLoneLeadByte(value) || HasLineBreakByte(value)) return false;
  for (size_t i = 0; i < value.size(); i += CharLength(value, i)) {
    char byte = value[i];
    if (CharLength(value, i) == 1 && (byte == '"' || byte == '\r' || byte == '\n' || byte == '\t')) return false;
  }
  out += '"';
  out += value;
  out += '"';
  return true;
}

// Attribute value in double quotes for the attributes the build unescapes.
bool EscapedValue(std::string_view value, std::string& out) {
  if (EndsInLoneLeadByte(value)) return false;
  std::string text;
  for (size_t i = 0; i < value.size();) {
    size_t length = CharLength(value, i);
    char byte = value[i];
    if (length == 1 && byte == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
      text += "\\n";
      i += 2;
      continue;
    }
    if (length == 1 && (byte == '"' || byte == '\r' || byte == '\n' || byte == '\t')) return false;
    if (length == 2 && (value[i + 1] == '\r' || value[i + 1] == '\n')) return false;
    if (length == 1 && byte == '\\') {
      text += "\\\\";
    } else {
      text.append(value.substr(i, length));
    }
    i += length;
  }
  out += '"' + text + '"';
  return true;
}

std::string ColorText(int32_t color) {
  char buffer[16];
  uint32_t c = static_cast<uint32_t>(color);
  std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buffer;
}

class TMarkupWriter {
 public:
  bool Write(const TKwWord& document, std::string& markup) {
    for (int32_t i = 0; i < document.GlyphCount(); ++i) {
      const TWdGlyph& glyph = *document.GlyphAt(i);
      if (!glyph.IsStored()) continue;
      if (!Glyph(glyph)) return false;
    }
    markup = std::move(out_);
    return true;
  }

 private:
  bool Glyph(const TWdGlyph& glyph) {
    bool styled = glyph.Kind() == TGlyphKind::Char || glyph.Kind() == TGlyphKind::Img ||
                  glyph.Kind() == TGlyphKind::Var || glyph.Kind() == TGlyphKind::HistVar;
    if (styled && !LinkAndWait(glyph)) return false;
    if (glyph.Decoration() && !Decoration(*glyph.Decoration())) return false;
    if (!Condition(glyph.ConditionText())) return false;
    switch (glyph.Kind()) {
      case TGlyphKind::Char:
        return Character(glyph);
      case TGlyphKind::Img: {
        const auto& image = static_cast<const TWdImg&>(glyph);
        if (image.source.empty() || image.align < waCenter || image.align > waBottom) return false;
        Split();
        out_ += "<IMG SRC=";
        if (!RawValue(image.source, out_)) return false;
        if (!image.hover_source.empty()) {
          out_ += " HoverSrc=";
          if (!RawValue(image.hover_source, out_)) return false;
        }
        if (!image.down_source.empty()) {
          out_ += " DownSrc=";
          if (!RawValue(image.down_source, out_)) return false;
        }
        static const char* const kAligns[] = {"CENTER", "TOP", "BOTTOM"};
        if (image.align != waBottom) out_ += std::string(" ALIGN=") + kAligns[image.align - waCenter];
        Number(" MgnLeft=", image.margin_left, 0);
        Number(" MgnRight=", image.margin_right, 0);
        Number(" MgnTop=", image.margin_top, 0);
        Number(" MgnBottom=", image.margin_bottom, 0);
        out_ += '>';
        return true;
      }
      case TGlyphKind::Div: {
        const auto& div = static_cast<const TWdOpeDiv&>(glyph);
        if (div.align < waLeft || div.align > waCenter) return false;
        static const char* const kAligns[] = {"LEFT", "RIGHT", "CENTER"};
        out_ += std::string("<DIV ALIGN=") + kAligns[div.align - waLeft];
        Number(" PadLeft=", div.pad_left, kPaddingUnset);
        Number(" PadRight=", div.pad_right, kPaddingUnset);
        if (div.no_height) out_ += " NoHeight";
        out_ += '>';
        split_ = false;
        return true;
      }
      case TGlyphKind::Return:
        out_ += glyph.Clear() ? "<BR CLEAR>" : "<BR>";
        split_ = false;
        return true;
      case TGlyphKind::Indent:
        out_ += "<INDENT>";
        split_ = false;
        return true;
      case TGlyphKind::Undent:
        out_ += "<UNDENT>";
        split_ = false;
        return true;
      case TGlyphKind::Event: {
        const auto& event = static_cast<const TWdOpeEvent&>(glyph);
        out_ += "<EVENT VALUE=";
        if (!EscapedValue(event.value, out_)) return false;
        out_ += event.end ? " END>" : ">";
        split_ = false;
        return true;
      }
      case TGlyphKind::Var:
      case TGlyphKind::HistVar: {
        const auto& variable = static_cast<const TWdOpeVar&>(glyph);
        if (variable.expression.empty() || TrimText(variable.expression) != variable.expression) return false;
        out_ += glyph.Kind() == TGlyphKind::Var ? "<VAR NAME=" : "<HISTCHAR VALUE=";
        if (!RawValue(variable.expression, out_)) return false;
        out_ += '>';
        split_ = false;
        return true;
      }
      default:
        return false;
    }
  }

  void Number(const char* name, int32_t value, int32_t absent) {
    if (value != absent) out_ += name + std::to_string(value);
  }

  // A tag between two spaces keeps the second from being folded into the first.
  void Split() {
    if (split_) out_ += "<!---->";
    split_ = false;
  }

  bool Character(const TWdGlyph& glyph) {
    uint16_t code = glyph.CharCode();
    if (code > 0xFF) {
      char trail = static_cast<char>(code & 0xFF);
      if (!IsLeadByte(static_cast<uint8_t>(code >> 8)) || trail == '\r' || trail == '\n') return false;
      out_ += static_cast<char>(code >> 8);
      out_ += static_cast<char>(code & 0xFF);
      split_ = false;
      return true;
    }
    char byte = static_cast<char>(code);
    if (IsLeadByte(static_cast<uint8_t>(code)) || byte == '\r' || byte == '\n' || byte == '\t' || byte == 0x14) {
      return false;
    }
    if (byte == ' ') {
      Split();
      out_ += ' ';
      split_ = true;
      return true;
    }
    split_ = false;
    if (byte == '<' || byte == '>' || byte == '"' || byte == '\\' || byte == '%' || byte == '{' || byte == '}') {
      out_ += '\\';
    }
    out_ += byte;
    return true;
  }

  bool Condition(const std::string& text) {
    if (text == condition_) return true;
    if (text.empty()) {
      out_ += "</IF>";
    } else {
      out_ += "<IF TARGET=";
      if (!EscapedValue(text, out_)) return false;
      out_ += '>';
    }
    condition_ = text;
    split_ = false;
    return true;
  }

  bool LinkAndWait(const TWdGlyph& glyph) {
    if (glyph.LinkHref() != href_ || glyph.LinkTarget() != target_) {
      if (glyph.LinkHref().empty()) {
        if (!glyph.LinkTarget().empty()) return false;
        out_ += "</A>";
      } else {
        out_ += "<A HREF=";
        if (!EscapedValue(glyph.LinkHref(), out_)) return false;
        if (!glyph.LinkTarget().empty()) {
          out_ += " IfTarget=";
          if (!EscapedValue(glyph.LinkTarget(), out_)) return false;
        }
        out_ += '>';
      }
      href_ = glyph.LinkHref();
      target_ = glyph.LinkTarget();
      split_ = false;
    }
    if (glyph.Wait() != wait_) {
      if (wait_pushed_) out_ += "</WAIT>";
      wait_pushed_ = glyph.Wait() != kDefaultTextDelay;
      if (wait_pushed_) out_ += "<WAIT VALUE=" + std::to_string(glyph.Wait()) + ">";
      wait_ = glyph.Wait();
      split_ = false;
    }
    return true;
  }

  bool Decoration(const TDecorateValues& next) {
    static const std::pair<uint8_t, const char*> kBits[] = {
        {fsBold, "B"}, {fsItalic, "I"}, {fsUnderline, "U"}, {fsStrikeOut, "S"}};
    if (next.style & ~(fsBold | fsItalic | fsUnderline | fsStrikeOut)) return false;
    // Closers first, innermost first, then openers: the tags read as nested.
    for (auto it = std::rbegin(kBits); it != std::rend(kBits); ++it) {
      if ((current_.style & it->first) && !(next.style & it->first)) {
        out_ += std::string("</") + it->second + ">";
        split_ = false;
      }
    }
    for (const auto& [bit, name] : kBits) {
      if (!(current_.style & bit) && (next.style & bit)) {
        out_ += std::string("<") + name + ">";
        split_ = false;
      }
    }
    if (next.no_break != current_.no_break) {
      out_ += next.no_break ? "<NOBR>" : "</NOBR>";
      split_ = false;
    }
    if (next.ruby != current_.ruby) {
      if (next.ruby.empty()) {
        out_ += "</RUBY>";
      } else {
        out_ += "<RUBY VALUE=";
        if (!RawValue(next.ruby, out_)) return false;
        out_ += '>';
      }
      split_ = false;
    }
    TDecorateValues font = next;
    font.style = current_.style;
    font.no_break = current_.no_break;
    font.ruby = current_.ruby;
    if (!(font == current_)) {
      if (font_pushed_) out_ += "</FONT>";
      TDecorateValues base;
      base.border_width = base.shadow_width = -1;
      base.style = font.style;
      base.no_break = font.no_break;
      base.ruby = font.ruby;
      font_pushed_ = !(font == base);
      if (font_pushed_) {
        std::string tag = "<FONT";
        if (font.size != 0) tag += " SIZE=" + std::to_string(font.size);
        auto color = [&](const char* name, int32_t value) {
          if (value == -1) return true;
          if (value < 0 || value > 0xFFFFFF) return false;
          tag += std::string(" ") + name + "=" + ColorText(value);
          return true;
        };
        if (!color("COLOR", font.color) || !color("BCOLOR", font.border_color) || !color("SCOLOR", font.shadow_color)) {
          return false;
        }
        if (!font.face.empty()) {
          tag += " NAME=";
          if (!RawValue(font.face, tag)) return false;
        }
        auto width = [&](const char* name, int32_t value) {
          if (value == -1) return true;
          if (value < 0) return false;
          tag += std::string(" ") + name + "=" + std::to_string(value);
          return true;
        };
        if (!width("BORDER", font.border_width) || !width("SHADOW", font.shadow_width)) return false;
        out_ += tag + ">";
      }
      split_ = false;
    }
    current_ = next;
    return true;
  }

  std::string out_;
  std::string condition_;
  std::string href_, target_;
  int32_t wait_ = kDefaultTextDelay;
  bool wait_pushed_ = false;
  TDecorateValues current_ = [] {
    TDecorateValues values;
    values.border_width = values.shadow_width = -1;
    return values;
  }();
  bool font_pushed_ = false;
  bool split_ = false;  // the markup ends in a space that a following space would join
};

}  // namespace

bool GlyphsToMarkup(const TKwWord& document, std::string& markup) { return TMarkupWriter().Write(document, markup); }

std::vector<std::string> SplitMarkupLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char byte = text[i];
    if (byte == '\r' || byte == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      open = false;
      if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += byte;
      open = true;
    }
  }
  if (open) lines.push_back(std::move(line));
  return lines;
}

std::string MarkupToGlyphStream(std::string_view markup, int32_t text_delay) {
  TKwWord document;
  document.BuildFromMarkup(SplitMarkupLines(markup), text_delay);
  return document.GlyphStreamBytes();
}

bool GlyphStreamToMarkup(std::string_view stream, std::string& markup) {
  TKwWord document;
  try {
    TSpanStream input(stream.data(), stream.size());
    document.LoadGlyphs(input);
    if (!GlyphsToMarkup(document, markup)) return false;
    return MarkupToGlyphStream(markup) == stream;
  } catch (const EOrvoError&) {
    return false;
  }
}

}  // namespace orvo
