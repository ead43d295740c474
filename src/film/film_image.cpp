#include "film/film_image.h"

namespace orvo {

TPropValue TOrvoImage::GetProperty(int32_t id) const {
  if (id == PR_INDEX) return TPropValue::Int(index_);
  return TOrvoCustomImage::GetProperty(id);
}

void TOrvoImage::SetProperty(int32_t id, const TPropValue& value) {
  if (id == PR_INDEX) {
    index_ = value.AsInt();
    return;
  }
  TOrvoCustomImage::SetProperty(id, value);
}

}  // namespace orvo
