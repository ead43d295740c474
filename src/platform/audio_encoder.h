#pragma once
// Making Ogg Vorbis files, for the kit's generated sounds and test fixtures.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvo {

// Encodes interleaved 16-bit frames as Ogg Vorbis at a quality of -0.1..1;
// empty when the encoder refuses the format.
std::vector<uint8_t> EncodeVorbis(const int16_t* samples, size_t frames, int32_t channels, int32_t rate,
                                  float quality = 0.4f);

}  // namespace orvo
