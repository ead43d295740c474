// Flattening layers into the frame picture with the pixel store's arithmetic.
#include <gtest/gtest.h>

#include "base/stream.h"
#include "dova_fixture.h"
#include "image/dova.h"

namespace orvo {
namespace {

using test::TFixtureFile;
using test::TFixtureFrame;
using test::TFixtureLayer;

constexpr uint32_t A = 0x102030, B = 0x405060, K = 0x00FF00;
constexpr uint32_t R = 0xFF0000;  // the background colour 0x0000FF as a pixel

// The store's masked blend of 24-bit pixels: (s * m + d * (255 - m)) >> 8 per byte.
uint32_t MaskBlend(uint32_t s, uint32_t d, uint32_t m) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= ((((s >> shift) & 0xFF) * m + ((d >> shift) & 0xFF) * (255 - m)) >> 8) << shift;
  }
  return out;
}

TFixtureLayer Layer(std::vector<uint32_t> pixels, int32_t transparent = -1, int32_t alpha = 255) {
  TFixtureLayer layer;
  layer.pixels = std::move(pixels);
  layer.transparent_pixel = transparent;
  layer.alpha = alpha;
  return layer;
}

TFixtureLayer Masked(std::vector<uint32_t> pixels, std::vector<uint8_t> mask, bool alpha_on = true) {
  TFixtureLayer layer = Layer(std::move(pixels));
  layer.mask = std::move(mask);
  layer.alpha_on = alpha_on;
  return layer;
}

TFixtureLayer Hidden(TFixtureLayer layer) {
  layer.visible = false;
  return layer;
}

TEST(FlattenFrame, DrawsLayersAsTheStoreDoes) {
  struct TCase {
    const char* name;
    bool not_fill_bg;
    std::vector<TFixtureLayer> layers;
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> mask;  // empty: the frame has none
  } cases[] = {
      {"the transparent pixel shows the background", false, {Layer({A, K, A, K}, K)}, {A, R, A, R}, {}},
      {"not-fill-background keeps the first layer whole", true, {Layer({A, K, A, K}, K)}, {A, K, A, K}, {}},
      {"a later layer leaves out its transparent pixel",
       true,
       {Layer({A, A, A, A}), Layer({B, K, B, K}, K)},
       {B, A, B, A},
       {}},
      {"opacity divides by 255",
       false,
       {Layer({0, 0, 0, 0}), Layer({0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, -1, 128)},
       {0x808080, 0x808080, 0x808080, 0x808080},
       {}},
      {"a later layer draws through its mask",
       false,
       {Layer({A, A, A, A}), Masked({B, B, B, B}, {0, 255, 128, 0})},
       {A, B, MaskBlend(B, A, 128), A},
       {}},
      {"the first visible layer with a mask gives the frame its mask",
       false,
       {Hidden(Layer({A, A, A, A})), Masked({B, B, B, B}, {0, 255, 128, 7})},
       {R, B, MaskBlend(B, R, 128), MaskBlend(B, R, 7)},
       {0, 255, 128, 7}},
      {"a mask without alpha-on is not used", false, {Masked({B, B, B, B}, {0, 0, 0, 0}, false)}, {B, B, B, B}, {}},
      {"invisible layers are left out", false, {Layer({A, A, A, A}), Hidden(Layer({B, B, B, B}))}, {A, A, A, A}, {}},
      {"no visible layer leaves the background", false, {Hidden(Layer({A, A, A, A}))}, {R, R, R, R}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFixtureFile file;
    file.version = 105;
    file.bg_color = 0x0000FF;
    file.not_fill_bg = c.not_fill_bg;
    TFixtureFrame frame;
    frame.width = 4;
    frame.layers = c.layers;
    file.frames = {frame};
    TMemoryStream stream(test::BuildFixture(file));
    TDovaFrameList list;
    list.LoadFromStream(stream);
    const TDIBSurface& picture = list.Frame(0).picture;
    std::vector<uint32_t> pixels, mask;
    for (int32_t x = 0; x < 4; ++x) {
      pixels.push_back(picture.GetPixel(x, 0));
      if (picture.HasMask()) mask.push_back(picture.Mask()->GetPixel(x, 0));
    }
    EXPECT_EQ(pixels, c.pixels);
    EXPECT_EQ(mask, c.mask);
  }
}

TEST(FlattenFrame, PalettePicturesDitherInsteadOfMixing) {
  // Opacity 8 is level 0 of the sixteen: one pixel of every 4 x 4 block, as
  // the pixel store draws it (not nothing).
  struct TCase {
    int32_t alpha;
    int copied;
  } cases[] = {{8, 1}, {16, 2}, {128, 9}, {239, 15}, {240, 16}};
  for (const TCase& c : cases) {
    SCOPED_TRACE("alpha " + std::to_string(c.alpha));
    TFixtureFile file;
    file.version = 105;
    TFixtureFrame frame = test::OneLayerFrame(4, 4, 8, std::vector<uint32_t>(16, 1));
    frame.layers[0].alpha = c.alpha;
    file.frames = {frame};
    TMemoryStream stream(test::BuildFixture(file));
    TDovaFrameList list;
    list.LoadFromStream(stream);
    const TDIBSurface& picture = list.Frame(0).picture;
    int copied = 0;
    for (int32_t y = 0; y < 4; ++y) {
      for (int32_t x = 0; x < 4; ++x) copied += picture.GetPixel(x, y) == 1 ? 1 : 0;
    }
    EXPECT_EQ(copied, c.copied);
    EXPECT_EQ(picture.GetPixel(0, 0), 1u);
  }
}

}  // namespace
}  // namespace orvo
