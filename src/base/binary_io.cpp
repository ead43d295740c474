#include "base/binary_io.h"

#include <cstring>

#include "base/error.h"
#include "base/numeric.h"

namespace orvo {

namespace {

template <class T>
T Decode(const uint8_t* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);  // the player runs on little-endian machines only
  return value;
}

}  // namespace

TBinaryReader::TBinaryReader(TStream& stream) : stream_(stream), end_(stream.Size()) {}

TBinaryReader::TBinaryReader(TStream& stream, int64_t limit) : stream_(stream) {
  int64_t position = stream.Position();
  int64_t size = stream.Size();
  end_ = (limit < 0 || limit > size - position) ? size : position + limit;
}

int64_t TBinaryReader::Remaining() {
  int64_t left = end_ - stream_.Position();
  return left > 0 ? left : 0;
}

size_t TBinaryReader::Require(int64_t count) {
  if (count < 0 || count > Remaining()) throw EReadError("Stream read error");
  return static_cast<size_t>(count);
}

size_t TBinaryReader::RequireCount(int64_t count, int64_t min_item_bytes) {
  if (count < 0) throw EReadError("Stream read error");
  if (min_item_bytes > 0 && count > Remaining() / min_item_bytes) throw EReadError("Stream read error");
  return static_cast<size_t>(count);
}

void TBinaryReader::ReadInto(void* buffer, size_t count) {
  Require(static_cast<int64_t>(count));
  stream_.ReadBuffer(buffer, count);
}

uint8_t TBinaryReader::ReadByte() {
  uint8_t b;
  ReadInto(&b, 1);
  return b;
}
bool TBinaryReader::ReadBool() { return ReadByte() != 0; }

#define ORVO_READ(Name, Type)         \
  Type TBinaryReader::Name() {        \
    uint8_t bytes[sizeof(Type)];      \
    ReadInto(bytes, sizeof bytes);    \
    return Decode<Type>(bytes);       \
  }
ORVO_READ(ReadInt16, int16_t)
ORVO_READ(ReadUInt16, uint16_t)
ORVO_READ(ReadInt32, int32_t)
ORVO_READ(ReadUInt32, uint32_t)
ORVO_READ(ReadInt64, int64_t)
ORVO_READ(ReadDouble, double)
#undef ORVO_READ

long double TBinaryReader::ReadExt80() {
  uint8_t bytes[kExt80Size];
  ReadInto(bytes, sizeof bytes);
  return orvo::ReadExt80(bytes);
}

std::string TBinaryReader::ReadString(int64_t cap) {
  int32_t count = ReadInt32();
  if (count <= 0) return {};
  if (count > cap) throw EFormatError("Invalid string data");
  return ReadBytes(count);
}

std::vector<std::string> TBinaryReader::ReadStringList(int64_t cap) {
  int32_t count = ReadInt32();
  std::vector<std::string> list;
  if (count <= 0) return list;
  list.reserve(RequireCount(count, 4));
  for (int32_t i = 0; i < count; ++i) list.push_back(ReadString(cap));
  return list;
}

std::string TBinaryReader::ReadBytes(int64_t count) {
  std::string bytes(Require(count), '\0');
  if (!bytes.empty()) stream_.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

void TBinaryReader::Skip(int64_t count) { stream_.Seek(static_cast<int64_t>(Require(count)), TSeekOrigin::Current); }

void TBinaryWriter::WriteBytes(const void* data, size_t count) { stream_.WriteBuffer(data, count); }
void TBinaryWriter::WriteBytes(std::string_view bytes) { WriteBytes(bytes.data(), bytes.size()); }
void TBinaryWriter::WriteByte(uint8_t value) { WriteBytes(&value, 1); }
void TBinaryWriter::WriteBool(bool value) { WriteByte(value ? 1 : 0); }
void TBinaryWriter::WriteInt16(int16_t value) { WriteBytes(&value, sizeof value); }
void TBinaryWriter::WriteUInt16(uint16_t value) { WriteBytes(&value, sizeof value); }
void TBinaryWriter::WriteInt32(int32_t value) { WriteBytes(&value, sizeof value); }
void TBinaryWriter::WriteUInt32(uint32_t value) { WriteBytes(&value, sizeof value); }
void TBinaryWriter::WriteInt64(int64_t value) { WriteBytes(&value, sizeof value); }
void TBinaryWriter::WriteDouble(double value) { WriteBytes(&value, sizeof value); }

void TBinaryWriter::WriteExt80(long double value) {
  uint8_t bytes[kExt80Size];
  orvo::WriteExt80(value, bytes);
  WriteBytes(bytes, sizeof bytes);
}

void TBinaryWriter::WriteString(std::string_view text) {
  if (text.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError("Invalid string data");
  WriteInt32(static_cast<int32_t>(text.size()));
  WriteBytes(text);
}

void TBinaryWriter::WriteStringList(const std::vector<std::string>& list) {
  WriteInt32(static_cast<int32_t>(list.size()));
  for (const auto& item : list) WriteString(item);
}

}  // namespace orvo
