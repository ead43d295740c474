#pragma once
// A video item: the pictures of a video file and its sound as a voice. The
// voice is the clock: a video without sound plays a silent voice as long as
// its pictures.
#include <memory>

#include "media/media_items.h"

namespace orvo {

class TDsVideoItem : public TVoiceItem {
 public:
  TDsVideoItem(TMediaManager& owner, TAudioEngine& engine, std::unique_ptr<TVideoClip> clip);

  int32_t SourceWidth() const { return clip_->width; }
  int32_t SourceHeight() const { return clip_->height; }
  // The picture whose span holds the position (ms): the last one starting at or before it.
  size_t FrameIndexAt(int32_t ms) const;
  const TVideoFrame& Frame(size_t index) const { return clip_->frames[index]; }

 private:
  std::unique_ptr<TVideoClip> clip_;
};

// The length of a clip's pictures (ms): the last one lasts as long as the one before it.
int64_t PictureSpanMs(const TVideoClip& clip);

}  // namespace orvo
