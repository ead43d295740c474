// Decoding a 1280 x 720 layered picture with zlib blocks and with JPEG blocks,
// next to libpng and libjpeg-turbo decoding the same picture.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/stream.h"
#include "image/dova.h"
#include "image/jpeg_codec.h"

namespace orvo {
namespace {

constexpr int32_t kWidth = 1280, kHeight = 720;

// Smooth gradients with a little grain, like a scanned or rendered backdrop.
const TDIBSurface& Picture() {
  static TDIBSurface picture = [] {
    TDIBSurface p(kWidth, kHeight, 24);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < kHeight; ++y) {
      uint8_t* row = p.ScanLine(y);
      for (int32_t x = 0; x < kWidth; ++x) {
        noise = noise * 1103515245u + 12345u;
        int grain = static_cast<int>((noise >> 28) & 3);
        row[3 * x] = static_cast<uint8_t>((x * 255 / kWidth + grain) & 0xFF);
        row[3 * x + 1] = static_cast<uint8_t>((y * 255 / kHeight + grain) & 0xFF);
        row[3 * x + 2] = static_cast<uint8_t>(((x + y) / 8 + grain) & 0xFF);
      }
    }
    return p;
  }();
  return picture;
}

std::string Dova(TDovaCompression compression) {
  TDovaFrameList list;
  list.AddFrame().picture.AssignStore(Picture());
  TMemoryStream stream;
  list.SaveToStream(stream, compression, 90);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

std::string Png() {
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  for (int32_t y = 0; y < kHeight; ++y)
    std::memcpy(&rgb[static_cast<size_t>(y) * kWidth * 3], Picture().ScanLine(y), kWidth * 3);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = kHeight;
  image.format = PNG_FORMAT_BGR;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
  std::string out(size, '\0');
  png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr);
  out.resize(size);
  return out;
}

void DovaDecode(benchmark::State& state, TDovaCompression compression) {
  const std::string bytes = Dova(compression);
  for (auto _ : state) {
    TSpanStream stream(bytes.data(), bytes.size());
    TDovaFrameList list;
    list.LoadFromStream(stream);
    benchmark::DoNotOptimize(list.Frame(0).picture.Bits());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_DovaZlib(benchmark::State& state) { DovaDecode(state, TDovaCompression::Zlib); }
void BM_DovaJpeg(benchmark::State& state) { DovaDecode(state, TDovaCompression::Jpeg); }

void BM_LibPng(benchmark::State& state) {
  const std::string bytes = Png();
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, bytes.data(), bytes.size());
    image.format = PNG_FORMAT_BGR;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_LibJpeg(benchmark::State& state) {
  const std::string bytes = EncodeJpeg(Picture(), 90);
  for (auto _ : state) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = &pixels[static_cast<size_t>(info.output_scanline) * kWidth * 3];
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

BENCHMARK(BM_DovaZlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DovaJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibJpeg)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
