#pragma once
// The effect kinds of the stage: fire, particle emitters, waves and glyph-picture labels.
namespace orvo {

class TOrvoBaseList;

// Registers the factories of kinds 6, 14, 19 and 24 on a stage.
void RegisterEffectKinds(TOrvoBaseList& stage);

}  // namespace orvo
