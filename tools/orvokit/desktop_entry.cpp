#include "desktop_entry.h"

#include <filesystem>

namespace orvo::kit {

namespace {

// A value of a desktop entry is one line: breaks and backslashes are escaped.
std::string EntryValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

// The program as one quoted argument of Exec: inside the quotes a backslash
// goes before each of the characters " ` $ and the backslash itself, and %
// is doubled, as the field-code rules require.
std::string ExecArgument(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string GameDesktopEntry(const std::string& utf8_title, const std::string& absolute_game_path) {
  std::string name = utf8_title;
  if (name.find_first_not_of(" \t") == std::string::npos) name = std::filesystem::path(absolute_game_path).filename();
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.0\n"
         "Name=" +
         EntryValue(name) +
         "\n"
         "Comment=A game played with OrvoPlayer\n"
         "Exec=" +
         EntryValue(ExecArgument(absolute_game_path)) +
         "\n"
         "Icon=orvoplayer\n"
         "Terminal=false\n"
         "Categories=Game;\n";
}

}  // namespace orvo::kit
