// Reading layered pictures made by the tests' own writer: every bit depth,
// every version gate, every way of storing blocks, and references between frames.
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/stream.h"
#include "dova_fixture.h"
#include "image/dova.h"
#include "support/test_support.h"

namespace orvo {
namespace {

using test::OneLayerFrame;
using test::TFixtureFile;
using test::TFixtureForm;
using test::TFixtureFrame;
using test::TFixtureLayer;

std::vector<uint32_t> Pixels(const TDIBSurface& picture) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) out.push_back(picture.GetPixel(x, y));
  }
  return out;
}

void Load(TDovaFrameList& list, const std::string& bytes, TFrameSelection frames = TFrameSelection::All,
          TLayerRetention layers = TLayerRetention::Discard) {
  TMemoryStream stream(bytes);
  list.LoadFromStream(stream, frames, layers);
}

// A 3 x 2 picture per depth: width 3 leaves padding at the end of every row.
std::vector<uint32_t> SamplePixels(int bits) {
  switch (bits) {
    case 1:
      return {1, 0, 1, 0, 1, 1};
    case 4:
      return {0xF, 0x1, 0x7, 0x0, 0xA, 0x3};
    case 8:
      return {0, 255, 17, 128, 1, 254};
    case 16:
      return {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x1234, 0};
    case 24:
      return {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xABCDEF, 0};
    default:
      return {0x11FF0000, 0x2200FF00, 0x000000FF, 0x44123456, 0xFFABCDEF, 0};
  }
}

TEST(DovaReader, DecodesEveryBitDepthInEveryStorage) {
  struct TStorage {
    const char* name;
    TFixtureForm form;
    uint8_t comp_type;
    int32_t tile_width, tile_height;
  } storages[] = {
      {"record raw rows", TFixtureForm::Record, 1, 0, 0},
      {"xml zlib rows", TFixtureForm::Xml, 0, 0, 0},
      {"xml zlib 2x2 tiles", TFixtureForm::Xml, 0, 2, 2},
      {"record raw 2x1 tiles", TFixtureForm::Record, 1, 2, 1},
  };
  for (const TStorage& storage : storages) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
      SCOPED_TRACE(std::string(storage.name) + ", " + std::to_string(bits) + " bits");
      TFixtureFile file;
      file.form = storage.form;
      file.version = storage.form == TFixtureForm::Xml ? 200 : 105;
      file.comp_type = storage.comp_type;
      file.block_width = storage.tile_width;
      file.block_height = storage.tile_height;
      TFixtureFrame frame = OneLayerFrame(3, 2, bits, SamplePixels(bits));
      if (bits <= 8) frame.palette[1] = 0x0000FF;  // red: the low byte of a colour
      file.frames.push_back(frame);
      TDovaFrameList list;
      Load(list, test::BuildFixture(file));
      ASSERT_EQ(list.Count(), 1u);
      const TDIBSurface& picture = list.Frame(0).picture;
      EXPECT_EQ(picture.StoreBitCount(), bits);
      EXPECT_EQ(Pixels(picture), SamplePixels(bits));
      if (bits <= 8) {
        EXPECT_EQ(picture.PixelToColor(1), 0x0000FFu);
      }
      EXPECT_FALSE(picture.HasMask());
    }
  }
}

TEST(DovaReader, FollowsTheVersionGatesOfTheRecordForm) {
  const std::vector<uint32_t> pixels = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
  const std::vector<uint8_t> mask = {0, 50, 100, 150, 200, 255};
  const TRect rect = {0, 0, 1, 1};
  for (int32_t version : {0, 99, 100, 101, 102, 103, 104, 105, 106, 107}) {
    SCOPED_TRACE("version " + std::to_string(version));
    TFixtureFile file;
    file.version = version;
    file.code = 0x1234;  // versions up to 102 store plain rows in keyed order
    file.bg_color = 0x0000FF;
    file.not_fill_bg = true;
    TFixtureFrame frame = OneLayerFrame(1, 6, 24, pixels);
    frame.name = test::Sjis("ゾ枠");
    frame.delay = 40;
    frame.layers[0].alpha_on = true;
    frame.layers[0].mask = mask;
    frame.draw_rects = {rect};
    file.frames.push_back(frame);
    TDovaFrameList list(0x1234);
    Load(list, test::BuildFixture(file));
    ASSERT_EQ(list.Count(), 1u);
    const TDovaFrame& read = list.Frame(0);
    EXPECT_EQ(list.Version(), version);
    EXPECT_EQ(read.name, test::Sjis("ゾ枠"));
    EXPECT_EQ(read.delay, 40);
    EXPECT_EQ(Pixels(read.picture), pixels);
    // Masks exist from 100, alpha-on (which makes them the frame's) from 101.
    ASSERT_EQ(read.picture.HasMask(), version >= 101);
    if (version >= 101) {
      EXPECT_EQ(Pixels(*read.picture.Mask()), std::vector<uint32_t>(mask.begin(), mask.end()));
    }
    EXPECT_EQ(list.BackgroundColor(), version >= 102 ? 0x0000FF : 0);
    EXPECT_EQ(list.NotFillBackground(), version >= 105);
    EXPECT_EQ(read.draw_rects.size(), version >= 104 ? 1u : 0u);
  }
}

TEST(DovaReader, ReadsEveryBlockStorage) {
  struct TCase {
    const char* name;
    int32_t version;
    uint8_t comp_type;
    bool randomized;
    int32_t tile;
    bool old_deflated;
    const char* kind;
  } cases[] = {
      {"old plain rows, keyed", 102, 0, false, 0, false, "raw keyed rows"},
      {"old zlib rows", 102, 0, false, 0, true, "zlib rows"},
      {"zlib rows", 105, 0, false, 0, false, "zlib rows"},
      {"plain rows", 105, 1, false, 0, false, "raw rows"},
      {"keyed plain rows", 105, 1, true, 0, false, "raw keyed rows"},
      {"keyed zlib rows", 106, 0, true, 0, false, "zlib keyed rows"},
      {"zlib tiles", 105, 0, false, 3, false, "zlib 3x3 tiles"},
      {"keyed plain tiles", 105, 1, true, 3, false, "raw keyed 3x3 tiles"},
      {"keyed zlib tiles", 107, 0, true, 2, false, "zlib keyed 2x2 tiles"},
  };
  const std::vector<uint8_t> mask(35, 77);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    // Tile 1 repeats tile 0, so that a table read in the wrong order shows.
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < 5; ++y) {
      for (int32_t x = 0; x < 7; ++x) {
        int32_t column = c.tile > 0 && x < 2 * c.tile ? x % c.tile : x;
        pixels.push_back(static_cast<uint32_t>(y * 16 + column) * 0x030507u);
      }
    }
    TFixtureFile file;
    file.version = c.version;
    file.comp_type = c.comp_type;
    file.randomized = c.randomized;
    file.block_width = file.block_height = c.tile;
    file.code = -559038737;
    TFixtureFrame frame = OneLayerFrame(7, 5, 24, pixels);
    frame.layers[0].old_deflated = c.old_deflated;
    frame.layers[0].mask = mask;
    if (c.tile > 0) frame.layers[0].tiles = {{-1, 0}, {-2, 0}};
    file.frames.push_back(frame);
    const std::string bytes = test::BuildFixture(file);

    TDovaFrameList list(file.code);
    Load(list, bytes, TFrameSelection::All, TLayerRetention::Keep);
    ASSERT_EQ(list.Frame(0).layers.size(), 1u);
    const TDovaLayer& layer = list.Frame(0).layers[0];
    EXPECT_EQ(Pixels(layer.picture), pixels);
    ASSERT_TRUE(layer.picture.HasMask());
    EXPECT_EQ(Pixels(*layer.picture.Mask()), std::vector<uint32_t>(mask.begin(), mask.end()));
    EXPECT_EQ(DescribeBlockKind(layer.colour_block), c.kind);

    // Without the code, keyed data is read in stored order: other pixels, or
    // a table whose references no longer hold.
    bool same = false;
    try {
      TDovaFrameList plain(0);
      Load(plain, bytes);
      same = Pixels(plain.Frame(0).picture) == pixels;
    } catch (const EOrvoError&) {
    }
    EXPECT_EQ(same, std::string(c.kind).find("keyed") == std::string::npos);
  }
}

TEST(DovaReader, TilesCopyFromEarlierFramesAndFromThemselves) {
  TFixtureFile file;
  file.form = TFixtureForm::Xml;
  file.version = 200;
  file.comp_type = 0;
  file.block_width = file.block_height = 2;
  std::vector<uint32_t> first(16), second(16);
  std::vector<uint8_t> first_mask(16), second_mask(16);
  for (uint32_t i = 0; i < 16; ++i) {
    first[i] = 0x100000 + i;
    second[i] = 0x200000 + i;
    first_mask[i] = static_cast<uint8_t>(10 + i);
    second_mask[i] = static_cast<uint8_t>(100 + i);
  }
  TFixtureFrame frame0 = OneLayerFrame(4, 4, 24, first);
  frame0.layers[0].mask = first_mask;
  frame0.layers[0].alpha_on = true;
  TFixtureFrame frame1 = OneLayerFrame(4, 4, 24, second);
  frame1.layers[0].mask = second_mask;
  frame1.layers[0].alpha_on = true;
  // Tile 0 from frame 0, tile 1 a copy of this picture's tile 0, tile 2 data, tile 3 from frame 0.
  frame1.layers[0].tiles = {{0, 0}, {-2, 0}, {-1, 0}, {0, 0}};
  frame1.layers[0].mask_tiles = {{-1, 0}, {0, 0}, {-2, 0}, {-1, 0}};
  file.frames = {frame0, frame1};
  TDovaFrameList list;
  Load(list, test::BuildFixture(file));
  ASSERT_EQ(list.Count(), 2u);
  const TDIBSurface& picture = list.Frame(1).picture;
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const size_t i = static_cast<size_t>(y * 4 + x);
      const int tile = (y / 2) * 2 + x / 2;
      // Colour: frame 0, tile 0 again (two columns left), data, frame 0.
      uint32_t colour = tile == 1 ? first[i - 2] : tile == 2 ? second[i] : first[i];
      // Mask: data, frame 0, tile 0 again (two rows up), data.
      uint32_t mask = tile == 1 ? first_mask[i] : tile == 2 ? second_mask[i - 8] : second_mask[i];
      EXPECT_EQ(picture.GetPixel(x, y), colour) << x << "," << y;
      EXPECT_EQ(picture.Mask()->GetPixel(x, y), mask) << x << "," << y;
    }
  }
  // Only the flattened frames remain.
  EXPECT_TRUE(list.Frame(0).layers.empty());
}

TEST(DovaReader, RefusesTileReferencesThatDoNotHold) {
  struct TCase {
    const char* name;
    std::pair<int32_t, int32_t> tile;
    bool mask_tile;
    int32_t first_width;
  } cases[] = {
      {"the frame itself", {1, 0}, false, 2},       {"a later frame", {2, 0}, false, 2},
      {"a missing layer", {0, 1}, false, 2},        {"a negative layer", {0, -1}, false, 2},
      {"a tile not yet filled", {-2, 1}, false, 2}, {"a negative tile", {-2, -1}, false, 2},
      {"an unknown kind", {-3, 0}, false, 2},       {"a frame of another size", {0, 0}, false, 3},
      {"a layer without mask", {0, 0}, true, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFixtureFile file;
    file.version = 105;
    file.block_width = file.block_height = 1;
    TFixtureFrame frame0 = OneLayerFrame(c.first_width, 1, 24, std::vector<uint32_t>(c.first_width, 5));
    TFixtureFrame frame1 = OneLayerFrame(2, 1, 24, {7, 7});
    frame1.layers[0].mask = {1, 2};
    if (c.mask_tile) {
      frame1.layers[0].mask_tiles = {c.tile};
    } else {
      frame1.layers[0].tiles = {c.tile};
    }
    file.frames = {frame0, frame1};
    TDovaFrameList list;
    try {
      Load(list, test::BuildFixture(file));
      ADD_FAILURE() << "accepted";
    } catch (const EOrvoError& error) {
      EXPECT_EQ(error.Message(), test::Sjis("ファイルが破壊されています"));
    }
    EXPECT_EQ(list.Count(), 0u);
  }
}

TEST(DovaReader, FirstFrameOnlyStopsAfterTheFirstFrame) {
  for (TFixtureForm form : {TFixtureForm::Record, TFixtureForm::Xml}) {
    TFixtureFile file;
    file.form = form;
    file.version = form == TFixtureForm::Xml ? 200 : 107;
    file.frames = {OneLayerFrame(1, 1, 24, {1}), OneLayerFrame(2, 1, 24, {2, 3}), OneLayerFrame(1, 1, 24, {4})};
    std::string bytes = test::BuildFixture(file);
    TDovaFrameList all, first;
    Load(all, bytes);
    Load(first, bytes, TFrameSelection::FirstOnly);
    EXPECT_EQ(all.Count(), 3u);
    ASSERT_EQ(first.Count(), 1u);
    EXPECT_EQ(first.Frame(0).picture.GetPixel(0, 0), 1u);
  }
}

TEST(DovaReader, ReadsJpegColourBlocksWithZlibMasks) {
  TFixtureFile file;
  file.form = TFixtureForm::Xml;
  file.version = 200;
  file.comp_type = 2;
  file.jpeg_quality = 95;
  std::vector<uint32_t> pixels(16 * 8, 0x3070B0);
  std::vector<uint8_t> mask(16 * 8);
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<uint8_t>(i * 2);
  for (int bits : {24, 32, 16, 8}) {
    SCOPED_TRACE(std::to_string(bits) + " bits");
    TFixtureFrame frame = OneLayerFrame(16, 8, bits, pixels);
    frame.layers[0].mask = mask;
    frame.layers[0].alpha_on = true;
    file.frames = {frame};
    TDovaFrameList list;
    Load(list, test::BuildFixture(file), TFrameSelection::All, TLayerRetention::Keep);
    const TDovaFrame& read = list.Frame(0);
    EXPECT_EQ(DescribeBlockKind(read.layers[0].colour_block), "jpeg");
    EXPECT_EQ(DescribeBlockKind(read.layers[0].mask_block), "zlib rows");
    EXPECT_EQ(Pixels(*read.picture.Mask()), std::vector<uint32_t>(mask.begin(), mask.end()));
    if (bits <= 8) continue;  // a grey palette has no such colour
    uint32_t colour = read.picture.PixelToColor(read.picture.GetPixel(5, 5));
    // The pixel 0x3070B0 is red 0x30, green 0x70, blue 0xB0.
    EXPECT_NEAR(static_cast<int>(colour & 0xFF), 0x30, 8);
    EXPECT_NEAR(static_cast<int>((colour >> 8) & 0xFF), 0x70, 8);
    EXPECT_NEAR(static_cast<int>(colour >> 16), 0xB0, 8);
  }
}

TEST(DovaReader, HeaderSizesOtherThanTheRecordAreSkippedOrZero) {
  for (int32_t size : {24, 40, 64}) {
    SCOPED_TRACE("header of " + std::to_string(size) + " bytes");
    TFixtureFile file;
    file.version = 103;
    file.header_size = size;
    file.bg_color = 0x00FF00;
    file.frames = {OneLayerFrame(1, 1, 24, {9})};
    TDovaFrameList list;
    Load(list, test::BuildFixture(file));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Frame(0).picture.GetPixel(0, 0), 9u);
    // The background colour sits at byte 24 of the record.
    EXPECT_EQ(list.BackgroundColor(), size > 24 ? 0x00FF00 : 0);
  }
}

}  // namespace
}  // namespace orvo
