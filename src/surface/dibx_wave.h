#pragma once
// A proxy that draws into part of another surface with every row shifted
// sideways by its own offset (the wave effect). Operations take the target's
// coordinates; the proxy covers (origin x, origin y, width, height) of the
// target, row r using offset r - origin y. Each operation is forwarded to
// the target once per band of rows with equal offsets, with the target's
// clip narrowed to the band and the destination moved by the offset.
#include <cstdint>
#include <vector>

#include "surface/custom_dibx.h"

namespace orvo {

class TDIBXWave : public TCustomDIBX {
 public:
  TDIBXWave() = default;
  explicit TDIBXWave(TCustomDIBX* target) : target_(target) {}

  void SetTargetSurface(TCustomDIBX* target) { target_ = target; }
  void SetOrigin(int32_t x, int32_t y) {
    origin_x_ = x;
    origin_y_ = y;
  }
  int32_t OriginX() const { return origin_x_; }
  int32_t OriginY() const { return origin_y_; }
  // One horizontal offset per row; SetSize gives it as many entries as rows.
  std::vector<int32_t>& Offsets() { return offsets_; }
  const std::vector<int32_t>& Offsets() const { return offsets_; }
  // Keep and give back the target's clip around a drawing pass.
  void SaveTargetClip();
  void RestoreTargetClip();

  int BitCount() const override;
  TCustomDIBX* Target() override { return target_; }
  int StoredBitCount() const override;
  void SetSize(int32_t width, int32_t height, int bits) override;
  void ResetClip() override;
  void AddClip(const TRect& r) override;
  int32_t ColorToPixel(int32_t colour) const override;
  void Clear(uint32_t pixel) override;
  void FillRect(const TRect& r, uint32_t pixel) override;
  void FillRectBlend(const TRect& r, uint32_t pixel, int opacity) override;
  void FillRectAdd(const TRect& r, uint32_t pixel) override;
  void FillRectSub(const TRect& r, uint32_t pixel) override;
  void Assign(TCustomDIBX& source) override;
  void Draw(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags) override;
  void DrawMask(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                TCustomDIBX& mask) override;
  void DrawBlend(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                 int opacity) override;
  void DrawMaskBlend(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                     TCustomDIBX& mask, int opacity) override;
  void DrawAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
               int opacity) override;
  void DrawMaskAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                   TCustomDIBX& mask, int opacity) override;
  void DrawColorMask(int32_t x, int32_t y, TCustomDIBX& mask, const TRect& source_rect, TDrawFlags flags,
                     uint32_t pixel, int opacity) override;
  void DrawTransformed(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                       const TRect& source_rect, int32_t pivot_x, int32_t pivot_y, long double angle, TDrawFlags flags,
                       int opacity) override;
  void DrawTransformedMask(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                           const TRect& source_rect, int32_t pivot_x, int32_t pivot_y, long double angle,
                           TDrawFlags flags, TCustomDIBX& mask, int opacity) override;
  void StretchDraw(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                   int opacity) override;
  void StretchDrawMask(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                       TCustomDIBX& mask, int opacity) override;
  void StretchDrawAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                      int opacity) override;
  void StretchDrawMaskAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                          TCustomDIBX& mask, int opacity) override;
  void DrawCoverage(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, uint32_t pixel,
                    TDrawFlags flags, int opacity, int factor) override;
  void DrawCoverage3(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, const TColor3& colours,
                     TDrawFlags flags, int opacity, int factor) override;
  void TileStretchDraw(const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                       long double scale_y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                       int opacity, int32_t origin_x, int32_t origin_y) override;
  void TileStretchDrawMask(const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                           long double scale_y, TCustomDIBX& source, const TRect& source_rect, TCustomDIBX& mask,
                           TDrawFlags flags, int opacity, int32_t origin_x, int32_t origin_y) override;
  void PatternFrame(const TRect& r, int thickness, TCustomDIBX& texture, int32_t origin_x, int32_t origin_y) override;
  void DrawNibblePalette(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                         int opacity, const TNibblePalette& table) override;
  void DrawPaletteAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, int threshold,
                      TDrawFlags flags, int opacity, const TBytePalette& table) override;
  void StretchDrawPaletteAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, int threshold,
                             TDrawFlags flags, int opacity, const TBytePalette& table) override;
  void ScaledPatternFill(const TRect& r, TCustomDIBX& texture, long double scale_x, long double scale_y,
                         int32_t origin_x, int32_t origin_y, TDrawFlags flags, int opacity) override;
  void ScaledPatternFillMask(const TRect& r, TCustomDIBX& texture, long double scale_x, long double scale_y,
                             int32_t origin_x, int32_t origin_y, TCustomDIBX& mask, TDrawFlags flags,
                             int opacity) override;
  void PatternFill(const TRect& r, TCustomDIBX& texture, int32_t origin_x, int32_t origin_y, TDrawFlags flags) override;

 protected:
  TRect ClipArea() const override;

 private:
  // Calls op(target, offset) once per band of equal offsets inside the clip.
  template <class Op>
  void ForEachBand(Op&& op);

  TCustomDIBX* target_ = nullptr;
  std::vector<int32_t> offsets_;
  int32_t origin_x_ = 0;
  int32_t origin_y_ = 0;
  TClipState saved_target_clip_;
};

}  // namespace orvo
