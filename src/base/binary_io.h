#pragma once
// Bounded little-endian records. Every count and length read from untrusted
// data is checked against the bytes that remain before anything is allocated.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"

namespace orvo {

// The cap that the formats put on stored strings (10 MiB).
constexpr int64_t kStoredStringCap = 10485760;

class TBinaryReader {
 public:
  // Reads from the stream's current position up to its end as it is now.
  explicit TBinaryReader(TStream& stream);
  // Reads at most limit bytes from the current position (a record inside a larger stream).
  TBinaryReader(TStream& stream, int64_t limit);

  TStream& Stream() { return stream_; }
  int64_t Remaining();
  int64_t Position() { return stream_.Position(); }

  uint8_t ReadByte();
  bool ReadBool();  // one byte, non-zero is true
  int16_t ReadInt16();
  uint16_t ReadUInt16();
  int32_t ReadInt32();
  uint32_t ReadUInt32();
  int64_t ReadInt64();
  double ReadDouble();
  long double ReadExt80();
  // Stored string: int32 byte count, then the bytes; a count of 0 or less is
  // the empty string. Counts above cap raise "Invalid string data".
  std::string ReadString(int64_t cap = kStoredStringCap);
  // Stored string list: int32 count, then the strings.
  std::vector<std::string> ReadStringList(int64_t cap = kStoredStringCap);
  std::string ReadBytes(int64_t count);
  void ReadInto(void* buffer, size_t count);
  void Skip(int64_t count);
  // Raises EReadError unless count more bytes remain; returns count as size_t.
  size_t Require(int64_t count);
  // Checks a count of items each at least min_item_bytes long against what remains.
  size_t RequireCount(int64_t count, int64_t min_item_bytes);

 private:
  TStream& stream_;
  int64_t end_;
};

class TBinaryWriter {
 public:
  explicit TBinaryWriter(TStream& stream) : stream_(stream) {}
  TStream& Stream() { return stream_; }

  void WriteByte(uint8_t value);
  void WriteBool(bool value);
  void WriteInt16(int16_t value);
  void WriteUInt16(uint16_t value);
  void WriteInt32(int32_t value);
  void WriteUInt32(uint32_t value);
  void WriteInt64(int64_t value);
  void WriteDouble(double value);
  void WriteExt80(long double value);
  void WriteString(std::string_view text);
  void WriteStringList(const std::vector<std::string>& list);
  void WriteBytes(std::string_view bytes);
  void WriteBytes(const void* data, size_t count);

 private:
  TStream& stream_;
};

// Little-endian access to raw buffers (no bounds: callers check).
inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline void StoreU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace orvo
