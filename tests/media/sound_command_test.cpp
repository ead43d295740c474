// `orvokit sound info` and `decode` on files made here: the line format, the
// decoded samples and the failures.
#include <gtest/gtest.h>

#include <cstring>

#include "base/binary_io.h"
#include "media/sound_fixture.h"
#include "support/test_support.h"

namespace orvo {
namespace {

std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }

std::string FloatWav(std::initializer_list<float> values) {
  std::string data;
  for (float v : values) {
    char b[4];
    std::memcpy(b, &v, 4);
    data.append(b, 4);
  }
  return test::RiffWave({{"fmt ", test::FormatBody(3, 1, 32000, 4, 32)}, {"data", data}});
}

TEST(SoundCommand, InfoAndDecodeGiveTheDocumentedFormats) {
  struct TCase {
    const char* name;
    std::string file;
    const char* info;
    std::vector<int16_t> decoded;
    int channels;
    int rate;
  };
  const std::string ima_block = test::Le16(1000) + std::string("\x00\x00\x07\x00\x00\x00", 6);
  const std::vector<TCase> cases = {
      {"8-bit stereo",
       test::Pcm8Wav({0, 255, 128, 129}, 2, 22050),
       "pcm\t2\t22050\t8\t2\t0\n",
       {-32768, 32512, 0, 256},
       2,
       22050},
      {"16-bit mono", test::Pcm16Wav(std::vector<int16_t>(44100 + 44, 3), 1, 44100), "pcm\t1\t44100\t16\t44144\t1000\n",
       std::vector<int16_t>(44144, 3), 1, 44100},
      {"float", FloatWav({0.5f, -1.5f, 2.5f / 32768}), "float\t1\t32000\t32\t3\t0\n", {16384, -32768, 2}, 1, 32000},
      {"IMA ADPCM",
       test::RiffWave({{"fmt ", test::FormatBody(0x11, 1, 8000, 8, 4, test::Le16(9))}, {"data", ima_block}}),
       "ima-adpcm\t1\t8000\t4\t9\t1\n",
       {1000, 1011, 1013, 1014, 1015, 1016, 1017, 1018, 1019},
       1,
       8000},
  };
  const std::string dir = test::MakeTempDir("sound-command");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFile(dir + "/in.wav", c.file);
    std::string output;
    ASSERT_EQ(test::RunCommand(Kit() + " sound info " + dir + "/in.wav", &output), 0) << output;
    EXPECT_EQ(output, c.info);
    ASSERT_EQ(test::RunCommand(Kit() + " sound decode " + dir + "/in.wav -o " + dir + "/out.wav", &output), 0)
        << output;
    const std::string out = test::ReadFile(dir + "/out.wav");
    ASSERT_GE(out.size(), 44u);
    const auto* p = reinterpret_cast<const uint8_t*>(out.data());
    // The canonical 44-byte header of 16-bit PCM at the source's rate and channels.
    EXPECT_EQ(out.substr(0, 4), "RIFF");
    EXPECT_EQ(LoadU32(p + 4), out.size() - 8);
    EXPECT_EQ(out.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(LoadU32(p + 16), 16u);
    EXPECT_EQ(LoadU16(p + 20), 1);
    EXPECT_EQ(LoadU16(p + 22), c.channels);
    EXPECT_EQ(LoadU32(p + 24), static_cast<uint32_t>(c.rate));
    EXPECT_EQ(LoadU32(p + 28), static_cast<uint32_t>(c.rate * c.channels * 2));
    EXPECT_EQ(LoadU16(p + 32), c.channels * 2);
    EXPECT_EQ(LoadU16(p + 34), 16);
    EXPECT_EQ(out.substr(36, 4), "data");
    EXPECT_EQ(LoadU32(p + 40), out.size() - 44);
    std::vector<int16_t> samples;
    for (size_t i = 44; i + 1 < out.size(); i += 2) samples.push_back(static_cast<int16_t>(LoadU16(p + i)));
    EXPECT_EQ(samples, c.decoded);
  }
}

TEST(SoundCommand, OggInfoCountsDecodedFrames) {
  const std::string dir = test::MakeTempDir("sound-command-ogg");
  std::string output;
  ASSERT_EQ(test::RunCommand(Kit() + " sound tone -o " + dir + "/t.ogg --ms 250 --rate 22050 --channels 1", &output), 0)
      << output;
  ASSERT_EQ(test::RunCommand(Kit() + " sound info " + dir + "/t.ogg", &output), 0) << output;
  EXPECT_EQ(output, "vorbis\t1\t22050\t0\t5512\t249\n");
}

TEST(SoundCommand, UnreadableFilesFailWithAMessage) {
  const std::string dir = test::MakeTempDir("sound-command-bad");
  test::WriteFile(dir + "/noise.wav", std::string(500, '\x42'));
  test::WriteFile(dir + "/cut.wav", test::Pcm16Wav({1, 2, 3}, 1).substr(0, 30));
  for (const std::string& args :
       {"info " + dir + "/noise.wav", "info " + dir + "/cut.wav", "decode " + dir + "/noise.wav -o " + dir + "/x.wav",
        "info " + dir + "/missing.wav"}) {
    SCOPED_TRACE(args);
    std::string output;
    EXPECT_EQ(test::RunCommand(Kit() + " sound " + args + " 2>&1", &output), 1);
    EXPECT_NE(output.find("orvokit sound: "), std::string::npos) << output;
  }
}

}  // namespace
}  // namespace orvo
