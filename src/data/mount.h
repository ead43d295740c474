#pragma once
// Mounting the game data at start-up, as the player's shell does it:
//
//   std::vector<std::string> args(argv + 1, argv + argc);   // minus the shell's own options
//   TFileManagerOptions options;
//   options.disc_roots = TakeDiscRootOptions(args);
//   TVrFileManager files(options);
//   files.SetChangeHandler(...);                             // font extraction
//   MountGameData(files, {ProgramPath(argv[0]), args});
//   ... every frame: files.Housekeeping(total_elapsed_ms);
#include <string>
#include <vector>

#include "data/file_manager.h"

namespace orvo {

struct TMountRequest {
  std::string program_path;            // the running program file on disk
  std::vector<std::string> arguments;  // positional arguments: game folder, archives
};

// Without arguments: the loose folder is the program's folder, and the program
// itself is mounted when an archive is joined to it. With arguments: the loose
// folder is the first argument; for every argument, "game.dat" inside that
// folder is mounted, and a file carrying an archive trailer is mounted.
// A damaged archive raises its error.
void MountGameData(TVrFileManager& manager, const TMountRequest& request);

// True when the file ends in a trailer whose offset lies inside the file and
// leads to a directory that reads. The file name plays no part.
bool HasArchiveTrailer(const std::string& path);

// Removes every "--disc-root DIR" (or "--disc-root=DIR") from args and
// returns the folders in order.
std::vector<std::string> TakeDiscRootOptions(std::vector<std::string>& args);

// The running program's file (/proc/self/exe), or argv0 when that cannot be read.
std::string ProgramPath(const char* argv0);

}  // namespace orvo
