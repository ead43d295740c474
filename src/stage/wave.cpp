#include "stage/wave.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "base/numeric.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"

namespace orvo {

TOrvoWave::TOrvoWave(TOrvoBaseList& stage) : TOrvoControl(stage) { proxy_.SetSize(0, 0, 0); }

TOrvoWave::~TOrvoWave() = default;

void TOrvoWave::PlaceProxy() {
  proxy_.SetOrigin(AbsLeft(), AbsTop());
  // One offset per row: a script's huge height must not allocate without bound.
  const int32_t width = std::clamp(Width(), 0, kMaxWaveSide);
  const int32_t height = std::clamp(Height(), 0, kMaxWaveSide);
  if (proxy_.Width() != width || proxy_.Height() != height) proxy_.SetSize(width, height, 0);
}

void TOrvoWave::SizeChanged() { PlaceProxy(); }

void TOrvoWave::PositionChanged() { PlaceProxy(); }

TPropValue TOrvoWave::GetProperty(int32_t id) const {
  switch (id) {
    case PR_AMP:
      return TPropValue::Int(amp_);
    case PR_WAVELEN:
      return TPropValue::Int(wave_length_);
    case PR_DELAY:
      return TPropValue::Int(period_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_PLAYING:
      return TPropValue::Bool(!paused_ && !AniPaused());
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoWave::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_AMP:
      amp_ = value.AsInt();
      break;
    case PR_WAVELEN:
      wave_length_ = std::max(value.AsInt(), 1);
      break;
    case PR_DELAY:
      period_ = std::max(value.AsInt(), 1);
      break;
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    case PR_LEFT:
    case PR_TOP:
    case PR_WIDTH:
    case PR_HEIGHT:
      TOrvoControl::SetProperty(id, value);
      PlaceProxy();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

bool TOrvoWave::ComputeOffsets() {
  constexpr long double kTwoPi = 2 * std::numbers::pi_v<long double>;
  const long double step = kTwoPi / wave_length_;
  long double angle = static_cast<long double>(wave_length_) * phase_ / kWavePhaseSteps * step;
  bool changed = false;
  for (int32_t& offset : proxy_.Offsets()) {
    const int32_t value = RealToIntSaturate<int32_t>(RoundHalfEven(std::sin(angle) * amp_));
    if (value != offset) {
      offset = value;
      changed = true;
    }
    angle += step;
  }
  return changed;
}

bool TOrvoWave::Update() {
  if (TOrvoBase* base = OwnerBase()) proxy_.SetTargetSurface(&Stage().ScreenTarget(*base));
  const bool finished = TOrvoControl::Update();
  if (AniPaused()) return finished;
  PlaceProxy();
  const int64_t t = int64_t{std::max(Stage().FrameDelta(), 0)} * kWavePhaseSteps + time_acc_;
  const int64_t k = t / period_;
  time_acc_ = static_cast<int32_t>(t % period_);
  if (k == 0) return finished;
  int64_t phase = phase_ - k;
  if (phase < 0) phase = (phase % kWavePhases + kWavePhases) % kWavePhases;
  phase_ = static_cast<int32_t>(phase);
  if (ComputeOffsets()) Invalidate();
  return finished;
}

TCustomDIBX* TOrvoWave::TargetSurface() const {
  if (amp_ != 0) return &proxy_;
  TOrvoBase* base = OwnerBase();
  return base ? base->TargetSurface() : nullptr;
}

void TOrvoWave::Paint(TCustomDIBX& surface) {
  // Before its first update the wave has no surface to shift into.
  if (!proxy_.Target()) return;
  if (amp_ == 0) {
    PaintChildren(surface);
    return;
  }
  // The surface painted now may be another than the screen's of the last
  // update (a screen rendered on demand): the proxy shifts into this one.
  proxy_.SetTargetSurface(&surface);
  PlaceProxy();
  proxy_.SetClipRect(surface.GetClipRect());
  PaintChildren(proxy_);
}

void TOrvoWave::Invalidate() {
  if (!Visible()) return;
  TOrvoBase* base = OwnerBase();
  if (!base) return;
  TRect r = PaintBounds();
  TOrvoControl* parent = Parent();
  if (parent && !parent->ClipToOwnRect(r)) return;
  if (HasClip()) {
    r = IntersectRect(r, ClipRectOnScreen());
    if (r.IsEmpty()) return;
  }
  if (parent) parent->InvalidateRect(r);
  base->AddDirty(r);
}

void TOrvoWave::InvalidateRect(TRect& rect) {
  TOrvoControl::InvalidateRect(rect);
  const int64_t widen = std::abs(int64_t{amp_});
  rect.left = ClampToInt32(int64_t{rect.left} - widen);
  rect.right = ClampToInt32(int64_t{rect.right} + widen);
}

void TOrvoWave::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteInt32(amp_);
  writer.WriteInt32(wave_length_);
  writer.WriteInt32(period_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteBool(paused_);
}

void TOrvoWave::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  amp_ = reader.ReadInt32();
  // A length or period of 0 or less would divide by zero: the setters' 1.
  wave_length_ = std::max(reader.ReadInt32(), 1);
  period_ = std::max(reader.ReadInt32(), 1);
  PlaceProxy();
  if (version >= 104) {
    SetHandler(THandler::Idle, reader.ReadString());
    paused_ = reader.ReadBool();
  }
  phase_ = 0;
  time_acc_ = 0;
}

}  // namespace orvo
