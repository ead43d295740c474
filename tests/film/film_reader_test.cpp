// Reading films: every version's layout, the kinds, links and damaged data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "film/film.h"
#include "support/film_writer.h"

namespace orvo {
namespace {

using test::TWriterFilm;
using test::TWriterTrack;
using test::WriteFilmBytes;

// One track of every kind with values that tell the fields apart.
std::vector<TWriterTrack> EveryKind() {
  std::vector<TWriterTrack> tracks(8);
  for (int k = 0; k < 8; ++k) {
    TWriterTrack& t = tracks[k];
    t.type = static_cast<uint8_t>(k);
    t.start = 10 + k;
    t.length = 20;
    t.period = 4;
    t.priority = 7;
    t.x0 = 1, t.y0 = 2, t.x1 = 3, t.y1 = 4;
    t.angle0 = 30, t.angle1 = 90.5;
    t.zoom_x0 = 2, t.zoom_x1 = 3;
    t.zoom_y0 = 5, t.zoom_y1 = 6;
    t.clip = {1, 2, 3, 4, 5, 6, 7, 8};
    t.blur = {11, 12, 13, 14};
    t.alpha0 = 100, t.alpha1 = -50;
  }
  tracks[0].path = "a.png";
  tracks[1].text = "hello";
  tracks[1].line_space = 9;
  tracks[1].align = 2;
  tracks[2].fill0 = 0x102030;
  tracks[3].rule = "rule.png";
  tracks[3].wipe_kind = 5;
  tracks[3].option = true;
  tracks[4].path = "se.wav";
  tracks[4].volume0 = -2000;
  tracks[4].volume1 = 500;
  tracks[5].path = "t.png";
  tracks[5].distance_x = 9;
  tracks[6].path = "p.omt";
  tracks[6].loop = true;
  tracks[6].pre_run = 33;
  tracks[7].power = 77;
  return tracks;
}

TEST(FilmReader, EveryVersionReadsItsOwnLayout) {
  for (int32_t v = 100; v <= 112; ++v) {
    SCOPED_TRACE("version " + std::to_string(v));
    TWriterFilm written;
    written.version = v;
    written.relative = true;
    written.origin_x = 5, written.origin_y = 6;
    written.loop_start = 15;
    written.tracks = EveryKind();
    TFilmManager film;
    ASSERT_EQ(film.LoadFilm(WriteFilmBytes(written), "film\\op.ocn"), TFilmLoad::Loaded) << film.LoadMessage();
    ASSERT_EQ(film.Tracks().size(), 8u);
    EXPECT_EQ(film.relative, v > 101);
    EXPECT_EQ(film.origin_x, v > 103 ? 5 : 0);
    EXPECT_EQ(film.loop_start, v > 106 ? 15 : v == 106 ? 30 : 0);
    const int32_t twice = v <= 106 ? 2 : 1;
    for (int k = 0; k < 8; ++k) {
      const TCustomFrameList& t = *film.Track(k);
      EXPECT_EQ(static_cast<int>(t.Kind()), k);
      EXPECT_EQ(t.start, (10 + k) * twice);
      EXPECT_EQ(t.length, 20 * twice);
      if (k != 0 && k != 5) {
        EXPECT_EQ(t.period, 4 * twice);
      }
      EXPECT_EQ(t.priority, 7);
    }
    const TCustomFrameList& image = *film.Track(0);
    EXPECT_EQ(image.path, "film\\a.png");
    EXPECT_EQ(image.start_real[qAngle], 30);
    EXPECT_EQ(image.end_real[qAngle], v < 110 ? 90 : 90.5);
    EXPECT_EQ(image.end_int[qClipHeight], v > 100 ? 8 : 0);
    EXPECT_EQ(image.start_real[qZoomY], v >= 105 ? 5 : 2);
    EXPECT_EQ(image.end_int[qBlurDelay], v >= 109 ? 14 : 0);
    const TCustomFrameList& label = *film.Track(1);
    EXPECT_EQ(label.text, "hello");
    EXPECT_EQ(label.line_space, v < 103 ? 0 : 9);
    EXPECT_EQ(label.align, v > 102 ? 2 : 0);
    EXPECT_EQ(film.Track(2)->start_int[qFillColor], 0x102030);
    const TCustomFrameList& wipe = *film.Track(3);
    EXPECT_EQ(wipe.wipe_kind, 5);
    EXPECT_EQ(wipe.rule, v > 100 ? "film\\rule.png" : "");
    EXPECT_EQ(wipe.option, v > 110);
    const TCustomFrameList& sound = *film.Track(4);
    EXPECT_EQ(sound.start_int[qVolume], v <= 107 ? 800 : -2000);
    EXPECT_EQ(sound.end_int[qVolume], v <= 107 ? 1050 : 500);
    EXPECT_EQ(film.Track(5)->distance_x, 9);
    EXPECT_EQ(film.Track(5)->end_int[qClipHeight], v >= 101 ? 8 : 0);
    const TCustomFrameList& particle = *film.Track(6);
    EXPECT_EQ(particle.pre_run, 33);
    EXPECT_EQ(particle.loop, v >= 112);   // before 112: a ".omt" source does not loop
    EXPECT_EQ(film.Track(7)->power, 77);  // the last field of the file
  }
}

TEST(FilmReader, DoublingAndChainedStarts) {
  struct TCase {
    int32_t version;
    int32_t start, length, period, loop_start;
  };
  const TCase cases[] = {{106, 20, 40, 8, 30}, {105, 20, 40, 8, 0}, {107, 10, 20, 4, 15}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.version);
    TWriterFilm written;
    written.version = c.version;
    written.loop_start = 15;
    TWriterTrack box;
    box.type = 2;
    box.start = 10, box.length = 20, box.period = 4;
    written.tracks = {box};
    TFilmManager film;
    ASSERT_EQ(film.LoadFilm(WriteFilmBytes(written), "x"), TFilmLoad::Loaded);
    EXPECT_EQ(film.Track(0)->start, c.start);
    EXPECT_EQ(film.Track(0)->length, c.length);
    EXPECT_EQ(film.Track(0)->period, c.period);
    EXPECT_EQ(film.loop_start, c.loop_start);
  }
  // A chained track begins where its parent ends, whatever its own start.
  TWriterFilm written;
  TWriterTrack parent;
  parent.type = 2, parent.start = 10, parent.length = 30;
  TWriterTrack child = parent;
  child.parent = 0, child.start = 500, child.length = 5;
  written.tracks = {parent, child};
  TFilmManager film;
  ASSERT_EQ(film.LoadFilm(WriteFilmBytes(written), "x"), TFilmLoad::Loaded);
  EXPECT_EQ(film.Track(1)->AbsoluteStart(), 40);
  EXPECT_EQ(film.Track(0)->Follower(), film.Track(1));
  EXPECT_EQ(film.FilmLength(), 45);
}

TEST(FilmReader, LinksThatCloseACycleAreDropped) {
  struct TCase {
    std::vector<int32_t> parents;
    std::vector<int32_t> linked;
  };
  const TCase cases[] = {
      {{0}, {-1}},                // itself
      {{1, 0}, {1, -1}},          // two tracks naming each other: the second link closes it
      {{2, 0, 1}, {2, 0, -1}},    // three in a ring
      {{-1, 0, 7}, {-1, 0, -1}},  // outside the list
  };
  for (const TCase& c : cases) {
    TWriterFilm written;
    for (int32_t p : c.parents) {
      TWriterTrack t;
      t.type = 2, t.parent = p, t.length = 3;
      written.tracks.push_back(t);
    }
    TFilmManager film;
    ASSERT_EQ(film.LoadFilm(WriteFilmBytes(written), "x"), TFilmLoad::Loaded);
    for (size_t i = 0; i < c.linked.size(); ++i) {
      EXPECT_EQ(film.IndexOf(film.Track(static_cast<int32_t>(i))->parent), c.linked[i]) << i;
      film.Track(static_cast<int32_t>(i))->AbsoluteStart();  // ends
    }
  }
}

TEST(FilmReader, DamagedAndForeignFilesLoadEmpty) {
  TWriterFilm written;
  written.tracks = EveryKind();
  const std::string whole = WriteFilmBytes(written);
  // Every cut inside the data is damage: the film stays empty.
  for (size_t cut = 13; cut < whole.size(); ++cut) {
    TFilmManager film;
    ASSERT_EQ(film.LoadFilm(std::string_view(whole).substr(0, cut), "x"), TFilmLoad::Damaged) << cut;
    EXPECT_TRUE(film.Tracks().empty());
    EXPECT_EQ(film.FilmLength(), 0);
  }
  struct TCase {
    std::string bytes;
    TFilmLoad expected;
  };
  std::string huge_count = WriteFilmBytes(TWriterFilm{});
  huge_count.replace(huge_count.size() - 4, 4, std::string("\xff\xff\xff\x7f", 4));
  std::string letters = whole;
  letters[11] = 'a';
  const TCase cases[] = {
      {"OrvoPicture112", TFilmLoad::NoMagic},
      {"OrvoCin", TFilmLoad::NoMagic},
      {letters, TFilmLoad::NoMagic},
      {huge_count, TFilmLoad::Damaged},  // no reservation by the count: the data just ends
  };
  for (const TCase& c : cases) {
    TFilmManager film;
    EXPECT_EQ(film.LoadFilm(c.bytes, "x"), c.expected);
    EXPECT_TRUE(film.Tracks().empty());
  }
}

TEST(FilmReader, UnknownTypeStopsAndBitSevenIsIgnored) {
  TWriterFilm written;
  TWriterTrack box;
  box.type = 2;
  TWriterTrack tile_high = box;
  tile_high.type = 0x85;  // a tile
  tile_high.distance_x = 3;
  TWriterTrack unknown = box;
  unknown.type = 9;
  written.tracks = {box, tile_high, unknown, box};
  TFilmManager film;
  ASSERT_EQ(film.LoadFilm(WriteFilmBytes(written), "x"), TFilmLoad::Loaded);
  ASSERT_EQ(film.Tracks().size(), 2u);
  EXPECT_EQ(film.Track(1)->Kind(), TTrackKind::Tile);
  EXPECT_EQ(film.Track(1)->distance_x, 3);
}

TEST(FilmReader, EmptyParticlePathKeepsItsFields) {
  TWriterFilm written;
  written.version = 111;
  TWriterTrack particle;
  particle.type = 6;
  particle.pre_run = 12;
  TWriterTrack fire;
  fire.type = 7;
  fire.power = 55;
  written.tracks = {particle, fire};
  TFilmManager film;
  ASSERT_EQ(film.LoadFilm(WriteFilmBytes(written), "x"), TFilmLoad::Loaded);
  ASSERT_EQ(film.Tracks().size(), 2u);
  EXPECT_EQ(film.Track(0)->path, "");
  EXPECT_TRUE(film.Track(0)->loop);  // not a motion film
  EXPECT_EQ(film.Track(1)->power, 55);
}

// Hand-made files, byte by byte.
std::string Hex(const char* text) {
  std::string bytes;
  for (const char* p = text; p[0] && p[1];) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    bytes.push_back(static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16)));
    p += 2;
  }
  return bytes;
}

TEST(FilmReader, HandMadeFiles) {
  // Version 100: no Relative, Origin or LoopStart; one box without clip or
  // blur, doubled (start 3, length 5).
  const std::string box100 =
      std::string("OrvoCinema100") + Hex("40000000 30000000 ffffffff 01000000 02"
                                         " ffffffff 05000000 00000000 03000000 00000000 02000000 01 00 00"
                                         " 0a000000 14000000 1e000000 28000000 00 01"
                                         " 00000000 80000000"
                                         " 08000000 09000000 0a000000 0b000000"
                                         " ff000000 00ff0000 01000000 02000000 00000000 ffffff00");
  // Version 112 motion film, relative, origin (4, 5), loop start 2: one wipe
  // of kind 7 with rule "..\r.png", parameters 1 and 2, reversed, option set.
  const std::string wipe112 =
      std::string("OrvoMotion112") + Hex("20000000 10000000 00000000 01 04000000 05000000 02000000 01000000 03"
                                         " ffffffff 0a000000 00000000 01000000 00000000 00000000 00 00 01"
                                         " 07 08000000 2e2e5c722e706e67 01000000 02000000 01 01");
  {
    TFilmManager film;
    ASSERT_EQ(film.LoadFilm(box100, "c:\\game\\op.ocn"), TFilmLoad::Loaded) << film.LoadMessage();
    EXPECT_EQ(film.width, 64);
    EXPECT_EQ(film.color, -1);
    ASSERT_EQ(film.Tracks().size(), 1u);
    const TCustomFrameList& box = *film.Track(0);
    EXPECT_EQ(box.start, 6);
    EXPECT_EQ(box.length, 10);
    EXPECT_EQ(box.priority, 2);
    EXPECT_TRUE(box.flip_h);
    EXPECT_EQ(box.end_int[qY], 40);
    EXPECT_EQ(box.ease_y, 1);
    EXPECT_EQ(box.end_int[qAlpha], 128);
    EXPECT_EQ(box.end_int[qHeight], 11);
    EXPECT_EQ(box.end_int[qBorderColor], 0xFFFFFF);
    EXPECT_EQ(film.FilmLength(), 16);
  }
  {
    TFilmManager film;
    ASSERT_EQ(film.LoadFilm(wipe112, "c:\\game\\film\\m.omt"), TFilmLoad::Loaded) << film.LoadMessage();
    EXPECT_EQ(film.kind, 1);
    EXPECT_TRUE(film.relative);
    EXPECT_EQ(film.origin_y, 5);
    EXPECT_EQ(film.loop_start, 2);
    const TCustomFrameList& wipe = *film.Track(0);
    EXPECT_TRUE(wipe.other_screen);
    EXPECT_EQ(wipe.wipe_kind, 7);
    // Rule pictures join the folder without climbing it.
    EXPECT_EQ(wipe.rule, "c:\\game\\film\\..\\r.png");
    EXPECT_EQ(wipe.param1, 2);
    EXPECT_TRUE(wipe.reverse);
    EXPECT_TRUE(wipe.option);
  }
}

TEST(FilmReader, PathsInsideAFilm) {
  struct TCase {
    const char* path;
    const char* folder;
    const char* expected;
  };
  const TCase cases[] = {
      {"..\\..\\se\\a.wav", "c:\\game\\film\\", "C:\\se\\a.wav"},
      {"se\\a.wav", "c:\\game\\film\\", "c:\\game\\film\\se\\a.wav"},
      {"..\\a.wav", "film\\", "a.wav"},
      {"..\\..\\..\\a.wav", "c:\\x\\", "..\\a.wav"},  // the drive is a folder like the others
      {"\\abs.wav", "film\\", "\\abs.wav"},
      {"d:x.wav", "film\\", "d:x.wav"},
      {"a", "film\\", "a"},
      {"..\\a.wav", "\\\\server\\share\\", "\\\\SERVER\\a.wav"},
      // "ソ" is 83 5C: its trail byte is not a delimiter.
      {"..\\a.wav", "\x83\x5c\\b\\", "\x83\x5c\\a.wav"},
  };
  for (const TCase& c : cases) EXPECT_EQ(ResolveFilmPath(c.path, c.folder), c.expected) << c.path << " in " << c.folder;
}

}  // namespace
}  // namespace orvo
