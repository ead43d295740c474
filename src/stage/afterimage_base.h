#pragma once
// What every afterimage shares whatever it copies: the handle of its source,
// the fade from half the source's opacity to nothing over the source's blur
// delay, and its absence from saves.
#include <cstdint>
#include <optional>

#include "stage/orvo_control.h"

namespace orvo {

// The opacity an afterimage starts with: half, keeping the additive range.
int32_t AfterimageStartAlpha(int32_t alpha);
// The opacity after elapsed of lifetime milliseconds.
int32_t AfterimageAlpha(int32_t start_alpha, int32_t elapsed, int32_t lifetime);
// Moves elapsed on by the stage's frame delta: the opacity to show, nothing once the lifetime is over.
std::optional<int32_t> AdvanceAfterimage(const TOrvoObject& self, int32_t& elapsed, int32_t lifetime,
                                         int32_t start_alpha);

template <class Base>
class TAfterimage : public Base {
 public:
  template <class Source>
  TAfterimage(TOrvoBaseList& stage, const Source& source)
      : Base(stage),
        source_(source.Handle()),
        lifetime_(source.GetInt(PR_BLURDELAY)),
        start_alpha_(AfterimageStartAlpha(source.Alpha())) {}

  bool IsAfterimage() const override { return true; }
  TObjectHandle AfterimageSource() const override { return source_; }
  bool Update() override {
    const std::optional<int32_t> alpha = AdvanceAfterimage(*this, elapsed_, lifetime_, start_alpha_);
    if (!alpha) return true;
    this->SetAlphaValue(*alpha);
    return false;
  }

 protected:
  int32_t StartAlpha() const { return start_alpha_; }

 private:
  TObjectHandle source_;
  int32_t elapsed_ = 0;
  int32_t lifetime_;
  int32_t start_alpha_;
};

}  // namespace orvo
