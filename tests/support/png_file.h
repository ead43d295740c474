#pragma once
// Pictures that the programs under test wrote, read back for comparison.
// Header-only: only suites that link the surfaces include it.
#include <cstdint>
#include <string>
#include <vector>

#include "base/stream.h"
#include "support/test_support.h"
#include "surface/dib_surface.h"
#include "surface/picture_io.h"

namespace orvo::test {

// The picture of a PNG file; an empty surface when the file cannot be read.
inline TDIBSurface ReadPngFile(const std::string& path) {
  const std::string bytes = ReadFile(path);
  TDIBSurface picture;
  if (bytes.empty()) return picture;
  TSpanStream stream(bytes.data(), bytes.size());
  ReadPng(stream, picture);
  return picture;
}

// The pixels of a PNG file, row by row.
inline std::vector<uint32_t> PngPixels(const std::string& path) {
  const TDIBSurface picture = ReadPngFile(path);
  std::vector<uint32_t> pixels;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) pixels.push_back(picture.GetPixel(x, y));
  }
  return pixels;
}

}  // namespace orvo::test
