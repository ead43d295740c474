#pragma once
// The video object (kind 16): a picture object that shows the frames of a
// video at the source's size and plays its sound; volume, pan, loop,
// position, pause, fades, play states and play-end follow the sound object.
// There is no overlay on this system: PR_OVERLAY is kept, and changing it
// while a video plays still restarts the video from where it was.
#include <memory>
#include <string>

#include "media/fade.h"
#include "media/media_system.h"
#include "media/video_item.h"
#include "stage/custom_image.h"

namespace orvo {

class TOrvoVideo : public TOrvoCustomImage {
 public:
  TOrvoVideo(TOrvoBaseList& stage, TMediaSystem& media);
  ~TOrvoVideo() override;

  uint8_t CompoType() const override { return kcVideo; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  std::string_view IdleHandler() const override { return on_idle_; }
  void RestartMedia() override;
  void StartMedia() override { SetPlayState(fade_time_ > 0 ? 1 : 0); }
  bool StopMedia(int32_t fade_time) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  uint8_t GetPlayState() const { return play_state_; }
  void SetPlayState(uint8_t state);
  TDsVideoItem* Item() const { return item_; }

 private:
  int32_t Effective() const;
  void FreeItem();
  void ReapplyPause();
  void StartFadeIn();
  // Copies the picture whose span holds the position into the frame surface.
  void ShowCurrentFrame();

  TMediaSystem& media_;
  std::string source_;
  uint8_t play_state_ = 2;
  TDsVideoItem* item_ = nullptr;
  std::shared_ptr<TDIBX> frame_surface_;
  size_t shown_frame_ = SIZE_MAX;
  bool loop_ = false;
  bool paused_ = false;
  bool ani_paused_ = false;
  int32_t volume_ = 1000;
  int32_t balance_ = 0;
  std::unique_ptr<TOrvoMixer> mixer_;
  int32_t fade_time_ = 0;
  int32_t position_ = 0;
  bool auto_scrap_ = false;
  std::string on_play_end_;
  std::string on_idle_;
  bool ended_ = false;
  bool rewind_on_load_ = true;
  bool mute_on_load_ = false;
  bool overlay_ = true;
};

}  // namespace orvo
