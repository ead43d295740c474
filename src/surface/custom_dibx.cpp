#include "surface/custom_dibx.h"

#include <algorithm>
#include <cstring>

#include "base/files.h"
#include "base/stream.h"
#include "surface/dibx.h"
#include "surface/picture_io.h"
#include "surface/surface_io.h"
#include "surface/view.h"

namespace orvo {

using pixel::TView;

TCustomDIBX::TCustomDIBX() = default;
TCustomDIBX::~TCustomDIBX() = default;

bool TCustomDIBX::IsEmpty() const { return Width() == 0 || Height() == 0; }
int TCustomDIBX::BitCount() const { return 0; }
void TCustomDIBX::SetBitCount(int) {}
uint32_t TCustomDIBX::RedMask() const { return 0; }
uint32_t TCustomDIBX::GreenMask() const { return 0; }
uint32_t TCustomDIBX::BlueMask() const { return 0; }
int64_t TCustomDIBX::Pitch() const { return 0; }
uint32_t TCustomDIBX::GetPixel(int32_t, int32_t) const { return 0; }
void TCustomDIBX::SetPixel(int32_t, int32_t, uint32_t) {}
int TCustomDIBX::BlueShift() const { return 0; }
int TCustomDIBX::GreenShift() const { return 0; }
int TCustomDIBX::RedShift() const { return 0; }
int32_t TCustomDIBX::Height() const { return height_; }
int32_t TCustomDIBX::Width() const { return width_; }
TCustomDIBX* TCustomDIBX::Target() { return nullptr; }
int TCustomDIBX::StoredBitCount() const { return BitCount(); }

void TCustomDIBX::SetSize(int32_t width, int32_t height, int) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
}

uint8_t* TCustomDIBX::Lock(int32_t, int32_t) { return nullptr; }
void TCustomDIBX::Unlock() {}

TRect TCustomDIBX::ClipArea() const { return GetBounds(); }

TRect TCustomDIBX::GetClipRect() const {
  TRect area = ClipArea();
  return clip_set_ ? IntersectRect(clip_, area) : area;
}

void TCustomDIBX::SetClipRect(const TRect& r) {
  clip_ = r;
  clip_set_ = true;
}

void TCustomDIBX::RestoreClip(const TClipState& state) {
  clip_ = state.rect;
  clip_set_ = state.set;
}

void TCustomDIBX::ResetClip() {
  clip_set_ = false;
  clip_ = {};
}

void TCustomDIBX::AddClip(const TRect& r) {
  TRect clamped = IntersectRect(r, ClipArea());
  if (clamped.IsEmpty()) return;
  clip_ = clip_set_ ? UnionRect(clip_, clamped) : clamped;
  clip_set_ = true;
}

int32_t TCustomDIBX::ColorToPixel(int32_t colour) const { return colour; }

void TCustomDIBX::Clear(uint32_t pixel) { FillRect(GetBounds(), pixel); }

namespace {

// Runs body(F) over the rows of r inside the clip of a drawable surface.
template <class Body>
void ForFillRows(TCustomDIBX& surface, const TRect& r, Body&& body) {
  TRect area = IntersectRect(r, surface.GetClipRect());
  if (area.IsEmpty()) return;
  TView view(surface);
  if (!view.Valid() || !pixel::IsDrawableBits(view.Bits())) return;
  area = IntersectRect(area, view.Bounds());
  if (area.IsEmpty()) return;
  pixel::DispatchFormat(view.Bits(), [&](auto format) {
    using F = decltype(format);
    for (int32_t y = area.top; y < area.bottom; ++y) {
      body(F{}, view.Row(y) + static_cast<size_t>(area.left) * F::kBytes, static_cast<int>(area.Width()));
    }
  });
}

// The bands of a frame: top, bottom and, when room remains, left and right.
template <class Fill>
void ForFrameBands(const TRect& r, int thickness, Fill&& fill) {
  int64_t t = thickness;
  auto band = [&](int64_t l, int64_t tp, int64_t rt, int64_t b) {
    fill(TRect{ClampToInt32(l), ClampToInt32(tp), ClampToInt32(rt), ClampToInt32(b)});
  };
  band(r.left, r.top, r.right, r.top + t);
  band(r.left, r.bottom - t, r.right, r.bottom);
  if (static_cast<int64_t>(r.bottom) - r.top - 2 * t > 0) {
    band(r.left, r.top + t, r.left + t, r.bottom - t);
    band(r.right - t, r.top + t, r.right, r.bottom - t);
  }
}

bool HasExtension(const std::string& path, const char* extension) {
  size_t n = std::strlen(extension);
  if (path.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = path[path.size() - n + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != extension[i]) return false;
  }
  return true;
}

TLayeredImageDecoder layered_image_decoder = nullptr;

}  // namespace

void TCustomDIBX::FillRect(const TRect& r, uint32_t pixel) {
  ForFillRows(*this, r, [&](auto format, uint8_t* row, int n) { pixel::FillRow<decltype(format)>(row, n, pixel); });
}

void TCustomDIBX::FillRectBlend(const TRect& r, uint32_t pixel, int opacity) {
  if (opacity <= 0) return;
  uint32_t w = static_cast<uint32_t>(std::min(opacity, 255));
  ForFillRows(*this, r, [&](auto format, uint8_t* row, int n) {
    using F = decltype(format);
    pixel::FillBlendRow<F>(row, n, pixel & F::kValueMask, w);
  });
}

void TCustomDIBX::FillRectAdd(const TRect& r, uint32_t pixel) {
  ForFillRows(*this, r,
              [&](auto format, uint8_t* row, int n) { pixel::ScalarFillAddRow<decltype(format)>(row, n, pixel); });
}

void TCustomDIBX::FillRectSub(const TRect& r, uint32_t pixel) {
  ForFillRows(*this, r,
              [&](auto format, uint8_t* row, int n) { pixel::ScalarFillSubRow<decltype(format)>(row, n, pixel); });
}

void TCustomDIBX::FrameRect(const TRect& r, int thickness, uint32_t pixel) {
  ForFrameBands(r, thickness, [&](const TRect& band) { FillRect(band, pixel); });
}

void TCustomDIBX::FrameRectBlend(const TRect& r, int thickness, uint32_t pixel, int opacity) {
  if (opacity <= 0) return;
  ForFrameBands(r, thickness, [&](const TRect& band) { FillRectBlend(band, pixel, opacity); });
}

void TCustomDIBX::FrameRectAdd(const TRect& r, int thickness, uint32_t pixel) {
  ForFrameBands(r, thickness, [&](const TRect& band) { FillRectAdd(band, pixel); });
}

void TCustomDIBX::PatternFrame(const TRect& r, int thickness, TCustomDIBX& texture, int32_t origin_x,
                               int32_t origin_y) {
  ForFrameBands(r, thickness,
                [&](const TRect& band) { PatternFill(band, texture, origin_x, origin_y, TDrawFlags::None); });
}

void TCustomDIBX::Assign(TCustomDIBX& source) {
  if (&source == this) return;
  if (source.BitCount() != BitCount()) {
    // Different formats convert through colours (a block copy would mix them up).
    if (!pixel::IsDrawableBits(BitCount()) || source.IsEmpty()) return;
    TDIBSurface picture;
    CopySurfaceToStore(source, picture);
    CopyStoreToSurface(picture, *this);
    return;
  }
  if (source.Width() == Width() && source.Height() == Height() && source.Pitch() == Pitch()) {
    TView dest(*this), src(source);
    if (dest.Valid() && src.Valid()) {
      size_t row_bytes = static_cast<size_t>(Width()) * ((BitCount() + 7) / 8);
      for (int32_t y = 0; y < Height(); ++y) std::memmove(dest.Row(y), src.Row(y), row_bytes);
      return;
    }
  }
  Draw(0, 0, source, source.GetBounds(), TDrawFlags::None);
}

void TCustomDIBX::LoadFromFile(const std::string& path) {
  if (!HasExtension(path, ".bmp")) return;
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return;
  TMemoryStream stream(bytes);
  TDIBSurface picture;
  ReadBmp(stream, picture);
  if (!picture.IsEmpty()) CopyStoreToSurface(picture, *this);
}

void TCustomDIBX::LoadFromStream(TStream* stream, int option) {
  if (stream == nullptr) return;
  stream->SetPosition(0);
  uint8_t start[4] = {};
  size_t got = stream->Read(start, 4);
  stream->SetPosition(0);
  TDIBSurface picture;
  if (got >= 2 && start[0] == 'B' && start[1] == 'M') {
    ReadBmp(*stream, picture);
  } else if (got == 4 && std::memcmp(start + 1, "PNG", 3) == 0) {
    ReadPng(*stream, picture);
  } else if (got == 4 && std::memcmp(start, "Dova", 4) == 0 && layered_image_decoder != nullptr) {
    if (!layered_image_decoder(*stream, option, picture)) return;
  } else {
    return;
  }
  if (!picture.IsEmpty()) CopyStoreToSurface(picture, *this);
}

void TCustomDIBX::SaveToFile(const std::string& path) {
  if (!HasExtension(path, ".bmp") || IsEmpty()) return;
  TDIBSurface picture;
  CopySurfaceToStore(*this, picture);
  picture.ConvertBitCount(24);
  TMemoryStream stream;
  WriteBmp(stream, picture);
  const auto& bytes = stream.Bytes();
  WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void TCustomDIBX::Release() {
  width_ = 0;
  height_ = 0;
}

void TCustomDIBX::Restore() {}
void TCustomDIBX::GetPalette(uint8_t*) const {}
void TCustomDIBX::GetPaletteEntries(uint8_t*, int, int) const {}
void TCustomDIBX::SetPalette(const uint8_t*) {}
void TCustomDIBX::SetPaletteEntries(const uint8_t*, int, int) {}
void TCustomDIBX::Dormant() {}

void TCustomDIBX::DrawTransformedAll(int32_t x, int32_t y, long double scale_x, long double scale_y,
                                     TCustomDIBX& source, int32_t pivot_x, int32_t pivot_y, long double angle,
                                     TDrawFlags flags, int opacity) {
  DrawTransformed(x, y, scale_x, scale_y, source, source.GetBounds(), pivot_x, pivot_y, angle, flags, opacity);
}

void TCustomDIBX::DrawTransformedAllEx(int32_t x, int32_t y, long double scale_x, long double scale_y,
                                       TCustomDIBX& source, int32_t pivot_x, int32_t pivot_y, long double angle,
                                       TDrawFlags flags, int opacity, const TTransformExtra&) {
  DrawTransformedAll(x, y, scale_x, scale_y, source, pivot_x, pivot_y, angle, flags, opacity);
}

// ---- surface_io.h ----

void CopySurfaceToStore(TCustomDIBX& surface, TDIBSurface& store) {
  int bits = surface.BitCount();
  store.RemoveMask();
  store.SetSize(surface.Width(), surface.Height(), pixel::IsDrawableBits(bits) ? bits : 32);
  if (bits == 8) {
    uint8_t palette[1024];
    surface.GetPalette(palette);
    store.SetPalette(palette);
  }
  TView view(surface);
  size_t row_bytes = static_cast<size_t>(surface.Width()) * ((bits + 7) / 8);
  for (int32_t y = 0; y < surface.Height(); ++y) {
    if (view.Valid() && store.StoreBitCount() == bits) {
      std::memcpy(store.ScanLine(y), view.Row(y), row_bytes);
    } else {
      for (int32_t x = 0; x < surface.Width(); ++x) store.SetPixel(x, y, surface.GetPixel(x, y));
    }
  }
}

void CopyStoreToSurface(const TDIBSurface& picture, TCustomDIBX& surface) {
  int bits = surface.BitCount();
  if (!pixel::IsDrawableBits(bits)) bits = 32;
  TDIBSurface converted;
  converted.AssignStore(picture);
  converted.RemoveMask();
  if (bits == 8) {
    // Colours map onto the surface's own palette.
    converted.ConvertBitCount(24);
    uint8_t palette[1024];
    surface.GetPalette(palette);
    converted.SetPalette(palette);
  }
  converted.ConvertBitCount(bits);
  surface.SetSize(converted.Width(), converted.Height(), bits);
  if (surface.BitCount() != bits || surface.Width() != converted.Width()) return;
  TView view(surface);
  size_t row_bytes = static_cast<size_t>(converted.Width()) * ((bits + 7) / 8);
  for (int32_t y = 0; y < converted.Height(); ++y) {
    if (view.Valid()) {
      std::memcpy(view.Row(y), converted.ScanLine(y), row_bytes);
    } else {
      for (int32_t x = 0; x < converted.Width(); ++x) surface.SetPixel(x, y, converted.GetPixel(x, y));
    }
  }
}

void ExportRgba(TCustomDIBX& surface, const TRect& rect, uint8_t* rgba, size_t stride) {
  TRect area = IntersectRect(rect, surface.GetBounds());
  if (area.IsEmpty()) return;
  int bits = surface.BitCount();
  uint8_t palette[1024] = {};
  if (bits == 8) surface.GetPalette(palette);
  TView view(surface);
  for (int32_t y = area.top; y < area.bottom; ++y) {
    uint8_t* out = rgba + static_cast<size_t>(y - rect.top) * stride + static_cast<size_t>(area.left - rect.left) * 4;
    const uint8_t* row = view.Valid() ? view.Row(y) : nullptr;
    for (int32_t x = area.left; x < area.right; ++x, out += 4) {
      uint32_t p = row ? 0 : surface.GetPixel(x, y);
      uint32_t r, g, b;
      switch (bits) {
        case 8:
          p = row ? row[x] : p & 0xFF;
          b = palette[4 * p], g = palette[4 * p + 1], r = palette[4 * p + 2];
          break;
        case 15:
          if (row) p = pixel::TFormat15::Load(row + 2 * static_cast<size_t>(x));
          r = ((p >> 10) & 31) << 3, g = ((p >> 5) & 31) << 3, b = (p & 31) << 3;
          break;
        case 16:
          if (row) p = pixel::TFormat16::Load(row + 2 * static_cast<size_t>(x));
          r = ((p >> 11) & 31) << 3, g = ((p >> 5) & 63) << 2, b = (p & 31) << 3;
          break;
        case 24:
        case 32:
          if (row)
            p = bits == 24 ? pixel::TFormat24::Load(row + 3 * static_cast<size_t>(x))
                           : pixel::TFormat32::Load(row + 4 * static_cast<size_t>(x));
          r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
          break;
        default:
          r = g = b = 0;
          break;
      }
      out[0] = static_cast<uint8_t>(r);
      out[1] = static_cast<uint8_t>(g);
      out[2] = static_cast<uint8_t>(b);
      out[3] = 255;
    }
  }
}

void SaveSurfacePng(TCustomDIBX& surface, const std::string& path) {
  TDIBSurface picture;
  CopySurfaceToStore(surface, picture);
  SavePng(path, picture);
}

void SetLayeredImageDecoder(TLayeredImageDecoder decoder) { layered_image_decoder = decoder; }

}  // namespace orvo
