// MIDI sound objects through MidiMan on a manually ticked sequencer, with
// recording outputs for the synthesizer and an ALSA-like port.
#include <gtest/gtest.h>

#include "media/audio_output.h"
#include "media/media_rig.h"
#include "media/midi_manager.h"
#include "media/midi_writer.h"
#include "media/sound_object.h"
#include "platform/midi_out.h"

namespace orvo {
namespace {

class TRecordingSynth : public IMidiSynth {
 public:
  explicit TRecordingSynth(TMidiRecorder& recorder) : recorder_(recorder) {}
  void MixInto(int32_t*, size_t) override {}
  std::unique_ptr<IMidiOut> OpenOutput() override { return recorder_.OpenOutput(); }

 private:
  TMidiRecorder& recorder_;
};

std::string Song(uint8_t program, int32_t quarters) {
  TSmfWriter w(0, 480);
  w.BeginTrack();
  w.Raw(0, {0xC0, program});
  w.Raw(0, {0xB0, 0x07, 100});
  w.Raw(0, {0x90, 60, 90});
  w.Raw(static_cast<uint32_t>(480 * quarters), {0x80, 60, 0});
  w.EndTrack();
  return w.Bytes();
}

// Before the rig: the stage's items still send when it goes.
struct TRecorders {
  TMidiRecorder synth{nullptr};
  TMidiRecorder port{nullptr};
};

struct TMidiRig : TRecorders, test::TMediaRig {
  TMidiRig() : TMediaRig(true) {
    files["a.mid"] = Song(1, 2);  // 1000 ms
    files["b.mid"] = Song(2, 4);  // 2000 ms
    TMidiStartOptions options;
    options.drive = TTimerDrive::Manual;
    options.real_time_pauses = false;
    options.clock = [this] { return static_cast<uint32_t>(state.total_elapsed); };
    options.open_synth = [this] { return std::make_unique<TRecordingSynth>(synth); };
    options.list_ports = [] { return std::vector<TMidiPortInfo>{{"128:0 Port", 128, 0}}; };
    options.open_port = [this](const TMidiPortInfo&) { return port.OpenOutput(); };
    media.ConfigureMidi(std::move(options));
  }

  TOrvoSound* NewSound(const std::string& name, const std::string& source,
                       const std::vector<std::pair<int32_t, TPropValue>>& props = {}) {
    return NewObject<TOrvoSound>(kcSound, name, source, props);
  }

  // Frame steps of 10 ms with a tick at each.
  void Run(int32_t ms) {
    for (int32_t t = 0; t < ms; t += 10) {
      state.total_elapsed += 10;
      state.frame_delta = 10;
      stage.UpdateAll();
      media.MidiMan().TickAt(state.total_elapsed);
    }
  }

  static std::string Text(const std::vector<TMidiRecord>& records) {
    std::string text;
    for (const TMidiRecord& r : records) text += (r.reset ? std::string("reset") : MidiHex(r.bytes)) + "\n";
    return text;
  }
};

TEST(MidiSound, OneItemHoldsTheSequencerAndLengthsAreReadApart) {
  TMidiRig rig;
  TOrvoSound* a = rig.NewSound("a", "a.mid", {{PR_VOLUME, TPropValue::Int(500)}});
  rig.Run(100);
  EXPECT_TRUE(a->GetProperty(PR_PLAYING).AsBool());
  // The reset, the volume at 50 %, then the song with controller 7 scaled.
  const std::string sent = TMidiRig::Text(rig.synth.Records());
  EXPECT_EQ(sent.substr(0, 30), "F0 7E 7F 09 01 F7\nB0 07 32\nB1 ");
  EXPECT_NE(sent.find("C0 01\nB0 07 32\n90 3C 5A\n"), std::string::npos) << sent;

  // The length of a MIDI source without an item leaves the music alone.
  TOrvoSound* idle = static_cast<TOrvoSound*>(rig.stage.CreateByKind(kcSound));
  idle->SetName("idle");
  idle->SetProperty(PR_SOURCE, TPropValue::Str("b.mid"));
  EXPECT_EQ(idle->GetProperty(PR_COUNT).AsInt(), 2000);
  EXPECT_TRUE(a->GetProperty(PR_PLAYING).AsBool());

  // A second MIDI sound takes the sequencer; the first reports nothing more.
  TOrvoSound* b = rig.NewSound("b", "b.mid", {{PR_VOLUME, TPropValue::Int(1000)}});
  rig.Run(50);
  EXPECT_TRUE(b->GetProperty(PR_PLAYING).AsBool());
  EXPECT_FALSE(a->GetProperty(PR_PLAYING).AsBool());
  EXPECT_EQ(b->GetProperty(PR_COUNT).AsInt(), 2000);
  EXPECT_EQ(a->GetProperty(PR_COUNT).AsInt(), 1000);
}

TEST(MidiSound, ASongThatEndsPostsItsPlayEndOnce) {
  TMidiRig rig;
  TOrvoSound* a = rig.NewSound("a", "a.mid");
  a->SetProperty(PR_ONPLAYEND, TPropValue::Str("start.osb:ended"));
  rig.Run(1500);
  EXPECT_FALSE(a->GetProperty(PR_PLAYING).AsBool());
  EXPECT_EQ(rig.PlayEndEvents(), 1u);
  rig.Run(500);
  EXPECT_EQ(rig.PlayEndEvents(), 1u);

  // Looping: the sequencer repeats and there is no end.
  TMidiRig loop;
  TOrvoSound* b = loop.NewSound("b", "a.mid", {{PR_REPEAT, TPropValue::Bool(true)}});
  b->SetProperty(PR_ONPLAYEND, TPropValue::Str("start.osb:ended"));
  loop.Run(3000);
  EXPECT_TRUE(b->GetProperty(PR_PLAYING).AsBool());
  EXPECT_EQ(loop.PlayEndEvents(), 0u);
}

TEST(MidiSound, PortsListTheMapperAndDevicesAndASwitchRestartsThere) {
  TMidiRig rig;
  TMidiMan& man = rig.media.MidiMan();
  EXPECT_EQ(man.PortNames(), (std::vector<std::string>{MidiMapperText(), "FluidSynth", "128:0 Port"}));
  EXPECT_EQ(man.PortName(), MidiMapperText());
  rig.NewSound("b", "b.mid");
  rig.Run(600);
  EXPECT_TRUE(rig.port.Records().empty());
  man.SelectPort("128:0 Port");
  EXPECT_EQ(man.PortName(), "128:0 Port");
  // The port starts with the reset and the chase to where the song was.
  EXPECT_EQ(TMidiRig::Text(rig.port.Records()).substr(0, 18), "F0 7E 7F 09 01 F7\n");
  EXPECT_NE(TMidiRig::Text(rig.port.Records()).find("C0 02\nB0 07 64\n"), std::string::npos);
  // The old output was reset when it closed.
  EXPECT_EQ(TMidiRig::Text(rig.synth.Records()).substr(TMidiRig::Text(rig.synth.Records()).size() - 6), "reset\n");
  man.SelectPort("no such port");
  EXPECT_EQ(man.PortName(), MidiMapperText());
}

}  // namespace
}  // namespace orvo

namespace orvo {
namespace {

TEST(MidiSound, GameClockTicksComeBeforeTheFramesOfTheirInstant) {
  struct TCase {
    std::vector<int32_t> steps;  // the frame steps' total elapsed times
    std::vector<int32_t> ticks;  // the instants ticked
  };
  const std::vector<TCase> cases = {
      {{15, 30, 45}, {0, 10, 20, 30, 40}},  // 30 is ticked in the step that renders from it
      {{10, 20}, {0, 10}},
      {{7, 9, 25}, {0, 10, 20}},  // steps shorter than a tick
  };
  for (const TCase& c : cases) {
    TAudioEngine engine;
    TAudioOutput output(engine);
    ASSERT_TRUE(output.StartGameClock(""));
    std::vector<int32_t> ticks;
    output.SetTicker([&](int32_t ms) {
      // Nothing of the instant is rendered yet, everything before it is.
      EXPECT_EQ(engine.FramesRendered(), int64_t{ms} * 441 / 10) << ms;
      ticks.push_back(ms);
    });
    for (int32_t step : c.steps) output.AdvanceTo(step);
    EXPECT_EQ(ticks, c.ticks);
  }
}

}  // namespace
}  // namespace orvo
