#pragma once
// The picture base of every picture kind: zoom, rotation, flips, opacity,
// anti-aliasing, the mask hit test and afterimages. A picture object draws
// its external picture (a frame of a frame list) when it has one, else its
// own picture (the flip cover's copy of the screen).
#include <cstdint>
#include <memory>

#include "stage/image_list.h"
#include "stage/orvo_control.h"

namespace orvo {

class TOrvoCustomImage : public TOrvoControl {
 public:
  explicit TOrvoCustomImage(TOrvoBaseList& stage);
  ~TOrvoCustomImage() override;

  // ---- geometry hooks (integer zooms truncate the factors)
  int32_t ZoomX() const override;
  int32_t ZoomY() const override;
  bool FlipH() const override { return flip_h_; }
  bool FlipV() const override { return flip_v_; }
  int32_t PictureWidth() const override { return DrawnPicture().Width(); }
  int32_t PictureHeight() const override { return DrawnPicture().Height(); }
  // Rotated pictures widen their rectangle to the turned picture's bounds.
  TRect ObjectRect() const override;

  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // Nothing without a picture or size; otherwise the picture, then the children.
  void Paint(TCustomDIBX& surface) override;
  // Children first; the picture itself by its mask when PR_CAPTUREMASK is set.
  TOrvoControl* HitTest(int32_t x, int32_t y, uint32_t mask) override;
  // Film motion, the size when it is due, afterimages.
  bool Update() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;
  void PositionChanged() override;

  // ---- the picture
  // The picture drawn now: the external one when set, else the own one.
  const TPictureView& DrawnPicture() const { return external_.Empty() ? own_ : external_; }
  bool HasPicture() const { return !DrawnPicture().Empty(); }
  // A picture of the object's own (the flip cover); sizes follow it.
  void SetOwnPicture(TPictureView view);
  // A frame of a frame list or a film; null surface clears it.
  void SetExternalPicture(TPictureView view);
  void ClearExternalPicture() { SetExternalPicture({}); }

  // ---- look
  int32_t Alpha() const { return alpha_; }
  long double Angle() const { return angle_; }
  long double ZoomFactorX() const { return zoom_x_; }
  long double ZoomFactorY() const { return zoom_y_; }
  bool AntiAlias() const { return anti_alias_; }
  // The angle is not a whole number of turns.
  bool IsRotated() const;
  // Recomputes Width and Height from the picture and zoom when the size
  // follows the picture (PR_LEFT of the creation command asks first).
  void RecomputeSize();
  // Recomputes the size when something marked it due.
  void UpdateSizeIfDue();

  // True unless a film motion is attached (tiles: never).
  virtual bool SizeFollowsPicture() const { return Motion() == nullptr; }
  // The index that afterimages compare (PR_INDEX of the animation kinds).
  virtual int32_t BlurIndex() const { return -1; }
  // True when the picture is drawn and hit turned by the angle (not tiles).
  virtual bool DrawsRotated() const { return IsRotated(); }

 protected:
  // Around DrawPicture; empty here.
  virtual void BeforePicture(TCustomDIBX& surface) { (void)surface; }
  virtual void AfterPicture(TCustomDIBX& surface) { (void)surface; }
  // The picture part of Paint.
  virtual void DrawPicture(TCustomDIBX& surface);
  // The kind's own step of Update, after the film motion and the size; true
  // when the object is finished.
  virtual bool UpdatePicture() { return false; }
  // A new afterimage of this object (blur picture; tiles make blur tiles).
  virtual void SpawnAfterimage();
  // The mask test of the hit test at a point relative to (AbsLeft, AbsTop).
  bool MaskHit(int64_t dx, int64_t dy) const;
  // Marks the size due (parent zoom changes, new frames).
  void MarkSizeDirty() { size_dirty_ = true; }
  void SetAlphaValue(int32_t alpha);
  // Copies the look that afterimages take from a source.
  void CopyLookFrom(const TOrvoCustomImage& source);
  // The afterimage counter: spawns when BlurSpan has passed and the object moved.
  void StepAfterimages();
  void RecordAfterimageState();
  int32_t BlurSpan() const { return blur_span_; }
  int32_t BlurDelay() const { return blur_delay_; }

 private:
  void SetZoom(long double& field, long double value);
  void SetAngle(long double radians);
  void SetFlip(bool& field, bool value);
  // Children that take their place from this picture's pixels re-measure.
  void MarkPictureChildrenDirty();
  int32_t FollowedSize(bool vertical) const;

  TPictureView own_;
  TPictureView external_;
  int32_t alpha_ = 255;
  long double angle_ = 0;
  bool flip_h_ = false;
  bool flip_v_ = false;
  bool capture_mask_ = false;
  int32_t cap_mask_level_ = 128;
  bool size_dirty_ = false;
  int32_t blur_span_ = 0;
  int32_t blur_delay_ = 0;
  bool anti_alias_ = false;
  long double zoom_x_ = 1;
  long double zoom_y_ = 1;

  struct TBlurState {
    int32_t elapsed = 0;
    int32_t left = 0, top = 0, index = -1;
    long double angle = 0, zoom_x = 1, zoom_y = 1;
    int32_t scroll_x = 0, scroll_y = 0;
  } blur_;
};

// The rectangle on screen of a picture (picture_width x picture_height) whose
// pivot (the offsets, mirrored by the flips) lands on origin, zoomed and
// turned by angle (radians): picture kinds and labels share the transform.
TRect TurnedBounds(TPoint origin, int32_t picture_width, int32_t picture_height, int32_t offset_x, int32_t offset_y,
                   bool flip_h, bool flip_v, long double zoom_x, long double zoom_y, long double angle);
// A screen point turned back by angle around origin, rounded to whole pixels.
void TurnBack(TPoint origin, int32_t x, int32_t y, long double angle, int64_t& px, int64_t& py);

// The surface operation of picture drawing, chosen by the opacity: 1..254
// blend, 255 copy, 256 and above add with strength opacity - 256 (at most
// 255); masked when view has a mask, key-coloured otherwise. Draws
// source_rect of the view at (x, y).
void DrawPictureRect(TCustomDIBX& target, int32_t x, int32_t y, const TPictureView& view, const TRect& source_rect,
                     TDrawFlags flips, int32_t alpha);
// The whole picture at (x, y), or only its draw rectangles when it has any
// (mirrored in place when flipped).
void DrawPictureAt(TCustomDIBX& target, int32_t x, int32_t y, const TPictureView& view, TDrawFlags flips,
                   int32_t alpha);

}  // namespace orvo
