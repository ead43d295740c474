// Writing the XML form "DovaX200": the description as a zlib stream, then the
// blocks of every layer in the order the description lists them.
#include <cstdio>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "data/zlib_codec.h"
#include "image/block_codec.h"
#include "image/dova.h"
#include "image/jpeg_codec.h"
#include "image/xml_writer.h"

namespace orvo {
namespace {

// One layer as it goes into the file.
struct TOutLayer {
  const TDIBSurface* picture = nullptr;
  std::string name;
  bool visible = true;
  int32_t transparent_pixel = -1;
  int32_t alpha = 255;
  bool alpha_on = false;
};

// A frame as it goes into the file: 15-bit pictures are written as 16 bits
// (5/6/5 loses nothing of 5/5/5), since files know no 15-bit depth.
struct TOutFrame {
  const TDovaFrame* frame = nullptr;
  int32_t transparent_pixel = -1;
  std::vector<TOutLayer> layers;
  std::vector<std::unique_ptr<TDIBSurface>> converted;
};

const TDIBSurface* Writable(const TDIBSurface& picture, TOutFrame& out) {
  if (picture.StoreBitCount() != 15) return &picture;
  auto copy = std::make_unique<TDIBSurface>();
  copy->AssignStore(picture);
  copy->ConvertBitCount(16);
  out.converted.push_back(std::move(copy));
  return out.converted.back().get();
}

int32_t WritablePixel(const TDIBSurface& picture, int32_t pixel) {
  if (pixel == -1 || picture.StoreBitCount() != 15) return pixel;
  uint32_t colour = picture.PixelToColor(static_cast<uint32_t>(pixel) & 0x7FFF);
  TDIBSurface sixteen(1, 1, 16);
  return static_cast<int32_t>(sixteen.RGBToPixel(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
}

TOutFrame PrepareFrame(const TDovaFrame& frame) {
  TOutFrame out;
  out.frame = &frame;
  out.transparent_pixel = WritablePixel(frame.picture, frame.TransparentPixel());
  if (frame.layers.empty()) {
    // The flattened picture becomes the one layer. It is copied as it is (no
    // transparent pixel of its own), so that the pixels under the frame's
    // transparent colour survive instead of taking the background colour.
    TOutLayer layer;
    layer.picture = Writable(frame.picture, out);
    layer.name = "Layer";
    layer.alpha_on = frame.picture.HasMask();
    out.layers.push_back(std::move(layer));
  } else {
    for (const TDovaLayer& source : frame.layers) {
      TOutLayer layer;
      layer.picture = Writable(source.picture, out);
      layer.name = source.name;
      layer.visible = source.visible;
      layer.transparent_pixel = WritablePixel(source.picture, source.transparent_pixel);
      layer.alpha = source.alpha;
      layer.alpha_on = source.alpha_on;
      out.layers.push_back(std::move(layer));
    }
  }
  const TDIBSurface& first = *out.layers.front().picture;
  if (first.IsEmpty()) throw EWriteError("Layered picture: a frame without picture");
  for (const TOutLayer& layer : out.layers) {
    const TDIBSurface& picture = *layer.picture;
    if (picture.Width() != first.Width() || picture.Height() != first.Height() ||
        picture.StoreBitCount() != first.StoreBitCount()) {
      throw EWriteError("Layered picture: the layers of a frame differ in size or depth");
    }
  }
  return out;
}

std::string PaletteText(const TDIBSurface& picture) {
  std::string text;
  const auto& palette = picture.Palette();
  const int entries = 1 << picture.StoreBitCount();
  for (int i = 0; i < entries; ++i) {
    char entry[8];
    // 0x00BBGGRR as six digits: blue first, red last.
    std::snprintf(entry, sizeof entry, "%.2x%.2x%.2x", palette[4 * i], palette[4 * i + 1], palette[4 * i + 2]);
    text += entry;
  }
  return text;
}

void WriteBlock(TBinaryWriter& writer, std::string_view block) {
  if (block.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError("Layered picture: block too large");
  writer.WriteInt32(static_cast<int32_t>(block.size()));
  writer.WriteBytes(block);
}

}  // namespace

void TDovaFrameList::SaveToStream(TStream& stream, TDovaCompression compression, int quality) const {
  const bool randomized = code_ != 0;
  const TDovaCompression stored = randomized ? TDovaCompression::None : compression;
  quality = std::clamp(quality, 1, 100);

  std::vector<TOutFrame> frames;
  frames.reserve(frames_.size());
  for (const auto& frame : frames_) frames.push_back(PrepareFrame(*frame));

  TXmlWriter xml;
  xml.Open("Frames");
  xml.Attribute("Version", 200);
  const TDIBSurface* first = frames.empty() ? nullptr : frames.front().layers.front().picture;
  xml.Attribute("Width", first ? first->Width() : 0);
  xml.Attribute("Height", first ? first->Height() : 0);
  xml.Attribute("Bpp", first ? first->StoreBitCount() : 0);
  xml.Attribute("Count", static_cast<int64_t>(frames.size()));
  xml.Attribute("SyncPal", 1);
  xml.Attribute("Randomized", randomized ? 1 : 0);
  xml.Attribute("CompType", static_cast<int64_t>(stored));
  xml.Attribute("CompLevel", quality);
  xml.Attribute("BGColor", bg_color_);
  xml.Attribute("BlockWidth", 0);
  xml.Attribute("BlockHeight", 0);
  xml.Attribute("NotFillBG", not_fill_bg_ ? 1 : 0);
  for (const TOutFrame& frame : frames) {
    const TDIBSurface& picture = *frame.layers.front().picture;
    xml.Open("Frame");
    xml.Attribute("Name", frame.frame->name);
    // The reader takes this as a pixel value of the frame's format, so the
    // pixel goes here, not the colour.
    xml.Attribute("TransColor", frame.transparent_pixel);
    xml.Attribute("Delay", frame.frame->delay);
    xml.Attribute("Disposal", frame.frame->disposal);
    xml.Open("Layers");
    xml.Attribute("Count", static_cast<int64_t>(frame.layers.size()));
    xml.Attribute("Width", picture.Width());
    xml.Attribute("Height", picture.Height());
    xml.Attribute("Bpp", picture.StoreBitCount());
    if (picture.StoreBitCount() <= 8) xml.Attribute("RGB", PaletteText(picture));
    for (const TOutLayer& layer : frame.layers) {
      xml.Open("Layer");
      xml.Attribute("Visible", layer.visible ? 1 : 0);
      xml.Attribute("TransColor", layer.transparent_pixel);
      xml.Attribute("Alpha", layer.alpha);
      xml.Attribute("AlphaOn", layer.alpha_on ? 1 : 0);
      xml.Attribute("Name", layer.name);
      xml.Attribute("Left", 0);
      xml.Attribute("Top", 0);
      xml.Attribute("Lock", 0);
      xml.Close();
    }
    xml.Close();
    xml.Close();
  }
  std::vector<uint8_t> description = DeflateBytes(xml.Finish());

  TBinaryWriter writer(stream);
  writer.WriteBytes("DovaX200");
  WriteBlock(writer, AsChars(description));
  const TRowOrder order = randomized ? TRowOrder::Keyed : TRowOrder::TopDown;
  for (const TOutFrame& frame : frames) {
    for (const TOutLayer& layer : frame.layers) {
      const TDIBSurface& picture = *layer.picture;
      if (stored == TDovaCompression::Jpeg) {
        WriteBlock(writer, EncodeJpeg(picture, quality));
      } else if (stored == TDovaCompression::Zlib) {
        WriteBlock(writer, AsChars(DeflateBytes(WriteRows(picture, order, code_))));
      } else {
        WriteBlock(writer, WriteRows(picture, order, code_));
      }
      const TDIBSurface* mask = picture.Mask();
      if (mask == nullptr) {
        writer.WriteInt32(0);
      } else if (stored == TDovaCompression::None) {
        WriteBlock(writer, WriteRows(*mask, order, code_));
      } else {
        WriteBlock(writer, AsChars(DeflateBytes(WriteRows(*mask, order, code_))));
      }
    }
  }
}

void TDovaFrameList::SaveToFile(const std::string& path) const {
  TMemoryStream stream;
  SaveToStream(stream, TDovaCompression::Zlib, 70);
  const std::vector<uint8_t>& bytes = stream.Bytes();
  WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace orvo
