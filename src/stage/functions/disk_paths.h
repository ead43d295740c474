#pragma once
// Where the files that a game writes go on disk. Every name stays inside the
// folder it belongs to: "..", absolute names and drive letters never leave it.
#include <string>
#include <string_view>

namespace orvo {

// The path on disk for writing the game name (CP932, '\' or '/') inside
// folder: an existing file of that name in any ASCII case, else the name in
// its existing folder. Empty when the name would leave the folder, does not
// convert, or its folder does not exist.
std::string WritablePath(const std::string& folder, std::string_view name);

// Makes the folders of a relative script path (CP932) below root as needed,
// taking existing folders in any ASCII case, and returns the folder on disk.
// Empty and "." parts are passed over; ".." parts, parts that do not convert
// and folders that cannot be made give the empty string.
std::string MakeFolderBelow(const std::string& root, std::string_view relative);

// Makes a folder on disk and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

}  // namespace orvo
