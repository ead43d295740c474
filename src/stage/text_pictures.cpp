#include "stage/text_pictures.h"

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

TTextPictureFrame TTextPictureCache::Frame(std::string_view source) {
  TDovaItem* item = Item(source);
  if (!item || item->Frames().empty()) return {};
  const TDovaItemFrame& frame = item->Frames().front();
  return {frame.surface.get(), frame.mask.get(), frame.key_color >= 0};
}

}  // namespace orvo
