#include "image/picture_loader.h"

#include <algorithm>

#include "base/files.h"
#include "base/stream.h"
#include "data/file_manager.h"
#include "surface/surface_io.h"

namespace orvo {
namespace {

constexpr uint8_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

bool DecodeFirstFrame(TStream& stream, int option, TDIBSurface& picture) {
  TDovaFrameList list(option);
  list.LoadFromStream(stream, TFrameSelection::FirstOnly);
  if (list.Count() == 0) return false;
  picture = std::move(list.Frame(0).picture);
  return true;
}

}  // namespace

void DitherFrame(TDovaFrame& frame, int bits) {
  TDIBSurface& picture = frame.picture;
  if ((bits != 15 && bits != 16) || picture.StoreBitCount() < 24) return;
  if (frame.TransparentPixel() != -1 && !picture.HasMask()) return;
  const int32_t key_color = frame.TransparentColor();
  const int green_drop = bits == 15 ? 3 : 2;
  TDIBSurface reduced(picture.Width(), picture.Height(), bits);
  const size_t bytes = static_cast<size_t>(picture.BitCount() / 8);
  for (int32_t y = 0; y < picture.Height(); ++y) {
    const uint8_t* source = picture.ScanLine(y);
    auto* target = reinterpret_cast<uint8_t*>(reduced.ScanLine(y));
    for (int32_t x = 0; x < picture.Width(); ++x) {
      const uint8_t* p = source + bytes * static_cast<size_t>(x);
      const uint32_t level = kBayer[y & 3][x & 3];
      // A threshold below one step of the kept bits, added before they are cut.
      auto up = [&](uint32_t value, int drop) { return std::min<uint32_t>(255, value + ((level << drop) >> 4)); };
      uint32_t b = up(p[0], 3) >> 3, g = up(p[1], green_drop) >> green_drop, r = up(p[2], 3) >> 3;
      uint32_t pixel = bits == 15 ? (r << 10 | g << 5 | b) : (r << 11 | g << 5 | b);
      target[2 * x] = static_cast<uint8_t>(pixel);
      target[2 * x + 1] = static_cast<uint8_t>(pixel >> 8);
    }
  }
  if (picture.HasMask()) reduced.SetMaskFrom(*picture.Mask());
  picture = std::move(reduced);
  frame.SetTransparentColor(key_color);
}

TPicture PictureFromList(TDovaFrameList& list, const TPictureRequest& request) {
  TPicture result;
  for (size_t i = 0; i < list.Count(); ++i) {
    TDovaFrame& frame = list.Frame(static_cast<int64_t>(i));
    if (i == 0) {
      result.width = frame.picture.Width();
      result.height = frame.picture.Height();
    }
    if (request.masks == TMaskRequest::EveryFrame) TDovaFrameList::MakeMask(frame, TMaskLayers::FrameOnly);
    TPictureFrame out;
    if (request.offsets == TOffsetRequest::ContentRect) {
      TRect content = TDovaFrameList::ContentRect(frame);
      out.offset_x = content.left;
      out.offset_y = content.top;
    }
    if (request.dither_bits != 0) DitherFrame(frame, request.dither_bits);
    out.key_color = frame.TransparentColor();
    out.key_pixel = frame.TransparentPixel();
    out.delay = std::max(frame.delay, 1);
    out.draw_rects = std::move(frame.draw_rects);
    out.extra_rects = std::move(frame.extra_rects);
    out.picture = std::move(frame.picture);
    result.total_delay += out.delay;
    result.frames.push_back(std::move(out));
  }
  list.Clear();
  return result;
}

bool DecodePicture(std::string_view bytes, std::string_view name, const TPictureRequest& request, TPicture& out) {
  TDovaFrameList list(request.code);
  if (!list.LoadFromBytes(bytes, name, request.frames)) return false;
  out = PictureFromList(list, request);
  return true;
}

bool LoadPicture(TVrFileManager& files, std::string_view name, const TPictureRequest& request, TPicture& out) {
  if (!files.Exists(name)) return false;
  std::vector<uint8_t> bytes = files.LoadBytes(name);
  return DecodePicture(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), name, request, out);
}

void RegisterLayeredImageDecoder() { SetLayeredImageDecoder(DecodeFirstFrame); }

bool IsUncompressedImageFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  try {
    TSpanStream stream(bytes.data(), bytes.size());
    return TDovaFrameList::ReadInfo(stream).comp_type == static_cast<uint8_t>(TDovaCompression::None);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace orvo
