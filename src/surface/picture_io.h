#pragma once
// Reading and writing pictures: BMP in and out, PNG in (through libpng) and
// out. Readers treat the bytes as untrusted and raise EFormatError (or
// EReadError for truncated data) instead of reading or allocating without bound.
#include <cstdint>
#include <string>

#include "surface/dib_surface.h"

namespace orvo {

class TStream;

// Recognises the starts the surfaces probe for: "BM" at 0, "PNG" at 1.
bool LooksLikeBmp(TStream& stream);
bool LooksLikePng(TStream& stream);

// Reads a Windows bitmap from the stream's position into picture. Palette
// pictures keep 1, 4 or 8 bits and their colour table; 16-bit pictures become
// 15 or 16 bits by their masks, other masks 32 bits; 32-bit pictures keep
// their colours with the fourth byte moved into the mask (no mask when that
// byte is zero everywhere: such files are opaque).
void ReadBmp(TStream& stream, TDIBSurface& picture);

// Writes the store as a bitmap of its own bit count (1, 4, 8 with the colour
// table; 15 and 24 and 32 plain; 16 with 5/6/5 bit fields).
void WriteBmp(TStream& stream, const TDIBSurface& picture);

// Reads a PNG into a 24-bit picture. An alpha channel (or palette
// transparency) becomes the picture's mask; a colour key of a grey or
// truecolour picture is returned as a 24-bit pixel value, else -1.
int32_t ReadPng(TStream& stream, TDIBSurface& picture);

// PNG of the store's colours; alpha from the mask when there is one, else opaque.
std::string EncodePng(const TDIBSurface& picture);
void SavePng(const std::string& path, const TDIBSurface& picture);

}  // namespace orvo
