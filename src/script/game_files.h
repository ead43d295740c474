#pragma once
// What the project needs of the mounted game data. The virtual file manager
// provides it in the player; tests give a small map.
#include <string>

namespace orvo {

class IGameFiles {
 public:
  virtual ~IGameFiles() = default;
  // True when a game file of that name (CP932, '\' separators, any case) exists.
  virtual bool Exists(const std::string& name) = 0;
  // Reads a whole game file; raises EOrvoError when it cannot be read.
  virtual std::string Load(const std::string& name) = 0;
};

}  // namespace orvo
