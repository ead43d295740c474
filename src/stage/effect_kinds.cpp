#include "stage/effect_kinds.h"

#include "stage/cg_label.h"
#include "stage/fire.h"
#include "stage/particle.h"
#include "stage/stage.h"
#include "stage/wave.h"

namespace orvo {

void RegisterEffectKinds(TOrvoBaseList& stage) {
  stage.RegisterKind(kcFire, [](TOrvoBaseList& s) { return std::make_unique<TOrvoFire>(s); });
  stage.RegisterKind(kcParticle, [](TOrvoBaseList& s) { return std::make_unique<TOrvoParticle>(s); });
  stage.RegisterKind(kcCGLabel, [](TOrvoBaseList& s) { return std::make_unique<TOrvoCGLabel>(s); });
  stage.RegisterKind(kcWave, [](TOrvoBaseList& s) { return std::make_unique<TOrvoWave>(s); });
}

}  // namespace orvo
