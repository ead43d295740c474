#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/frame_clock.h"
#include "app/frame_step.h"
#include "app/game_ini.h"
#include "app/options.h"
#include "support/test_support.h"

namespace orvo {
namespace {

TEST(GameIni, DelayTimeIsTruncatedAndClamped) {
  const std::pair<int, int> cases[] = {{750, 500}, {50, 100},   {349, 300}, {500, 500},
                                       {100, 100}, {-200, 100}, {0, 100}};
  for (auto [in, out] : cases) EXPECT_EQ(NormaliseDelayTime(in), out) << in;
}

TEST(GameIni, ReadsBooleansAsIntegersAndKeepsOtherKeysOnWrite) {
  std::string dir = test::MakeTempDir("ini");
  std::string path = dir + "/game.ini";
  test::WriteFile(path, "[Sound]\nDirectSound=0\nDelayTime=349\n[Video]\nUseWMP=2\n[Font]\nDefaultOnly=true\n");
  TGameIni ini;
  ASSERT_TRUE(ReadGameIni(path, ini));
  EXPECT_FALSE(ini.use_direct_sound);
  EXPECT_EQ(ini.delay_time, 300);
  EXPECT_TRUE(ini.use_wmp);
  EXPECT_FALSE(ini.font_default_only);  // "true" is not an integer: the default holds
  WriteGameIniSound(path, true, 200);
  TGameIni again;
  ASSERT_TRUE(ReadGameIni(path, again));
  EXPECT_TRUE(again.use_direct_sound);
  EXPECT_EQ(again.delay_time, 200);
  EXPECT_TRUE(again.use_wmp);
  EXPECT_EQ(LocateGameIni(dir, "/nonexistent"), path);
  EXPECT_EQ(LocateGameIni("/nonexistent", dir), dir + "/game.ini");
}

TEST(FrameClock, CapsTheDeltaWrapsTheTotalAndNeverJumpsAfterAPause) {
  struct Step {
    uint32_t now;
    bool restart;  // a pause ended: the reference restarts here
    int32_t delta, total;
  };
  const Step steps[] = {
      {15, false, 15, 15},
      {1015, false, 160, 1015},  // a long stall: delta capped, total not
      {50000, true, 0, 1015},    // resume after a pause: nothing counted
      {50016, false, 16, 1031},
  };
  TRuntimeState state;
  TFrameClock clock;
  clock.Restart(0);
  for (const Step& step : steps) {
    if (step.restart) {
      clock.Restart(step.now);
      continue;
    }
    clock.Tick(step.now, state);
    EXPECT_EQ(state.frame_delta, step.delta) << step.now;
    EXPECT_EQ(state.total_elapsed, step.total) << step.now;
  }
  // The millisecond counter and the total both wrap without a jump.
  state.total_elapsed = INT32_MAX - 5;
  clock.Restart(0xFFFFFFF0u);
  clock.Tick(0x00000005u, state);
  EXPECT_EQ(state.frame_delta, 21);
  EXPECT_EQ(state.total_elapsed, INT32_MIN + 15);
}

TEST(FrameClock, HoldsA15MillisecondCadence) {
  // now, then the wait the clock asks for before the next tick.
  const std::pair<uint32_t, int> ticks[] = {
      {1, 15},   {16, 15},  {31, 15}, {51, 10},  // five late: the next tick comes sooner
      {61, 15},  {500, 15},                      // a stall: no burst of ticks to catch up
      {515, 15},
  };
  TRuntimeState state;
  TFrameClock clock;
  clock.Restart(0);
  EXPECT_EQ(clock.TimeToNextTick(0), 1);
  for (auto [now, wait] : ticks) {
    EXPECT_EQ(clock.Tick(now, state), wait) << now;
    EXPECT_EQ(clock.TimeToNextTick(now), wait);
  }
  EXPECT_EQ(clock.TimeToNextTick(540), 0);
}

class TRecordingParts : public IFrameParts {
 public:
  std::vector<std::string> calls;
  bool load = false;
  bool terminate_in_interpreter = false;
  TRuntimeState* state = nullptr;
  void Housekeeping() override { calls.push_back("housekeeping"); }
  void ProcessInput() override { calls.push_back("input"); }
  void RunInterpreter() override {
    calls.push_back("interpreter");
    if (terminate_in_interpreter) state->terminating = true;
  }
  void UpdateStage() override { calls.push_back("update"); }
  bool PerformPending() override {
    calls.push_back("pending");
    return std::exchange(load, false);
  }
  void PaintStage() override { calls.push_back("paint"); }
  void Present() override { calls.push_back("present"); }
  void ClearDirty() override { calls.push_back("clear"); }
  void UpdateVideo() override { calls.push_back("video"); }
};

TEST(FrameStep, RunsInOrderSkipsTheDrawAfterALoadAndHonoursTheDivisor) {
  TRuntimeState state;
  TDrawPhase draw;
  TRecordingParts parts;
  parts.state = &state;
  EXPECT_TRUE(StepFrame(state, draw, parts));
  EXPECT_EQ(parts.calls, (std::vector<std::string>{"housekeeping", "input", "interpreter", "update", "pending", "paint",
                                                   "present", "clear", "video"}));
  EXPECT_EQ(state.frame_counter, 1);

  parts.load = true;  // after a load the next frame updates but does not draw
  EXPECT_FALSE(StepFrame(state, draw, parts));
  EXPECT_TRUE(StepFrame(state, draw, parts));

  state.drawing_divisor = 2;
  std::vector<bool> drawn;
  for (int i = 0; i < 4; ++i) drawn.push_back(StepFrame(state, draw, parts));
  EXPECT_EQ(drawn, (std::vector<bool>{false, true, false, true}));

  parts.calls.clear();
  parts.terminate_in_interpreter = true;
  int32_t counter = state.frame_counter;
  EXPECT_FALSE(StepFrame(state, draw, parts));
  EXPECT_EQ(parts.calls.back(), "interpreter");
  EXPECT_EQ(state.frame_counter, counter);
}

TEST(PlayerOptions, ParsesGameArgumentsAndOurOptions) {
  struct Case {
    std::vector<std::string> argv;
    bool ok;
  };
  const Case cases[] = {
      {{"game", "--headless", "--frames", "10", "--fixed-step", "15", "--seed", "42"}, true},
      {{"--shot", "5:a.png", "--shot", "9:b.png"}, true},
      {{"/D3D", "game"}, true},
      {{"--frames"}, false},
      {{"--frames", "-1"}, false},
      {{"--fixed-step", "0"}, false},
      {{"--shot", "x.png"}, false},
      {{"--nonsense"}, false},
      {{"--display-modes", "800x600x16@75,1920x1080x32@60*"}, true},
      {{"--display-modes", "800x600x16"}, false},
      {{"--display-modes"}, false},
  };
  for (const auto& c : cases) {
    std::vector<char*> argv{const_cast<char*>("orvoplayer")};
    for (const auto& arg : c.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    TPlayerOptions options;
    std::string error;
    EXPECT_EQ(ParsePlayerOptions(static_cast<int>(argv.size()), argv.data(), options, error), c.ok) << c.argv[0];
  }
  std::vector<const char*> argv{"orvoplayer", "/Config", "dir", "--shot", "7:x.png"};
  TPlayerOptions options;
  std::string error;
  ASSERT_TRUE(ParsePlayerOptions(5, const_cast<char**>(argv.data()), options, error));
  EXPECT_TRUE(options.config);
  EXPECT_EQ(options.game_args.size(), 2u);
  ASSERT_EQ(options.shots.size(), 1u);
  EXPECT_EQ(options.shots[0].frame, 7);
}

}  // namespace
}  // namespace orvo
