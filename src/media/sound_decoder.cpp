#include "media/sound_decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/binary_io.h"
#include "base/error.h"
#include "media/wav_reader.h"

namespace orvo {

namespace {

// Resamples to 44100 Hz 16-bit: output frame k lies at source position
// k × rate / 44100; between two source frames the value is interpolated
// linearly and rounded down.
class TResampler : public IAudioDecoder {
 public:
  explicit TResampler(std::unique_ptr<IAudioDecoder> source) : source_(std::move(source)) {
    const TPcmFormat in = source_->Output();
    in_channels_ = in.channels;
    in_bits_ = in.bits;
    rate_ = in.rate;
    info_ = source_->Info();
    out_channels_ = std::min(in_channels_, 2);
    frames_ = source_->Info().frames * kMixRate / rate_;
  }

  const TSoundInfo& Info() const override { return info_; }
  TPcmFormat Output() const override { return TPcmFormat{out_channels_, kMixRate, 16}; }

  size_t Read(uint8_t* out, size_t frames) override {
    auto* samples = reinterpret_cast<int16_t*>(out);
    size_t done = 0;
    while (done < frames && position_ < frames_) {
      const int64_t scaled = position_ * rate_;
      const int64_t index = scaled / kMixRate;
      const int64_t remainder = scaled % kMixRate;
      if (!Ensure(index + 1)) {
        if (!Ensure(index)) break;
      }
      const bool has_next = index + 1 < window_start_ + WindowFrames();
      for (int c = 0; c < out_channels_; ++c) {
        const int32_t a = Sample(index, c);
        const int32_t b = has_next ? Sample(index + 1, c) : a;
        // Floor division keeps falling slopes rounding the same way as rising ones.
        const int64_t step = static_cast<int64_t>(b - a) * remainder;
        const int64_t floored = step >= 0 ? step / kMixRate : -((-step + kMixRate - 1) / kMixRate);
        const auto value = static_cast<int16_t>(a + floored);
        samples[done * static_cast<size_t>(out_channels_) + static_cast<size_t>(c)] = value;
      }
      ++position_;
      ++done;
      Discard(index);
    }
    return done;
  }

  bool Seek(int64_t frame) override {
    position_ = std::clamp<int64_t>(frame, 0, frames_);
    const int64_t index = position_ * rate_ / kMixRate;
    window_.clear();
    window_start_ = index;
    return source_->Seek(index);
  }

 private:
  int64_t WindowFrames() const { return static_cast<int64_t>(window_.size()) / in_channels_; }

  int32_t Sample(int64_t frame, int channel) const {
    const size_t at =
        static_cast<size_t>(frame - window_start_) * static_cast<size_t>(in_channels_) + static_cast<size_t>(channel);
    return window_[at];
  }

  // True when source frame index is in the window (reading more as needed).
  bool Ensure(int64_t index) {
    while (index >= window_start_ + WindowFrames()) {
      const size_t block = static_cast<size_t>(in_channels_) * static_cast<size_t>(in_bits_ / 8);
      raw_.resize(1024 * block);
      const size_t got = source_->Read(raw_.data(), 1024);
      if (got == 0) return false;
      for (size_t i = 0; i < got * static_cast<size_t>(in_channels_); ++i) {
        window_.push_back(in_bits_ == 8 ? static_cast<int16_t>((raw_[i] - 128) * 256)
                                        : static_cast<int16_t>(LoadU16(raw_.data() + 2 * i)));
      }
    }
    return index >= window_start_;
  }

  // Drops source frames before index once the window grows large.
  void Discard(int64_t index) {
    const int64_t drop = index - window_start_;
    if (drop < 4096) return;
    window_.erase(window_.begin(), window_.begin() + drop * in_channels_);
    window_start_ += drop;
  }

  std::unique_ptr<IAudioDecoder> source_;
  TSoundInfo info_;
  int in_channels_ = 1;
  int in_bits_ = 16;
  int out_channels_ = 1;
  int64_t rate_ = kMixRate;
  int64_t frames_ = 0;
  int64_t position_ = 0;
  int64_t window_start_ = 0;
  std::vector<int16_t> window_;
  std::vector<uint8_t> raw_;
};

bool StartsWith(const std::vector<uint8_t>& bytes, const char* magic) {
  const size_t n = std::strlen(magic);
  return bytes.size() >= n && std::memcmp(bytes.data(), magic, n) == 0;
}

}  // namespace

std::unique_ptr<IAudioDecoder> OpenSoundDecoder(TSoundBytes bytes) {
  if (!bytes || bytes->empty()) throw EFormatError("Invalid sound data: empty file");
  if (LooksLikeWav(*bytes)) return OpenWavDecoder(std::move(bytes));
  if (StartsWith(*bytes, "OggS")) {
    if (auto decoder = OpenVorbisDecoder(bytes)) return decoder;
  }
  if (auto decoder = OpenFfmpegAudioDecoder(std::move(bytes))) return decoder;
  throw EFormatError("Invalid sound data: no decodable audio");
}

std::unique_ptr<IAudioDecoder> ToVoiceFormat(std::unique_ptr<IAudioDecoder> decoder) {
  const TPcmFormat format = decoder->Output();
  if (format.rate == kMixRate && format.channels <= 2) return decoder;
  return std::make_unique<TResampler>(std::move(decoder));
}

std::unique_ptr<IAudioDecoder> ToWaveTableFormat(std::unique_ptr<IAudioDecoder> decoder) {
  const TPcmFormat format = decoder->Output();
  if ((format.rate == kMixRate || format.rate == kMixRate / 2) && format.channels <= 2) return decoder;
  return std::make_unique<TResampler>(std::move(decoder));
}

}  // namespace orvo
