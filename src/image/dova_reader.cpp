// Reading both generations of the layered picture format. Every size, count,
// length and reference comes from the file and is checked before use; what
// does not hold raises "ファイルが破壊されています".
#include <cstring>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "data/zlib_codec.h"
#include "image/block_codec.h"
#include "image/byte_source.h"
#include "image/dova.h"
#include "image/flatten.h"
#include "image/image_errors.h"
#include "image/xml_reader.h"

namespace orvo {
namespace {

// The description of an XML-form file is small; a larger one is damage.
constexpr size_t kMaxDescriptionBytes = size_t{64} << 20;
// Everything one file may make us hold at once: frame and layer pictures.
constexpr int64_t kMaxDecodedBytes = int64_t{1} << 30;
// Names of frames and layers.
constexpr int64_t kMaxNameBytes = 1 << 20;
// Layers of one frame; the authoring tool's files hold a handful.
constexpr int32_t kMaxLayers = 4096;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsPictureBitCount(int32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// A frame's size and depth as the file gives them.
struct TFrameFormat {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 0;
  std::array<uint8_t, 1024> palette{};
};

void CheckFormat(const TFrameFormat& format) {
  if (format.width < 1 || format.height < 1 || format.width > kMaxSurfaceSide || format.height > kMaxSurfaceSide ||
      static_cast<int64_t>(format.width) * format.height > kMaxSurfacePixels || !IsPictureBitCount(format.bits)) {
    throw CorruptImageError();
  }
}

void PreparePicture(TDIBSurface& picture, const TFrameFormat& format) {
  picture.SetSize(format.width, format.height, format.bits);
  if (format.bits <= 8) picture.SetPalette(format.palette.data());
}

int64_t PictureCost(const TFrameFormat& format) {
  return static_cast<int64_t>(DibStride(format.width, format.bits)) * format.height;
}

// --- attributes of the XML form ---

// Decimal, optionally signed, within int32; anything else is damage.
int32_t ParseDecimal(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) throw CorruptImageError();
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) throw CorruptImageError();
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) throw CorruptImageError();
  }
  if (negative) value = -value;
  if (value > INT32_MAX) throw CorruptImageError();
  return static_cast<int32_t>(value);
}

int32_t IntAttribute(const TXmlElement& element, std::string_view name, int32_t fallback) {
  const std::string* text = element.Attribute(name, TNameCase::IgnoreAscii);
  return text ? ParseDecimal(*text) : fallback;
}

// Flags are true only for exactly "1".
bool FlagAttribute(const TXmlElement& element, std::string_view name, bool fallback) {
  const std::string* text = element.Attribute(name, TNameCase::IgnoreAscii);
  return text ? *text == "1" : fallback;
}

std::string TextAttribute(const TXmlElement& element, std::string_view name) {
  const std::string* text = element.Attribute(name, TNameCase::IgnoreAscii);
  return text ? *text : std::string();
}

uint8_t ByteAttribute(const TXmlElement& element, std::string_view name, int32_t fallback) {
  int32_t value = IntAttribute(element, name, fallback);
  if (value < 0 || value > 255) throw CorruptImageError();
  return static_cast<uint8_t>(value);
}

TDovaInfo InfoFromRoot(const TXmlElement& root) {
  TDovaInfo info;
  info.version = IntAttribute(root, "Version", 200);
  info.width = IntAttribute(root, "Width", 100);
  info.height = IntAttribute(root, "Height", 100);
  info.bpp = IntAttribute(root, "Bpp", 8);
  info.count = IntAttribute(root, "Count", 0);
  info.sync_pal = FlagAttribute(root, "SyncPal", false);
  info.randomized = FlagAttribute(root, "Randomized", false);
  info.comp_type = ByteAttribute(root, "CompType", 0);
  info.comp_level = ByteAttribute(root, "CompLevel", 0);
  info.bg_color = IntAttribute(root, "BGColor", 0);
  info.block_width = IntAttribute(root, "BlockWidth", 32);
  info.block_height = IntAttribute(root, "BlockHeight", 32);
  info.not_fill_bg = FlagAttribute(root, "NotFillBG", true);
  return info;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  throw CorruptImageError();
}

// RGB: one 0x00BBGGRR colour per entry as six hexadecimal digits.
void ParsePalette(const std::string& text, int bits, std::array<uint8_t, 1024>& palette) {
  const size_t entries = size_t{1} << bits;
  if (text.size() < 6 * entries) throw MissingColorTableError();
  for (size_t i = 0; i < entries; ++i) {
    uint32_t colour = 0;
    for (size_t k = 0; k < 6; ++k) colour = colour << 4 | static_cast<uint32_t>(HexDigit(text[6 * i + k]));
    palette[4 * i] = static_cast<uint8_t>(colour >> 16);
    palette[4 * i + 1] = static_cast<uint8_t>(colour >> 8);
    palette[4 * i + 2] = static_cast<uint8_t>(colour);
    palette[4 * i + 3] = 0;
  }
}

TXmlDocument ParseDescription(TStream& stream) {
  TBinaryReader reader(stream);
  int32_t length = reader.ReadInt32();
  if (length <= 0 || length > reader.Remaining()) throw CorruptImageError();
  std::string deflated = reader.ReadBytes(length);
  std::vector<uint8_t> text = InflateCapped(deflated, kMaxDescriptionBytes);
  try {
    TXmlDocument document = ParseXml(AsChars(text));
    return document;
  } catch (const EFormatError&) {
    throw CorruptImageError();
  }
}

// "DovaX" and the major digit: true when this reader knows the form.
bool KnownXmlForm(const char* head, size_t got) { return got >= 6 && IsDigit(head[5]) && head[5] <= '2'; }

}  // namespace

class TDovaReader {
 public:
  TDovaReader(TStream& stream, int32_t code, TFrameSelection selection, TLayerRetention retention)
      : stream_(stream), code_(code), selection_(selection), retention_(retention) {}

  void Read(TDovaFrameList& list) {
    const int64_t start = stream_.Position();
    char head[8] = {};
    size_t got = stream_.Read(head, sizeof head);
    try {
      if (got >= 5 && std::memcmp(head, "DovaX", 5) == 0) {
        if (!KnownXmlForm(head, got)) throw UnknownImageFormatError();
        version_ = got == 8 && IsDigit(head[6]) && IsDigit(head[7])
                       ? (head[5] - '0') * 100 + (head[6] - '0') * 10 + (head[7] - '0')
                       : 0;
        ReadXml();
      } else {
        stream_.SetPosition(start);
        ReadRecord();
      }
    } catch (const EReadError&) {
      // Data that ends early is a damaged file like any other.
      throw CorruptImageError();
    }
    if (keep_layers_while_reading_ && retention_ == TLayerRetention::Discard) {
      for (auto& frame : frames_) frame->layers.clear();
    }
    list.frames_ = std::move(frames_);
    list.version_ = version_;
    list.info_ = info_;
    list.bg_color_ = info_.bg_color;
    list.not_fill_bg_ = info_.not_fill_bg;
  }

 private:
  void Charge(int64_t bytes) {
    used_ += bytes;
    if (used_ > kMaxDecodedBytes) throw CorruptImageError();
  }

  // Tiles may copy from the layers of earlier frames, so those stay until the end.
  void DecideLayerKeeping() {
    keep_layers_while_reading_ = info_.version >= 103 && info_.block_width > 0 && info_.block_height > 0;
  }

  TDovaFrame& NewFrame(const TFrameFormat& format) {
    CheckFormat(format);
    Charge(static_cast<int64_t>(sizeof(TDovaFrame)) + PictureCost(format));
    frames_.push_back(std::make_unique<TDovaFrame>());
    TDovaFrame& frame = *frames_.back();
    PreparePicture(frame.picture, format);
    return frame;
  }

  TDovaLayer& NewLayer(TDovaFrame& frame, const TFrameFormat& format) {
    Charge(static_cast<int64_t>(sizeof(TDovaLayer)) + PictureCost(format));
    TDovaLayer& layer = frame.layers.emplace_back();
    PreparePicture(layer.picture, format);
    return layer;
  }

  TBlockContext Context() const { return {&info_, code_, &frames_, frames_.size() - 1}; }

  void ReadColourBlock(TDovaLayer& layer, std::string_view data) {
    layer.colour_block = DecodeBlock(data, TBlockTarget::Colour, layer.picture, Context());
  }

  void ReadMaskBlock(TDovaLayer& layer, std::string_view data) {
    Charge(static_cast<int64_t>(DibStride(layer.picture.Width(), 8)) * layer.picture.Height());
    layer.picture.EnsureMask();
    layer.mask_block = DecodeBlock(data, TBlockTarget::Mask, *layer.picture.Mask(), Context());
  }

  // A signed 32-bit length and that many bytes, into a buffer kept for reuse.
  std::string_view ReadBlock(TBinaryReader& reader, std::string& buffer) {
    int32_t length = reader.ReadInt32();
    if (length < 0 || length > reader.Remaining()) throw CorruptImageError();
    buffer.resize(static_cast<size_t>(length));
    if (length > 0) reader.ReadInto(buffer.data(), buffer.size());
    return buffer;
  }

  void FinishFrame(TDovaFrame& frame, int32_t transparent_pixel) {
    frame.SetTransparentPixel(transparent_pixel);
    TLayerUse use =
        keep_layers_while_reading_ || retention_ == TLayerRetention::Keep ? TLayerUse::Keep : TLayerUse::Consume;
    // What the layers cost, counted before flattening may move a picture out of them.
    int64_t layer_bytes = 0;
    for (const TDovaLayer& layer : frame.layers) {
      layer_bytes += static_cast<int64_t>(sizeof(TDovaLayer)) + static_cast<int64_t>(layer.picture.ByteSize());
      if (layer.picture.HasMask()) layer_bytes += static_cast<int64_t>(layer.picture.Mask()->ByteSize());
    }
    FlattenFrame(frame, info_.bg_color, info_.not_fill_bg, use);
    if (frame.picture.HasMask()) Charge(static_cast<int64_t>(frame.picture.Mask()->ByteSize()));
    if (use == TLayerUse::Consume) {
      used_ -= layer_bytes;
      frame.layers.clear();
    }
  }

  // --- XML form ---

  void ReadXml() {
    TXmlDocument document = ParseDescription(stream_);
    const TXmlElement& root = *document.root;
    info_ = InfoFromRoot(root);
    if (info_.count < 0) throw CorruptImageError();
    DecideLayerKeeping();
    TBinaryReader reader(stream_);
    std::string buffer;
    for (int32_t f = 0; f < info_.count; ++f) {
      if (static_cast<size_t>(f) >= root.children.size() ||
          !root.children[f]->NameIs("Frame", TNameCase::IgnoreAscii)) {
        if (f == 0) throw CorruptImageError();
        break;
      }
      ReadXmlFrame(*root.children[f], reader, buffer);
      if (selection_ == TFrameSelection::FirstOnly) break;
    }
  }

  void ReadXmlFrame(const TXmlElement& element, TBinaryReader& reader, std::string& buffer) {
    const TXmlElement* layers = element.Child("Layers", TNameCase::IgnoreAscii);
    if (layers == nullptr) throw MissingLayersError();
    TFrameFormat format;
    format.width = IntAttribute(*layers, "Width", 100);
    format.height = IntAttribute(*layers, "Height", 100);
    format.bits = IntAttribute(*layers, "Bpp", 8);
    CheckFormat(format);
    if (format.bits <= 8) ParsePalette(TextAttribute(*layers, "RGB"), format.bits, format.palette);
    const int32_t layer_count = IntAttribute(*layers, "Count", 0);
    if (layer_count < 0 || layer_count > kMaxLayers) throw CorruptImageError();

    TDovaFrame& frame = NewFrame(format);
    frame.name = TextAttribute(element, "Name");
    const int32_t transparent_pixel = IntAttribute(element, "TransColor", -1);
    frame.delay = IntAttribute(element, "Delay", 0);
    frame.disposal = static_cast<uint8_t>(IntAttribute(element, "Disposal", 0));

    const size_t first = layers->ChildIndex("Layer", TNameCase::IgnoreAscii);
    for (int32_t i = 0; i < layer_count; ++i) {
      size_t index = first + static_cast<size_t>(i);
      if (index >= layers->children.size() || !layers->children[index]->NameIs("Layer", TNameCase::IgnoreAscii)) {
        throw CorruptImageError();
      }
      const TXmlElement& layer_element = *layers->children[index];
      TDovaLayer& layer = NewLayer(frame, format);
      layer.visible = FlagAttribute(layer_element, "Visible", true);
      layer.transparent_pixel = IntAttribute(layer_element, "TransColor", -1);
      layer.alpha = IntAttribute(layer_element, "Alpha", 255);
      layer.alpha_on = FlagAttribute(layer_element, "AlphaOn", false);
      layer.name = TextAttribute(layer_element, "Name");
      ReadColourBlock(layer, ReadBlock(reader, buffer));
      std::string_view mask = ReadBlock(reader, buffer);
      if (!mask.empty()) ReadMaskBlock(layer, mask);
    }
    FinishFrame(frame, transparent_pixel);
  }

  // --- record form ---

  void ReadRecord() {
    TBinaryReader reader(stream_);
    const int64_t start = stream_.Position();
    char magic[7] = {};
    size_t got = stream_.Read(magic, sizeof magic);
    int32_t v = 0;
    if (got == sizeof magic && std::memcmp(magic, "Dova", 4) == 0) {
      if (!IsDigit(magic[4]) || !IsDigit(magic[5]) || !IsDigit(magic[6])) throw CorruptImageError();
      v = (magic[4] - '0') * 100 + (magic[5] - '0') * 10 + (magic[6] - '0');
    } else {
      stream_.SetPosition(start);
    }
    version_ = v;
    if (v < 103) {
      info_.version = v;
      info_.count = reader.ReadInt32();
      reader.Skip(1);
      if (v > 101) info_.bg_color = reader.ReadInt32();
    } else {
      int32_t size = reader.ReadInt32();
      if (size < 0 || size > reader.Remaining()) throw CorruptImageError();
      uint8_t record[TDovaInfo::kRecordSize] = {};
      size_t take = std::min<size_t>(static_cast<size_t>(size), sizeof record);
      reader.ReadInto(record, take);
      reader.Skip(size - static_cast<int64_t>(take));
      info_.version = static_cast<int32_t>(LoadU32(record));
      info_.width = static_cast<int32_t>(LoadU32(record + 4));
      info_.height = static_cast<int32_t>(LoadU32(record + 8));
      info_.bpp = static_cast<int32_t>(LoadU32(record + 12));
      info_.count = static_cast<int32_t>(LoadU32(record + 16));
      info_.sync_pal = record[20] != 0;
      info_.randomized = record[21] != 0;
      info_.comp_type = record[22];
      info_.bg_color = static_cast<int32_t>(LoadU32(record + 24));
      info_.block_width = static_cast<int32_t>(LoadU32(record + 28));
      info_.block_height = static_cast<int32_t>(LoadU32(record + 32));
      info_.not_fill_bg = record[36] != 0;
      info_.comp_level = record[37];
    }
    if (v < 105) info_.not_fill_bg = false;
    DecideLayerKeeping();
    // Name, transparent pixel, delay, disposal, 4 bytes, layer count and format.
    constexpr int64_t kMinFrameBytes = 4 + 4 + 4 + 1 + 4 + 16;
    reader.RequireCount(info_.count, kMinFrameBytes);
    std::string buffer;
    for (int32_t f = 0; f < info_.count; ++f) {
      ReadRecordFrame(reader, v, buffer);
      if (selection_ == TFrameSelection::FirstOnly) break;
    }
  }

  void ReadRecordFrame(TBinaryReader& reader, int32_t v, std::string& buffer) {
    std::string name = reader.ReadString(kMaxNameBytes);
    const int32_t transparent_pixel = reader.ReadInt32();
    const int32_t delay = reader.ReadInt32();
    const uint8_t disposal = reader.ReadByte();
    reader.Skip(4);
    const int32_t layer_count = reader.ReadInt32();
    TFrameFormat format;
    format.width = reader.ReadInt32();
    format.height = reader.ReadInt32();
    format.bits = reader.ReadInt32();
    CheckFormat(format);
    if (format.bits <= 8) reader.ReadInto(format.palette.data(), size_t{4} << format.bits);
    // Skipped bytes, visible, pixel, alpha, name length, colour length and the optional fields.
    const int64_t min_layer_bytes = 8 + 1 + 4 + 4 + 4 + 4 + (v > 100 ? 1 : 0) + (v > 106 ? 1 : 0) + (v > 99 ? 4 : 0);
    reader.RequireCount(layer_count, min_layer_bytes);
    if (layer_count > kMaxLayers) throw CorruptImageError();

    TDovaFrame& frame = NewFrame(format);
    frame.name = std::move(name);
    frame.delay = delay;
    frame.disposal = disposal;
    for (int32_t i = 0; i < layer_count; ++i) {
      TDovaLayer& layer = NewLayer(frame, format);
      reader.Skip(8);
      layer.visible = reader.ReadBool();
      layer.transparent_pixel = reader.ReadInt32();
      layer.alpha = reader.ReadInt32();
      if (v > 100) layer.alpha_on = reader.ReadBool();
      layer.name = reader.ReadString(kMaxNameBytes);
      if (v > 106) reader.Skip(1);
      ReadColourBlock(layer, ReadBlock(reader, buffer));
      if (v > 99) {
        std::string_view mask = ReadBlock(reader, buffer);
        if (!mask.empty()) {
          ReadMaskBlock(layer, mask);
          if (layer.alpha_on) layer.transparent_pixel = -1;
        }
      }
    }
    if (info_.version >= 104) {
      ReadRects(reader, frame.draw_rects);
      ReadRects(reader, frame.extra_rects);
    }
    FinishFrame(frame, transparent_pixel);
  }

  void ReadRects(TBinaryReader& reader, std::vector<TRect>& rects) {
    size_t count = reader.RequireCount(reader.ReadInt32(), 16);
    rects.resize(count);
    for (TRect& rect : rects) {
      rect.left = reader.ReadInt32();
      rect.top = reader.ReadInt32();
      rect.right = reader.ReadInt32();
      rect.bottom = reader.ReadInt32();
    }
  }

  TStream& stream_;
  int32_t code_;
  TFrameSelection selection_;
  TLayerRetention retention_;
  TDovaInfo info_;
  int32_t version_ = 0;
  bool keep_layers_while_reading_ = false;
  int64_t used_ = 0;
  std::vector<std::unique_ptr<TDovaFrame>> frames_;
};

void TDovaFrameList::LoadFromStream(TStream& stream, TFrameSelection frames, TLayerRetention layers) {
  Clear();
  TDovaReader reader(stream, code_, frames, layers);
  reader.Read(*this);
}

TDovaInfo TDovaFrameList::ReadInfo(TStream& stream) {
  const int64_t start = stream.Position();
  char head[8] = {};
  size_t got = stream.Read(head, sizeof head);
  TDovaInfo info;
  try {
    if (got >= 5 && std::memcmp(head, "DovaX", 5) == 0) {
      if (!KnownXmlForm(head, got)) throw NewerImageHeaderError();
      TXmlDocument document = ParseDescription(stream);
      info = InfoFromRoot(*document.root);
    } else if (got >= 7 && std::memcmp(head, "Dova", 4) == 0 && IsDigit(head[4]) && IsDigit(head[5]) &&
               IsDigit(head[6])) {
      info.version = (head[4] - '0') * 100 + (head[5] - '0') * 10 + (head[6] - '0');
    }
  } catch (const EReadError&) {
    throw CorruptImageError();
  }
  stream.SetPosition(start);
  return info;
}

}  // namespace orvo
