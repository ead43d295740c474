#pragma once
// Moving pictures between pixel stores and surfaces (with format conversion),
// and the hook through which the layered image reader plugs into
// LoadFromStream without the surfaces depending on it.
#include <string>

#include "surface/custom_dibx.h"
#include "surface/dib_surface.h"

namespace orvo {

// Copies a surface's pixels into a new store of the surface's own format
// (palette included for 8 bits).
void CopySurfaceToStore(TCustomDIBX& surface, TDIBSurface& store);
// Copies a picture into the surface at (0, 0), converted to the surface's
// format (8-bit surfaces take the nearest entry of their own palette).
void CopyStoreToSurface(const TDIBSurface& picture, TCustomDIBX& surface);

// Converts the pixels of rect (cut to the surface) to R, G, B, A bytes (A
// 255) for presenting and screenshots; row y of the rectangle starts at
// rgba + y * stride. 15- and 16-bit channels are widened by shifting.
void ExportRgba(TCustomDIBX& surface, const TRect& rect, uint8_t* rgba, size_t stride);

// Writes the surface as an RGBA PNG (screenshots, golden images); raises EWriteError.
void SaveSurfacePng(TCustomDIBX& surface, const std::string& path);

// Decodes a layered image from the stream's start into picture (first frame);
// false when it cannot.
using TLayeredImageDecoder = bool (*)(TStream& stream, int option, TDIBSurface& picture);
void SetLayeredImageDecoder(TLayeredImageDecoder decoder);

}  // namespace orvo
