// Writes the demo game's films with the tests' film writer:
//   make_demo_films OUT_DIR   (the game folder; films go to OUT_DIR/films)
#include <cstdio>
#include <string>

#include "support/film_writer.h"
#include "support/test_support.h"

namespace {

using orvo::test::TWriterFilm;
using orvo::test::TWriterTrack;

TWriterTrack Box(int32_t start, int32_t length) {
  TWriterTrack box;
  box.type = 2;
  box.start = start;
  box.length = length;
  return box;
}

// A cinema film: a lamp flying over a blue screen while a bar grows and
// shrinks, then a blind wipe to a second screen with a turning spinner.
TWriterFilm Show() {
  TWriterFilm film;
  film.width = 320, film.height = 200, film.color = 0x402010;
  TWriterTrack lamp;
  lamp.type = 0, lamp.length = 90, lamp.priority = 2;
  lamp.path = "..\\pictures\\lamp.dov";
  lamp.anchor_x = lamp.anchor_y = 24;
  lamp.x0 = 40, lamp.y0 = 50, lamp.x1 = 280, lamp.y1 = 110;
  lamp.ease_y = 2;
  lamp.zoom_x0 = lamp.zoom_y0 = 1, lamp.zoom_x1 = lamp.zoom_y1 = 1.5;
  TWriterTrack grow = Box(0, 45);
  grow.x0 = grow.x1 = 20, grow.y0 = grow.y1 = 160;
  grow.size = {40, 20, 280, 20};
  grow.fill0 = 0x0000C0, grow.fill1 = 0x00C000;
  grow.border_width0 = grow.border_width1 = 2;
  grow.border_color0 = grow.border_color1 = 0xFFFFFF;
  TWriterTrack shrink = Box(0, 45);
  shrink.parent = 1;
  shrink.x1 = 20, shrink.y1 = 160;
  shrink.size = {0, 0, 40, 20};
  shrink.fill1 = 0xC00000;
  shrink.border_width1 = 2;
  shrink.border_color1 = 0xFFFFFF;
  TWriterTrack wipe;
  wipe.type = 3, wipe.start = 60, wipe.length = 30, wipe.wipe_kind = 3, wipe.param0 = 20, wipe.param1 = 1;
  TWriterTrack panel = Box(89, 150);
  panel.x0 = panel.x1 = 40, panel.y0 = panel.y1 = 30;
  panel.size = {240, 140, 240, 140};
  panel.fill0 = panel.fill1 = 0x204060;
  panel.alpha0 = 160, panel.alpha1 = 160;
  panel.priority = 1;
  TWriterTrack spinner;
  spinner.type = 0, spinner.start = 89, spinner.length = 150, spinner.priority = 2;
  spinner.path = "..\\pictures\\spinner.dov";
  spinner.anchor_x = spinner.anchor_y = 12;
  spinner.x0 = spinner.x1 = 160, spinner.y0 = spinner.y1 = 100;
  spinner.zoom_x0 = spinner.zoom_y0 = spinner.zoom_x1 = spinner.zoom_y1 = 3;
  spinner.angle0 = 0, spinner.angle1 = 360;
  film.tracks = {lamp, grow, shrink, wipe, panel, spinner};
  return film;
}

// A motion film: there and back again, relative to where the picture stands.
TWriterFilm Bounce() {
  TWriterFilm film;
  film.magic = "OrvoMotion";
  film.version = 111;
  film.relative = true;
  TWriterTrack there;
  there.type = 0, there.length = 60;
  there.path = "..\\pictures\\spinner.dov";
  there.x1 = 260, there.ease_x = 2;
  TWriterTrack back = there;
  back.parent = 0;
  back.x1 = 0, back.ease_x = 1;
  film.tracks = {there, back};
  return film;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_films GAME_DIR\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/films";
  if (orvo::test::RunCommand("mkdir -p '" + folder + "'") != 0) return 1;
  orvo::test::WriteFile(folder + "/show.ocn", orvo::test::WriteFilmBytes(Show()));
  orvo::test::WriteFile(folder + "/bounce.omt", orvo::test::WriteFilmBytes(Bounce()));
  return 0;
}
