// MIDI music in whole games run headless on the game clock with
// --audio-out: the sequencer ticks during rendering and FluidSynth's sound
// lands in the capture.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "base/binary_io.h"
#include "media/midi_writer.h"
#include "platform/midi_out.h"
#include "support/test_support.h"

namespace orvo {
namespace {

std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }
std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }

// An organ chord held for twenty seconds: its level only moves with the volume.
std::string HeldChord() {
  TSmfWriter w(0, 480);
  w.BeginTrack();
  w.Raw(0, {0xC0, 19});
  for (uint8_t note : {60, 64, 67}) w.Raw(0, {0x90, note, 100});
  w.Raw(480 * 40, {0x80, 60, 0});
  w.EndTrack();
  return w.Bytes();
}

// The left channel of the capture of a game with the chord as "m.mid".
std::vector<int16_t> RunGame(const std::string& name, const std::string& start, int frames) {
  const std::string root = test::MakeTempDir("midi-" + name);
  std::filesystem::create_directories(root + "/src");
  test::WriteFile(root + "/src/settings.ini",
                  "[project]\ntitle = " + name + "\nwidth = 32\nheight = 24\nstart_page = start.osb\nexit_page =\n");
  test::WriteFile(root + "/src/start.src", start);
  test::WriteFile(root + "/src/m.mid", HeldChord());
  std::string output;
  EXPECT_EQ(test::RunCommand(Kit() + " build " + root + "/src -o " + root + "/game", &output), 0) << output;
  EXPECT_EQ(test::RunCommand(Player() + " " + root + "/game --headless --fixed-step 15 --frames " +
                                 std::to_string(frames) + " --audio-out " + root + "/out.wav 2>&1",
                             &output),
            0)
      << output;
  const std::string wav = test::ReadFile(root + "/out.wav");
  std::vector<int16_t> left;
  for (size_t i = 44; i + 3 < wav.size(); i += 4) {
    left.push_back(static_cast<int16_t>(LoadU16(reinterpret_cast<const uint8_t*>(wav.data()) + i)));
  }
  return left;
}

size_t Frame(int64_t ms) { return static_cast<size_t>(ms * 441 / 10); }

int Peak(const std::vector<int16_t>& s, int64_t from_ms, int64_t to_ms) {
  int peak = 0;
  for (size_t i = Frame(from_ms); i < Frame(to_ms) && i < s.size(); ++i) peak = std::max(peak, std::abs(int{s[i]}));
  return peak;
}

double Rms(const std::vector<int16_t>& s, int64_t from_ms, int64_t to_ms) {
  double sum = 0;
  size_t count = 0;
  for (size_t i = Frame(from_ms); i < Frame(to_ms) && i < s.size(); ++i, ++count)
    sum += static_cast<double>(s[i]) * s[i];
  return count ? std::sqrt(sum / static_cast<double>(count)) : 0;
}

class GameMidi : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(DefaultSoundfontPath())) GTEST_SKIP() << "no soundfont";
  }
};

TEST_F(GameMidi, StartsWithinATickAndStopsWithTheSound) {
  // The sound starts in the step at 300 ms and stops in the one at 900 ms.
  const std::vector<int16_t> s = RunGame("start-stop",
                                         "wait 300\n"
                                         "sound PR_NAME=\"m\", PR_SOURCE=\"m.mid\", PR_VOLUME=1000\n"
                                         "wait 600\n"
                                         "moviestop obj=\"m\", fade=0\n"
                                         "wait 1500\n",
                                         170);
  ASSERT_EQ(s.size(), Frame(170 * 15));
  EXPECT_EQ(Peak(s, 0, 300), 0);
  EXPECT_GT(Peak(s, 300, 400), 1000);
  EXPECT_GT(Peak(s, 800, 900), 1000);
  // Notes off with the stop; the organ has no tail to speak of.
  EXPECT_LT(Peak(s, 1500, 2500), 40);
}

TEST_F(GameMidi, VolumeZeroIsSilentAndALongFadeKeepsRising) {
  const std::vector<int16_t> quiet =
      RunGame("quiet", "sound PR_NAME=\"m\", PR_SOURCE=\"m.mid\", PR_VOLUME=0\nwait 1000\n", 60);
  EXPECT_EQ(Peak(quiet, 0, 900), 0);

  const std::vector<int16_t> fade =
      RunGame("fade", "sound PR_NAME=\"m\", PR_SOURCE=\"m.mid\", PR_VOLUME=1000, PR_DELAY=4000\nwait 5000\n", 340);
  double previous = Rms(fade, 100, 350);
  EXPECT_LT(previous, Rms(fade, 4500, 5000) / 4) << "the fade starts near silence";
  for (int64_t at = 350; at < 4000; at += 250) {
    const double level = Rms(fade, at, at + 250);
    EXPECT_GT(level, previous) << "at " << at << " ms";
    previous = level;
  }
  EXPECT_GE(Rms(fade, 4500, 5000), previous);
}

}  // namespace
}  // namespace orvo
