#include "platform/audio_encoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace orvo {

std::vector<uint8_t> EncodeVorbis(const int16_t* samples, size_t frames, int32_t channels, int32_t rate,
                                  float quality) {
  std::vector<uint8_t> out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  // A fixed serial number keeps generated files identical from run to run.
  ogg_stream_init(&stream, 0x4f72766f);
  auto append_page = [&out](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) append_page(page);

  size_t done = 0;
  bool finished = false;
  while (!finished) {
    const size_t count = std::min<size_t>(frames - done, 1024);
    if (count == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (size_t i = 0; i < count; ++i) {
        for (int32_t c = 0; c < channels; ++c) {
          buffer[c][i] = samples[(done + i) * static_cast<size_t>(channels) + static_cast<size_t>(c)] / 32768.0f;
        }
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(count));
      done += count;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          append_page(page);
          if (ogg_page_eos(&page)) finished = true;
        }
      }
    }
    if (count == 0) finished = true;
  }
  while (ogg_stream_flush(&stream, &page) != 0) append_page(page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace orvo
