#pragma once
// The project settings file "orvo.opb": title, stage size, pages, flags,
// default variables and the folder-disc list of a game.
#include <cstdint>
#include <string>
#include <vector>

#include "base/stream.h"

namespace orvo {

// The newest settings version the player reads and the one it writes.
constexpr int32_t kNewestSettingsVersion = 117;

// A default variable: becomes a persistent variable when the game starts,
// unless a variable of that name exists already.
struct TDefaultVariable {
  uint8_t type = 1;  // 1 int, 2 real, 3 flag, 4 string
  std::string name;  // CP932
  int32_t int_value = 0;
  long double real_value = 0;
  bool bool_value = false;
  std::string string_value;  // CP932

  bool operator==(const TDefaultVariable&) const = default;
};

struct TFolderDisc {
  std::string folder;  // CP932, as game names are
  int32_t disc = 0;

  bool operator==(const TFolderDisc&) const = default;
};

struct TProjectSettings {
  int32_t version = kNewestSettingsVersion;
  std::string title;
  int32_t width = 640;
  int32_t height = 480;
  int32_t display_a = 0;
  int32_t display_b = 0;
  std::string start_page;
  std::string exit_page;
  std::string registry_key;
  int32_t image_option = 0;
  bool save_to_disk = false;
  bool idle_sleep = false;
  std::string media_extensions;
  bool pause_when_inactive = false;
  uint8_t reserved_flag = 0;
  bool show_toolbar = true;
  std::string disc_prompt;
  std::string exit_message;
  std::vector<TDefaultVariable> default_variables;
  std::vector<TFolderDisc> folder_discs;

  bool operator==(const TProjectSettings&) const = default;
};

// Reads a settings file. Fields that the file's version lacks get the
// defaults of that version. Raises "このバージョンには対応していません" above
// the newest version and "Invalid string data" for strings over 10 MiB.
TProjectSettings ReadProjectSettings(TStream& stream);

// Writes the settings in the newest version (the version field is ignored).
void WriteProjectSettings(TStream& stream, const TProjectSettings& settings);

// Message texts (CP932) of the project.
const std::string& MsgUnsupportedVersion();  // "このバージョンには対応していません"
const std::string& MsgNoProject();           // "プロジェクトがありません"
const std::string& MsgNoStartPage();         // "スタートページがありません"
const std::string& MsgReinstall();           // "インストールし直してください"

}  // namespace orvo
