#pragma once
// The installed scalable fonts, as the glyph manager needs them: names,
// character set and pitch of every face, and for a face at a size and style
// the font's metrics and each character's black-box bitmap. The real service
// asks fontconfig and rasterises with FreeType; it is also the headless one,
// since fonts are plain files. Tests hand in fakes with fixed bitmaps.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvo {

// Character sets the player distinguishes: the default set and Shift-JIS.
constexpr int32_t kCharsetAnsi = 0;
constexpr int32_t kCharsetDefault = 1;
constexpr int32_t kCharsetShiftJis = 128;

struct TSystemFace {
  // Every name the face answers to (UTF-8); the first is the one listed.
  std::vector<std::string> names;
  // The file that holds the regular style (what `orvokit font which` shows).
  std::string file;
  int32_t charset = kCharsetAnsi;  // kCharsetShiftJis when the face covers Japanese
  bool fixed_pitch = false;        // fontconfig spacing mono or dual
};

// One request: a face (index into Faces()), the cell height in pixels (a
// negative size asks for the em height instead) and the style bits (1 bold,
// 2 italic; the others are drawn by the caller).
struct TSystemFontRequest {
  int32_t face = 0;
  int32_t size = 0;
  uint8_t style = 0;
};

// What the glyph manager keeps of a font at one size.
struct TSystemFontMetrics {
  int32_t ascent = 0;           // baseline below the cell top
  int32_t underline_size = 0;   // underline thickness
  int32_t strike_position = 0;  // strike-out bar above the baseline
  int32_t strike_size = 0;      // strike-out thickness
};

enum class TGlyphDepth : uint8_t {
  Levels65,  // one byte per pixel, 0..64
  OneBit,    // one byte per pixel, 0 or 1
};

// A character's black box and its placement, relative to the pen on the
// baseline (origin_y counts upwards to the top row).
struct TSystemGlyph {
  int32_t width = 0;
  int32_t height = 0;
  int32_t origin_x = 0;
  int32_t origin_y = 0;
  int32_t advance_x = 0;
  std::vector<uint8_t> pixels;  // width x height, top row first, values of the depth
};

class ISystemFonts {
 public:
  virtual ~ISystemFonts() = default;
  // Every installed scalable face, in no particular order; the indices are the faces of requests.
  virtual const std::vector<TSystemFace>& Faces() const = 0;
  // The font's metrics; false when the face cannot be opened at that size.
  virtual bool Metrics(const TSystemFontRequest& request, TSystemFontMetrics& metrics) = 0;
  // The glyph of a Unicode character (an empty box for blank characters); false when it cannot be made.
  virtual bool RenderGlyph(const TSystemFontRequest& request, char32_t code, TGlyphDepth depth,
                           TSystemGlyph& glyph) = 0;
};

// The faces of fontconfig (FONTCONFIG_FILE selects another configuration)
// plus the four default Japanese faces mapped to the IPA fonts, or to the
// best Japanese match when those are missing.
std::unique_ptr<ISystemFonts> CreateSystemFonts();

// FreeType's grey (0..255) as one of the 65 levels of the player's rasteriser.
constexpr uint8_t LevelOfGrey(uint8_t grey) { return static_cast<uint8_t>((grey * 64 + 127) / 255); }

}  // namespace orvo
