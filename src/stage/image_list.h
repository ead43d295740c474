#pragma once
// The frames one object shows of one picture file: each refers to a frame of
// the shared cache item and keeps the object's brightness for it (with its
// own adjusted copy while the brightness is not 0). The list also carries a
// small looping animation of its own (map images use it).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stage/picture_cache.h"

namespace orvo {

// What a picture object draws: the surface, its mask, the key colour and the
// parts to draw. Surfaces are shared, so a view stays drawable on its own.
struct TPictureView {
  std::shared_ptr<TDIBX> surface;
  std::shared_ptr<TDIBX> mask;
  int32_t key_color = -1;  // 0x00BBGGRR, -1 for none
  std::vector<TRect> draw_rects;

  bool Empty() const { return !surface; }
  int32_t Width() const { return surface ? surface->Width() : 0; }
  int32_t Height() const { return surface ? surface->Height() : 0; }
};

class TOrvoImageData {
 public:
  // Keeps its own reference to the frame's surfaces: the cache may reload the item.
  explicit TOrvoImageData(const TDovaItemFrame& frame) : frame_(frame) {}

  const TDovaItemFrame& Frame() const { return frame_; }
  int32_t Brightness() const { return brightness_; }
  // Brings the frame's look to brightness b: 0 draws the cache's surface,
  // others an own copy raised (b > 0) or lowered (b < 0) in every channel.
  void SetBrightness(int32_t brightness);
  // The frame as drawn (with the brightness copy when there is one).
  TPictureView View() const;

 private:
  TDovaItemFrame frame_;
  int32_t brightness_ = 0;
  std::shared_ptr<TDIBX> adjusted_;
  int32_t adjusted_key_ = -1;
};

class TOrvoImageList {
 public:
  TOrvoImageList(TDovaCollection& cache, const void* owner) : cache_(&cache), owner_(owner) {}
  ~TOrvoImageList();
  TOrvoImageList(const TOrvoImageList&) = delete;
  TOrvoImageList& operator=(const TOrvoImageList&) = delete;

  // Releases the previous item and takes the frames of file (without offsets).
  void LoadFrames(const std::string& file, bool masks);
  void Clear();
  int32_t Count() const { return static_cast<int32_t>(frames_.size()); }
  bool Valid(int32_t index) const { return index >= 0 && index < Count(); }
  TOrvoImageData& At(int32_t index) { return frames_[static_cast<size_t>(index)]; }
  const TOrvoImageData& At(int32_t index) const { return frames_[static_cast<size_t>(index)]; }
  TDovaItem* Item() const { return item_; }
  // The picture's size (first frame); 0 x 0 without a file.
  int32_t Width() const { return item_ ? item_->Width() : 0; }
  int32_t Height() const { return item_ ? item_->Height() : 0; }

  // The list's own looping animation: true when the frame changed.
  int32_t Current() const { return current_; }
  bool StepFrames(int32_t milliseconds);
  // Current frame i (clamped to the last) with its whole delay ahead.
  void RestartFrames(int32_t index);

 private:
  TDovaCollection* cache_;
  const void* owner_;
  TDovaItem* item_ = nullptr;
  std::vector<TOrvoImageData> frames_;
  int32_t current_ = 0;
  int32_t remaining_ = 0;
};

}  // namespace orvo
