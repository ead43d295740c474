#pragma once
// Afterimages of pictures and tiles: brief copies left behind a moving
// picture that fade out over their lifetime. They share the source's
// picture (by reference count, so they may outlive it) and are never saved.
#include "stage/afterimage_base.h"
#include "stage/custom_image.h"
#include "stage/images.h"

namespace orvo {

class TOrvoBlurImage : public TAfterimage<TOrvoCustomImage> {
 public:
  TOrvoBlurImage(TOrvoBaseList& stage, const TOrvoCustomImage& source);

  // The source's size is kept, whatever the picture.
  bool SizeFollowsPicture() const override { return false; }
};

class TOrvoBlurTile : public TAfterimage<TOrvoTile> {
 public:
  TOrvoBlurTile(TOrvoBaseList& stage, const TOrvoTile& source);
};

}  // namespace orvo
