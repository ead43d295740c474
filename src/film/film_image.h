#pragma once
// The picture an image track shows: a picture object of no kind code (never
// saved) whose frames come from the film's cached picture.
#include <cstdint>

#include "stage/custom_image.h"

namespace orvo {

class TOrvoImage : public TOrvoCustomImage {
 public:
  explicit TOrvoImage(TOrvoBaseList& stage) : TOrvoCustomImage(stage) {}

  bool WantsAutoName() const override { return false; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  int32_t BlurIndex() const override { return index_; }

  int32_t Index() const { return index_; }
  void SetIndex(int32_t index) { index_ = index; }
  // The size follows the picture and zoom at the next update.
  void MarkSizeDue() { MarkSizeDirty(); }

 private:
  int32_t index_ = 0;
};

}  // namespace orvo
