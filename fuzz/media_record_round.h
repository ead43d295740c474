#pragma once
// The round trip the media record fuzz targets share: any bytes, read as a
// save of any version, must load or raise an error, and what a loaded object
// then saves must load again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "media/media_system.h"
#include "stage/stage.h"

namespace orvo::fuzz {

// A 10 ms stereo 16-bit WAV, so that records can start real items.
inline const std::string& ToneWav() {
  static const std::string wav = [] {
    std::string data(1764, '\x10');
    std::string h = "RIFF";
    auto le32 = [&h](uint32_t v) {
      for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    auto le16 = [&h](uint16_t v) {
      h.push_back(static_cast<char>(v & 0xff));
      h.push_back(static_cast<char>(v >> 8));
    };
    le32(36 + static_cast<uint32_t>(data.size()));
    h += "WAVEfmt ";
    le32(16);
    le16(1);
    le16(2);
    le32(44100);
    le32(176400);
    le16(4);
    le16(16);
    h += "data";
    le32(static_cast<uint32_t>(data.size()));
    return h + data;
  }();
  return wav;
}

// The first byte picks the version, the low bit of the second the mixer; the
// rest is the record of a new object of the kind.
template <class TObject>
int RecordRoundTrip(const uint8_t* data, size_t size, TMediaServices services, uint8_t kind) {
  if (size < 2) return 0;
  const int32_t version = 100 + data[0] % 102;
  TRuntimeState state;
  // The media system outlives the stage whose objects hold its items.
  TMediaSystem media(std::move(services), (data[1] & 1) != 0, 100, false,
                     [&state] { return static_cast<uint32_t>(state.total_elapsed); });
  TOrvoBaseList stage(state);
  media.RegisterKinds(stage);
  auto* object = static_cast<TObject*>(stage.CreateByKind(kind));
  const TObjectHandle handle = object->Handle();
  std::string saved;
  try {
    TSpanStream stream(reinterpret_cast<const char*>(data) + 2, size - 2);
    TBinaryReader reader(stream);
    object->ReadState(reader, version);
    for (int i = 0; i < 3; ++i) {
      state.total_elapsed += 15;
      stage.UpdateAll();
      int16_t out[1323];
      media.Engine().Render(out, 661);
    }
    // A finished object may have deleted itself.
    if (stage.Resolve(handle) == nullptr) return 0;
    TMemoryStream out;
    TBinaryWriter writer(out);
    object->WriteState(writer);
    saved.assign(out.Bytes().begin(), out.Bytes().end());
  } catch (const EOrvoError&) {
    return 0;
  }
  auto* again = static_cast<TObject*>(stage.CreateByKind(kind));
  TSpanStream stream(saved.data(), saved.size());
  TBinaryReader reader(stream);
  try {
    again->ReadState(reader, 201);
  } catch (const EOrvoError&) {
    __builtin_trap();  // what we wrote must read back
  }
  return 0;
}

}  // namespace orvo::fuzz
