#pragma once
// A writer of layered pictures for the tests, independent of the library's
// own writer: the record form of every version, the XML form with any header,
// whole rows (plain, zlib, keyed), tile-coded blocks with their reference
// table, and JPEG blocks. Pixels are given as raw values, top row first.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "surface/rect.h"

namespace orvo::test {

struct TFixtureLayer {
  std::string name = "L";
  bool visible = true;
  int32_t transparent_pixel = -1;
  int32_t alpha = 255;
  bool alpha_on = false;
  std::vector<uint32_t> pixels;  // width x height raw values
  std::vector<uint8_t> mask;     // empty: no mask block
  // Tile table entries in natural order; (-1, 0) means "data follows". Empty:
  // every tile stored as data.
  std::vector<std::pair<int32_t, int32_t>> tiles;
  std::vector<std::pair<int32_t, int32_t>> mask_tiles;
  // Files of version 102 and older: a zlib stream instead of keyed plain rows.
  bool old_deflated = false;
  // Replaces the stored colour block bytes (for damaged files).
  std::optional<std::string> colour_bytes;
};

struct TFixtureFrame {
  std::string name = "F";
  int32_t transparent_pixel = -1;
  int32_t delay = 0;
  uint8_t disposal = 0;
  int32_t width = 1;
  int32_t height = 1;
  int32_t bits = 24;
  std::vector<uint32_t> palette;  // 0x00BBGGRR colours, 2^bits of them up to 8 bits
  std::vector<TFixtureLayer> layers;
  std::vector<TRect> draw_rects;  // versions 104 and later
  std::vector<TRect> extra_rects;
};

enum class TFixtureForm { Record, Xml };

struct TFixtureFile {
  TFixtureForm form = TFixtureForm::Record;
  int32_t version = 105;        // record: the digits after "Dova" (0: no magic at all)
  int32_t header_version = -1;  // the header's Version field; -1: the same as version
  int32_t header_size = 40;     // record form from version 103 on
  bool randomized = false;
  uint8_t comp_type = 1;
  int32_t bg_color = 0;
  int32_t block_width = 0;
  int32_t block_height = 0;
  bool not_fill_bg = false;
  int32_t code = 0;  // seeds keyed rows and tables
  int32_t jpeg_quality = 90;
  std::vector<TFixtureFrame> frames;
  // XML form: replaces the generated description (for damaged documents).
  std::optional<std::string> xml;
};

std::string BuildFixture(const TFixtureFile& file);

// Pixel rows of a picture as a bitmap stores them, top row first, padded.
std::string PackRows(const std::vector<uint32_t>& pixels, int32_t width, int32_t height, int bits);

// Helpers for frames: a single-layer frame of raw pixels.
TFixtureFrame OneLayerFrame(int32_t width, int32_t height, int bits, std::vector<uint32_t> pixels);

std::string ZlibCompress(std::string_view plain);

}  // namespace orvo::test
