#include "stage/text_pictures.h"

#include <algorithm>

namespace orvo {

TTextPictureCache::~TTextPictureCache() {
  for (auto& [name, item] : items_) cache_.ReleasePicture(item, this);
}

TDovaItem* TTextPictureCache::Item(std::string_view source) {
  auto it = items_.find(std::string(source));
  if (it == items_.end()) {
    TDovaItem* item = cache_.AcquirePicture(this, std::string(source), false, true);
    it = items_.emplace(std::string(source), item).first;
  }
  return it->second && it->second->Found() ? it->second : nullptr;
}

bool TTextPictureCache::PictureSize(std::string_view source, int32_t& width, int32_t& height) {
  TDovaItem* item = Item(source);
  if (!item) return false;
  width = item->Width();
  height = item->Height();
  return true;
}

int32_t TTextPictureCache::FrameCount(std::string_view source) {
  TDovaItem* item = Item(source);
  return item ? item->FrameCount() : 0;
}

int32_t TTextPictureCache::FrameDelay(std::string_view source, int32_t index) {
  TDovaItem* item = Item(source);
  if (!item || index < 0 || index >= item->FrameCount()) return 1;
  return std::max(1, item->Frames()[static_cast<size_t>(index)].delay);
}

TTextPictureFrame TTextPictureCache::FrameAt(std::string_view source, int32_t index) {
  TDovaItem* item = Item(source);
  if (!item || index < 0 || index >= item->FrameCount()) return {};
  const TDovaItemFrame& frame = item->Frames()[static_cast<size_t>(index)];
  return {frame.surface.get(), frame.mask.get(), frame.key_color >= 0};
}

}  // namespace orvo
