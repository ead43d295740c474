#pragma once

namespace orvo {

// The whole program: command line, game, frame loop, shutdown. Returns the
// exit status: 0 after a normal end, 1 after a fatal error, 2 for a wrong
// command line.
int RunPlayer(int argc, char** argv);

}  // namespace orvo
