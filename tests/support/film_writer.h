#pragma once
// A writer of film files for the tests and the demo's build, independent of
// the player's reader: every version's record layout, field by field.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvo::test {

struct TWriterTrack {
  uint8_t type = 0;  // written as is (bit 7 and unknown kinds included)
  int32_t parent = -1, length = 1, reserved = 0, start = 0, period = 0, priority = 0;
  bool flip_h = false, flip_v = false, other_screen = false;
  // Picture-like block (image, tile, label).
  int32_t anchor_x = 0, anchor_y = 0;
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // also box, particle and fire positions
  uint8_t ease_x = 0, ease_y = 0;
  double angle0 = 0, angle1 = 0;  // whole degrees before version 110
  double zoom_x0 = 1, zoom_x1 = 1;
  uint8_t ease_zoom_x = 0;
  int32_t alpha0 = 0, alpha1 = 0;
  uint8_t ease_angle = 0;
  // left, top, width, height at the start, then at the end.
  std::array<int32_t, 8> clip{};
  uint8_t ease_clip_x = 0, ease_clip_y = 0;
  double zoom_y0 = 1, zoom_y1 = 1;
  uint8_t ease_zoom_y = 0;
  // span start, delay start, span end, delay end.
  std::array<int32_t, 4> blur{};
  std::string path;  // picture, sound or particle source
  // Sizes (tile, box, particle, fire): width0, height0, width1, height1.
  std::array<int32_t, 4> size{100, 100, 100, 100};
  std::array<int32_t, 4> scroll{};
  uint8_t ease_scroll_x = 0, ease_scroll_y = 0;
  int32_t distance_x = 0, distance_y = 0;
  // Label.
  std::string text, font;
  bool anti_alias = false;
  int32_t font_size = 12, line_space = 0, font_color = 0xFFFFFF;
  uint8_t font_style = 0, align = 0;
  // Box.
  int32_t fill0 = 0, fill1 = 0, border_width0 = 0, border_width1 = 0, border_color0 = 0, border_color1 = 0;
  // Wipe.
  uint8_t wipe_kind = 1;
  std::string rule;
  int32_t param0 = 0, param1 = 0;
  bool reverse = false, option = false;
  // Sound.
  int32_t volume0 = 1000, volume1 = 1000, pan0 = 0, pan1 = 0;
  uint8_t ease_volume = 0, ease_pan = 0;
  // Particle.
  uint8_t motion_type = 0;
  int32_t pre_run = 0, interval0 = 100, interval1 = 100, spread0 = 1, spread1 = 1;
  std::array<int32_t, 4> emit{};  // x0, y0, x1, y1
  std::array<int32_t, 4> range{1, 1, 1, 1};
  uint8_t ease_emit_x = 0, ease_emit_y = 0;
  std::array<double, 3> factors0{}, factors1{};
  bool loop = true;
  // Fire: zoom x0, y0, x1, y1.
  std::array<double, 4> fire_zoom{4, 4, 4, 4};
  uint8_t ease_fire_x = 0, ease_fire_y = 0;
  int32_t power = 100;
};

struct TWriterFilm {
  std::string magic = "OrvoCinema";
  int32_t version = 112;
  int32_t width = 640, height = 480, color = -1;
  bool relative = false;
  int32_t origin_x = 0, origin_y = 0, loop_start = 0;
  std::vector<TWriterTrack> tracks;
  // Written instead of tracks.size() when set.
  int32_t count_override = -1;
};

// The film's bytes in the layout of its version.
std::string WriteFilmBytes(const TWriterFilm& film);

}  // namespace orvo::test
