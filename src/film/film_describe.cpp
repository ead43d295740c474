#include "film/film_describe.h"

#include <cstdio>

#include "base/numeric.h"
#include "vars/convert.h"

namespace orvo {

namespace {

std::string Real(long double value) { return RealToText(value); }
std::string Int(int64_t value) { return std::to_string(value); }
std::string Pair(int32_t a, int32_t b) { return Int(a) + "," + Int(b); }
std::string Clip(const TClipValue& c) {
  return Int(c.left) + "," + Int(c.top) + "," + Int(c.width) + "," + Int(c.height);
}
std::string Rect(const TTrackValues& v) {
  return Int(v.left) + "," + Int(v.top) + "," + Int(v.width) + "," + Int(v.height);
}

}  // namespace

std::string DescribeFilm(const TFilmManager& film) {
  char version[8];
  std::snprintf(version, sizeof version, "%03d", film.version % 1000);
  std::string out = std::string("film ") + (film.kind ? "OrvoMotion" : "OrvoCinema") + " " + version +
                    " width=" + Int(film.width) + " height=" + Int(film.height) + " color=" + Int(film.color) +
                    " relative=" + Int(film.relative) + " origin=" + Pair(film.origin_x, film.origin_y) +
                    " loopstart=" + Int(film.loop_start) + " tracks=" + Int(film.Tracks().size()) +
                    " length=" + Int(film.FilmLength()) + "\n";
  for (size_t i = 0; i < film.Tracks().size(); ++i) {
    const TCustomFrameList& t = *film.Tracks()[i];
    out += "track " + Int(i) + " " + TrackKindName(t.Kind()) + " parent=" + Int(film.IndexOf(t.parent)) +
           " start=" + Int(t.start) + " length=" + Int(t.length) + " period=" + Int(t.period) +
           " absstart=" + Int(t.AbsoluteStart()) + " priority=" + Int(t.priority) +
           " flip=" + Pair(t.flip_h, t.flip_v) + " other=" + Int(t.other_screen);
    switch (t.Kind()) {
      case TTrackKind::Image:
      case TTrackKind::Tile: {
        std::string durations;
        for (const TFilmFrame& frame : t.Frames()) {
          if (!durations.empty()) durations += ",";
          durations += Int(frame.duration);
        }
        out += " frames=" + Int(t.FrameCount()) + " durations=" + durations + " path=" + t.path;
        break;
      }
      case TTrackKind::Sound:
        out += " path=" + t.path;
        break;
      case TTrackKind::Particle:
        out +=
            " motion=" + Int(t.motion_type) + " prerun=" + Int(t.pre_run) + " loop=" + Int(t.loop) + " path=" + t.path;
        break;
      case TTrackKind::Wipe:
        out += " wipe=" + Int(t.wipe_kind) + " p0=" + Int(t.param0) + " p1=" + Int(t.param1) +
               " reverse=" + Int(t.reverse) + " option=" + Int(t.option) + " rule=" + t.rule;
        break;
      case TTrackKind::Fire:
        out += " power=" + Int(t.power);
        break;
      case TTrackKind::Label:
      case TTrackKind::Box:
        break;
    }
    out += "\n";
  }
  return out;
}

std::string DumpFilm(const TFilmManager& film, int32_t from, int32_t to) {
  std::string out;
  for (int64_t f = from; f <= to; ++f) {
    const int32_t frame = static_cast<int32_t>(f);
    for (size_t i = 0; i < film.Tracks().size(); ++i) {
      const TCustomFrameList& t = *film.Tracks()[i];
      if (!t.Holds(frame)) continue;
      const TTrackValues v = TrackValuesAt(t, frame);
      out += Int(f) + "\t" + Int(i) + "\t" + TrackKindName(t.Kind()) + "\t";
      const std::string zoom = Real(v.zoom_x) + "," + Real(v.zoom_y);
      switch (t.Kind()) {
        case TTrackKind::Image:
        case TTrackKind::Label:
          if (!v.valid) {
            out += "frame=-1";
            break;
          }
          out += "frame=" + Int(v.frame) + " x=" + Int(v.x) + " y=" + Int(v.y) + " hot=" + Pair(v.hot_x, v.hot_y) +
                 " zoom=" + zoom + " angle=" + Real(v.angle) + " alpha=" + Int(v.alpha) + " clip=" + Clip(v.clip) +
                 " blur=" + Pair(v.blur_span, v.blur_delay);
          break;
        case TTrackKind::Tile:
          if (!v.valid) {
            out += "frame=-1";
            break;
          }
          out += "frame=" + Int(v.frame) + " rect=" + Rect(v) + " hot=" + Pair(v.hot_x, v.hot_y) + " zoom=" + zoom +
                 " alpha=" + Int(v.alpha) + " clip=" + Clip(v.clip) + " blur=" + Pair(v.blur_span, v.blur_delay) +
                 " scroll=" + Pair(v.scroll_x, v.scroll_y);
          break;
        case TTrackKind::Box:
          out += "rect=" + Rect(v) + " alpha=" + Int(v.alpha) + " color=" + Int(v.fill) +
                 " border=" + Pair(v.border_width, v.border_color) + " clip=" + Clip(v.clip) +
                 " blur=" + Pair(v.blur_span, v.blur_delay);
          break;
        case TTrackKind::Particle:
          // The emitter's interval as applied: the centre less half the spread.
          out += "rect=" + Rect(v) + " alpha=" + Int(v.alpha) + " interval=" + Int(WrapSub(v.interval, v.spread / 2)) +
                 " spread=" + Int(v.spread) + " emit=" + Pair(v.emit_x, v.emit_y) +
                 " range=" + Pair(v.range_x, v.range_y) + " factors=" + Real(v.factors[0]) + "," + Real(v.factors[1]) +
                 "," + Real(v.factors[2]) + " clip=" + Clip(v.clip);
          break;
        case TTrackKind::Fire:
          out += "x=" + Int(v.x) + " y=" + Int(v.y) + " size=" + Pair(v.width, v.height) + " zoom=" + zoom +
                 " power=" + Int(t.power) + " clip=" + Clip(v.clip);
          break;
        case TTrackKind::Sound:
          out += "volume=" + Int(v.volume) + " pan=" + Int(v.pan);
          break;
        case TTrackKind::Wipe:
          out += "kind=" + Int(t.wipe_kind) + " elapsed=" + Int(v.wipe_elapsed) + " length=" + Int(t.length);
          break;
      }
      out += "\n";
    }
  }
  return out;
}

}  // namespace orvo
