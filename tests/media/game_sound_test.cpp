// Whole games with sound, built from source and run headless on the game
// clock with --audio-out: the captured samples must be the ones the mixing
// rules give, frame for frame.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

#include "base/binary_io.h"
#include "base/stream.h"
#include "media/sound_fixture.h"
#include "platform/video_encoder.h"
#include "support/test_support.h"
#include "surface/picture_io.h"

namespace orvo {
namespace {

std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }
std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }

// Builds a game from a start page and files and returns its folder.
std::string BuildGame(const std::string& name, const std::string& start,
                      const std::map<std::string, std::string>& files = {}) {
  const std::string root = test::MakeTempDir("sound-" + name);
  const std::string source = root + "/src";
  std::filesystem::create_directories(source);
  test::WriteFile(source + "/settings.ini",
                  "[project]\ntitle = " + name + "\nwidth = 32\nheight = 24\nstart_page = start.osb\nexit_page =\n");
  test::WriteFile(source + "/start.src", start);
  for (const auto& [file, bytes] : files) test::WriteFile(source + "/" + file, bytes);
  std::string output;
  EXPECT_EQ(test::RunCommand(Kit() + " build " + source + " -o " + root + "/game", &output), 0) << output;
  return root + "/game";
}

struct TCapture {
  std::vector<int16_t> left, right;
  std::string vars;
  std::string output;
};

// Runs frames steps of 15 ms and returns both channels of the capture.
TCapture RunGame(const std::string& game, int frames) {
  TCapture capture;
  const std::string wav = game + "/../out.wav", vars = game + "/../vars.txt";
  EXPECT_EQ(test::RunCommand(Player() + " " + game + " --headless --fixed-step 15 --frames " + std::to_string(frames) +
                                 " --audio-out " + wav + " --dump-vars " + vars + " 2>&1",
                             &capture.output),
            0)
      << capture.output;
  const std::string bytes = test::ReadFile(wav);
  EXPECT_GE(bytes.size(), 44u);
  if (bytes.size() < 44) return capture;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  // The canonical header with the sizes filled in at exit.
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(LoadU32(p + 4), bytes.size() - 8);
  EXPECT_EQ(LoadU16(p + 22), 2);
  EXPECT_EQ(LoadU32(p + 24), 44100u);
  EXPECT_EQ(LoadU16(p + 34), 16);
  EXPECT_EQ(LoadU32(p + 40), bytes.size() - 44);
  for (size_t i = 44; i + 3 < bytes.size(); i += 4) {
    capture.left.push_back(static_cast<int16_t>(LoadU16(p + i)));
    capture.right.push_back(static_cast<int16_t>(LoadU16(p + i + 2)));
  }
  capture.vars = test::ReadFile(vars);
  return capture;
}

// The frame where a step at T ms begins rendering: floor(T × 44.1).
size_t FrameAt(int64_t ms) { return static_cast<size_t>(ms * 441 / 10); }

// A sample scaled by a volume in hundredths of a dB: G = round(10^(v/2000) × 2^16), (s × G + 2^15) >> 16.
int16_t Scaled(int16_t sample, int32_t volume) {
  const int64_t gain = volume <= -10000 ? 0 : std::llround(std::pow(10.0, volume / 2000.0) * 65536.0);
  return static_cast<int16_t>((sample * gain + 32768) >> 16);
}

std::string Constant(int16_t value, size_t frames, uint32_t rate = 44100) {
  return test::Pcm16Wav(std::vector<int16_t>(frames, value), 1, rate);
}

// Counts the frames in [from, to) whose both channels differ from want; the first one's index in first_bad.
size_t Mismatches(const TCapture& c, size_t from, size_t to, const std::function<int16_t(size_t)>& want,
                  size_t* first_bad = nullptr) {
  size_t bad = 0;
  for (size_t i = from; i < to && i < c.left.size(); ++i) {
    if (c.left[i] != want(i) || c.right[i] != want(i)) {
      if (bad == 0 && first_bad) *first_bad = i;
      ++bad;
    }
  }
  if (to > c.left.size()) bad += to - c.left.size();
  return bad;
}

TEST(GameSound, StartsAndStopsOnTheFrameClockAtItsVolume) {
  const std::string game = BuildGame("plain",
                                     "sound PR_NAME=\"a\", PR_SOURCE=\"c.wav\", PR_VOLUME=500\n"
                                     "wait 300\n"
                                     "moviestop obj=\"a\", fade=0\n"
                                     "wait 100\n",
                                     {{"c.wav", Constant(10000, 44100)}});
  const TCapture c = RunGame(game, 40);
  ASSERT_EQ(c.left.size(), FrameAt(600));
  // Started in the step at 15 ms, stopped in the step at 315 ms.
  const size_t start = FrameAt(15), stop = FrameAt(315);
  const int16_t level = Scaled(10000, -2500);
  EXPECT_EQ(Mismatches(c, 0, c.left.size(), [&](size_t i) { return i >= start && i < stop ? level : int16_t{0}; }), 0u);
}

TEST(GameSound, LoopsFromTheRepeatPositionWithoutAGap) {
  std::vector<int16_t> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i * 10 + 1);
  const std::string game =
      BuildGame("loop", "sound PR_NAME=\"r\", PR_SOURCE=\"r.wav\", PR_VOLUME=1000, PR_REPEAT=TRUE, PR_REPEATPOS=10\n",
                {{"r.wav", test::Pcm16Wav(ramp, 1)}});
  const TCapture c = RunGame(game, 20);
  const size_t start = FrameAt(15), repeat = 441;  // 10 ms
  EXPECT_EQ(Mismatches(c, 0, c.left.size(),
                       [&](size_t i) -> int16_t {
                         if (i < start) return 0;
                         size_t k = i - start;
                         if (k >= ramp.size()) k = repeat + (k - ramp.size()) % (ramp.size() - repeat);
                         return ramp[k];
                       }),
            0u);
}

TEST(GameSound, FadesInAndOutByTheStepOfTheGameClock) {
  const std::string game = BuildGame("fade",
                                     "sound PR_NAME=\"f\", PR_SOURCE=\"c.wav\", PR_VOLUME=1000, PR_DELAY=300\n"
                                     "wait 450\n"
                                     "moviestop obj=\"f\", fade=300, wait=TRUE\n"
                                     "var gone: int = @TickCount\n",
                                     {{"c.wav", Constant(10000, 44100 * 2)}});
  const TCapture c = RunGame(game, 60);
  // The volume a step leaves is heard from that step's time up to the next step's.
  std::vector<int32_t> volume(61, -10000);
  for (int step = 1; step <= 60; ++step) {
    const int64_t t = step * 15;
    if (t <= 15) {
      volume[step] = -10000;  // the fade-in takes its start
    } else if (t < 465) {
      const int64_t e = t - 15;
      volume[step] = e >= 300 ? 0 : static_cast<int32_t>(-10000 + 5000 + e * 5000 / 300);
    } else if (t == 465) {
      volume[step] = 0;  // the fade-out takes its start
    } else {
      const int64_t e = t - 465;
      volume[step] = e >= 300 ? -10000 : static_cast<int32_t>(e * -5000 / 300);
    }
  }
  size_t first_bad = 0;
  EXPECT_EQ(Mismatches(
                c, 0, c.left.size(),
                [&](size_t i) -> int16_t {
                  int step = static_cast<int>(i * 10 / 441 / 15);  // the step whose span holds frame i
                  while (FrameAt((step + 1) * 15) <= i) ++step;
                  return step == 0 ? int16_t{0} : Scaled(10000, volume[static_cast<size_t>(step)]);
                },
                &first_bad),
            0u)
      << "first at frame " << first_bad;
  // The stop command waited until the faded object was deleted.
  EXPECT_NE(c.vars.find("gone\tint\t780"), std::string::npos) << c.vars;
}

TEST(GameSound, PauseHoldsThePositionAndPlayEndFollowsTheLastFrame) {
  std::vector<int16_t> ramp(8820);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i + 1);
  const std::string game = BuildGame("pause",
                                     "var ended_at: int = 0\n"
                                     "sound PR_NAME=\"p\", PR_SOURCE=\"p.wav\", PR_VOLUME=1000, "
                                     "PR_ONPLAYEND=\"ended.osb\"\n"
                                     "wait 90\n"
                                     "setprop obj=\"p\", prop=PR_PAUSED, value=TRUE\n"
                                     "wait 150\n"
                                     "setprop obj=\"p\", prop=PR_PAUSED, value=FALSE\n"
                                     "wait 400\n",
                                     {{"p.wav", test::Pcm16Wav(ramp, 1)}, {"ended.src", "ended_at = @TickCount\n"}});
  const TCapture c = RunGame(game, 50);
  const size_t start = FrameAt(15), pause = FrameAt(105), resume = FrameAt(255);
  const size_t played = pause - start, end = resume + (ramp.size() - played);
  EXPECT_EQ(Mismatches(c, 0, c.left.size(),
                       [&](size_t i) -> int16_t {
                         if (i >= start && i < pause) return ramp[i - start];
                         if (i >= resume && i < end) return ramp[played + i - resume];
                         return 0;
                       }),
            0u);
  // The last frame is rendered as the step at 375 ms begins; its update sees
  // the end and the handler runs in the next step.
  EXPECT_NE(c.vars.find("ended_at\tint\t390"), std::string::npos) << c.vars;
}

TEST(GameSound, OggPlaysAsItsDecoderGivesIt) {
  const std::string root = test::MakeTempDir("ogg-tone");
  std::string output;
  ASSERT_EQ(test::RunCommand(Kit() + " sound tone -o " + root + "/t.ogg --ms 200 --freq 700 --channels 2", &output), 0)
      << output;
  ASSERT_EQ(test::RunCommand(Kit() + " sound decode " + root + "/t.ogg -o " + root + "/t.wav", &output), 0) << output;
  const std::string decoded = test::ReadFile(root + "/t.wav");
  const std::string game = BuildGame("ogg", "sound PR_NAME=\"o\", PR_SOURCE=\"t.ogg\", PR_VOLUME=1000\n",
                                     {{"t.ogg", test::ReadFile(root + "/t.ogg")}});
  const TCapture c = RunGame(game, 20);
  const auto* p = reinterpret_cast<const uint8_t*>(decoded.data()) + 44;
  const size_t frames = (decoded.size() - 44) / 4, start = FrameAt(15);
  ASSERT_EQ(frames, 8820u);
  size_t bad = 0;
  for (size_t k = 0; k < frames; ++k) {
    bad += c.left[start + k] != static_cast<int16_t>(LoadU16(p + 4 * k)) ? 1 : 0;
    bad += c.right[start + k] != static_cast<int16_t>(LoadU16(p + 4 * k + 2)) ? 1 : 0;
  }
  EXPECT_EQ(bad, 0u);
  EXPECT_EQ(c.left[start + frames], 0);
}

TEST(GameSound, WaveOutputPathPlaysTheSameSamples) {
  const std::string game = BuildGame("waveout", "sound PR_NAME=\"w\", PR_SOURCE=\"c.wav\", PR_VOLUME=1000\n",
                                     {{"c.wav", Constant(12345, 22050)}});
  test::WriteFile(game + "/game.ini", "[Sound]\nDirectSound=0\nDelayTime=100\n");
  const TCapture c = RunGame(game, 50);
  const size_t start = FrameAt(15), end = start + 22050;
  EXPECT_EQ(
      Mismatches(c, 0, c.left.size(), [&](size_t i) { return i >= start && i < end ? int16_t{12345} : int16_t{0}; }),
      0u);
}

TEST(GameSound, A48kHzSourcePlaysResampledAndEnds) {
  const std::string game =
      BuildGame("rate48",
                "var ended_at: int = 0\n"
                "sound PR_NAME=\"h\", PR_SOURCE=\"h.wav\", PR_VOLUME=1000, "
                "PR_ONPLAYEND=\"ended.osb\"\n",
                {{"h.wav", Constant(-7000, 24000, 48000)}, {"ended.src", "ended_at = @TickCount\n"}});
  const TCapture c = RunGame(game, 50);
  const size_t start = FrameAt(15), end = start + 22050;  // 0.5 s at 44100 Hz
  EXPECT_EQ(
      Mismatches(c, 0, c.left.size(), [&](size_t i) { return i >= start && i < end ? int16_t{-7000} : int16_t{0}; }),
      0u);
  EXPECT_EQ(c.vars.find("ended_at\tint\t0"), std::string::npos) << c.vars;
}

TEST(GameSound, CdTracksPlayFromTheGameFolderAtTheLinearVolume) {
  const std::string game = BuildGame("cd",
                                     "sound PR_NAME=\"missing\", PR_SOURCE=\"CD_3\", PR_VOLUME=1000\n"
                                     "sound PR_NAME=\"cd\", PR_SOURCE=\"CD_2\", PR_VOLUME=500\n");
  std::filesystem::create_directories(game + "/cd");
  test::WriteFile(game + "/cd/track02.wav", Constant(10000, 4410));
  const TCapture c = RunGame(game, 20);
  const size_t start = FrameAt(15), end = start + 4410;
  // (max(v, -5000) + 5000) / 5000 of -2500: one half.
  EXPECT_EQ(
      Mismatches(c, 0, c.left.size(), [&](size_t i) { return i >= start && i < end ? int16_t{5000} : int16_t{0}; }),
      0u);
  EXPECT_NE(c.output.find("cd/track03"), std::string::npos) << c.output;
}

// The pixel at (x, y) of a PNG file, without alpha.
uint32_t PngPixel(const std::string& path, int32_t x, int32_t y) {
  const std::string bytes = test::ReadFile(path);
  TSpanStream stream(bytes.data(), bytes.size());
  TDIBSurface picture;
  ReadPng(stream, picture);
  return picture.GetPixel(x, y) & 0xFFFFFF;
}

TEST(GameSound, VideoFramesFollowTheSoundClockInShots) {
  // Three frames of 100 ms; colours that read the same in either channel order.
  const std::vector<uint32_t> colours = {0xFF00FF00, 0xFFFF00FF, 0xFF404040};
  std::vector<std::vector<uint32_t>> frames;
  for (uint32_t colour : colours) frames.emplace_back(8 * 6, colour);
  const std::vector<uint8_t> video = EncodeRawVideo(frames, 8, 6, 10);
  const std::string game = BuildGame("video", "movie PR_NAME=\"v\", PR_SOURCE=\"v.nut\", PR_LEFT=4, PR_TOP=4\n",
                                     {{"v.nut", std::string(video.begin(), video.end())}});
  std::string output;
  std::string shots;
  // The video starts in step 1; at step k it has played floor(15k × 44.1) - 661 frames:
  // step 5 60 ms (frame 0), step 8 105 ms (frame 1), step 15 210 ms (frame 2).
  for (int step : {5, 8, 15})
    shots += " --shot " + std::to_string(step) + ":" + game + "/s" + std::to_string(step) + ".png";
  ASSERT_EQ(test::RunCommand(Player() + " " + game + " --headless --fixed-step 15 --frames 16" + shots, &output), 0)
      << output;
  EXPECT_EQ(PngPixel(game + "/s5.png", 6, 6), 0x00FF00u);
  EXPECT_EQ(PngPixel(game + "/s8.png", 6, 6), 0xFF00FFu);
  EXPECT_EQ(PngPixel(game + "/s15.png", 6, 6), 0x404040u);
  EXPECT_EQ(PngPixel(game + "/s15.png", 1, 1), PngPixel(game + "/s5.png", 1, 1));  // outside the video: the screen
}

}  // namespace
}  // namespace orvo
