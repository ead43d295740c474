#include "stage/custom_image.h"

#include <cmath>
#include <numbers>

#include "base/numeric.h"
#include "stage/stage.h"
#include "surface/dibx_wave.h"

namespace orvo {

namespace {

constexpr long double kTwoPi = 2 * std::numbers::pi_v<long double>;

TDrawFlags FlipFlags(bool flip_h, bool flip_v) {
  TDrawFlags flags = TDrawFlags::None;
  if (flip_h) flags = flags | TDrawFlags::FlipH;
  if (flip_v) flags = flags | TDrawFlags::FlipV;
  return flags;
}

TDrawFlags WithKey(TDrawFlags flags, const TPictureView& view) {
  return !view.mask && view.key_color >= 0 ? flags | TDrawFlags::UseKey : flags;
}

// Opacities beyond the additive range add at full strength.
int DrawOpacity(int32_t alpha) { return std::min(alpha, 511); }

}  // namespace

void DrawPictureRect(TCustomDIBX& target, int32_t x, int32_t y, const TPictureView& view, const TRect& source_rect,
                     TDrawFlags flips, int32_t alpha) {
  if (view.Empty() || alpha < 1) return;
  TDIBX& source = *view.surface;
  const int opacity = DrawOpacity(alpha);
  if (view.mask) {
    TDIBX& mask = *view.mask;
    if (opacity < 255) {
      target.DrawMaskBlend(x, y, source, source_rect, flips, mask, opacity);
    } else if (opacity == 255) {
      target.DrawMask(x, y, source, source_rect, flips, mask);
    } else {
      target.DrawMaskAdd(x, y, source, source_rect, flips, mask, opacity - 256);
    }
    return;
  }
  const TDrawFlags flags = WithKey(flips, view);
  if (opacity < 255) {
    target.DrawBlend(x, y, source, source_rect, flags, opacity);
  } else if (opacity == 255) {
    target.Draw(x, y, source, source_rect, flags);
  } else {
    target.DrawAdd(x, y, source, source_rect, flags, opacity - 256);
  }
}

void DrawPictureAt(TCustomDIBX& target, int32_t x, int32_t y, const TPictureView& view, TDrawFlags flips,
                   int32_t alpha) {
  if (view.Empty()) return;
  const TRect bounds = view.surface->GetBounds();
  // A wave effect shifts whole rows: parts would tear, so it takes the whole picture.
  if (view.draw_rects.empty() || dynamic_cast<TDIBXWave*>(&target) != nullptr) {
    DrawPictureRect(target, x, y, view, bounds, flips, alpha);
    return;
  }
  const bool flip_h = HasFlag(flips, TDrawFlags::FlipH), flip_v = HasFlag(flips, TDrawFlags::FlipV);
  for (const TRect& rect : view.draw_rects) {
    const TRect part = IntersectRect(rect, bounds);
    if (part.IsEmpty()) continue;
    const int64_t px = flip_h ? int64_t{bounds.right} - part.right : part.left;
    const int64_t py = flip_v ? int64_t{bounds.bottom} - part.bottom : part.top;
    DrawPictureRect(target, ClampToInt32(x + px), ClampToInt32(y + py), view, part, flips, alpha);
  }
}

TOrvoCustomImage::TOrvoCustomImage(TOrvoBaseList& stage) : TOrvoControl(stage) {}

TOrvoCustomImage::~TOrvoCustomImage() = default;

int32_t TOrvoCustomImage::ZoomX() const { return FactorToZoom(zoom_x_); }
int32_t TOrvoCustomImage::ZoomY() const { return FactorToZoom(zoom_y_); }

bool TOrvoCustomImage::IsRotated() const {
  if (!std::isfinite(angle_)) return false;
  return std::fmod(angle_, kTwoPi) != 0;
}

// ---- the picture and the size

void TOrvoCustomImage::SetOwnPicture(TPictureView view) {
  Invalidate();
  own_ = std::move(view);
  RecomputeSize();
  MarkPictureChildrenDirty();
  Invalidate();
}

void TOrvoCustomImage::SetExternalPicture(TPictureView view) {
  Invalidate();
  external_ = std::move(view);
  Invalidate();
}

int32_t TOrvoCustomImage::FollowedSize(bool vertical) const {
  const int64_t picture = vertical ? PictureHeight() : PictureWidth();
  if (picture <= 0) return 0;
  const TOrvoControl* p = Parent();
  if (PosZoomed() && p && !p->IsScreen() && !Motion()) {
    // A picture inside a picture spans the parent-scaled part of its pixels.
    const int64_t parent_picture = vertical ? p->PictureHeight() : p->PictureWidth();
    const int64_t parent_size = vertical ? p->Height() : p->Width();
    const bool same_zoom = vertical ? ZoomY() == p->ZoomY() : ZoomX() == p->ZoomX();
    if (parent_picture > 0 && parent_size > 0 && same_zoom) {
      const long double ratio = static_cast<long double>(parent_picture) / parent_size * 65536;
      const int64_t r = std::max<int64_t>(1, RealToIntSaturate<int32_t>(ratio));
      const int64_t pos = vertical ? Top() : Left();
      const int64_t offset = vertical ? OffsetY() : OffsetX();
      const bool flip = vertical ? FlipV() : FlipH();
      const int64_t d0 = (flip ? parent_picture + offset - pos - picture : pos - offset) * 65536;
      const int64_t d1 = (flip ? parent_picture + offset - pos : pos - offset + picture) * 65536;
      const int64_t high = RealToIntSaturate<int64_t>(std::ceil(static_cast<long double>(d1) / r));
      const int64_t low = d0 / r + (d0 % r > 32767 ? 1 : 0);
      return ClampToInt32(high - low);
    }
  }
  const long double zoom = vertical ? zoom_y_ : zoom_x_;
  return std::max(1, RealToIntSaturate<int32_t>(RoundHalfEven(static_cast<long double>(picture) * zoom)));
}

void TOrvoCustomImage::RecomputeSize() {
  size_dirty_ = false;
  if (!SizeFollowsPicture()) return;
  const int32_t width = FollowedSize(false);
  const int32_t height = FollowedSize(true);
  if (width == Width() && height == Height()) return;
  SetBoundsRect(Left(), Top(), width, height);
}

void TOrvoCustomImage::UpdateSizeIfDue() {
  if (size_dirty_) RecomputeSize();
}

void TOrvoCustomImage::MarkPictureChildrenDirty() {
  for (TOrvoControl* child : Children()) {
    if (!child->PosZoomed()) continue;
    if (auto* picture = dynamic_cast<TOrvoCustomImage*>(child)) picture->MarkSizeDirty();
  }
}

void TOrvoCustomImage::PositionChanged() {
  // The parent may have changed its zoom or picture.
  if (PosZoomed()) size_dirty_ = true;
}

TRect TurnedBounds(TPoint origin, int32_t picture_width, int32_t picture_height, int32_t offset_x, int32_t offset_y,
                   bool flip_h, bool flip_v, long double zoom_x, long double zoom_y, long double angle) {
  const long double pw = picture_width, ph = picture_height;
  const long double px = flip_h ? pw - 1 - offset_x : offset_x;
  const long double py = flip_v ? ph - 1 - offset_y : offset_y;
  const long double c = std::cos(angle), s = std::sin(angle);
  const long double xs[2] = {zoom_x * (0 - px), zoom_x * (pw - px)};
  const long double ys[2] = {zoom_y * (0 - py), zoom_y * (ph - py)};
  long double min_x = INFINITY, max_x = -INFINITY, min_y = INFINITY, max_y = -INFINITY;
  for (long double cx : xs) {
    for (long double cy : ys) {
      const long double tx = cx * c - cy * s, ty = cx * s + cy * c;
      min_x = std::min(min_x, tx);
      max_x = std::max(max_x, tx);
      min_y = std::min(min_y, ty);
      max_y = std::max(max_y, ty);
    }
  }
  if (!std::isfinite(min_x) || !std::isfinite(max_x) || !std::isfinite(min_y) || !std::isfinite(max_y)) return {};
  // One pixel of margin: the turned draw may touch the pixel past each edge.
  return {ClampToInt32(int64_t{origin.x} + RealToIntSaturate<int32_t>(std::floor(min_x)) - 1),
          ClampToInt32(int64_t{origin.y} + RealToIntSaturate<int32_t>(std::floor(min_y)) - 1),
          ClampToInt32(int64_t{origin.x} + RealToIntSaturate<int32_t>(std::ceil(max_x)) + 2),
          ClampToInt32(int64_t{origin.y} + RealToIntSaturate<int32_t>(std::ceil(max_y)) + 2)};
}

void TurnBack(TPoint origin, int32_t x, int32_t y, long double angle, int64_t& px, int64_t& py) {
  const long double dx = static_cast<long double>(x) - origin.x, dy = static_cast<long double>(y) - origin.y;
  const long double c = std::cos(angle), s = std::sin(angle);
  px = RealToIntRound<int64_t>(origin.x + dx * c + dy * s);
  py = RealToIntRound<int64_t>(origin.y - dx * s + dy * c);
}

TRect TOrvoCustomImage::ObjectRect() const {
  if (!DrawsRotated() || !HasPicture()) return TOrvoControl::ObjectRect();
  const TPictureView& view = DrawnPicture();
  return TurnedBounds(Origin(), view.Width(), view.Height(), OffsetX(), OffsetY(), flip_h_, flip_v_, zoom_x_, zoom_y_,
                      angle_);
}

// ---- properties

void TOrvoCustomImage::SetAlphaValue(int32_t alpha) {
  if (alpha == alpha_) return;
  alpha_ = alpha;
  Invalidate();
}

void TOrvoCustomImage::SetZoom(long double& field, long double value) {
  if (field == value) return;
  Invalidate();
  field = value;
  RecomputeSize();
  MarkPictureChildrenDirty();
  Invalidate();
}

void TOrvoCustomImage::SetAngle(long double radians) {
  if (radians == angle_) return;
  Invalidate();
  angle_ = radians;
  Invalidate();
}

void TOrvoCustomImage::SetFlip(bool& field, bool value) {
  if (field == value) return;
  Invalidate();
  field = value;
  RecomputeSize();
  Invalidate();
}

TPropValue TOrvoCustomImage::GetProperty(int32_t id) const {
  switch (id) {
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_ANGLE:
      return TPropValue::Int(RadiansToAngle(angle_));
    case PR_FLOATANGLE:
      return TPropValue::Float(angle_);
    case PR_ZOOMX:
      return TPropValue::Int(ZoomX());
    case PR_ZOOMY:
      return TPropValue::Int(ZoomY());
    case PR_FLOATZOOMX:
      return TPropValue::Float(zoom_x_);
    case PR_FLOATZOOMY:
      return TPropValue::Float(zoom_y_);
    case PR_FLIPH:
      return TPropValue::Bool(flip_h_);
    case PR_FLIPV:
      return TPropValue::Bool(flip_v_);
    case PR_ANTIALIAS:
      return TPropValue::Bool(anti_alias_);
    case PR_CAPTUREMASK:
      return TPropValue::Bool(capture_mask_);
    case PR_CAPMASKLEVEL:
      return TPropValue::Int(cap_mask_level_);
    case PR_ORIGWIDTH:
      return TPropValue::Int(PictureWidth());
    case PR_ORIGHEIGHT:
      return TPropValue::Int(PictureHeight());
    case PR_BLURSPAN:
      return TPropValue::Int(blur_span_);
    case PR_BLURDELAY:
      return TPropValue::Int(blur_delay_);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoCustomImage::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_ALPHA:
      SetAlphaValue(value.AsInt());
      break;
    case PR_ANGLE:
      SetAngle(AngleToRadians(value.AsInt()));
      break;
    case PR_FLOATANGLE:
      SetAngle(value.AsFloat());
      break;
    case PR_ZOOMX:
      SetZoom(zoom_x_, ZoomToFactor(value.AsInt()));
      break;
    case PR_ZOOMY:
      SetZoom(zoom_y_, ZoomToFactor(value.AsInt()));
      break;
    case PR_FLOATZOOMX:
      SetZoom(zoom_x_, value.AsFloat());
      break;
    case PR_FLOATZOOMY:
      SetZoom(zoom_y_, value.AsFloat());
      break;
    case PR_FLIPH:
      SetFlip(flip_h_, value.AsBool());
      break;
    case PR_FLIPV:
      SetFlip(flip_v_, value.AsBool());
      break;
    case PR_ANTIALIAS:
      if (anti_alias_ != value.AsBool()) {
        anti_alias_ = value.AsBool();
        Invalidate();
      }
      break;
    case PR_CAPTUREMASK:
      capture_mask_ = value.AsBool();
      break;
    case PR_CAPMASKLEVEL:
      cap_mask_level_ = value.AsInt();
      break;
    case PR_ORIGWIDTH:
    case PR_ORIGHEIGHT:
      break;
    case PR_BLURSPAN:
      blur_span_ = value.AsInt();
      RecordAfterimageState();
      break;
    case PR_BLURDELAY:
      blur_delay_ = value.AsInt();
      break;
    case PR_WIDTH:
    case PR_HEIGHT:
      if (SizeFollowsPicture()) {
        // The stored size holds until the next recomputation, which sees zoom 0.
        (id == PR_WIDTH ? zoom_x_ : zoom_y_) = 0;
      }
      TOrvoControl::SetProperty(id, value);
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

// ---- drawing

void TOrvoCustomImage::Paint(TCustomDIBX& surface) {
  if (!HasPicture() || Width() <= 0 || Height() <= 0) return;
  BeforePicture(surface);
  DrawPicture(surface);
  AfterPicture(surface);
  PaintChildren(surface);
}

void TOrvoCustomImage::DrawPicture(TCustomDIBX& surface) {
  const TPictureView& view = DrawnPicture();
  if (view.Empty() || alpha_ < 1 || Width() < 1 || Height() < 1) return;
  TDIBX& source = *view.surface;
  const TRect bounds = source.GetBounds();
  const TDrawFlags flips = FlipFlags(flip_h_, flip_v_);
  const int opacity = DrawOpacity(alpha_);
  const bool rotated = IsRotated();
  const bool resized = view.Width() != Width() || view.Height() != Height();
  const TPoint origin = Origin();
  const int32_t pivot_x = flip_h_ ? view.Width() - 1 - OffsetX() : OffsetX();
  const int32_t pivot_y = flip_v_ ? view.Height() - 1 - OffsetY() : OffsetY();
  if (anti_alias_ && (rotated || resized)) {
    surface.DrawTransformedSmooth(origin.x, origin.y, zoom_x_, zoom_y_, source, bounds, pivot_x, pivot_y, angle_,
                                  WithKey(flips, view), view.mask.get(), opacity);
    return;
  }
  if (rotated) {
    if (view.mask) {
      surface.DrawTransformedMask(origin.x, origin.y, zoom_x_, zoom_y_, source, bounds, pivot_x, pivot_y, angle_, flips,
                                  *view.mask, opacity);
    } else {
      surface.DrawTransformed(origin.x, origin.y, zoom_x_, zoom_y_, source, bounds, pivot_x, pivot_y, angle_,
                              WithKey(flips, view), opacity);
    }
    return;
  }
  const int32_t x = AbsLeft(), y = AbsTop();
  if (!resized) {
    DrawPictureAt(surface, x, y, view, flips, alpha_);
    return;
  }
  const TRect dest{x, y, ClampToInt32(int64_t{x} + Width()), ClampToInt32(int64_t{y} + Height())};
  if (view.mask) {
    if (opacity > 255) {
      surface.StretchDrawMaskAdd(dest, source, bounds, flips, *view.mask, opacity - 256);
    } else {
      surface.StretchDrawMask(dest, source, bounds, flips, *view.mask, opacity);
    }
  } else if (opacity > 255) {
    surface.StretchDrawAdd(dest, source, bounds, WithKey(flips, view), opacity - 256);
  } else {
    surface.StretchDraw(dest, source, bounds, WithKey(flips, view), opacity);
  }
}

// ---- hit test

bool TOrvoCustomImage::MaskHit(int64_t dx, int64_t dy) const {
  const TPictureView& view = DrawnPicture();
  if (!view.mask) return true;
  // A zoom of 0 (a size set by hand) places no pixel: nothing is hit.
  if (!(zoom_x_ > 0) || !(zoom_y_ > 0) || !std::isfinite(zoom_x_) || !std::isfinite(zoom_y_)) return false;
  bool ok_x = true, ok_y = true;
  int64_t mx = RealToIntRound<int64_t>(static_cast<long double>(dx) / zoom_x_, &ok_x);
  int64_t my = RealToIntRound<int64_t>(static_cast<long double>(dy) / zoom_y_, &ok_y);
  if (!ok_x || !ok_y) return false;
  const int64_t width = view.mask->Width(), height = view.mask->Height();
  if (flip_h_) mx = width - mx - 1;
  if (flip_v_) my = height - my - 1;
  // Outside the mask (also at x = width) nothing is hit.
  if (mx < 0 || my < 0 || mx >= width || my >= height) return false;
  const uint32_t level = view.mask->GetPixel(static_cast<int32_t>(mx), static_cast<int32_t>(my));
  return static_cast<int64_t>(level) >= cap_mask_level_;
}

TOrvoControl* TOrvoCustomImage::HitTest(int32_t x, int32_t y, uint32_t mask) {
  if (!Visible() || !ObjectRect().Contains(x, y)) return nullptr;
  for (size_t i = Children().size(); i-- > 0;) {
    TOrvoControl* child = Children()[i];
    if (child->IsScrapped()) continue;
    if (TOrvoControl* hit = child->HitTest(x, y, mask)) return hit;
  }
  const uint8_t mode = IgnoreMouse();
  if (mode > 7 || !(mask & (uint32_t{1} << mode))) return nullptr;
  int64_t px = x, py = y;
  const int64_t left = AbsLeft(), top = AbsTop();
  if (DrawsRotated()) {
    TurnBack(Origin(), x, y, angle_, px, py);
    if (px < left || py < top || px >= left + Width() || py >= top + Height()) return nullptr;
  }
  if (capture_mask_ && !MaskHit(px - left, py - top)) return nullptr;
  return this;
}

// ---- update and afterimages

bool TOrvoCustomImage::Update() {
  bool finished = TOrvoControl::Update();
  UpdateSizeIfDue();
  if (UpdatePicture()) finished = true;
  StepAfterimages();
  return finished;
}

void TOrvoCustomImage::RecordAfterimageState() {
  blur_.elapsed = 0;
  blur_.left = Left();
  blur_.top = Top();
  blur_.index = BlurIndex();
  blur_.angle = angle_;
  blur_.zoom_x = zoom_x_;
  blur_.zoom_y = zoom_y_;
  blur_.scroll_x = ScrollX();
  blur_.scroll_y = ScrollY();
}

void TOrvoCustomImage::StepAfterimages() {
  if (blur_span_ <= 0 || blur_delay_ <= 0) return;
  blur_.elapsed = WrapAdd(blur_.elapsed, Stage().FrameDelta());
  if (blur_.elapsed < blur_span_) return;
  blur_.elapsed = 0;
  const bool moved = blur_.left != Left() || blur_.top != Top() || blur_.index != BlurIndex() ||
                     blur_.angle != angle_ || blur_.zoom_x != zoom_x_ || blur_.zoom_y != zoom_y_ ||
                     blur_.scroll_x != ScrollX() || blur_.scroll_y != ScrollY();
  if (!moved || !HasPicture()) return;
  SpawnAfterimage();
  RecordAfterimageState();
}

void TOrvoCustomImage::CopyLookFrom(const TOrvoCustomImage& source) {
  angle_ = source.angle_;
  zoom_x_ = source.zoom_x_;
  zoom_y_ = source.zoom_y_;
  flip_h_ = source.flip_h_;
  flip_v_ = source.flip_v_;
  anti_alias_ = source.anti_alias_;
}

// ---- saves

void TOrvoCustomImage::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteInt32(alpha_);
  writer.WriteExt80(zoom_x_);
  writer.WriteExt80(angle_);
  writer.WriteBool(anti_alias_);
  writer.WriteBool(flip_h_);
  writer.WriteBool(flip_v_);
  writer.WriteBool(capture_mask_);
  writer.WriteExt80(zoom_y_);
  writer.WriteInt32(blur_span_);
  writer.WriteInt32(blur_delay_);
  writer.WriteInt32(cap_mask_level_);
}

void TOrvoCustomImage::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  const bool real_forms = version == 143 || version == 144 || version >= 200;
  alpha_ = reader.ReadInt32();
  if (real_forms) {
    zoom_x_ = reader.ReadExt80();
    angle_ = reader.ReadExt80();
    anti_alias_ = reader.ReadBool();
  } else {
    zoom_x_ = ZoomToFactor(reader.ReadInt32());
    angle_ = AngleToRadians(reader.ReadInt32());
  }
  flip_h_ = reader.ReadBool();
  flip_v_ = reader.ReadBool();
  capture_mask_ = reader.ReadBool();
  if (real_forms) {
    zoom_y_ = reader.ReadExt80();
  } else if (version > 103) {
    zoom_y_ = ZoomToFactor(reader.ReadInt32());
  }
  if (version > 139) {
    blur_span_ = reader.ReadInt32();
    blur_delay_ = reader.ReadInt32();
  }
  cap_mask_level_ = version == 144 || version >= 200 ? reader.ReadInt32() : 128;
  RecordAfterimageState();
}

}  // namespace orvo
