#pragma once
// Where a game's save file lives: one folder per game title under the
// user's data folder, or a folder given on the command line. A save file
// brought along in the game folder is read until the user's own exists.
#include <string>
#include <string_view>

namespace orvo {

// The folder name of a CP932 title in UTF-8: each of \ / : , ; * ? " < > |
// (and NUL) becomes "_", trail bytes untouched. Raises
// "ゲームタイトルを設定してください" for "", "." and "..".
std::string SaveFolderName(std::string_view cp932_title);

// $XDG_DATA_HOME/orvoplayer (default ~/.local/share/orvoplayer).
std::string UserDataFolder();

struct TSaveLocation {
  std::string path;         // the file that is written (UTF-8)
  std::string legacy_path;  // read while path does not exist; never written; may be empty
};

// The save file of a game: save_dir + "/save.dat" when save_dir is not
// empty, else the user's data folder + the title's folder name. The folder
// is made with its parents; one that cannot be made raises
// "データファイルを作成することができません".
TSaveLocation LocateSaveFile(std::string_view cp932_title, const std::string& save_dir, const std::string& game_folder);

}  // namespace orvo
