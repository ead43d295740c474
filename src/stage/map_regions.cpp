#include "stage/map_regions.h"

#include <algorithm>
#include <cstring>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/stream.h"
#include "surface/custom_dibx.h"

namespace orvo {

namespace {

[[noreturn]] void Damaged(const char* what) { throw EFormatError(std::string("Invalid map file: ") + what); }

// Crossings of the horizontal line at y + 0.5 with the polygon's edges, with
// their winding directions, sorted by x.
void RowCrossings(const std::vector<TMapRegion::TPoint>& points, int32_t y,
                  std::vector<std::pair<long double, int>>& crossings) {
  crossings.clear();
  const long double yc = static_cast<long double>(y) + 0.5L;
  for (size_t i = 0; i < points.size(); ++i) {
    const TMapRegion::TPoint& a = points[i];
    const TMapRegion::TPoint& b = points[(i + 1) % points.size()];
    if (a.y == b.y) continue;
    const bool up = a.y < b.y;
    const long double lo = up ? a.y : b.y, hi = up ? b.y : a.y;
    if (yc < lo || yc >= hi) continue;
    const long double x =
        a.x + (yc - a.y) * (static_cast<long double>(b.x) - a.x) / (static_cast<long double>(b.y) - a.y);
    crossings.emplace_back(x, up ? 1 : -1);
  }
  std::sort(crossings.begin(), crossings.end());
}

}  // namespace

bool TMapRegion::Contains(int32_t x, int32_t y) const {
  switch (shape) {
    case TRegionShape::Rectangle:
      return x >= left && x <= right && y >= top && y <= bottom;
    case TRegionShape::Ellipse: {
      if (x < left || x > right || y < top || y > bottom) return false;
      // The ellipse inscribed in the box of pixels, tested at pixel centres.
      const long double rx = (static_cast<long double>(right) - left + 1) / 2;
      const long double ry = (static_cast<long double>(bottom) - top + 1) / 2;
      const long double dx = (static_cast<long double>(x) + 0.5L - left - rx) / rx;
      const long double dy = (static_cast<long double>(y) + 0.5L - top - ry) / ry;
      return dx * dx + dy * dy <= 1;
    }
    case TRegionShape::Polygon: {
      std::vector<std::pair<long double, int>> crossings;
      RowCrossings(points, y, crossings);
      const long double xc = static_cast<long double>(x) + 0.5L;
      int winding = 0;
      for (const auto& [cx, direction] : crossings) {
        if (cx > xc) break;
        winding += direction;
      }
      return winding != 0;
    }
  }
  return false;
}

TRect TMapRegion::Bounds() const {
  if (shape != TRegionShape::Polygon) {
    if (right < left || bottom < top) return {};
    return {left, top, ClampToInt32(int64_t{right} + 1), ClampToInt32(int64_t{bottom} + 1)};
  }
  if (points.empty()) return {};
  TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const TPoint& p : points) {
    box.left = std::min(box.left, p.x);
    box.top = std::min(box.top, p.y);
    box.right = std::max(box.right, p.x);
    box.bottom = std::max(box.bottom, p.y);
  }
  box.right = ClampToInt32(int64_t{box.right} + 1);
  box.bottom = ClampToInt32(int64_t{box.bottom} + 1);
  return box;
}

std::vector<TMapRegion> ReadMapRegions(std::string_view bytes) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  const int32_t count = reader.ReadInt32();
  if (count < 0 || count > kMaxMapRegions) Damaged("region count");
  // Every region takes at least a name count, a shape byte and a point count.
  reader.RequireCount(count, 9);
  std::vector<TMapRegion> regions(static_cast<size_t>(count));
  for (TMapRegion& region : regions) {
    region.name = reader.ReadString();
    const uint8_t shape = reader.ReadByte();
    if (shape == 0 || shape == 1) {
      region.shape = shape == 0 ? TRegionShape::Rectangle : TRegionShape::Ellipse;
      region.left = reader.ReadInt32();
      region.top = reader.ReadInt32();
      region.right = reader.ReadInt32();
      region.bottom = reader.ReadInt32();
    } else {
      region.shape = TRegionShape::Polygon;
      const int32_t points = reader.ReadInt32();
      if (points < 0 || points > kMaxRegionPoints) Damaged("point count");
      reader.RequireCount(points, 8);
      region.points.resize(static_cast<size_t>(points));
      for (TMapRegion::TPoint& p : region.points) {
        p.x = reader.ReadInt32();
        p.y = reader.ReadInt32();
      }
    }
  }
  return regions;
}

std::string WriteMapRegions(const std::vector<TMapRegion>& regions) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  writer.WriteInt32(static_cast<int32_t>(regions.size()));
  for (const TMapRegion& region : regions) {
    writer.WriteString(region.name);
    if (region.shape == TRegionShape::Polygon) {
      writer.WriteByte(2);
      writer.WriteInt32(static_cast<int32_t>(region.points.size()));
      for (const TMapRegion::TPoint& p : region.points) {
        writer.WriteInt32(p.x);
        writer.WriteInt32(p.y);
      }
    } else {
      writer.WriteByte(region.shape == TRegionShape::Rectangle ? 0 : 1);
      for (int32_t value : {region.left, region.top, region.right, region.bottom}) writer.WriteInt32(value);
    }
  }
  const std::vector<uint8_t>& bytes = stream.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

void CutMask(TCustomDIBX& mask, const TMapRegion& region, TRegionCut cut) {
  if (mask.BitCount() != 8) return;
  const TRect all = mask.GetBounds();
  const TRect box = IntersectRect(region.Bounds(), all);
  const bool keep_inside = cut == TRegionCut::KeepInside;
  std::vector<std::pair<long double, int>> crossings;
  for (int32_t y = all.top; y < all.bottom; ++y) {
    uint8_t* row = mask.Lock(0, y);
    if (!row) return;
    const bool row_in_box = y >= box.top && y < box.bottom;
    if (!row_in_box) {
      if (keep_inside) std::memset(row, 0, static_cast<size_t>(all.right));
      mask.Unlock();
      continue;
    }
    if (region.shape == TRegionShape::Polygon) RowCrossings(region.points, y, crossings);
    for (int32_t x = 0; x < all.right; ++x) {
      bool inside = false;
      if (x >= box.left && x < box.right) {
        if (region.shape == TRegionShape::Polygon) {
          const long double xc = static_cast<long double>(x) + 0.5L;
          int winding = 0;
          for (const auto& [cx, direction] : crossings) {
            if (cx > xc) break;
            winding += direction;
          }
          inside = winding != 0;
        } else {
          inside = region.Contains(x, y);
        }
      }
      if (inside != keep_inside) row[x] = 0;
    }
    mask.Unlock();
  }
}

}  // namespace orvo
