// orvokit film info and dump: the film as loaded and the values per frame.
#include <gtest/gtest.h>

#include <string>

#include "stage/picture_fixture.h"
#include "support/film_writer.h"
#include "support/test_support.h"

namespace orvo {
namespace {

std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }

class FilmKit : public ::testing::Test {
 public:
  FilmKit() : game_(test::MakeTempDir("film_kit")) {
    RunCommand("mkdir -p " + game_ + "/film");
    std::vector<test::TTestFrame> frames(2, test::Plain(6, 4, 0x0000FF));
    frames[0].delay = 100;
    frames[1].delay = 50;
    test::WriteFile(game_ + "/film/walk.dov", test::DovaBytes(frames));
    test::TWriterFilm film;
    film.width = 320, film.height = 240;
    film.loop_start = 3;
    test::TWriterTrack image;
    image.type = 0, image.start = 2, image.length = 4, image.priority = 1;
    image.path = "walk.dov";
    image.anchor_x = 1, image.anchor_y = 2;
    image.x0 = 0, image.x1 = 30, image.y0 = 5, image.y1 = 5;
    image.zoom_x0 = 1, image.zoom_x1 = 2;
    image.angle0 = 0, image.angle1 = 90;
    test::TWriterTrack box;
    box.type = 2, box.parent = 0, box.length = 2;
    box.x0 = 30, box.x1 = 40;
    box.fill0 = 0x0000FF, box.fill1 = 0x00FF00;
    box.alpha0 = -10, box.alpha1 = -10;
    box.size = {8, 8, 8, 8};
    test::TWriterTrack sound;
    sound.type = 4, sound.length = 3, sound.path = "..\\se\\a.wav";
    sound.volume0 = 1000, sound.volume1 = 0, sound.pan0 = -100, sound.pan1 = 100;
    test::TWriterTrack wipe;
    wipe.type = 3, wipe.start = 1, wipe.length = 3, wipe.wipe_kind = 9, wipe.rule = "r.png";
    wipe.param0 = 4;
    test::TWriterTrack particle;
    particle.type = 6, particle.length = 1, particle.path = "p.omt";
    test::TWriterTrack fire;
    fire.type = 7, fire.length = 1, fire.power = 70;
    film.tracks = {image, box, sound, wipe, particle, fire};
    test::WriteFile(game_ + "/film/op.ocn", test::WriteFilmBytes(film));
    test::WriteFile(game_ + "/film/bad.ocn", test::WriteFilmBytes(film).substr(0, 40));
    test::WriteFile(game_ + "/film/not.ocn", "OrvoPicture");
  }
  int RunCommand(const std::string& command, std::string* output = nullptr) {
    return test::RunCommand(command, output);
  }
  std::string game_;
};

TEST_F(FilmKit, InfoPrintsTheFilmAsLoaded) {
  const std::string expected =
      "film OrvoCinema 112 width=320 height=240 color=-1 relative=0 origin=0,0 loopstart=3 tracks=6 length=8\n"
      "track 0 image parent=-1 start=2 length=4 period=9 absstart=2 priority=1 flip=0,0 other=0 frames=2 "
      "durations=6,3 path=film\\walk.dov\n"
      "track 1 box parent=0 start=0 length=2 period=0 absstart=6 priority=0 flip=0,0 other=0\n"
      "track 2 sound parent=-1 start=0 length=3 period=0 absstart=0 priority=0 flip=0,0 other=0 path=se\\a.wav\n"
      "track 3 wipe parent=-1 start=1 length=3 period=0 absstart=1 priority=0 flip=0,0 other=0 wipe=9 p0=4 p1=0 "
      "reverse=0 option=0 rule=film\\r.png\n"
      "track 4 particle parent=-1 start=0 length=1 period=0 absstart=0 priority=0 flip=0,0 other=0 motion=0 "
      "prerun=0 loop=1 path=film\\p.omt\n"
      "track 5 fire parent=-1 start=0 length=1 period=0 absstart=0 priority=0 flip=0,0 other=0 power=70\n";
  std::string output;
  // With --game the name is a game name ("/" counts as "\").
  ASSERT_EQ(RunCommand(Kit() + " film info film/op.ocn --game " + game_, &output), 0) << output;
  EXPECT_EQ(output, expected);
  // Without, the file's folder is the game and its name the file name.
  ASSERT_EQ(RunCommand(Kit() + " film info " + game_ + "/film/op.ocn", &output), 0) << output;
  EXPECT_NE(output.find("path=walk.dov\n"), std::string::npos) << output;
}

TEST_F(FilmKit, DumpPrintsTheValuesOfEachFrame) {
  std::string output;
  ASSERT_EQ(RunCommand(Kit() + " film dump film/op.ocn --game " + game_ + " --from 2 --to 7", &output), 0) << output;
  const std::string expected =
      "2\t0\timage\tframe=0 x=0 y=5 hot=1,2 zoom=1,1 angle=0 alpha=255 clip=0,0,0,0 blur=0,0\n"
      "2\t2\tsound\tvolume=0 pan=100\n"
      "2\t3\twipe\tkind=9 elapsed=1 length=3\n"
      // The image track has a follower: it stops one step short of its end values.
      "3\t0\timage\tframe=0 x=7 y=5 hot=1,2 zoom=1.2,1 angle=18 alpha=255 clip=0,0,0,0 blur=0,0\n"
      "3\t3\twipe\tkind=9 elapsed=2 length=3\n"
      "4\t0\timage\tframe=0 x=15 y=5 hot=1,2 zoom=1.4,1 angle=36 alpha=255 clip=0,0,0,0 blur=0,0\n"
      "5\t0\timage\tframe=0 x=22 y=5 hot=1,2 zoom=1.6,1 angle=54 alpha=255 clip=0,0,0,0 blur=0,0\n"
      // The box starts from its parent's end values; a picture has no size or
      // colour, which read as 0.
      "6\t1\tbox\trect=30,5,0,0 alpha=255 color=0 border=0,0 clip=0,0,0,0 blur=0,0\n"
      "7\t1\tbox\trect=40,0,8,8 alpha=266 color=65280 border=0,0 clip=0,0,0,0 blur=0,0\n";
  EXPECT_EQ(output, expected);
}

TEST_F(FilmKit, DamagedAndForeignFilesFail) {
  for (const char* name : {"film/bad.ocn", "film/not.ocn", "film/none.ocn"}) {
    std::string output;
    EXPECT_EQ(RunCommand(Kit() + " film info " + name + " --game " + game_ + " 2>&1", &output), 1) << name;
    EXPECT_NE(output.find("orvokit film:"), std::string::npos) << output;
  }
}

}  // namespace
}  // namespace orvo
