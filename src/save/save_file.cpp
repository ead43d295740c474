#include "save/save_file.h"

#include <sys/stat.h>

#include <charconv>

#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "data/zlib_codec.h"

namespace orvo {

namespace {

bool IsFile(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string GameEntryName(int32_t slot) { return std::string(kGameEntryPrefix) + std::to_string(slot); }

std::optional<int32_t> SlotOfEntry(std::string_view name) {
  if (name.size() <= kGameEntryPrefix.size() ||
      !EqualsNoCase(name.substr(0, kGameEntryPrefix.size()), kGameEntryPrefix))
    return std::nullopt;
  std::string_view digits = name.substr(kGameEntryPrefix.size());
  int32_t slot = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), slot);
  if (error != std::errc() || end != digits.data() + digits.size() || slot < 0) return std::nullopt;
  return slot;
}

std::optional<std::string> ReadVerifiedEntry(TVrFileCollection& collection, std::string_view name) {
  TVrFile* entry = collection.Find(name);
  if (!entry) return std::nullopt;
  if (entry->content) {
    const std::vector<uint8_t>& bytes = entry->content->Bytes();
    return std::string(bytes.begin(), bytes.end());
  }
  const std::string damaged = "Damaged save entry " + Cp932ToUtf8(entry->Name());
  try {
    std::vector<uint8_t> stored = collection.ReadStored(*entry);
    // Directories before version 101 carry no checksums.
    const bool checked = collection.Version() > 100;
    if (checked && !entry->checksum_of_content && Crc32(AsChars(stored)) != entry->checksum) throw EReadError(damaged);
    std::vector<uint8_t> plain = DecodeStored(std::move(stored), entry->storage);
    if (checked && entry->checksum_of_content && Crc32(AsChars(plain)) != entry->checksum) throw EReadError(damaged);
    return std::string(plain.begin(), plain.end());
  } catch (const EReadError&) {
    throw;
  } catch (const EOrvoError& error) {
    throw EReadError(damaged + ": " + error.what());
  }
}

std::string TSaveFile::ReadPath() const {
  if (start_empty_) return {};
  if (IsFile(location_.path)) return location_.path;
  if (IsFile(location_.legacy_path)) return location_.legacy_path;
  return {};
}

void TSaveFile::Open(TVrFileCollection& collection) const {
  collection.Clear();
  const std::string path = ReadPath();
  if (!path.empty()) collection.Open(path);
}

void TSaveFile::Write(TVrFileCollection& collection) {
  if (location_.path.empty()) throw EWriteError("No save file");
  TMemoryStream written;
  // The whole file is rewritten at every save: the fastest zlib level keeps
  // a save quick, and any reader inflates every level.
  TArchiveWriteOptions write;
  write.compression_level = 1;
  collection.Write(written, write);
  const std::vector<uint8_t>& bytes = written.Bytes();
  TAtomicWriteOptions options = write_options_;
  options.backup_path = location_.path + ".bak";
  WriteFileAtomically(location_.path, AsChars(bytes), options);
  start_empty_ = false;
}

void TSaveFile::SetAside() {
  const std::string path = ReadPath();
  if (!path.empty()) {
    std::string bytes;
    if (ReadWholeFile(path, bytes)) {
      try {
        WriteFileAtomically(location_.path + ".damaged", bytes);
      } catch (const EOrvoError&) {
        // Keeping the copy is a courtesy; the game starts either way.
      }
    }
  }
  start_empty_ = true;
}

}  // namespace orvo
