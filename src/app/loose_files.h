#pragma once
// Game files read straight from the game folder.
#include <string>

#include "script/game_files.h"

namespace orvo {

class TLooseFolderFiles : public IGameFiles {
 public:
  explicit TLooseFolderFiles(std::string folder) : folder_(std::move(folder)) {}
  bool Exists(const std::string& name) override;
  std::string Load(const std::string& name) override;

 private:
  // The disk path of a game name ("" when absent), matching ASCII case loosely.
  std::string Resolve(const std::string& name) const;
  std::string folder_;
};

}  // namespace orvo
