#include "stage/label.h"

#include <algorithm>
#include <cmath>

#include "base/cp932.h"
#include "base/numeric.h"
#include "stage/custom_image.h"
#include "stage/label_list.h"
#include "stage/motion.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"
#include "surface/font_pixel_manager.h"
#include "text/markup_writer.h"

namespace orvo {

namespace {

constexpr long double kTwoPi = 6.283185307179586476925286766559L;

bool IsMotionName(const std::string& name) {
  return name.size() >= 4 && EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".omt");
}

int32_t RoundedSize(int32_t size, long double zoom) {
  return RealToIntSaturate<int32_t>(RoundHalfEven(static_cast<long double>(size) * zoom));
}

TDrawFlags Flips(bool flip_h, bool flip_v) {
  return (flip_h ? TDrawFlags::FlipH : TDrawFlags::None) | (flip_v ? TDrawFlags::FlipV : TDrawFlags::None);
}

}  // namespace

TOrvoLabel::TOrvoLabel(TOrvoBaseList& stage) : TOrvoControl(stage), face_(DefaultLabelFace()) {}

TOrvoLabel::~TOrvoLabel() = default;

int32_t TOrvoLabel::ZoomX() const { return FactorToZoom(zoom_x_); }
int32_t TOrvoLabel::ZoomY() const { return FactorToZoom(zoom_y_); }

bool TOrvoLabel::IsRotated() const {
  if (!std::isfinite(angle_)) return false;
  return angle_ - std::trunc(angle_ / kTwoPi) * kTwoPi != 0;
}

// ---- rendering

void TOrvoLabel::RenderText() {
  TFontPixelManager* glyphs = Stage().Glyphs();
  const std::string& face = face_.empty() ? FallbackLabelFace() : face_;
  if (glyphs) glyphs->SetGlyphMode(anti_alias_ ? kGlyphModeSmooth : kGlyphModeMono);
  // Advances per line, cut where a line would pass the side a surface may have.
  std::vector<std::vector<uint16_t>> codes(lines_.size());
  std::vector<std::vector<int32_t>> advances(lines_.size());
  std::vector<int32_t> widths(lines_.size(), 0);
  int32_t widest = 0;
  if (glyphs && font_size_ >= 1) {
    for (size_t l = 0; l < lines_.size(); ++l) {
      int64_t width = 0;
      for (uint16_t code : CodesOfText(lines_[l])) {
        auto glyph = glyphs->GetGlyph(code, face, style_, font_size_);
        const int64_t advance = std::max<int64_t>(glyph->Advance(), 0);
        if (width + advance > kMaxStageSide) break;
        width += advance;
        codes[l].push_back(code);
        advances[l].push_back(static_cast<int32_t>(advance));
      }
      widths[l] = static_cast<int32_t>(width);
      widest = std::max(widest, widths[l]);
    }
  }
  text_width_ = widest;
  const int64_t row = int64_t{font_size_} + line_space_;
  text_height_ = static_cast<int32_t>(std::clamp<int64_t>(row * static_cast<int64_t>(lines_.size()), 0, kMaxStageSide));
  SetBoundsRect(Left(), Top(), RoundedSize(text_width_, zoom_x_), RoundedSize(text_height_, zoom_y_));
  ink_rects_.clear();
  if (text_width_ > 0 && text_height_ > 0 && glyphs) {
    TOrvoBase* base = OwnerBase();
    const int bits = base ? base->Surface().BitCount() : 32;
    if (picture_.Width() != text_width_ || picture_.Height() != text_height_ || picture_.BitCount() != bits) {
      picture_.SetSize(text_width_, text_height_, bits);
      mask_.SetSize(text_width_, text_height_, 8);
    }
    mask_.Clear(0);
    const TRect whole = mask_.GetBounds();
    TGlyphPaint paint;
    paint.colour = static_cast<uint32_t>(picture_.ColorToPixel(colour_));
    paint.outline_colour = paint.shadow_colour = static_cast<uint32_t>(picture_.ColorToPixel(0));
    int64_t y = 0;
    for (size_t l = 0; l < lines_.size() && y < text_height_; ++l) {
      int32_t x = 0;
      if (align_ == 1) x = (text_width_ - widths[l]) / 2;
      if (align_ == 2) x = text_width_ - widths[l];
      TRect ink{};
      const size_t count = codes[l].size();
      for (size_t i = 0; i < count; ++i) {
        const bool first = i == 0, last = i + 1 == count;
        paint.edge = first && last ? TRunEdge::Alone
                     : first       ? TRunEdge::Start
                     : last        ? TRunEdge::End
                                   : TRunEdge::Middle;
        auto glyph = glyphs->GetGlyph(codes[l][i], face, style_, font_size_);
        const int32_t top = static_cast<int32_t>(y);
        const TRect touched =
            glyph->DrawGlyph(picture_, mask_, TRect{x, top, x + advances[l][i], top + font_size_}, paint);
        if (!touched.IsEmpty()) ink = ink.IsEmpty() ? touched : UnionRect(ink, touched);
        x += advances[l][i];
      }
      ink = IntersectRect(ink, whole);
      if (!ink.IsEmpty()) ink_rects_.push_back(ink);
      y += row;
    }
  }
  Invalidate();
}

void TOrvoLabel::SetText(const std::string& text) {
  std::vector<std::string> lines = SplitMarkupLines(text);
  if (lines == lines_) return;
  Invalidate();
  lines_ = std::move(lines);
  RenderText();
}

template <class T>
void TOrvoLabel::StoreAndRender(T& field, const T& value) {
  if (field == value) return;
  field = value;
  RenderText();
}

void TOrvoLabel::SetZoom(bool vertical, long double value) {
  long double& field = vertical ? zoom_y_ : zoom_x_;
  if (field == value) return;
  Invalidate();
  field = value;
  if (vertical) {
    SetBoundsRect(Left(), Top(), Width(), RoundedSize(text_height_, zoom_y_));
  } else {
    SetBoundsRect(Left(), Top(), RoundedSize(text_width_, zoom_x_), Height());
  }
  Invalidate();
}

void TOrvoLabel::SetFloatAngle(long double angle) {
  if (angle == angle_) return;
  Invalidate();
  angle_ = angle;
  Invalidate();
}

// ---- geometry and drawing

void TOrvoLabel::DrawPlacement(TPoint& position, TPoint& pivot) const {
  position = Origin();
  pivot = {OffsetX(), OffsetY()};
  if (flip_h_) pivot.x = text_width_ - pivot.x - 1;
  if (flip_v_) pivot.y = text_height_ - pivot.y - 1;
}

TRect TOrvoLabel::ObjectRect() const {
  if (!IsRotated()) return TOrvoControl::ObjectRect();
  TPoint position, pivot;
  DrawPlacement(position, pivot);
  return TurnedBounds(position, text_width_, text_height_, OffsetX(), OffsetY(), flip_h_, flip_v_, zoom_x_, zoom_y_,
                      angle_);
}

void TOrvoLabel::Invalidate() {
  if (lines_.empty()) return;
  TOrvoControl::Invalidate();
}

void TOrvoLabel::Paint(TCustomDIBX& surface) {
  if (lines_.empty() || alpha_ == 0) return;
  if (!mask_.IsEmpty() && text_width_ > 0 && text_height_ > 0) {
    const TRect bounds = mask_.GetBounds();
    const TDrawFlags flips = Flips(flip_h_, flip_v_);
    if (IsRotated()) {
      TPoint position, pivot;
      DrawPlacement(position, pivot);
      surface.DrawTransformedMask(position.x, position.y, zoom_x_, zoom_y_, picture_, bounds, pivot.x, pivot.y, angle_,
                                  flips, mask_, alpha_);
    } else if (Width() == text_width_ && Height() == text_height_) {
      // Unzoomed text draws its inked rows only, and unmirrored: games were made looking that way.
      const uint32_t pixel = static_cast<uint32_t>(surface.ColorToPixel(colour_));
      const int opacity = std::clamp(alpha_, 0, 255);
      for (const TRect& ink : ink_rects_) {
        surface.DrawColorMask(ClampToInt32(int64_t{AbsLeft()} + ink.left), ClampToInt32(int64_t{AbsTop()} + ink.top),
                              mask_, ink, TDrawFlags::None, pixel, opacity);
      }
    } else if (Width() > 0 && Height() > 0) {
      const TRect dest = TOrvoControl::ObjectRect();
      if (alpha_ > 255) {
        surface.StretchDrawMaskAdd(dest, picture_, bounds, flips, mask_, std::min(alpha_ - 256, 255));
      } else {
        surface.StretchDrawMask(dest, picture_, bounds, flips, mask_, alpha_);
      }
    }
  }
  PaintChildren(surface);
}

TOrvoControl* TOrvoLabel::HitTest(int32_t x, int32_t y, uint32_t mask) {
  if (!Visible()) return nullptr;
  int64_t px = x, py = y;
  // A turned point is turned back and tested against the unturned
  // rectangle, as the picture kinds do.
  if (IsRotated()) TurnBack(Origin(), x, y, angle_, px, py);
  const TRect rect = TOrvoControl::ObjectRect();
  if (px < rect.left || py < rect.top || px >= rect.right || py >= rect.bottom) return nullptr;
  TOrvoControl* candidate = nullptr;
  const uint8_t mode = IgnoreMouse();
  if (mode <= 7 && (mask & (uint32_t{1} << mode))) candidate = this;
  for (size_t i = Children().size(); i-- > 0;) {
    TOrvoControl* child = Children()[i];
    if (child->IsScrapped()) continue;
    if (TOrvoControl* hit = child->HitTest(x, y, mask)) return hit;
  }
  return candidate;
}

// ---- properties

TPropValue TOrvoLabel::GetProperty(int32_t id) const {
  switch (id) {
    case PR_TEXT: {
      std::string text;
      for (size_t i = 0; i < lines_.size(); ++i) {
        if (i) text += "\r\n";
        text += lines_[i];
      }
      return TPropValue::Str(text);
    }
    case PR_FONTNAME:
      return TPropValue::Str(face_);
    case PR_FONTHEIGHT:
      return TPropValue::Int(font_size_);
    case PR_FONTSTYLE:
      return TPropValue::Int(FontStyleToInt(style_));
    case PR_LINESPACE:
      return TPropValue::Int(line_space_);
    case PR_HALIGN:
      return TPropValue::Int(align_);
    case PR_ANTIALIAS:
      return TPropValue::Bool(anti_alias_);
    case PR_FONTCOLOR:
      return TPropValue::Int(colour_);
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_FLIPH:
      return TPropValue::Bool(flip_h_);
    case PR_FLIPV:
      return TPropValue::Bool(flip_v_);
    case PR_FLOATZOOMX:
      return TPropValue::Float(zoom_x_);
    case PR_FLOATZOOMY:
      return TPropValue::Float(zoom_y_);
    case PR_ZOOMX:
      return TPropValue::Int(ZoomX());
    case PR_ZOOMY:
      return TPropValue::Int(ZoomY());
    case PR_FLOATANGLE:
      return TPropValue::Float(angle_);
    case PR_ANGLE:
      return TPropValue::Int(RadiansToAngle(angle_));
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_REPEAT:
      return TPropValue::Bool(repeat_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_ONIDLE:
      return TPropValue::Str(on_idle_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoLabel::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_TEXT:
      SetText(value.AsStr());
      break;
    case PR_FONTNAME:
      StoreAndRender(face_, value.AsStr());
      break;
    case PR_FONTHEIGHT:
      StoreAndRender(font_size_, value.AsInt());
      break;
    case PR_FONTSTYLE:
      StoreAndRender(style_, IntToFontStyle(value.AsInt()));
      break;
    case PR_LINESPACE:
      StoreAndRender(line_space_, value.AsInt());
      break;
    case PR_HALIGN:
      StoreAndRender(align_, static_cast<uint8_t>(value.AsInt()));
      break;
    case PR_ANTIALIAS:
      StoreAndRender(anti_alias_, value.AsBool());
      break;
    case PR_FONTCOLOR:
      if (colour_ != value.AsInt()) {
        colour_ = value.AsInt();
        RenderText();
        Invalidate();
      }
      break;
    case PR_ALPHA:
    case PR_FLIPH:
    case PR_FLIPV: {
      const bool changed = id == PR_ALPHA   ? alpha_ != value.AsInt()
                           : id == PR_FLIPH ? flip_h_ != value.AsBool()
                                            : flip_v_ != value.AsBool();
      if (!changed) break;
      Invalidate();
      if (id == PR_ALPHA) alpha_ = value.AsInt();
      if (id == PR_FLIPH) flip_h_ = value.AsBool();
      if (id == PR_FLIPV) flip_v_ = value.AsBool();
      Invalidate();
      break;
    }
    case PR_FLOATZOOMX:
      SetZoom(false, value.AsFloat());
      break;
    case PR_FLOATZOOMY:
      SetZoom(true, value.AsFloat());
      break;
    case PR_ZOOMX:
      SetZoom(false, ZoomToFactor(value.AsInt()));
      break;
    case PR_ZOOMY:
      SetZoom(true, ZoomToFactor(value.AsInt()));
      break;
    case PR_FLOATANGLE:
      SetFloatAngle(value.AsFloat());
      break;
    case PR_ANGLE:
      angle_ = AngleToRadians(value.AsInt());
      break;
    case PR_SOURCE:
      if (source_ == value.AsStr()) break;
      source_ = value.AsStr();
      FreeMotion();
      if (IsMotionName(source_)) LoadMotion(source_);
      break;
    case PR_REPEAT: {
      const bool turned_on = value.AsBool() && !repeat_;
      repeat_ = value.AsBool();
      if (turned_on && Motion() && Motion()->Finished()) RewindMotion();
      break;
    }
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      break;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      break;
    case PR_ONIDLE:
      on_idle_ = value.AsStr();
      break;
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

// ---- saves

void TOrvoLabel::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteString(face_);
  writer.WriteInt32(font_size_);
  writer.WriteInt32(line_space_);
  writer.WriteByte(style_);
  writer.WriteInt32(alpha_);
  writer.WriteInt32(colour_);
  writer.WriteByte(align_);
  writer.WriteBool(anti_alias_);
  writer.WriteBool(flip_h_);
  writer.WriteBool(flip_v_);
  writer.WriteExt80(angle_);
  writer.WriteExt80(zoom_x_);
  writer.WriteString(GetProperty(PR_TEXT).AsStr());
  writer.WriteString(on_idle_);
  writer.WriteString(source_);
  writer.WriteBool(repeat_);
  writer.WriteBool(auto_scrap_);
  writer.WriteString(on_play_end_);
  writer.WriteBool(paused_);
  writer.WriteExt80(zoom_y_);
}

void TOrvoLabel::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  // Versions between the two real forms kept angle and zooms as integers.
  const bool real_forms = version == 143 || version == 144 || version > 199;
  face_ = reader.ReadString();
  font_size_ = reader.ReadInt32();
  line_space_ = reader.ReadInt32();
  style_ = IntToFontStyle(reader.ReadByte());
  alpha_ = reader.ReadInt32();
  colour_ = reader.ReadInt32();
  align_ = reader.ReadByte();
  anti_alias_ = reader.ReadBool();
  flip_h_ = reader.ReadBool();
  flip_v_ = reader.ReadBool();
  angle_ = real_forms ? reader.ReadExt80() : AngleToRadians(reader.ReadInt32());
  zoom_x_ = real_forms ? reader.ReadExt80() : ZoomToFactor(reader.ReadInt32());
  const std::string text = reader.ReadString();
  if (version > 103) {
    on_idle_ = reader.ReadString();
    const std::string source = reader.ReadString();
    repeat_ = reader.ReadBool();
    auto_scrap_ = reader.ReadBool();
    on_play_end_ = reader.ReadString();
    paused_ = reader.ReadBool();
    zoom_y_ = real_forms ? reader.ReadExt80() : ZoomToFactor(reader.ReadInt32());
    SetProperty(PR_SOURCE, TPropValue::Str(source));
  }
  lines_ = SplitMarkupLines(text);
  RenderText();
}

}  // namespace orvo
