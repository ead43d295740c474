#pragma once
// Pictures of the stage that scripts write: SaveScreen's layered pictures
// (into the game folder or a "mem:"/"save:" file) and the wallpaper bitmap.
#include <cstdint>
#include <string>

#include "stage/functions/game_functions.h"
#include "stage/functions/memory_files.h"
#include "surface/dib_surface.h"

namespace orvo {

// A 24-bit picture of screen index (0 or 1) at the stage's size, after the
// screen painted what was pending.
TDIBSurface CaptureScreen(TOrvoBaseList& stage, int index);

struct TSaveScreenRequest {
  std::string file;    // CP932
  int32_t width = 0;   // 0: the stage's width
  int32_t height = 0;  // 0: the stage's height
  bool other_screen = false;
  // 1: the file is deleted at exit; 2: it joins install.dat's installed files.
  int32_t register_mode = 0;
};

// Writes the picture; true when it was written. A name that is not ".dov",
// a plain name that would leave the game folder, a size below 1 and any
// failure while capturing or writing give false.
bool SaveScreen(const TGameFunctionServices& services, TMemoryFiles& memory, const TSaveScreenRequest& request);

// The extension of a script file name from its last '.' (dot included),
// looking only after the last '\' or ':'; empty when there is none.
std::string ScriptFileExtension(std::string_view name);

}  // namespace orvo
