#include "base/random.h"

namespace orvo {

TProcessRandom& ProcessRandom() {
  static TProcessRandom generator;
  return generator;
}

}  // namespace orvo
