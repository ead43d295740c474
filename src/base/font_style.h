#pragma once
// Font style bits, shared by the text engine's decorations and the style
// properties of stage objects.
#include <cstdint>

namespace orvo {

enum TFontStyleBit : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyle = TFontStyleBit;

}  // namespace orvo
