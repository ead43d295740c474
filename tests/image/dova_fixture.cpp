#include "dova_fixture.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

#include "data/random.h"
#include "image/jpeg_codec.h"
#include "surface/dib_surface.h"

namespace orvo::test {
namespace {

void PutInt(std::string& out, int32_t value) {
  auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

void PutString(std::string& out, const std::string& text) {
  PutInt(out, static_cast<int32_t>(text.size()));
  out += text;
}

void PutBlock(std::string& out, const std::string& block) { PutString(out, block); }

// One row of count pixels packed without padding, most significant bits first.
std::string PackRow(const uint32_t* pixels, int32_t count, int bits) {
  std::string row(static_cast<size_t>((static_cast<int64_t>(bits) * count + 7) / 8), '\0');
  for (int32_t x = 0; x < count; ++x) {
    uint32_t v = pixels[x];
    if (bits < 8) {
      size_t bit = static_cast<size_t>(x) * bits;
      row[bit / 8] =
          static_cast<char>(static_cast<uint8_t>(row[bit / 8]) | ((v & ((1u << bits) - 1)) << (8 - bits - bit % 8)));
    } else {
      for (int b = 0; b < bits / 8; ++b) row[static_cast<size_t>(x) * (bits / 8) + b] = static_cast<char>(v >> (8 * b));
    }
  }
  return row;
}

// Stored item i is the natural item at the i-th draw.
std::vector<std::string> KeyedOrder(const std::vector<std::string>& items, int32_t code) {
  TKwRandom random(static_cast<uint32_t>(code));
  random.Shuffle(static_cast<int64_t>(items.size()));
  std::vector<std::string> stored;
  for (size_t i = 0; i < items.size(); ++i) stored.push_back(items[static_cast<size_t>(random.Draw())]);
  return stored;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& part : parts) out += part;
  return out;
}

std::vector<std::string> RowList(const std::vector<uint32_t>& pixels, int32_t width, int32_t height, int bits) {
  size_t stride = DibStride(width, bits);
  std::vector<std::string> rows;
  for (int32_t y = 0; y < height; ++y) {
    std::string row = PackRow(pixels.data() + static_cast<size_t>(y) * width, width, bits);
    row.resize(stride, '\0');
    rows.push_back(row);
  }
  return rows;
}

std::string TileData(const TFixtureFile& file, const std::vector<uint32_t>& pixels, int32_t width, int32_t height,
                     int bits, const std::vector<std::pair<int32_t, int32_t>>& given) {
  int32_t bw = file.block_width, bh = file.block_height;
  int32_t across = (width + bw - 1) / bw, down = (height + bh - 1) / bh;
  std::vector<std::pair<int32_t, int32_t>> table = given;
  table.resize(static_cast<size_t>(across) * down, {-1, 0});
  std::vector<std::string> entries;
  for (auto [s, t] : table) {
    std::string entry;
    PutInt(entry, s);
    PutInt(entry, t);
    entries.push_back(entry);
  }
  std::string out = Join(file.randomized ? KeyedOrder(entries, file.code) : entries);
  for (size_t n = 0; n < table.size(); ++n) {
    if (table[n].first != -1) continue;
    int32_t x0 = static_cast<int32_t>(n % across) * bw, y0 = static_cast<int32_t>(n / across) * bh;
    int32_t w = std::min(bw, width - x0), h = std::min(bh, height - y0);
    for (int32_t y = y0; y < y0 + h; ++y) out += PackRow(pixels.data() + static_cast<size_t>(y) * width + x0, w, bits);
  }
  return out;
}

int32_t HeaderVersion(const TFixtureFile& file) {
  return file.header_version >= 0 ? file.header_version : file.version;
}

std::string EncodeBlock(const TFixtureFile& file, const TFixtureLayer& layer, const TFixtureFrame& frame,
                        bool mask_block) {
  const std::vector<uint32_t> mask_pixels(layer.mask.begin(), layer.mask.end());
  const std::vector<uint32_t>& pixels = mask_block ? mask_pixels : layer.pixels;
  const int bits = mask_block ? 8 : frame.bits;
  if (HeaderVersion(file) <= 102) {
    std::vector<std::string> rows = RowList(pixels, frame.width, frame.height, bits);
    if (layer.old_deflated) return ZlibCompress(Join(rows));
    return Join(KeyedOrder(rows, file.code));
  }
  const bool jpeg = file.comp_type == 2;
  std::string data;
  if (jpeg && !mask_block) {
    TDIBSurface picture(frame.width, frame.height, 24);
    for (int32_t y = 0; y < frame.height; ++y)
      for (int32_t x = 0; x < frame.width; ++x)
        picture.SetPixel(x, y, pixels[static_cast<size_t>(y) * frame.width + x]);
    return EncodeJpeg(picture, file.jpeg_quality);
  }
  if (file.block_width > 0 && file.block_height > 0 && !jpeg) {
    data = TileData(file, pixels, frame.width, frame.height, bits, mask_block ? layer.mask_tiles : layer.tiles);
  } else {
    std::vector<std::string> rows = RowList(pixels, frame.width, frame.height, bits);
    data = Join(file.randomized && !jpeg ? KeyedOrder(rows, file.code) : rows);
  }
  if (file.comp_type == 0 || jpeg) return ZlibCompress(data);
  return data;
}

void PutLayerBlocks(std::string& out, const TFixtureFile& file, const TFixtureLayer& layer, const TFixtureFrame& frame,
                    bool with_mask_length) {
  PutBlock(out, layer.colour_bytes ? *layer.colour_bytes : EncodeBlock(file, layer, frame, false));
  if (!with_mask_length) return;
  if (layer.mask.empty()) {
    PutInt(out, 0);
  } else {
    PutBlock(out, EncodeBlock(file, layer, frame, true));
  }
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '"')
      out += "&quot;";
    else
      out.push_back(c);
  }
  return out;
}

std::string Description(const TFixtureFile& file) {
  auto attr = [](const char* name, const std::string& value) { return std::string(" ") + name + "=\"" + value + "\""; };
  auto num = [&](const char* name, int64_t value) { return attr(name, std::to_string(value)); };
  const TFixtureFrame* first = file.frames.empty() ? nullptr : &file.frames[0];
  std::string xml = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<Frames";
  xml += num("Version", HeaderVersion(file));
  xml += num("Width", first ? first->width : 0) + num("Height", first ? first->height : 0);
  xml += num("Bpp", first ? first->bits : 0) + num("Count", static_cast<int64_t>(file.frames.size()));
  xml += num("SyncPal", 1) + num("Randomized", file.randomized) + num("CompType", file.comp_type);
  xml += num("CompLevel", file.jpeg_quality) + num("BGColor", file.bg_color);
  xml += num("BlockWidth", file.block_width) + num("BlockHeight", file.block_height);
  xml += num("NotFillBG", file.not_fill_bg) + ">\r\n";
  for (const TFixtureFrame& frame : file.frames) {
    xml += "<Frame" + attr("Name", Escape(frame.name)) + num("TransColor", frame.transparent_pixel) +
           num("Delay", frame.delay) + num("Disposal", frame.disposal) + ">";
    xml += "<Layers" + num("Count", static_cast<int64_t>(frame.layers.size())) + num("Width", frame.width) +
           num("Height", frame.height) + num("Bpp", frame.bits);
    if (frame.bits <= 8) {
      std::string rgb;
      for (uint32_t colour : frame.palette) {
        char entry[8];
        std::snprintf(entry, sizeof entry, "%06X", colour & 0xFFFFFF);
        rgb += entry;
      }
      xml += attr("RGB", rgb);
    }
    xml += ">";
    for (const TFixtureLayer& layer : frame.layers) {
      xml += "<Layer" + num("Visible", layer.visible) + num("TransColor", layer.transparent_pixel) +
             num("Alpha", layer.alpha) + num("AlphaOn", layer.alpha_on) + attr("Name", Escape(layer.name)) +
             num("Left", 0) + num("Top", 0) + num("Lock", 0) + "/>";
    }
    xml += "</Layers></Frame>\r\n";
  }
  return xml + "</Frames>\r\n";
}

std::string BuildXml(const TFixtureFile& file) {
  char magic[16];
  std::snprintf(magic, sizeof magic, "DovaX%03d", file.version);
  std::string out = magic;
  PutBlock(out, ZlibCompress(file.xml ? *file.xml : Description(file)));
  for (const TFixtureFrame& frame : file.frames) {
    for (const TFixtureLayer& layer : frame.layers) PutLayerBlocks(out, file, layer, frame, true);
  }
  return out;
}

std::string BuildRecord(const TFixtureFile& file) {
  const int32_t v = file.version;
  std::string out;
  if (v > 0) {
    char magic[16];
    std::snprintf(magic, sizeof magic, "Dova%03d", v);
    out += magic;
  }
  if (v < 103) {
    PutInt(out, static_cast<int32_t>(file.frames.size()));
    out.push_back('\0');
    if (v > 101) PutInt(out, file.bg_color);
  } else {
    std::string record;
    const TFixtureFrame* first = file.frames.empty() ? nullptr : &file.frames[0];
    PutInt(record, HeaderVersion(file));
    PutInt(record, first ? first->width : 0);
    PutInt(record, first ? first->height : 0);
    PutInt(record, first ? first->bits : 0);
    PutInt(record, static_cast<int32_t>(file.frames.size()));
    record += {'\1', static_cast<char>(file.randomized), static_cast<char>(file.comp_type), '\0'};
    PutInt(record, file.bg_color);
    PutInt(record, file.block_width);
    PutInt(record, file.block_height);
    record += {static_cast<char>(file.not_fill_bg), static_cast<char>(file.jpeg_quality), '\0', '\0'};
    record.resize(static_cast<size_t>(std::max(file.header_size, 0)), '\0');
    PutInt(out, file.header_size);
    out += record;
  }
  for (const TFixtureFrame& frame : file.frames) {
    PutString(out, frame.name);
    PutInt(out, frame.transparent_pixel);
    PutInt(out, frame.delay);
    out.push_back(static_cast<char>(frame.disposal));
    out.append(4, '\0');
    PutInt(out, static_cast<int32_t>(frame.layers.size()));
    PutInt(out, frame.width);
    PutInt(out, frame.height);
    PutInt(out, frame.bits);
    if (frame.bits <= 8) {
      for (uint32_t colour : frame.palette) {
        out += {static_cast<char>(colour >> 16), static_cast<char>(colour >> 8), static_cast<char>(colour), '\0'};
      }
    }
    for (const TFixtureLayer& layer : frame.layers) {
      out.append(8, '\0');
      out.push_back(static_cast<char>(layer.visible));
      PutInt(out, layer.transparent_pixel);
      PutInt(out, layer.alpha);
      if (v > 100) out.push_back(static_cast<char>(layer.alpha_on));
      PutString(out, layer.name);
      if (v > 106) out.push_back('\0');
      PutLayerBlocks(out, file, layer, frame, v > 99);
    }
    if (HeaderVersion(file) >= 104) {
      for (const auto* list : {&frame.draw_rects, &frame.extra_rects}) {
        PutInt(out, static_cast<int32_t>(list->size()));
        for (const TRect& r : *list) {
          PutInt(out, r.left);
          PutInt(out, r.top);
          PutInt(out, r.right);
          PutInt(out, r.bottom);
        }
      }
    }
  }
  return out;
}

}  // namespace

std::string ZlibCompress(std::string_view plain) {
  uLongf size = compressBound(static_cast<uLong>(plain.size()));
  std::string out(size, '\0');
  if (compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
               static_cast<uLong>(plain.size())) != Z_OK) {
    throw std::runtime_error("compress failed");
  }
  out.resize(size);
  return out;
}

std::string PackRows(const std::vector<uint32_t>& pixels, int32_t width, int32_t height, int bits) {
  return Join(RowList(pixels, width, height, bits));
}

TFixtureFrame OneLayerFrame(int32_t width, int32_t height, int bits, std::vector<uint32_t> pixels) {
  TFixtureFrame frame;
  frame.width = width;
  frame.height = height;
  frame.bits = bits;
  if (bits <= 8) {
    for (uint32_t i = 0; i < (1u << bits); ++i) frame.palette.push_back(i * 0x010101u * (255u / ((1u << bits) - 1)));
  }
  TFixtureLayer layer;
  layer.pixels = std::move(pixels);
  frame.layers.push_back(std::move(layer));
  return frame;
}

std::string BuildFixture(const TFixtureFile& file) {
  return file.form == TFixtureForm::Xml ? BuildXml(file) : BuildRecord(file);
}

}  // namespace orvo::test
