#include "data/archive_tools.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "data/big_file_stream.h"
#include "data/mount.h"
#include "data/path_resolver.h"
#include "data/zlib_codec.h"

namespace orvo {

namespace {

void CollectFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>& names) {
  std::vector<std::filesystem::directory_entry> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) entries.push_back(entry);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename().string() < b.path().filename().string(); });
  for (const auto& entry : entries) {
    std::string utf8 = entry.path().filename().string();
    std::string cp932;
    if (!TryUtf8ToCp932(utf8, cp932)) throw EWriteError("Name has no CP932 form: " + entry.path().string());
    if (entry.is_directory()) {
      CollectFiles(entry.path().string(), prefix + cp932 + "\\", names);
    } else if (entry.is_regular_file()) {
      names.push_back(prefix + cp932);
    }
  }
}

// Writes a file through a temporary name in its folder so that a failure
// never leaves a half-written result under the final name.
class TOutputFile {
 public:
  TOutputFile(const std::string& path, mode_t mode) : path_(path), mode_(mode) {
    std::string pattern = path + ".partXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd_ = ::mkstemp(buffer.data());
    if (fd_ < 0) throw EWriteError("Cannot create " + path + ": " + std::strerror(errno));
    temp_ = buffer.data();
  }
  ~TOutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }
  void Write(const void* data, size_t count) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (count > 0) {
      ssize_t put = ::write(fd_, bytes, count);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) throw EWriteError("Cannot write " + path_ + ": " + std::strerror(errno));
      bytes += put;
      count -= static_cast<size_t>(put);
    }
  }
  void Commit() {
    if (::fchmod(fd_, mode_) != 0 || ::fsync(fd_) != 0) throw EWriteError("Cannot write " + path_);
    ::close(fd_);
    fd_ = -1;
    if (::rename(temp_.c_str(), path_.c_str()) != 0)
      throw EWriteError("Cannot replace " + path_ + ": " + std::strerror(errno));
    temp_.clear();
  }

 private:
  std::string path_;
  mode_t mode_;
  int fd_ = -1;
  std::string temp_;
};

void CopyInto(TOutputFile& out, const std::string& path) {
  TKwBigFileStream in(path, TBigFileMode::Read);
  std::vector<uint8_t> buffer(1 << 20);
  for (;;) {
    size_t got = in.Read(buffer.data(), buffer.size());
    if (got == 0) break;
    out.Write(buffer.data(), got);
  }
}

}  // namespace

size_t PackFolder(const std::string& folder, const std::string& archive, const TPackOptions& options) {
  if (!FolderExists(folder)) throw EReadError("No such folder: " + folder);
  std::vector<std::string> names;
  CollectFiles(folder, "", names);
  TVrFileCollection collection;
  collection.SetBaseFolder(folder);
  for (std::string& name : names) collection.Add(std::move(name));
  for (const TArchiveExtra& extra : options.extras) {
    if (collection.Find(extra.name)) continue;
    collection.AddMemory(extra.name).content->WriteBuffer(extra.content.data(), extra.content.size());
  }
  TArchiveWriteOptions write_options;
  write_options.version = options.version;
  write_options.force_scramble = options.scramble;
  write_options.is_uncompressed_image = options.is_uncompressed_image;
  try {
    TKwBigFileStream out(archive, TBigFileMode::Create);
    collection.Write(out, write_options);
  } catch (...) {
    TKwBigFileStream::DeleteParts(archive);
    throw;
  }
  return collection.Count();
}

size_t UnpackArchive(const std::string& archive, const std::string& folder) {
  TVrFileCollection collection;
  collection.Open(archive);
  if (!collection.HasArchiveStream()) throw EReadError("No such archive: " + archive);
  // Every name is checked before the first file is written.
  std::vector<std::string> paths;
  for (size_t i = 0; i < collection.Count(); ++i) {
    const std::string& name = collection.At(i).Name();
    if (!IsContainedRelativePath(name)) throw EFormatError("Entry name leaves the folder: " + Cp932ToUtf8(name));
    std::string path = folder;
    for (const std::string& part : SplitGamePath(name)) {
      std::string utf8;
      if (!TryCp932ToUtf8(part, utf8)) throw EFormatError("Entry name is not CP932: " + Cp932ToUtf8(name));
      path = JoinPath(path, utf8);
    }
    paths.push_back(std::move(path));
  }
  for (size_t i = 0; i < collection.Count(); ++i) {
    const TVrFile& entry = collection.At(i);
    std::vector<uint8_t> bytes = DecodeStored(AsChars(collection.ReadStored(entry)), entry.storage);
    std::filesystem::create_directories(std::filesystem::path(paths[i]).parent_path());
    TOutputFile out(paths[i], 0644);
    out.Write(bytes.data(), bytes.size());
    out.Commit();
    if (entry.time_stamp != 0) {
      struct timeval times[2] = {};
      times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(UnixFromDosTime(entry.time_stamp));
      ::utimes(paths[i].c_str(), times);
    }
  }
  return collection.Count();
}

std::vector<TEntryReport> ListArchive(const std::string& archive, TVerify verify) {
  TVrFileCollection collection;
  collection.Open(archive);
  if (!collection.HasArchiveStream()) throw EReadError("No such archive: " + archive);
  std::vector<TEntryReport> reports;
  for (size_t i = 0; i < collection.Count(); ++i) {
    const TVrFile& entry = collection.At(i);
    TEntryReport report{entry.Name(),     entry.size,     entry.storage,
                        entry.time_stamp, entry.checksum, entry.checksum_of_content != 0};
    if (verify == TVerify::Yes) {
      report.verified = true;
      try {
        std::vector<uint8_t> stored = collection.ReadStored(entry);
        uint32_t crc = report.checksum_of_content ? Crc32(AsChars(DecodeStored(AsChars(stored), entry.storage)))
                                                  : Crc32(AsChars(stored));
        report.intact = crc == entry.checksum;
      } catch (const EOrvoError&) {
        report.intact = false;
      }
    }
    reports.push_back(std::move(report));
  }
  return reports;
}

std::optional<std::string> ReadArchiveEntry(const std::string& archive, std::string_view name) {
  TVrFileCollection collection;
  collection.Open(archive);
  if (!collection.HasArchiveStream()) throw EReadError("No such archive: " + archive);
  if (!collection.Find(name)) return std::nullopt;
  std::vector<uint8_t> bytes = collection.ExtractBytes(name);
  return std::string(bytes.begin(), bytes.end());
}

void CopyArchiveWithExtra(const std::string& archive, const std::string& output, const TArchiveExtra& extra) {
  TVrFileCollection collection;
  collection.Open(archive);
  if (!collection.HasArchiveStream()) throw EReadError("No such archive: " + archive);
  if (collection.Find(extra.name)) throw EFormatError("The archive holds " + Cp932ToUtf8(extra.name) + " already");
  collection.AddMemory(extra.name).content->WriteBuffer(extra.content.data(), extra.content.size());
  try {
    TKwBigFileStream out(output, TBigFileMode::Create);
    collection.Write(out);
  } catch (...) {
    TKwBigFileStream::DeleteParts(output);
    throw;
  }
}

void BundlePlayer(const std::string& player, const std::string& archive, const std::string& output) {
  if (!FileExists(player)) throw EReadError("No such player: " + player);
  if (HasArchiveTrailer(player)) throw EFormatError("The player carries an archive already: " + player);
  TVrFileCollection check;
  check.Open(archive);
  if (!check.HasArchiveStream() || check.ArchiveStart() != 0)
    throw EFormatError("Not an archive file of its own: " + archive);
  struct stat info;
  if (::stat(player.c_str(), &info) != 0) throw EReadError("Cannot read " + player);
  const int64_t start = info.st_size;
  // The trailer holds a signed 32-bit offset.
  if (start > INT32_MAX) throw EFormatError("Player too large to carry an archive: " + player);
  TOutputFile out(output, 0755);
  CopyInto(out, player);
  CopyInto(out, archive);
  uint8_t trailer[kTrailerSize];
  StoreU32(trailer, static_cast<uint32_t>(start));
  trailer[4] = 'o';
  trailer[5] = 'v';
  out.Write(trailer, sizeof trailer);
  out.Commit();
}

}  // namespace orvo
