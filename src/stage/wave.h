#pragma once
// The wave (kind 19): draws nothing itself; its descendants draw through a
// row-shifting proxy whose offsets follow a sine wave travelling with time.
#include <cstdint>

#include "stage/orvo_control.h"
#include "surface/dibx_wave.h"

namespace orvo {

// Phase steps of one period of the wave (the phase itself runs over 0..254).
constexpr int32_t kWavePhaseSteps = 256;
constexpr int32_t kWavePhases = 255;
// Rows (and columns) of the proxy beyond this are left out.
constexpr int32_t kMaxWaveSide = 32768;

class TOrvoWave : public TOrvoControl {
 public:
  explicit TOrvoWave(TOrvoBaseList& stage);
  ~TOrvoWave() override;

  uint8_t CompoType() const override { return kcWave; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // Takes the screen's surface as the proxy's target and moves the phase clock.
  bool Update() override;
  // The children through the proxy (straight while Amp is 0); nothing before the first update.
  void Paint(TCustomDIBX& surface) override;
  // The proxy while Amp is not 0, else the screen's surface.
  TCustomDIBX* TargetSurface() const override;
  // As a control's, but the wave's own area is not widened.
  void Invalidate() override;
  // Widens a descendant's repaint by Amp on both sides: its rows move sideways.
  void InvalidateRect(TRect& rect) override;
  void PositionChanged() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  int32_t Amp() const { return amp_; }
  int32_t WaveLength() const { return wave_length_; }
  int32_t Period() const { return period_; }
  int32_t Phase() const { return phase_; }
  int32_t TimeAcc() const { return time_acc_; }
  const TDIBXWave& Proxy() const { return proxy_; }
  // The surface the proxy shifts into; null before the first update.
  TCustomDIBX* ProxyTarget() const { return proxy_.Target(); }

 protected:
  void SizeChanged() override;

 private:
  void PlaceProxy();
  // New row offsets for the phase; true when any changed.
  bool ComputeOffsets();

  mutable TDIBXWave proxy_;
  int32_t amp_ = 10;
  int32_t wave_length_ = 200;
  int32_t phase_ = 0;
  int32_t time_acc_ = 0;
  int32_t period_ = 2000;
  bool paused_ = false;
};

}  // namespace orvo
