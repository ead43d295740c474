#include "media/audio_output.h"

#include <algorithm>
#include <vector>

#include "base/binary_io.h"

namespace orvo {

std::string CanonicalWavHeader(int64_t frames, int32_t channels, int32_t rate) {
  const uint32_t block = static_cast<uint32_t>(channels) * 2;
  const uint64_t data = std::min<uint64_t>(static_cast<uint64_t>(frames) * block, 0xFFFFFFFFu - 36);
  uint8_t h[44];
  std::copy_n("RIFF", 4, h);
  StoreU32(h + 4, static_cast<uint32_t>(data + 36));
  std::copy_n("WAVEfmt ", 8, h + 8);
  StoreU32(h + 16, 16);
  StoreU16(h + 20, 1);
  StoreU16(h + 22, static_cast<uint16_t>(channels));
  StoreU32(h + 24, static_cast<uint32_t>(rate));
  StoreU32(h + 28, static_cast<uint32_t>(rate) * block);
  StoreU16(h + 32, static_cast<uint16_t>(block));
  StoreU16(h + 34, 16);
  std::copy_n("data", 4, h + 36);
  StoreU32(h + 40, static_cast<uint32_t>(data));
  return std::string(reinterpret_cast<const char*>(h), 44);
}

TWavFileWriter::~TWavFileWriter() { Finish(); }

bool TWavFileWriter::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return false;
  const std::string header = CanonicalWavHeader(0);
  std::fwrite(header.data(), 1, header.size(), file_);
  std::fflush(file_);
  return true;
}

void TWavFileWriter::Append(const int16_t* samples, size_t frames) {
  if (!file_) return;
  // Little-endian on disk whatever the host.
  std::vector<uint8_t> bytes(frames * 4);
  for (size_t i = 0; i < frames * 2; ++i) StoreU16(bytes.data() + 2 * i, static_cast<uint16_t>(samples[i]));
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  frames_ += static_cast<int64_t>(frames);
}

void TWavFileWriter::Finish() {
  if (!file_) return;
  const std::string header = CanonicalWavHeader(frames_);
  std::fseek(file_, 0, SEEK_SET);
  std::fwrite(header.data(), 1, header.size(), file_);
  std::fclose(file_);
  file_ = nullptr;
}

TAudioOutput::~TAudioOutput() { Stop(); }

bool TAudioOutput::StartDevice(std::unique_ptr<IAudioDevice> device) {
  if (!device) return false;
  TAudioEngine* engine = &engine_;
  if (!device->Start([engine](int16_t* out, size_t frames) { engine->Render(out, frames); })) return false;
  device_ = std::move(device);
  game_clock_ = false;
  return true;
}

bool TAudioOutput::StartGameClock(const std::string& path) {
  game_clock_ = true;
  if (path.empty()) return true;
  writing_ = writer_.Open(path);
  return writing_;
}

void TAudioOutput::AdvanceTo(int32_t total_elapsed) {
  if (!game_clock_) return;
  // Frames floor(T × 44.1) up to the step at T; 64 bits against long runs.
  const int64_t target = static_cast<int64_t>(static_cast<uint32_t>(total_elapsed)) * 441 / 10;
  while (rendered_frames_ < target) {
    int64_t limit = target;
    if (ticker_) {
      // The frame of a tick instant m is m × 44.1, whole for multiples of 10 ms.
      int64_t tick_frame = next_tick_ms_ * 441 / 10;
      while (tick_frame <= rendered_frames_) {
        ticker_(static_cast<int32_t>(next_tick_ms_));
        next_tick_ms_ += tick_interval_;
        tick_frame = next_tick_ms_ * 441 / 10;
      }
      limit = std::min(limit, tick_frame);
    }
    const size_t count = static_cast<size_t>(std::min<int64_t>(limit - rendered_frames_, 4096));
    scratch_.resize(count * 2);
    engine_.Render(scratch_.data(), count);
    if (writing_) writer_.Append(scratch_.data(), count);
    rendered_frames_ += static_cast<int64_t>(count);
  }
}

void TAudioOutput::SetTicker(std::function<void(int32_t ms)> ticker, int32_t interval_ms) {
  ticker_ = std::move(ticker);
  tick_interval_ = interval_ms > 0 ? interval_ms : 10;
  // Ticks start at the next instant not yet rendered.
  const int64_t rendered_ms = (rendered_frames_ * 10 + 440) / 441;
  next_tick_ms_ = (rendered_ms + tick_interval_ - 1) / tick_interval_ * tick_interval_;
}

void TAudioOutput::Stop() {
  if (device_) {
    device_->Stop();
    device_.reset();
  }
  if (writing_) writer_.Finish();
  writing_ = false;
}

}  // namespace orvo
