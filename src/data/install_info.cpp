#include "data/install_info.h"

#include "base/binary_io.h"
#include "base/error.h"
#include "base/files.h"

namespace orvo {

namespace {

// The installer's strings are short labels and paths.
constexpr int64_t kInstallStringCap = 1 << 20;

// The layout, step by step, shared by the reader and the writer so that the
// two never drift apart.
template <class Io>
void Walk(Io& io, TInstallInfo& info) {
  const int32_t v = info.version;
  auto& o = info.other;
  size_t s = 0, b = 0, x = 0;  // cursors into the opaque lists
  io.Int(info.disc_number);
  io.Str(info.title);
  for (int i = 0; i < 3; ++i) io.Str(o.strings, s);
  io.Byte(o.bytes, b);
  io.Str(o.strings, s);
  io.Byte(o.bytes, b);
  int32_t count = static_cast<int32_t>(o.items.size());
  io.Int(count);
  io.Str(o.strings, s);
  io.Value(o.values, x, 4);
  io.Byte(o.bytes, b);
  io.Byte(o.bytes, b);
  io.Str(o.strings, s);
  io.Str(o.strings, s);
  const int width = v > 99 ? 8 : 4;
  io.Items(o.items, count, width);
  for (int i = 0; i < 4; ++i) io.Value(o.values, x, width);
  io.Byte(o.bytes, b);
  if (v > 100) io.Byte(o.bytes, b);
  if (v > 101) io.List(info.installed_files, true);
  if (v > 102) io.Flag(info.installed_locally);
  if (v > 103) io.Byte(o.bytes, b);
  if (v > 104) io.Byte(o.bytes, b);
  if (v > 105) io.List(o.extra_list, false);
  if (v > 106) io.Str(o.strings, s);
  if (v > 107) {
    io.Str(o.strings, s);
    io.Str(o.strings, s);
  }
}

struct TReadIo {
  TBinaryReader& r;
  void Int(int32_t& value) { value = r.ReadInt32(); }
  void Str(std::string& text) { text = r.ReadString(kInstallStringCap); }
  void Str(std::vector<std::string>& list, size_t&) { list.push_back(r.ReadString(kInstallStringCap)); }
  void Byte(std::vector<uint8_t>& list, size_t&) { list.push_back(r.ReadByte()); }
  void Flag(bool& flag) { flag = r.ReadByte() != 0; }
  int64_t ReadValue(int width) { return width == 8 ? r.ReadInt64() : r.ReadInt32(); }
  void Value(std::vector<int64_t>& list, size_t&, int width) { list.push_back(ReadValue(width)); }
  void Items(std::vector<std::vector<int64_t>>& items, int32_t count, int width) {
    if (count < 0) throw EFormatError("Damaged install data: negative item count");
    size_t n = r.RequireCount(count, 4 * width);
    items.clear();
    for (size_t i = 0; i < n; ++i) {
      std::vector<int64_t> item;
      for (int k = 0; k < 4; ++k) item.push_back(ReadValue(width));
      items.push_back(std::move(item));
    }
  }
  void List(std::vector<std::string>& list, bool drop_empty) {
    int32_t count = r.ReadInt32();
    if (count < 0) count = 0;
    size_t n = r.RequireCount(count, 4);
    list.clear();
    for (size_t i = 0; i < n; ++i) {
      std::string text = r.ReadString(kInstallStringCap);
      if (!drop_empty || !text.empty()) list.push_back(std::move(text));
    }
  }
};

struct TWriteIo {
  TBinaryWriter& w;
  void Int(int32_t& value) { w.WriteInt32(value); }
  void Str(std::string& text) { w.WriteString(text); }
  void Str(std::vector<std::string>& list, size_t& at) { w.WriteString(at < list.size() ? list[at] : ""), ++at; }
  void Byte(std::vector<uint8_t>& list, size_t& at) { w.WriteByte(at < list.size() ? list[at] : 0), ++at; }
  void Flag(bool& flag) { w.WriteByte(flag ? 1 : 0); }
  void WriteValue(int64_t value, int width) {
    if (width == 8) {
      w.WriteInt64(value);
    } else {
      w.WriteInt32(static_cast<int32_t>(value));
    }
  }
  void Value(std::vector<int64_t>& list, size_t& at, int width) {
    WriteValue(at < list.size() ? list[at] : 0, width), ++at;
  }
  void Items(std::vector<std::vector<int64_t>>& items, int32_t, int width) {
    for (const auto& item : items) {
      for (int k = 0; k < 4; ++k) WriteValue(k < static_cast<int>(item.size()) ? item[k] : 0, width);
    }
  }
  void List(std::vector<std::string>& list, bool) {
    w.WriteInt32(static_cast<int32_t>(list.size()));
    for (const auto& text : list) w.WriteString(text);
  }
};

}  // namespace

TInstallInfo ReadInstallInfo(TStream& stream) {
  TBinaryReader reader(stream);
  TInstallInfo info;
  const int64_t start = stream.Position();
  info.version = 0;
  if (reader.Remaining() >= 5) {
    std::string magic = reader.ReadBytes(5);
    if (magic[0] == 'i' && magic[1] == 's') {
      for (int i = 2; i < 5; ++i) {
        if (magic[i] < '0' || magic[i] > '9') throw EFormatError("Damaged install data: bad version");
        info.version = info.version * 10 + (magic[i] - '0');
      }
    } else {
      stream.SetPosition(start);
    }
  }
  TReadIo io{reader};
  Walk(io, info);
  return info;
}

TInstallInfo ReadInstallInfoFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) throw EReadError("Cannot read " + path);
  TMemoryStream stream{std::string_view(bytes)};
  return ReadInstallInfo(stream);
}

void WriteInstallInfo(TStream& stream, const TInstallInfo& info) {
  TInstallInfo copy = info;
  if (copy.version < 0 || copy.version > 999) throw EWriteError("Bad install data version");
  TBinaryWriter writer(stream);
  if (copy.version > 0) {
    char magic[6];
    magic[0] = 'i';
    magic[1] = 's';
    magic[2] = static_cast<char>('0' + copy.version / 100);
    magic[3] = static_cast<char>('0' + copy.version / 10 % 10);
    magic[4] = static_cast<char>('0' + copy.version % 10);
    writer.WriteBytes(magic, 5);
  }
  TWriteIo io{writer};
  Walk(io, copy);
}

}  // namespace orvo
