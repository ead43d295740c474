#pragma once
// The text label (kind 9): a few lines of plain text in one face, rendered
// once into a colour picture and an 8-bit mask and drawn from there with
// opacity, zoom, rotation and mirroring.
#include <cstdint>
#include <string>
#include <vector>

#include "base/rect.h"
#include "stage/orvo_control.h"
#include "surface/dibx.h"

namespace orvo {

class TOrvoLabel : public TOrvoControl {
 public:
  explicit TOrvoLabel(TOrvoBaseList& stage);
  ~TOrvoLabel() override;

  uint8_t CompoType() const override { return kcLabel; }
  bool Paused() const override { return paused_; }
  std::string_view IdleHandler() const override { return on_idle_; }
  int32_t ZoomX() const override;
  int32_t ZoomY() const override;
  bool FlipH() const override { return flip_h_; }
  bool FlipV() const override { return flip_v_; }
  int32_t PictureWidth() const override { return text_width_; }
  int32_t PictureHeight() const override { return text_height_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // Rotated labels widen their rectangle to the turned picture's bounds.
  TRect ObjectRect() const override;
  void Invalidate() override;
  void Paint(TCustomDIBX& surface) override;
  TOrvoControl* HitTest(int32_t x, int32_t y, uint32_t mask) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;
  void RestoreSurfaces() override { RenderText(); }

  // Measures and renders the lines; the size follows (zoomed).
  void RenderText();
  // Where the pivot lands on screen and the pivot inside the picture.
  void DrawPlacement(TPoint& position, TPoint& pivot) const;
  bool IsRotated() const;

  const std::vector<std::string>& Lines() const { return lines_; }
  int32_t TextWidth() const { return text_width_; }
  int32_t TextHeight() const { return text_height_; }
  const std::vector<TRect>& InkRects() const { return ink_rects_; }

 private:
  void SetText(const std::string& text);
  template <class T>
  void StoreAndRender(T& field, const T& value);
  void SetZoom(bool vertical, long double value);
  void SetFloatAngle(long double angle);

  std::vector<std::string> lines_;
  std::string face_;
  int32_t font_size_ = 12;
  int32_t line_space_ = 0;
  uint8_t style_ = 0;
  TDIBX picture_;
  TDIBX mask_;
  int32_t alpha_ = 255;
  int32_t colour_ = 0;
  uint8_t align_ = 0;
  bool anti_alias_ = false;
  bool flip_h_ = false;
  bool flip_v_ = false;
  long double angle_ = 0;
  int32_t text_width_ = 0;
  int32_t text_height_ = 0;
  long double zoom_x_ = 1;
  long double zoom_y_ = 1;
  std::string on_idle_;
  std::string source_;
  bool repeat_ = false;
  bool auto_scrap_ = false;
  std::string on_play_end_;
  bool paused_ = false;
  std::vector<TRect> ink_rects_;
};

}  // namespace orvo
