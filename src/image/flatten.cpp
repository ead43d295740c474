#include "image/flatten.h"

#include <utility>

namespace orvo {
namespace {

bool UsesMask(const TDovaLayer& layer) { return layer.alpha_on && layer.picture.HasMask(); }

// A plain copy of the whole layer: no transparent pixel to leave out (or the
// first layer replaces the background) and full opacity.
bool IsPlainCopy(const TDovaLayer& layer, bool first, bool not_fill_background) {
  return (layer.transparent_pixel == -1 || (first && not_fill_background)) && layer.alpha >= 255;
}

bool SameFormat(const TDIBSurface& a, const TDIBSurface& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.StoreBitCount() == b.StoreBitCount();
}

}  // namespace

void FlattenFrame(TDovaFrame& frame, int32_t background_color, bool not_fill_background, TLayerUse use) {
  TDIBSurface& out = frame.picture;
  out.RemoveMask();
  size_t first = frame.layers.size();
  for (size_t i = 0; i < frame.layers.size(); ++i) {
    if (frame.layers[i].visible) {
      first = i;
      break;
    }
  }
  // The background is only seen where the first visible layer does not cover it.
  bool covered = first < frame.layers.size() && !(UsesMask(frame.layers[first]) && first > 0) &&
                 IsPlainCopy(frame.layers[first], true, not_fill_background) &&
                 SameFormat(frame.layers[first].picture, out);
  if (!covered) {
    auto colour = static_cast<uint32_t>(background_color);
    out.FillRect(out.Bounds(), out.RGBToPixel(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
  }
  for (size_t i = first; i < frame.layers.size(); ++i) {
    TDovaLayer& layer = frame.layers[i];
    if (!layer.visible) continue;
    const bool is_first = i == first;
    if (UsesMask(layer) && is_first) out.SetMaskFrom(*layer.picture.Mask());
    if (UsesMask(layer) && i > 0) {
      out.DrawThroughMask(0, 0, layer.alpha, layer.picture.Bounds(), layer.picture);
    } else if (IsPlainCopy(layer, is_first, not_fill_background)) {
      if (use == TLayerUse::Consume && is_first && covered) {
        // The layer is the whole picture: hand its pixels over instead of copying them.
        bool keep_mask = UsesMask(layer);
        out = std::move(layer.picture);
        if (!keep_mask) out.RemoveMask();
        layer.picture = TDIBSurface();
      } else {
        out.CopyRect(0, 0, layer.picture.Bounds(), layer.picture);
      }
    } else {
      out.DrawOpacity(0, 0, layer.alpha, layer.transparent_pixel, layer.picture.Bounds(), layer.picture);
    }
  }
}

}  // namespace orvo
