#include "stage/image_kinds.h"

#include "stage/box.h"
#include "stage/images.h"
#include "stage/map_image.h"
#include "stage/stage.h"

namespace orvo {

void RegisterImageKinds(TOrvoBaseList& stage) {
  stage.RegisterKind(kcBox, [](TOrvoBaseList& s) { return std::make_unique<TOrvoBox>(s); });
  stage.RegisterKind(kcImages, [](TOrvoBaseList& s) { return std::make_unique<TOrvoImages>(s); });
  stage.RegisterKind(kcMapImage, [](TOrvoBaseList& s) { return std::make_unique<TOrvoMapImage>(s); });
  stage.RegisterKind(kcTile, [](TOrvoBaseList& s) { return std::make_unique<TOrvoTile>(s); });
}

}  // namespace orvo
