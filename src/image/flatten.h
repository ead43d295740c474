#pragma once
// Flattening the layers of a frame into its picture. The drawing is the pixel
// store's own (it divides by 255, and palette pictures dither in sixteen
// levels instead of mixing colours), not the surfaces' arithmetic.
#include <cstdint>

#include "image/dova.h"

namespace orvo {

// What may happen to the layers: kept as they are, or taken apart (the
// picture of a layer that covers the whole frame may move into it).
enum class TLayerUse { Keep, Consume };

// The frame's picture must already have the frame's size, bit depth and
// palette; its pixels and mask are replaced.
void FlattenFrame(TDovaFrame& frame, int32_t background_color, bool not_fill_background, TLayerUse use);

}  // namespace orvo
