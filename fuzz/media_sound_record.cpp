// The save record of sound objects: any bytes, read as a save of any
// version, must load or raise an error; a loaded sound saves and loads again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "media/sound_object.h"
#include "media_record_round.h"

namespace {

using namespace orvo;

// The tone under two names, so that records can start real items.
TMediaServices Services() {
  TMediaServices services;
  services.require_file = [](const std::string& name) { return name == "a.wav" || name == "b.ogg"; };
  services.load_bytes = [](const std::string& name) {
    if (name != "a.wav" && name != "b.ogg") throw EReadError("missing");
    const std::string& wav = fuzz::ToneWav();
    return std::vector<uint8_t>(wav.begin(), wav.end());
  };
  return services;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::RecordRoundTrip<TOrvoSound>(data, size, Services(), kcSound);
}
