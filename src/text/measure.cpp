#include "text/measure.h"

#include <algorithm>
#include <climits>

#include "base/cp932.h"
#include "base/error.h"
#include "base/rect.h"
#include "surface/font_pixel_manager.h"
#include "text/break_rules.h"
#include "text/kw_word.h"

namespace orvo {

namespace {

// Fonts whose widths are kept; a text rarely uses more than a handful.
constexpr size_t kMeasuredFontLimit = 32;

// The tables hold CP932 codes (lead byte x 256 + trail byte) because they are
// compared with game text.
constexpr uint16_t kNoStart[] = {0x8142, 0x8141, 0xA3, 0x8176, 0x8178, ')',    0x816A,
                                 0xA4,   0xA1,   '!',  '?',    0x8149, 0x8148, 0x817A};
constexpr uint16_t kNoEnd[] = {0xA2, 0x8175, 0x8177, 0x8169, '(', '[', '<', 0x8179};

template <size_t N>
bool InTable(const uint16_t (&table)[N], uint16_t code) {
  return code != 0 && std::find(std::begin(table), std::end(table), code) != std::end(table);
}

uint16_t CodeOfText(std::string_view text) {
  if (text.size() == 1) return static_cast<uint8_t>(text[0]);
  if (text.size() == 2 && IsLeadByte(static_cast<uint8_t>(text[0]))) {
    return static_cast<uint16_t>(static_cast<uint8_t>(text[0]) << 8 | static_cast<uint8_t>(text[1]));
  }
  return 0;
}

int32_t Saturate(int64_t value) { return ClampToInt32(value); }

}  // namespace

bool MayNotStartRow(std::string_view text) { return InTable(kNoStart, CodeOfText(text)); }
bool MayNotEndRow(std::string_view text) { return InTable(kNoEnd, CodeOfText(text)); }
bool MayNotStartRow(uint16_t code) { return InTable(kNoStart, code); }
bool MayNotEndRow(uint16_t code) { return InTable(kNoEnd, code); }

void TMeasureState::Reset() {
  selected_ = false;
  face_.clear();
  fonts_.clear();
  current_ = nullptr;
}

void TMeasureState::Select(const TFontKey& key, const std::string& face) {
  key_ = key;
  selected_ = true;
  if (face.empty()) return;  // nothing found: the font selected before measures on
  face_ = face;
  measure_size_ = key.size;
  measure_style_ = key.style & 3;
  current_ = nullptr;
}

TMeasureState::TWidths* TMeasureState::Current() {
  if (current_) return current_;
  for (auto& font : fonts_) {
    if (font->size == measure_size_ && font->style == measure_style_ && font->face == face_) {
      return current_ = font.get();
    }
  }
  if (fonts_.size() >= kMeasuredFontLimit) fonts_.erase(fonts_.begin());
  auto font = std::make_unique<TWidths>();
  font->face = face_;
  font->size = measure_size_;
  font->style = measure_style_;
  font->by_code.assign(65536, INT32_MIN);
  fonts_.push_back(std::move(font));
  return current_ = fonts_.back().get();
}

int32_t TMeasureState::Width(TFontPixelManager* fonts, uint16_t code, int32_t size) {
  if (!fonts || face_.empty()) return size;
  TWidths* font = Current();
  int32_t& width = font->by_code[code];
  if (width == INT32_MIN) {
    TGlyphMetrics metrics = fonts->GlyphMetrics(code, font->face, font->size, font->style);
    int64_t advance = static_cast<int64_t>(metrics.left) + metrics.width;
    if (metrics.right_pad > 0) advance += metrics.right_pad;
    width = Saturate(std::max<int64_t>(advance, INT32_MIN + 1));
  }
  return width;
}

void TKwWord::SelectFont(const TDecorate* decoration, bool underline) {
  TMeasureState::TFontKey key;
  key.size = decoration && decoration->size != 0 ? decoration->size : default_font_size;
  key.style = decoration ? decoration->style : 0;
  key.underline = underline;
  key.face = decoration && !decoration->face.empty() ? decoration->face
             : !default_face_name.empty()            ? default_face_name
                                                     : std::string(kDefaultFaceName);
  std::string found;
  if (fonts) {
    const TInstalledFont* font = fonts->FindFont(key.face);
    if (!font) font = fonts->FindFont(kDefaultFaceName);
    if (font) found = font->family;
  }
  measure_.Select(key, found);
}

TCharSize TKwWord::MeasureChar(const TDecorate* decoration, uint16_t code, bool underline) {
  int64_t h = decoration && decoration->size != 0 ? decoration->size : default_font_size;
  std::string_view face = decoration && !decoration->face.empty() ? std::string_view(decoration->face)
                          : !default_face_name.empty()            ? std::string_view(default_face_name)
                                                                  : kDefaultFaceName;
  if (!measure_.IsSelected(face, static_cast<int32_t>(h), decoration ? decoration->style : 0, underline)) {
    SelectFont(decoration, underline);
  }
  int64_t w = fixed_advance ? h : measure_.Width(fonts, code, static_cast<int32_t>(h));
  if (decoration && (decoration->style & fsItalic)) w += h / 5;
  if (decoration && !decoration->ruby.empty()) h += std::max<int64_t>(1, h / 2);
  int64_t border = decoration && decoration->border_width >= 0 ? decoration->border_width : default_border_width;
  w += 2 * border;
  h += 2 * border;
  int64_t shadow = decoration && decoration->shadow_width >= 0 ? decoration->shadow_width : default_shadow_width;
  w += shadow;
  h += shadow;
  return {Saturate(w), Saturate(h)};
}

void TKwWord::Measure(TWdGlyph& glyph) {
  switch (glyph.Kind()) {
    case TGlyphKind::Char:
    case TGlyphKind::VarChar: {
      TCharSize size =
          MeasureChar(glyph.Decoration(), glyph.CharCode(), !glyph.LinkHref().empty() && glyph.LinkEnabled());
      glyph.width = size.width;
      glyph.height = size.height;
      break;
    }
    case TGlyphKind::Img: {
      auto& image = static_cast<TWdImg&>(glyph);
      image.loaded = image.hover_loaded = image.down_loaded = false;
      int64_t w = 0, h = 0;
      if (pictures && pictures->PictureSize(image.source, image.picture_width, image.picture_height)) {
        image.loaded = true;
        w = image.picture_width;
        h = image.picture_height;
        if (!image.hover_source.empty() &&
            pictures->PictureSize(image.hover_source, image.hover_width, image.hover_height)) {
          image.hover_loaded = true;
          w = std::max<int64_t>(w, image.hover_width);
          h = std::max<int64_t>(h, image.hover_height);
        }
        if (!image.down_source.empty() &&
            pictures->PictureSize(image.down_source, image.down_width, image.down_height)) {
          image.down_loaded = true;
          w = std::max<int64_t>(w, image.down_width);
          h = std::max<int64_t>(h, image.down_height);
        }
      }
      w += static_cast<int64_t>(image.margin_left) + image.margin_right;
      h += static_cast<int64_t>(image.margin_top) + image.margin_bottom;
      glyph.width = Saturate(w);
      glyph.height = Saturate(h);
      break;
    }
    default:
      glyph.width = 0;
      glyph.height = 0;
      break;
  }
}

TBreakFacts FactsOf(const TWdGlyph* glyph, std::string_view key) {
  TBreakFacts facts;
  if (!glyph) return facts;
  facts.exists = true;
  TGlyphKind kind = glyph->Kind();
  facts.line_break = kind == TGlyphKind::Return || kind == TGlyphKind::VarReturn;
  if (kind == TGlyphKind::Char || kind == TGlyphKind::VarChar) facts.code = glyph->CharCode();
  if (const TDecorate* style = glyph->Decoration()) {
    facts.no_break = style->no_break;
    if (!style->ruby.empty()) facts.ruby = &style->ruby;
  }
  facts.shown = TKwWord::ConditionHolds(glyph->Condition(), key);
  facts.width = glyph->width;
  return facts;
}

bool TKwWord::BreakAllowed(const TWdGlyph* before, const TWdGlyph* after) {
  return BreakAllowedByFacts(FactsOf(before, {}), FactsOf(after, {}));
}

TUnitSize TKwWord::MeasureUnit(int32_t index, std::string_view key, int32_t last_index) const {
  return MeasureUnitByFacts(index, last_index, [&](int32_t i) { return FactsOf(GlyphAt(i), key); });
}

}  // namespace orvo
