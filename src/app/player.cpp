#include "app/player.h"

namespace orvo {

int RunPlayer(int, char**) { return 0; }

}  // namespace orvo
