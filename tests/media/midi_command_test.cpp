// orvokit midi events and play on fixtures written here: their outputs are
// golden records in tests/media/golden/midi/ (ORVO_UPDATE_GOLDEN=1 rewrites
// them after an intended change).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "media/midi_writer.h"
#include "support/test_support.h"

namespace orvo {
namespace {

std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }

const std::vector<uint8_t> kGsReset = {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

// Format 0: notes across a tempo change at tick 960 and a second one at 1920.
std::string TempoMap() {
  TSmfWriter w(0, 480);
  w.BeginTrack();
  w.Raw(0, {0xC0, 0});
  w.Raw(0, {0xB0, 0x07, 100});
  w.Raw(0, {0x90, 60, 100});
  w.Raw(480, {0x80, 60, 0});
  w.Raw(480, {0x90, 62, 100});
  w.Tempo(0, 250000);
  w.Raw(480, {0x80, 62, 0});
  w.Raw(480, {0x90, 64, 100});
  w.Tempo(0, 1000000);
  w.Raw(480, {0x80, 64, 0});
  w.EndTrack();
  return w.Bytes();
}

// Format 1: a tempo track and two channels written with running status.
std::string RunningStatus() {
  TSmfWriter w(1, 96);
  w.BeginTrack();
  w.Tempo(0, 600000);
  w.Meta(0, 0x58, {3, 2, 24, 8});
  w.EndTrack(288);
  w.BeginTrack();
  w.Raw(0, {0xC0, 40});
  w.Raw(0, {0x90, 60, 80});
  w.Raw(48, {60, 0});
  w.Raw(0, {64, 80});
  w.Raw(48, {64, 0});
  w.Raw(0, {0xE0, 0x00, 0x50});
  w.Raw(10, {0x00, 0x40});
  w.EndTrack(182);
  w.BeginTrack();
  w.Raw(24, {0x91, 48, 70});
  w.Raw(96, {48, 0});
  w.Raw(0, {0xB1, 0x07, 90});
  w.Raw(0, {0x0A, 20});
  w.EndTrack(168);
  return w.Bytes();
}

// A GS reset after the first notes, then programs and controllers to chase.
std::string GsChase() {
  TSmfWriter w(0, 480);
  w.BeginTrack();
  w.Raw(0, {0xC0, 1});
  w.Raw(0, {0x90, 60, 90});
  w.Raw(480, {0x80, 60, 0});
  w.SysEx(0, kGsReset);
  w.Raw(0, {0xC0, 19});
  w.Raw(0, {0xB0, 0x07, 110});
  w.Raw(0, {0x90, 67, 90});
  w.Raw(960, {0x80, 67, 0});
  w.SysEx(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7});
  w.Raw(0, {0xB0, 0x5B, 40});
  w.Raw(0, {0x90, 72, 90});
  w.Raw(480, {0x80, 72, 0});
  w.EndTrack();
  return w.Bytes();
}

// A short song without controller 7 (the defaults are inserted) whose end
// comes a rest after its last note.
std::string ShortLoop() {
  TSmfWriter w(0, 480);
  w.BeginTrack();
  w.Raw(0, {0xC2, 11});
  w.Raw(0, {0x92, 72, 100});
  w.Raw(240, {0x82, 72, 0});
  w.Raw(0, {0x92, 76, 100});
  w.Raw(240, {0x82, 76, 0});
  w.EndTrack(240);
  return w.Bytes();
}

TEST(MidiCommand, EventsAndPlayMatchTheGoldenRecords) {
  struct TCase {
    const char* golden;
    std::function<std::string()> song;
    const char* args;  // after the file
  };
  const std::vector<TCase> cases = {
      {"tempo_map_events", TempoMap, ""},
      {"tempo_map_play", TempoMap, ""},
      {"running_status_events", RunningStatus, ""},
      {"running_status_play", RunningStatus, " --until 1500"},
      {"gs_chase_play_from", GsChase, " --from 1200"},
      {"short_loop_events", ShortLoop, ""},
      {"short_loop_repeat_percent", ShortLoop, " --repeat --percent 50 --until 1600"},
      {"tempo_map_percent_over", TempoMap, " --percent 250 --until 40"},
  };
  const std::string dir = test::MakeTempDir("midi-command");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.golden);
    const std::string file = dir + "/" + c.golden + ".mid";
    test::WriteFile(file, c.song());
    const std::string action = std::string(c.golden).find("_events") != std::string::npos ? "events" : "play";
    std::string output;
    ASSERT_EQ(test::RunCommand(Kit() + " midi " + action + " " + file + c.args, &output), 0) << output;
    const std::string golden = test::TestDataDir() + "/media/golden/midi/" + c.golden + ".txt";
    if (std::getenv("ORVO_UPDATE_GOLDEN")) {
      std::filesystem::create_directories(std::filesystem::path(golden).parent_path());
      test::WriteFile(golden, output);
    }
    EXPECT_EQ(output, test::ReadFile(golden));
  }
}

TEST(MidiCommand, FailsOnlyForAMissingFile) {
  const std::string dir = test::MakeTempDir("midi-command-bad");
  test::WriteFile(dir + "/noise.mid", "RIFF....WAVEfmt ");
  struct TCase {
    std::string args;
    int status;
    const char* output;
  };
  const std::vector<TCase> cases = {
      {"events " + dir + "/missing.mid", 1, nullptr},
      {"play " + dir + "/missing.mid", 1, nullptr},
      {"events " + dir + "/noise.mid", 0, "length\t0\n"},
      // The reset goes out; the timer runs without events, so the stop silences every channel.
      {"play " + dir + "/noise.mid --until 20", 0,
       "0\tF0 7E 7F 09 01 F7\n21\tB0 7B 00\n21\tB1 7B 00\n21\tB2 7B 00\n21\tB3 7B 00\n21\tB4 7B 00\n"
       "21\tB5 7B 00\n21\tB6 7B 00\n21\tB7 7B 00\n21\tB8 7B 00\n21\tB9 7B 00\n21\tBA 7B 00\n21\tBB 7B 00\n"
       "21\tBC 7B 00\n21\tBD 7B 00\n21\tBE 7B 00\n21\tBF 7B 00\n"},
      {"play " + dir + "/noise.mid --percent x", 2, nullptr},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.args);
    std::string output;
    EXPECT_EQ(test::RunCommand(Kit() + " midi " + c.args + " 2>/dev/null", &output), c.status);
    if (c.output) {
      EXPECT_EQ(output, c.output);
    }
  }
}

}  // namespace
}  // namespace orvo
