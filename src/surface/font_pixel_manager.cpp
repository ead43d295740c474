#include "surface/font_pixel_manager.h"

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "base/error.h"

namespace orvo {

namespace {

const std::string& FallbackFace() {
  static const std::string face = Utf8ToCp932("ＭＳ ゴシック");
  return face;
}

// Sorted like a list a person reads: ASCII case aside, then by bytes.
bool NameBefore(const std::string& a, const std::string& b) {
  std::string la = LowerAscii(a), lb = LowerAscii(b);
  return la != lb ? la < lb : a < b;
}

char32_t DecodeUtf8One(const std::string& text) {
  if (text.empty()) return 0xFFFD;
  auto c = static_cast<unsigned char>(text[0]);
  int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
  char32_t code = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
  for (int k = 1; k <= extra; ++k) {
    if (static_cast<size_t>(k) >= text.size()) return 0xFFFD;
    code = (code << 6) | (static_cast<unsigned char>(text[static_cast<size_t>(k)]) & 0x3F);
  }
  return code;
}

}  // namespace

char32_t UnicodeOfCode(uint16_t code) {
  if (code < 0x80) return code;
  std::string bytes;
  if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
  bytes.push_back(static_cast<char>(code & 0xFF));
  std::string utf8;
  if (!TryCp932ToUtf8(bytes, utf8)) return 0xFFFD;
  return DecodeUtf8One(utf8);
}

std::vector<uint16_t> CodesOfText(std::string_view cp932) {
  std::vector<uint16_t> codes;
  for (size_t i = 0; i < cp932.size();) {
    size_t length = CharLength(cp932, i);
    uint16_t code = static_cast<uint8_t>(cp932[i]);
    if (length == 2) code = static_cast<uint16_t>((code << 8) | static_cast<uint8_t>(cp932[i + 1]));
    codes.push_back(code);
    i += length;
  }
  return codes;
}

TFontPixelManager::TFontPixelManager(ISystemFonts* system, TPixelFontManager& pixel_fonts, TInstalledFilter filter)
    : system_(system), pixel_fonts_(pixel_fonts) {
  if (!system_) return;
  struct TEntry {
    std::string listed;
    std::vector<std::string> names;
    int32_t face;
  };
  std::vector<TEntry> entries;
  const std::vector<TSystemFace>& faces = system_->Faces();
  for (size_t i = 0; i < faces.size(); ++i) {
    if (filter == TInstalledFilter::JapaneseOnly && faces[i].charset != kCharsetShiftJis) continue;
    TEntry entry{{}, {}, static_cast<int32_t>(i)};
    for (const std::string& utf8 : faces[i].names) {
      std::string name;
      if (!TryUtf8ToCp932(utf8, name) || name.empty()) continue;
      entry.names.push_back(name);
    }
    if (entry.names.empty()) continue;
    entry.listed = entry.names.front();
    entries.push_back(std::move(entry));
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TEntry& a, const TEntry& b) { return NameBefore(a.listed, b.listed); });
  for (const TEntry& entry : entries) {
    // A name that an earlier face already answers to stays with that face.
    if (FindFont(entry.listed)) continue;
    const TSystemFace& face = faces[static_cast<size_t>(entry.face)];
    for (size_t n = 0; n < entry.names.size(); ++n) {
      if (n > 0 && FindFont(entry.names[n])) continue;
      auto font = std::make_unique<TInstalledFont>();
      font->face = entry.face;
      font->charset = face.charset;
      font->fixed_pitch = face.fixed_pitch;
      font->primary = n == 0;
      font->family = entry.listed;
      font->file = face.file;
      installed_.Add(std::move(font), entry.names[n]);
    }
  }
}

TFontPixelManager::~TFontPixelManager() = default;

const TInstalledFont* TFontPixelManager::FindFont(std::string_view face) const { return installed_.Find(face); }

int32_t TFontPixelManager::GetCharset(std::string_view face) const {
  const TInstalledFont* font = FindFont(face);
  return font ? font->charset : kCharsetDefault;
}

void TFontPixelManager::ListFonts(std::vector<std::string>& list, TFontListing listing) const {
  for (const auto& font : installed_) {
    if (!font->primary) continue;
    if (listing == TFontListing::FixedOnly && !font->fixed_pitch) continue;
    list.push_back(font->Name());
  }
  for (size_t i = 0; i < pixel_fonts_.SectionCount(); ++i) {
    const TPixelFontHeader& header = pixel_fonts_.Section(i)->Header();
    if (!header.listed) continue;
    bool present =
        std::any_of(list.begin(), list.end(), [&](const std::string& name) { return EqualsNoCase(name, header.face); });
    if (!present) list.push_back(header.face);
  }
}

void TFontPixelManager::UseDefaultFontsOnly() {
  static const std::vector<std::string> kKept = {Utf8ToCp932("ＭＳ Ｐゴシック"), Utf8ToCp932("ＭＳ Ｐ明朝"),
                                                 Utf8ToCp932("ＭＳ ゴシック"), Utf8ToCp932("ＭＳ 明朝")};
  std::vector<TInstalledFont*> doomed;
  for (const auto& font : installed_) {
    bool keep = std::any_of(kKept.begin(), kKept.end(),
                            [&](const std::string& name) { return EqualsNoCase(name, font->Name()); });
    if (!keep) doomed.push_back(font.get());
  }
  for (TInstalledFont* font : doomed) installed_.Remove(*font);
  // A kept name stands for its face now, even when it was not the listed one.
  for (const auto& font : installed_) {
    font->primary = true;
    font->family = font->Name();
  }
}

const TInstalledFont& TFontPixelManager::SystemFontFor(std::string_view face) const {
  if (const TInstalledFont* font = FindFont(face)) return *font;
  if (const TInstalledFont* font = FindFont(FallbackFace())) return *font;
  // Any scalable face beats an error that would stop every text of the game.
  for (const auto& font : installed_) {
    if (font->primary) return *font;
  }
  throw ErrorFromUtf8("標準フォントがインストールされていません");
}

bool TFontPixelManager::Render(const TInstalledFont& font, uint16_t code, int32_t size, uint8_t style,
                               TSystemGlyph& glyph, TSystemFontMetrics& metrics) {
  if (!system_) return false;
  TSystemFontRequest request{font.face, size, static_cast<uint8_t>(style & 3)};
  if (!system_->Metrics(request, metrics)) return false;
  char32_t unicode = UnicodeOfCode(code);
  if (mode_ == kGlyphModeSmooth) {
    if (system_->RenderGlyph(request, unicode, TGlyphDepth::Levels65, glyph)) return true;
    mode_ = kGlyphModeMono;
  }
  return system_->RenderGlyph(request, unicode, TGlyphDepth::OneBit, glyph);
}

TFontPixelManager::TRecency::iterator TFontPixelManager::FindCached(uint16_t code, std::string_view face, uint8_t style,
                                                                    int32_t size, int32_t mode) {
  for (TRecency::iterator it : lists_[code & 0xFF]) {
    const TFontPixel& glyph = **it;
    if (static_cast<uint16_t>(glyph.code_) == code && glyph.size_ == size && glyph.style_ == style &&
        glyph.mode_ == mode && glyph.face_ == face)
      return it;
  }
  return recency_.end();
}

std::shared_ptr<const TFontPixel> TFontPixelManager::GetGlyph(uint16_t code, std::string_view face, uint8_t style,
                                                              int32_t size) {
  TRecency::iterator found = FindCached(code, face, style, size, mode_);
  if (found != recency_.end()) {
    recency_.splice(recency_.begin(), recency_, found);
    return *found;
  }
  std::shared_ptr<TFontPixel> glyph = MakeGlyph(code, face, style, size);
  recency_.push_front(glyph);
  lists_[code & 0xFF].push_back(recency_.begin());
  if (recency_.size() > kGlyphCacheLimit) {
    // Holders of the oldest glyph keep it; the cache only lets go of its reference.
    TRecency::iterator oldest = std::prev(recency_.end());
    auto& list = lists_[static_cast<uint16_t>((*oldest)->code_) & 0xFF];
    list.erase(std::find(list.begin(), list.end(), oldest));
    recency_.erase(oldest);
  }
  return glyph;
}

std::shared_ptr<TFontPixel> TFontPixelManager::MakeGlyph(uint16_t code, std::string_view face, uint8_t style,
                                                         int32_t size) {
  auto glyph = std::make_shared<TFontPixel>();
  glyph->code_ = static_cast<int16_t>(code);
  glyph->face_ = std::string(face);
  glyph->size_ = size;
  glyph->style_ = style;
  glyph->mode_ = mode_;
  glyph->coverage_.SetSize(0, 0, 8);

  if (!FindFont(face)) {
    const TPixelFontSection* section = nullptr;
    TPixelGlyphRecord record;
    if (pixel_fonts_.ReadPixelGlyph(face, size, style, code, glyph->coverage_, section, record)) {
      const TPixelFontHeader& header = section->Header();
      int32_t width = record.IsBlank() ? 0 : record.width;
      glyph->left_ = std::max<int32_t>(0, record.origin_x);
      glyph->top_ = std::max<int32_t>(0, header.ascent - record.origin_y);
      glyph->right_pad_ = width + glyph->left_ < record.advance_x ? record.advance_x - width - glyph->left_ : 0;
      if (style & gsUnderline) glyph->underline_size_ = header.underline_size;
      if (style & gsStrikeOut) {
        glyph->strike_pos_ = header.ascent - header.strike_position;
        glyph->strike_size_ = header.strike_size;
      }
      glyph->source_ = TGlyphSource::PixelFont;
      glyph->abc_a_ = record.origin_x;
      glyph->abc_b_ = width;
      glyph->abc_c_ = record.advance_x - record.origin_x - width;
      return glyph;
    }
    glyph->coverage_.SetSize(0, 0, 8);
  }

  const TInstalledFont& font = SystemFontFor(face);
  TSystemGlyph rendered;
  TSystemFontMetrics metrics;
  if (!Render(font, code, size, style, rendered, metrics)) {
    glyph->unmade_ = true;
    return glyph;
  }
  glyph->mode_ = mode_;
  int32_t w = rendered.width, h = rendered.height;
  glyph->abc_a_ = rendered.origin_x;
  glyph->abc_b_ = w;
  glyph->abc_c_ = rendered.advance_x - rendered.origin_x - w;
  if (w <= 0 || h <= 0 || rendered.pixels.size() < static_cast<size_t>(w) * static_cast<size_t>(h)) {
    glyph->right_pad_ = rendered.advance_x;
    return glyph;
  }
  glyph->coverage_.SetSize(w, h, 8);
  glyph->left_ = std::max<int32_t>(0, rendered.origin_x);
  glyph->top_ = std::max<int32_t>(0, metrics.ascent - rendered.origin_y);
  glyph->right_pad_ = w + glyph->left_ < rendered.advance_x ? rendered.advance_x - w - glyph->left_ : 0;
  if (style & gsUnderline) glyph->underline_size_ = metrics.underline_size;
  if (style & gsStrikeOut) {
    glyph->strike_pos_ = metrics.ascent - metrics.strike_position;
    glyph->strike_size_ = metrics.strike_size;
  }
  bool mono = glyph->mode_ == kGlyphModeMono;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = glyph->coverage_.Store().ScanLine(y);
    const uint8_t* source = rendered.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
    for (int32_t x = 0; x < w; ++x) row[x] = mono ? (source[x] ? 255 : 0) : CoverageOfLevel(source[x]);
  }
  return glyph;
}

bool TFontPixelManager::SystemMetrics(std::string_view face, int32_t size, uint8_t style, TSystemFontMetrics& metrics) {
  const TInstalledFont& font = SystemFontFor(face);
  return system_ && system_->Metrics({font.face, size, static_cast<uint8_t>(style & 3)}, metrics);
}

TGlyphMetrics TFontPixelManager::GlyphMetrics(uint16_t code, std::string_view face, int32_t size, uint8_t style) {
  TGlyphMetrics answer;
  answer.height = size;
  if (!FindFont(face)) {
    if (const TPixelFontSection* section = pixel_fonts_.FindSection(face, size, style)) {
      if (const TPixelGlyphRecord* record = section->Find(code)) {
        int32_t width = record->IsBlank() ? 0 : record->width;
        answer.left = record->origin_x;
        answer.width = width;
        int32_t pad = record->advance_x - (width + record->origin_x);
        answer.right_pad = pad > 0 ? pad : 0;
        return answer;
      }
    }
  }
  const TInstalledFont& font = SystemFontFor(face);
  // A glyph made in the current mode carries the same numbers.
  TRecency::iterator cached = FindCached(code, face, style, size, mode_);
  if (cached != recency_.end() && FindFont(face) && !(*cached)->unmade_) {
    const TFontPixel& glyph = **cached;
    if (glyph.IsBlank()) {
      answer.width = glyph.right_pad_;
    } else {
      answer.left = glyph.left_;
      answer.width = glyph.coverage_.Width();
      answer.right_pad = glyph.right_pad_;
    }
    return answer;
  }
  TSystemGlyph rendered;
  TSystemFontMetrics metrics;
  if (!Render(font, code, size, style, rendered, metrics)) {
    answer.width = 16;
    return answer;
  }
  if (rendered.width > 0 && rendered.height > 0) {
    answer.left = std::max<int32_t>(0, rendered.origin_x);
    answer.width = rendered.width;
    answer.right_pad =
        rendered.width + answer.left < rendered.advance_x ? rendered.advance_x - rendered.width - answer.left : 0;
  } else {
    answer.width = rendered.advance_x;
  }
  return answer;
}

}  // namespace orvo
