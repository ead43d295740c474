#include "media/wav_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#include "base/binary_io.h"
#include "base/error.h"

namespace orvo {

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagMsAdpcm = 2;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagImaAdpcm = 0x11;
constexpr uint16_t kTagExtensible = 0xFFFE;
// Sound decoded into memory (ADPCM, float, wide PCM) beyond this is refused.
constexpr size_t kMaxDecodedSamples = size_t{256} << 20;

[[noreturn]] void Fail(const char* what) { throw EFormatError(std::string("Invalid WAVE data: ") + what); }

uint16_t U16(const uint8_t* p) { return LoadU16(p); }
int16_t S16(const uint8_t* p) { return static_cast<int16_t>(U16(p)); }
uint32_t U32(const uint8_t* p) { return LoadU32(p); }

struct TFormatChunk {
  uint16_t tag = 0;
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint16_t block_align = 0;
  uint16_t bits = 0;
  std::vector<uint8_t> extra;  // bytes after the 16-byte core (cbSize excluded)
};

int16_t FloatToInt16(double v) {
  if (std::isnan(v)) return 0;
  const double scaled = std::nearbyint(v * 32768.0);
  if (scaled >= 32767.0) return 32767;
  if (scaled <= -32768.0) return -32768;
  return static_cast<int16_t>(scaled);
}

// ---- Microsoft ADPCM
constexpr std::array<int32_t, 16> kMsAdapt = {230, 230, 230, 230, 307, 409, 512, 614,
                                              768, 614, 512, 409, 307, 230, 230, 230};
struct TMsChannel {
  int32_t coef1 = 0, coef2 = 0, delta = 0, sample1 = 0, sample2 = 0;
  int16_t Next(int nibble) {
    const int64_t signed_nibble = nibble >= 8 ? nibble - 16 : nibble;
    // 64 bits and a bounded step: damaged blocks would overflow 32 bits.
    int64_t predicted = (int64_t{sample1} * coef1 + int64_t{sample2} * coef2) >> 8;
    predicted += signed_nibble * delta;
    const int16_t out = static_cast<int16_t>(std::clamp<int64_t>(predicted, -32768, 32767));
    sample2 = sample1;
    sample1 = out;
    delta = static_cast<int32_t>(
        std::clamp<int64_t>((int64_t{kMsAdapt[static_cast<size_t>(nibble)]} * delta) >> 8, 16, 1 << 24));
    return out;
  }
};

// ---- IMA ADPCM
constexpr std::array<int32_t, 89> kImaSteps = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr std::array<int32_t, 16> kImaIndex = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct TImaChannel {
  int32_t predictor = 0, index = 0;
  int16_t Next(int nibble) {
    const int32_t step = kImaSteps[static_cast<size_t>(index)];
    int32_t diff = step >> 3;
    if (nibble & 1) diff += step >> 2;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 4) diff += step;
    if (nibble & 8) diff = -diff;
    predictor = std::clamp(predictor + diff, -32768, 32767);
    index = std::clamp(index + kImaIndex[static_cast<size_t>(nibble)], 0, 88);
    return static_cast<int16_t>(predictor);
  }
};

// Samples per block a block of that many bytes yields.
int64_t MsBlockFrames(size_t bytes, int channels) {
  const size_t header = 7 * static_cast<size_t>(channels);
  if (bytes < header) return 0;
  return 2 + static_cast<int64_t>((bytes - header) * 2 / static_cast<size_t>(channels));
}

int64_t ImaBlockFrames(size_t bytes, int channels) {
  const size_t header = 4 * static_cast<size_t>(channels);
  if (bytes < header) return 0;
  return 1 + static_cast<int64_t>((bytes - header) / header) * 8;
}

class TWavDecoder : public IAudioDecoder {
 public:
  TWavDecoder(TSoundBytes bytes, TSoundInfo info, TPcmFormat output, size_t data_offset, size_t data_size)
      : bytes_(std::move(bytes)), info_(std::move(info)), output_(output), data_offset_(data_offset) {
    info_.frames = static_cast<int64_t>(data_size / static_cast<size_t>(output_.BlockAlign()));
  }
  TWavDecoder(TSoundBytes bytes, TSoundInfo info, std::vector<int16_t> decoded)
      : bytes_(std::move(bytes)), info_(std::move(info)), decoded_(std::move(decoded)) {
    output_ = TPcmFormat{info_.channels, info_.rate, 16};
    info_.frames = static_cast<int64_t>(decoded_.size() / static_cast<size_t>(info_.channels));
    from_decoded_ = true;
  }

  const TSoundInfo& Info() const override { return info_; }
  TPcmFormat Output() const override { return output_; }

  size_t Read(uint8_t* out, size_t frames) override {
    const size_t count = std::min<size_t>(frames, static_cast<size_t>(info_.frames - position_));
    const size_t block = static_cast<size_t>(output_.BlockAlign());
    const uint8_t* from =
        from_decoded_ ? reinterpret_cast<const uint8_t*>(decoded_.data()) : bytes_->data() + data_offset_;
    std::memcpy(out, from + static_cast<size_t>(position_) * block, count * block);
    position_ += static_cast<int64_t>(count);
    return count;
  }

  bool Seek(int64_t frame) override {
    position_ = std::clamp<int64_t>(frame, 0, info_.frames);
    return true;
  }

 private:
  TSoundBytes bytes_;
  TSoundInfo info_;
  TPcmFormat output_;
  size_t data_offset_ = 0;
  std::vector<int16_t> decoded_;
  bool from_decoded_ = false;
  int64_t position_ = 0;
};

std::vector<int16_t> DecodeMsAdpcm(const TFormatChunk& fmt, const uint8_t* data, size_t size) {
  const int channels = fmt.channels;
  if (channels > 2) Fail("MS ADPCM with more than two channels");
  if (fmt.extra.size() < 4) Fail("MS ADPCM format without coefficients");
  const size_t per_block = U16(fmt.extra.data());
  const size_t coef_count = U16(fmt.extra.data() + 2);
  if (coef_count < 1 || coef_count > 256 || fmt.extra.size() < 4 + coef_count * 4) Fail("MS ADPCM coefficients");
  std::vector<std::array<int32_t, 2>> coefs(coef_count);
  for (size_t i = 0; i < coef_count; ++i) {
    coefs[i] = {S16(fmt.extra.data() + 4 + i * 4), S16(fmt.extra.data() + 6 + i * 4)};
  }
  const size_t block_align = fmt.block_align;
  if (block_align < 7u * static_cast<size_t>(channels)) Fail("MS ADPCM block too small");
  if (per_block < 2 || static_cast<int64_t>(per_block) > MsBlockFrames(block_align, channels)) {
    Fail("MS ADPCM samples per block");
  }
  std::vector<int16_t> out;
  for (size_t offset = 0; offset < size; offset += block_align) {
    const size_t bytes = std::min(block_align, size - offset);
    const int64_t frames = std::min<int64_t>(MsBlockFrames(bytes, channels), static_cast<int64_t>(per_block));
    if (frames <= 0) break;
    if (out.size() + static_cast<size_t>(frames) * static_cast<size_t>(channels) > kMaxDecodedSamples) {
      Fail("sound too long");
    }
    const uint8_t* p = data + offset;
    std::array<TMsChannel, 2> state{};
    for (int c = 0; c < channels; ++c) {
      const size_t predictor = p[c];
      if (predictor >= coefs.size()) Fail("MS ADPCM predictor");
      state[c].coef1 = coefs[predictor][0];
      state[c].coef2 = coefs[predictor][1];
      state[c].delta = S16(p + channels + 2 * c);
      state[c].sample1 = S16(p + 3 * channels + 2 * c);
      state[c].sample2 = S16(p + 5 * channels + 2 * c);
    }
    for (int c = 0; c < channels; ++c) out.push_back(static_cast<int16_t>(state[c].sample2));
    for (int c = 0; c < channels; ++c) out.push_back(static_cast<int16_t>(state[c].sample1));
    const uint8_t* nibbles = p + 7 * channels;
    const int64_t samples = (frames - 2) * channels;
    for (int64_t i = 0; i < samples; ++i) {
      const uint8_t byte = nibbles[i / 2];
      const int nibble = (i & 1) ? (byte & 15) : (byte >> 4);
      out.push_back(state[static_cast<size_t>(i % channels)].Next(nibble));
    }
  }
  return out;
}

std::vector<int16_t> DecodeImaAdpcm(const TFormatChunk& fmt, const uint8_t* data, size_t size) {
  const int channels = fmt.channels;
  const size_t block_align = fmt.block_align;
  const size_t header = 4u * static_cast<size_t>(channels);
  if (block_align < header) Fail("IMA ADPCM block too small");
  if (fmt.bits != 4) Fail("IMA ADPCM other than 4 bits");
  int64_t per_block = ImaBlockFrames(block_align, channels);
  if (fmt.extra.size() >= 2 && U16(fmt.extra.data()) > 0)
    per_block = std::min<int64_t>(per_block, U16(fmt.extra.data()));
  std::vector<int16_t> out;
  std::vector<int16_t> block_samples;
  for (size_t offset = 0; offset < size; offset += block_align) {
    const size_t bytes = std::min(block_align, size - offset);
    const int64_t frames = std::min(ImaBlockFrames(bytes, channels), per_block);
    if (frames <= 0) break;
    if (out.size() + static_cast<size_t>(frames) * static_cast<size_t>(channels) > kMaxDecodedSamples) {
      Fail("sound too long");
    }
    const uint8_t* p = data + offset;
    std::array<TImaChannel, kMaxSoundChannels> state{};
    block_samples.assign(static_cast<size_t>(frames) * static_cast<size_t>(channels), 0);
    for (int c = 0; c < channels; ++c) {
      state[c].predictor = S16(p + 4 * c);
      state[c].index = std::min<int32_t>(p[4 * c + 2], 88);
      block_samples[static_cast<size_t>(c)] = static_cast<int16_t>(state[c].predictor);
    }
    // After the headers, each channel has 4 bytes (8 samples) in turn.
    const int64_t groups = (frames - 1) / 8;
    for (int64_t g = 0; g < groups; ++g) {
      for (int c = 0; c < channels; ++c) {
        const uint8_t* chunk = p + header + static_cast<size_t>(g) * header + 4 * static_cast<size_t>(c);
        for (int k = 0; k < 8; ++k) {
          const int nibble = (k & 1) ? (chunk[k / 2] >> 4) : (chunk[k / 2] & 15);
          const size_t frame = 1 + static_cast<size_t>(g) * 8 + static_cast<size_t>(k);
          block_samples[frame * static_cast<size_t>(channels) + static_cast<size_t>(c)] = state[c].Next(nibble);
        }
      }
    }
    out.insert(out.end(), block_samples.begin(), block_samples.end());
  }
  return out;
}

}  // namespace

bool LooksLikeWav(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
         std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
}

std::unique_ptr<IAudioDecoder> OpenWavDecoder(TSoundBytes bytes) {
  if (!bytes || !LooksLikeWav(*bytes)) Fail("no RIFF WAVE header");
  const uint8_t* file = bytes->data();
  // The RIFF size may be wrong either way; the chunks run to the file's end.
  const size_t end = bytes->size();
  size_t offset = 12;
  std::optional<TFormatChunk> fmt;
  size_t data_offset = 0, data_size = 0;
  bool have_data = false;
  while (offset + 8 <= end) {
    const uint8_t* id = file + offset;
    const size_t declared = U32(file + offset + 4);
    const size_t body = offset + 8;
    const size_t size = std::min(declared, end - body);
    if (std::memcmp(id, "fmt ", 4) == 0 && !fmt) {
      if (size < 16) Fail("format chunk too short");
      TFormatChunk chunk;
      const uint8_t* f = file + body;
      chunk.tag = U16(f);
      chunk.channels = U16(f + 2);
      chunk.rate = U32(f + 4);
      chunk.block_align = U16(f + 12);
      chunk.bits = U16(f + 14);
      if (size >= 18) {
        const size_t extra = std::min<size_t>(U16(f + 16), size - 18);
        chunk.extra.assign(f + 18, f + 18 + extra);
      }
      fmt = std::move(chunk);
    } else if (std::memcmp(id, "data", 4) == 0 && !have_data) {
      data_offset = body;
      data_size = size;
      have_data = true;
    }
    if (declared > end - body) break;
    offset = body + declared + (declared & 1);
  }
  if (!fmt) Fail("no format chunk");
  if (!have_data) Fail("no data chunk");
  TFormatChunk& f = *fmt;
  uint16_t tag = f.tag;
  if (tag == kTagExtensible) {
    // Valid bits (2), channel mask (4), then the sub-format GUID whose first two bytes are the tag.
    if (f.extra.size() < 22) Fail("extensible format too short");
    tag = U16(f.extra.data() + 6);
  }
  if (f.channels < 1 || f.channels > kMaxSoundChannels) Fail("channel count");
  if (f.rate < static_cast<uint32_t>(kMinSoundRate) || f.rate > static_cast<uint32_t>(kMaxSoundRate)) {
    Fail("sample rate");
  }
  if (f.block_align == 0) Fail("block align");
  TSoundInfo info;
  info.channels = f.channels;
  info.rate = static_cast<int32_t>(f.rate);
  info.bits = f.bits;
  const uint8_t* data = file + data_offset;
  const size_t channels = f.channels;
  switch (tag) {
    case kTagPcm: {
      info.format = "pcm";
      if (f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32) Fail("PCM sample size");
      const size_t width = f.bits / 8u;
      if (f.block_align != width * channels) Fail("PCM block align");
      if (f.bits <= 16) {
        TPcmFormat output{f.channels, info.rate, f.bits};
        return std::make_unique<TWavDecoder>(bytes, info, output, data_offset, data_size);
      }
      const size_t samples = data_size / f.block_align * channels;
      if (samples > kMaxDecodedSamples) Fail("sound too long");
      std::vector<int16_t> decoded(samples);
      for (size_t i = 0; i < samples; ++i) decoded[i] = S16(data + i * width + width - 2);
      return std::make_unique<TWavDecoder>(bytes, info, std::move(decoded));
    }
    case kTagFloat: {
      info.format = "float";
      if (f.bits != 32 && f.bits != 64) Fail("float sample size");
      const size_t width = f.bits / 8u;
      if (f.block_align != width * channels) Fail("float block align");
      const size_t samples = data_size / f.block_align * channels;
      if (samples > kMaxDecodedSamples) Fail("sound too long");
      std::vector<int16_t> decoded(samples);
      for (size_t i = 0; i < samples; ++i) {
        double v;
        if (width == 4) {
          float x;
          std::memcpy(&x, data + i * 4, 4);
          v = x;
        } else {
          std::memcpy(&v, data + i * 8, 8);
        }
        decoded[i] = FloatToInt16(v);
      }
      return std::make_unique<TWavDecoder>(bytes, info, std::move(decoded));
    }
    case kTagMsAdpcm:
      info.format = "ms-adpcm";
      return std::make_unique<TWavDecoder>(bytes, info, DecodeMsAdpcm(f, data, data_size));
    case kTagImaAdpcm:
      info.format = "ima-adpcm";
      return std::make_unique<TWavDecoder>(bytes, info, DecodeImaAdpcm(f, data, data_size));
    default:
      Fail("unsupported encoding");
  }
}

}  // namespace orvo
