// Video objects: the frame shown follows the sound clock, the picture has
// the source's size, and stops, ends and records behave as for sounds.
#include "media/video_object.h"

#include <gtest/gtest.h>

#include <map>

#include "base/error.h"
#include "base/stream.h"
#include "media/media_rig.h"
#include "media/media_system.h"
#include "platform/video_encoder.h"
#include "stage/stage.h"

namespace orvo {
namespace {

// Frames of one colour each (0xAARRGGBB), 100 ms apart.
std::string Video(const std::vector<uint32_t>& colours, int32_t width = 8, int32_t height = 6) {
  std::vector<std::vector<uint32_t>> frames;
  for (uint32_t colour : colours) frames.emplace_back(static_cast<size_t>(width * height), colour);
  const std::vector<uint8_t> bytes = EncodeRawVideo(frames, width, height, 10);
  return std::string(bytes.begin(), bytes.end());
}

struct TVideoRig : test::TMediaRig {
  TVideoRig() : TMediaRig(true) {}
  TOrvoVideo* NewVideo(const std::string& source, const std::vector<std::pair<int32_t, TPropValue>>& props = {}) {
    return NewObject<TOrvoVideo>(kcVideo, "v", source, props);
  }
  // A frame step: the frames of the time since the last step are rendered, then the stage updates.
  void Step(int32_t ms) {
    std::vector<int16_t> out(static_cast<size_t>(ms) * 441 / 10 * 2);
    media.Engine().Render(out.data(), out.size() / 2);
    state.total_elapsed += ms;
    stage.UpdateAll();
  }
};

uint32_t ShownPixel(const TOrvoVideo& video) { return video.DrawnPicture().surface->GetPixel(2, 3) & 0xFFFFFF; }

TEST(VideoObject, ShowsTheFrameWhoseSpanHoldsThePosition) {
  TVideoRig rig;
  rig.files["v.nut"] = Video({0xFF112233, 0xFF445566, 0xFF778899});
  TOrvoVideo* video = rig.NewVideo("v.nut", {{PR_ONPLAYEND, TPropValue::Str("end")}});
  ASSERT_TRUE(video->Item());
  EXPECT_EQ(video->DrawnPicture().Width(), 8);
  EXPECT_EQ(video->DrawnPicture().Height(), 6);
  EXPECT_EQ(video->GetProperty(PR_COUNT).AsInt(), 300);
  struct TCheck {
    int32_t step_ms;
    uint32_t colour;
  };
  // Positions 90, 105, 195, 210, 299: frames 0, 1, 1, 2, 2.
  for (const TCheck& check :
       std::vector<TCheck>{{90, 0x112233}, {15, 0x445566}, {90, 0x445566}, {15, 0x778899}, {89, 0x778899}}) {
    rig.Step(check.step_ms);
    EXPECT_EQ(ShownPixel(*video), check.colour) << video->GetProperty(PR_INDEX).AsInt();
  }
  EXPECT_EQ(rig.PlayEndEvents(), 0u);
  rig.Step(15);
  EXPECT_EQ(rig.PlayEndEvents(), 1u);
  EXPECT_FALSE(video->GetProperty(PR_PLAYING).AsBool());
}

TEST(VideoObject, LoopsPausesAndStops) {
  TVideoRig rig;
  rig.files["v.nut"] = Video({0xFF000010, 0xFF000020});
  TOrvoVideo* video = rig.NewVideo("v.nut", {{PR_REPEAT, TPropValue::Bool(true)}});
  for (int i = 0; i < 15; ++i) rig.Step(15);  // 225 ms: looped once, in frame 0 again
  EXPECT_EQ(ShownPixel(*video), 0x10u);
  EXPECT_EQ(rig.PlayEndEvents(), 0u);
  video->SetProperty(PR_PAUSED, TPropValue::Bool(true));
  const int32_t held = video->GetProperty(PR_INDEX).AsInt();
  rig.Step(150);
  EXPECT_EQ(video->GetProperty(PR_INDEX).AsInt(), held);
  EXPECT_FALSE(video->GetProperty(PR_PLAYING).AsBool());
  const TObjectHandle handle = video->Handle();
  EXPECT_FALSE(video->StopMedia(0));
  rig.Step(15);
  EXPECT_EQ(rig.stage.Resolve(handle), nullptr);
}

TEST(VideoObject, RecordKeepsTheVersionedFields) {
  TVideoRig rig;
  rig.files["v.nut"] = Video({0xFF000010, 0xFF000020, 0xFF000030});
  TOrvoVideo* video = rig.NewVideo("v.nut", {{PR_REWINDONLOAD, TPropValue::Bool(false)},
                                             {PR_OVERLAY, TPropValue::Bool(false)},
                                             {PR_VOLUME, TPropValue::Int(600)}});
  for (int i = 0; i < 10; ++i) rig.Step(15);
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  video->WriteState(writer);

  TVideoRig loaded;
  loaded.files = rig.files;
  auto* copy = static_cast<TOrvoVideo*>(loaded.stage.CreateByKind(kcVideo));
  stream.Seek(0, TSeekOrigin::Begin);
  TBinaryReader reader(stream);
  copy->ReadState(reader, 201);
  EXPECT_EQ(reader.Remaining(), 0);
  EXPECT_FALSE(copy->GetProperty(PR_OVERLAY).AsBool());
  EXPECT_EQ(copy->GetProperty(PR_VOLUME).AsInt(), 600);
  ASSERT_TRUE(copy->Item());
  EXPECT_EQ(copy->GetProperty(PR_INDEX).AsInt(), 149);  // ten steps of 661 frames
  EXPECT_EQ(ShownPixel(*copy), 0x20u);                  // the second frame's span
}

TEST(VideoObject, AnUnreadableVideoGivesNoItem) {
  TVideoRig rig;
  rig.files["bad.wmv"] = std::string(400, 'z');
  TOrvoVideo* video = rig.NewVideo("bad.wmv");
  EXPECT_EQ(video->Item(), nullptr);
  EXPECT_EQ(video->GetProperty(PR_INDEX).AsInt(), 0);
}

}  // namespace
}  // namespace orvo
