// The save record of sound objects: any bytes, read as a save of any
// version, must load or raise an error; a loaded sound saves and loads again.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "base/error.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "media/media_system.h"
#include "media/sound_object.h"
#include "stage/stage.h"

namespace {

using namespace orvo;

// A 10 ms sound under two names, so that records can start real items.
const std::string& Tone() {
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

TMediaServices Services() {
  TMediaServices services;
  services.require_file = [](const std::string& name) { return name == "a.wav" || name == "b.ogg"; };
  services.load_bytes = [](const std::string& name) {
    if (name != "a.wav" && name != "b.ogg") throw EReadError("missing");
    return std::vector<uint8_t>(Tone().begin(), Tone().end());
  };
  return services;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int32_t version = 100 + data[0] % 102;
  TRuntimeState state;
  // The media system outlives the stage whose sounds hold its items.
  TMediaSystem media(Services(), (data[1] & 1) != 0, 100, false,
                     [&state] { return static_cast<uint32_t>(state.total_elapsed); });
  TOrvoBaseList stage(state);
  media.RegisterKinds(stage);
  auto* sound = static_cast<TOrvoSound*>(stage.CreateByKind(kcSound));
  const TObjectHandle handle = sound->Handle();
  std::string saved;
  try {
    TSpanStream stream(reinterpret_cast<const char*>(data) + 2, size - 2);
    TBinaryReader reader(stream);
    sound->ReadState(reader, version);
    for (int i = 0; i < 3; ++i) {
      state.total_elapsed += 15;
      stage.UpdateAll();
      int16_t out[1323];
      media.Engine().Render(out, 661);
    }
    // A finished sound may have deleted itself.
    if (stage.Resolve(handle) == nullptr) return 0;
    TMemoryStream out;
    TBinaryWriter writer(out);
    sound->WriteState(writer);
    saved.assign(out.Bytes().begin(), out.Bytes().end());
  } catch (const EOrvoError&) {
    return 0;
  }
  auto* again = static_cast<TOrvoSound*>(stage.CreateByKind(kcSound));
  TSpanStream stream(saved.data(), saved.size());
  TBinaryReader reader(stream);
  try {
    again->ReadState(reader, 201);
  } catch (const EOrvoError&) {
    __builtin_trap();  // what we wrote must read back
  }
  return 0;
}
