// PNG pictures through libpng. Only plain data (no C++ object with a
// destructor) lives between setjmp and the end of decoding: libpng reports
// errors by longjmp.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "surface/picture_io.h"
#include "surface/png_writer.h"

namespace orvo {
namespace {

// Ancillary chunks (text, profiles) larger than this are refused.
constexpr png_alloc_size_t kMaxChunkBytes = 8 << 20;

struct TPngReadState {
  TStream* stream = nullptr;
  char error[200] = {};
  // Results set inside the protected region live here, in memory, so that a
  // longjmp cannot leave them in clobbered registers.
  bool has_alpha = false;
  int32_t key = -1;
};

void ReadFromStream(png_structp png, png_bytep data, png_size_t length) {
  auto* state = static_cast<TPngReadState*>(png_get_io_ptr(png));
  size_t got = 0;
  try {
    got = state->stream->Read(data, length);
  } catch (...) {
    got = 0;
  }
  if (got != length) png_error(png, "PNG data truncated");
}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<TPngReadState*>(png_get_error_ptr(png));
  std::snprintf(state->error, sizeof state->error, "%s", message ? message : "PNG error");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

struct TPngReadGuard {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~TPngReadGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

uint32_t ScaleSample(uint32_t value, int depth) {
  if (depth == 16) return (value * 255 + 32895) >> 16;
  if (depth == 8) return value & 0xFF;
  uint32_t max = (1u << depth) - 1;
  return (value & max) * 255 / max;
}

}  // namespace

bool LooksLikePng(TStream& stream) {
  int64_t start = stream.Position();
  uint8_t magic[4] = {};
  size_t got = stream.Read(magic, 4);
  stream.SetPosition(start);
  return got == 4 && std::memcmp(magic + 1, "PNG", 3) == 0;
}

int32_t ReadPng(TStream& stream, TDIBSurface& picture) {
  TPngReadState state;
  state.stream = &stream;
  TPngReadGuard guard;
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;
  // Decoding results, written inside the protected region.
  png_uint_32 width = 0, height = 0;
  size_t row_bytes = 0;
  bool& has_alpha = state.has_alpha;
  int32_t& key = state.key;

  guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  if (guard.png == nullptr) throw EFormatError("PNG: out of memory");
  guard.info = png_create_info_struct(guard.png);
  if (guard.info == nullptr) throw EFormatError("PNG: out of memory");
  png_structp png = guard.png;
  png_infop info = guard.info;
  if (setjmp(png_jmpbuf(png))) throw EFormatError(std::string("Corrupt PNG: ") + state.error);

  png_set_read_fn(png, &state, ReadFromStream);
  png_set_user_limits(png, kMaxSurfaceSide, kMaxSurfaceSide);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_read_info(png, info);
  int bit_depth = 0, colour_type = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bit_depth, &colour_type, &interlace, nullptr, nullptr);
  if (static_cast<int64_t>(width) * height > kMaxSurfacePixels) png_error(png, "picture too large");

  bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colour_type == PNG_COLOR_TYPE_PALETTE) {
    png_set_palette_to_rgb(png);
    if (trns) {
      png_set_tRNS_to_alpha(png);
      has_alpha = true;
    }
  } else if (trns) {
    png_bytep trans_alpha = nullptr;
    int trans_count = 0;
    png_color_16p trans = nullptr;
    png_get_tRNS(png, info, &trans_alpha, &trans_count, &trans);
    if (trans != nullptr) {
      uint32_t r, g, b;
      if (colour_type == PNG_COLOR_TYPE_GRAY) {
        r = g = b = ScaleSample(trans->gray, bit_depth);
      } else {
        r = ScaleSample(trans->red, bit_depth);
        g = ScaleSample(trans->green, bit_depth);
        b = ScaleSample(trans->blue, bit_depth);
      }
      key = static_cast<int32_t>((r << 16) | (g << 8) | b);
    }
  }
  if ((colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) && bit_depth < 8) {
    png_set_expand_gray_1_2_4_to_8(png);
  }
  if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (colour_type & PNG_COLOR_MASK_ALPHA) has_alpha = true;
  if (bit_depth == 16) png_set_scale_16(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  row_bytes = png_get_rowbytes(png, info);
  if (row_bytes != static_cast<size_t>(width) * (has_alpha ? 4 : 3)) png_error(png, "unexpected row layout");

  pixels.resize(row_bytes * height);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels.data() + y * row_bytes;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);

  picture.RemoveMask();
  picture.SetSize(static_cast<int32_t>(width), static_cast<int32_t>(height), 24);
  if (has_alpha) picture.EnsureMask();
  for (png_uint_32 y = 0; y < height; ++y) {
    const uint8_t* src = rows[y];
    uint8_t* dst = picture.ScanLine(static_cast<int32_t>(y));
    if (!has_alpha) {
      std::memcpy(dst, src, row_bytes);
      continue;
    }
    uint8_t* mask = picture.Mask()->ScanLine(static_cast<int32_t>(y));
    for (png_uint_32 x = 0; x < width; ++x) {
      dst[3 * x] = src[4 * x];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x + 2];
      mask[x] = src[4 * x + 3];
    }
  }
  return key;
}

std::string EncodePng(const TDIBSurface& picture) {
  if (picture.IsEmpty()) throw EWriteError("PNG: empty picture");
  std::vector<uint8_t> rgba(static_cast<size_t>(picture.Width()) * picture.Height() * 4);
  const TDIBSurface* mask = picture.Mask();
  for (int32_t y = 0; y < picture.Height(); ++y) {
    uint8_t* out = rgba.data() + static_cast<size_t>(y) * picture.Width() * 4;
    for (int32_t x = 0; x < picture.Width(); ++x) {
      uint32_t colour = picture.PixelToColor(picture.GetPixel(x, y));
      out[4 * x] = static_cast<uint8_t>(colour);
      out[4 * x + 1] = static_cast<uint8_t>(colour >> 8);
      out[4 * x + 2] = static_cast<uint8_t>(colour >> 16);
      out[4 * x + 3] = mask ? static_cast<uint8_t>(mask->GetPixel(x, y)) : 255;
    }
  }
  return EncodePngRgba(picture.Width(), picture.Height(), rgba.data(), static_cast<size_t>(picture.Width()) * 4);
}

void SavePng(const std::string& path, const TDIBSurface& picture) { WriteFileAtomically(path, EncodePng(picture)); }

}  // namespace orvo
