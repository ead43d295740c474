#pragma once
// What a film's particle track drives on the particle object it owns: the
// emission parameters that replace the object's own emission expressions once
// a film has set them, and the loop flag of the particles' pictures.
#include <cstdint>

namespace orvo {

struct TOrvoParticleParam {
  int32_t XBase = 0;
  int32_t YBase = 0;
  int32_t XRange = 0;
  int32_t YRange = 0;
  int32_t IntervalBase = 0;
  int32_t IntervalRange = 0;
};

class IParticleEmission {
 public:
  virtual ~IParticleEmission() = default;
  // Created on first use; from then on the object emits by it.
  virtual TOrvoParticleParam& EmissionParam() = 0;
  virtual void SetParticleLoop(bool loop) = 0;
};

}  // namespace orvo
