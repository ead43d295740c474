// The sequencer on a fake clock through a recording output: what it sends,
// when, and how position, repeat, percentages and ends behave.
#include "media/midi_player.h"

#include <gtest/gtest.h>

#include <sstream>

#include "media/midi_manager.h"
#include "media/midi_writer.h"

namespace orvo {
namespace {

class TRecorderDevices : public IMidiDevices {
 public:
  explicit TRecorderDevices(TMidiRecorder& recorder) : recorder_(recorder) {}
  std::vector<std::string> Names() const override { return {"recorder"}; }
  std::unique_ptr<IMidiOut> Open(int32_t id) override {
    opened.push_back(id);
    return recorder_.OpenOutput();
  }
  std::vector<int32_t> opened;

 private:
  TMidiRecorder& recorder_;
};

// A sequencer on a virtual clock that only ticks and pauses move.
struct TRig {
  uint32_t clock = 0;
  TMidiRecorder recorder{[this] { return clock; }};
  TRecorderDevices devices{recorder};
  TMidiPlayV sequencer{devices, TTimerDrive::Manual,
                       TMidiTime{[this] { return clock; }, [this](int32_t ms) { clock += static_cast<uint32_t>(ms); }}};

  void Load(const std::string& bytes) {
    sequencer.LoadSong(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  void RunTo(uint32_t until) {
    while (clock + 10 <= until) {
      clock += 10;
      sequencer.Tick();
    }
  }
  // "CLOCK HEX" per message since the last call.
  std::string Take() {
    std::ostringstream out;
    for (const TMidiRecord& r : recorder.Records())
      out << r.clock << ' ' << (r.reset ? "reset" : MidiHex(r.bytes)) << '\n';
    recorder.Clear();
    return out.str();
  }
};

// Program changes, a controller, a GS reset and notes over three seconds.
std::string ChaseSong() {
  TSmfWriter w(0, 480);
  w.BeginTrack();
  w.Raw(0, {0xC0, 10});
  w.Raw(0, {0xB0, 0x07, 100});
  w.Raw(0, {0x90, 60, 90});
  w.Raw(480, {0x80, 60, 0});
  w.SysEx(0, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
  w.Raw(0, {0xC1, 20});
  w.Raw(480, {0x91, 62, 90});
  w.Raw(480, {0x81, 62, 0});
  w.Raw(480, {0xB0, 0x0A, 30});
  w.Raw(480, {0x90, 64, 90});
  w.EndTrack(480);
  return w.Bytes();
}

TEST(MidiPlayer, PlaysOnTheTickThatPassesEachEvent) {
  TRig rig;
  rig.Load(ChaseSong());
  ASSERT_TRUE(rig.sequencer.OpenOutput(-1));
  rig.sequencer.PlayFrom(0);
  rig.RunTo(1200);
  // An event goes out on the first tick whose position is past its time.
  EXPECT_EQ(rig.Take(),
            "10 C0 0A\n10 B0 07 64\n10 90 3C 5A\n510 80 3C 00\n510 F0 41 10 42 12 40 00 7F 00 41 F7\n510 C1 14\n"
            "1010 91 3E 5A\n");
  EXPECT_TRUE(rig.sequencer.SongPlaying());
  EXPECT_FALSE(rig.sequencer.SongEnded());
  EXPECT_EQ(rig.sequencer.SongPosition(), 1200);
}

TEST(MidiPlayer, ChasesControllersProgramsAndSystemExclusiveButNoNotes) {
  struct TCase {
    const char* what;
    int32_t first_from;  // -1: no first play
    int32_t from;
    const char* expected;
  };
  const std::vector<TCase> cases = {
      // The GS reset is followed by a 10 ms pause before the next event.
      {"from the start to 2600 ms", -1, 2600,
       "0 C0 0A\n0 B0 07 64\n0 F0 41 10 42 12 40 00 7F 00 41 F7\n10 C1 14\n10 B0 0A 1E\n"},
      // An event exactly at the position is where play resumes (not sent).
      {"to an event's own time", -1, 2000, "0 C0 0A\n0 B0 07 64\n0 F0 41 10 42 12 40 00 7F 00 41 F7\n10 C1 14\n"},
      // Backwards: all notes off, then the chase from the beginning.
      {"back from 2600 to 600", 2600, 600,
       "0 B0 7B 00\n0 B1 7B 00\n0 B2 7B 00\n0 B3 7B 00\n0 B4 7B 00\n0 B5 7B 00\n0 B6 7B 00\n0 B7 7B 00\n"
       "0 B8 7B 00\n0 B9 7B 00\n0 BA 7B 00\n0 BB 7B 00\n0 BC 7B 00\n0 BD 7B 00\n0 BE 7B 00\n0 BF 7B 00\n"
       "0 C0 0A\n0 B0 07 64\n0 F0 41 10 42 12 40 00 7F 00 41 F7\n"},
      // Past the last event: from the beginning again, nothing chased.
      {"past the end", -1, 99999, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TRig rig;
    rig.Load(ChaseSong());
    rig.sequencer.OpenOutput(-1);
    if (c.first_from >= 0) {
      rig.sequencer.PlayFrom(c.first_from);
      rig.clock = 0;
      rig.Take();
    }
    rig.sequencer.PlayFrom(c.from);
    std::string sent = rig.Take();
    // The chase from 0 starts with all notes off too; keep only what follows them.
    if (c.first_from < 0 && c.from != 99999) sent = sent.substr(sent.find("C0 0A") - 2);
    EXPECT_EQ(sent, c.expected);
  }
}

TEST(MidiPlayer, ScalesControllersByThePercentageWithinTheDataRange) {
  struct TCase {
    bool file_volume;  // a controller-7 value of 100 in the file; else the inserted 127
    int32_t percent;
    const char* sent;  // the controller 7 of channel 0
  };
  const std::vector<TCase> cases = {
      {true, 50, "B0 07 32"},   {false, 50, "B0 07 3F"}, {true, 100, "B0 07 64"},
      {true, 1000, "B0 07 7F"}, {true, -20, "B0 07 00"}, {false, 0, "B0 07 00"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.file_volume << " " << c.percent);
    TSmfWriter w(0, 480);
    w.BeginTrack();
    if (c.file_volume) w.Raw(0, {0xB0, 0x07, 100});
    w.Raw(0, {0x90, 60, 90});
    w.EndTrack(480);
    TRig rig;
    rig.Load(w.Bytes());
    rig.sequencer.OpenOutput(-1);
    // Before playing the percentage is only kept; it is sent while playing.
    rig.sequencer.SetControllerPercent(7, c.percent);
    EXPECT_EQ(rig.Take(), "");
    rig.sequencer.PlayFrom(0);
    rig.RunTo(10);
    const std::string sent = rig.Take();
    EXPECT_NE(sent.find(std::string("10 ") + c.sent + "\n"), std::string::npos) << sent;
    rig.sequencer.SetControllerPercent(7, c.percent);
    EXPECT_EQ(rig.Take().substr(0, 12), std::string("10 ") + c.sent + "\n");
  }
}

TEST(MidiPlayer, RepeatsAfterTheNextToLastEventAndEndsWithoutRepeat) {
  TSmfWriter w(0, 480);
  w.BeginTrack();
  w.Raw(0, {0xB0, 0x07, 100});
  w.Raw(0, {0x90, 60, 90});
  w.Raw(480, {0x80, 60, 0});
  w.EndTrack(480);  // at 1000 ms: the last event, never sent
  for (bool repeat : {false, true}) {
    SCOPED_TRACE(repeat);
    TRig rig;
    rig.Load(w.Bytes());
    rig.sequencer.SetRepeat(repeat);
    rig.sequencer.OpenOutput(-1);
    rig.sequencer.PlayFrom(0);
    rig.RunTo(1020);
    std::string sent = rig.Take();
    EXPECT_EQ(sent.substr(0, 30), "10 B0 07 64\n10 90 3C 5A\n510 80");
    EXPECT_EQ(rig.sequencer.SongEnded(), !repeat);
    if (repeat) {
      // At the last event: all notes off, the position back at the first
      // event's time, and the first events again on the next tick.
      EXPECT_NE(sent.find("510 80 3C 00\n1010 B0 7B 00\n"), std::string::npos) << sent;
      EXPECT_NE(sent.find("1010 BF 7B 00\n1020 B0 07 64\n1020 90 3C 5A\n"), std::string::npos) << sent;
    } else {
      EXPECT_EQ(sent, "10 B0 07 64\n10 90 3C 5A\n510 80 3C 00\n");
      EXPECT_TRUE(rig.sequencer.SongPlaying());  // until StopSong
    }
  }
}

TEST(MidiPlayer, AStopPausesAMillisecondThenSilencesEveryChannel) {
  TRig rig;
  rig.Load(ChaseSong());
  rig.sequencer.OpenOutput(-1);
  rig.sequencer.StopSong();  // not playing: nothing
  EXPECT_EQ(rig.Take(), "");
  rig.sequencer.PlayFrom(0);
  rig.RunTo(20);
  rig.Take();
  rig.sequencer.StopSong();
  const std::string sent = rig.Take();
  EXPECT_EQ(sent.substr(0, 11), "21 B0 7B 00");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), '\n'), 16);
  EXPECT_FALSE(rig.sequencer.SongPlaying());
  rig.RunTo(2000);
  EXPECT_EQ(rig.Take(), "");
  // Closing resets the device once.
  rig.sequencer.CloseOutput();
  EXPECT_EQ(rig.Take(), "1991 reset\n");
}

TEST(MidiPlayer, ASongWithoutEventsSendsNothingAndHasEnded) {
  TRig rig;
  rig.Load("not a MIDI file");
  rig.sequencer.OpenOutput(-1);
  rig.sequencer.PlayFrom(0);
  rig.RunTo(500);
  EXPECT_EQ(rig.Take(), "");
  EXPECT_TRUE(rig.sequencer.SongEnded());
  EXPECT_EQ(rig.sequencer.SongLength(), 0);
}

TEST(MidiPlayer, PositionMovesAtMostASecondATick) {
  TRig rig;
  rig.Load(ChaseSong());
  rig.sequencer.OpenOutput(-1);
  rig.sequencer.PlayFrom(0);
  rig.clock = 5000;  // a stall of five seconds
  rig.sequencer.Tick();
  EXPECT_EQ(rig.sequencer.SongPosition(), 1000);
}

TEST(MidiPlayer, LoadingSetsTheControllerDefaults) {
  TSmfWriter with(0, 480);
  with.BeginTrack();
  with.Raw(0, {0xB0, 0x07, 30});
  with.Raw(0, {0xB0, 0x0A, 30});
  TRig rig;
  rig.Load(with.Bytes());
  EXPECT_EQ(rig.sequencer.ControllerValue(3, 7), 100);  // the General MIDI default before it plays
  EXPECT_EQ(rig.sequencer.ControllerValue(3, 10), 0);
  rig.Load("MThd");
  EXPECT_EQ(rig.sequencer.ControllerValue(3, 7), 100);
  TSmfWriter without(0, 480);
  without.BeginTrack();
  without.Raw(0, {0x90, 60, 1});
  rig.Load(without.Bytes());
  EXPECT_EQ(rig.sequencer.ControllerValue(15, 7), 127);
}

TEST(MidiMan, MapsItemVolumesToPercentages) {
  const std::vector<std::pair<int32_t, int32_t>> cases = {{0, 100},   {-10000, 0}, {-5000, 50}, {-99, 100},
                                                          {-101, 99}, {5000, 100}, {-20000, 0}};
  for (const auto& [volume, percent] : cases) EXPECT_EQ(MidiVolumePercent(volume), percent) << volume;
}

}  // namespace
}  // namespace orvo
