// Timing shared by every track: interpolation and easing, frame cycling,
// playing time to frames and the repeat rule.
#include <gtest/gtest.h>

#include <vector>

#include "film/film.h"
#include "stage/picture_fixture.h"
#include "support/film_writer.h"

namespace orvo {
namespace {

TEST(FilmTiming, InterpolationWithAndWithoutFollower) {
  struct TCase {
    int32_t mode, s, e, n;
    std::vector<int32_t> values;  // t = 0, 1, ...
  };
  const TCase cases[] = {
      {0, 0, 100, 5, {0, 25, 50, 75, 100}},
      {0, 0, 100, 6, {0, 20, 40, 60, 80}},  // Length 5 with a follower: one step short
      {0, 100, 0, 5, {100, 75, 50, 25, 0}},
      {1, 0, 100, 5, {0, 19, 41, 69, 100}},  // accelerating: slow, then fast
      {2, 0, 100, 5, {0, 31, 59, 81, 100}},  // decelerating: fast, then slow
      {7, 0, 100, 5, {0, 31, 59, 81, 100}},  // any higher mode decelerates too
      {1, 0, 100, 6, {0, 13, 29, 50, 74}},
      {0, INT32_MIN, INT32_MAX, 3, {INT32_MIN, INT32_MIN, INT32_MAX}},  // the product wraps in 32 bits
  };
  for (const TCase& c : cases) {
    for (size_t t = 0; t < c.values.size(); ++t) {
      EXPECT_EQ(InterpolateInt(c.mode, c.s, c.e, static_cast<int32_t>(t), c.n), c.values[t])
          << "mode " << c.mode << " n " << c.n << " t " << t;
    }
  }
  struct TRealCase {
    int32_t mode;
    int32_t n;
    std::vector<long double> values;
  };
  const TRealCase real_cases[] = {
      {0, 5, {1.0L, 1.2L, 1.4L, 1.6L, 2.0L}},
      {0, 6, {1.0L, 1.0L + 1.0L / 6, 1.0L + 2.0L / 6, 1.5L, 1.0L + 4.0L / 6}},
  };
  for (const TRealCase& c : real_cases) {
    for (size_t t = 0; t < c.values.size(); ++t) {
      EXPECT_NEAR(static_cast<double>(InterpolateReal(c.mode, 1, 2, static_cast<int32_t>(t), c.n)),
                  static_cast<double>(c.values[t]), 1e-15)
          << "n " << c.n << " t " << t;
    }
  }
  // The ends are exact in every mode.
  for (int32_t mode = 0; mode < 3; ++mode) {
    EXPECT_EQ(InterpolateReal(mode, 0.1L, 0.7L, 0, 9), 0.1L);
    EXPECT_EQ(InterpolateReal(mode, 0.1L, 0.7L, 8, 9), 0.7L);
  }
}

TEST(FilmTiming, ElapsedTimeToFramesAndRepeat) {
  const std::pair<int32_t, int32_t> frames[] = {{8, 0},  {25, 1},   {30, 2},    {41, 2},
                                                {75, 4}, {325, 19}, {1000, 60}, {INT32_MAX, 128849019}};
  for (auto [elapsed, frame] : frames) EXPECT_EQ(FilmFrameOfElapsed(elapsed), frame) << elapsed;
  EXPECT_EQ(RepeatFrame(130, 100, 40), 70);
  EXPECT_EQ(RepeatFrame(170, 100, 40), 99);
  EXPECT_EQ(RepeatFrame(5, 0, 0), -1);
}

class FilmFrames : public test::PictureTest {};

TEST_F(FilmFrames, FramesCycleByTheirDurations) {
  std::vector<test::TTestFrame> frames(3, test::Plain(4, 4, 0x0000FF));
  frames[0].delay = 100;
  frames[1].delay = 16;
  frames[2].delay = 0;
  files_.files["film\\walk.dov"] = test::DovaBytes(frames);
  test::TWriterFilm written;
  test::TWriterTrack image;
  image.type = 0;
  image.length = 30;
  image.path = "walk.dov";
  written.tracks = {image};
  TFilmManager film;
  film.SetFilmStage(&stage_);
  ASSERT_EQ(film.LoadFilm(test::WriteFilmBytes(written), "film\\op.ocn"), TFilmLoad::Loaded);
  const TCustomFrameList& track = *film.Track(0);
  ASSERT_EQ(track.FrameCount(), 3);
  EXPECT_EQ(track.Frames()[0].duration, 6);
  EXPECT_EQ(track.Frames()[1].duration, 1);
  EXPECT_EQ(track.Frames()[2].duration, 1);
  EXPECT_EQ(track.period, 8);
  const std::pair<int32_t, int32_t> shown[] = {{0, 0}, {5, 0}, {6, 1}, {7, 2}, {8, 0}, {14, 1}};
  for (auto [t, index] : shown) EXPECT_EQ(track.FrameIndexAt(t), index) << t;
  // A missing picture leaves the track without frames: it shows nothing.
  written.tracks[0].path = "none.dov";
  ASSERT_EQ(film.LoadFilm(test::WriteFilmBytes(written), "film\\op.ocn"), TFilmLoad::Loaded);
  EXPECT_EQ(film.Track(0)->FrameCount(), 0);
  EXPECT_FALSE(TrackValuesAt(*film.Track(0), 0).valid);
}

}  // namespace
}  // namespace orvo
