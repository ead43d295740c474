#pragma once
// Sound decoders behind one interface: our own WAV reader (in the media
// subsystem) and the Ogg Vorbis and FFmpeg decoders here. Each one hands out
// interleaved PCM in a fixed output format, 8-bit unsigned or 16-bit signed
// little-endian, at the source's rate and channel count.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvo {

// The bytes of a whole sound file, shared by the decoders that read it.
using TSoundBytes = std::shared_ptr<const std::vector<uint8_t>>;

// What a file holds, as `orvokit sound info` reports it.
struct TSoundInfo {
  std::string format;  // "pcm", "float", "ms-adpcm", "ima-adpcm", "vorbis" or FFmpeg's codec name
  int32_t channels = 0;
  int32_t rate = 0;
  int32_t bits = 0;    // bits per sample as stored; 0 for Vorbis
  int64_t frames = 0;  // decoded frames
};

// The PCM format that Read delivers.
struct TPcmFormat {
  int32_t channels = 2;
  int32_t rate = 44100;
  int32_t bits = 16;  // 8 (unsigned) or 16 (signed)
  int32_t BlockAlign() const { return channels * bits / 8; }
  int64_t ByteRate() const { return static_cast<int64_t>(BlockAlign()) * rate; }
};

class IAudioDecoder {
 public:
  virtual ~IAudioDecoder() = default;
  // The stored format and the decoded length.
  virtual const TSoundInfo& Info() const = 0;
  // The format of what Read writes.
  virtual TPcmFormat Output() const = 0;
  // Decodes up to frames frames into out (Output().BlockAlign() bytes each);
  // returns the number written, 0 at the end.
  virtual size_t Read(uint8_t* out, size_t frames) = 0;
  // Moves to a frame (clamped to the length); false when the stream cannot seek.
  virtual bool Seek(int64_t frame) = 0;
};

// Channel counts beyond this are refused: the mixer keeps at most stereo.
constexpr int32_t kMaxSoundChannels = 8;
// Rates outside these are refused as damage (a lower rate would also make
// resampling stretch a small file into hours of sound).
constexpr int32_t kMinSoundRate = 1000;
constexpr int32_t kMaxSoundRate = 768000;

// An Ogg Vorbis decoder over the bytes; null when they are not Ogg Vorbis.
std::unique_ptr<IAudioDecoder> OpenVorbisDecoder(TSoundBytes bytes);
// Decodes the whole of an Ogg Vorbis file with a bare ov_read loop into
// out; the yardstick that measures the media layer's own overhead. Returns
// the number of bytes decoded (0 when the bytes are not Ogg Vorbis).
size_t DecodeVorbisBare(const TSoundBytes& bytes, std::vector<uint8_t>& out);
// An FFmpeg decoder of the first audio stream (decoded whole into 16-bit);
// null when FFmpeg finds no decodable audio.
std::unique_ptr<IAudioDecoder> OpenFfmpegAudioDecoder(TSoundBytes bytes);

// One decoded picture of a video: 32-bit BGRA rows, top-down.
struct TVideoFrame {
  int64_t start_ms = 0;  // the frame is shown from here until the next one's start
  std::vector<uint32_t> pixels;
};

// The pictures and the sound of a video file, decoded up front.
struct TVideoClip {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<TVideoFrame> frames;
  std::unique_ptr<IAudioDecoder> audio;  // null without a sound track
};

// Decodes a video file through FFmpeg; null when it holds no video stream.
// Pictures beyond max_frames or 512 MB are dropped (a bound for untrusted
// files; it also cuts long videos short, since every picture is kept).
std::unique_ptr<TVideoClip> OpenFfmpegVideo(TSoundBytes bytes, size_t max_frames = 20000);

}  // namespace orvo
