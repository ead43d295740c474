#pragma once
// One picture of a bar control (bar, thumb, buttons or gauge), held in the
// picture cache from the setting of its source until the source changes or
// the object goes. Its first frame is drawn, cut into equal cells side by side.
#include <cstdint>
#include <string>

#include "stage/picture_cache.h"

namespace orvo {

class TBarPicture {
 public:
  explicit TBarPicture(TDovaCollection& cache) : cache_(&cache) {}
  ~TBarPicture() { Release(); }
  TBarPicture(const TBarPicture&) = delete;
  TBarPicture& operator=(const TBarPicture&) = delete;

  // Releases the held picture, then takes the file's (nothing for "").
  // Damaged files raise and leave no picture.
  void Load(const std::string& file);
  void Release();
  // The first frame; null without a picture.
  const TDovaItemFrame* Frame() const;
  int32_t Width() const { return item_ ? item_->Width() : 0; }
  int32_t Height() const { return item_ ? item_->Height() : 0; }
  // The size of one of count cells: width div count x height.
  int32_t CellWidth(int32_t count) const { return Width() / count; }
  // The mask value at a point of the frame (wrapped into it); 255 without a mask.
  int32_t MaskAt(int64_t x, int64_t y) const;
  bool HasMask() const;

 private:
  TDovaCollection* cache_;
  TDovaItem* item_ = nullptr;
};

}  // namespace orvo
