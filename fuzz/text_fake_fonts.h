#pragma once
// A system-font service for the text fuzz targets: one face under the
// default name whose every character is a small solid box, so that layout,
// rendering and drawing run without fontconfig or font files.
#include <vector>

#include "platform/system_fonts.h"

namespace orvo::fuzz {

class TBoxFonts : public ISystemFonts {
 public:
  TBoxFonts() {
    TSystemFace face;
    face.names = {"ＭＳ ゴシック", "Box"};
    face.charset = kCharsetShiftJis;
    faces_.push_back(face);
  }
  const std::vector<TSystemFace>& Faces() const override { return faces_; }
  bool Metrics(const TSystemFontRequest& request, TSystemFontMetrics& metrics) override {
    metrics.ascent = request.size > 0 ? request.size * 3 / 4 : 8;
    metrics.underline_size = 1;
    metrics.strike_position = 3;
    metrics.strike_size = 1;
    return true;
  }
  bool RenderGlyph(const TSystemFontRequest& request, char32_t code, TGlyphDepth depth, TSystemGlyph& glyph) override {
    (void)request;
    glyph.width = code == U' ' ? 0 : 5;
    glyph.height = code == U' ' ? 0 : 7;
    glyph.origin_x = 1;
    glyph.origin_y = 7;
    glyph.advance_x = 7;
    glyph.pixels.assign(static_cast<size_t>(glyph.width * glyph.height), depth == TGlyphDepth::OneBit ? 1 : 64);
    return true;
  }

 private:
  std::vector<TSystemFace> faces_;
};

}  // namespace orvo::fuzz
