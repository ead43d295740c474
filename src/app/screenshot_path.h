#pragma once
// Where the screenshot key puts its pictures: one file per press in the
// user's picture folder, named after the game and the time.
#include <ctime>
#include <functional>
#include <string>

namespace orvo {

// The user's picture folder: $XDG_PICTURES_DIR, else the XDG_PICTURES_DIR line
// of $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Pictures; with "/OrvoPlayer" added.
std::string ScreenshotFolder();

// "TITLE YYYY-MM-DD HH-MM-SS.png" inside folder, the title made safe for a file
// name ("OrvoPlayer" when nothing is left of it). When the name is taken,
// " (2)", " (3)" ... go before ".png". exists tells whether a path is taken.
std::string ScreenshotPath(const std::string& folder, const std::string& utf8_title, const std::tm& local_time,
                           const std::function<bool(const std::string&)>& exists);

}  // namespace orvo
