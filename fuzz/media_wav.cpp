// The WAVE reader: any bytes must decode or raise an error, and decoding
// must stop within the frames it announced.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/error.h"
#include "media/sound_decoder.h"
#include "media/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvo;
  auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
  try {
    std::unique_ptr<IAudioDecoder> decoder = ToVoiceFormat(OpenWavDecoder(bytes));
    const TPcmFormat format = decoder->Output();
    std::vector<uint8_t> chunk(256 * static_cast<size_t>(format.BlockAlign()));
    int64_t frames = 0;
    while (size_t got = decoder->Read(chunk.data(), 256)) {
      frames += static_cast<int64_t>(got);
      if (frames > decoder->Info().frames * 2 + 1024) __builtin_trap();
    }
    decoder->Seek(frames / 2);
    decoder->Read(chunk.data(), 256);
  } catch (const EOrvoError&) {
  }
  return 0;
}
