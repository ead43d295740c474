// Markup to glyphs: each token either adds glyphs in the style in force or
// changes that style. Tags never check their pairing.
#include "base/cp932.h"
#include "text/kw_word.h"
#include "text/markup.h"
#include "vars/engine.h"

namespace orvo {

namespace {

// "<A>タグにHREF値がありません" and "<IF>タグにTARGET値がありません" in CP932.
constexpr std::string_view kNoHref =
    "<A>\x83\x5e\x83\x4f\x82\xc9HREF\x92\x6c\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
constexpr std::string_view kNoTarget =
    "<IF>\x83\x5e\x83\x4f\x82\xc9TARGET\x92\x6c\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";

}  // namespace

class TMarkupBuilder {
 public:
  TMarkupBuilder(TKwWord& document, int32_t text_delay) : document_(document), style_(text_delay) {}

  void Token(const std::string& token) {
    tag_.ParseTag(token);
    switch (tag_.TagCode()) {
      case tcText:
        Characters(token);
        break;
      case tcA: {
        std::string href = Unescape(tag_.AttrValue("HREF", ""));
        if (href.empty()) throw EMarkupError(std::string(kNoHref));
        style_.href = href;
        style_.target = Unescape(tag_.AttrValue("IfTarget", ""));
        break;
      }
      case tcAEnd:
        style_.href.clear();
        style_.target.clear();
        break;
      case tcB:
      case tcBEnd:
        Bit(fsBold);
        break;
      case tcI:
      case tcIEnd:
        Bit(fsItalic);
        break;
      case tcS:
      case tcSEnd:
        Bit(fsStrikeOut);
        break;
      case tcU:
      case tcUEnd:
        Bit(fsUnderline);
        break;
      case tcFont:
        Font();
        break;
      case tcFontEnd:
        style_.size.Pop();
        style_.color.Pop();
        style_.border_color.Pop();
        style_.shadow_color.Pop();
        style_.face.Pop();
        style_.border_width.Pop();
        style_.shadow_width.Pop();
        break;
      case tcNoBr:
        style_.no_break = true;
        break;
      case tcNoBrEnd:
        style_.no_break = false;
        break;
      case tcRuby:
        style_.ruby = tag_.AttrValue("VALUE", "");
        break;
      case tcRubyEnd:
        style_.ruby.clear();
        break;
      case tcDiv:
        style_.align.Push(tag_.AttrAlign(asLeft | asRight | asCenter, waLeft));
        Div();
        break;
      case tcDivEnd:
        style_.align.Pop();
        Div();
        break;
      case tcIndent:
        Operator(std::make_unique<TWdOpeIndent>(document_));
        break;
      case tcUndent:
        Operator(std::make_unique<TWdOpeUndent>(document_));
        break;
      case tcBr:
      case tcClear: {
        auto line_break = std::make_unique<TWdOpeReturn>(document_);
        line_break->clear = tag_.TagCode() == tcClear || tag_.HasAttr("CLEAR");
        Operator(std::move(line_break));
        break;
      }
      case tcEvent: {
        auto event = std::make_unique<TWdOpeEvent>(document_);
        event->value = Unescape(tag_.AttrValue("VALUE", ""));
        if (tag_.HasAttr("END")) event->value.insert(0, 1, '\x01');
        Operator(std::move(event));
        break;
      }
      case tcWait:
        style_.wait.Push(tag_.AttrInt("VALUE", style_.wait.Top()));
        break;
      case tcWaitEnd:
        style_.wait.Pop();
        break;
      case tcVar:
        Variable(std::make_unique<TWdOpeVar>(document_), tag_.AttrValue("NAME", ""));
        break;
      case tcHistChar:
        Variable(std::make_unique<TWdOpeHistChar>(document_), tag_.AttrValue("VALUE", ""));
        break;
      case tcImg:
        Image();
        break;
      case tcIf: {
        std::string target = Unescape(tag_.AttrValue("TARGET", ""));
        if (target.empty()) throw EMarkupError(std::string(kNoTarget));
        style_.condition = target;
        break;
      }
      case tcIfEnd:
        style_.condition.clear();
        break;
      default:
        break;
    }
  }

 private:
  void Bit(uint8_t bit) {
    bool set = tag_.TagCode() % 2 == 0;  // openers have even codes, closers odd
    style_.style = static_cast<uint8_t>(set ? style_.style | bit : style_.style & ~bit);
  }

  void Font() {
    style_.size.Push(tag_.AttrInt("SIZE", style_.size.Top()));
    style_.color.Push(tag_.AttrColor("COLOR", style_.color.Top()));
    style_.border_color.Push(tag_.AttrColor("BCOLOR", style_.border_color.Top()));
    style_.shadow_color.Push(tag_.AttrColor("SCOLOR", style_.shadow_color.Top()));
    style_.face.Push(tag_.HasAttr("NAME") ? tag_.AttrValue("NAME", "") : style_.face.Top());
    style_.border_width.Push(Width("BORDER", style_.border_width.Top()));
    style_.shadow_width.Push(Width("SHADOW", style_.shadow_width.Top()));
  }

  int32_t Width(std::string_view name, int32_t current) const {
    if (!tag_.HasAttr(name)) return current;
    int32_t value = tag_.AttrInt(name, 1);
    return value < 0 ? 0 : value;
  }

  TDecorateValues Decoration() const {
    TDecorateValues values;
    values.color = style_.color.Top();
    values.border_color = style_.border_color.Top();
    values.shadow_color = style_.shadow_color.Top();
    values.size = style_.size.Top();
    values.style = style_.style;
    values.face = style_.face.Top();
    values.no_break = style_.no_break;
    values.ruby = style_.ruby;
    values.border_width = style_.border_width.Top();
    values.shadow_width = style_.shadow_width.Top();
    return values;
  }

  void Characters(std::string_view text) {
    if (text.empty()) return;
    // One acquire per run: the characters of a token share their style.
    TDecorate* decoration = document_.decorations.AcquireDecorate(Decoration());
    TWdLink* link = document_.links.AcquireLink(style_.href, style_.target);
    TWdCondition* condition = document_.conditions.AcquireCondition(style_.condition);
    int32_t wait = style_.wait.Top();
    bool first = true;
    for (size_t i = 0; i < text.size();) {
      size_t length = CharLength(text, i);
      auto character = std::make_unique<TWdChar>(document_);
      character->code_ =
          length == 2 ? static_cast<uint16_t>(static_cast<uint8_t>(text[i]) << 8 | static_cast<uint8_t>(text[i + 1]))
                      : static_cast<uint8_t>(text[i]);
      if (!first) {
        ++decoration->ref_count;
        ++link->ref_count;
        ++condition->ref_count;
      }
      first = false;
      character->decoration_ = decoration;
      character->link_ = link;
      character->condition_ = condition;
      character->wait_ = wait;
      document_.AppendGlyph(std::move(character));
      i += length;
    }
  }

  void Div() {
    auto div = std::make_unique<TWdOpeDiv>(document_);
    div->align = style_.align.Top();
    div->pad_left = tag_.AttrInt("PadLeft", kPaddingUnset);
    div->pad_right = tag_.AttrInt("PadRight", kPaddingUnset);
    div->no_height = tag_.HasAttr("NoHeight");
    Operator(std::move(div));
  }

  void Variable(std::unique_ptr<TWdOpeVar> variable, std::string expression) {
    if (expression.empty()) return;
    variable->expression = std::move(expression);
    variable->decoration_ = document_.decorations.AcquireDecorate(Decoration());
    variable->link_ = document_.links.AcquireLink(style_.href, style_.target);
    variable->wait_ = style_.wait.Top();
    Append(std::move(variable));
  }

  void Image() {
    std::string source = tag_.AttrValue("SRC", "");
    if (source.empty()) return;
    auto image = std::make_unique<TWdImg>(document_);
    image->source = std::move(source);
    image->hover_source = tag_.AttrValue("HoverSrc", "");
    image->down_source = tag_.AttrValue("DownSrc", "");
    image->align = tag_.AttrAlign(asCenter | asTop | asBottom, waBottom);
    image->link_ = document_.links.AcquireLink(style_.href, style_.target);
    image->wait_ = style_.wait.Top();
    image->margin_left = tag_.AttrInt("MgnLeft", 0);
    image->margin_right = tag_.AttrInt("MgnRight", 0);
    image->margin_top = tag_.AttrInt("MgnTop", 0);
    image->margin_bottom = tag_.AttrInt("MgnBottom", 0);
    Append(std::move(image));
  }

  void Operator(std::unique_ptr<TWdGlyph> glyph) { Append(std::move(glyph)); }

  void Append(std::unique_ptr<TWdGlyph> glyph) {
    glyph->condition_ = document_.conditions.AcquireCondition(style_.condition);
    document_.AppendGlyph(std::move(glyph));
  }

  TKwWord& document_;
  TTagValList style_;
  TTag tag_;
};

void TKwWord::BuildFromMarkup(const std::vector<std::string>& lines) {
  BuildFromMarkup(lines, engine ? engine->Store().TextDelay() : kDefaultTextDelay);
}

void TKwWord::BuildFromMarkup(const std::vector<std::string>& lines, int32_t text_delay) {
  ClearGlyphs();
  TMarkupBuilder builder(*this, text_delay);
  for (const std::string& token : Tokenize(lines)) builder.Token(token);
}

}  // namespace orvo
