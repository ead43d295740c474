#pragma once
// Measuring for the layout: character cells from the fonts (or the fixed
// advance), picture sizes from whoever holds the pictures, and the break
// rules that decide which glyphs must share a row.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvo {

class TCustomDIBX;
class TFontPixelManager;
class TWdGlyph;

// The current frame of a picture: its colours, its 8-bit mask (may be null)
// and whether its key colour is in use.
struct TTextPictureFrame {
  TCustomDIBX* surface = nullptr;
  TCustomDIBX* mask = nullptr;
  bool use_key = false;
};

// The pictures of inline images, as the stage's image cache offers them.
class ITextPictures {
 public:
  virtual ~ITextPictures() = default;
  // The size of the first frame of a picture; false when the picture does not exist.
  virtual bool PictureSize(std::string_view source, int32_t& width, int32_t& height) = 0;
  // The first frame of a picture; no surface when there is nothing to draw.
  virtual TTextPictureFrame Frame(std::string_view source) {
    (void)source;
    return {};
  }
  // Animated pictures: the number of frames, each frame's delay in ms (at least 1) and each frame.
  virtual int32_t FrameCount(std::string_view source) {
    (void)source;
    return 1;
  }
  virtual int32_t FrameDelay(std::string_view source, int32_t index) {
    (void)source, (void)index;
    return 1;
  }
  virtual TTextPictureFrame FrameAt(std::string_view source, int32_t index) {
    return index == 0 ? Frame(source) : TTextPictureFrame{};
  }
};

struct TCharSize {
  int32_t width = 0;
  int32_t height = 0;
};

// The stretch of glyphs from one index that must stay on one row.
struct TUnitSize {
  int32_t width = 0;
  int32_t count = 0;
};

// The font the measuring selected last and the widths measured with each font.
class TMeasureState {
 public:
  struct TFontKey {
    std::string face;
    int32_t size = 0;
    uint8_t style = 0;
    bool underline = false;
    bool operator==(const TFontKey&) const = default;
  };

  // True when a font is selected and its key is this one.
  bool IsSelected(std::string_view face, int32_t size, uint8_t style, bool underline) const {
    return selected_ && key_.size == size && key_.style == style && key_.underline == underline && key_.face == face;
  }
  // Selects the font of key drawn with face (the face found installed); an
  // empty face keeps the font selected before (none found).
  void Select(const TFontKey& key, const std::string& face);
  // The advance A + B (+ C when positive) of a code in the selected font; the
  // cell height when no font was ever found.
  int32_t Width(TFontPixelManager* fonts, uint16_t code, int32_t size);
  void Reset();

 private:
  struct TWidths {
    std::string face;
    int32_t size = 0;
    uint8_t style = 0;
    std::vector<int32_t> by_code;  // 65536 entries once used; INT32_MIN: not measured yet
  };
  TWidths* Current();

  bool selected_ = false;
  TFontKey key_;
  std::string face_;           // the face that measures (empty: none found yet)
  uint8_t measure_style_ = 0;  // bold and italic: the bits that change widths
  int32_t measure_size_ = 0;
  std::vector<std::unique_ptr<TWidths>> fonts_;
  TWidths* current_ = nullptr;
};

// The two break tables (CP932): characters that may not start a row, and those that may not end one.
bool MayNotStartRow(std::string_view text);
bool MayNotEndRow(std::string_view text);
// The same by character code (lead byte x 256 + trail byte; 0 for glyphs that are no characters).
bool MayNotStartRow(uint16_t code);
bool MayNotEndRow(uint16_t code);

}  // namespace orvo
