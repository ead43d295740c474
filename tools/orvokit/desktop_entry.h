#pragma once
// The desktop file of a bundled game: a menu entry that starts it.
#include <string>

namespace orvo::kit {

// A desktop entry (freedesktop format) named utf8_title (the game file's name
// when empty) whose Exec starts the program at absolute_game_path.
std::string GameDesktopEntry(const std::string& utf8_title, const std::string& absolute_game_path);

}  // namespace orvo::kit
