#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace orvo {

std::string InstanceLockName(const std::string& game_folder) {
  std::string name;
  for (char c : game_folder) name.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
  if (name.empty() || (name.back() != '\\' && name.back() != '/')) name.push_back('\\');
  for (char& c : name)
    if (c == '\\' || c == '/') c = '-';
  return name;
}

TSingleInstanceLock::~TSingleInstanceLock() { Release(); }

bool TSingleInstanceLock::Acquire(const std::string& game_folder) {
  Release();
  std::error_code error;
  std::filesystem::path folder = std::filesystem::weakly_canonical(std::filesystem::absolute(game_folder, error), error);
  std::string folder_name = folder.string();
  while (folder_name.size() > 1 && folder_name.back() == '/') folder_name.pop_back();
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = (runtime && *runtime && std::filesystem::is_directory(runtime)) ? runtime : "/tmp";
  path_ = base + "/orvoplayer" + InstanceLockName(folder_name) + "lock";
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return true;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

void TSingleInstanceLock::Release() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace orvo
