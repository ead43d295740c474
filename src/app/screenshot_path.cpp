#include "app/screenshot_path.h"

#include <cstdio>
#include <cstdlib>

#include "base/files.h"
#include "platform/desktop.h"

namespace orvo {

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : ".";
}

// The picture folder of user-dirs.dirs; empty when it names none (or only
// the home folder, which the XDG tools answer for a folder that is not set).
std::string PicturesFromUserDirs() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string text;
  if (!ReadWholeFile((config && *config ? std::string(config) : HomeFolder() + "/.config") + "/user-dirs.dirs", text))
    return {};
  std::string folder = XdgUserFolder(text, "PICTURES", HomeFolder());
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder == HomeFolder() ? std::string() : folder;
}

// Keeps the title readable but safe in a file name on any desktop file system.
std::string SafeTitle(const std::string& title) {
  std::string out;
  for (char c : title) {
    unsigned char u = static_cast<unsigned char>(c);
    bool bad = u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
               c == '<' || c == '>' || c == '|';
    out.push_back(bad ? '_' : c);
  }
  size_t start = out.find_first_not_of(" .");
  size_t end = out.find_last_not_of(" .");
  if (start == std::string::npos) return "OrvoPlayer";
  return out.substr(start, end - start + 1);
}

}  // namespace

std::string ScreenshotFolder() {
  const char* direct = std::getenv("XDG_PICTURES_DIR");
  std::string pictures = direct && *direct ? direct : PicturesFromUserDirs();
  if (pictures.empty()) pictures = HomeFolder() + "/Pictures";
  return pictures + "/OrvoPlayer";
}

std::string ScreenshotPath(const std::string& folder, const std::string& utf8_title, const std::tm& local_time,
                           const std::function<bool(const std::string&)>& exists) {
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d-%02d-%02d", local_time.tm_year + 1900, local_time.tm_mon + 1,
                local_time.tm_mday, local_time.tm_hour, local_time.tm_min, local_time.tm_sec);
  std::string base = folder + "/" + SafeTitle(utf8_title) + " " + stamp;
  std::string path = base + ".png";
  for (int counter = 2; exists(path) && counter < 10000; ++counter)
    path = base + " (" + std::to_string(counter) + ").png";
  return path;
}

}  // namespace orvo
