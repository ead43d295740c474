#pragma once
// Files on disk: the private temporary folder, saves that are never lost, and
// the filter that keeps files a game writes inside their folder.
#include <functional>
#include <string>
#include <string_view>

namespace orvo {

// The process's private temporary folder (mkdtemp, mode 0700), created on
// first use and removed with everything in it when the process exits.
const std::string& PrivateTempFolder();
// A new unique file path inside the private folder (the file is created empty).
std::string MakeTempFile(std::string_view prefix);
// Removes the private folder now (also registered to run at exit).
void RemovePrivateTempFolder();

// Writes bytes to path through a temporary file in the same folder, fsync,
// rename over the old file and fsync of the folder. On failure the old file is
// untouched and EWriteError is raised.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The steps of an atomic write that can fail before the old file is replaced.
enum class TAtomicStep { CreateTemp, Write, Flush, KeepBackup, Rename };

struct TAtomicWriteOptions {
  // When not empty, the file being replaced is kept under this name (an
  // older copy there is replaced); no copy is made when there is no old file.
  std::string backup_path;
  // For tests: a step for which this answers true fails as if the system refused it.
  std::function<bool(TAtomicStep)> fail_step;
};

void WriteFileAtomically(const std::string& path, std::string_view bytes, const TAtomicWriteOptions& options);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// True for a relative game path that stays inside its folder: not empty, no
// "..", ".", absolute path or drive letter, in either separator.
bool IsContainedRelativePath(std::string_view cp932_path);

// Turns a title into one folder-name component: refuses "", ".", ".." and
// replaces '/' and NUL; empty result when refused.
std::string TitleToFolderName(std::string_view utf8_title);

}  // namespace orvo
