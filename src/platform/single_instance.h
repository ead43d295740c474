#pragma once
// One player per game folder: an flock on a lock file named from the folder.
#include <string>

namespace orvo {

// The Windows-style name of the folder's lock: upper-cased, a trailing
// delimiter added, every delimiter replaced by '-' ("C:\Games\Foo" gives
// "C:-GAMES-FOO-").
std::string InstanceLockName(const std::string& game_folder);

class TSingleInstanceLock {
 public:
  TSingleInstanceLock() = default;
  ~TSingleInstanceLock();
  TSingleInstanceLock(const TSingleInstanceLock&) = delete;
  TSingleInstanceLock& operator=(const TSingleInstanceLock&) = delete;
  // Takes the lock of the folder (resolved to an absolute path); false when
  // another process holds it. A lock file that cannot be created does not
  // stop the game: it answers true.
  bool Acquire(const std::string& game_folder);
  void Release();
  const std::string& LockPath() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace orvo
