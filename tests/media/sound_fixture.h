#pragma once
// Small sound files built in memory for the media tests.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_decoder.h"

namespace orvo::test {

// One RIFF chunk: id and body (padded to an even size when written).
struct TChunk {
  std::string id;
  std::string body;
  uint32_t declared = UINT32_MAX;  // the size field; UINT32_MAX means the body's size
};

// "RIFF" size "WAVE" followed by the chunks in order.
std::string RiffWave(const std::vector<TChunk>& chunks);
// A "fmt " body: tag, channels, rate, block align, bits and extra bytes (with cbSize when not empty).
std::string FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t block_align, uint16_t bits,
                       const std::string& extra = {});
// A plain PCM file of 16-bit samples.
std::string Pcm16Wav(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate = 44100);
// A PCM file of 8-bit samples.
std::string Pcm8Wav(const std::vector<uint8_t>& samples, uint16_t channels, uint32_t rate);

std::string Le16(int32_t value);
std::string Le32(uint32_t value);

TSoundBytes Bytes(const std::string& file);

// Every frame of a decoder as 16-bit samples (8-bit as (s - 128) × 256).
std::vector<int16_t> DecodeAll(IAudioDecoder& decoder);

}  // namespace orvo::test
