#include "stage/bar_picture.h"

namespace orvo {

void TBarPicture::Load(const std::string& file) {
  Release();
  // The field's address is the user: one object may hold several pictures of one file.
  if (!file.empty()) item_ = cache_->AcquirePicture(this, file, false, false);
}

void TBarPicture::Release() {
  if (!item_) return;
  TDovaItem* item = item_;
  item_ = nullptr;
  cache_->ReleasePicture(item, this);
}

const TDovaItemFrame* TBarPicture::Frame() const {
  if (!item_ || item_->FrameCount() < 1) return nullptr;
  const TDovaItemFrame& frame = item_->Frames().front();
  return frame.surface ? &frame : nullptr;
}

bool TBarPicture::HasMask() const {
  const TDovaItemFrame* frame = Frame();
  return frame && frame->mask && !frame->mask->IsEmpty();
}

int32_t TBarPicture::MaskAt(int64_t x, int64_t y) const {
  const TDovaItemFrame* frame = Frame();
  if (!frame || !frame->mask || frame->mask->IsEmpty()) return 255;
  const TDIBX& mask = *frame->mask;
  const int64_t w = mask.Width(), h = mask.Height();
  x %= w;
  y %= h;
  if (x < 0) x += w;
  if (y < 0) y += h;
  return static_cast<int32_t>(mask.GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y)) & 0xFF);
}

}  // namespace orvo
