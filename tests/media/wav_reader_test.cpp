// The WAVE reader on small files made here: every encoding, chunk layouts
// and damaged headers.
#include "media/wav_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/error.h"
#include "media/sound_decoder.h"
#include "media/sound_fixture.h"

namespace orvo {
namespace {

using test::Bytes;
using test::FormatBody;
using test::Le16;
using test::Le32;
using test::RiffWave;

std::string FloatBytes(std::initializer_list<float> values) {
  std::string out;
  for (float v : values) {
    char b[4];
    std::memcpy(b, &v, 4);
    out.append(b, 4);
  }
  return out;
}

std::string DoubleBytes(std::initializer_list<double> values) {
  std::string out;
  for (double v : values) {
    char b[8];
    std::memcpy(b, &v, 8);
    out.append(b, 8);
  }
  return out;
}

// The sub-format GUID of the extensible form: the tag, then the fixed tail.
std::string Extensible(uint16_t valid_bits, uint16_t tag) {
  return Le16(valid_bits) + Le32(3) + Le16(tag) +
         std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
}

std::string MsAdpcmExtra(uint16_t samples_per_block) {
  std::string extra = Le16(samples_per_block) + Le16(7);
  const int coefs[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
  for (const auto& pair : coefs) extra += Le16(pair[0]) + Le16(pair[1]);
  return extra;
}

TEST(WavReader, DecodesEveryEncodingToTheDocumentedSamples) {
  struct TCase {
    const char* name;
    std::string file;
    const char* format;
    int channels, rate, bits;
    std::vector<int16_t> samples;
  };
  const std::string pcm8 = std::string("\x00\x80\xff\x7f", 4);
  const std::string pcm24 = std::string("\x56\x34\x12\xff\xff\x80", 6);
  const std::string pcm32 = std::string("\x78\x56\x34\x12\x00\x00\x00\x80", 8);
  // One MS ADPCM block: predictor 0, delta 16, sample1 100, sample2 50, nibbles 1 and -1.
  const std::string ms_block = std::string("\x00", 1) + Le16(16) + Le16(100) + Le16(50) + "\x1f";
  // One IMA block: first sample 1000, step index 0, nibbles 7 then seven 0s.
  const std::string ima_block = Le16(1000) + std::string("\x00\x00\x07\x00\x00\x00", 6);
  const std::vector<TCase> cases = {
      {"8-bit mono",
       RiffWave({{"fmt ", FormatBody(1, 1, 8000, 1, 8)}, {"data", pcm8}}),
       "pcm",
       1,
       8000,
       8,
       {-32768, 0, 32512, -256}},
      {"16-bit stereo", test::Pcm16Wav({1, -2, 32767, -32768}, 2, 44100), "pcm", 2, 44100, 16, {1, -2, 32767, -32768}},
      {"24-bit keeps the top 16 bits",
       RiffWave({{"fmt ", FormatBody(1, 1, 48000, 3, 24)}, {"data", pcm24}}),
       "pcm",
       1,
       48000,
       24,
       {0x1234, -32513}},
      {"32-bit keeps the top 16 bits",
       RiffWave({{"fmt ", FormatBody(1, 1, 48000, 4, 32)}, {"data", pcm32}}),
       "pcm",
       1,
       48000,
       32,
       {0x1234, -32768}},
      {"float scales, rounds half to even and saturates",
       RiffWave({{"fmt ", FormatBody(3, 1, 44100, 4, 32)},
                 {"data", FloatBytes({0.5f, 1.0f, -1.0f, 1.5f / 32768, 2.5f / 32768, -2.0f})}}),
       "float",
       1,
       44100,
       32,
       {16384, 32767, -32768, 2, 2, -32768}},
      {"64-bit float",
       RiffWave({{"fmt ", FormatBody(3, 1, 44100, 8, 64)}, {"data", DoubleBytes({0.25, -0.25})}}),
       "float",
       1,
       44100,
       64,
       {8192, -8192}},
      {"extensible PCM",
       RiffWave({{"fmt ", FormatBody(0xFFFE, 1, 22050, 2, 16, Extensible(16, 1))}, {"data", Le16(-7) + Le16(9)}}),
       "pcm",
       1,
       22050,
       16,
       {-7, 9}},
      {"extensible float",
       RiffWave({{"fmt ", FormatBody(0xFFFE, 1, 22050, 4, 32, Extensible(32, 3))}, {"data", FloatBytes({0.5f})}}),
       "float",
       1,
       22050,
       32,
       {16384}},
      {"MS ADPCM",
       RiffWave({{"fmt ", FormatBody(2, 1, 22050, 8, 4, MsAdpcmExtra(4))}, {"data", ms_block}}),
       "ms-adpcm",
       1,
       22050,
       4,
       {50, 100, 116, 100}},
      {"IMA ADPCM",
       RiffWave({{"fmt ", FormatBody(0x11, 1, 22050, 8, 4, Le16(9))}, {"data", ima_block}}),
       "ima-adpcm",
       1,
       22050,
       4,
       {1000, 1011, 1013, 1014, 1015, 1016, 1017, 1018, 1019}},
      {"data before fmt, an odd chunk padded between",
       RiffWave({{"data", Le16(5) + Le16(6)}, {"LIST", "odd"}, {"fmt ", FormatBody(1, 1, 44100, 2, 16)}}),
       "pcm",
       1,
       44100,
       16,
       {5, 6}},
      {"a data size past the end is cut to the file",
       RiffWave({{"fmt ", FormatBody(1, 1, 44100, 2, 16)}, {"data", Le16(3) + Le16(4) + "\x01", 1000}}),
       "pcm",
       1,
       44100,
       16,
       {3, 4}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<IAudioDecoder> decoder = OpenWavDecoder(Bytes(c.file));
    EXPECT_EQ(decoder->Info().format, c.format);
    EXPECT_EQ(decoder->Info().channels, c.channels);
    EXPECT_EQ(decoder->Info().rate, c.rate);
    EXPECT_EQ(decoder->Info().bits, c.bits);
    EXPECT_EQ(decoder->Info().frames, static_cast<int64_t>(c.samples.size()) / c.channels);
    EXPECT_EQ(test::DecodeAll(*decoder), c.samples);
    // Seeking back gives the same samples again.
    ASSERT_TRUE(decoder->Seek(0));
    EXPECT_EQ(test::DecodeAll(*decoder), c.samples);
  }
}

TEST(WavReader, PartialAdpcmBlocksDecodeWhatTheyHold) {
  // Two IMA blocks, the second cut after its header: 9 + 1 frames.
  const std::string block = Le16(1000) + std::string("\x00\x00\x07\x00\x00\x00", 6);
  const std::string file =
      RiffWave({{"fmt ", FormatBody(0x11, 1, 22050, 8, 4, Le16(9))}, {"data", block + block.substr(0, 4)}});
  std::unique_ptr<IAudioDecoder> decoder = OpenWavDecoder(Bytes(file));
  EXPECT_EQ(decoder->Info().frames, 10);
}

TEST(WavReader, MsAdpcmStepsGrowWithoutOverflow) {
  // Nibble 7 again and again: the step grows 2.4 times a sample and the
  // prediction of full-scale samples with full-scale coefficients passes 32 bits.
  std::string extra = Le16(202) + Le16(1) + Le16(-32768) + Le16(-32768);
  const std::string block = std::string("\x00", 1) + Le16(16) + Le16(-32768) + Le16(-32768) + std::string(100, '\x77');
  const std::string file = RiffWave({{"fmt ", FormatBody(2, 1, 22050, 107, 4, extra)}, {"data", block}});
  std::unique_ptr<IAudioDecoder> decoder = OpenWavDecoder(Bytes(file));
  const std::vector<int16_t> samples = test::DecodeAll(*decoder);
  ASSERT_EQ(samples.size(), 202u);
  EXPECT_EQ(samples.back(), 32767);
}

TEST(WavReader, RefusesDamagedHeaders) {
  const std::string fmt16 = FormatBody(1, 1, 44100, 2, 16);
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"no fmt", RiffWave({{"data", "abcd"}})},
      {"no data", RiffWave({{"fmt ", fmt16}})},
      {"short fmt", RiffWave({{"fmt ", fmt16.substr(0, 10)}, {"data", "ab"}})},
      {"no channels", RiffWave({{"fmt ", FormatBody(1, 0, 44100, 2, 16)}, {"data", "ab"}})},
      {"too many channels", RiffWave({{"fmt ", FormatBody(1, 9, 44100, 18, 16)}, {"data", "ab"}})},
      {"rate 0", RiffWave({{"fmt ", FormatBody(1, 1, 0, 2, 16)}, {"data", "ab"}})},
      // Found by the fuzzer: 60 Hz resampled to 44100 Hz grew 735 times.
      {"rate below 1000 Hz", RiffWave({{"fmt ", FormatBody(1, 2, 60, 4, 16)}, {"data", "abcdabcd"}})},
      {"12-bit PCM", RiffWave({{"fmt ", FormatBody(1, 1, 44100, 2, 12)}, {"data", "ab"}})},
      {"block align against the sample size", RiffWave({{"fmt ", FormatBody(1, 2, 44100, 2, 16)}, {"data", "ab"}})},
      {"unknown encoding", RiffWave({{"fmt ", FormatBody(0x55, 1, 44100, 2, 16)}, {"data", "ab"}})},
      {"extensible too short", RiffWave({{"fmt ", FormatBody(0xFFFE, 1, 44100, 2, 16, Le16(16))}, {"data", "ab"}})},
      {"MS ADPCM predictor outside the table",
       RiffWave({{"fmt ", FormatBody(2, 1, 22050, 8, 4, MsAdpcmExtra(4))},
                 {"data", std::string("\x09", 1) + Le16(16) + Le16(0) + Le16(0) + "\x00"}})},
      {"MS ADPCM more samples per block than a block holds",
       RiffWave({{"fmt ", FormatBody(2, 1, 22050, 8, 4, MsAdpcmExtra(60))}, {"data", "12345678"}})},
      {"IMA block smaller than its header", RiffWave({{"fmt ", FormatBody(0x11, 2, 22050, 4, 4)}, {"data", "1234"}})},
      {"not RIFF", std::string("RIFX\0\0\0\0WAVE", 12)},
  };
  for (const auto& [name, file] : cases) {
    SCOPED_TRACE(name);
    EXPECT_THROW(OpenWavDecoder(Bytes(file)), EFormatError);
  }
}

TEST(SoundDecoder, ChoosesTheReaderByContentAndRefusesNoise) {
  EXPECT_EQ(OpenSoundDecoder(Bytes(test::Pcm16Wav({1, 2}, 1, 44100)))->Info().format, "pcm");
  EXPECT_THROW(OpenSoundDecoder(Bytes("")), EFormatError);
  EXPECT_THROW(OpenSoundDecoder(Bytes(std::string(300, 'x'))), EFormatError);
  // FFmpeg reads WAVE too: its decoder gives the same samples as ours.
  const std::string file = test::Pcm16Wav({10, -10, 300, -300, 5, 6}, 2, 48000);
  std::unique_ptr<IAudioDecoder> ffmpeg = OpenFfmpegAudioDecoder(Bytes(file));
  ASSERT_TRUE(ffmpeg);
  EXPECT_EQ(ffmpeg->Info().format, "pcm_s16le");
  EXPECT_EQ(ffmpeg->Info().rate, 48000);
  EXPECT_EQ(test::DecodeAll(*ffmpeg), (std::vector<int16_t>{10, -10, 300, -300, 5, 6}));
}

TEST(SoundDecoder, ResamplesOtherRatesToTheMixRate) {
  // 22050 Hz mono becomes 44100 Hz: every second frame lies halfway.
  std::unique_ptr<IAudioDecoder> voice = ToVoiceFormat(OpenWavDecoder(Bytes(test::Pcm16Wav({0, 100, -100}, 1, 22050))));
  EXPECT_EQ(voice->Output().rate, 44100);
  EXPECT_EQ(test::DecodeAll(*voice), (std::vector<int16_t>{0, 50, 100, 0, -100, -100}));
  // 48 kHz: floor(frames × 44100 / 48000) frames come out.
  std::vector<int16_t> ramp(4800);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i);
  std::unique_ptr<IAudioDecoder> fast = ToVoiceFormat(OpenWavDecoder(Bytes(test::Pcm16Wav(ramp, 1, 48000))));
  const std::vector<int16_t> out = test::DecodeAll(*fast);
  ASSERT_EQ(out.size(), 4410u);
  EXPECT_EQ(out[441], 480);  // 441 × 48000 / 44100 = 480 exactly
  EXPECT_EQ(out[1], 1);      // 1.088… rounds down
  // A seek lands where reading would have.
  ASSERT_TRUE(fast->Seek(441));
  std::vector<uint8_t> two(4);
  ASSERT_EQ(fast->Read(two.data(), 2), 2u);
  EXPECT_EQ(two[0] | (two[1] << 8), 480);
  // Table formats of the wave mixer stay as they are.
  EXPECT_EQ(ToWaveTableFormat(OpenWavDecoder(Bytes(test::Pcm8Wav({1, 2}, 2, 22050))))->Output().bits, 8);
  EXPECT_EQ(ToWaveTableFormat(OpenWavDecoder(Bytes(test::Pcm16Wav({1, 2}, 1, 48000))))->Output().rate, 44100);
}

}  // namespace
}  // namespace orvo
