#include "base/files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "base/cp932.h"
#include "base/error.h"

namespace orvo {

namespace {

std::mutex temp_mutex;
std::string temp_folder;

void RemoveAtExit() { RemovePrivateTempFolder(); }

bool FsyncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

const std::string& PrivateTempFolder() {
  std::lock_guard lock(temp_mutex);
  if (temp_folder.empty()) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvoplayer-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) throw ErrorFromUtf8("作業用ファイルが作成できません");
    temp_folder = buffer.data();
    std::atexit(RemoveAtExit);
  }
  return temp_folder;
}

std::string MakeTempFile(std::string_view prefix) {
  std::string pattern = PrivateTempFolder() + "/" + std::string(prefix) + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = ::mkstemp(buffer.data());
  if (fd < 0) throw ErrorFromUtf8("作業用ファイルが作成できません");
  ::close(fd);
  return buffer.data();
}

void RemovePrivateTempFolder() {
  std::lock_guard lock(temp_mutex);
  if (temp_folder.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(temp_folder, ignored);
  temp_folder.clear();
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  WriteFileAtomically(path, bytes, TAtomicWriteOptions{});
}

namespace {

// Writes all bytes to fd; false with errno set on failure.
bool WriteAll(int fd, std::string_view bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

std::string TempPattern(const std::string& folder, const std::string& name) {
  return folder + "/." + name + ".tmpXXXXXX";
}

// Keeps the current file at path under backup: a hard link where the file
// system allows one (no copy of the bytes), else a flushed copy; either is
// renamed into place so that an older backup is never half replaced.
void KeepBackup(const std::string& path, const std::string& backup, const std::string& folder) {
  std::string pattern = TempPattern(folder, std::filesystem::path(backup).filename().string());
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = ::mkstemp(buffer.data());
  if (fd < 0) throw EWriteError("Cannot create a backup of " + path + ": " + std::strerror(errno));
  ::close(fd);
  std::string temp = buffer.data();
  ::unlink(temp.c_str());
  if (::link(path.c_str(), temp.c_str()) != 0) {
    std::string old;
    if (!ReadWholeFile(path, old)) throw EWriteError("Cannot read " + path);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && WriteAll(fd, old) && ::fsync(fd) == 0;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    if (!ok) {
      ::unlink(temp.c_str());
      throw EWriteError("Cannot write a backup of " + path);
    }
  }
  if (::rename(temp.c_str(), backup.c_str()) != 0) {
    int error = errno;
    ::unlink(temp.c_str());
    throw EWriteError("Cannot replace " + backup + ": " + std::strerror(error));
  }
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes, const TAtomicWriteOptions& options) {
  auto injected = [&](TAtomicStep step) {
    if (options.fail_step && options.fail_step(step)) {
      errno = EIO;
      return true;
    }
    return false;
  };
  std::filesystem::path target(path);
  std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
  std::string pattern = TempPattern(folder, target.filename().string());
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = injected(TAtomicStep::CreateTemp) ? -1 : ::mkstemp(buffer.data());
  if (fd < 0) throw EWriteError("Cannot create " + path + ": " + std::strerror(errno));
  std::string temp = buffer.data();
  auto fail = [&](const char* what) {
    int error = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    throw EWriteError(std::string(what) + " " + path + ": " + std::strerror(error));
  };
  if (injected(TAtomicStep::Write) || !WriteAll(fd, bytes)) fail("Cannot write");
  if (injected(TAtomicStep::Flush) || ::fsync(fd) != 0) fail("Cannot flush");
  ::fchmod(fd, 0644);
  if (::close(fd) != 0) {
    ::unlink(temp.c_str());
    throw EWriteError("Cannot close " + path);
  }
  struct stat info;
  if (!options.backup_path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    try {
      if (injected(TAtomicStep::KeepBackup)) throw EWriteError("Cannot keep a backup of " + path);
      KeepBackup(path, options.backup_path, folder);
    } catch (...) {
      ::unlink(temp.c_str());
      throw;
    }
  }
  if (injected(TAtomicStep::Rename) || ::rename(temp.c_str(), path.c_str()) != 0) {
    int error = errno;
    ::unlink(temp.c_str());
    throw EWriteError("Cannot replace " + path + ": " + std::strerror(error));
  }
  FsyncPath(folder, O_RDONLY | O_DIRECTORY);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool IsContainedRelativePath(std::string_view path) {
  if (path.empty()) return false;
  if (path[0] == '\\' || path[0] == '/') return false;
  if (path.size() >= 2 && path[1] == ':') return false;
  size_t start = 0;
  for (size_t i = 0; i <= path.size();) {
    bool at_end = i == path.size();
    size_t length = at_end ? 1 : CharLength(path, i);
    if (at_end || (length == 1 && (path[i] == '\\' || path[i] == '/'))) {
      std::string_view part = path.substr(start, i - start);
      if (part.empty() || part == "." || part == "..") return false;
      start = i + 1;
    }
    i += length;
  }
  return true;
}

std::string TitleToFolderName(std::string_view utf8_title) {
  std::string name;
  for (char c : utf8_title) name.push_back((c == '/' || c == '\0') ? '_' : c);
  if (name.empty() || name == "." || name == "..") return {};
  return name;
}

}  // namespace orvo
