#pragma once
// A standalone PNG writer: screenshots and golden images need nothing more than
// a buffer of RGBA bytes.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvo {

// Writes width x height pixels of 4 bytes each (R, G, B, A in memory order,
// rows stride bytes apart) as an 8-bit RGBA PNG. The file is replaced
// atomically; any failure raises EWriteError and leaves the old file intact.
void SavePngRgba(const std::string& path, int width, int height, const uint8_t* rgba, size_t stride);

// The same, encoded into memory (for tests and callers that write elsewhere).
std::string EncodePngRgba(int width, int height, const uint8_t* rgba, size_t stride);

// 3 bytes a pixel (R, G, B) as an 8-bit RGB PNG without alpha, in memory.
std::string EncodePngRgb(int width, int height, const uint8_t* rgb, size_t stride);

}  // namespace orvo
