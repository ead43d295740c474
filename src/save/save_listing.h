#pragma once
// What a save file holds, one line a thing (UTF-8): the status data's
// version, every slot with its version and title, every "save:" file.
#include <string>

namespace orvo {

// "status\tVERSION" when there is status data, then "slot\tN\tVERSION\tTITLE"
// for every game save by ascending slot, then "file\tNAME\tSIZE" for every
// "save:" file in directory order, each line ending in "\n". A damaged file
// or entry raises.
std::string ListSaveFile(const std::string& path);

}  // namespace orvo
