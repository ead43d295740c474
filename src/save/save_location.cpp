#include "save/save_location.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "base/cp932.h"
#include "base/error.h"

namespace orvo {

namespace {

bool IsReplaced(char c) {
  switch (c) {
    case '\\':
    case '/':
    case ':':
    case ',':
    case ';':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
    case '\0':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string SaveFolderName(std::string_view title) {
  std::string name;
  for (size_t i = 0; i < title.size();) {
    const size_t length = CharLength(title, i);
    if (length == 1 && IsReplaced(title[i])) {
      name.push_back('_');
    } else {
      name.append(title.substr(i, length));
    }
    i += length;
  }
  // "." and ".." would name the data folder itself or its parent.
  if (name.empty() || name == "." || name == "..") throw ErrorFromUtf8("ゲームタイトルを設定してください");
  return Cp932ToUtf8(name);
}

std::string UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::string(data) + "/orvoplayer";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/orvoplayer";
}

TSaveLocation LocateSaveFile(std::string_view title, const std::string& save_dir, const std::string& game_folder) {
  TSaveLocation location;
  const std::string folder = save_dir.empty() ? UserDataFolder() + "/" + SaveFolderName(title) : save_dir;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, error)) throw ErrorFromUtf8("データファイルを作成することができません");
  location.path = folder + "/save.dat";
  if (!game_folder.empty()) {
    const std::string legacy = game_folder + "/save.dat";
    struct stat info;
    if (::stat(legacy.c_str(), &info) == 0 && S_ISREG(info.st_mode)) location.legacy_path = legacy;
  }
  return location;
}

}  // namespace orvo
