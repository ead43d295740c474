// The save record of video objects (after the picture record): any bytes, read as a save of any
// version, must load or raise an error; a loaded video saves and loads again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "media/video_object.h"
#include "media_record_round.h"
#include "platform/video_encoder.h"

namespace {

using namespace orvo;

// The tone and a two-frame video, so that records can start real items.
TMediaServices Services() {
  TMediaServices services;
  services.require_file = [](const std::string& name) { return name == "a.wav" || name == "v.nut"; };
  services.load_bytes = [](const std::string& name) {
    if (name == "v.nut") {
      static const std::vector<uint8_t> video =
          EncodeRawVideo({std::vector<uint32_t>(16, 0xFF102030), std::vector<uint32_t>(16, 0xFF405060)}, 4, 4, 25);
      return video;
    }
    if (name != "a.wav") throw EReadError("missing");
    const std::string& wav = fuzz::ToneWav();
    return std::vector<uint8_t>(wav.begin(), wav.end());
  };
  return services;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::RecordRoundTrip<TOrvoVideo>(data, size, Services(), kcVideo);
}
