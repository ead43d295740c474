#include "image/block_codec.h"

#include <algorithm>
#include <cstring>

#include "base/binary_io.h"
#include "data/random.h"
#include "image/byte_source.h"
#include "image/image_errors.h"
#include "image/jpeg_codec.h"

namespace orvo {
namespace {

// A reference table of more entries than this is refused (32 MiB of table).
constexpr int64_t kMaxTiles = int64_t{1} << 22;
// Bytes of whole rows read from a block at a time.
constexpr size_t kRowBatchBytes = size_t{1} << 18;

size_t PictureBytes(const TDIBSurface& picture) { return picture.Stride() * static_cast<size_t>(picture.Height()); }

// Copies bits x count pixels from a packed row (most significant bit first)
// into the picture at (x, y).
void PutPackedPixels(TDIBSurface& picture, int32_t x, int32_t y, const uint8_t* row, int32_t count) {
  int bits = picture.BitCount();
  if (bits >= 8) {
    size_t bytes = static_cast<size_t>(bits / 8);
    std::memcpy(picture.ScanLine(y) + bytes * static_cast<size_t>(x), row, bytes * static_cast<size_t>(count));
    return;
  }
  uint32_t max = (1u << bits) - 1;
  for (int32_t i = 0; i < count; ++i) {
    size_t bit = static_cast<size_t>(i) * static_cast<size_t>(bits);
    uint32_t value = (row[bit / 8] >> (8 - bits - bit % 8)) & max;
    picture.SetPixel(x + i, y, value);
  }
}

struct TTile {
  int32_t frame;  // -1 data follows, -2 a tile of this picture, else an earlier frame
  int32_t index;  // the tile, or the layer of that frame
};

const TDIBSurface& ReferencedLayer(const TBlockContext& context, const TTile& tile, TBlockTarget kind,
                                   const TDIBSurface& target) {
  if (context.frames == nullptr || tile.frame < 0 || static_cast<size_t>(tile.frame) >= context.frame_index ||
      static_cast<size_t>(tile.frame) >= context.frames->size()) {
    throw CorruptImageError();
  }
  const TDovaFrame& frame = *(*context.frames)[static_cast<size_t>(tile.frame)];
  if (tile.index < 0 || static_cast<size_t>(tile.index) >= frame.layers.size()) throw CorruptImageError();
  const TDIBSurface& picture = frame.layers[static_cast<size_t>(tile.index)].picture;
  const TDIBSurface* source = kind == TBlockTarget::Mask ? picture.Mask() : &picture;
  if (source == nullptr || source->Width() != target.Width() || source->Height() != target.Height() ||
      source->StoreBitCount() != target.StoreBitCount()) {
    throw CorruptImageError();
  }
  return *source;
}

void ReadTiles(TByteSource& source, TDIBSurface& target, TBlockKind& kind_out, TBlockTarget kind,
               const TBlockContext& context) {
  const TDovaInfo& info = *context.info;
  const int64_t width = target.Width(), height = target.Height();
  const int64_t tile_width = info.block_width, tile_height = info.block_height;
  const int64_t across = (width + tile_width - 1) / tile_width;
  const int64_t down = (height + tile_height - 1) / tile_height;
  const int64_t count = across * down;
  if (count > kMaxTiles) throw CorruptImageError();
  kind_out.layout = TBlockKind::TLayout::Tiles;
  kind_out.tile_width = info.block_width;
  kind_out.tile_height = info.block_height;

  std::vector<uint8_t> stored(static_cast<size_t>(count) * 8);
  source.Read(stored.data(), stored.size());
  std::vector<TTile> tiles(static_cast<size_t>(count));
  std::vector<int32_t> positions;
  if (info.randomized) positions = KeyedPositions(context.code, static_cast<int32_t>(count));
  for (size_t i = 0; i < tiles.size(); ++i) {
    size_t at = info.randomized ? static_cast<size_t>(positions[i]) : i;
    tiles[at] = {static_cast<int32_t>(LoadU32(&stored[8 * i])), static_cast<int32_t>(LoadU32(&stored[8 * i + 4]))};
  }

  const int bits = target.BitCount();
  std::vector<uint8_t> row(static_cast<size_t>((bits * std::min(tile_width, width) + 7) / 8));
  for (int64_t n = 0; n < count; ++n) {
    const TTile& tile = tiles[static_cast<size_t>(n)];
    const int32_t x = static_cast<int32_t>((n % across) * tile_width);
    const int32_t y = static_cast<int32_t>((n / across) * tile_height);
    const int32_t w = static_cast<int32_t>(std::min(tile_width, width - x));
    const int32_t h = static_cast<int32_t>(std::min(tile_height, height - y));
    if (tile.frame == -1) {
      const size_t row_bytes = static_cast<size_t>((static_cast<int64_t>(bits) * w + 7) / 8);
      for (int32_t r = 0; r < h; ++r) {
        source.Read(row.data(), row_bytes);
        PutPackedPixels(target, x, y + r, row.data(), w);
      }
    } else if (tile.frame == -2) {
      if (tile.index < 0 || tile.index >= n) throw CorruptImageError();
      const int32_t from_x = static_cast<int32_t>((tile.index % across) * tile_width);
      const int32_t from_y = static_cast<int32_t>((tile.index / across) * tile_height);
      target.CopyRect(x, y, {from_x, from_y, from_x + w, from_y + h}, target);
    } else {
      const TDIBSurface& layer = ReferencedLayer(context, tile, kind, target);
      target.CopyRect(x, y, {x, y, x + w, y + h}, layer);
    }
  }
}

}  // namespace

std::vector<int32_t> KeyedPositions(int32_t code, int32_t n) {
  std::vector<int32_t> positions(static_cast<size_t>(std::max(n, 0)));
  TKwRandom random(static_cast<uint32_t>(code));
  random.Shuffle(n);
  for (int32_t& position : positions) position = static_cast<int32_t>(random.Draw());
  return positions;
}

void ReadRows(TByteSource& source, TDIBSurface& picture, TRowOrder order, int32_t code) {
  const int32_t height = picture.Height();
  const size_t stride = picture.Stride();
  std::vector<int32_t> positions;
  if (order == TRowOrder::Keyed && code != 0) positions = KeyedPositions(code, height);
  // Rows come in batches: zlib runs its fast path only with room to spare,
  // which a single row would not leave it.
  const int32_t batch = static_cast<int32_t>(
      std::clamp<size_t>(kRowBatchBytes / std::max<size_t>(stride, 1), 1, static_cast<size_t>(std::max(height, 1))));
  std::vector<uint8_t> rows(stride * static_cast<size_t>(batch));
  for (int32_t first = 0; first < height; first += batch) {
    const int32_t count = std::min(batch, height - first);
    source.Read(rows.data(), stride * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
      const int32_t y = positions.empty() ? first + i : positions[static_cast<size_t>(first + i)];
      std::memcpy(picture.ScanLine(y), rows.data() + stride * static_cast<size_t>(i), stride);
    }
  }
}

std::string WriteRows(const TDIBSurface& picture, TRowOrder order, int32_t code) {
  const size_t stride = picture.Stride();
  std::string out;
  out.reserve(PictureBytes(picture));
  auto append = [&](int32_t y) { out.append(reinterpret_cast<const char*>(picture.ScanLine(y)), stride); };
  if (order == TRowOrder::Keyed && code != 0) {
    for (int32_t position : KeyedPositions(code, picture.Height())) append(position);
  } else {
    for (int32_t y = 0; y < picture.Height(); ++y) append(y);
  }
  return out;
}

TBlockKind DecodeBlock(std::string_view data, TBlockTarget kind, TDIBSurface& target, const TBlockContext& context) {
  const TDovaInfo& info = *context.info;
  TBlockKind result;
  if (info.version <= 102) {
    // Old files tell stored rows from a zlib stream by the length alone.
    result.layout = TBlockKind::TLayout::Rows;
    if (data.size() == PictureBytes(target)) {
      result.keyed = true;
      TSpanSource source(data);
      ReadRows(source, target, TRowOrder::Keyed, context.code);
    } else {
      result.deflated = true;
      TInflateSource source(data);
      ReadRows(source, target, TRowOrder::TopDown, 0);
    }
    return result;
  }
  if (info.comp_type > static_cast<uint8_t>(TDovaCompression::Jpeg)) throw CorruptImageError();
  const bool jpeg = info.comp_type == static_cast<uint8_t>(TDovaCompression::Jpeg);
  if (jpeg && kind == TBlockTarget::Colour) {
    result.layout = TBlockKind::TLayout::Jpeg;
    DecodeJpegInto(data, target);
    return result;
  }
  result.deflated = info.comp_type == static_cast<uint8_t>(TDovaCompression::Zlib) || jpeg;
  std::unique_ptr<TByteSource> source;
  if (result.deflated) {
    source = std::make_unique<TInflateSource>(data);
  } else {
    source = std::make_unique<TSpanSource>(data);
  }
  result.keyed = info.randomized && !jpeg;
  if (info.block_width > 0 && info.block_height > 0 && !jpeg) {
    ReadTiles(*source, target, result, kind, context);
  } else {
    result.layout = TBlockKind::TLayout::Rows;
    ReadRows(*source, target, result.keyed ? TRowOrder::Keyed : TRowOrder::TopDown, context.code);
  }
  return result;
}

std::string DescribeBlockKind(const TBlockKind& kind) {
  switch (kind.layout) {
    case TBlockKind::TLayout::Absent:
      return "none";
    case TBlockKind::TLayout::Jpeg:
      return "jpeg";
    case TBlockKind::TLayout::Rows:
    case TBlockKind::TLayout::Tiles:
      break;
  }
  std::string text = kind.deflated ? "zlib " : "raw ";
  if (kind.keyed) text += "keyed ";
  if (kind.layout == TBlockKind::TLayout::Rows) return text + "rows";
  return text + std::to_string(kind.tile_width) + "x" + std::to_string(kind.tile_height) + " tiles";
}

}  // namespace orvo
