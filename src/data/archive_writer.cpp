#include <sys/stat.h>

#include <cstring>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "data/archive.h"
#include "data/big_file_stream.h"
#include "data/path_resolver.h"
#include "data/random.h"
#include "data/scramble.h"
#include "data/zlib_codec.h"

namespace orvo {

namespace {

// Media that is already compressed, and our own archives, gain nothing from zlib.
constexpr std::string_view kStoredRawExtensions = ".WAV.WMA.OGG.AVI.MPG.MPEG.M1V.WMV.ASF.DAT.";

std::string ExtensionOf(std::string_view name) {
  size_t dot = FindLastChar(name, '.');
  size_t cut = FolderOf(name).size();
  if (dot == std::string_view::npos || dot < cut) return {};
  return std::string(name.substr(dot));
}

bool ShouldCompressFile(const std::string& name, const std::string& path, int64_t size,
                        const TArchiveWriteOptions& options) {
  std::string extension = UpperAscii(ExtensionOf(name));
  if (extension == ".DOV") return options.is_uncompressed_image && options.is_uncompressed_image(path);
  bool media = !extension.empty() && kStoredRawExtensions.find(extension + ".") != std::string_view::npos;
  return !media && size <= kCompressLimit;
}

enum class TSource { Memory, File, Archive };

}  // namespace

bool TVrFileCollection::Write(TStream& out, const TArchiveWriteOptions& options) {
  const int32_t version = options.version;
  if (version < 0 || version > kArchiveVersion) throw EWriteError("Unsupported archive version");
  const bool wide = version > 100;
  const bool scrambled_directory = version > 99;
  const int64_t start = out.Position();
  const size_t n = entries_.Count();
  if (n > static_cast<size_t>(INT32_MAX)) throw EWriteError("Too many archive entries");
  TBinaryWriter writer(out);

  // Header and names.
  {
    TMemoryStream head;
    TBinaryWriter head_writer(head);
    if (version > 0) {
      head_writer.WriteBytes("vf");
      head_writer.WriteInt32(version);
    }
    head_writer.WriteInt32(static_cast<int32_t>(n));
    TKwRandom key(kDirectorySeed);
    for (const auto& item : entries_) {
      std::string name = item->Name();
      if (scrambled_directory) {
        for (char& c : name) c = static_cast<char>(static_cast<uint8_t>(c) ^ static_cast<uint8_t>(key.Next()));
      }
      head_writer.WriteInt32(static_cast<int32_t>(name.size()));
      head_writer.WriteBytes(name);
    }
    writer.WriteBytes(head.Bytes().data(), head.Bytes().size());
  }

  // Placeholders for the offsets and the per-entry fields.
  const int64_t width = wide ? 8 : 4;
  const int64_t table_position = out.Position();
  const size_t table_size =
      static_cast<size_t>((static_cast<int64_t>(n) + 1) * width +
                          (wide ? static_cast<int64_t>(n) * (1 + 4 + 4 + (version > 101 ? 1 : 0)) : 0));
  {
    std::vector<uint8_t> zeros(table_size, 0);
    writer.WriteBytes(zeros.data(), zeros.size());
  }

  std::vector<int64_t> offsets(n + 1);
  std::vector<uint8_t> types(n), flags(n);
  std::vector<int32_t> stamps(n);
  std::vector<uint32_t> checksums(n);
  TGetRandom seeds(options.seed);
  static const std::string kEntryError = Utf8ToCp932("エラー:");
  for (size_t i = 0; i < n; ++i) {
    TVrFile& entry = entries_.At(i);
    if (options.progress && !options.progress(entry, i, n, -1)) return false;
    offsets[i] = out.Position() - start;
    std::vector<uint8_t> bytes;
    try {
      // Where the plain content comes from.
      TSource source;
      std::vector<uint8_t> plain;
      int32_t stamp = entry.time_stamp;
      bool compress;
      std::string path;
      if (entry.content) {
        source = TSource::Memory;
        plain = entry.content->Bytes();
        compress = static_cast<int64_t>(plain.size()) <= kCompressLimit;
      } else if (!(path = SharedResolver().Resolve(base_folder_, entry.Name())).empty() && path != archive_file_) {
        source = TSource::File;
        std::string file_bytes;
        if (!ReadWholeFile(path, file_bytes)) throw EReadError("Cannot read " + path);
        plain.assign(file_bytes.begin(), file_bytes.end());
        struct stat info;
        stamp = ::stat(path.c_str(), &info) == 0 ? DosTimeFromUnix(info.st_mtime) : 0;
        compress = ShouldCompressFile(entry.Name(), path, static_cast<int64_t>(plain.size()), options);
      } else {
        source = TSource::Archive;
        plain = ExtractBytes(entry.Name());
        compress = static_cast<int64_t>(plain.size()) <= kCompressLimit;
      }
      bool scramble = entry.storage == 2 || entry.storage == 3 || options.force_scramble;
      const bool forced = options.storage.has_value() || version <= 100;
      if (options.storage) {
        uint8_t wanted = static_cast<uint8_t>(*options.storage);
        compress = wanted == 0 || wanted == 3;
        scramble = wanted == 2 || wanted == 3;
      }
      if (version <= 100) {  // these directories know only compressed entries
        compress = true;
        scramble = false;
      }
      if (compress) {
        bytes = DeflateBytes(AsChars(plain), options.compression_level);
        if (source == TSource::File && !forced && bytes.size() * 10 > plain.size() * 9) {
          bytes = plain;
          compress = false;
        }
      } else {
        bytes = plain;
      }
      if (scramble) {
        int32_t seed = static_cast<int32_t>(seeds.Random(0, 2147483646));
        bytes = ScrambleBytes(AsChars(bytes), ScrambleBlockSize(static_cast<int64_t>(bytes.size())), seed,
                              TScrambleHeader::With);
      }
      types[i] = static_cast<uint8_t>(compress ? (scramble ? 3 : 0) : (scramble ? 2 : 1));
      stamps[i] = stamp;
      // The flag is written only when the checksum really covers the plain content.
      bool of_content = version > 101 && entry.checksum_of_content && compress && source != TSource::Archive;
      flags[i] = of_content ? 1 : 0;
      checksums[i] = Crc32(of_content ? AsChars(plain) : AsChars(bytes));
    } catch (const EOrvoError& error) {
      throw EOrvoError(kEntryError + entry.Name() + " " + error.Message());
    }
    out.WriteBuffer(bytes.data(), bytes.size());
    if (options.progress && !options.progress(entry, i, n, static_cast<int64_t>(bytes.size()))) return false;
  }
  offsets[n] = out.Position() - start;
  const int64_t end = out.Position();
  if (!wide && offsets[n] > INT32_MAX) throw EWriteError("Archive too large for 32-bit offsets");

  std::vector<uint8_t> table(table_size);
  uint8_t* p = table.data();
  TKwRandom key(kDirectorySeed);
  for (size_t i = 0; i <= n; ++i) {
    if (wide) {
      uint64_t value = static_cast<uint64_t>(offsets[i]);
      if (scrambled_directory) value ^= static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(key.Next())));
      StoreU32(p, static_cast<uint32_t>(value));
      StoreU32(p + 4, static_cast<uint32_t>(value >> 32));
      p += 8;
    } else {
      uint32_t value = static_cast<uint32_t>(offsets[i]);
      if (scrambled_directory) value ^= key.Next();
      StoreU32(p, value);
      p += 4;
    }
  }
  if (wide) {
    for (size_t i = 0; i < n; ++i) *p++ = types[i];
    for (size_t i = 0; i < n; ++i, p += 4) StoreU32(p, static_cast<uint32_t>(stamps[i]));
    for (size_t i = 0; i < n; ++i, p += 4) StoreU32(p, checksums[i]);
    if (version > 101) {
      for (size_t i = 0; i < n; ++i) *p++ = flags[i];
    }
  }
  out.SetPosition(table_position);
  writer.WriteBytes(table.data(), table.size());
  out.SetPosition(end);
  return true;
}

}  // namespace orvo
