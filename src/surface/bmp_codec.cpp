// Windows bitmaps: the core, info, V4 and V5 headers; 1, 4, 8, 16, 24 and 32
// bits; uncompressed, bit fields, RLE8 and RLE4.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/stream.h"
#include "surface/picture_io.h"
#include "surface/pixel_format.h"

namespace orvo {
namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
// Largest file the reader takes in: the biggest picture at 32 bits and its headers.
constexpr int64_t kMaxBmpBytes = kMaxSurfacePixels * 4 + (1 << 20);

[[noreturn]] void Corrupt(const char* what) { throw EFormatError(std::string("Corrupt BMP: ") + what); }

// Bounded view of the file's bytes.
struct TBytes {
  const uint8_t* data;
  size_t size;
  uint32_t U32(size_t at) const {
    if (at > size || size - at < 4) Corrupt("header truncated");
    return LoadU32(data + at);
  }
  uint16_t U16(size_t at) const {
    if (at > size || size - at < 2) Corrupt("header truncated");
    return LoadU16(data + at);
  }
};

// A channel extracted with an arbitrary bit-field mask and scaled to 0..255.
struct TField {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit TField(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = __builtin_ctz(m);
    max = m >> shift;
  }
  uint32_t Extract(uint32_t v) const {
    if (mask == 0) return 0;
    uint32_t raw = (v & mask) >> shift;
    if (max == 255) return raw;
    return static_cast<uint32_t>((static_cast<uint64_t>(raw) * 255 + max / 2) / max);
  }
};

void DecodeRle(const TBytes& file, size_t offset, int bits, int32_t width, int32_t height, bool top_down,
               TDIBSurface& picture) {
  size_t at = offset;
  int64_t x = 0, line = 0;  // line counts from the first row stored
  auto put = [&](uint32_t index) {
    if (x < width && line < height) {
      int32_t y = static_cast<int32_t>(top_down ? line : height - 1 - line);
      picture.SetPixel(static_cast<int32_t>(x), y, index);
    }
    ++x;
  };
  while (line < height) {
    if (file.size - at < 2) Corrupt("RLE data truncated");
    uint8_t count = file.data[at], value = file.data[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) {
        put(bits == 8 ? value : ((i & 1) ? (value & 0xF) : (value >> 4)));
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++line;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // delta
      if (file.size - at < 2) Corrupt("RLE data truncated");
      x += file.data[at];
      line += file.data[at + 1];
      at += 2;
    } else {  // absolute run of value pixels, padded to a 16-bit boundary
      size_t bytes = bits == 8 ? value : (static_cast<size_t>(value) + 1) / 2;
      size_t padded = (bytes + 1) & ~size_t{1};
      if (file.size - at < padded) Corrupt("RLE data truncated");
      for (int i = 0; i < value; ++i) {
        uint8_t byte = file.data[at + (bits == 8 ? i : i / 2)];
        put(bits == 8 ? byte : ((i & 1) ? (byte & 0xF) : (byte >> 4)));
      }
      at += padded;
    }
  }
}

}  // namespace

bool LooksLikeBmp(TStream& stream) {
  int64_t start = stream.Position();
  uint8_t magic[2] = {};
  size_t got = stream.Read(magic, 2);
  stream.SetPosition(start);
  return got == 2 && magic[0] == 'B' && magic[1] == 'M';
}

void ReadBmp(TStream& stream, TDIBSurface& picture) {
  int64_t available = stream.Size() - stream.Position();
  if (available < 26) Corrupt("file too short");
  if (available > kMaxBmpBytes) Corrupt("file too large");
  std::vector<uint8_t> bytes(static_cast<size_t>(available));
  stream.ReadBuffer(bytes.data(), bytes.size());
  TBytes file{bytes.data(), bytes.size()};
  if (bytes[0] != 'B' || bytes[1] != 'M') Corrupt("missing BM signature");
  uint32_t data_offset = file.U32(10);
  uint32_t header_size = file.U32(14);
  if (header_size < 12 || header_size > file.size - 14) Corrupt("bad header size");

  int64_t width, height;
  int bits;
  uint32_t compression = kBiRgb, colours_used = 0;
  uint32_t masks[4] = {0, 0, 0, 0};
  bool has_masks = false;
  size_t palette_at = 14 + header_size;
  int palette_entry = 4;
  if (header_size == 12) {
    width = file.U16(18);
    height = static_cast<int16_t>(file.U16(20));
    bits = file.U16(24);
    palette_entry = 3;
  } else {
    if (header_size < 40) Corrupt("bad header size");
    width = static_cast<int32_t>(file.U32(18));
    height = static_cast<int32_t>(file.U32(22));
    bits = file.U16(28);
    compression = file.U32(30);
    colours_used = file.U32(46);
    if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
      has_masks = true;
      if (header_size >= 52) {
        for (int i = 0; i < 3; ++i) masks[i] = file.U32(54 + 4 * i);
        if (header_size >= 56) masks[3] = file.U32(66);
      } else {
        int count = compression == kBiAlphaBitfields ? 4 : 3;
        for (int i = 0; i < count; ++i) masks[i] = file.U32(54 + 4 * i);
        palette_at += 4 * static_cast<size_t>(count);
      }
    }
  }
  bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0) Corrupt("empty picture");
  if (width > kMaxSurfaceSide || height > kMaxSurfaceSide || width * height > kMaxSurfacePixels) {
    Corrupt("picture too large");
  }
  bool rle = compression == kBiRle8 || compression == kBiRle4;
  if (compression == kBiRle8 && bits != 8) Corrupt("RLE8 needs 8 bits");
  if (compression == kBiRle4 && bits != 4) Corrupt("RLE4 needs 4 bits");
  if (!rle && compression != kBiRgb && !has_masks) Corrupt("unsupported compression");
  if (has_masks && bits != 16 && bits != 32) Corrupt("bit fields need 16 or 32 bits");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) Corrupt("unsupported bit count");
  if (rle && top_down) Corrupt("top-down RLE");

  int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  size_t stride = DibStride(w, bits);
  size_t data_at = data_offset;
  if (bits <= 8) {
    size_t entries = size_t{1} << bits;
    if (colours_used > 0 && colours_used < entries) entries = colours_used;
    if (palette_at > file.size || (file.size - palette_at) / palette_entry < entries) Corrupt("colour table truncated");
    if (data_offset == 0) data_at = palette_at + entries * palette_entry;
  } else if (data_offset == 0) {
    data_at = palette_at;
  }
  if (data_at > file.size) Corrupt("pixel data missing");
  if (!rle && (file.size - data_at) / stride < static_cast<size_t>(h)) Corrupt("pixel data truncated");

  // Decide the store format before allocating.
  int store_bits = bits;
  if (bits == 16) {
    if (!has_masks) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    if (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) {
      store_bits = 15;
    } else if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) {
      store_bits = 16;
    } else {
      store_bits = 32;
    }
  } else if (bits == 32) {
    if (!has_masks) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF, masks[3] = 0xFF000000;
  }
  picture.RemoveMask();
  picture.SetSize(w, h, store_bits);
  if (bits <= 8) {
    size_t entries = size_t{1} << bits;
    if (colours_used > 0 && colours_used < entries) entries = colours_used;
    std::array<uint8_t, 1024> table{};
    for (size_t i = 0; i < entries; ++i) {
      const uint8_t* e = file.data + palette_at + i * palette_entry;
      table[4 * i] = e[0];
      table[4 * i + 1] = e[1];
      table[4 * i + 2] = e[2];
    }
    picture.SetPalette(table.data());
  }
  if (rle) {
    DecodeRle(file, data_at, bits, w, h, false, picture);
    return;
  }

  bool plain32 = bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
  TField red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  bool any_alpha = false;
  if (bits == 32 && masks[3] != 0) {
    // Files whose alpha is zero everywhere were written by programs that
    // ignore the fourth byte: they are opaque.
    for (int32_t line = 0; line < h && !any_alpha; ++line) {
      const uint8_t* src = file.data + data_at + static_cast<size_t>(line) * stride;
      for (int32_t x = 0; x < w; ++x) {
        if (LoadU32(src + 4 * x) & masks[3]) {
          any_alpha = true;
          break;
        }
      }
    }
    if (any_alpha) picture.EnsureMask();
  }
  for (int32_t line = 0; line < h; ++line) {
    const uint8_t* src = file.data + data_at + static_cast<size_t>(line) * stride;
    int32_t y = top_down ? line : h - 1 - line;
    uint8_t* dst = picture.ScanLine(y);
    if (bits <= 24 && store_bits == bits) {
      std::memcpy(dst, src, std::min(stride, picture.Stride()));
    } else if (store_bits == 15 || store_bits == 16) {
      std::memcpy(dst, src, 2 * static_cast<size_t>(w));
    } else {
      uint8_t* mask_row = any_alpha ? picture.Mask()->ScanLine(y) : nullptr;
      for (int32_t x = 0; x < w; ++x) {
        uint32_t v = bits == 16 ? LoadU16(src + 2 * x) : LoadU32(src + 4 * x);
        uint32_t out = plain32 ? (v & 0xFFFFFF) : (red.Extract(v) << 16) | (green.Extract(v) << 8) | blue.Extract(v);
        pixel::TFormat32::Store(dst + 4 * x, out);
        if (mask_row) mask_row[x] = static_cast<uint8_t>(alpha.Extract(v));
      }
    }
  }
}

void WriteBmp(TStream& stream, const TDIBSurface& picture) {
  int bits = picture.BitCount();
  int store_bits = picture.StoreBitCount();
  size_t stride = DibStride(picture.Width(), bits);
  uint32_t palette_bytes = bits <= 8 ? 4u << bits : 0;
  uint32_t mask_bytes = store_bits == 16 ? 12 : 0;
  uint32_t data_offset = 14 + 40 + mask_bytes + palette_bytes;
  uint64_t image_bytes = static_cast<uint64_t>(stride) * picture.Height();
  TBinaryWriter out(stream);
  out.WriteBytes("BM", 2);
  out.WriteUInt32(static_cast<uint32_t>(data_offset + image_bytes));
  out.WriteUInt32(0);
  out.WriteUInt32(data_offset);
  out.WriteUInt32(40);
  out.WriteInt32(picture.Width());
  out.WriteInt32(picture.Height());
  out.WriteUInt16(1);
  out.WriteUInt16(static_cast<uint16_t>(bits));
  out.WriteUInt32(store_bits == 16 ? kBiBitfields : kBiRgb);
  out.WriteUInt32(static_cast<uint32_t>(image_bytes));
  out.WriteInt32(3780);  // 96 dots per inch
  out.WriteInt32(3780);
  out.WriteUInt32(bits <= 8 ? 1u << bits : 0);
  out.WriteUInt32(0);
  if (store_bits == 16) {
    out.WriteUInt32(0xF800);
    out.WriteUInt32(0x07E0);
    out.WriteUInt32(0x001F);
  }
  if (bits <= 8) out.WriteBytes(picture.Palette().data(), palette_bytes);
  // The store keeps its rows bottom-up with the same padding: one block.
  if (picture.Bits() != nullptr) out.WriteBytes(picture.Bits(), static_cast<size_t>(image_bytes));
}

}  // namespace orvo
