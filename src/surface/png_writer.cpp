#include "surface/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <string>

#include "base/error.h"
#include "base/files.h"

namespace orvo {
namespace {

struct TPngWriteState {
  std::string bytes;
  std::string error;
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* state = static_cast<TPngWriteState*>(png_get_io_ptr(png));
  state->bytes.append(reinterpret_cast<const char*>(data), length);
}

void FlushNothing(png_structp) {}

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<TPngWriteState*>(png_get_error_ptr(png));
  state->error = message ? message : "PNG error";
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

}  // namespace

namespace {

// channels: 4 for RGBA, 3 for RGB.
std::string EncodePng8(int width, int height, const uint8_t* rgba, size_t stride, int channels) {
  if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF || rgba == nullptr ||
      stride < static_cast<size_t>(width) * static_cast<size_t>(channels)) {
    throw EWriteError("PNG: invalid image size");
  }
  TPngWriteState state;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
  if (png == nullptr) throw EWriteError("PNG: out of memory");
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw EWriteError("PNG: out of memory");
  }
  // Nothing with a destructor may live between setjmp and the end of the
  // encoding: a longjmp would skip it.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw EWriteError("PNG: " + state.error);
  }
  png_set_write_fn(png, &state, AppendBytes, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 6);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, const_cast<png_bytep>(rgba + static_cast<size_t>(y) * stride));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::move(state.bytes);
}

}  // namespace

std::string EncodePngRgba(int width, int height, const uint8_t* rgba, size_t stride) {
  return EncodePng8(width, height, rgba, stride, 4);
}

std::string EncodePngRgb(int width, int height, const uint8_t* rgb, size_t stride) {
  return EncodePng8(width, height, rgb, stride, 3);
}

void SavePngRgba(const std::string& path, int width, int height, const uint8_t* rgba, size_t stride) {
  WriteFileAtomically(path, EncodePngRgba(width, height, rgba, stride));
}

}  // namespace orvo
