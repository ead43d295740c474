#pragma once
// Fixtures of the glyph tests: ".oft" files written with the encoder (and
// patched where a test needs damage), glyphs built by hand, and a system
// font service that answers from a table instead of rasterising.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/system_fonts.h"
#include "support/test_support.h"
#include "surface/font_pixel_manager.h"
#include "surface/pixel_font.h"

namespace orvo {

// Test access to a glyph's fields.
struct TFontPixelAccess {
  // A glyph of the given coverage rows (top first) and placement.
  static std::shared_ptr<TFontPixel> Make(int32_t width, int32_t height, const std::vector<uint8_t>& rows, int32_t size,
                                          int32_t left, int32_t top, int32_t right_pad) {
    auto glyph = std::make_shared<TFontPixel>();
    glyph->coverage_.SetSize(width, height, 8);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x)
        glyph->coverage_.SetPixel(x, y, rows[static_cast<size_t>(y) * static_cast<size_t>(width) + x]);
    }
    glyph->size_ = size;
    glyph->left_ = left;
    glyph->top_ = top;
    glyph->right_pad_ = right_pad;
    glyph->abc_a_ = left;
    glyph->abc_b_ = width;
    glyph->abc_c_ = right_pad;
    return glyph;
  }
  static void SetBars(TFontPixel& glyph, int32_t underline, int32_t strike_pos, int32_t strike_size) {
    glyph.underline_size_ = underline;
    glyph.strike_pos_ = strike_pos;
    glyph.strike_size_ = strike_size;
  }
  static void SetAbc(TFontPixel& glyph, int32_t a, int32_t b, int32_t c) {
    glyph.abc_a_ = a;
    glyph.abc_b_ = b;
    glyph.abc_c_ = c;
  }
};

namespace test {

// A pixel font's header with plain metrics.
inline TPixelFontHeader FontHeader(const std::string& face, int32_t size, uint8_t style = 0, bool listed = true) {
  TPixelFontHeader header;
  header.face = face;
  header.size = size;
  header.style = style;
  header.ascent = 12;
  header.underline_size = 2;
  header.strike_position = 5;
  header.strike_size = 1;
  header.listed = listed;
  return header;
}

inline TPixelGlyphSource GlyphSource(uint16_t code, uint16_t width, uint16_t height, int16_t origin_x, int16_t origin_y,
                                     int16_t advance_x, uint8_t first_value = 1) {
  TPixelGlyphSource glyph{code, width, height, origin_x, origin_y, advance_x, {}};
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
    glyph.rows.push_back(static_cast<uint8_t>(first_value + i));
  return glyph;
}

// Writes an encoded font into a fresh file and returns its path.
inline std::string WriteFont(const std::string& bytes, const std::string& name = "font.oft") {
  static int serial = 0;
  std::string path = MakeTempDir("oft" + std::to_string(++serial)) + "/" + name;
  WriteFile(path, bytes);
  return path;
}

// A font "Pix" of size 10 whose printable ASCII letters are 8 x 8 squares
// of one coverage (the space is blank), written into a fresh file.
inline std::string SquareLetterFontFile(uint8_t coverage) {
  TPixelFontHeader header = FontHeader("Pix", 10);
  header.ascent = 8;
  std::vector<TPixelGlyphSource> sources;
  for (int code = 0x20; code < 0x7F; ++code) {
    TPixelGlyphSource glyph{static_cast<uint16_t>(code), 8, 8, 0, 8, 10, {}};
    glyph.rows.assign(64, code == ' ' ? 0 : coverage);
    sources.push_back(glyph);
  }
  return WriteFont(EncodePixelFont(header, sources), "pix.oft");
}

// The system font service of the tests: faces as given, one ascent for every
// size, glyphs from a table (a missing code is a blank character of advance size / 2).
class TTableFonts : public ISystemFonts {
 public:
  explicit TTableFonts(std::vector<TSystemFace> faces) : faces_(std::move(faces)) {}
  const std::vector<TSystemFace>& Faces() const override { return faces_; }
  bool Metrics(const TSystemFontRequest& request, TSystemFontMetrics& metrics) override {
    if (request.face < 0 || static_cast<size_t>(request.face) >= faces_.size()) return false;
    metrics = {10, 1, 4, 2};
    return true;
  }
  bool RenderGlyph(const TSystemFontRequest& request, char32_t code, TGlyphDepth depth, TSystemGlyph& glyph) override {
    ++renders;
    last_face = request.face;
    if (fail || (depth == TGlyphDepth::Levels65 && !smooth)) return false;
    auto found = glyphs.find(code);
    if (found == glyphs.end()) {
      glyph = {};
      glyph.advance_x = request.size / 2;
      return true;
    }
    glyph = found->second;
    if (depth == TGlyphDepth::OneBit) {
      for (uint8_t& p : glyph.pixels) p = p >= 32 ? 1 : 0;
    }
    return true;
  }

  std::map<char32_t, TSystemGlyph> glyphs;
  bool smooth = true;
  bool fail = false;  // no glyph at all
  int renders = 0;
  int32_t last_face = -1;

 private:
  std::vector<TSystemFace> faces_;
};

inline TSystemFace Face(std::vector<std::string> names, int32_t charset = kCharsetShiftJis, bool fixed = false) {
  return {std::move(names), "/fonts/" + std::to_string(charset), charset, fixed};
}

}  // namespace test
}  // namespace orvo
