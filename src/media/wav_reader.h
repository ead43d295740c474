#pragma once
// Our own RIFF WAVE reader: PCM of 8 to 32 bits, 32- and 64-bit float (also
// in the extensible form), Microsoft and IMA ADPCM. Chunks come in any order,
// odd-sized chunks are padded, and a data chunk that claims more bytes than
// the file holds is cut to the file.
#include <memory>

#include "platform/audio_decoder.h"

namespace orvo {

// True when the bytes begin like a RIFF WAVE file.
bool LooksLikeWav(const std::vector<uint8_t>& bytes);

// A decoder of a WAVE file; raises EFormatError with a plain message when the
// file is not one we can read. 8-bit and 16-bit PCM come out as stored;
// everything else comes out as 16-bit (wider PCM keeps its top 16 bits,
// float is scaled by 32768, rounded half to even and saturated).
std::unique_ptr<IAudioDecoder> OpenWavDecoder(TSoundBytes bytes);

}  // namespace orvo
