#include "stage/cabinet.h"

namespace orvo {

TOrvoCabinet::TOrvoCabinet(TOrvoBaseList& stage) : TOrvoControl(stage) {
  TOrvoControl::SetProperty(PR_VISIBLE, TPropValue::Bool(false));
}

void TOrvoCabinet::SetProperty(int32_t id, const TPropValue& value) {
  if (id == PR_VISIBLE) return;
  TOrvoControl::SetProperty(id, value);
}

void TOrvoCabinet::Paint(TCustomDIBX& surface) { (void)surface; }

TOrvoControl* TOrvoCabinet::HitTest(int32_t x, int32_t y, uint32_t mask) {
  (void)x;
  (void)y;
  (void)mask;
  return nullptr;
}

}  // namespace orvo
