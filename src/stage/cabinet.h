#pragma once
// The cabinet (kind 27): an invisible container. Objects moved into it are
// frozen (no update, no events) and not drawn until they are moved out.
#include "stage/orvo_control.h"

namespace orvo {

class TOrvoCabinet : public TOrvoControl {
 public:
  explicit TOrvoCabinet(TOrvoBaseList& stage);

  uint8_t CompoType() const override { return kcCabinet; }
  bool IsCabinet() const override { return true; }
  // A cabinet is never shown: PR_VISIBLE stays false.
  void SetProperty(int32_t id, const TPropValue& value) override;
  void Paint(TCustomDIBX& surface) override;
  TOrvoControl* HitTest(int32_t x, int32_t y, uint32_t mask) override;
  TOrvoControl* FirstFocusable() override { return nullptr; }

 protected:
  bool TakesIdleEvents() const override { return false; }
};

}  // namespace orvo
