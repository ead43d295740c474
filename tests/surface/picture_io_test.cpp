// BMP and PNG input and output: small bitmaps built byte by byte, round trips,
// corrupt data, and pictures that other programs wrote.
#include "surface/picture_io.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "support/test_support.h"
#include "surface/dibx.h"
#include "surface/png_writer.h"
#include "surface/surface_io.h"
#include "surface_helpers.h"

namespace orvo {
namespace {

// A bitmap file: file header, info header of the given size, optional bit
// fields, colour table and pixel rows exactly as given.
struct TBmpLayout {
  int header_size = 40;
  int32_t width = 1, height = 1;
  int bits = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> masks;    // written after a 40-byte header, or inside a bigger one
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries
  std::vector<uint8_t> pixels;
};

std::string BuildBmp(const TBmpLayout& layout) {
  TMemoryStream body;
  TBinaryWriter w(body);
  w.WriteUInt32(static_cast<uint32_t>(layout.header_size));
  if (layout.header_size == 12) {
    w.WriteUInt16(static_cast<uint16_t>(layout.width));
    w.WriteUInt16(static_cast<uint16_t>(layout.height));
    w.WriteUInt16(1);
    w.WriteUInt16(static_cast<uint16_t>(layout.bits));
  } else {
    w.WriteInt32(layout.width);
    w.WriteInt32(layout.height);
    w.WriteUInt16(1);
    w.WriteUInt16(static_cast<uint16_t>(layout.bits));
    w.WriteUInt32(layout.compression);
    w.WriteUInt32(static_cast<uint32_t>(layout.pixels.size()));
    w.WriteUInt32(0);
    w.WriteUInt32(0);
    w.WriteUInt32(static_cast<uint32_t>(layout.palette.size()));
    w.WriteUInt32(0);
    if (layout.header_size > 40) {
      for (size_t i = 0; i < 4; ++i) w.WriteUInt32(i < layout.masks.size() ? layout.masks[i] : 0);
      for (int i = 56; i < layout.header_size; ++i) w.WriteByte(0);
    } else {
      for (uint32_t m : layout.masks) w.WriteUInt32(m);
    }
  }
  for (uint32_t entry : layout.palette) {
    w.WriteByte(static_cast<uint8_t>(entry));
    w.WriteByte(static_cast<uint8_t>(entry >> 8));
    w.WriteByte(static_cast<uint8_t>(entry >> 16));
    if (layout.header_size != 12) w.WriteByte(0);
  }
  uint32_t offset = static_cast<uint32_t>(14 + body.Size());
  w.WriteBytes(layout.pixels.data(), layout.pixels.size());
  TMemoryStream file;
  TBinaryWriter f(file);
  f.WriteBytes("BM", 2);
  f.WriteUInt32(static_cast<uint32_t>(14 + body.Size()));
  f.WriteUInt32(0);
  f.WriteUInt32(offset);
  f.WriteBytes(body.Bytes().data(), body.Bytes().size());
  return std::string(file.Bytes().begin(), file.Bytes().end());
}

TDIBSurface ReadBmpBytes(const std::string& bytes) {
  TMemoryStream stream(bytes);
  TDIBSurface picture;
  ReadBmp(stream, picture);
  return picture;
}

std::vector<uint32_t> StorePixels(const TDIBSurface& store) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < store.Height(); ++y) {
    for (int32_t x = 0; x < store.Width(); ++x) out.push_back(store.GetPixel(x, y));
  }
  return out;
}

// Core headers always carry 2^bits entries of three bytes.
std::vector<uint32_t> CorePalette() {
  std::vector<uint32_t> palette(16, 0);
  palette[1] = 0x112233;
  palette[2] = 0x445566;
  return palette;
}

struct TBmpCase {
  const char* name;
  TBmpLayout layout;
  int store_bits;
  std::vector<uint32_t> pixels;  // top row first
  std::vector<uint8_t> mask;     // empty: no mask
};

TEST(Bmp, ReadsTheCommonVariants) {
  const TBmpCase cases[] = {
      {"1 bit, bottom-up",
       {40, 3, 2, 1, 0, {}, {0x000000, 0xFFFFFF}, {0xA0, 0, 0, 0, 0x60, 0, 0, 0}},
       1,
       {0, 1, 1, 1, 0, 1},
       {}},
      {"4 bits, core header", {12, 2, 1, 4, 0, {}, CorePalette(), {0x12, 0, 0, 0}}, 4, {1, 2}, {}},
      {"RLE8 with delta and absolute run",
       {40, 4, 2, 8, 1, {}, {0, 0x010101}, {2, 5, 0, 2, 1, 0, 1, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1}},
       8,
       {1, 2, 3, 0, 5, 5, 0, 7},
       {}},
      {"RLE4", {40, 4, 1, 4, 2, {}, {0}, {4, 0xAB, 0, 1}}, 4, {10, 11, 10, 11}, {}},
      {"16 bits 5/6/5 fields, top-down",
       {40, 2, -1, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, {0x00, 0xF8, 0x1F, 0x00}},
       16,
       {0xF800, 0x001F},
       {}},
      {"16 bits plain are 5/5/5", {40, 1, 1, 16, 0, {}, {}, {0x00, 0x7C, 0, 0}}, 15, {0x7C00}, {}},
      {"16 bits 4/4/4 fields widen to 32",
       {40, 1, 1, 16, 3, {0x0F00, 0x00F0, 0x000F}, {}, {0x5F, 0x0A, 0, 0}},
       32,
       {0xAA55FF},
       {}},
      {"24 bits, top-down",
       {40, 2, -2, 24, 0, {}, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}},
       24,
       {0x030201, 0x060504, 0x090807, 0x0C0B0A},
       {}},
      {"32 bits with a zero fourth byte are opaque",
       {40, 2, 1, 32, 0, {}, {}, {1, 2, 3, 0, 4, 5, 6, 0}},
       32,
       {0x030201, 0x060504},
       {}},
      {"32 bits with alpha", {40, 2, 1, 32, 0, {}, {}, {1, 2, 3, 0, 4, 5, 6, 200}}, 32, {0x030201, 0x060504}, {0, 200}},
      {"32 bits, V5 header, byte order fields",
       {124, 1, 1, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}, {}, {0x11, 0x22, 0x33, 0x80}},
       32,
       {0x112233},
       {0x80}},
  };
  for (const auto& c : cases) {
    TDIBSurface picture = ReadBmpBytes(BuildBmp(c.layout));
    EXPECT_EQ(picture.StoreBitCount(), c.store_bits) << c.name;
    EXPECT_EQ(StorePixels(picture), c.pixels) << c.name;
    EXPECT_EQ(picture.HasMask(), !c.mask.empty()) << c.name;
    if (picture.HasMask() && !c.mask.empty()) {
      std::vector<uint32_t> expected(c.mask.begin(), c.mask.end());
      EXPECT_EQ(StorePixels(*picture.Mask()), expected) << c.name;
    }
  }
  TDIBSurface core = ReadBmpBytes(BuildBmp({12, 2, 1, 4, 0, {}, CorePalette(), {0x12, 0, 0, 0}}));
  EXPECT_EQ(core.PixelToColor(2), 0x665544u) << "palette entries are blue, green, red";
}

TEST(Bmp, RefusesCorruptFiles) {
  TBmpLayout good{40, 2, 2, 24, 0, {}, {}, std::vector<uint8_t>(16, 0)};
  std::string valid = BuildBmp(good);
  auto with = [&](auto change) {
    TBmpLayout layout = good;
    change(layout);
    return BuildBmp(layout);
  };
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"no signature", "XX" + valid.substr(2)},
      {"header cut", valid.substr(0, 30)},
      {"pixels cut", valid.substr(0, valid.size() - 1)},
      {"zero width", with([](TBmpLayout& s) { s.width = 0; })},
      {"huge picture", with([](TBmpLayout& s) { s.width = 30000, s.height = 30000; })},
      {"unknown bit count", with([](TBmpLayout& s) { s.bits = 7; })},
      {"JPEG inside", with([](TBmpLayout& s) { s.compression = 4; })},
      {"RLE8 at 24 bits", with([](TBmpLayout& s) { s.compression = 1; })},
      {"palette cut", with([](TBmpLayout& s) {
         s.bits = 8, s.palette = {1, 2}, s.pixels.clear();
       })},
      {"RLE running off the data", with([](TBmpLayout& s) {
         s.bits = 8, s.compression = 1, s.palette = {0}, s.pixels = {0, 5, 1};
       })},
  };
  for (const auto& [name, bytes] : cases) {
    EXPECT_THROW(ReadBmpBytes(bytes), EOrvoError) << name;
  }
}

TEST(Bmp, RoundTripsEveryStoreFormat) {
  for (int bits : {1, 4, 8, 15, 16, 24, 32}) {
    TDIBSurface store(5, 3, bits);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) store.SetPixel(x, y, static_cast<uint32_t>((x * 7 + y * 13) * 0x010305));
    }
    if (bits == 32) {
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) store.SetPixel(x, y, store.GetPixel(x, y) & 0xFFFFFF);
      }
    }
    TMemoryStream stream;
    WriteBmp(stream, store);
    stream.SetPosition(0);
    TDIBSurface back;
    ReadBmp(stream, back);
    EXPECT_EQ(back.StoreBitCount(), bits);
    EXPECT_EQ(StorePixels(back), StorePixels(store)) << bits;
    if (bits <= 8) {
      EXPECT_EQ(back.Palette(), store.Palette()) << bits;
    }
  }
}

TEST(Bmp, ReadsBitmapsThatOtherProgramsWrote) {
  const std::string path = "/usr/share/doc/fp-compiler/3.2.2/palmos/pilrc.bmp";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no system bitmap installed";
  TDIBX surface;
  surface.SetSize(1, 1, 32);
  surface.LoadFromFile(path);
  ASSERT_EQ(surface.Width(), 48);
  ASSERT_EQ(surface.Height(), 48);
  // Its bottom row starts with the bytes ff ff fc 3f: columns 22..25 are black.
  EXPECT_EQ(surface.GetPixel(21, 47), 0xFFFFFFu);
  EXPECT_EQ(surface.GetPixel(22, 47), 0u);
  EXPECT_EQ(surface.GetPixel(25, 47), 0u);
  EXPECT_EQ(surface.GetPixel(26, 47), 0xFFFFFFu);
}

TEST(SurfaceFiles, BmpByExtensionOnly) {
  std::string folder = test::MakeTempDir("surface-files");
  auto surface = test::MakeSurface(16, 2, 1, {0xF800, 0x001F});
  surface->SaveToFile(folder + "/shot.BMP");
  surface->SaveToFile(folder + "/shot.png");
  EXPECT_TRUE(std::filesystem::exists(folder + "/shot.BMP"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/shot.png"));
  TDIBX loaded;
  loaded.SetSize(1, 1, 32);
  loaded.LoadFromFile(folder + "/shot.BMP");
  EXPECT_EQ(test::Pixels(loaded), (std::vector<uint32_t>{0xF80000, 0x0000F8}));
  loaded.LoadFromFile(folder + "/missing.bmp");
  loaded.LoadFromFile(folder + "/shot.txt");
  EXPECT_EQ(loaded.Width(), 2);
}

TEST(Png, RoundTripsColoursAndAlpha) {
  TDIBSurface store(3, 2, 24);
  store.EnsureMask();
  for (int i = 0; i < 6; ++i) {
    store.SetPixel(i % 3, i / 3, static_cast<uint32_t>(0x102030 * (i + 1)));
    store.Mask()->SetPixel(i % 3, i / 3, static_cast<uint32_t>(i * 50));
  }
  std::string bytes = EncodePng(store);
  TMemoryStream stream(bytes);
  EXPECT_TRUE(LooksLikePng(stream));
  TDIBSurface back;
  EXPECT_EQ(ReadPng(stream, back), -1);
  EXPECT_EQ(StorePixels(back), StorePixels(store));
  ASSERT_TRUE(back.HasMask());
  EXPECT_EQ(StorePixels(*back.Mask()), StorePixels(*store.Mask()));
}

// A PNG written with libpng directly, for the colour types our writer never makes.
std::string WritePngWithLibpng(int width, int height, int bit_depth, int colour_type, const std::vector<uint8_t>& rows,
                               const png_color_16* key) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
      },
      nullptr);
  png_set_IHDR(png, info, width, height, bit_depth, colour_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (key) png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(key));
  png_write_info(png, info);
  size_t row_bytes = rows.size() / height;
  for (int y = 0; y < height; ++y) png_write_row(png, const_cast<uint8_t*>(rows.data() + y * row_bytes));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(Png, ColourKeysAndDepths) {
  png_color_16 key{};
  key.red = 0x10, key.green = 0x20, key.blue = 0x30;
  std::string rgb = WritePngWithLibpng(2, 1, 8, PNG_COLOR_TYPE_RGB, {0x10, 0x20, 0x30, 1, 2, 3}, &key);
  TMemoryStream stream(rgb);
  TDIBSurface picture;
  EXPECT_EQ(ReadPng(stream, picture), 0x102030);
  EXPECT_FALSE(picture.HasMask());
  EXPECT_EQ(StorePixels(picture), (std::vector<uint32_t>{0x102030, 0x010203}));

  png_color_16 grey_key{};
  grey_key.gray = 1;
  std::string grey = WritePngWithLibpng(4, 1, 2, PNG_COLOR_TYPE_GRAY, {0x1B}, &grey_key);  // 0, 1, 2, 3
  TMemoryStream grey_stream(grey);
  EXPECT_EQ(ReadPng(grey_stream, picture), 0x555555);
  EXPECT_EQ(StorePixels(picture), (std::vector<uint32_t>{0, 0x555555, 0xAAAAAA, 0xFFFFFF}));

  std::string deep = WritePngWithLibpng(1, 1, 16, PNG_COLOR_TYPE_RGB, {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x7F}, nullptr);
  TMemoryStream deep_stream(deep);
  ReadPng(deep_stream, picture);
  EXPECT_EQ(StorePixels(picture), (std::vector<uint32_t>{0xFF8000}));
}

TEST(Png, RefusesCorruptData) {
  TDIBSurface store(4, 4, 24);
  std::string valid = EncodePng(store);
  std::string bad_crc = valid;
  bad_crc[20] ^= 1;  // inside the header chunk
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"signature only", valid.substr(0, 8)},
      {"cut in the data", valid.substr(0, valid.size() - 20)},
      {"bad header checksum", bad_crc},
  };
  for (const auto& [name, bytes] : cases) {
    TMemoryStream stream(bytes);
    TDIBSurface picture;
    EXPECT_THROW(ReadPng(stream, picture), EOrvoError) << name;
  }
}

TEST(Png, WriterReplacesFilesAndReportsFailures) {
  std::string folder = test::MakeTempDir("png-writer");
  const uint8_t rgba[8] = {255, 0, 0, 255, 0, 0, 255, 128};
  SavePngRgba(folder + "/a.png", 2, 1, rgba, 8);
  TMemoryStream stream(test::ReadFile(folder + "/a.png"));
  TDIBSurface back;
  ReadPng(stream, back);
  EXPECT_EQ(StorePixels(back), (std::vector<uint32_t>{0xFF0000, 0x0000FF}));
  EXPECT_EQ(back.Mask()->GetPixel(1, 0), 128u);
  EXPECT_THROW(SavePngRgba(folder + "/missing/a.png", 2, 1, rgba, 8), EWriteError);
  EXPECT_THROW(SavePngRgba(folder + "/b.png", 0, 1, rgba, 8), EWriteError);
  EXPECT_THROW(SavePngRgba(folder + "/b.png", 2, 1, rgba, 4), EWriteError);
}

TEST(Png, SurfacesLoadFromStreamsByTheirStart) {
  auto surface = std::make_unique<TDIBX>();
  surface->SetSize(1, 1, 16);
  TDIBSurface store(2, 1, 24);
  store.SetPixel(0, 0, 0xFF0000);
  std::string png = EncodePng(store);
  TMemoryStream stream(png);
  stream.SetPosition(5);  // the surface rewinds
  surface->LoadFromStream(&stream, 0);
  EXPECT_EQ(surface->BitCount(), 16);
  EXPECT_EQ(test::Pixels(*surface), (std::vector<uint32_t>{0xF800, 0}));
  TMemoryStream other(std::string("GIF89a"));
  surface->LoadFromStream(&other, 0);
  surface->LoadFromStream(nullptr, 0);
  EXPECT_EQ(surface->Width(), 2);
}

TEST(ExportRgba, ConvertsEveryFormat) {
  struct TCase {
    int bits;
    uint32_t pixel;
    std::vector<uint8_t> rgba;
  } cases[] = {
      {32, 0x00FF8001, {0xFF, 0x80, 0x01, 0xFF}},
      {24, 0x102030, {0x10, 0x20, 0x30, 0xFF}},
      {16, 0xF81F, {0xF8, 0x00, 0xF8, 0xFF}},
      {15, 0x03E0, {0x00, 0xF8, 0x00, 0xFF}},
      {8, 200, {200, 200, 200, 0xFF}},  // the default grey palette
  };
  for (const auto& c : cases) {
    auto surface = test::FilledSurface(c.bits, 3, 2, 0);
    surface->SetPixel(2, 1, c.pixel);
    std::vector<uint8_t> out(2 * 8, 0xEE);
    ExportRgba(*surface, {1, 0, 5, 2}, out.data(), 8);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 12, out.end()), c.rgba) << c.bits;
    EXPECT_EQ(out[3], 255) << c.bits;
  }
}

// Reads a PNG through libpng's simplified interface, which shares none of our
// transformations, as RGBA.
bool ReadWithSimplifiedApi(const std::string& path, png_uint_32& width, png_uint_32& height,
                           std::vector<uint8_t>& rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return false;
  width = image.width;
  height = image.height;
  return true;
}

TEST(Png, ReadsPicturesThatOtherProgramsWrote) {
  // One picture of each colour type found under /usr/share; files with colour
  // management chunks are left out (the simplified reader would convert them).
  std::map<std::string, std::string> by_kind;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator("/usr/share", error);
       it != std::filesystem::recursive_directory_iterator() && by_kind.size() < 12; it.increment(error)) {
    if (error) break;
    if (!it->is_regular_file(error) || it->path().extension() != ".png") continue;
    std::string bytes = test::ReadFile(it->path().string());
    if (bytes.size() < 33 || bytes.size() > 2000000) continue;
    size_t idat = bytes.find("IDAT");
    std::string head = bytes.substr(0, idat);
    if (head.find("gAMA") != std::string::npos || head.find("iCCP") != std::string::npos ||
        head.find("sRGB") != std::string::npos || head.find("cHRM") != std::string::npos) {
      continue;
    }
    std::string kind = std::to_string(bytes[24]) + "/" + std::to_string(bytes[25]) + "/" + std::to_string(bytes[28]) +
                       (head.find("tRNS") != std::string::npos ? "t" : "");
    by_kind.emplace(kind, it->path().string());
  }
  if (by_kind.empty()) GTEST_SKIP() << "no PNG pictures installed";
  int compared = 0;
  for (const auto& [kind, path] : by_kind) {
    png_uint_32 width = 0, height = 0;
    std::vector<uint8_t> rgba;
    if (!ReadWithSimplifiedApi(path, width, height, rgba)) continue;
    ++compared;
    TMemoryStream stream(test::ReadFile(path));
    TDIBSurface picture;
    int32_t key = ReadPng(stream, picture);
    ASSERT_EQ(picture.Width(), static_cast<int32_t>(width)) << path;
    ASSERT_EQ(picture.Height(), static_cast<int32_t>(height)) << path;
    int mismatches = 0;
    for (png_uint_32 y = 0; y < height; ++y) {
      for (png_uint_32 x = 0; x < width; ++x) {
        const uint8_t* p = rgba.data() + (y * width + x) * 4;
        uint32_t pixel = picture.GetPixel(x, y);
        uint32_t alpha = picture.HasMask()                                    ? picture.Mask()->GetPixel(x, y)
                         : (key != -1 && pixel == static_cast<uint32_t>(key)) ? 0
                                                                              : 255;
        uint32_t expected = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        if (alpha != p[3] || (p[3] != 0 && pixel != expected)) ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0) << kind << " " << path;
  }
  EXPECT_GT(compared, 0);
}

}  // namespace
}  // namespace orvo
