#pragma once
// The glyph manager: turns (character code, face, size, style) into a glyph,
// from a pixel font of the game or from an installed system font, and keeps
// the 256 most recently used glyphs. One exists per process; text layout,
// message windows, labels and the system variables "@Fonts"/"@FixedFonts"
// reach it through the shell. See docs/surface.md, "Glyphs".
#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/hash_collection.h"
#include "platform/system_fonts.h"
#include "surface/font_pixel.h"
#include "surface/pixel_font.h"

namespace orvo {

// An installed system face under one of its names (CP932). Every name of a
// face has an item; the first name is the one listed.
class TInstalledFont : public THashItem {
 public:
  int32_t face = 0;  // index into ISystemFonts::Faces()
  int32_t charset = kCharsetAnsi;
  bool fixed_pitch = false;
  bool primary = false;  // the face's listed name
  std::string family;    // the listed name (CP932)
  std::string file;      // the face's file on disk
};

// Which installed faces the manager takes: all, or (under a Japanese
// locale) only those with the Shift-JIS character set.
enum class TInstalledFilter : uint8_t { All, JapaneseOnly };

// What ListFonts lists: every face, or only the fixed-pitch ones.
enum class TFontListing : uint8_t { All, FixedOnly };

// GlyphMetrics: the cell height (the size) and the horizontal layout of a character.
struct TGlyphMetrics {
  int32_t height = 0;
  int32_t left = 0;
  int32_t width = 0;
  int32_t right_pad = 0;
};

// Glyphs the cache keeps at most.
constexpr size_t kGlyphCacheLimit = 256;

class TFontPixelManager {
 public:
  // system may be null (no installed fonts); pixel_fonts outlives the manager.
  TFontPixelManager(ISystemFonts* system, TPixelFontManager& pixel_fonts,
                    TInstalledFilter filter = TInstalledFilter::All);
  ~TFontPixelManager();
  TFontPixelManager(const TFontPixelManager&) = delete;
  TFontPixelManager& operator=(const TFontPixelManager&) = delete;

  // The glyph of a CP932 code (one byte, or lead byte << 8 | trail byte) in
  // a face (CP932) at a cell height, in the current glyph mode. A face that
  // is neither installed nor a pixel font with that glyph falls back to
  // "ＭＳ ゴシック" (else the first installed face); with no installed face at
  // all this raises "標準フォントがインストールされていません". The glyph is
  // shared: it stays valid for its holders after the cache drops it.
  std::shared_ptr<const TFontPixel> GetGlyph(uint16_t code, std::string_view face, uint8_t style, int32_t size);
  // Layout of a character without drawing it (same fallback and error).
  TGlyphMetrics GlyphMetrics(uint16_t code, std::string_view face, int32_t size, uint8_t style);

  // The metrics of the system font that draws a face (same fallback and
  // error as GetGlyph); false when the font cannot be made at that size.
  bool SystemMetrics(std::string_view face, int32_t size, uint8_t style, TSystemFontMetrics& metrics);

  // kGlyphModeSmooth (3) or kGlyphModeMono (0); a failed smoothed request switches to 0.
  void SetGlyphMode(int32_t mode) { mode_ = mode == kGlyphModeMono ? kGlyphModeMono : kGlyphModeSmooth; }
  int32_t GlyphMode() const { return mode_; }

  // The installed font of a name (any of its names, any ASCII case), or null.
  const TInstalledFont* FindFont(std::string_view face) const;
  // Its character set; kCharsetDefault (1) for an unknown face.
  int32_t GetCharset(std::string_view face) const;
  // Appends the installed faces (by listed name, sorted), then the faces of
  // listed pixel fonts that are not in the list yet.
  void ListFonts(std::vector<std::string>& list, TFontListing listing) const;
  // Keeps only "ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝", "ＭＳ ゴシック" and "ＭＳ 明朝".
  void UseDefaultFontsOnly();

  TPixelFontManager& PixelFonts() { return pixel_fonts_; }
  // Glyphs held by the cache now (at most kGlyphCacheLimit).
  size_t CachedCount() const { return recency_.size(); }

 private:
  using TRecency = std::list<std::shared_ptr<TFontPixel>>;

  TRecency::iterator FindCached(uint16_t code, std::string_view face, uint8_t style, int32_t size, int32_t mode);
  std::shared_ptr<TFontPixel> MakeGlyph(uint16_t code, std::string_view face, uint8_t style, int32_t size);
  // The installed font to draw a face with: the face itself, else the fallback; raises when none exists.
  const TInstalledFont& SystemFontFor(std::string_view face) const;
  // Renders through the current glyph mode, switching to 1 bit when smoothing fails.
  bool Render(const TInstalledFont& font, uint16_t code, int32_t size, uint8_t style, TSystemGlyph& glyph,
              TSystemFontMetrics& metrics);

  ISystemFonts* system_;
  TPixelFontManager& pixel_fonts_;
  int32_t mode_ = kGlyphModeSmooth;
  THashCollection<TInstalledFont> installed_;
  std::array<std::vector<TRecency::iterator>, 256> lists_;
  TRecency recency_;
};

// The Unicode character of a CP932 code; U+FFFD for codes that do not convert.
char32_t UnicodeOfCode(uint16_t code);
// The CP932 codes of a text's characters, in order.
std::vector<uint16_t> CodesOfText(std::string_view cp932);

}  // namespace orvo
