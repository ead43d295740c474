#include "stage/presenter.h"

#include <cstring>

#include "stage/stage.h"

namespace orvo {

const std::vector<TRect>& TStagePresenter::Prepare(TOrvoBaseList& stage) {
  TDIBX& display = stage.DisplaySurface();
  rects_.clear();
  if (display.Width() != width_ || display.Height() != height_) {
    width_ = display.Width();
    height_ = display.Height();
    pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
    rects_.push_back(TRect{0, 0, width_, height_});
  } else {
    rects_ = stage.PresentRects();
  }
  if (rects_.empty() || display.BitCount() != 32) return rects_;
  const uint8_t* origin = display.Lock(0, 0);
  if (!origin) return rects_;
  const int64_t pitch = display.Pitch();
  for (const TRect& r : rects_) {
    const size_t bytes = static_cast<size_t>(r.Width()) * 4;
    for (int32_t y = r.top; y < r.bottom; ++y) {
      const uint8_t* source = origin + y * pitch + int64_t{r.left} * 4;
      std::memcpy(&pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(r.left)], source,
                  bytes);
    }
  }
  display.Unlock();
  return rects_;
}

TFrameView TStagePresenter::View() const {
  return TFrameView{width_, height_, reinterpret_cast<const uint8_t*>(pixels_.data()), static_cast<size_t>(width_) * 4};
}

bool TStagePresenter::PresentTo(TOrvoBaseList& stage, IDisplay& display) {
  if (Prepare(stage).empty()) return false;
  display.Present(View(), rects_);
  return true;
}

}  // namespace orvo
