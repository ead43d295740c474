#include "stage/image_list.h"

#include <algorithm>

namespace orvo {

namespace {

// Every channel raised (b > 0, saturating) or lowered (b < 0, floored at 0).
void AdjustBrightness(TCustomDIBX& surface, int32_t brightness) {
  const int32_t step = std::min(std::abs(brightness), 255);
  const int32_t grey = step | (step << 8) | (step << 16);
  const uint32_t pixel = static_cast<uint32_t>(surface.ColorToPixel(grey));
  surface.ResetClip();
  if (brightness > 0) {
    surface.FillRectAdd(surface.GetBounds(), pixel);
  } else {
    surface.FillRectSub(surface.GetBounds(), pixel);
  }
}

}  // namespace

void TOrvoImageData::SetBrightness(int32_t brightness) {
  if (brightness == brightness_ && (brightness == 0 || adjusted_)) return;
  brightness_ = brightness;
  adjusted_.reset();
  adjusted_key_ = -1;
  const TDIBX* source = frame_.surface.get();
  if (brightness == 0 || !source) return;
  auto copy = std::make_shared<TDIBX>();
  copy->SetSize(source->Width(), source->Height(), source->BitCount());
  copy->Assign(*frame_.surface);
  AdjustBrightness(*copy, brightness);
  if (frame_.key_color >= 0) {
    // The key goes through the same change, so that it still matches its pixels.
    TDIBX probe;
    probe.SetSize(1, 1, copy->BitCount());
    probe.SetPixel(0, 0, static_cast<uint32_t>(probe.ColorToPixel(frame_.key_color)));
    AdjustBrightness(probe, brightness);
    const uint32_t key = probe.GetPixel(0, 0);
    copy->SetKeyColor(static_cast<int32_t>(key));
    const uint32_t r = (key >> 16) & 0xFF, g = (key >> 8) & 0xFF, b = key & 0xFF;
    adjusted_key_ = static_cast<int32_t>(r | (g << 8) | (b << 16));
  }
  adjusted_ = std::move(copy);
}

TPictureView TOrvoImageData::View() const {
  TPictureView view;
  view.surface = adjusted_ ? adjusted_ : frame_.surface;
  view.mask = frame_.mask;
  view.key_color = adjusted_ ? adjusted_key_ : frame_.key_color;
  view.draw_rects = frame_.draw_rects;
  return view;
}

TOrvoImageList::~TOrvoImageList() { Clear(); }

void TOrvoImageList::Clear() {
  frames_.clear();
  if (item_) cache_->ReleasePicture(item_, owner_);
  item_ = nullptr;
  current_ = 0;
  remaining_ = 0;
}

void TOrvoImageList::LoadFrames(const std::string& file, bool masks) {
  // Acquired before the old item goes, so that reloading the same file keeps it.
  TDovaItem* item = cache_->AcquirePicture(owner_, file, false, masks);
  if (item == item_) {
    frames_.clear();
  } else {
    Clear();
    item_ = item;
  }
  frames_.reserve(item->Frames().size());
  for (const TDovaItemFrame& frame : item->Frames()) frames_.emplace_back(frame);
  RestartFrames(0);
}

bool TOrvoImageList::StepFrames(int32_t milliseconds) {
  if (Count() <= 1) return false;
  const int32_t before = current_;
  remaining_ -= milliseconds;
  // Bounded: a late frame advances at most once around the list.
  for (int32_t steps = 0; remaining_ < 1 && steps <= Count(); ++steps) {
    current_ = current_ + 1 < Count() ? current_ + 1 : 0;
    if (current_ == 0) remaining_ = 0;
    remaining_ += At(current_).Frame().delay;
  }
  return current_ != before;
}

void TOrvoImageList::RestartFrames(int32_t index) {
  if (frames_.empty()) {
    current_ = 0;
    remaining_ = 0;
    return;
  }
  current_ = std::clamp(index, 0, Count() - 1);
  remaining_ = At(current_).Frame().delay + 1;
}

}  // namespace orvo
