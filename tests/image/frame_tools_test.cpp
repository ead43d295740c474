// Content rectangles, masks made from the transparent pixel, header
// information, and PNG and bitmap pictures through the same entry point.
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/stream.h"
#include "dova_fixture.h"
#include "image/dova.h"
#include "support/test_support.h"
#include "surface/picture_io.h"

namespace orvo {
namespace {

TDovaFrame MakeFrame(int bits, int32_t width, int32_t height, uint32_t fill) {
  TDovaFrame frame;
  frame.picture.SetSize(width, height, bits);
  frame.picture.FillRect(frame.picture.Bounds(), fill);
  return frame;
}

TEST(ContentRect, FindsTheVisiblePartAndCropsToIt) {
  struct TCase {
    const char* name;
    int bits;
    bool with_mask;
    int32_t transparent;
    TRect expected;
    std::vector<TRect> rects;
    std::vector<TRect> expected_rects;
  } cases[] = {
      {"mask bounds", 24, true, -1, {2, 1, 5, 3}, {{0, 0, 3, 2}, {6, 3, 8, 4}}, {{0, 0, 1, 1}}},
      {"transparent pixel bounds", 24, false, 0x777777, {2, 1, 5, 3}, {}, {}},
      {"4-bit transparent pixel bounds", 4, false, 7, {2, 1, 5, 3}, {}, {}},
      {"32-bit transparent pixel bounds", 32, false, 0x777777, {2, 1, 5, 3}, {}, {}},
      {"neither mask nor transparent pixel", 24, false, -1, {0, 0, 8, 4}, {{1, 1, 2, 2}}, {{1, 1, 2, 2}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t background = c.bits == 4 ? 7 : 0x777777;
    TDovaFrame frame = MakeFrame(c.bits, 8, 4, background);
    frame.picture.FillRect({2, 1, 5, 3}, 3);
    if (c.with_mask) {
      frame.picture.EnsureMask();
      frame.picture.Mask()->FillRect({2, 1, 5, 3}, 1);
    }
    frame.SetTransparentPixel(c.transparent);
    frame.draw_rects = c.rects;
    EXPECT_EQ(TDovaFrameList::ContentRect(frame), c.expected);
    EXPECT_EQ(frame.picture.Width(), c.expected.Width());
    EXPECT_EQ(frame.picture.Height(), c.expected.Height());
    EXPECT_EQ(frame.picture.GetPixel(0, 0), c.expected.left == 2 ? 3u : background);
    EXPECT_EQ(frame.draw_rects, c.expected_rects);
    if (c.with_mask) {
      EXPECT_EQ(frame.picture.Mask()->Width(), 3);
    }
  }
}

TEST(ContentRect, NothingVisibleGivesTheFirstPixel) {
  TDovaFrame frame = MakeFrame(24, 5, 5, 9);
  frame.picture.EnsureMask();
  EXPECT_EQ(TDovaFrameList::ContentRect(frame), (TRect{0, 0, 1, 1}));
  EXPECT_EQ(frame.picture.Width(), 1);
  EXPECT_EQ(frame.picture.Height(), 1);
}

TEST(MakeMask, KeysFramesAndLayersByTheirTransparentPixels) {
  TDovaFrame frame = MakeFrame(8, 3, 1, 5);
  frame.picture.SetPixel(1, 0, 6);
  frame.SetTransparentPixel(5);
  frame.layers.resize(3);
  for (TDovaLayer& layer : frame.layers) {
    layer.picture.SetSize(3, 1, 8);
    layer.picture.SetPixel(0, 0, 5);
    layer.picture.SetPixel(1, 0, 6);
    layer.picture.SetPixel(2, 0, 7);
  }
  frame.layers[0].transparent_pixel = 6;  // its own key
  frame.layers[2].picture.EnsureMask();   // has one already: kept
  TDovaFrameList::MakeMask(frame, TMaskLayers::WithLayers);
  auto row = [](const TDIBSurface& mask) {
    return std::vector<uint32_t>{mask.GetPixel(0, 0), mask.GetPixel(1, 0), mask.GetPixel(2, 0)};
  };
  EXPECT_EQ(row(*frame.picture.Mask()), (std::vector<uint32_t>{0, 255, 0}));
  EXPECT_EQ(row(*frame.layers[0].picture.Mask()), (std::vector<uint32_t>{255, 0, 255}));
  EXPECT_EQ(row(*frame.layers[1].picture.Mask()), (std::vector<uint32_t>{0, 255, 255}));
  EXPECT_EQ(row(*frame.layers[2].picture.Mask()), (std::vector<uint32_t>{0, 0, 0}));

  // Without a transparent pixel the mask is opaque; an existing mask stays.
  TDovaFrame plain = MakeFrame(24, 2, 1, 1);
  TDovaFrameList::MakeMask(plain, TMaskLayers::FrameOnly);
  EXPECT_EQ(plain.picture.Mask()->GetPixel(1, 0), 255u);
}

TEST(ReadInfo, GivesTheHeaderWithoutReadingPixels) {
  test::TFixtureFile xml;
  xml.form = test::TFixtureForm::Xml;
  xml.version = 200;
  xml.comp_type = 1;
  xml.bg_color = 0x123456;
  xml.frames = {test::OneLayerFrame(3, 2, 16, std::vector<uint32_t>(6, 0))};
  xml.frames[0].layers[0].colour_bytes = "";  // never looked at
  test::TFixtureFile record = xml;
  record.form = test::TFixtureForm::Record;
  record.version = 105;

  struct TCase {
    const char* name;
    std::string bytes;
    TDovaInfo expected;
  } cases[] = {
      {"xml form", test::BuildFixture(xml), {200, 3, 2, 16, 1, true, false, 1, 0x123456, 0, 0, false, 90}},
      {"record form: the version alone", test::BuildFixture(record), {105}},
      {"no magic", "not a picture", {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryStream stream(c.bytes);
    TDovaInfo info = TDovaFrameList::ReadInfo(stream);
    EXPECT_EQ(stream.Position(), 0);
    const TDovaInfo& e = c.expected;
    EXPECT_EQ(
        std::tie(info.version, info.width, info.height, info.bpp, info.count, info.sync_pal, info.randomized,
                 info.comp_type, info.bg_color, info.block_width, info.block_height, info.not_fill_bg, info.comp_level),
        std::tie(e.version, e.width, e.height, e.bpp, e.count, e.sync_pal, e.randomized, e.comp_type, e.bg_color,
                 e.block_width, e.block_height, e.not_fill_bg, e.comp_level));
  }

  TMemoryStream newer(std::string("DovaX300\0\0\0\0", 12));
  try {
    TDovaFrameList::ReadInfo(newer);
    ADD_FAILURE() << "accepted";
  } catch (const EOrvoError& error) {
    EXPECT_EQ(error.Message(), "Can not load this file.\r\nTry the latest version.");
  }
}

TEST(LoadFromBytes, ReadsPngAndBitmapPicturesAsOneFrame) {
  TDIBSurface source(2, 1, 24);
  source.SetPixel(0, 0, 0x112233);
  source.SetPixel(1, 0, 0x445566);
  std::string opaque_png = EncodePng(source);
  source.EnsureMask();
  source.Mask()->SetPixel(0, 0, 255);
  source.Mask()->SetPixel(1, 0, 9);
  std::string alpha_png = EncodePng(source);
  TMemoryStream bmp24, bmp32;
  source.RemoveMask();
  WriteBmp(bmp24, source);
  TDIBSurface wide(2, 1, 32);
  wide.SetPixel(0, 0, 0x80112233);
  wide.SetPixel(1, 0, 0x01445566);
  WriteBmp(bmp32, wide);
  auto bytes = [](TMemoryStream& stream) {
    return std::string(reinterpret_cast<const char*>(stream.Bytes().data()), stream.Bytes().size());
  };

  struct TCase {
    const char* name;
    std::string bytes;
    std::vector<uint32_t> mask;
  } cases[] = {
      {"picture.PNG", opaque_png, {255, 255}},  // RGBA even when opaque
      {"picture.png", alpha_png, {255, 9}},
      {"picture.bmp", bytes(bmp24), {}},
      {"dir.x\\picture.DIB", bytes(bmp32), {0x80, 0x01}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDovaFrameList list;
    ASSERT_TRUE(list.LoadFromBytes(c.bytes, c.name));
    ASSERT_EQ(list.Count(), 1u);
    const TDIBSurface& picture = list.Frame(0).picture;
    EXPECT_EQ(picture.StoreBitCount(), 24);
    EXPECT_EQ(picture.GetPixel(0, 0), 0x112233u);
    EXPECT_EQ(picture.GetPixel(1, 0), 0x445566u);
    std::vector<uint32_t> mask;
    if (picture.HasMask()) mask = {picture.Mask()->GetPixel(0, 0), picture.Mask()->GetPixel(1, 0)};
    EXPECT_EQ(mask, c.mask);
  }
  TDovaFrameList list;
  EXPECT_FALSE(list.LoadFromBytes(opaque_png, "picture.jpg"));
  EXPECT_FALSE(list.LoadFromBytes(opaque_png, "folder.png\\picture"));
}

}  // namespace
}  // namespace orvo
