#pragma once

namespace orvo {

// The whole program: command line, game, frame loop, shutdown. Returns the exit status.
int RunPlayer(int argc, char** argv);

}  // namespace orvo
