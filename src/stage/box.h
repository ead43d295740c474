#pragma once
// The box (kind 2): a filled and framed rectangle, which may play a motion
// film and leave afterimages behind when it moves.
#include <cstdint>
#include <string>

#include "stage/afterimage_base.h"
#include "stage/orvo_control.h"

namespace orvo {

class TOrvoBox : public TOrvoControl {
 public:
  explicit TOrvoBox(TOrvoBaseList& stage);

  uint8_t CompoType() const override { return kcBox; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // The frame, the fill (blended, copied or added by Alpha), then the children.
  void Paint(TCustomDIBX& surface) override;
  // Film motion, then afterimages.
  bool Update() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  int32_t Alpha() const { return alpha_; }
  int32_t BorderWidth() const { return border_width_; }
  int32_t BorderColor() const { return border_color_; }

 protected:
  // Copies what an afterimage of source shows.
  void CopyBoxFrom(const TOrvoBox& source);
  void SetAlphaValue(int32_t alpha);

 private:
  void SetSource(const std::string& source);
  void RecordAfterimageState();

  int32_t border_width_ = 0;
  int32_t border_color_ = -1;
  int32_t alpha_ = 255;
  std::string source_;
  bool repeat_ = false;
  bool auto_scrap_ = false;
  std::string on_play_end_;
  bool paused_ = false;
  int32_t blur_span_ = 0;
  int32_t blur_delay_ = 0;
  struct TBlurState {
    int32_t elapsed = 0;
    int32_t left = 0, top = 0, width = 0, height = 0, border_width = 0;
  } blur_;
};

// An afterimage of a box: fades out over its lifetime and is never saved.
class TOrvoBlurBox : public TAfterimage<TOrvoBox> {
 public:
  TOrvoBlurBox(TOrvoBaseList& stage, const TOrvoBox& source);
};

}  // namespace orvo
