extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

#include "platform/audio_decoder.h"

namespace orvo {

namespace {

// Decoded sound beyond this many bytes is refused: a 10-minute stereo file
// at 48 kHz is about 115 MB, so a bound well above that stops damaged headers
// from eating memory.
constexpr size_t kMaxDecodedBytes = size_t{512} << 20;

struct TMemoryCursor {
  TSoundBytes bytes;
  int64_t position = 0;
};

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
  auto* cursor = static_cast<TMemoryCursor*>(opaque);
  const int64_t left = static_cast<int64_t>(cursor->bytes->size()) - cursor->position;
  if (left <= 0) return AVERROR_EOF;
  const int count = static_cast<int>(std::min<int64_t>(left, size));
  std::memcpy(buffer, cursor->bytes->data() + cursor->position, static_cast<size_t>(count));
  cursor->position += count;
  return count;
}

int64_t SeekPacket(void* opaque, int64_t offset, int whence) {
  auto* cursor = static_cast<TMemoryCursor*>(opaque);
  const int64_t size = static_cast<int64_t>(cursor->bytes->size());
  if (whence == AVSEEK_SIZE) return size;
  int64_t base = (whence & 3) == SEEK_CUR ? cursor->position : (whence & 3) == SEEK_END ? size : 0;
  int64_t target = base + offset;
  if (target < 0 || target > size) return -1;
  cursor->position = target;
  return target;
}

// One opened container over memory; frees everything it made.
class TContainer {
 public:
  explicit TContainer(TSoundBytes bytes) { cursor_.bytes = std::move(bytes); }
  ~TContainer() {
    avcodec_free_context(&audio_codec);
    avcodec_free_context(&video_codec);
    if (format) avformat_close_input(&format);
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
  TContainer(const TContainer&) = delete;
  TContainer& operator=(const TContainer&) = delete;

  bool Open() {
    if (!cursor_.bytes || cursor_.bytes->empty()) return false;
    constexpr int kBufferSize = 32768;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kBufferSize));
    if (!buffer) return false;
    io = avio_alloc_context(buffer, kBufferSize, 0, &cursor_, ReadPacket, nullptr, SeekPacket);
    if (!io) {
      av_free(buffer);
      return false;
    }
    format = avformat_alloc_context();
    if (!format) return false;
    format->pb = io;
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (avformat_open_input(&format, nullptr, nullptr, nullptr) < 0) {
      format = nullptr;  // freed by the failed open
      return false;
    }
    if (avformat_find_stream_info(format, nullptr) < 0) return false;
    audio_stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    video_stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (audio_stream >= 0) audio_codec = OpenCodec(audio_stream);
    if (video_stream >= 0) video_codec = OpenCodec(video_stream);
    return true;
  }

  AVCodecContext* OpenCodec(int stream) {
    const AVCodecParameters* parameters = format->streams[stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec) return nullptr;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context) return nullptr;
    context->thread_count = 1;
    if (avcodec_parameters_to_context(context, parameters) < 0 || avcodec_open2(context, codec, nullptr) < 0) {
      avcodec_free_context(&context);
      return nullptr;
    }
    return context;
  }

  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  int audio_stream = -1;
  int video_stream = -1;
  AVCodecContext* audio_codec = nullptr;
  AVCodecContext* video_codec = nullptr;

 private:
  TMemoryCursor cursor_;
};

// Sound decoded whole into 16-bit interleaved frames at the source's rate.
class TDecodedAudio : public IAudioDecoder {
 public:
  TDecodedAudio(TSoundInfo info, std::vector<int16_t> samples) : info_(std::move(info)), samples_(std::move(samples)) {
    info_.frames = static_cast<int64_t>(samples_.size() / static_cast<size_t>(info_.channels));
  }
  const TSoundInfo& Info() const override { return info_; }
  TPcmFormat Output() const override { return TPcmFormat{info_.channels, info_.rate, 16}; }
  size_t Read(uint8_t* out, size_t frames) override {
    const size_t count = std::min<size_t>(frames, static_cast<size_t>(info_.frames - position_));
    const size_t channels = static_cast<size_t>(info_.channels);
    std::memcpy(out, samples_.data() + static_cast<size_t>(position_) * channels, count * channels * 2);
    position_ += static_cast<int64_t>(count);
    return count;
  }
  bool Seek(int64_t frame) override {
    position_ = std::clamp<int64_t>(frame, 0, info_.frames);
    return true;
  }

 private:
  TSoundInfo info_;
  std::vector<int16_t> samples_;
  int64_t position_ = 0;
};

class TAudioCollector {
 public:
  TAudioCollector(AVCodecContext* codec) : codec_(codec) {}
  ~TAudioCollector() { swr_free(&resampler_); }
  TAudioCollector(const TAudioCollector&) = delete;
  TAudioCollector& operator=(const TAudioCollector&) = delete;

  bool Setup() {
    channels_ = codec_->ch_layout.nb_channels;
    if (channels_ < 1 || channels_ > kMaxSoundChannels || codec_->sample_rate < kMinSoundRate ||
        codec_->sample_rate > kMaxSoundRate) {
      return false;
    }
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels_);
    AVChannelLayout in_layout;
    if (av_channel_layout_copy(&in_layout, &codec_->ch_layout) < 0) return false;
    if (in_layout.order == AV_CHANNEL_ORDER_UNSPEC) av_channel_layout_default(&in_layout, channels_);
    int result = swr_alloc_set_opts2(&resampler_, &layout, AV_SAMPLE_FMT_S16, codec_->sample_rate, &in_layout,
                                     codec_->sample_fmt, codec_->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in_layout);
    av_channel_layout_uninit(&layout);
    return result >= 0 && swr_init(resampler_) >= 0;
  }

  // Converts one decoded frame; false when the bound is passed.
  bool Add(const AVFrame* frame) {
    if (frame->nb_samples <= 0) return true;
    const size_t base = samples.size();
    const size_t count = static_cast<size_t>(frame->nb_samples) + 64;
    if ((base + count * static_cast<size_t>(channels_)) * 2 > kMaxDecodedBytes) return false;
    samples.resize(base + count * static_cast<size_t>(channels_));
    uint8_t* out = reinterpret_cast<uint8_t*>(samples.data() + base);
    int got = swr_convert(resampler_, &out, static_cast<int>(count), const_cast<const uint8_t**>(frame->extended_data),
                          frame->nb_samples);
    samples.resize(base + static_cast<size_t>(std::max(got, 0)) * static_cast<size_t>(channels_));
    return got >= 0;
  }

  int Channels() const { return channels_; }
  std::vector<int16_t> samples;

 private:
  AVCodecContext* codec_;
  SwrContext* resampler_ = nullptr;
  int channels_ = 0;
};

class TVideoCollector {
 public:
  TVideoCollector(AVRational time_base, size_t max_frames) : time_base_(time_base), max_frames_(max_frames) {}
  ~TVideoCollector() { sws_freeContext(scaler_); }
  TVideoCollector(const TVideoCollector&) = delete;
  TVideoCollector& operator=(const TVideoCollector&) = delete;

  bool Add(const AVFrame* frame, TVideoClip& clip) {
    if (frame->width <= 0 || frame->height <= 0 || frame->width > 8192 || frame->height > 8192) return false;
    if (clip.width == 0) {
      clip.width = frame->width;
      clip.height = frame->height;
    }
    // Pictures are kept decoded: past the bound the rest of a long video is dropped.
    const size_t picture_bytes = static_cast<size_t>(clip.width) * static_cast<size_t>(clip.height) * 4;
    if (clip.frames.size() >= max_frames_ || (clip.frames.size() + 1) * picture_bytes > kMaxDecodedBytes) return true;
    if (frame->width != clip.width || frame->height != clip.height) return true;
    scaler_ = sws_getCachedContext(scaler_, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                   clip.width, clip.height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
    if (!scaler_) return false;
    TVideoFrame picture;
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) pts = 0;
    picture.start_ms = av_rescale_q(pts, time_base_, AVRational{1, 1000});
    picture.pixels.resize(static_cast<size_t>(clip.width) * static_cast<size_t>(clip.height));
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(picture.pixels.data()), nullptr, nullptr, nullptr};
    int strides[4] = {clip.width * 4, 0, 0, 0};
    sws_scale(scaler_, frame->data, frame->linesize, 0, frame->height, planes, strides);
    clip.frames.push_back(std::move(picture));
    return true;
  }

 private:
  AVRational time_base_;
  size_t max_frames_;
  SwsContext* scaler_ = nullptr;
};

TSoundInfo AudioInfo(const TContainer& container) {
  const AVCodecParameters* parameters = container.format->streams[container.audio_stream]->codecpar;
  TSoundInfo info;
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(parameters->codec_id);
  info.format = descriptor ? descriptor->name : "unknown";
  info.channels = container.audio_codec->ch_layout.nb_channels;
  info.rate = container.audio_codec->sample_rate;
  info.bits = parameters->bits_per_coded_sample;
  return info;
}

// Feeds every packet of the chosen streams through their decoders.
template <class OnAudio, class OnVideo>
bool DecodeAll(TContainer& container, OnAudio on_audio, OnVideo on_video) {
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  bool ok = packet && frame;
  auto drain = [&](AVCodecContext* codec, bool audio) {
    while (ok) {
      int result = avcodec_receive_frame(codec, frame);
      if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
      if (result < 0) return;  // a damaged frame is skipped
      ok = audio ? on_audio(frame) : on_video(frame);
      av_frame_unref(frame);
    }
  };
  while (ok && av_read_frame(container.format, packet) >= 0) {
    AVCodecContext* codec = nullptr;
    bool audio = false;
    if (packet->stream_index == container.audio_stream && container.audio_codec) {
      codec = container.audio_codec;
      audio = true;
    } else if (packet->stream_index == container.video_stream && container.video_codec) {
      codec = container.video_codec;
    }
    if (codec && avcodec_send_packet(codec, packet) >= 0) drain(codec, audio);
    av_packet_unref(packet);
  }
  for (AVCodecContext* codec : {container.audio_codec, container.video_codec}) {
    if (codec && ok && avcodec_send_packet(codec, nullptr) >= 0) drain(codec, codec == container.audio_codec);
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  return ok;
}

}  // namespace

std::unique_ptr<IAudioDecoder> OpenFfmpegAudioDecoder(TSoundBytes bytes) {
  av_log_set_level(AV_LOG_QUIET);
  TContainer container(std::move(bytes));
  if (!container.Open() || !container.audio_codec) return nullptr;
  TAudioCollector collector(container.audio_codec);
  if (!collector.Setup()) return nullptr;
  avcodec_free_context(&container.video_codec);
  if (!DecodeAll(
          container, [&](const AVFrame* frame) { return collector.Add(frame); }, [](const AVFrame*) { return true; })) {
    return nullptr;
  }
  return std::make_unique<TDecodedAudio>(AudioInfo(container), std::move(collector.samples));
}

std::unique_ptr<TVideoClip> OpenFfmpegVideo(TSoundBytes bytes, size_t max_frames) {
  av_log_set_level(AV_LOG_QUIET);
  TContainer container(std::move(bytes));
  if (!container.Open() || !container.video_codec) return nullptr;
  auto clip = std::make_unique<TVideoClip>();
  std::unique_ptr<TAudioCollector> audio;
  if (container.audio_codec) {
    audio = std::make_unique<TAudioCollector>(container.audio_codec);
    if (!audio->Setup()) {
      audio.reset();
      avcodec_free_context(&container.audio_codec);
    }
  }
  TVideoCollector video(container.format->streams[container.video_stream]->time_base, max_frames);
  if (!DecodeAll(
          container, [&](const AVFrame* frame) { return audio->Add(frame); },
          [&](const AVFrame* frame) { return video.Add(frame, *clip); })) {
    return nullptr;
  }
  if (clip->frames.empty()) return nullptr;
  std::stable_sort(clip->frames.begin(), clip->frames.end(),
                   [](const TVideoFrame& a, const TVideoFrame& b) { return a.start_ms < b.start_ms; });
  if (audio) clip->audio = std::make_unique<TDecodedAudio>(AudioInfo(container), std::move(audio->samples));
  return clip;
}

}  // namespace orvo
