extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstring>

#include "platform/video_encoder.h"

namespace orvo {

std::vector<uint8_t> EncodeRawVideo(const std::vector<std::vector<uint32_t>>& frames, int32_t width, int32_t height,
                                    int32_t fps) {
  std::vector<uint8_t> out;
  AVFormatContext* format = nullptr;
  if (avformat_alloc_output_context2(&format, nullptr, "nut", nullptr) < 0 || !format) return out;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_RAWVIDEO);
  AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
  AVStream* stream = avformat_new_stream(format, nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  bool ok = context && stream && packet && frame;
  if (ok) {
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_BGRA;
    context->time_base = AVRational{1, fps};
    ok = avcodec_open2(context, codec, nullptr) >= 0 && avcodec_parameters_from_context(stream->codecpar, context) >= 0;
    stream->time_base = context->time_base;
  }
  ok = ok && avio_open_dyn_buf(&format->pb) >= 0 && avformat_write_header(format, nullptr) >= 0;
  frame->format = AV_PIX_FMT_BGRA;
  frame->width = width;
  frame->height = height;
  ok = ok && av_frame_get_buffer(frame, 0) >= 0;
  auto drain = [&] {
    while (ok && avcodec_receive_packet(context, packet) >= 0) {
      av_packet_rescale_ts(packet, context->time_base, stream->time_base);
      packet->stream_index = stream->index;
      ok = av_interleaved_write_frame(format, packet) >= 0;
    }
  };
  for (size_t i = 0; ok && i < frames.size(); ++i) {
    ok = av_frame_make_writable(frame) >= 0;
    for (int32_t y = 0; ok && y < height; ++y) {
      std::memcpy(frame->data[0] + y * frame->linesize[0],
                  frames[i].data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                  static_cast<size_t>(width) * 4);
    }
    frame->pts = static_cast<int64_t>(i);
    ok = ok && avcodec_send_frame(context, frame) >= 0;
    drain();
  }
  if (ok && avcodec_send_frame(context, nullptr) >= 0) drain();
  if (ok) av_write_trailer(format);
  if (format->pb) {
    uint8_t* buffer = nullptr;
    const int size = avio_close_dyn_buf(format->pb, &buffer);
    if (ok && size > 0) out.assign(buffer, buffer + size);
    av_free(buffer);
    format->pb = nullptr;
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  avformat_free_context(format);
  return out;
}

}  // namespace orvo
