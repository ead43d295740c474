#pragma once
// The player's command line: the game arguments of the Windows player plus
// our own options (documented in --help and docs/cli.md).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/display.h"

namespace orvo {

struct TShotRequest {
  int frame = 0;
  std::string path;
};

struct TPlayerOptions {
  // Arguments as the game sees them: the game folder first, then any archives.
  std::vector<std::string> game_args;
  bool config = false;  // "/config" as the first argument
  bool d3d = false;     // "/d3d": accepted and ignored
  bool headless = false;
  bool help = false;
  bool version = false;
  bool integer_scale = false;
  bool read_aloud = false;  // speak each message page
  int64_t frames = -1;     // stop after this many frame steps; -1 runs until the game ends
  int32_t fixed_step = 0;  // ms per tick without sleeping; 0 = real time
  std::optional<uint32_t> seed;
  std::string screenshot;
  std::vector<TShotRequest> shots;
  std::string input_file;
  std::string trace_file;
  std::string dump_vars_file;
  std::vector<std::string> disc_roots;
  // The modes the headless display reports (--display-modes).
  TDisplayModes display_modes = DefaultHeadlessModes();
  std::string audio_out;  // render the sound into this WAV file on the game clock
  std::string save_dir;   // the save file is DIR/save.dat instead of the user's data folder
};

// Parses argv; on a wrong option returns false with a message in error.
bool ParsePlayerOptions(int argc, char** argv, TPlayerOptions& options, std::string& error);

// The text of --help.
std::string PlayerUsage();

}  // namespace orvo
