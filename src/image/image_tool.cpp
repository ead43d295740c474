#include "image/image_tool.h"

#include <cstdio>
#include <cstring>

#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "image/flatten.h"

namespace orvo {
namespace {

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::unique_ptr<TDovaFrame> ReadPicture(const std::string& path) {
  TDovaFrameList one;
  one.LoadFromFile(path, TFrameSelection::FirstOnly);
  if (one.Count() == 0) throw EReadError("Not a picture (PNG, BMP, DIB or DOV): " + path);
  return one.TakeFrame(0);
}

std::string Hex(int32_t value) {
  if (value == -1) return "none";
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<uint32_t>(value));
  return text;
}

std::string Quoted(const std::string& cp932) {
  std::string text(1, '"');
  text += Cp932ToUtf8(cp932);
  text.push_back('"');
  return text;
}

const char* CompressionName(uint8_t type) {
  switch (type) {
    case 0:
      return "zlib";
    case 1:
      return "none";
    case 2:
      return "jpeg";
    default:
      return "unknown";
  }
}

}  // namespace

TDovaFrameList ListFromPictures(const std::vector<std::string>& paths, const TPicturesToDova& options) {
  if (paths.empty()) throw EOrvoError("No input pictures");
  TDovaFrameList list;
  if (options.inputs == TInputsAs::Frames) {
    for (const std::string& path : paths) {
      std::unique_ptr<TDovaFrame> picture = ReadPicture(path);
      TDovaFrame& frame = list.AddFrame();
      frame = std::move(*picture);
      frame.delay = options.delay;
      if (options.key_color >= 0) frame.SetTransparentColor(options.key_color);
    }
    return list;
  }
  TDovaFrame& frame = list.AddFrame();
  frame.delay = options.delay;
  for (const std::string& path : paths) {
    std::unique_ptr<TDovaFrame> picture = ReadPicture(path);
    TDovaLayer& layer = frame.layers.emplace_back();
    layer.picture = std::move(picture->picture);
    layer.name = Utf8ToCp932(BaseName(path));
    layer.alpha_on = layer.picture.HasMask();
    const TDIBSurface& first = frame.layers.front().picture;
    if (layer.picture.Width() != first.Width() || layer.picture.Height() != first.Height()) {
      throw EOrvoError("Layers must have one size: " + path);
    }
    if (layer.picture.StoreBitCount() != first.StoreBitCount()) {
      if (first.StoreBitCount() <= 8) layer.picture.SetPalette(first.Palette().data());
      layer.picture.ConvertBitCount(first.StoreBitCount());
    }
    // The picture's own key, else the one asked for, as a pixel of its format.
    int32_t key_color = picture->TransparentColor() != -1 ? picture->TransparentColor() : options.key_color;
    if (key_color >= 0) {
      auto c = static_cast<uint32_t>(key_color);
      layer.transparent_pixel =
          static_cast<int32_t>(layer.picture.RGBToPixel(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
    }
  }
  const TDIBSurface& first = frame.layers.front().picture;
  frame.picture.SetSize(first.Width(), first.Height(), first.StoreBitCount());
  if (first.StoreBitCount() <= 8) frame.picture.SetPalette(first.Palette().data());
  FlattenFrame(frame, list.BackgroundColor(), list.NotFillBackground(), TLayerUse::Keep);
  frame.SetTransparentColor(options.key_color);
  return list;
}

std::vector<uint8_t> FrameToRgba(const TDovaFrame& frame) {
  const TDIBSurface& picture = frame.picture;
  const TDIBSurface* mask = picture.Mask();
  // The transparent pixel as the picture holds it: written and read back.
  TDIBSurface probe(1, 1, picture.StoreBitCount());
  probe.SetPixel(0, 0, static_cast<uint32_t>(frame.TransparentPixel()));
  const uint32_t key = probe.GetPixel(0, 0);
  const bool keyed = frame.TransparentPixel() != -1;
  std::vector<uint8_t> rgba(static_cast<size_t>(picture.Width()) * picture.Height() * 4);
  size_t i = 0;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) {
      uint32_t pixel = picture.GetPixel(x, y);
      uint32_t colour = picture.PixelToColor(pixel);
      rgba[i++] = static_cast<uint8_t>(colour);
      rgba[i++] = static_cast<uint8_t>(colour >> 8);
      rgba[i++] = static_cast<uint8_t>(colour >> 16);
      rgba[i++] = mask ? static_cast<uint8_t>(mask->GetPixel(x, y)) : keyed && pixel == key ? 0 : 255;
    }
  }
  return rgba;
}

std::string DescribeDova(const std::string& bytes, int32_t code) {
  TDovaFrameList list(code);
  TSpanStream stream(bytes.data(), bytes.size());
  list.LoadFromStream(stream, TFrameSelection::All, TLayerRetention::Keep);
  const TDovaInfo& info = list.Info();
  std::string text;
  char line[512];
  const bool xml = bytes.compare(0, 5, "DovaX") == 0;
  const bool magic = bytes.compare(0, 4, "Dova") == 0;
  std::snprintf(line, sizeof line, "form: %s, version %d, %zu frames\n",
                xml     ? "XML"
                : magic ? "record"
                        : "record without magic",
                list.Version(), list.Count());
  text += line;
  std::snprintf(line, sizeof line,
                "header: version %d, %dx%d, %d bits, background %s, fill background %s, randomized %s, "
                "compression %s, quality %d, tiles %dx%d\n",
                info.version, info.width, info.height, info.bpp, Hex(info.bg_color).c_str(),
                info.not_fill_bg ? "no" : "yes", info.randomized ? "yes" : "no", CompressionName(info.comp_type),
                info.comp_level, info.block_width, info.block_height);
  text += line;
  for (size_t f = 0; f < list.Count(); ++f) {
    const TDovaFrame& frame = list.Frame(static_cast<int64_t>(f));
    std::snprintf(line, sizeof line,
                  "frame %zu %s: %dx%d, %d bits, delay %d ms, transparent %s, mask %s, rects %zu+%zu, %zu layers\n", f,
                  Quoted(frame.name).c_str(), frame.picture.Width(), frame.picture.Height(),
                  frame.picture.StoreBitCount(), frame.delay, Hex(frame.TransparentColor()).c_str(),
                  frame.picture.HasMask() ? "yes" : "no", frame.draw_rects.size(), frame.extra_rects.size(),
                  frame.layers.size());
    text += line;
    for (size_t l = 0; l < frame.layers.size(); ++l) {
      const TDovaLayer& layer = frame.layers[l];
      std::snprintf(line, sizeof line, "  layer %zu %s: %s, alpha %d%s, transparent pixel %s, colour %s, mask %s\n", l,
                    Quoted(layer.name).c_str(), layer.visible ? "visible" : "hidden", layer.alpha,
                    layer.alpha_on ? " (mask on)" : "", Hex(layer.transparent_pixel).c_str(),
                    DescribeBlockKind(layer.colour_block).c_str(), DescribeBlockKind(layer.mask_block).c_str());
      text += line;
    }
  }
  return text;
}

}  // namespace orvo
