#include "stage/gauge.h"

#include <algorithm>

#include "base/numeric.h"
#include "stage/cell_draw.h"
#include "stage/stage.h"

namespace orvo {

namespace {

TRect RectOf(int64_t x, int64_t y, int64_t width, int64_t height) {
  return {ClampToInt32(x), ClampToInt32(y), ClampToInt32(x + width), ClampToInt32(y + height)};
}

}  // namespace

TOrvoGauge::TOrvoGauge(TOrvoBaseList& stage) : TOrvoControl(stage), picture_(stage.Pictures()) {}

TOrvoGauge::~TOrvoGauge() = default;

int32_t TOrvoGauge::ClampedValue() const { return value_ < min_ ? min_ : std::min(value_, max_); }

TPropValue TOrvoGauge::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_MIN:
      return TPropValue::Int(min_);
    case PR_MAX:
      return TPropValue::Int(max_);
    case PR_VALUE:
      return TPropValue::Int(ClampedValue());
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_ORIENTATION:
      return TPropValue::Int(orientation_);
    case PR_DELAY:
      return TPropValue::Int(speed_);
    case PR_DURATION:
      return TPropValue::Int(drain_delay_);
    case PR_REVERSE:
      return TPropValue::Bool(reverse_);
    case PR_BARSIZE:
      return TPropValue::Int(bar_size_);
    case PR_PLAYING:
      return TPropValue::Bool(animation_ != anNone);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoGauge::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(value.AsStr());
      break;
    case PR_MIN:
    case PR_MAX: {
      int32_t& field = id == PR_MIN ? min_ : max_;
      if (field == value.AsInt()) break;
      field = value.AsInt();
      drained_ = 0;
      shown_ = ClampedValue();
      Invalidate();
      break;
    }
    case PR_VALUE:
      SetValue(value.AsInt());
      break;
    case PR_ALPHA:
    case PR_REVERSE: {
      if (id == PR_ALPHA ? alpha_ == value.AsInt() : reverse_ == value.AsBool()) break;
      if (id == PR_ALPHA) {
        alpha_ = value.AsInt();
      } else {
        reverse_ = value.AsBool();
      }
      Invalidate();
      break;
    }
    case PR_ORIENTATION:
    case PR_BARSIZE: {
      const int32_t next = value.AsInt();
      if (id == PR_ORIENTATION ? orientation_ == static_cast<uint8_t>(next) : bar_size_ == next) break;
      if (id == PR_ORIENTATION) {
        orientation_ = static_cast<uint8_t>(next);
      } else {
        bar_size_ = next;
      }
      UpdateBarSize();
      ApplyBarSize();
      break;
    }
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    case PR_DELAY:
      speed_ = value.AsInt();
      break;
    case PR_DURATION:
      drain_delay_ = value.AsInt();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

void TOrvoGauge::SetSource(const std::string& source) {
  if (source == source_) return;
  source_ = source;
  picture_.Load(source);
  UpdateBarSize();
  ApplyBarSize();
}

void TOrvoGauge::UpdateBarSize() {
  bar_width_ = picture_.CellWidth(2);
  bar_height_ = picture_.Height();
  if (bar_size_ > 0) (Vertical() ? bar_height_ : bar_width_) = bar_size_;
}

void TOrvoGauge::ApplyBarSize() { SetBoundsRect(Left(), Top(), bar_width_, bar_height_); }

void TOrvoGauge::SetValue(int32_t value) {
  if (value == value_) return;
  const int32_t old = ClampedValue();
  value_ = value;
  const int32_t now = ClampedValue();
  if (now < old) {
    shown_ = now;
    drained_ = int64_t{old} - now;
    position_ = static_cast<long double>(drained_);
    drain_wait_ = drain_delay_;
    animation_ = anDraining;
  } else {
    drained_ = 0;
    position_ = shown_;
    animation_ = anFilling;
  }
  Invalidate();
}

void TOrvoGauge::Finish() {
  shown_ = ClampedValue();
  drained_ = 0;
  animation_ = anNone;
  Invalidate();
}

bool TOrvoGauge::Update() {
  const bool finished = TOrvoControl::Update();
  if (animation_ == anNone) return finished;
  const int32_t delta = Stage().FrameDelta();
  const int64_t range = Range();
  if (animation_ == anDraining && drain_wait_ > 0) {
    drain_wait_ = WrapSub(drain_wait_, delta);
    return finished;
  }
  if (speed_ <= 0 || range <= 0) {
    Finish();
    return finished;
  }
  const long double step = static_cast<long double>(range) / speed_ * delta;
  if (animation_ == anDraining) {
    position_ -= step;
    const int64_t drained = RealToIntSaturate<int64_t>(position_);
    if (drained != drained_) {
      drained_ = drained;
      Invalidate();
    }
    if (drained_ < 1) Finish();
  } else {
    position_ += step;
    const int32_t shown = RealToIntSaturate<int32_t>(position_);
    if (shown != shown_) {
      shown_ = shown;
      Invalidate();
    }
    if (shown_ >= ClampedValue()) Finish();
  }
  return finished;
}

int64_t TOrvoGauge::FilledLength() const {
  const int64_t range = Range(), length = BarLength();
  if (range <= 0 || length <= 0) return 0;
  // Measured from the minimum, so that a gauge from 50 to 100 fills its bar once.
  const long double share = static_cast<long double>(int64_t{shown_} - min_) / range;
  return std::clamp<int64_t>(RealToIntSaturate<int64_t>(RoundHalfEven(length * share)), 0, length);
}

int64_t TOrvoGauge::DrainedLength() const {
  const int64_t range = Range(), length = BarLength();
  if (range <= 0 || length <= 0) return 0;
  const long double share = static_cast<long double>(drained_) / range;
  return std::clamp<int64_t>(RealToIntSaturate<int64_t>(RoundHalfEven(length * share)), 0, length - FilledLength());
}

void TOrvoGauge::Paint(TCustomDIBX& surface) {
  if (Width() <= 0 || Height() <= 0) return;
  if (IntersectRect(ObjectRect(), surface.GetClipRect()).IsEmpty()) return;
  const TDovaItemFrame* frame = picture_.Frame();
  if (!frame) return;
  const int32_t h = picture_.CellWidth(2), p = picture_.Height();
  if (h > 0 && p > 0) {
    const TRect filled_cell{0, 0, h, p}, drained_cell{h, 0, 2 * h, p};
    const int64_t x = AbsLeft(), y = AbsTop(), f = FilledLength(), g = DrainedLength();
    if (!Vertical()) {
      const TDrawFlags flips = reverse_ ? TDrawFlags::FlipH : TDrawFlags::None;
      const int32_t phase = ClampToInt32(f);
      if (f > 0) {
        const int64_t left = reverse_ ? x + bar_width_ - f : x;
        TileCell(*frame, surface, RectOf(left, y, f, p), alpha_, flips, 0, 0, filled_cell);
      }
      if (g > 0) {
        const int64_t left = reverse_ ? x + bar_width_ - f - g : x + f;
        TileCell(*frame, surface, RectOf(left, y, g, p), alpha_, flips, phase, 0, drained_cell);
      }
    } else {
      const TDrawFlags flips = reverse_ ? TDrawFlags::FlipV : TDrawFlags::None;
      if (f > 0) {
        const int64_t top = reverse_ ? y : y + bar_height_ - f;
        TileCell(*frame, surface, RectOf(x, top, h, f), alpha_, flips, 0, static_cast<int32_t>(p - f % p), filled_cell);
      }
      if (g > 0) {
        const int64_t top = reverse_ ? y + f : y + bar_height_ - f - g;
        TileCell(*frame, surface, RectOf(x, top, h, g), alpha_, flips, 0, static_cast<int32_t>(p - (f + g) % p),
                 drained_cell);
      }
    }
  }
  PaintChildren(surface);
}

void TOrvoGauge::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteString(source_);
  writer.WriteInt32(min_);
  writer.WriteInt32(max_);
  writer.WriteInt32(value_);
  writer.WriteInt32(alpha_);
  writer.WriteBool(paused_);
  writer.WriteByte(orientation_);
  writer.WriteInt32(speed_);
  writer.WriteInt32(drain_delay_);
  writer.WriteBool(reverse_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteInt32(bar_size_);
}

void TOrvoGauge::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  SetSource(reader.ReadString());
  min_ = reader.ReadInt32();
  max_ = reader.ReadInt32();
  value_ = reader.ReadInt32();
  alpha_ = reader.ReadInt32();
  paused_ = reader.ReadBool();
  orientation_ = reader.ReadByte();
  speed_ = reader.ReadInt32();
  drain_delay_ = reader.ReadInt32();
  reverse_ = reader.ReadBool();
  if (version > 124) SetHandler(THandler::Idle, reader.ReadString());
  if (version > 127) SetProperty(PR_BARSIZE, TPropValue::Int(reader.ReadInt32()));
  // A loaded gauge shows its value at once.
  shown_ = ClampedValue();
  drained_ = 0;
  animation_ = anNone;
}

}  // namespace orvo
