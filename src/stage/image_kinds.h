#pragma once
// The picture kinds of the stage: boxes, animations, tiles and map images.
namespace orvo {

class TOrvoBaseList;

// Registers the factories of kinds 2, 8, 18 and 20 on a stage.
void RegisterImageKinds(TOrvoBaseList& stage);

}  // namespace orvo
