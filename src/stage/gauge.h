#pragma once
// The gauge (kind 23): a bar filled in proportion to a value. A value that
// falls shows the lost part drained, which empties after a delay; a value
// that rises fills up; both move at the speed that would cross the whole
// range in PR_DELAY milliseconds.
#include <cstdint>
#include <string>

#include "stage/bar_picture.h"
#include "stage/orvo_control.h"

namespace orvo {

class TOrvoGauge : public TOrvoControl {
 public:
  enum TAnimation : int32_t { anNone = 0, anDraining = 100, anFilling = 200 };

  explicit TOrvoGauge(TOrvoBaseList& stage);
  ~TOrvoGauge() override;

  uint8_t CompoType() const override { return kcGauge; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  void Paint(TCustomDIBX& surface) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  int32_t ClampedValue() const;
  int32_t ShownValue() const { return shown_; }
  int64_t DrainedAmount() const { return drained_; }
  TAnimation Animation() const { return animation_; }
  int32_t BarWidth() const { return bar_width_; }
  int32_t BarHeight() const { return bar_height_; }
  bool Vertical() const { return orientation_ == 1; }
  // The filled and drained lengths in pixels, both inside the bar.
  int64_t FilledLength() const;
  int64_t DrainedLength() const;

 private:
  void SetSource(const std::string& source);
  void UpdateBarSize();
  void ApplyBarSize();
  void SetValue(int32_t value);
  void Finish();
  int64_t Range() const { return int64_t{max_} - min_; }
  int64_t BarLength() const { return Vertical() ? bar_height_ : bar_width_; }

  std::string source_;
  int32_t min_ = 0, max_ = 0, value_ = 0;
  int32_t alpha_ = 0;
  bool paused_ = false;
  uint8_t orientation_ = 0;
  int32_t speed_ = 0;
  int32_t drain_delay_ = 0;
  TBarPicture picture_;
  int32_t bar_width_ = 0, bar_height_ = 0;
  int32_t shown_ = 0;
  // In value units: the difference of two int32 values needs 33 bits.
  int64_t drained_ = 0;
  TAnimation animation_ = anNone;
  long double position_ = 0;
  int32_t drain_wait_ = 0;
  bool reverse_ = false;
  int32_t bar_size_ = 0;
};

}  // namespace orvo
