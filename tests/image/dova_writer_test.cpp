// The writer's files read back the same: pixels, palettes, masks, the
// transparent colour, names and delays, in every depth and compression.
#include <gtest/gtest.h>

#include "base/stream.h"
#include "image/dova.h"
#include "support/test_support.h"

namespace orvo {
namespace {

// A frame whose pixels run through the values of its depth, with a non-grey
// palette entry, a mask and a transparent pixel that occurs in the picture.
TDovaFrame& AddSampleFrame(TDovaFrameList& list, int bits, int32_t width, int32_t height) {
  TDovaFrame& frame = list.AddFrame();
  frame.picture.SetSize(width, height, bits);
  if (bits <= 8) {
    uint8_t entry[4] = {0x00, 0x00, 0xFF, 0};  // red
    frame.picture.SetPaletteEntries(entry, 1, 1);
  }
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x)
      frame.picture.SetPixel(x, y, static_cast<uint32_t>(x * 0x0F1E2D + y * 0x3C4B5A));
  }
  frame.picture.EnsureMask();
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) frame.picture.Mask()->SetPixel(x, y, static_cast<uint32_t>(x * 40 + y));
  }
  frame.SetTransparentPixel(static_cast<int32_t>(frame.picture.GetPixel(1, 0)));
  frame.name = test::Sjis("ゾ<&\"名>\t");
  frame.delay = 123;
  return frame;
}

std::vector<uint32_t> Colours(const TDIBSurface& picture) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) out.push_back(picture.PixelToColor(picture.GetPixel(x, y)));
  }
  return out;
}

std::vector<uint32_t> MaskValues(const TDIBSurface& picture) {
  std::vector<uint32_t> out;
  if (!picture.HasMask()) return out;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) out.push_back(picture.Mask()->GetPixel(x, y));
  }
  return out;
}

TEST(DovaWriter, RoundTripsEveryDepthAndCompression) {
  struct TCase {
    TDovaCompression compression;
    int32_t code;
  } cases[] = {{TDovaCompression::Zlib, 0}, {TDovaCompression::None, 0}, {TDovaCompression::Zlib, 0x7531}};
  for (const TCase& c : cases) {
    for (int bits : {1, 4, 8, 15, 16, 24, 32}) {
      SCOPED_TRACE(std::to_string(bits) + " bits, compression " + std::to_string(static_cast<int>(c.compression)) +
                   ", code " + std::to_string(c.code));
      TDovaFrameList list(c.code);
      list.SetBackgroundColor(0x00FF00);  // differs from the transparent colour
      const TDovaFrame& written = AddSampleFrame(list, bits, 5, 3);
      AddSampleFrame(list, bits, 2, 7).SetTransparentPixel(-1);
      TMemoryStream stream;
      list.SaveToStream(stream, c.compression, 70);

      stream.SetPosition(0);
      TDovaFrameList read(c.code);
      read.LoadFromStream(stream);
      ASSERT_EQ(read.Count(), 2u);
      const TDovaFrame& frame = read.Frame(0);
      EXPECT_EQ(frame.picture.StoreBitCount(), bits == 15 ? 16 : bits);
      EXPECT_EQ(Colours(frame.picture), Colours(written.picture));
      EXPECT_EQ(MaskValues(frame.picture), MaskValues(written.picture));
      EXPECT_EQ(frame.TransparentColor(), written.TransparentColor());
      EXPECT_NE(frame.TransparentColor(), -1);
      EXPECT_EQ(frame.name, written.name);
      EXPECT_EQ(frame.delay, 123);
      if (bits <= 8) {
        EXPECT_EQ(frame.picture.Palette(), written.picture.Palette());
      }
      EXPECT_EQ(read.Frame(1).picture.Width(), 2);
      EXPECT_EQ(read.Frame(1).TransparentColor(), -1);
      // A randomized list is stored with keyed, uncompressed rows.
      EXPECT_EQ(read.Info().randomized, c.code != 0);
      EXPECT_EQ(read.Info().comp_type, c.code != 0 ? 1 : static_cast<uint8_t>(c.compression));
    }
  }
}

TEST(DovaWriter, KeepsTheTransparentColourWithoutAMask) {
  // A 24-bit colour whose red and blue differ: written as a colour where a
  // pixel is read, it would come back with red and blue exchanged.
  for (int bits : {8, 16, 24, 32}) {
    SCOPED_TRACE(std::to_string(bits) + " bits");
    TDovaFrameList list;
    TDovaFrame& frame = list.AddFrame();
    frame.picture.SetSize(3, 1, bits);
    if (bits == 8) {
      uint8_t entries[8] = {0, 0, 0, 0, 0x10, 0x80, 0xF0, 0};
      frame.picture.SetPaletteEntries(entries, 0, 2);
    }
    frame.SetTransparentColor(0x1080F0);
    frame.picture.FillRect(frame.picture.Bounds(), static_cast<uint32_t>(frame.TransparentPixel()));
    frame.picture.SetPixel(1, 0, 0);
    TMemoryStream stream;
    list.SaveToStream(stream, TDovaCompression::Zlib, 70);
    stream.SetPosition(0);
    TDovaFrameList read;
    read.LoadFromStream(stream);
    const TDovaFrame& back = read.Frame(0);
    EXPECT_EQ(back.TransparentPixel(), frame.TransparentPixel());
    EXPECT_EQ(back.TransparentColor(), frame.TransparentColor());
    // The pixels under the transparent colour stay (not the background).
    EXPECT_EQ(back.picture.GetPixel(0, 0), static_cast<uint32_t>(frame.TransparentPixel()));
    EXPECT_EQ(back.picture.GetPixel(1, 0), 0u);
  }
}

TEST(DovaWriter, WritesJpegColourBlocks) {
  TDovaFrameList list;
  TDovaFrame& frame = list.AddFrame();
  frame.picture.SetSize(32, 16, 24);
  frame.picture.FillRect(frame.picture.Bounds(), 0x4080C0);
  frame.picture.EnsureMask();
  frame.picture.Mask()->FillRect({0, 0, 16, 16}, 200);
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Jpeg, 90);
  stream.SetPosition(0);
  TDovaFrameList read;
  read.LoadFromStream(stream, TFrameSelection::All, TLayerRetention::Keep);
  const TDovaFrame& back = read.Frame(0);
  EXPECT_EQ(DescribeBlockKind(back.layers[0].colour_block), "jpeg");
  EXPECT_EQ(MaskValues(back.picture), MaskValues(frame.picture));
  uint32_t pixel = back.picture.GetPixel(20, 8);
  EXPECT_NEAR(static_cast<int>(pixel >> 16), 0x40, 4);
  EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 0xC0, 4);
}

TEST(DovaWriter, WritesLayersItKeeps) {
  TDovaFrameList list;
  list.SetBackgroundColor(0x0000FF);
  list.SetNotFillBackground(false);
  TDovaFrame& frame = list.AddFrame();
  frame.picture.SetSize(2, 1, 24);
  for (uint32_t colour : {0x111111u, 0x222222u}) {
    TDovaLayer& layer = frame.layers.emplace_back();
    layer.picture.SetSize(2, 1, 24);
    layer.picture.FillRect(layer.picture.Bounds(), colour);
    layer.name = "layer " + std::to_string(colour & 0xF);
  }
  frame.layers[1].picture.SetPixel(1, 0, 0x00FF00);
  frame.layers[1].transparent_pixel = 0x00FF00;
  frame.layers[1].alpha = 200;
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 70);
  stream.SetPosition(0);
  TDovaFrameList read;
  read.LoadFromStream(stream, TFrameSelection::All, TLayerRetention::Keep);
  const TDovaFrame& back = read.Frame(0);
  ASSERT_EQ(back.layers.size(), 2u);
  EXPECT_EQ(back.layers[1].name, "layer 2");
  EXPECT_EQ(back.layers[1].alpha, 200);
  EXPECT_EQ(back.layers[1].transparent_pixel, 0x00FF00);
  // The second layer blends at 200/255 over the first and leaves out its transparent pixel.
  EXPECT_EQ(back.picture.GetPixel(0, 0), 0x1E1E1Eu);  // (55 * 0x11 + 200 * 0x22) / 255
  EXPECT_EQ(back.picture.GetPixel(1, 0), 0x111111u);
}

TEST(DovaWriter, SaveToFileWritesAFileThatLoads) {
  std::string folder = test::MakeTempDir("dova-writer");
  TDovaFrameList list;
  AddSampleFrame(list, 24, 4, 4);
  list.SaveToFile(folder + "/shot.dov");
  TDovaFrameList read;
  read.LoadFromFile(folder + "/shot.dov");
  ASSERT_EQ(read.Count(), 1u);
  EXPECT_EQ(read.Info().comp_type, 0);
  EXPECT_EQ(read.Info().comp_level, 70);
}

}  // namespace
}  // namespace orvo
