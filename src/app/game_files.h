#pragma once
// The project's view of the mounted game data.
#include "data/file_manager.h"
#include "script/game_files.h"

namespace orvo {

class TMountedGameFiles : public IGameFiles {
 public:
  explicit TMountedGameFiles(TVrFileManager& files) : files_(files) {}
  bool Exists(const std::string& name) override { return files_.Exists(name); }
  std::string Load(const std::string& name) override {
    std::vector<uint8_t> bytes = files_.LoadBytes(name);
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  TVrFileManager& files_;
};

}  // namespace orvo
