#include "data/archive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <unordered_set>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "data/big_file_stream.h"
#include "data/buffered_stream.h"
#include "data/path_resolver.h"
#include "data/random.h"
#include "data/range_stream.h"
#include "data/scramble.h"
#include "data/zlib_codec.h"

namespace orvo {

namespace {

// Names are paths; anything longer than this is damage, not a name.
constexpr int64_t kNameCap = 65536;

[[noreturn]] void Damaged(const std::string& what) { throw EFormatError("Damaged archive: " + what); }

std::string FolderOfPath(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string SideDirectoryName(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  std::string stem =
      (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? path.substr(0, dot) : path;
  return stem + ".ext";
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  if (a.empty() || b.empty()) return false;
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

std::string FolderOf(std::string_view name) {
  size_t cut = std::string_view::npos;
  for (size_t i = 0; i < name.size(); i += CharLength(name, i)) {
    if (CharLength(name, i) == 1 && (name[i] == '\\' || name[i] == '/')) cut = i;
    // A drive name ("C:x") keeps its colon in the folder part.
    if (i == 1 && name[i] == ':' && cut == std::string_view::npos) cut = i;
  }
  return cut == std::string_view::npos ? std::string() : std::string(name.substr(0, cut + 1));
}

int32_t DosTimeFromUnix(int64_t seconds) {
  time_t value = static_cast<time_t>(seconds);
  struct tm local;
  if (!::localtime_r(&value, &local) || local.tm_year < 80) return 0;
  uint32_t date = static_cast<uint32_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  uint32_t time = static_cast<uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  return static_cast<int32_t>((date << 16) | time);
}

int64_t UnixFromDosTime(int32_t dos_time) {
  uint32_t value = static_cast<uint32_t>(dos_time);
  struct tm local {};
  local.tm_year = static_cast<int>((value >> 25) & 0x7F) + 80;
  local.tm_mon = static_cast<int>((value >> 21) & 0x0F) - 1;
  local.tm_mday = static_cast<int>((value >> 16) & 0x1F);
  local.tm_hour = static_cast<int>((value >> 11) & 0x1F);
  local.tm_min = static_cast<int>((value >> 5) & 0x3F);
  local.tm_sec = static_cast<int>((value & 0x1F) * 2);
  local.tm_isdst = -1;
  return static_cast<int64_t>(::mktime(&local));
}

std::vector<uint8_t> DecodeStored(std::string_view stored, uint8_t storage) {
  if (storage > 3) Damaged("unknown storage type " + std::to_string(storage));
  if (stored.empty()) return {};
  std::vector<uint8_t> bytes;
  if (storage == 2 || storage == 3) {
    bytes = DescrambleBytes(stored);
    stored = AsChars(bytes);
  }
  if (storage == 0 || storage == 3) return InflateBytes(stored);
  if (storage == 1) return std::vector<uint8_t>(stored.begin(), stored.end());
  return bytes;
}

std::vector<uint8_t> DecodeStored(std::vector<uint8_t>&& stored, uint8_t storage) {
  if (storage == 1) return std::move(stored);
  return DecodeStored(AsChars(stored), storage);
}

void TVrFileCollection::Clear() {
  entries_.Clear();
  index_.clear();
  archive_.reset();
  archive_file_.clear();
  archive_start_ = 0;
  end_offset_ = 0;
  version_ = kArchiveVersion;
}

void TVrFileCollection::SetBaseFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  base_folder_ = std::move(folder);
}

TVrFile& TVrFileCollection::Add(std::string name) {
  TVrFile& entry = entries_.Add(std::make_unique<TVrFile>(), std::move(name));
  index_.try_emplace(LowerAscii(entry.Name()), &entry);
  return entry;
}

TVrFile& TVrFileCollection::AddMemory(std::string name) {
  TVrFile& entry = Add(std::move(name));
  entry.content = std::make_unique<TMemoryStream>();
  return entry;
}

void TVrFileCollection::Delete(std::string_view name) {
  TVrFile* entry = Find(name);
  if (!entry) return;
  entries_.Remove(*entry);
  std::string key = LowerAscii(name);
  index_.erase(key);
  // A later entry of the same name now comes first.
  for (const auto& item : entries_) {
    if (LowerAscii(item->Name()) == key) {
      index_.emplace(key, item.get());
      break;
    }
  }
}

TVrFile* TVrFileCollection::Find(std::string_view name) const {
  auto found = index_.find(LowerAscii(name));
  return found == index_.end() ? nullptr : found->second;
}

void TVrFileCollection::ReadDirectory(TStream& stream) { ReadDirectoryAt(stream, stream.Position(), stream.Size()); }

void TVrFileCollection::ReadDirectoryAt(TStream& stream, int64_t archive_start, int64_t data_size) {
  entries_.Clear();
  index_.clear();
  TBinaryReader reader(stream);
  int32_t version = 0;
  const int64_t start = stream.Position();
  if (reader.Remaining() >= 2 && reader.ReadBytes(2) == "vf") {
    version = reader.ReadInt32();
  } else {
    stream.SetPosition(start);  // no magic: a version 0 directory
  }
  int32_t count = reader.ReadInt32();
  if (count < 0) Damaged("negative entry count");
  const size_t n = reader.RequireCount(count, 4);

  std::vector<std::string> names;
  names.reserve(n);
  {
    TKwBuffBigStream buffered(stream);
    TBinaryReader name_reader(buffered);
    TKwRandom key(kDirectorySeed);
    for (size_t i = 0; i < n; ++i) {
      int32_t length = name_reader.ReadInt32();
      if (length < 0 || length > kNameCap) Damaged("bad name length");
      std::string name = name_reader.ReadBytes(length);
      if (version > 99) {
        for (char& c : name) c = static_cast<char>(static_cast<uint8_t>(c) ^ static_cast<uint8_t>(key.Next()));
      }
      names.push_back(std::move(name));
    }
  }

  const bool wide = version > 100;
  const int64_t width = wide ? 8 : 4;
  std::string table =
      reader.ReadBytes(static_cast<int64_t>(reader.RequireCount(static_cast<int64_t>(n) + 1, width)) * width);
  std::vector<int64_t> offsets(n + 1);
  TKwRandom key(kDirectorySeed);
  for (size_t i = 0; i <= n; ++i) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(table.data()) + i * width;
    int64_t value;
    if (wide) {
      uint64_t raw = static_cast<uint64_t>(LoadU32(p)) | (static_cast<uint64_t>(LoadU32(p + 4)) << 32);
      if (version > 99) raw ^= static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(key.Next())));
      value = static_cast<int64_t>(raw);
    } else {
      uint32_t raw = LoadU32(p);
      if (version > 99) raw ^= key.Next();
      value = static_cast<int32_t>(raw);
    }
    if (value < 0 || value > data_size - archive_start) Damaged("entry offset outside the file");
    if (i > 0 && value < offsets[i - 1]) Damaged("entry offsets out of order");
    offsets[i] = value;
  }

  std::string types, stamps, checksums, flags;
  if (wide) {
    types = reader.ReadBytes(static_cast<int64_t>(n));
    stamps = reader.ReadBytes(static_cast<int64_t>(n) * 4);
    checksums = reader.ReadBytes(static_cast<int64_t>(n) * 4);
    if (version > 101) flags = reader.ReadBytes(static_cast<int64_t>(n));
  }

  index_.clear();
  index_.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    TVrFile& entry = Add(std::move(names[i]));
    entry.offset = archive_start + offsets[i];
    entry.size = offsets[i + 1] - offsets[i];
    if (wide) {
      entry.storage = static_cast<uint8_t>(types[i]);
      entry.time_stamp = static_cast<int32_t>(LoadU32(reinterpret_cast<const uint8_t*>(stamps.data()) + i * 4));
      entry.checksum = LoadU32(reinterpret_cast<const uint8_t*>(checksums.data()) + i * 4);
      if (!flags.empty()) entry.checksum_of_content = static_cast<uint8_t>(flags[i]);
    }
  }
  version_ = version;
  archive_start_ = archive_start;
  end_offset_ = archive_start + offsets[n];
}

std::optional<int64_t> FindTrailerArchive(TStream& stream) {
  int64_t size = stream.Size();
  if (size < kTrailerSize) return std::nullopt;
  uint8_t trailer[kTrailerSize];
  stream.SetPosition(size - kTrailerSize);
  stream.ReadBuffer(trailer, sizeof trailer);
  if (trailer[4] != 'o' || trailer[5] != 'v') return std::nullopt;
  int64_t start = static_cast<int32_t>(LoadU32(trailer));
  if (start < 0 || start >= size - kTrailerSize) return std::nullopt;
  try {
    TVrFileCollection probe;
    stream.SetPosition(start);
    probe.ReadDirectory(stream);
  } catch (const EOrvoError&) {
    return std::nullopt;
  }
  return start;
}

bool HasTrailerMagic(const std::string& path) {
  if (!FileExists(path)) return false;
  try {
    TKwBigFileStream file(path, TBigFileMode::Read);
    if (file.Size() < 2) return false;
    char magic[2];
    return file.ReadAt(file.Size() - 2, magic, 2) == 2 && magic[0] == 'o' && magic[1] == 'v';
  } catch (const EOrvoError&) {
    return false;
  }
}

void TVrFileCollection::Open(const std::string& path) {
  Clear();
  if (!FileExists(path)) {
    SetBaseFolder(path);
    return;
  }
  auto file = std::make_shared<TKwBigFileStream>(path, TBigFileMode::Read);
  SetBaseFolder(FolderOfPath(path));
  archive_file_ = path;
  const int64_t size = file->Size();
  std::string side = SideDirectoryName(path);
  if (side != path && FileExists(side)) {
    // The directory lives in the side file; its offsets count from the data file's start.
    std::string bytes;
    if (!ReadWholeFile(side, bytes)) throw EReadError("Cannot read " + side);
    TMemoryStream directory{std::string_view(bytes)};
    ReadDirectoryAt(directory, 0, size);
  } else {
    char magic[2] = {};
    bool plain_start = file->ReadAt(0, magic, 2) == 2 && magic[0] == 'v' && magic[1] == 'f';
    std::optional<int64_t> joined = plain_start ? std::nullopt : FindTrailerArchive(*file);
    file->SetPosition(joined.value_or(0));
    ReadDirectoryAt(*file, joined.value_or(0), size);
  }
  archive_ = std::move(file);
}

std::vector<uint8_t> TVrFileCollection::ReadStored(const TVrFile& entry) {
  if (!archive_) throw EReadError("No archive stream");
  std::vector<uint8_t> stored(static_cast<size_t>(entry.size));
  if (archive_->ReadAt(entry.offset, stored.data(), stored.size()) != stored.size())
    throw EReadError("Stream read error");
  return stored;
}

std::vector<uint8_t> TVrFileCollection::ExtractBytes(std::string_view name) {
  TVrFile* entry = Find(name);
  if (entry && entry->content) return entry->content->Bytes();
  if (entry && archive_) return DecodeStored(ReadStored(*entry), entry->storage);
  std::string path = SharedResolver().Resolve(base_folder_, name);
  std::string bytes;
  if (!path.empty() && !SameFile(path, archive_file_) && ReadWholeFile(path, bytes))
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  static const std::string kMissing = Utf8ToCp932(":ファイルがありません");
  throw EOrvoError(std::string(name) + kMissing);
}

void TVrFileCollection::Extract(std::string_view name, TStream& out) {
  std::vector<uint8_t> bytes = ExtractBytes(name);
  int64_t start = out.Position();
  out.WriteBuffer(bytes.data(), bytes.size());
  out.SetPosition(start);
}

std::unique_ptr<TStream> TVrFileCollection::OpenRange(std::string_view name) {
  TVrFile* entry = Find(name);
  if (!entry || !archive_ || archive_file_.empty()) return nullptr;
  if (entry->storage == 2 || entry->storage == 3)
    return std::make_unique<TScrambleRangeStream>(archive_, entry->size, entry->offset);
  return std::make_unique<TRangeStream>(archive_, entry->size, entry->offset);
}

void TVrFileCollection::ListFolder(std::string_view folder, std::vector<std::string>& list) const {
  std::string wanted(folder);
  if (!wanted.empty() && FolderOf(wanted).size() != wanted.size()) wanted.push_back('\\');
  std::unordered_set<std::string> present;
  for (const std::string& item : list) present.insert(LowerAscii(item));
  for (const auto& item : entries_) {
    const std::string& name = item->Name();
    std::string entry_folder = FolderOf(name);
    if (!EqualsNoCase(entry_folder, wanted)) continue;
    std::string file = name.substr(entry_folder.size());
    if (present.insert(LowerAscii(file)).second) list.push_back(std::move(file));
  }
}

}  // namespace orvo
