#pragma once
// Choosing a decoder for the bytes of a sound file, and bringing any decoder
// to a format the mixers take.
#include <memory>

#include "platform/audio_decoder.h"

namespace orvo {

// The output rate of every mixer.
constexpr int32_t kMixRate = 44100;

// A decoder for the bytes: RIFF WAVE by our reader, Ogg Vorbis, anything else
// through FFmpeg. Raises EFormatError when none can read them.
std::unique_ptr<IAudioDecoder> OpenSoundDecoder(TSoundBytes bytes);

// The decoder as direct voices take it: 44100 Hz with one or two channels,
// 8 or 16 bits. Other rates are resampled (linear, integer arithmetic) to
// 16 bits; channels past the second are dropped. Suitable sources pass
// through untouched, so their samples stay bit-exact.
std::unique_ptr<IAudioDecoder> ToVoiceFormat(std::unique_ptr<IAudioDecoder> decoder);

// The decoder as the wave-output mixer's conversion table takes it: 1 or 2
// channels, 44100 or 22050 Hz, 8 or 16 bits pass through; anything else is
// handed over as 44100 Hz 16-bit, so that it plays and ends.
std::unique_ptr<IAudioDecoder> ToWaveTableFormat(std::unique_ptr<IAudioDecoder> decoder);

}  // namespace orvo
