// The demo game's sound scene, played headless on the game clock with the
// demo's timed input: the captured sound must match the golden record (one
// line per 100 ms: first frame, FNV-1a of its samples, peaks of both channels).
// ORVO_UPDATE_GOLDEN=1 rewrites the record after an intended change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "base/binary_io.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

std::string Summary(const std::string& wav) {
  std::ostringstream out;
  const auto* p = reinterpret_cast<const uint8_t*>(wav.data()) + 44;
  const size_t frames = (wav.size() - 44) / 4;
  for (size_t start = 0; start < frames; start += 4410) {
    const size_t end = std::min(frames, start + 4410);
    uint64_t hash = 1469598103934665603ull;
    int peak_left = 0, peak_right = 0;
    for (size_t i = start * 4; i < end * 4; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    for (size_t i = start; i < end; ++i) {
      peak_left = std::max(peak_left, std::abs(static_cast<int16_t>(LoadU16(p + 4 * i))));
      peak_right = std::max(peak_right, std::abs(static_cast<int16_t>(LoadU16(p + 4 * i + 2))));
    }
    out << start << '\t' << std::hex << hash << std::dec << '\t' << peak_left << '\t' << peak_right << '\n';
  }
  return out.str();
}

TEST(DemoSound, CapturedSoundMatchesTheGoldenRecord) {
  const std::string kit = BuildDir() + "/bin/orvokit", player = BuildDir() + "/bin/orvoplayer";
  const std::string out = MakeTempDir("demo-sound");
  const std::string game = out + "/game";
  std::string output;
  ASSERT_EQ(RunCommand("bash " + TestDataDir() + "/../demo/build-demo.sh " + kit + " " + game, &output), 0) << output;
  // The background music is left out: FluidSynth's samples differ in their
  // last bits between builds (sanitizers), so the record holds our own mixing.
  ASSERT_EQ(RunCommand("ORVO_SOUNDFONT=/nonexistent " + player + " " + game +
                           " --headless --fixed-step 15 --seed 1 --frames 60 --input " + TestDataDir() +
                           "/stage/golden/demo_input.txt --audio-out " + out + "/demo.wav",
                       &output),
            0)
      << output;
  const std::string wav = ReadFile(out + "/demo.wav");
  ASSERT_EQ(wav.size(), 44u + 60 * 15 * 441 / 10 * 4);
  const std::string summary = Summary(wav);
  const std::string golden_path = TestDataDir() + "/media/golden/demo_audio.txt";
  if (std::getenv("ORVO_UPDATE_GOLDEN")) WriteFile(golden_path, summary);
  EXPECT_EQ(summary, ReadFile(golden_path)) << "capture kept in " << out << "/demo.wav";
}

}  // namespace
}  // namespace orvo::test
