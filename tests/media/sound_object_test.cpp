// Sound objects on a stage with the media managers: volumes, fades, play
// states, play-end, sound on and off, stops and the save record.
#include "media/sound_object.h"

#include <gtest/gtest.h>

#include <map>

#include "base/error.h"
#include "base/stream.h"
#include "media/fade.h"
#include "media/media_items.h"
#include "media/media_rig.h"
#include "media/media_system.h"
#include "media/sound_fixture.h"
#include "stage/stage.h"

namespace orvo {
namespace {

TEST(SoundArithmetic, FadesInterpolateWith64BitProducts) {
  struct TCase {
    int32_t start, target;
    uint32_t elapsed, duration;
    bool midi;
    int32_t expected;
  };
  const std::vector<TCase> cases = {
      {-10000, 0, 0, 1000, false, -5000},      // fading up starts half way
      {-10000, 0, 500, 1000, false, -2500},    //
      {-10000, 0, 999, 1000, false, -5},       //
      {-10000, 0, 1000, 1000, false, 0},       // the target at the end
      {0, -10000, 500, 1000, false, -2500},    // fading down covers only the upper half
      {0, -10000, 999, 1000, false, -4995},    //
      {0, -10000, 1000, 1000, false, -10000},  // and jumps at the end
      {0, -10000, 250, 1000, true, -2500},     // MIDI: the whole range
      {-10000, 0, 0, 1000, true, -10000},      // MIDI fading up starts silent, not at full volume
      {-10000, 0, 750, 1000, true, -2500},     // and rises without passing the target
      // A MIDI fade of 300 s: e·d = -2.15e9 passes 32 bits at 214 s.
      {0, -10000, 215000, 300000, true, -7166},
      {-10000, -2500, 100, 1000, false, -5875},  // (t - s) div 2 = 3750
      {0, -1, 3, 7, false, 0},                   // d = 0: truncation toward zero
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << "->" << c.target << " at " << c.elapsed);
    EXPECT_EQ(FadeVolume(c.start, c.target, c.elapsed, c.duration, c.midi), c.expected);
  }
}

TEST(SoundArithmetic, VolumesAndPositionsMapAsDocumented) {
  struct TVolume {
    int32_t volume;
    bool midi;
    int32_t expected;
  };
  for (const TVolume& c : std::vector<TVolume>{{0, false, -10000},
                                               {1, false, -4995},
                                               {500, false, -2500},
                                               {1000, false, 0},
                                               {1200, false, 0},
                                               {-3, false, -10000},
                                               {500, true, -5000},
                                               {1000, true, 0}}) {
    EXPECT_EQ(EffectiveVolume(c.volume, c.midi), c.expected) << c.volume;
  }
  struct TWave {
    int32_t volume, expected;
  };
  for (const TWave& c : std::vector<TWave>{{0, 256}, {-2500, 128}, {-5000, 0}, {-10000, 0}, {-1, 255}}) {
    EXPECT_EQ(WaveVolume(c.volume), c.expected) << c.volume;
  }
  struct TPosition {
    int64_t ms;
    TPcmFormat format;
    int64_t bytes;
    int32_t back_ms;
  };
  const TPcmFormat cd{2, 44100, 16};
  const std::vector<TPosition> positions = {
      {3, cd, 528, 2},              // 529.2 bytes: down to a whole frame
      {10, cd, 1764, 10},           //
      {13000, cd, 2293200, 13000},  // ms × byte rate passes 32 bits after 12 s
      {1, {1, 8500, 8}, 8, 0},      // 8.5 rounds half to even
      {3, {1, 8500, 8}, 26, 3},     // 25.5 too
      {1, {2, 22050, 8}, 44, 0},    // 44.1 -> 44
      {0, cd, 0, 0},
  };
  for (const TPosition& c : positions) {
    SCOPED_TRACE(c.ms);
    EXPECT_EQ(MsToFrameBytes(c.ms, c.format), c.bytes);
    EXPECT_EQ(BytesToMs(c.bytes, c.format), c.back_ms);
  }
}

struct TSoundRig : test::TMediaRig {
  explicit TSoundRig(bool direct = true) : TMediaRig(direct) {}

  TOrvoSound* NewSound(const std::string& name, const std::string& source,
                       const std::vector<std::pair<int32_t, TPropValue>>& props = {}) {
    return NewObject<TOrvoSound>(kcSound, name, source, props);
  }

  // One frame step of ms: the stage updates, then the frames of that time are rendered.
  std::vector<int16_t> Step(int32_t ms) {
    state.total_elapsed += ms;
    state.frame_delta = ms;
    stage.UpdateAll();
    return Render(static_cast<size_t>(ms) * 441 / 10);
  }

  std::vector<int16_t> Render(size_t frames) {
    std::vector<int16_t> out(frames * 2);
    media.Engine().Render(out.data(), frames);
    return out;
  }
};

std::string Constant(int16_t value, size_t frames) { return test::Pcm16Wav(std::vector<int16_t>(frames, value), 1); }

TEST(SoundObject, PlaysAtOnceAtItsVolumeOrFadesIn) {
  TSoundRig rig;
  rig.files["a.wav"] = Constant(10000, 44100);
  TOrvoSound* plain = rig.NewSound("a", "a.wav", {{PR_VOLUME, TPropValue::Int(500)}});
  ASSERT_TRUE(plain->Item());
  EXPECT_EQ(plain->Item()->GetVolume(), -2500);
  // 10^(-2500/2000) × 65536 = 3685.4 -> 3685; (10000 × 3685 + 2^15) >> 16 = 562.
  EXPECT_EQ(rig.Render(1), (std::vector<int16_t>{562, 562}));

  TSoundRig fading;
  fading.files["a.wav"] = Constant(10000, 44100);
  TOrvoSound* sound = fading.NewSound("a", "a.wav", {{PR_DELAY, TPropValue::Int(1000)}});
  EXPECT_EQ(sound->GetPlayState(), psFadeIn);
  fading.Step(15);  // the fade starts: silent
  EXPECT_EQ(sound->Item()->GetVolume(), -10000);
  fading.Step(15);
  EXPECT_EQ(sound->Item()->GetVolume(), -4925);
  fading.Step(1000);
  EXPECT_EQ(sound->Item()->GetVolume(), 0);
}

TEST(SoundObject, PostsPlayEndOnceUnlessLooping) {
  struct TCase {
    bool loop;
    size_t events;
    bool ended;
  };
  for (const TCase& c : {TCase{false, 1, true}, TCase{true, 0, false}}) {
    SCOPED_TRACE(c.loop);
    TSoundRig rig;
    rig.files["s.wav"] = Constant(100, 441);  // 10 ms
    TOrvoSound* sound =
        rig.NewSound("s", "s.wav", {{PR_REPEAT, TPropValue::Bool(c.loop)}, {PR_ONPLAYEND, TPropValue::Str("end")}});
    for (int i = 0; i < 10; ++i) rig.Step(15);
    EXPECT_EQ(rig.PlayEndEvents(), c.events);
    EXPECT_EQ(sound->Ended(), c.ended);
  }
}

TEST(SoundObject, AnUndecodableSourceEndsAtOnce) {
  TSoundRig rig;
  rig.files["bad.ogg"] = "not a sound at all";
  TOrvoSound* sound = rig.NewSound("b", "bad.ogg", {{PR_ONPLAYEND, TPropValue::Str("end")}});
  rig.Step(15);
  EXPECT_TRUE(sound->Ended());
  EXPECT_EQ(rig.PlayEndEvents(), 1u);
  // The wave-output path keeps its own message.
  TSoundRig wave(false);
  wave.files["bad.ogg"] = "not a sound at all";
  EXPECT_THROW(wave.NewSound("b", "bad.ogg"), EOrvoError);
}

TEST(SoundObject, StoppingWithAFadeRenamesAndDeletesAtTheEnd) {
  TSoundRig rig;
  rig.files["m.wav"] = Constant(1000, 44100 * 3);
  TOrvoSound* sound = rig.NewSound("m", "m.wav");
  rig.Step(15);
  const TObjectHandle handle = sound->Handle();
  EXPECT_TRUE(sound->StopMedia(500));
  EXPECT_EQ(sound->Name(), std::string("\x01SCRAP_m"));
  EXPECT_EQ(rig.stage.FindComponent("m"), nullptr);
  TOrvoSound* again = rig.NewSound("m", "m.wav");
  EXPECT_EQ(rig.stage.FindComponent("m"), again);
  rig.Step(15);   // the fade-out takes its start
  rig.Step(485);  // not yet done
  EXPECT_NE(rig.stage.Resolve(handle), nullptr);
  rig.Step(15);
  EXPECT_EQ(rig.stage.Resolve(handle), nullptr);
  // Without a fade the object goes at once.
  EXPECT_FALSE(again->StopMedia(0));
  rig.Step(15);
  EXPECT_EQ(rig.stage.FindComponent("m"), nullptr);
}

TEST(SoundObject, LengthWithoutAnItemTouchesNothing) {
  TSoundRig rig;
  rig.files["l.wav"] = Constant(1, 44100 * 2 + 441);
  auto* sound = static_cast<TOrvoSound*>(rig.stage.CreateByKind(kcSound));
  sound->SetProperty(PR_SOURCE, TPropValue::Str("l.wav"));
  EXPECT_EQ(sound->GetProperty(PR_COUNT).AsInt(), 2010);
  EXPECT_TRUE(rig.media.Ogg().Items().empty());
}

TEST(SoundObject, SoundOffPausesAndSoundOnResumes) {
  TSoundRig rig;
  rig.files["a.wav"] = Constant(1000, 44100 * 2);
  TOrvoSound* playing = rig.NewSound("a", "a.wav");
  rig.Step(15);
  rig.media.SetEnabled(false);
  EXPECT_FALSE(playing->Item()->IsPlaying());
  TOrvoSound* later = rig.NewSound("b", "a.wav");
  EXPECT_FALSE(later->Item()->IsPlaying());
  EXPECT_EQ(rig.Step(15), std::vector<int16_t>(661 * 2, 0));
  rig.media.SetEnabled(true);
  EXPECT_TRUE(playing->Item()->IsPlaying());
  EXPECT_TRUE(later->Item()->IsPlaying());
  EXPECT_EQ(rig.Step(15)[0], 2000);
}

TEST(SoundObject, SaveRecordKeepsStatesByLengthAndVersion) {
  struct TCase {
    const char* name;
    size_t frames;
    bool loop;
    int32_t version;
    bool rewind;
    bool item_after_load;
    int32_t position_after_load;
  };
  const std::vector<TCase> cases = {
      {"short sounds are not resumed", 44100, false, 140, false, false, 0},
      // Twenty steps of 661 frames: 299.77 ms.
      {"long sounds resume where they were", 44100 * 4, false, 140, false, true, 299},
      {"looping short sounds resume too", 44100, true, 140, false, true, 299},
      {"rewind on load starts over", 44100 * 4, false, 140, true, true, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSoundRig rig;
    rig.files["a.wav"] = Constant(1000, c.frames);
    TOrvoSound* sound = rig.NewSound("a", "a.wav",
                                     {{PR_REPEAT, TPropValue::Bool(c.loop)},
                                      {PR_REWINDONLOAD, TPropValue::Bool(c.rewind)},
                                      {PR_VOLUME, TPropValue::Int(700)},
                                      {PR_REPEATPOS, TPropValue::Int(20)}});
    for (int i = 0; i < 20; ++i) rig.Step(15);
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    sound->WriteState(writer);

    TSoundRig loaded;
    loaded.files = rig.files;
    auto* copy = static_cast<TOrvoSound*>(loaded.stage.CreateByKind(kcSound));
    stream.Seek(0, TSeekOrigin::Begin);
    TBinaryReader reader(stream);
    copy->ReadState(reader, c.version);
    EXPECT_EQ(reader.Remaining(), 0);
    EXPECT_EQ(copy->GetProperty(PR_VOLUME).AsInt(), 700);
    EXPECT_EQ(copy->GetProperty(PR_REPEATPOS).AsInt(), 20);
    EXPECT_EQ(copy->Item() != nullptr, c.item_after_load);
    if (copy->Item()) {
      EXPECT_EQ(copy->Item()->GetPosition(), c.position_after_load);
    }
  }
}

TEST(SoundObject, OldRecordsLackTheLaterFields) {
  struct TCase {
    int32_t version;
    int32_t volume_after_load;
  };
  // Before 108 no rewind-on-load, before 129 no mute-on-load (which makes
  // the volume 0), before 138 no repeat position.
  for (const TCase& c : {TCase{107, 800}, TCase{128, 800}, TCase{129, 0}, TCase{138, 0}}) {
    SCOPED_TRACE(c.version);
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    writer.WriteString("snd");
    writer.WriteInt32(0);
    writer.WriteInt32(0);
    if (c.version >= 120) writer.WriteString("tag");
    writer.WriteString("a.wav");
    for (int i = 0; i < 5; ++i) writer.WriteBool(false);
    writer.WriteInt32(800);
    writer.WriteInt32(0);
    writer.WriteInt32(0);
    writer.WriteInt32(0);
    writer.WriteByte(0);
    writer.WriteString("");
    if (c.version > 107) writer.WriteBool(true);
    if (c.version > 128) writer.WriteBool(true);
    if (c.version > 137) writer.WriteInt32(5);
    TSoundRig rig;
    rig.files["a.wav"] = Constant(1000, 44100);
    auto* sound = static_cast<TOrvoSound*>(rig.stage.CreateByKind(kcSound));
    stream.Seek(0, TSeekOrigin::Begin);
    TBinaryReader reader(stream);
    sound->ReadState(reader, c.version);
    EXPECT_EQ(reader.Remaining(), 0);
    EXPECT_EQ(sound->GetProperty(PR_VOLUME).AsInt(), c.volume_after_load);
    EXPECT_EQ(sound->GetProperty(PR_REPEATPOS).AsInt(), c.version > 137 ? 5 : 0);
    EXPECT_EQ(sound->GetPlayState(), psPlay);
    EXPECT_TRUE(sound->Item());
  }
}

}  // namespace
}  // namespace orvo
