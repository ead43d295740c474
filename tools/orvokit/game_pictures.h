#pragma once
// The mounted game's files as the picture cache reads them.
#include <cstdint>
#include <string>
#include <vector>

#include "data/file_manager.h"
#include "stage/picture_cache.h"

namespace orvo::kit {

class TGamePictureFiles : public IPictureFiles {
 public:
  explicit TGamePictureFiles(TVrFileManager& files) : files_(files) {}
  bool Contains(const std::string& name) override { return files_.Exists(name); }
  std::string Load(const std::string& name) override {
    std::vector<uint8_t> bytes = files_.LoadBytes(name);
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  TVrFileManager& files_;
};

}  // namespace orvo::kit
