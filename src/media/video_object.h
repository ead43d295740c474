#pragma once
// The video object (kind 16): a picture object that shows the frames of a
// video at the source's size and plays its sound; volume, pan, loop,
// position, pause, fades, play states and play-end follow the sound object.
// There is no overlay on this system: PR_OVERLAY is kept, and changing it
// while a video plays still restarts the video from where it was.
#include <memory>
#include <string>

#include "media/media_object.h"
#include "media/video_item.h"
#include "stage/custom_image.h"

namespace orvo {

class TOrvoVideo : public TOrvoMediaObject<TOrvoCustomImage, TDsVideoItem> {
 public:
  TOrvoVideo(TOrvoBaseList& stage, TMediaSystem& media);
  ~TOrvoVideo() override;

  uint8_t CompoType() const override { return kcVideo; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  std::string_view IdleHandler() const override { return on_idle_; }
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

 private:
  bool SourceAvailable() const override { return media_.Services().require_file(source_); }
  void OpenItem() override;
  void FreeItem() override;
  // Copies the picture whose span holds the position into the frame surface.
  void ShowCurrentFrame();

  std::shared_ptr<TDIBX> frame_surface_;
  size_t shown_frame_ = SIZE_MAX;
  std::string on_idle_;
  bool overlay_ = true;
};

}  // namespace orvo
