#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "platform/audio_decoder.h"

namespace orvo {

namespace {

// The whole file sits in memory: vorbisfile reads it through these callbacks.
struct TMemoryCursor {
  TSoundBytes bytes;
  size_t position = 0;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source) {
  auto* cursor = static_cast<TMemoryCursor*>(source);
  if (size == 0) return 0;
  const size_t left = cursor->bytes->size() - cursor->position;
  const size_t items = std::min(count, left / size);
  std::memcpy(out, cursor->bytes->data() + cursor->position, items * size);
  cursor->position += items * size;
  return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
  auto* cursor = static_cast<TMemoryCursor*>(source);
  const int64_t size = static_cast<int64_t>(cursor->bytes->size());
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(cursor->position) : size;
  int64_t target = base + offset;
  if (target < 0 || target > size) return -1;
  cursor->position = static_cast<size_t>(target);
  return 0;
}

long TellMemory(void* source) { return static_cast<long>(static_cast<TMemoryCursor*>(source)->position); }

class TVorbisDecoder : public IAudioDecoder {
 public:
  explicit TVorbisDecoder(TSoundBytes bytes) { cursor_.bytes = std::move(bytes); }
  ~TVorbisDecoder() override {
    if (open_) ov_clear(&file_);
  }

  bool Open() {
    ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
    if (ov_open_callbacks(&cursor_, &file_, nullptr, 0, callbacks) != 0) return false;
    open_ = true;
    vorbis_info* info = ov_info(&file_, -1);
    if (!info || info->channels < 1 || info->channels > kMaxSoundChannels || info->rate < kMinSoundRate ||
        info->rate > kMaxSoundRate) {
      return false;
    }
    // Chained streams may change format midway; only the first link's format counts.
    if (ov_streams(&file_) != 1) return false;
    info_.format = "vorbis";
    info_.channels = info->channels;
    info_.rate = static_cast<int32_t>(info->rate);
    info_.bits = 0;
    const ogg_int64_t total = ov_pcm_total(&file_, -1);
    info_.frames = total > 0 ? total : 0;
    return true;
  }

  const TSoundInfo& Info() const override { return info_; }
  TPcmFormat Output() const override { return TPcmFormat{info_.channels, info_.rate, 16}; }

  size_t Read(uint8_t* out, size_t frames) override {
    const size_t block = static_cast<size_t>(info_.channels) * 2;
    size_t done = 0;
    while (done < frames) {
      int section = 0;
      const size_t want = std::min<size_t>((frames - done) * block, 1 << 20);
      long got =
          ov_read(&file_, reinterpret_cast<char*>(out + done * block), static_cast<int>(want), 0, 2, 1, &section);
      if (got == OV_HOLE) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got) / block;
    }
    return done;
  }

  bool Seek(int64_t frame) override {
    frame = std::clamp<int64_t>(frame, 0, info_.frames);
    return ov_pcm_seek(&file_, frame) == 0;
  }

 private:
  TMemoryCursor cursor_;
  OggVorbis_File file_{};
  bool open_ = false;
  TSoundInfo info_;
};

}  // namespace

size_t DecodeVorbisBare(const TSoundBytes& bytes, std::vector<uint8_t>& out) {
  TMemoryCursor cursor{bytes, 0};
  OggVorbis_File file{};
  ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
  if (ov_open_callbacks(&cursor, &file, nullptr, 0, callbacks) != 0) return 0;
  size_t done = 0;
  for (;;) {
    if (out.size() - done < 65536) out.resize(done + 65536 * 4);
    int section = 0;
    long got = ov_read(&file, reinterpret_cast<char*>(out.data() + done), 65536, 0, 2, 1, &section);
    if (got == OV_HOLE) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  ov_clear(&file);
  return done;
}

std::unique_ptr<IAudioDecoder> OpenVorbisDecoder(TSoundBytes bytes) {
  if (!bytes) return nullptr;
  auto decoder = std::make_unique<TVorbisDecoder>(std::move(bytes));
  if (!decoder->Open()) return nullptr;
  return decoder;
}

}  // namespace orvo
