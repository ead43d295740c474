#pragma once
// The pixel blocks of layered pictures: whole rows (top row first, each as a
// bitmap row padded to four bytes), optionally in keyed order, tile-coded
// data with its reference table, and JPEG colour blocks.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/dova.h"
#include "surface/dib_surface.h"

namespace orvo {

class TByteSource;

enum class TBlockTarget { Colour, Mask };

// What a block may refer to: the layers of the frames read so far.
struct TBlockContext {
  const TDovaInfo* info = nullptr;
  int32_t code = 0;
  const std::vector<std::unique_ptr<TDovaFrame>>* frames = nullptr;
  size_t frame_index = 0;  // the frame being read; references go below it
};

// Decodes one stored block into target (the layer's picture, or its mask for
// a mask block), following the header's version, compression, keyed order and
// tiles. Anything that does not hold raises the corrupt-image error.
TBlockKind DecodeBlock(std::string_view data, TBlockTarget kind, TDIBSurface& target, const TBlockContext& context);

// The order in which n keyed items are stored: stored item i belongs at
// position KeyedPositions(code, n)[i]. Code 0 gives the natural order.
std::vector<int32_t> KeyedPositions(int32_t code, int32_t n);

// Places whole rows from source into picture, top down or in keyed order.
enum class TRowOrder { TopDown, Keyed };
void ReadRows(TByteSource& source, TDIBSurface& picture, TRowOrder order, int32_t code);
// The rows of picture as stored, top down or in keyed order.
std::string WriteRows(const TDIBSurface& picture, TRowOrder order, int32_t code);

}  // namespace orvo
