#pragma once
// The region file of a map image: named rectangles, ellipses and polygons
// (non-zero winding) relative to the picture's top-left.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "surface/rect.h"

namespace orvo {

class TCustomDIBX;

enum class TRegionShape : uint8_t { Rectangle, Ellipse, Polygon };

struct TMapRegion {
  std::string name;
  TRegionShape shape = TRegionShape::Rectangle;
  // Rectangles and ellipses: the corners, right and bottom included.
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  struct TPoint {
    int32_t x = 0, y = 0;
  };
  std::vector<TPoint> points;

  bool Contains(int32_t x, int32_t y) const;
  // Every point inside, as a rectangle (right and bottom exclusive).
  TRect Bounds() const;
};

// Caps on what a region file may hold: regions are hit-tested on every mouse
// move and cut into masks whenever the selection changes.
constexpr int32_t kMaxMapRegions = 4096;
constexpr int32_t kMaxRegionPoints = 4096;

// Reads a whole region file; damaged or oversized data raises EFormatError.
std::vector<TMapRegion> ReadMapRegions(std::string_view bytes);
// Writes the same layout (tools and tests).
std::string WriteMapRegions(const std::vector<TMapRegion>& regions);

enum class TRegionCut : uint8_t { KeepInside, KeepOutside };
// Zeroes the 8-bit mask (placed at the region file's origin) outside or
// inside the region.
void CutMask(TCustomDIBX& mask, const TMapRegion& region, TRegionCut cut);

}  // namespace orvo
