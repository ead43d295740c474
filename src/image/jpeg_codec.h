#pragma once
// JPEG colour blocks through libjpeg(-turbo). Decoding goes straight into the
// rows of the picture; the JPEG must have exactly the picture's size.
#include <string>
#include <string_view>

#include "surface/dib_surface.h"

namespace orvo {

// Decodes into picture, which keeps its size, bit depth and palette (colours
// are converted to them). Damaged data or another size raises the
// corrupt-image error.
void DecodeJpegInto(std::string_view jpeg, TDIBSurface& picture);

// Encodes the picture's colours (quality 1..100, clamped) as a baseline JPEG.
std::string EncodeJpeg(const TDIBSurface& picture, int quality);

}  // namespace orvo
