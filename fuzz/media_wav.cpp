// The WAVE reader: any bytes must decode or raise an error, and decoding
// (resampled to the mix rate) must stop within the frames announced.
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
    const TSoundInfo& info = decoder->Info();
    const int64_t announced = info.frames * 44100 / info.rate + 1;
    int64_t frames = 0;
    for (int round = 0; round < 4096; ++round) {
      const size_t got = decoder->Read(chunk.data(), 256);
      if (got == 0) break;
      frames += static_cast<int64_t>(got);
      if (frames > announced) __builtin_trap();
    }
    decoder->Seek(frames / 2);
    decoder->Read(chunk.data(), 256);
  } catch (const EOrvoError&) {
  }
  return 0;
}
