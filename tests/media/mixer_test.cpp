// The engine's voices and the wave-output mixer: gains, pan, conversion,
// saturation, loops, ends and the timing of positions.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "media/audio_engine.h"
#include "media/sound_decoder.h"
#include "media/sound_fixture.h"
#include "media/wav_out.h"
#include "media/wav_reader.h"

namespace orvo {
namespace {

std::unique_ptr<IAudioDecoder> Wav16(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate = 44100) {
  return OpenWavDecoder(test::Bytes(test::Pcm16Wav(samples, channels, rate)));
}

std::vector<int16_t> Render(TAudioEngine& engine, size_t frames) {
  std::vector<int16_t> out(frames * 2);
  engine.Render(out.data(), frames);
  return out;
}

TEST(AudioEngine, GainsFollowTheDecibelAndLinearLaws) {
  struct TCase {
    TGainLaw law;
    int32_t volume, pan;
    uint32_t left, right;
  };
  const std::vector<TCase> cases = {
      {TGainLaw::Decibel, 0, 0, 65536, 65536},     {TGainLaw::Decibel, -2000, 0, 6554, 6554},  // a tenth, rounded
      {TGainLaw::Decibel, -600, 0, 32846, 32846},                                              // 10^-0.3
      {TGainLaw::Decibel, -9999, 0, 1, 1},                                                     // still audible
      {TGainLaw::Decibel, -10000, 0, 0, 0},                                                    // exactly silent
      {TGainLaw::Decibel, -20000, 0, 0, 0},                                                    //
      {TGainLaw::Decibel, 0, 600, 32846, 65536},    // pan right attenuates the left
      {TGainLaw::Decibel, 0, -600, 65536, 32846},   // pan left attenuates the right
      {TGainLaw::Decibel, 0, 10000, 0, 65536},      // fully right
      {TGainLaw::Decibel, -600, 30000, 0, 32846},   // pan clamped to 10000
      {TGainLaw::Linear, 0, 0, 65536, 65536},       //
      {TGainLaw::Linear, -2500, 0, 32768, 32768},   // half way, linear
      {TGainLaw::Linear, -5000, 0, 0, 0},           //
      {TGainLaw::Linear, -9000, 5000, 0, 0},        // below -5000 is silent; no pan
      {TGainLaw::Linear, -1, 10000, 65522, 65522},  //
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan);
    uint32_t left = 0, right = 0;
    ChannelGains(c.law, c.volume, c.pan, left, right);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(right, c.right);
  }
}

TEST(AudioEngine, RendersVoicesScaledSummedAndSaturated) {
  struct TCase {
    const char* name;
    std::vector<std::string> files;
    int32_t volume, pan;
    std::vector<int16_t> expected;  // two frames
  };
  const std::vector<TCase> cases = {
      {"16-bit stereo at full volume is copied", {test::Pcm16Wav({1000, -1000, 7, -7}, 2)}, 0, 0, {1000, -1000, 7, -7}},
      {"mono goes to both channels", {test::Pcm16Wav({5, 6}, 1)}, 0, 0, {5, 5, 6, 6}},
      {"8-bit as (s - 128) × 256", {test::Pcm8Wav({0, 255}, 1, 44100)}, 0, 0, {-32768, -32768, 32512, 32512}},
      // (s × G + 2^15) >> 16 with G = 32846
      {"-6 dB", {test::Pcm16Wav({1000, -1000, 1, -1}, 2)}, -600, 0, {501, -501, 1, -1}},
      {"pan right", {test::Pcm16Wav({1000, 1000}, 1)}, 0, 10000, {0, 1000, 0, 1000}},
      {"two full-scale voices saturate",
       {test::Pcm16Wav({30000, -30000, 30000, -30000}, 2), test::Pcm16Wav({30000, -30000, 30000, -30000}, 2)},
       0,
       0,
       {32767, -32768, 32767, -32768}},
      {"a voice at -10000 is silent", {test::Pcm16Wav({30000, 30000}, 1)}, -10000, 0, {0, 0, 0, 0}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TAudioEngine engine;
    std::vector<std::shared_ptr<TVoice>> voices;
    for (const std::string& file : c.files) {
      voices.push_back(engine.AddVoice(OpenWavDecoder(test::Bytes(file))));
      engine.SetGain(*voices.back(), TGainLaw::Decibel, c.volume, c.pan);
      engine.Play(*voices.back());
    }
    EXPECT_EQ(Render(engine, 2), c.expected);
  }
}

TEST(AudioEngine, EndsAtTheLastFrameAndLoopsWithoutAGap) {
  struct TCase {
    const char* name;
    bool loop;
    int64_t loop_start;
    std::vector<int16_t> expected;
    bool ended;
  };
  const std::vector<TCase> cases = {
      {"plays once, then silence", false, 0, {1, 2, 3, 4, 0, 0}, true},
      {"loops from the repeat position", true, 2, {1, 2, 3, 4, 3, 4}, false},
      {"a loop start past the end is 0", true, 99, {1, 2, 3, 4, 1, 2}, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TAudioEngine engine;
    auto voice = engine.AddVoice(Wav16({1, 2, 3, 4}, 1));
    engine.SetLoop(*voice, c.loop, c.loop_start);
    engine.Play(*voice);
    std::vector<int16_t> left;
    for (int i = 0; i < 6; ++i) {
      // The end latches with the last frame, not a buffer later.
      if (i == 3) {
        EXPECT_FALSE(engine.Ended(*voice));
      }
      if (i == 4) {
        EXPECT_EQ(engine.Ended(*voice), c.ended);
      }
      left.push_back(Render(engine, 1)[0]);
    }
    EXPECT_EQ(left, c.expected);
    EXPECT_EQ(engine.Ended(*voice), c.ended);
    EXPECT_EQ(engine.IsPlaying(*voice), !c.ended);
  }
}

TEST(AudioEngine, AnEmptyLoopingVoiceNeitherHangsNorPlays) {
  TAudioEngine engine;
  auto voice = engine.AddVoice(Wav16({}, 2));
  engine.SetLoop(*voice, true, 0);
  engine.Play(*voice);
  EXPECT_EQ(Render(engine, 3), std::vector<int16_t>(6, 0));
  engine.SetPosition(*voice, 500);
  EXPECT_EQ(engine.Position(*voice), 0);
}

// ---- the wave-output mixer

struct TWaveRig {
  uint32_t now = 0;
  TWavOut out{100, [this] { return now; }, false};  // B = 17640 bytes, 4410 frames
  TWaveRig() { out.Open(); }
  std::vector<int32_t> Take(size_t frames) {
    std::vector<int32_t> acc(frames * 2, 0);
    out.MixQueued(acc.data(), frames);
    return acc;
  }
};

TEST(WavOut, BufferSizeFollowsTheDelay) {
  EXPECT_EQ(TWavOut(
                500, [] { return 0u; }, false)
                .BufferBytes(),
            88200u);
  EXPECT_EQ(TWavOut(
                100, [] { return 0u; }, false)
                .BufferBytes(),
            17640u);
}

TEST(WavOut, ConvertsEachTableRowAndSkipsOtherFormats) {
  struct TCase {
    const char* name;
    std::string file;
    std::vector<int32_t> expected;  // the first four output frames
  };
  const std::vector<TCase> cases = {
      {"2 ch 44100 16", test::Pcm16Wav({1, 2, 3, 4, 5, 6, 7, 8}, 2, 44100), {1, 2, 3, 4, 5, 6, 7, 8}},
      {"1 ch 44100 16", test::Pcm16Wav({1, 2, 3, 4}, 1, 44100), {1, 1, 2, 2, 3, 3, 4, 4}},
      {"2 ch 22050 16", test::Pcm16Wav({1, 2, 3, 4}, 2, 22050), {1, 2, 1, 2, 3, 4, 3, 4}},
      {"2 ch 44100 8",
       test::Pcm8Wav({0, 255, 129, 127, 128, 128, 128, 128}, 2, 44100),
       {-32768, 32512, 256, -256, 0, 0, 0, 0}},
      {"1 ch 44100 8", test::Pcm8Wav({129, 130, 131, 132}, 1, 44100), {256, 256, 512, 512, 768, 768, 1024, 1024}},
      {"2 ch 22050 8", test::Pcm8Wav({129, 130, 131, 132}, 2, 22050), {256, 512, 256, 512, 768, 1024, 768, 1024}},
      {"1 ch 22050 16", test::Pcm16Wav({7, 9}, 1, 22050), {7, 7, 7, 7, 9, 9, 9, 9}},
      {"1 ch 22050 8", test::Pcm8Wav({129, 130}, 1, 22050), {256, 256, 256, 256, 512, 512, 512, 512}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TWaveRig rig;
    TWavBuffer* source = rig.out.AddSource(OpenWavDecoder(test::Bytes(c.file)));
    source->StartSource();
    rig.out.Fill();
    EXPECT_EQ(rig.out.QueuedCount(), 1u);  // the second round finds the source ended
    EXPECT_EQ(rig.Take(4), c.expected);
  }
  // 11025 Hz has no row: it supplies nothing, so no buffer is written.
  TWaveRig rig;
  rig.out.AddSource(OpenWavDecoder(test::Bytes(test::Pcm16Wav({1, 2}, 1, 11025))))->StartSource();
  rig.out.Fill();
  EXPECT_EQ(rig.out.QueuedCount(), 0u);
}

TEST(WavOut, VolumeShiftsAndSourcesSaturate) {
  struct TCase {
    int32_t volume;
    std::vector<int32_t> expected;
  };
  // (s × volume) >> 8, arithmetic; 255 and 256 leave samples alone.
  const std::vector<TCase> cases = {
      {128, {500, -501}},
      {255, {1001, -1001}},
      {256, {1001, -1001}},
      {0, {0, 0}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.volume);
    TWaveRig rig;
    TWavBuffer* source = rig.out.AddSource(OpenWavDecoder(test::Bytes(test::Pcm16Wav({1001, -1001}, 2))));
    source->SetSourceVolume(c.volume);
    source->StartSource();
    rig.out.Fill();
    EXPECT_EQ(rig.Take(1), c.expected);
  }
  // Each source is added with saturation in list order: +30000 +30000
  // -30000 gives 2767, not the 30000 of a saturated sum.
  TWaveRig rig;
  for (int16_t level : {30000, 30000, -30000}) {
    const int16_t other = static_cast<int16_t>(-level);
    rig.out.AddSource(OpenWavDecoder(test::Bytes(test::Pcm16Wav({level, other}, 2))))->StartSource();
  }
  rig.out.Fill();
  EXPECT_EQ(rig.Take(1), (std::vector<int32_t>{2767, -2768}));
}

TEST(WavOut, QueuesTwoBuffersAndTracksWhatIsHeard) {
  TWaveRig rig;
  std::vector<int16_t> long_sound(44100 * 2, 100);  // one second of stereo
  TWavBuffer* source = rig.out.AddSource(Wav16(long_sound, 2));
  source->StartSource();
  rig.out.Fill();
  EXPECT_EQ(rig.out.QueuedCount(), 2u);
  rig.out.Fill();
  EXPECT_EQ(rig.out.QueuedCount(), 2u);  // nothing played yet
  // Read two buffers (35280 bytes) at time 0: the listener is one buffer behind.
  EXPECT_EQ(source->SourcePosition(), 17640);
  rig.now = 50;  // bytes(50 ms) = 8820
  EXPECT_EQ(source->SourcePosition(), 26460);
  rig.now = 201;  // more than twice the delay: the read position
  EXPECT_EQ(source->SourcePosition(), 35280);
  // A buffer is done once its last frame was rendered.
  rig.Take(4410);
  rig.out.Fill();
  EXPECT_EQ(rig.out.QueuedCount(), 2u);
  // The new mix was made now: again one buffer behind the read position.
  EXPECT_EQ(source->SourcePosition(), 35280);
}

TEST(WavOut, ASourceEndsOnceItsLastMixWasHeard) {
  TWaveRig rig;
  TWavBuffer* source = rig.out.AddSource(Wav16({1, 2, 3, 4}, 2));
  source->StartSource();
  rig.now = 1000;
  rig.out.Fill();
  rig.now = 1000 + 210;  // 2 × delay + 10: not yet
  EXPECT_FALSE(source->SourceEnded());
  rig.now = 1000 + 211;
  EXPECT_TRUE(source->SourceEnded());
}

TEST(WavOut, LoopsContinueWithoutAGapAndNeverEnd) {
  struct TCase {
    const char* name;
    int64_t loop_start;  // bytes
    std::vector<int32_t> expected;
  };
  const std::vector<TCase> cases = {
      {"from the loop start", 2, {1, 1, 2, 2, 3, 3, 2, 2, 3, 3, 2, 2}},
      {"a loop start past the end is 0", 400, {1, 1, 2, 2, 3, 3, 1, 1, 2, 2, 3, 3}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TWaveRig rig;
    TWavBuffer* source = rig.out.AddSource(Wav16({1, 2, 3}, 1));
    source->SetLoop(true, c.loop_start);
    source->StartSource();
    rig.out.Fill();
    EXPECT_EQ(rig.Take(6), c.expected);
    rig.now = 5000;
    EXPECT_FALSE(source->SourceEnded());
  }
  // An empty looping source ends its pass instead of spinning.
  TWaveRig rig;
  TWavBuffer* empty = rig.out.AddSource(Wav16({}, 1));
  empty->SetLoop(true, 0);
  empty->StartSource();
  rig.out.Fill();
  EXPECT_EQ(rig.out.QueuedCount(), 0u);
}

// A device thread pulls from the engine while the mixer fills on its own
// thread and the main thread changes sources: built with -fsanitize=thread
// this must report nothing (it did not when checked).
TEST(WavOut, ThreadedFillStartsAndClosesCleanly) {
  for (int round = 0; round < 3; ++round) {
    TAudioEngine engine;
    std::atomic<uint32_t> now{0};
    TWavOut out(
        100, [&now] { return now.load(); }, true);
    engine.SetQueue(&out);
    out.Open();
    std::atomic<bool> stop{false};
    std::thread device([&] {
      std::vector<int16_t> buffer(2048);
      while (!stop) {
        engine.Render(buffer.data(), 1024);
        now += 23;
        std::this_thread::yield();
      }
    });
    auto voice = engine.AddVoice(Wav16(std::vector<int16_t>(8000, 5), 2));
    engine.SetLoop(*voice, true, 100);
    engine.Play(*voice);
    TWavBuffer* source = out.AddSource(Wav16(std::vector<int16_t>(8000, 5), 2));
    source->SetLoop(true, 0);
    source->StartSource();
    for (int i = 0; i < 50; ++i) {
      engine.SetGain(*voice, TGainLaw::Decibel, -i * 10, i);
      source->SetSourceVolume(i);
      (void)source->SourcePosition();
      (void)source->SourceEnded();
      if (i == 20) source->PauseSource();
      if (i == 30) source->StartSource();
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    engine.RemoveVoice(voice);
    out.Close();
    stop = true;
    device.join();
    engine.SetQueue(nullptr);
  }
}

}  // namespace
}  // namespace orvo
