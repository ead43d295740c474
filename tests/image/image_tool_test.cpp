// orvokit image's work: PNG files into a layered file and back give the same
// pixels, with and without alpha; the description names what is stored.
#include "image/image_tool.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>

#include "base/error.h"
#include "base/stream.h"
#include "support/test_support.h"
#include "surface/png_writer.h"

namespace orvo {
namespace {

// An RGB PNG (no alpha channel), optionally with a colour key in tRNS.
void WriteRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                 const png_color_16* key) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (key) png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(key));
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, rgb.data() + static_cast<size_t>(y) * width * 3);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

std::vector<uint8_t> Gradient(int width, int height, int channels) {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back(static_cast<uint8_t>(x * 37));
      pixels.push_back(static_cast<uint8_t>(y * 51));
      pixels.push_back(static_cast<uint8_t>(200 - x * 9));
      if (channels == 4) pixels.push_back(static_cast<uint8_t>((x + y) * 29));
    }
  }
  return pixels;
}

TDovaFrameList RoundTrip(const std::vector<std::string>& inputs, const TPicturesToDova& options,
                         TDovaCompression compression) {
  TDovaFrameList list = ListFromPictures(inputs, options);
  TMemoryStream stream;
  list.SaveToStream(stream, compression, 90);
  stream.SetPosition(0);
  TDovaFrameList read;
  read.LoadFromStream(stream);
  return read;
}

TEST(ImageTool, PngToDovToPngKeepsThePixels) {
  const int width = 7, height = 5;
  std::string folder = test::MakeTempDir("image-tool");
  const std::vector<uint8_t> rgba = Gradient(width, height, 4);
  const std::vector<uint8_t> rgb = Gradient(width, height, 3);
  SavePngRgba(folder + "/alpha.png", width, height, rgba.data(), width * 4);
  WriteRgbPng(folder + "/plain.png", width, height, rgb, nullptr);
  // The key is the colour of pixel (1, 1).
  png_color_16 key{};
  key.red = rgb[3 * (width + 1)];
  key.green = rgb[3 * (width + 1) + 1];
  key.blue = rgb[3 * (width + 1) + 2];
  WriteRgbPng(folder + "/keyed.png", width, height, rgb, &key);

  auto opaque = [&](size_t keyed_pixel) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < rgb.size() / 3; ++i) {
      out.insert(out.end(), {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]});
      out.push_back(i == keyed_pixel ? 0 : 255);
    }
    return out;
  };
  struct TCase {
    const char* name;
    const char* input;
    TDovaCompression compression;
    std::vector<uint8_t> expected;
  } cases[] = {
      {"with alpha", "alpha.png", TDovaCompression::Zlib, rgba},
      {"with alpha, plain blocks", "alpha.png", TDovaCompression::None, rgba},
      {"without alpha", "plain.png", TDovaCompression::Zlib, opaque(SIZE_MAX)},
      {"with a colour key", "keyed.png", TDovaCompression::Zlib, opaque(width + 1)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDovaFrameList read = RoundTrip({folder + "/" + c.input}, {}, c.compression);
    ASSERT_EQ(read.Count(), 1u);
    EXPECT_EQ(FrameToRgba(read.Frame(0)), c.expected);
  }
}

TEST(ImageTool, FramesAndLayersFromSeveralPictures) {
  std::string folder = test::MakeTempDir("image-tool-layers");
  std::vector<uint8_t> red(4 * 4 * 4, 0), green(4 * 4 * 4, 0);
  for (size_t i = 0; i < 16; ++i) {
    red[4 * i] = 255;
    red[4 * i + 3] = 255;
    green[4 * i + 1] = 255;
    green[4 * i + 3] = i < 8 ? 255 : 0;  // top half only
  }
  SavePngRgba(folder + "/red.png", 4, 4, red.data(), 16);
  SavePngRgba(folder + "/green.png", 4, 4, green.data(), 16);
  std::vector<std::string> inputs = {folder + "/red.png", folder + "/green.png"};

  TDovaFrameList frames = RoundTrip(inputs, {.inputs = TInputsAs::Frames, .delay = 250}, TDovaCompression::Zlib);
  ASSERT_EQ(frames.Count(), 2u);
  EXPECT_EQ(frames.Frame(1).delay, 250);

  TDovaFrameList layers = RoundTrip(inputs, {.inputs = TInputsAs::Layers}, TDovaCompression::Zlib);
  ASSERT_EQ(layers.Count(), 1u);
  const TDovaFrame& frame = layers.Frame(0);
  // Green covers the top half through its mask; the frame keeps red's mask.
  EXPECT_EQ(frame.picture.PixelToColor(frame.picture.GetPixel(0, 0)), 0x00FF00u);
  EXPECT_EQ(frame.picture.PixelToColor(frame.picture.GetPixel(0, 3)), 0x0000FFu);
  EXPECT_EQ(frame.picture.Mask()->GetPixel(0, 3), 255u);

  SavePngRgba(folder + "/small.png", 2, 2, red.data(), 8);
  const std::vector<std::string> mixed = {folder + "/red.png", folder + "/small.png"};
  EXPECT_THROW(ListFromPictures(mixed, {.inputs = TInputsAs::Layers}), EOrvoError);
  EXPECT_THROW(ListFromPictures({folder + "/missing.png"}, {}), EOrvoError);
}

TEST(ImageTool, DescribesFormFramesLayersAndBlocks) {
  TDovaFrameList list(77);
  TDovaFrame& frame = list.AddFrame();
  frame.name = test::Sjis("表紙");
  frame.picture.SetSize(3, 2, 16);
  frame.picture.EnsureMask();
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 70);
  std::string text = DescribeDova(std::string(stream.Bytes().begin(), stream.Bytes().end()), 77);
  for (const char* part :
       {"form: XML, version 200, 1 frames", "randomized yes", "compression none", "frame 0 \"表紙\": 3x2, 16 bits",
        "mask yes", "layer 0 \"Layer\"", "colour raw keyed rows, mask raw keyed rows"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  }
}

TEST(ImageTool, OrvokitRoundTrip) {
  const std::string kit = test::BuildDir() + "/bin/orvokit";
  if (!std::filesystem::exists(kit)) GTEST_SKIP() << "orvokit is not built";
  std::string folder = test::MakeTempDir("orvokit-image");
  const std::vector<uint8_t> rgba = Gradient(9, 4, 4);
  SavePngRgba(folder + "/in.png", 9, 4, rgba.data(), 36);
  std::string output;
  ASSERT_EQ(test::RunCommand(kit + " image to-dov " + folder + "/in.png -o " + folder + "/out.dov", &output), 0)
      << output;
  ASSERT_EQ(test::RunCommand(kit + " image to-png " + folder + "/out.dov -o " + folder + "/out.png", &output), 0)
      << output;
  ASSERT_EQ(test::RunCommand(kit + " image info " + folder + "/out.dov", &output), 0) << output;
  EXPECT_NE(output.find("zlib rows"), std::string::npos) << output;
  TDovaFrameList back;
  back.LoadFromFile(folder + "/out.png");
  EXPECT_EQ(FrameToRgba(back.Frame(0)), rgba);
  EXPECT_EQ(test::RunCommand(kit + " image to-png " + folder + "/out.dov -o " + folder + "/x.png --frame 1", &output),
            1);
  EXPECT_EQ(test::RunCommand(kit + " image to-dov " + folder + "/in.png", &output), 2);
}

}  // namespace
}  // namespace orvo
