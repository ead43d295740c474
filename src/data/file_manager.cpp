#include "data/file_manager.h"

#include <fcntl.h>
#include <glob.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "base/cp932.h"
#include "base/files.h"
#include "data/big_file_stream.h"
#include "data/install_info.h"
#include "data/path_resolver.h"
#include "data/range_stream.h"
#include "data/zlib_codec.h"

namespace orvo {

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

// The entry name's extension when it is plain ASCII, for the copy's file name.
std::string SafeExtension(std::string_view name) {
  size_t dot = FindLastChar(name, '.');
  if (dot == std::string_view::npos || dot < FolderOf(name).size()) return {};
  std::string extension(name.substr(dot));
  if (extension.size() > 16) return {};
  for (size_t i = 1; i < extension.size(); ++i) {
    char c = extension[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
      return {};
  }
  return extension;
}

// Replaces the first %d with the number and %% with %.
std::string FormatNumber(const std::string& format, int number) {
  std::string out;
  bool used = false;
  for (size_t i = 0; i < format.size(); i += CharLength(format, i)) {
    size_t length = CharLength(format, i);
    if (length == 1 && format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 'd' && !used) {
        out += std::to_string(number);
        used = true;
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
    }
    out.append(format, i, length);
  }
  return out;
}

void ListBelow(const std::string& folder, const std::string& prefix, std::string_view extension,
               std::vector<std::string>& out, int depth) {
  if (depth > 32) return;  // a loop of links, not a game
  for (const std::string& entry : SharedResolver().List(folder)) {
    std::string path = JoinPath(folder, entry);
    std::string cp932;
    if (!TryUtf8ToCp932(entry, cp932)) continue;
    if (FolderExists(path)) {
      ListBelow(path, prefix + cp932 + "\\", extension, out, depth + 1);
    } else if (cp932.size() >= extension.size() &&
               EqualsNoCase(std::string_view(cp932).substr(cp932.size() - extension.size()), extension)) {
      out.push_back(prefix + cp932);
    }
  }
}

}  // namespace

EOrvoError MissingFileError(std::string_view name) {
  static const std::string kMissing = Utf8ToCp932(":ファイルがありません");
  return EOrvoError(std::string(name) + kMissing);
}

std::vector<std::string> FindDiscRoots(const std::vector<std::string>& explicit_roots,
                                       const std::vector<std::string>& media_patterns) {
  std::vector<std::string> roots;
  for (const std::string& root : explicit_roots) {
    if (FolderExists(root)) roots.push_back(WithSlash(root));
  }
  for (const std::string& pattern : media_patterns) {
    glob_t matches{};
    if (::glob(pattern.c_str(), GLOB_ONLYDIR | GLOB_NOSORT, nullptr, &matches) == 0) {
      std::vector<std::string> found(matches.gl_pathv, matches.gl_pathv + matches.gl_pathc);
      std::sort(found.begin(), found.end());
      for (const std::string& folder : found) {
        TPathResolver& resolver = SharedResolver();
        if (resolver.Resolve(folder, "game.dat").empty() && resolver.Resolve(folder, "install.dat").empty()) continue;
        std::string root = WithSlash(folder);
        if (std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
      }
    }
    ::globfree(&matches);
  }
  return roots;
}

TVrFileManager::TVrFileManager(TFileManagerOptions options) : options_(std::move(options)) { RefreshDiscRoots(); }

TVrFileManager::~TVrFileManager() {
  while (!locks_.empty()) DeleteLock(locks_.size() - 1);
  for (const std::string& path : pending_deletes_) ::unlink(path.c_str());
}

void TVrFileManager::RefreshDiscRoots() { disc_roots_ = FindDiscRoots(options_.disc_roots, options_.media_patterns); }

void TVrFileManager::SetFolder(const std::string& folder) {
  folder_ = WithSlash(folder);
  if (on_change_) on_change_(nullptr);
}

int TVrFileManager::AddArchive(const std::string& path) {
  for (const auto& collection : collections_) {
    if (EqualsNoCase(collection->BaseFolder(), WithSlash(path)) || EqualsNoCase(collection->ArchiveFileName(), path))
      return -1;
  }
  auto collection = std::make_unique<TVrFileCollection>();
  if (!path.empty()) collection->Open(path);
  collections_.push_back(std::move(collection));
  if (on_change_) on_change_(collections_.back().get());
  return static_cast<int>(collections_.size() - 1);
}

void TVrFileManager::RemoveArchive(size_t index) {
  if (index >= collections_.size()) return;
  if (on_remove_) on_remove_(*collections_[index]);
  collections_.erase(collections_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string TVrFileManager::LooseFile(std::string_view name) const {
  return folder_.empty() ? std::string() : SharedResolver().Resolve(folder_, name);
}

std::string TVrFileManager::DiscFile(std::string_view name) const {
  for (const std::string& root : disc_roots_) {
    std::string path = SharedResolver().Resolve(root, name);
    if (!path.empty()) return path;
  }
  return {};
}

TVrFile* TVrFileManager::FindEntry(std::string_view name) const {
  for (const auto& collection : collections_) {
    if (TVrFile* entry = collection->Find(name)) return entry;
  }
  return nullptr;
}

bool TVrFileManager::Exists(std::string_view name) {
  return FindEntry(name) != nullptr || !LooseFile(name).empty() || !DiscFile(name).empty();
}

std::vector<uint8_t> TVrFileManager::LoadBytes(std::string_view name) {
  std::string bytes;
  std::string path = LooseFile(name);
  if (!path.empty() && ReadWholeFile(path, bytes)) return std::vector<uint8_t>(bytes.begin(), bytes.end());
  for (const auto& collection : collections_) {
    TVrFile* entry = collection->Find(name);
    if (!entry) continue;
    if (entry->content) return entry->content->Bytes();
    if (collection->HasArchiveStream()) return DecodeStored(collection->ReadStored(*entry), entry->storage);
  }
  path = DiscFile(name);
  if (!path.empty() && ReadWholeFile(path, bytes)) return std::vector<uint8_t>(bytes.begin(), bytes.end());
  throw MissingFileError(name);
}

void TVrFileManager::Load(TStream& out, std::string_view name) {
  std::vector<uint8_t> bytes = LoadBytes(name);
  int64_t start = out.Position();
  out.WriteBuffer(bytes.data(), bytes.size());
  out.SetPosition(start);
}

std::unique_ptr<TStream> TVrFileManager::OpenRange(std::string_view name) {
  std::string path = LooseFile(name);
  if (!path.empty()) return std::make_unique<TFileRangeStream>(path, kRangeToEnd, 0);
  for (const auto& collection : collections_) {
    TVrFile* entry = collection->Find(name);
    if (!entry) continue;
    if (entry->content) return std::make_unique<TMemoryStream>(entry->content->Bytes());
    if (collection->HasArchiveStream()) return collection->OpenRange(name);
  }
  path = DiscFile(name);
  if (!path.empty()) return std::make_unique<TFileRangeStream>(path, kRangeToEnd, 0);
  throw MissingFileError(name);
}

TVrFileManager::TLock& TVrFileManager::MakeLock(std::string_view name) {
  static const std::string kCannotCreate = Utf8ToCp932("作業用ファイルが作れません");
  std::unordered_set<int32_t> used;
  for (const TLock& lock : locks_) used.insert(lock.id);
  int32_t id = 0;
  while (used.count(id)) ++id;
  std::vector<uint8_t> content = LoadBytes(name);
  // The private folder is ours alone (mode 0700), so the predictable name
  // cannot be raced by another user; O_EXCL still refuses a leftover file.
  std::string path;
  int fd = -1;
  try {
    const std::string& folder = PrivateTempFolder();
    for (int attempt = 0; attempt < 64; ++attempt) {
      while (used.count(id)) ++id;
      char hex[16];
      std::snprintf(hex, sizeof hex, "%08X", static_cast<uint32_t>(id));
      path = folder + "/~ov" + hex + SafeExtension(name);
      fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd >= 0) break;
      used.insert(id);  // a leftover file holds this name
    }
  } catch (const EOrvoError&) {
    fd = -1;
  }
  if (fd < 0) throw EOrvoError(kCannotCreate);
  size_t done = 0;
  while (done < content.size()) {
    ssize_t put = ::write(fd, content.data() + done, content.size() - done);
    if (put <= 0) {
      if (put < 0 && errno == EINTR) continue;
      ::close(fd);
      ::unlink(path.c_str());
      throw EOrvoError(kCannotCreate);
    }
    done += static_cast<size_t>(put);
  }
  ::close(fd);
  locks_.push_back({std::string(name), id, 0, path, 0});
  return locks_.back();
}

std::string TVrFileManager::GetFileName(std::string_view name) {
  std::string path = LooseFile(name);
  if (!path.empty()) return path;
  if (FindEntry(name)) {
    auto found = std::find_if(locks_.begin(), locks_.end(), [&](const TLock& lock) { return lock.name == name; });
    TLock& lock = found != locks_.end() ? *found : MakeLock(name);
    ++lock.use_count;
    lock.expires_at = now_ + options_.copy_lifetime_ms;
    return lock.path;
  }
  path = DiscFile(name);
  if (!path.empty()) return path;
  std::string plain = Cp932ToUtf8(name);
  std::replace(plain.begin(), plain.end(), '\\', '/');
  return plain;
}

void TVrFileManager::ReleaseFileName(const std::string& path) {
  for (TLock& lock : locks_) {
    if (lock.path != path) continue;
    if (lock.use_count > 0 && --lock.use_count == 0) lock.expires_at = now_;
    return;
  }
}

void TVrFileManager::DeleteLock(size_t index) {
  ::unlink(locks_[index].path.c_str());
  locks_.erase(locks_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TVrFileManager::Housekeeping(int64_t now_ms) {
  now_ = now_ms;
  for (size_t i = locks_.size(); i-- > 0;) {
    if (locks_[i].expires_at <= now_) DeleteLock(i);
  }
  for (const std::string& path : pending_deletes_) ::unlink(path.c_str());
  pending_deletes_.clear();
}

void TVrFileManager::DeleteLater(std::string path) { pending_deletes_.push_back(std::move(path)); }

void TVrFileManager::ListFolder(std::string_view folder, std::vector<std::string>& list) {
  for (const auto& collection : collections_) collection->ListFolder(folder, list);
  std::unordered_set<std::string> present;
  for (const std::string& item : list) present.insert(LowerAscii(item));
  std::vector<std::string> roots;
  if (!folder_.empty()) roots.push_back(folder_);
  roots.insert(roots.end(), disc_roots_.begin(), disc_roots_.end());
  std::string wanted(folder);
  while (!wanted.empty() && (wanted.back() == '\\' || wanted.back() == '/') && IsCharStart(wanted, wanted.size() - 1))
    wanted.pop_back();
  for (const std::string& root : roots) {
    std::string directory = wanted.empty() ? root : SharedResolver().Resolve(root, wanted, TEntryKind::Folder);
    if (directory.empty()) continue;
    for (const std::string& entry : SharedResolver().List(directory)) {
      std::string cp932;
      if (FolderExists(JoinPath(directory, entry)) || !TryUtf8ToCp932(entry, cp932)) continue;
      if (present.insert(LowerAscii(cp932)).second) list.push_back(std::move(cp932));
    }
  }
}

std::vector<std::string> TVrFileManager::ListLooseFiles(std::string_view extension) {
  std::vector<std::string> names;
  if (!folder_.empty()) ListBelow(folder_, "", extension, names, 0);
  return names;
}

bool TVrFileManager::TryDisk(int index, const std::string& title) {
  for (const std::string& root : disc_roots_) {
    std::string data = SharedResolver().Resolve(root, "game.dat");
    std::string install = SharedResolver().Resolve(root, "install.dat");
    if (data.empty() || install.empty()) continue;
    try {
      TInstallInfo info = ReadInstallInfoFile(install);
      if (info.title != title || info.disc_number != index) continue;
      AddArchive(data);
      return true;
    } catch (const EOrvoError&) {
      continue;  // a damaged descriptor is not our disc
    }
  }
  return false;
}

bool TVrFileManager::RequestDisk(int number, const TDiscRequest& request, TDiscPrompt& prompt) {
  for (size_t i = collections_.size(); i-- > 0;) {
    const std::string& base = collections_[i]->BaseFolder();
    bool on_disc = std::any_of(disc_roots_.begin(), disc_roots_.end(),
                               [&](const std::string& root) { return base.compare(0, root.size(), root) == 0; });
    if (on_disc) RemoveArchive(i);
  }
  const std::string text = FormatNumber(request.prompt, number);
  for (;;) {
    if (prompt.AskForDisc(request.caption, text)) {
      RefreshDiscRoots();  // the new disc may be mounted at a new place
      if (TryDisk(number - 1, request.title)) return true;
    } else if (prompt.ConfirmQuit(request.caption, request.quit_message)) {
      return false;
    }
  }
}

}  // namespace orvo
