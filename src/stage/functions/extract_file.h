#pragma once
// ExtractFile: copies game files (archive entries, loose files, "mem:" files)
// to a folder on disk that the player's own folder, the user's desktop or
// documents folder, or a folder dialog gives. Nothing is ever written
// outside that folder.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stage/functions/game_functions.h"

namespace orvo {

struct TExtractRequest {
  std::vector<std::string> names;     // game names (CP932); '*' and '?' in the file-name part
  bool ask = true;                    // ask before replacing a file
  std::optional<std::string> folder;  // CP932; none: a folder dialog asks
};

// True once any file was written.
bool ExtractFiles(const TGameFunctionServices& services, const TExtractRequest& request);

// The destination of a folder argument on disk, made when missing:
// "{Desktop}rest" and "{MyDocuments}rest" below those folders, other texts
// below the game folder. A rest holding ".." or ':' counts as empty. Empty
// for another "{word}" or a folder that cannot be made.
std::string ExtractFolder(const TGameFunctionServices& services, std::string_view folder);

// Wildcard match of a file name: '*' any characters, '?' one character,
// ASCII letters without case; characters, not bytes.
bool MatchesMask(std::string_view name, std::string_view mask);

// The file-name part of a game name (after the last '\', '/' or ':'); empty
// when that is "." or "..", which would name a folder.
std::string SafeFileNamePart(std::string_view name);

}  // namespace orvo
