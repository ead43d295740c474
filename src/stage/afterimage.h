#pragma once
// Afterimages of pictures and tiles: brief copies left behind a moving
// picture that fade out over their lifetime. They share the source's
// picture (by reference count, so they may outlive it) and are never saved.
#include "stage/custom_image.h"
#include "stage/images.h"

namespace orvo {

class TOrvoBlurImage : public TOrvoCustomImage {
 public:
  TOrvoBlurImage(TOrvoBaseList& stage, const TOrvoCustomImage& source);

  bool IsAfterimage() const override { return true; }
  TObjectHandle AfterimageSource() const override { return source_; }
  // The source's size is kept, whatever the picture.
  bool SizeFollowsPicture() const override { return false; }
  bool Update() override;

 private:
  TObjectHandle source_;
  int32_t elapsed_ = 0;
  int32_t lifetime_;
  int32_t start_alpha_;
};

class TOrvoBlurTile : public TOrvoTile {
 public:
  TOrvoBlurTile(TOrvoBaseList& stage, const TOrvoTile& source);

  bool IsAfterimage() const override { return true; }
  TObjectHandle AfterimageSource() const override { return source_; }
  bool Update() override;

 private:
  TObjectHandle source_;
  int32_t elapsed_ = 0;
  int32_t lifetime_;
  int32_t start_alpha_;
};

}  // namespace orvo
