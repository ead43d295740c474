#include "stage/afterimage.h"

#include "base/numeric.h"
#include "stage/box.h"
#include "stage/stage.h"

namespace orvo {

namespace {

// What every afterimage copies of its source: place, pivot, clip rectangle and size.
void CopyPlace(TOrvoControl& target, const TOrvoControl& source) {
  const bool motion = source.Motion() != nullptr;
  target.SetBoundsRect(motion ? source.MotionX() : source.Left(), motion ? source.MotionY() : source.Top(),
                       source.Width(), source.Height());
  for (int32_t id : {PR_OFFSETX, PR_OFFSETY, PR_PLUSX, PR_PLUSY, PR_POSZOOMED, PR_CLIPLEFT, PR_CLIPTOP, PR_CLIPWIDTH,
                     PR_CLIPHEIGHT}) {
    target.SetProperty(id, source.GetProperty(id));
  }
}

// Names the afterimage after its source and puts it just below it.
void PlaceBelow(TOrvoControl& blur, const TOrvoControl& source) {
  blur.SetName(blur.Stage().UniqueName(source.Name()));
  blur.SetPriority(source.Priority() - 1);
  blur.SetParent(source.Parent());
}

}  // namespace

TOrvoBlurImage::TOrvoBlurImage(TOrvoBaseList& stage, const TOrvoCustomImage& source) : TAfterimage(stage, source) {
  CopyLookFrom(source);
  SetExternalPicture(source.DrawnPicture());
  CopyPlace(*this, source);
  SetAlphaValue(StartAlpha());
}

TOrvoBlurTile::TOrvoBlurTile(TOrvoBaseList& stage, const TOrvoTile& source) : TAfterimage(stage, source) {
  CopyLookFrom(source);
  CopyTileFrom(source);
  SetExternalPicture(source.DrawnPicture());
  CopyPlace(*this, source);
  SetAlphaValue(StartAlpha());
}

void TOrvoCustomImage::SpawnAfterimage() {
  TOrvoBlurImage* blur = Stage().Create<TOrvoBlurImage>(*this);
  PlaceBelow(*blur, *this);
}

void TOrvoTile::SpawnAfterimage() {
  TOrvoBlurTile* blur = Stage().Create<TOrvoBlurTile>(*this);
  PlaceBelow(*blur, *this);
}

}  // namespace orvo
