#include "stage/effects_fixture.h"

#include "base/stream.h"

namespace orvo::test {

std::string RecordOf(const TOrvoObject& object) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  object.WriteState(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void ReadRecord(TOrvoObject& object, const std::string& bytes, int32_t version) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  object.ReadState(reader, version);
}

std::string Int32Bytes(int32_t value) {
  TMemoryStream stream;
  TBinaryWriter(stream).WriteInt32(value);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

std::string StringBytes(const std::string& text) { return Int32Bytes(static_cast<int32_t>(text.size())) + text; }

std::string Ext80Bytes(long double value) {
  TMemoryStream stream;
  TBinaryWriter(stream).WriteExt80(value);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

std::string OldControlRecord(int32_t version, const std::string& name, int32_t left, int32_t top, int32_t width,
                             int32_t height) {
  std::string r = StringBytes(name) + Int32Bytes(0);
  if (version > 103) r += Int32Bytes(0);
  if (version >= 120) r += StringBytes("");
  for (int32_t value : {left, top, width, height, 0, 0}) r += Int32Bytes(value);
  r += '\0';  // PosZoomed
  if (version >= 130) {
    for (int i = 0; i < 4; ++i) r += Int32Bytes(0);
  }
  if (version > 103) {
    for (int i = 0; i < 4; ++i) r += Int32Bytes(0);
    r += '\0';  // AniPaused
  }
  r += '\x01';  // Visible
  r += Int32Bytes(0);
  for (int32_t value : {0, 0, 1, 1}) r += Int32Bytes(value);
  r += '\0';             // IgnoreMouse
  r += StringBytes("");  // cursor
  const int handlers = version > 101 ? 9 : 8;
  for (int i = 0; i < handlers; ++i) r += StringBytes("");
  if (version > 117) {
    r += '\0';
    for (int i = 0; i < 5; ++i) r += StringBytes("");
  }
  r += Int32Bytes(0);  // children
  return r;
}

}  // namespace orvo::test
