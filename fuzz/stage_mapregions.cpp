// Region files of map images: any bytes must read or raise an error; the
// regions that read write back to the same bytes, answer hit tests and cut
// masks without reading or writing outside them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.h"
#include "stage/map_regions.h"
#include "surface/dibx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvo;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<TMapRegion> regions;
  try {
    regions = ReadMapRegions(bytes);
  } catch (const EOrvoError&) {
    return 0;
  }
  const std::string written = WriteMapRegions(regions);
  if (ReadMapRegions(written).size() != regions.size()) __builtin_trap();
  TDIBX mask;
  mask.SetSize(24, 16, 8);
  for (size_t i = 0; i < regions.size() && i < 8; ++i) {
    const TMapRegion& region = regions[i];
    for (int32_t y = -2; y < 18; y += 3) {
      for (int32_t x = -2; x < 26; x += 3) (void)region.Contains(x, y);
    }
    (void)region.Bounds();
    mask.Clear(255);
    CutMask(mask, region, i % 2 ? TRegionCut::KeepInside : TRegionCut::KeepOutside);
  }
  return 0;
}
