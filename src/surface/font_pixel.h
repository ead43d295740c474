#pragma once
// A glyph: an 8-bit coverage bitmap (0 empty .. 255 covered) as large as the
// character's black box, with its placement in the character cell, and the
// drawing of it into a colour layer and an 8-bit mask with outline, shadow,
// underline and strike-out. Text drawing composes the layer through the mask
// afterwards (DrawMask).
//
// Glyphs come from TFontPixelManager::GetGlyph and are shared: a page or a
// label may keep one after the cache has let it go.
#include <cstdint>
#include <string>

#include "surface/dibx.h"
#include "surface/rect.h"

namespace orvo {

class TFontPixelManager;

// Style bits of fonts and glyphs.
enum TGlyphStyle : uint8_t { gsBold = 1, gsItalic = 2, gsUnderline = 4, gsStrikeOut = 8 };

// Glyph modes: 65 coverage levels, or 1 bit per pixel.
constexpr int32_t kGlyphModeSmooth = 3;
constexpr int32_t kGlyphModeMono = 0;

// Where the glyph stands in a run of text: a run's first glyph moves the
// shadow of its bars right by the shadow offset, the last one stops its own
// bars early by as much, so an underlined run's shadow stays offset.
enum class TRunEdge : uint8_t { Middle = 0, Start = 1, End = 2, Alone = 3 };

// Where a glyph's bitmap came from.
enum class TGlyphSource : uint8_t { System, PixelFont };

// Box mode paints the glyph's whole box (colour layer filled, mask copied)
// instead of blending into what is there.
enum class TGlyphBox : uint8_t { Blend, Box };

// Outlines wider than this are drawn this wide: each covered pixel stamps
// (2o + 1)^2 - 1 targets, and a script may ask for any width.
constexpr int32_t kMaxGlyphOutline = 64;

// How one glyph is drawn: outline width, shadow offset, run position and the
// native pixels (ColorToPixel of the destination) of text, outline and shadow.
struct TGlyphPaint {
  int32_t outline = 0;
  int32_t shadow = 0;
  TRunEdge edge = TRunEdge::Middle;
  uint32_t colour = 0;
  uint32_t outline_colour = 0;
  uint32_t shadow_colour = 0;
  TGlyphBox box = TGlyphBox::Blend;
};

class TFontPixel {
 public:
  TFontPixel() = default;
  TFontPixel(const TFontPixel&) = delete;
  TFontPixel& operator=(const TFontPixel&) = delete;

  // The coverage bitmap (8 bits); empty for a blank glyph such as a space.
  const TDIBX& Coverage() const { return coverage_; }
  bool IsBlank() const { return coverage_.IsEmpty(); }
  int16_t Code() const { return code_; }  // single byte or double-byte CP932 code
  const std::string& Face() const { return face_; }
  int32_t Size() const { return size_; }  // the cell height asked for
  uint8_t Style() const { return style_; }
  int32_t Mode() const { return mode_; }
  TGlyphSource Source() const { return source_; }
  // Black box offsets from the pen and from the cell top (never negative).
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t UnderlineSize() const { return underline_size_; }
  int32_t StrikePos() const { return strike_pos_; }  // from the cell top
  int32_t StrikeSize() const { return strike_size_; }
  // Space from the black box to the next pen position (a blank glyph's whole width).
  int32_t RightPad() const { return right_pad_; }
  int32_t Advance() const { return left_ + coverage_.Width() + right_pad_; }
  // The character's A, B, C widths (left bearing, black box, the rest of the advance), for centring.
  int32_t AbcA() const { return abc_a_; }
  int32_t AbcB() const { return abc_b_; }
  int32_t AbcC() const { return abc_c_; }

  // Draws the glyph into the cell (left, top, right, bottom) of destination
  // (15, 16 or 32 bits) and mask (8 bits, same size, same clip). A glyph
  // narrower than the cell's first Size() pixels is centred by its A, B, C
  // widths. Answers the rectangle touched, (0, 0, 0, 0) for a blank glyph.
  TRect DrawGlyph(TCustomDIBX& destination, TCustomDIBX& mask, const TRect& cell, const TGlyphPaint& paint) const;

 private:
  friend class TFontPixelManager;
  friend struct TFontPixelAccess;

  TDIBX coverage_;
  int16_t code_ = 0;
  std::string face_;
  int32_t size_ = 0;
  uint8_t style_ = 0;
  int32_t mode_ = kGlyphModeSmooth;
  TGlyphSource source_ = TGlyphSource::System;
  bool unmade_ = false;  // the system could not produce it (blank)
  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t underline_size_ = 0;
  int32_t strike_pos_ = 0;
  int32_t strike_size_ = 0;
  int32_t right_pad_ = 0;
  int32_t abc_a_ = 0;
  int32_t abc_b_ = 0;
  int32_t abc_c_ = 0;
};

// Coverage of one of the 65 grey levels (0..64) of the system rasteriser:
// 0 stays 0, the rest spread unevenly up to 255 (8 -> 55, 7 -> 36).
constexpr uint8_t CoverageOfLevel(int level) {
  if (level <= 0) return 0;
  if (level > 64) level = 64;
  int steps = (level >= 8) + (level >= 24) + (level >= 40);
  return static_cast<uint8_t>(15 + 3 * level + 16 * steps);
}

// The glyph primitives. Each draws the 8-bit coverage with its top-left at
// (x, y); the coverage box is first cut to the destination's clip rectangle.
// q is the coverage byte, d the destination pixel, m the mask byte there.
// They write only into 15-, 16- and 32-bit destinations, and the ones that
// touch the mask need an 8-bit mask of the destination's size.
namespace glyph {
// q != 0: d := colour.
void FillSolid(TCustomDIBX& destination, const TDIBX& coverage, int32_t x, int32_t y, uint32_t colour);
// q = 255: d := inner; 0 < q < 255: d := q * inner + (255 - q) * outer, >> 8 per channel.
void BlendOverColour(TCustomDIBX& destination, const TDIBX& coverage, int32_t x, int32_t y, uint32_t outer,
                     uint32_t inner);
// Adds q to the mask (m += q * (255 - m) / 255) and blends the colour at q relative to the new m.
void BlendWithMask(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, int32_t x, int32_t y,
                   uint32_t colour);
// q != 0: m := 255.
void MarkMask(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, int32_t x, int32_t y);
// m := max(m, q).
void MaxMask(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, int32_t x, int32_t y);
// BlendWithMask at every offset within o pixels (a square, centre left out).
void StampOutline(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, uint32_t colour, int32_t outline,
                  int32_t x, int32_t y);
}  // namespace glyph

}  // namespace orvo
