#include "media/sound_fixture.h"

#include "base/binary_io.h"

namespace orvo::test {

std::string Le16(int32_t value) {
  std::string out(2, '\0');
  out[0] = static_cast<char>(value & 0xff);
  out[1] = static_cast<char>((value >> 8) & 0xff);
  return out;
}

std::string Le32(uint32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
  return out;
}

std::string RiffWave(const std::vector<TChunk>& chunks) {
  std::string body = "WAVE";
  for (const TChunk& chunk : chunks) {
    body += chunk.id;
    body += Le32(chunk.declared == UINT32_MAX ? static_cast<uint32_t>(chunk.body.size()) : chunk.declared);
    body += chunk.body;
    if (chunk.body.size() % 2 == 1 && chunk.declared == UINT32_MAX) body += '\0';
  }
  return "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body;
}

std::string FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t block_align, uint16_t bits,
                       const std::string& extra) {
  std::string body =
      Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * block_align) + Le16(block_align) + Le16(bits);
  if (!extra.empty()) body += Le16(static_cast<int32_t>(extra.size())) + extra;
  return body;
}

std::string Pcm16Wav(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate) {
  std::string data;
  for (int16_t s : samples) data += Le16(s);
  return RiffWave({{"fmt ", FormatBody(1, channels, rate, static_cast<uint16_t>(2 * channels), 16)}, {"data", data}});
}

std::string Pcm8Wav(const std::vector<uint8_t>& samples, uint16_t channels, uint32_t rate) {
  std::string data(samples.begin(), samples.end());
  return RiffWave({{"fmt ", FormatBody(1, channels, rate, channels, 8)}, {"data", data}});
}

TSoundBytes Bytes(const std::string& file) {
  return std::make_shared<const std::vector<uint8_t>>(file.begin(), file.end());
}

std::vector<int16_t> DecodeAll(IAudioDecoder& decoder) {
  const TPcmFormat format = decoder.Output();
  std::vector<uint8_t> chunk(777 * static_cast<size_t>(format.BlockAlign()));
  std::vector<int16_t> out;
  for (;;) {
    const size_t got = decoder.Read(chunk.data(), 777);
    if (got == 0) break;
    for (size_t i = 0; i < got * static_cast<size_t>(format.channels); ++i) {
      out.push_back(format.bits == 8 ? static_cast<int16_t>((chunk[i] - 128) * 256)
                                     : static_cast<int16_t>(LoadU16(chunk.data() + 2 * i)));
    }
  }
  return out;
}

}  // namespace orvo::test
