#include <cstring>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "image/dova.h"
#include "image/image_errors.h"
#include "surface/picture_io.h"

namespace orvo {
namespace {

// The pixel as the picture would hold it after writing it (the bits its format keeps).
uint32_t PixelOfFormat(int32_t pixel, int bits) {
  auto value = static_cast<uint32_t>(pixel);
  switch (bits) {
    case 1:
      return value & 1;
    case 4:
      return value & 0xF;
    case 8:
      return value & 0xFF;
    case 15:
    case 16:
      return value & 0xFFFF;
    case 24:
      return value & 0xFFFFFF;
    default:
      return value;
  }
}

std::string LowerExtension(std::string_view name) {
  size_t dot = FindLastChar(name, '.');
  size_t slash = std::max(FindLastChar(name, '\\'), FindLastChar(name, '/'));
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return LowerAscii(name.substr(dot));
}

// Rows [top, bottom) and columns [left, right) that hold anything other than
// the given value, for one row read as raw pixels.
template <class Read>
TRect BoundsOfOthers(int32_t width, int32_t height, Read&& differs) {
  int32_t left = width, right = 0, top = height, bottom = 0;
  for (int32_t y = 0; y < height; ++y) {
    int32_t x0 = 0;
    while (x0 < width && !differs(x0, y)) ++x0;
    if (x0 == width) continue;
    int32_t x1 = width - 1;
    while (x1 > x0 && !differs(x1, y)) --x1;
    left = std::min(left, x0);
    right = std::max(right, x1 + 1);
    top = std::min(top, y);
    bottom = y + 1;
  }
  if (left >= right || top >= bottom) return {0, 0, 0, 0};
  return {left, top, right, bottom};
}

void CutRects(std::vector<TRect>& rects, const TRect& content) {
  std::vector<TRect> kept;
  for (const TRect& rect : rects) {
    TRect cut = IntersectRect(rect, content);
    if (cut.IsEmpty()) continue;
    kept.push_back(
        {cut.left - content.left, cut.top - content.top, cut.right - content.left, cut.bottom - content.top});
  }
  rects = std::move(kept);
}

}  // namespace

void TDovaFrame::SetTransparentPixel(int32_t pixel) {
  transparent_pixel_ = pixel;
  transparent_color_ =
      pixel == -1 ? -1 : static_cast<int32_t>(picture.PixelToColor(PixelOfFormat(pixel, picture.StoreBitCount())));
}

void TDovaFrame::SetTransparentColor(int32_t colour) {
  if (colour < 0) {
    SetTransparentPixel(-1);
    return;
  }
  auto c = static_cast<uint32_t>(colour);
  SetTransparentPixel(static_cast<int32_t>(picture.RGBToPixel(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)));
}

void TDovaFrameList::Clear() {
  frames_.clear();
  version_ = 0;
  bg_color_ = 0;
  not_fill_bg_ = true;
  info_ = TDovaInfo();
}

TDovaFrame& TDovaFrameList::Frame(int64_t index) {
  if (index < 0 || static_cast<uint64_t>(index) >= frames_.size()) throw FrameIndexError();
  return *frames_[static_cast<size_t>(index)];
}

const TDovaFrame& TDovaFrameList::Frame(int64_t index) const { return const_cast<TDovaFrameList*>(this)->Frame(index); }

TDovaFrame& TDovaFrameList::AddFrame() {
  frames_.push_back(std::make_unique<TDovaFrame>());
  return *frames_.back();
}

std::unique_ptr<TDovaFrame> TDovaFrameList::TakeFrame(int64_t index) {
  Frame(index);
  std::unique_ptr<TDovaFrame> frame = std::move(frames_[static_cast<size_t>(index)]);
  frames_.erase(frames_.begin() + index);
  return frame;
}

bool TDovaFrameList::LoadFromBytes(std::string_view bytes, std::string_view name, TFrameSelection frames) {
  std::string extension = LowerExtension(name);
  TSpanStream stream(bytes.data(), bytes.size());
  if (extension == ".dov") {
    LoadFromStream(stream, frames);
    return true;
  }
  if (extension != ".png" && extension != ".bmp" && extension != ".dib") return false;
  Clear();
  TDovaFrame frame;
  int32_t key = -1;
  if (extension == ".png") {
    key = ReadPng(stream, frame.picture);
  } else {
    ReadBmp(stream, frame.picture);
    // A 32-bit bitmap keeps its fourth byte as the mask only.
    if (frame.picture.StoreBitCount() == 32) frame.picture.ConvertBitCount(24);
  }
  frame.SetTransparentPixel(key);
  TDovaFrame& added = AddFrame();
  added = std::move(frame);
  return true;
}

void TDovaFrameList::LoadFromFile(const std::string& path, TFrameSelection frames) {
  std::string extension = LowerExtension(path);
  if (extension != ".dov" && extension != ".png" && extension != ".bmp" && extension != ".dib") return;
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) throw EReadError("Cannot read " + path);
  LoadFromBytes(bytes, path, frames);
}

void TDovaFrameList::MakeMask(TDovaFrame& frame, TMaskLayers layers) {
  if (!frame.picture.HasMask()) frame.picture.MakeMaskFromKey(frame.TransparentPixel());
  if (layers == TMaskLayers::FrameOnly) return;
  for (TDovaLayer& layer : frame.layers) {
    if (layer.picture.HasMask()) continue;
    layer.picture.MakeMaskFromKey(layer.transparent_pixel != -1 ? layer.transparent_pixel : frame.TransparentPixel());
  }
}

TRect TDovaFrameList::ContentRect(TDovaFrame& frame) {
  TDIBSurface& picture = frame.picture;
  const int32_t width = picture.Width(), height = picture.Height();
  TRect content;
  if (const TDIBSurface* mask = picture.Mask()) {
    content = BoundsOfOthers(width, height, [&](int32_t x, int32_t y) { return mask->ScanLine(y)[x] != 0; });
  } else if (frame.TransparentPixel() == -1) {
    return picture.Bounds();
  } else {
    const uint32_t key = PixelOfFormat(frame.TransparentPixel(), picture.StoreBitCount());
    const int bits = picture.BitCount();
    if (bits >= 8) {
      const size_t bytes = static_cast<size_t>(bits / 8);
      content = BoundsOfOthers(width, height, [&](int32_t x, int32_t y) {
        const uint8_t* p = picture.ScanLine(y) + bytes * static_cast<size_t>(x);
        uint32_t value = 0;
        std::memcpy(&value, p, bytes);
        return value != key;
      });
    } else {
      content = BoundsOfOthers(width, height, [&](int32_t x, int32_t y) { return picture.GetPixel(x, y) != key; });
    }
  }
  if (content.IsEmpty()) content = {0, 0, 1, 1};
  if (content != picture.Bounds()) {
    picture.Crop(content);
    CutRects(frame.draw_rects, content);
    CutRects(frame.extra_rects, content);
  }
  return content;
}

bool LooksLikeDova(std::string_view start) { return start.size() >= 4 && std::memcmp(start.data(), "Dova", 4) == 0; }

}  // namespace orvo
