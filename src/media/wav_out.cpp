#include "media/wav_out.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "base/binary_io.h"

namespace orvo {

namespace {

// Source frames are repeated this often to reach 44100 Hz; 0 when the table
// has no row for the format.
int RepeatOf(const TPcmFormat& format) {
  if (format.channels < 1 || format.channels > 2 || (format.bits != 8 && format.bits != 16)) return 0;
  if (format.rate == 44100) return 1;
  if (format.rate == 22050) return 2;
  return 0;
}

}  // namespace

TWavBuffer::TWavBuffer(TWavOut& owner, std::unique_ptr<IAudioDecoder> stream)
    : owner_(owner), stream_(std::move(stream)), format_(stream_->Output()) {
  stream_size_ = stream_->Info().frames * format_.BlockAlign();
}

void TWavBuffer::StartSource() {
  std::lock_guard lock(owner_.mutex_);
  ended_ = false;
  paused_ = false;
  active_ = true;
}

void TWavBuffer::PauseSource() {
  std::lock_guard lock(owner_.mutex_);
  paused_ = true;
  active_ = false;
}

bool TWavBuffer::Active() {
  std::lock_guard lock(owner_.mutex_);
  return active_;
}

bool TWavBuffer::SourceEnded() {
  std::lock_guard lock(owner_.mutex_);
  const uint32_t since = owner_.Now() - last_mix_;
  return ended_ && since > static_cast<uint32_t>(2 * owner_.delay_ms_ + 10);
}

void TWavBuffer::SetSourcePosition(int64_t bytes) {
  std::lock_guard lock(owner_.mutex_);
  const int64_t block = format_.BlockAlign();
  const int64_t frame = std::clamp<int64_t>(bytes, 0, stream_size_) / block;
  stream_->Seek(frame);
  read_position_ = frame * block;
  ended_ = read_position_ >= stream_size_;
}

void TWavBuffer::SetSourceVolume(int32_t volume) {
  std::lock_guard lock(owner_.mutex_);
  volume_ = std::clamp(volume, 0, 256);
}

void TWavBuffer::SetLoop(bool loop, int64_t loop_start_bytes) {
  std::lock_guard lock(owner_.mutex_);
  loop_ = loop;
  loop_start_ = loop_start_bytes;
}

int64_t TWavBuffer::SourcePosition() {
  std::lock_guard lock(owner_.mutex_);
  const uint32_t since = owner_.Now() - last_mix_;
  if (since > static_cast<uint32_t>(2 * owner_.delay_ms_)) return read_position_;
  // bytes(t) = bits × t × channels × rate / 8000, rounded; 64 bits, as a
  // minute of CD-quality sound already passes 32.
  auto bytes = [this](int64_t ms) {
    return static_cast<int64_t>(
        std::nearbyint(static_cast<double>(int64_t{format_.bits} * ms * format_.channels * format_.rate) / 8000.0));
  };
  const int64_t position = read_position_ - bytes(owner_.delay_ms_) + bytes(since);
  return std::clamp<int64_t>(position, 0, stream_size_);
}

size_t TWavBuffer::ReadStream(uint8_t* buffer, size_t bytes) {
  const size_t block = static_cast<size_t>(format_.BlockAlign());
  size_t done = 0;
  bool wrapped_without_data = false;
  while (done < bytes) {
    const size_t got = stream_->Read(buffer + done, (bytes - done) / block) * block;
    if (got > 0) {
      done += got;
      read_position_ += static_cast<int64_t>(got);
      wrapped_without_data = false;
      continue;
    }
    // The end of the stream. A loop start outside the stream counts as 0, and
    // a loop that yields nothing ends the pass instead of spinning.
    if (!loop_ || wrapped_without_data) break;
    wrapped_without_data = true;
    const int64_t start = loop_start_ >= 0 && loop_start_ < stream_size_ ? loop_start_ : 0;
    stream_->Seek(start / static_cast<int64_t>(block));
    read_position_ = start / static_cast<int64_t>(block) * static_cast<int64_t>(block);
  }
  return done;
}

bool TWavBuffer::Mix(int16_t* out, size_t out_frames, uint32_t now) {
  if (stream_size_ <= 0 || ended_ || paused_) return false;
  const int repeat = RepeatOf(format_);
  if (repeat == 0) return false;
  const size_t block = static_cast<size_t>(format_.BlockAlign());
  const size_t source_frames = out_frames / static_cast<size_t>(repeat);
  work_.resize(source_frames * block);
  const size_t got = ReadStream(work_.data(), source_frames * block) / block;
  const bool stereo = format_.channels == 2;
  const bool eight = format_.bits == 8;
  const int32_t volume = volume_;
  const uint8_t* p = work_.data();
  int16_t* o = out;
  for (size_t i = 0; i < got; ++i) {
    int32_t l, r;
    if (eight) {
      l = (p[0] - 128) * 256;
      r = stereo ? (p[1] - 128) * 256 : l;
    } else {
      l = static_cast<int16_t>(LoadU16(p));
      r = stereo ? static_cast<int16_t>(LoadU16(p + 2)) : l;
    }
    p += block;
    if (volume < 255) {
      l = (l * volume) >> 8;
      r = (r * volume) >> 8;
    }
    for (int k = 0; k < repeat; ++k) {
      o[0] = static_cast<int16_t>(std::clamp(o[0] + l, -32768, 32767));
      o[1] = static_cast<int16_t>(std::clamp(o[1] + r, -32768, 32767));
      o += 2;
    }
  }
  // A looping source whose read stopped right at the end has not ended: it
  // goes on from its loop start with the next buffer.
  ended_ = !loop_ && read_position_ >= stream_size_;
  last_mix_ = now;
  return true;
}

TWavOut::TWavOut(int32_t delay_ms, TMillisecondClock clock, bool threaded)
    : delay_ms_(delay_ms),
      buffer_bytes_(static_cast<size_t>(delay_ms) * 176400 / 1000),
      clock_(std::move(clock)),
      threaded_(threaded) {}

TWavOut::~TWavOut() { Close(); }

void TWavOut::Open() {
  {
    std::lock_guard lock(mutex_);
    if (open_) return;
    open_ = true;
    stop_ = false;
    while (pool_.size() < 4) pool_.emplace_back(buffer_bytes_ / 2);
  }
  if (threaded_) thread_ = std::thread(&TWavOut::ThreadMain, this);
}

void TWavOut::Close() {
  {
    std::lock_guard lock(mutex_);
    if (!open_) return;
    stop_ = true;
    queue_.clear();
  }
  stop_signal_.notify_all();
  // The thread takes the lock in Fill: it is joined outside the lock.
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  sources_.clear();
  open_ = false;
}

void TWavOut::ThreadMain() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    if (stop_signal_.wait_for(lock, std::chrono::milliseconds(delay_ms_ / 4), [this] { return stop_; })) break;
    lock.unlock();
    Fill();
    lock.lock();
  }
}

TWavBuffer* TWavOut::AddSource(std::unique_ptr<IAudioDecoder> stream) {
  auto source = std::make_unique<TWavBuffer>(*this, std::move(stream));
  std::lock_guard lock(mutex_);
  sources_.push_back(std::move(source));
  return sources_.back().get();
}

void TWavOut::RemoveSource(TWavBuffer* source) {
  std::lock_guard lock(mutex_);
  sources_.erase(std::remove_if(sources_.begin(), sources_.end(),
                                [source](const std::unique_ptr<TWavBuffer>& s) { return s.get() == source; }),
                 sources_.end());
}

std::vector<int16_t> TWavOut::TakeBlock() {
  if (pool_.empty()) return std::vector<int16_t>(buffer_bytes_ / 2);
  std::vector<int16_t> block = std::move(pool_.back());
  pool_.pop_back();
  return block;
}

void TWavOut::Fill() {
  std::lock_guard lock(mutex_);
  if (!open_) return;
  while (!queue_.empty() && queue_.front().played >= queue_.front().samples.size()) {
    pool_.push_back(std::move(queue_.front().samples));
    queue_.pop_front();
  }
  const uint32_t now = clock_();
  for (int round = 0; round < 2; ++round) {
    const bool any_active =
        std::any_of(sources_.begin(), sources_.end(), [](const std::unique_ptr<TWavBuffer>& s) { return s->active_; });
    if (queue_.size() >= 2 || !any_active) continue;
    std::vector<int16_t> block = TakeBlock();
    std::fill(block.begin(), block.end(), 0);
    bool supplied = false;
    for (const auto& source : sources_) {
      if (source->Mix(block.data(), block.size() / 2, now)) supplied = true;
    }
    if (supplied) {
      queue_.push_back(TQueued{std::move(block), 0});
    } else {
      pool_.push_back(std::move(block));
    }
  }
}

size_t TWavOut::QueuedCount() {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

void TWavOut::MixQueued(int32_t* acc, size_t frames) {
  std::lock_guard lock(mutex_);
  size_t at = 0;
  const size_t wanted = frames * 2;
  for (TQueued& buffer : queue_) {
    if (at >= wanted) break;
    const size_t count = std::min(wanted - at, buffer.samples.size() - buffer.played);
    for (size_t i = 0; i < count; ++i) acc[at + i] += buffer.samples[buffer.played + i];
    buffer.played += count;
    at += count;
  }
}

}  // namespace orvo
