#include "support/film_writer.h"

#include <cstdio>
#include <cstring>

namespace orvo::test {

namespace {

class TOut {
 public:
  void Byte(uint8_t v) { bytes.push_back(static_cast<char>(v)); }
  void Int(int32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
  }
  void Double(double v) {
    char raw[8];
    std::memcpy(raw, &v, 8);
    bytes.append(raw, 8);
  }
  void Str(const std::string& s) {
    Int(static_cast<int32_t>(s.size()));
    bytes += s;
  }
  void Clip(const TWriterTrack& t) {
    for (int32_t v : t.clip) Int(v);
    Byte(t.ease_clip_x);
    Byte(t.ease_clip_y);
  }
  void Blur(const TWriterTrack& t) {
    for (int32_t v : t.blur) Int(v);
  }
  void Sizes(const TWriterTrack& t) {
    for (int32_t v : t.size) Int(v);
  }
  void Positions(const TWriterTrack& t) {
    Int(t.x0);
    Int(t.y0);
    Int(t.x1);
    Int(t.y1);
    Byte(t.ease_x);
    Byte(t.ease_y);
  }
  std::string bytes;
};

void ImageBlock(TOut& o, const TWriterTrack& t, int32_t v) {
  o.Int(t.anchor_x);
  o.Int(t.anchor_y);
  o.Positions(t);
  if (v < 110) {
    o.Int(static_cast<int32_t>(t.angle0));
    o.Int(static_cast<int32_t>(t.angle1));
  } else {
    o.Double(t.angle0);
    o.Double(t.angle1);
  }
  o.Double(t.zoom_x0);
  o.Double(t.zoom_x1);
  o.Byte(t.ease_zoom_x);
  o.Int(t.alpha0);
  o.Int(t.alpha1);
  o.Byte(t.ease_angle);
  if (v > 100) o.Clip(t);
  if (v >= 105) {
    o.Double(t.zoom_y0);
    o.Double(t.zoom_y1);
    o.Byte(t.ease_zoom_y);
  }
  if (v >= 109) o.Blur(t);
}

void Track(TOut& o, const TWriterTrack& t, int32_t v) {
  o.Byte(t.type);
  o.Int(t.parent);
  o.Int(t.length);
  o.Int(t.reserved);
  o.Int(t.start);
  o.Int(t.period);
  o.Int(t.priority);
  o.Byte(t.flip_h);
  o.Byte(t.flip_v);
  o.Byte(t.other_screen);
  switch (t.type & 0x7F) {
    case 0:
    case 5:
      ImageBlock(o, t, v);
      o.Str(t.path);
      if ((t.type & 0x7F) == 5) {
        o.Sizes(t);
        for (int32_t s : t.scroll) o.Int(s);
        o.Byte(t.ease_scroll_x);
        o.Byte(t.ease_scroll_y);
        o.Int(t.distance_x);
        o.Int(t.distance_y);
        if (v >= 101) o.Clip(t);
      }
      break;
    case 1:
      ImageBlock(o, t, v);
      o.Str(t.text);
      o.Byte(t.anti_alias);
      o.Str(t.font);
      o.Int(t.font_size);
      o.Int(t.line_space);
      o.Byte(t.font_style);
      o.Int(t.font_color);
      if (v > 102) o.Byte(t.align);
      break;
    case 2:
      o.Positions(t);
      o.Int(t.alpha0);
      o.Int(t.alpha1);
      o.Sizes(t);
      o.Int(t.fill0);
      o.Int(t.fill1);
      o.Int(t.border_width0);
      o.Int(t.border_width1);
      o.Int(t.border_color0);
      o.Int(t.border_color1);
      if (v > 100) o.Clip(t);
      if (v >= 109) o.Blur(t);
      break;
    case 3:
      o.Byte(t.wipe_kind);
      if (v > 100) {
        o.Str(t.rule);
        o.Int(t.param0);
        o.Int(t.param1);
        o.Byte(t.reverse);
      }
      if (v > 110) o.Byte(t.option);
      break;
    case 4:
      o.Str(t.path);
      o.Int(t.volume0);
      o.Int(t.volume1);
      o.Int(t.pan0);
      o.Int(t.pan1);
      o.Byte(t.ease_volume);
      o.Byte(t.ease_pan);
      break;
    case 6:
      o.Str(t.path);
      o.Byte(t.motion_type);
      o.Int(t.pre_run);
      o.Int(t.interval0);
      o.Int(t.interval1);
      o.Int(t.spread0);
      o.Int(t.spread1);
      for (int32_t e : t.emit) o.Int(e);
      for (int32_t r : t.range) o.Int(r);
      o.Byte(t.ease_emit_x);
      o.Byte(t.ease_emit_y);
      for (double f : t.factors0) o.Double(f);
      for (double f : t.factors1) o.Double(f);
      o.Positions(t);
      o.Sizes(t);
      o.Clip(t);
      o.Int(t.alpha0);
      o.Int(t.alpha1);
      if (v >= 112) o.Byte(t.loop);
      break;
    case 7:
      o.Positions(t);
      o.Sizes(t);
      o.Clip(t);
      for (double z : t.fire_zoom) o.Double(z);
      o.Byte(t.ease_fire_x);
      o.Byte(t.ease_fire_y);
      o.Int(t.power);
      break;
    default:
      break;  // unknown kinds: only the type byte and the common record
  }
}

}  // namespace

std::string WriteFilmBytes(const TWriterFilm& film) {
  TOut o;
  char version[8];
  std::snprintf(version, sizeof version, "%03d", film.version % 1000);
  o.bytes = film.magic + version;
  const int32_t v = film.version;
  o.Int(film.width);
  o.Int(film.height);
  o.Int(film.color);
  if (v > 101) o.Byte(film.relative);
  if (v > 103) {
    o.Int(film.origin_x);
    o.Int(film.origin_y);
  }
  if (v > 105) o.Int(film.loop_start);
  o.Int(film.count_override >= 0 ? film.count_override : static_cast<int32_t>(film.tracks.size()));
  for (const TWriterTrack& track : film.tracks) Track(o, track, v);
  return o.bytes;
}

}  // namespace orvo::test
