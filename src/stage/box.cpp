#include "stage/box.h"

#include "base/numeric.h"
#include "stage/motion.h"
#include "stage/stage.h"

namespace orvo {

namespace {

// Fills r blended, copied or added (channels scaled by (alpha - 256) / 256).
void FillByAlpha(TCustomDIBX& surface, const TRect& r, int32_t colour, int32_t alpha) {
  if (alpha < 255) {
    surface.FillRectBlend(r, static_cast<uint32_t>(surface.ColorToPixel(colour)), alpha);
  } else if (alpha == 255) {
    surface.FillRect(r, static_cast<uint32_t>(surface.ColorToPixel(colour)));
  } else {
    const int32_t strength = alpha - 256;
    auto scale = [&](int shift) { return (((colour >> shift) & 0xFF) * strength / 256) << shift; };
    surface.FillRectAdd(r, static_cast<uint32_t>(surface.ColorToPixel(scale(0) | scale(8) | scale(16))));
  }
}

void FrameByAlpha(TCustomDIBX& surface, const TRect& r, int32_t thickness, int32_t colour, int32_t alpha) {
  if (alpha < 255) {
    surface.FrameRectBlend(r, thickness, static_cast<uint32_t>(surface.ColorToPixel(colour)), alpha);
  } else if (alpha == 255) {
    surface.FrameRect(r, thickness, static_cast<uint32_t>(surface.ColorToPixel(colour)));
  } else {
    const int32_t strength = alpha - 256;
    auto scale = [&](int shift) { return (((colour >> shift) & 0xFF) * strength / 256) << shift; };
    surface.FrameRectAdd(r, thickness, static_cast<uint32_t>(surface.ColorToPixel(scale(0) | scale(8) | scale(16))));
  }
}

}  // namespace

int32_t AfterimageStartAlpha(int32_t alpha) { return (alpha / 256) * 256 + (alpha % 256) / 2; }

int32_t AfterimageAlpha(int32_t start_alpha, int32_t elapsed, int32_t lifetime) {
  if (lifetime <= 0) return start_alpha;
  const long double faded = static_cast<long double>(elapsed) / lifetime * (start_alpha % 256);
  return ClampToInt32(int64_t{start_alpha} - RealToIntSaturate<int32_t>(RoundHalfEven(faded)));
}

std::optional<int32_t> AdvanceAfterimage(const TOrvoObject& self, int32_t& elapsed, int32_t lifetime,
                                         int32_t start_alpha) {
  elapsed = WrapAdd(elapsed, self.Stage().FrameDelta());
  if (elapsed >= lifetime) return std::nullopt;
  return AfterimageAlpha(start_alpha, elapsed, lifetime);
}

TOrvoBox::TOrvoBox(TOrvoBaseList& stage) : TOrvoControl(stage) {}

void TOrvoBox::SetAlphaValue(int32_t alpha) {
  if (alpha == alpha_) return;
  alpha_ = alpha;
  Invalidate();
}

void TOrvoBox::SetSource(const std::string& source) {
  source_ = source;
  if (IsMotionFileName(source)) {
    LoadMotion(source);
  } else {
    FreeMotion();
  }
}

TPropValue TOrvoBox::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_BORDERWIDTH:
      return TPropValue::Int(border_width_);
    case PR_BORDERCOLOR:
      return TPropValue::Int(border_color_);
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_REPEAT:
      return TPropValue::Bool(repeat_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_BLURSPAN:
      return TPropValue::Int(blur_span_);
    case PR_BLURDELAY:
      return TPropValue::Int(blur_delay_);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoBox::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(value.AsStr());
      break;
    case PR_BORDERWIDTH:
      ChangeGeometry(border_width_, value.AsInt());
      break;
    case PR_BORDERCOLOR:
      if (border_color_ != value.AsInt()) {
        border_color_ = value.AsInt();
        Invalidate();
      }
      break;
    case PR_ALPHA:
      SetAlphaValue(value.AsInt());
      break;
    case PR_REPEAT:
      repeat_ = value.AsBool();
      break;
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      break;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      break;
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    case PR_BLURSPAN:
      blur_span_ = value.AsInt();
      RecordAfterimageState();
      break;
    case PR_BLURDELAY:
      blur_delay_ = value.AsInt();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

void TOrvoBox::Paint(TCustomDIBX& surface) {
  const TRect r = ObjectRect();
  if (!Visible() || r.IsEmpty()) return;
  if (alpha_ >= 1 && alpha_ <= 511) {
    if (border_width_ > 0) {
      if (border_color_ >= 0) FrameByAlpha(surface, r, border_width_, border_color_, alpha_);
      const TRect inner{ClampToInt32(int64_t{r.left} + border_width_), ClampToInt32(int64_t{r.top} + border_width_),
                        ClampToInt32(int64_t{r.right} - border_width_),
                        ClampToInt32(int64_t{r.bottom} - border_width_)};
      if (Color() >= 0 && !inner.IsEmpty()) FillByAlpha(surface, inner, Color(), alpha_);
    } else if (Color() >= 0) {
      FillByAlpha(surface, r, Color(), alpha_);
    }
  }
  PaintChildren(surface);
}

void TOrvoBox::RecordAfterimageState() { blur_ = {0, Left(), Top(), Width(), Height(), border_width_}; }

bool TOrvoBox::Update() {
  const bool finished = TOrvoControl::Update();
  if (blur_span_ > 0 && blur_delay_ > 0) {
    blur_.elapsed = WrapAdd(blur_.elapsed, Stage().FrameDelta());
    if (blur_.elapsed >= blur_span_) {
      blur_.elapsed = 0;
      const bool moved = blur_.left != Left() || blur_.top != Top() || blur_.width != Width() ||
                         blur_.height != Height() || blur_.border_width != border_width_;
      if (moved) {
        TOrvoBlurBox* blur = Stage().Create<TOrvoBlurBox>(*this);
        blur->SetName(Stage().UniqueName(Name()));
        blur->SetPriority(Priority() - 1);
        blur->SetParent(Parent());
        RecordAfterimageState();
      }
    }
  }
  return finished;
}

void TOrvoBox::CopyBoxFrom(const TOrvoBox& source) {
  SetBoundsRect(source.Left(), source.Top(), source.Width(), source.Height());
  SetProperty(PR_OFFSETX, TPropValue::Int(source.OffsetX()));
  SetProperty(PR_OFFSETY, TPropValue::Int(source.OffsetY()));
  SetProperty(PR_PLUSX, TPropValue::Int(source.PlusX()));
  SetProperty(PR_PLUSY, TPropValue::Int(source.PlusY()));
  SetProperty(PR_COLOR, TPropValue::Int(source.Color()));
  border_width_ = source.border_width_;
  border_color_ = source.border_color_;
}

void TOrvoBox::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteInt32(border_width_);
  writer.WriteInt32(border_color_);
  writer.WriteInt32(alpha_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteString(source_);
  writer.WriteBool(repeat_);
  writer.WriteBool(auto_scrap_);
  writer.WriteString(on_play_end_);
  writer.WriteBool(paused_);
  writer.WriteBool(GetBool(PR_ANIPAUSED));
  writer.WriteInt32(blur_span_);
  writer.WriteInt32(blur_delay_);
}

void TOrvoBox::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  border_width_ = reader.ReadInt32();
  border_color_ = reader.ReadInt32();
  alpha_ = reader.ReadInt32();
  if (version > 103) {
    SetHandler(THandler::Idle, reader.ReadString());
    SetSource(reader.ReadString());
    repeat_ = reader.ReadBool();
    auto_scrap_ = reader.ReadBool();
    on_play_end_ = reader.ReadString();
    paused_ = reader.ReadBool();
    TOrvoControl::SetProperty(PR_ANIPAUSED, TPropValue::Bool(reader.ReadBool()));
  }
  if (version > 139) {
    blur_span_ = reader.ReadInt32();
    blur_delay_ = reader.ReadInt32();
  }
  RecordAfterimageState();
}

// ---- afterimage

TOrvoBlurBox::TOrvoBlurBox(TOrvoBaseList& stage, const TOrvoBox& source) : TAfterimage(stage, source) {
  CopyBoxFrom(source);
  SetAlphaValue(StartAlpha());
}

}  // namespace orvo
