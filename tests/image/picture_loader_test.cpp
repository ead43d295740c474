// Pictures as the image cache takes them, the surfaces' layered-image hook
// and the archive writer's question.
#include "image/picture_loader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/stream.h"
#include "data/archive_tools.h"
#include "data/file_manager.h"
#include "dova_fixture.h"
#include "support/test_support.h"
#include "surface/dibx.h"
#include "surface/surface_io.h"

namespace orvo {
namespace {

// Two frames: a 6 x 4 picture whose content sits at (2, 1) behind a
// transparent pixel, and a plain 3 x 3 one without delay.
std::string TwoFrames() {
  TDovaFrameList list;
  TDovaFrame& first = list.AddFrame();
  first.picture.SetSize(6, 4, 24);
  first.picture.FillRect(first.picture.Bounds(), 0x00FF00);
  first.picture.FillRect({2, 1, 4, 2}, 0x123456);
  first.SetTransparentPixel(0x00FF00);
  first.delay = 30;
  TDovaFrame& second = list.AddFrame();
  second.picture.SetSize(3, 3, 24);
  second.delay = 0;
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 70);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST(PictureLoader, LoadsGameFilesWithMasksAndOffsets) {
  std::string folder = test::MakeTempDir("picture-loader");
  std::filesystem::create_directories(folder + "/pics");
  test::WriteFile(folder + "/pics/anim.dov", TwoFrames());
  TVrFileManager files;
  files.SetFolder(folder);

  TPictureRequest request;
  request.masks = TMaskRequest::EveryFrame;
  request.offsets = TOffsetRequest::ContentRect;
  TPicture picture;
  ASSERT_TRUE(LoadPicture(files, "PICS\\Anim.DOV", request, picture));
  EXPECT_EQ(picture.width, 6);
  EXPECT_EQ(picture.height, 4);
  ASSERT_EQ(picture.frames.size(), 2u);
  const TPictureFrame& first = picture.frames[0];
  EXPECT_EQ(first.offset_x, 2);
  EXPECT_EQ(first.offset_y, 1);
  EXPECT_EQ(first.picture.Width(), 2);
  EXPECT_EQ(first.key_color, 0x00FF00);
  EXPECT_EQ(first.delay, 30);
  ASSERT_TRUE(first.picture.HasMask());
  EXPECT_EQ(first.picture.Mask()->GetPixel(0, 0), 255u);
  // A delay of 0 counts as 1.
  EXPECT_EQ(picture.frames[1].delay, 1);
  EXPECT_EQ(picture.total_delay, 31);
  EXPECT_TRUE(picture.frames[1].picture.HasMask());

  TPicture plain;
  ASSERT_TRUE(LoadPicture(files, "pics\\anim.dov", {.frames = TFrameSelection::FirstOnly}, plain));
  ASSERT_EQ(plain.frames.size(), 1u);
  EXPECT_FALSE(plain.frames[0].picture.HasMask());
  EXPECT_EQ(plain.frames[0].picture.Width(), 6);

  EXPECT_FALSE(LoadPicture(files, "pics\\missing.dov", request, plain));
}

TEST(PictureLoader, DithersToTheDisplayDepth) {
  struct TCase {
    const char* name;
    int bits;
    int32_t transparent;
    bool mask;
    int expected_bits;
  } cases[] = {
      {"to 16 bits", 16, -1, false, 16},
      {"to 15 bits", 15, -1, false, 15},
      {"a keyed frame keeps its pixels", 16, 0x040404, false, 24},
      {"a keyed frame with a mask is dithered", 16, 0x040404, true, 16},
      {"no reduction to 32 bits", 32, -1, false, 24},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDovaFrame frame;
    frame.picture.SetSize(4, 4, 24);
    // Half a step of five bits: the ordered dither rounds half the pixels up.
    frame.picture.FillRect(frame.picture.Bounds(), 0x040404);
    if (c.mask) frame.picture.EnsureMask();
    frame.SetTransparentPixel(c.transparent);
    DitherFrame(frame, c.bits);
    ASSERT_EQ(frame.picture.StoreBitCount(), c.expected_bits);
    if (c.expected_bits == 24) continue;
    int raised = 0;
    for (int32_t y = 0; y < 4; ++y) {
      for (int32_t x = 0; x < 4; ++x) raised += (frame.picture.GetPixel(x, y) & 0x1F) == 1 ? 1 : 0;
    }
    EXPECT_EQ(raised, 8);
    EXPECT_EQ(frame.picture.HasMask(), c.mask);
  }
}

TEST(PictureLoader, SurfacesReadLayeredPicturesThroughTheHook) {
  RegisterLayeredImageDecoder();
  std::string bytes = TwoFrames();
  TMemoryStream stream(bytes);
  TDIBX surface;
  surface.SetSize(1, 1, 32);
  surface.LoadFromStream(&stream, 0);
  EXPECT_EQ(surface.Width(), 6);
  EXPECT_EQ(surface.Height(), 4);
  EXPECT_EQ(surface.GetPixel(2, 1), 0x123456u);
}

TEST(PictureLoader, TellsWhichFilesTheArchiveShouldCompress) {
  std::string folder = test::MakeTempDir("uncompressed");
  TDovaFrameList list;
  list.AddFrame().picture.SetSize(64, 64, 24);  // flat: plain rows compress well
  struct TCase {
    const char* name;
    std::string bytes;
    bool expected;
  } cases[] = {
      {"plain blocks", "", true},
      {"zlib blocks", "", false},
      {"not a picture", "hello", false},
      {"a record-form file", "Dova105" + std::string(60, '\0'), false},
  };
  for (TDovaCompression compression : {TDovaCompression::None, TDovaCompression::Zlib}) {
    TMemoryStream stream;
    list.SaveToStream(stream, compression, 70);
    cases[compression == TDovaCompression::None ? 0 : 1].bytes.assign(stream.Bytes().begin(), stream.Bytes().end());
  }
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = folder + "/" + c.name + ".dov";
    test::WriteFile(path, c.bytes);
    EXPECT_EQ(IsUncompressedImageFile(path), c.expected);
  }
  EXPECT_FALSE(IsUncompressedImageFile(folder + "/missing.dov"));

  // The archive writer compresses the plain one and stores the zlib one as it is.
  std::string archive = test::MakeTempDir("uncompressed-archive") + "/game.dat";
  TPackOptions options;
  options.is_uncompressed_image = IsUncompressedImageFile;
  PackFolder(folder, archive, options);
  for (const TEntryReport& entry : ListArchive(archive, TVerify::No)) {
    SCOPED_TRACE(entry.name);
    const bool compressed = entry.storage == 0 || entry.storage == 3;
    EXPECT_EQ(compressed, entry.name == "plain blocks.dov");
  }
}

}  // namespace
}  // namespace orvo
