// orvokit sound: describe a sound file, decode it to 16-bit WAV, or make a
// test tone (WAV or Ogg Vorbis).
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/files.h"
#include "kit.h"
#include "media/audio_output.h"
#include "media/sound_decoder.h"
#include "platform/audio_encoder.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "sound";

std::unique_ptr<IAudioDecoder> Open(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) throw EOrvoError("cannot read " + path);
  return OpenSoundDecoder(std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end()));
}

// Every frame of the decoder as 16-bit samples (8-bit as (s - 128) × 256).
std::vector<int16_t> DecodeAll(IAudioDecoder& decoder) {
  const TPcmFormat format = decoder.Output();
  const size_t block = static_cast<size_t>(format.BlockAlign());
  std::vector<uint8_t> chunk(4096 * block);
  std::vector<int16_t> samples;
  for (;;) {
    const size_t got = decoder.Read(chunk.data(), 4096);
    if (got == 0) break;
    const size_t count = got * static_cast<size_t>(format.channels);
    for (size_t i = 0; i < count; ++i) {
      samples.push_back(format.bits == 8 ? static_cast<int16_t>((chunk[i] - 128) * 256)
                                         : static_cast<int16_t>(LoadU16(chunk.data() + 2 * i)));
    }
  }
  return samples;
}

int Info(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError(kName, "info needs one FILE");
  std::unique_ptr<IAudioDecoder> decoder = Open(args[1]);
  const TSoundInfo& info = decoder->Info();
  const int64_t frames = static_cast<int64_t>(DecodeAll(*decoder).size()) / decoder->Output().channels;
  std::printf("%s\t%d\t%d\t%d\t%lld\t%lld\n", info.format.c_str(), info.channels, info.rate, info.bits,
              static_cast<long long>(frames), static_cast<long long>(frames * 1000 / info.rate));
  return 0;
}

void WriteWav(const std::string& path, const std::vector<int16_t>& samples, int32_t channels, int32_t rate,
              int32_t bits) {
  const int64_t frames = static_cast<int64_t>(samples.size()) / channels;
  std::string bytes = CanonicalWavHeader(frames, channels, rate);
  if (bits == 8) {
    // The canonical header of 8-bit files differs only in the sizes and the sample width.
    bytes = CanonicalWavHeader(0, channels, rate);
    auto* h = reinterpret_cast<uint8_t*>(bytes.data());
    StoreU32(h + 4, static_cast<uint32_t>(36 + samples.size()));
    StoreU32(h + 28, static_cast<uint32_t>(rate * channels));
    StoreU16(h + 32, static_cast<uint16_t>(channels));
    StoreU16(h + 34, 8);
    StoreU32(h + 40, static_cast<uint32_t>(samples.size()));
    for (int16_t s : samples) bytes.push_back(static_cast<char>((s >> 8) + 128));
  } else {
    for (int16_t s : samples) {
      bytes.push_back(static_cast<char>(s & 0xff));
      bytes.push_back(static_cast<char>((s >> 8) & 0xff));
    }
  }
  WriteFileAtomically(path, bytes);
}

int Decode(const std::vector<std::string>& args) {
  std::string input, output;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (input.empty() && (args[i].empty() || args[i][0] != '-')) {
      input = args[i];
    } else {
      return UsageError(kName, "decode takes FILE -o OUT.wav");
    }
  }
  if (input.empty() || output.empty()) return UsageError(kName, "decode takes FILE -o OUT.wav");
  std::unique_ptr<IAudioDecoder> decoder = Open(input);
  const TPcmFormat format = decoder->Output();
  WriteWav(output, DecodeAll(*decoder), format.channels, format.rate, 16);
  return 0;
}

// A sine tone; a frequency of 0 gives silence, a negative one a square wave.
int Tone(const std::vector<std::string>& args) {
  std::string output;
  long long ms = 1000, freq = 440, rate = 44100, channels = 2, bits = 16, amplitude = 8000;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto number = [&](long long low, long long high, long long& value) {
      return i + 1 < args.size() && ParseInteger(args[++i], low, high, value);
    };
    bool ok = true;
    if (arg == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (arg == "--ms") {
      ok = number(0, 600000, ms);
    } else if (arg == "--freq") {
      ok = number(-20000, 20000, freq);
    } else if (arg == "--rate") {
      ok = number(1000, 192000, rate);
    } else if (arg == "--channels") {
      ok = number(1, 2, channels);
    } else if (arg == "--bits") {
      ok = number(8, 16, bits) && (bits == 8 || bits == 16);
    } else if (arg == "--amplitude") {
      ok = number(0, 32767, amplitude);
    } else {
      ok = false;
    }
    if (!ok) return UsageError(kName, "tone: bad argument " + arg);
  }
  if (output.empty()) return UsageError(kName, "tone needs -o OUT.wav|OUT.ogg");
  const size_t frames = static_cast<size_t>(ms * rate / 1000);
  std::vector<int16_t> samples(frames * static_cast<size_t>(channels));
  const double pi = std::acos(-1.0);
  for (size_t i = 0; i < frames; ++i) {
    const double phase =
        2 * pi * static_cast<double>(std::llabs(freq)) * static_cast<double>(i) / static_cast<double>(rate);
    double v = freq == 0 ? 0.0 : std::sin(phase);
    if (freq < 0) v = v >= 0 ? 1.0 : -1.0;
    const auto s = static_cast<int16_t>(std::nearbyint(v * static_cast<double>(amplitude)));
    for (long long c = 0; c < channels; ++c) samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = s;
  }
  const bool ogg = output.size() > 4 && output.compare(output.size() - 4, 4, ".ogg") == 0;
  if (ogg) {
    std::vector<uint8_t> bytes =
        EncodeVorbis(samples.data(), frames, static_cast<int32_t>(channels), static_cast<int32_t>(rate));
    if (bytes.empty()) throw EOrvoError("cannot encode " + output);
    WriteFileAtomically(output, std::string(bytes.begin(), bytes.end()));
    return 0;
  }
  WriteWav(output, samples, static_cast<int32_t>(channels), static_cast<int32_t>(rate), static_cast<int32_t>(bits));
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kName);
  try {
    if (args[0] == "info") return Info(args);
    if (args[0] == "decode") return Decode(args);
    if (args[0] == "tone") return Tone(args);
  } catch (const EOrvoError& failure) {
    std::fprintf(stderr, "orvokit sound: %s\n", failure.what());
    return 1;
  }
  return UsageError(kName, "unknown action " + args[0]);
}

const bool kRegistered =
    RegisterCommand({kName,
                     "info FILE | decode FILE -o OUT.wav | tone -o OUT.wav|OUT.ogg [--ms N] [--freq HZ] [--rate HZ] "
                     "[--channels 1|2] [--bits 8|16] [--amplitude A]",
                     "describe a sound file, decode it to 16-bit WAV, or make a test tone", Run});

}  // namespace
}  // namespace orvo::kit
