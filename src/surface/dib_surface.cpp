#include "surface/dib_surface.h"

#include <algorithm>
#include <cstring>

#include "base/error.h"
#include "surface/pixel_format.h"

namespace orvo {
namespace {

bool IsStoreBitCount(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

// Raw access to one pixel of a row at any store bit count.
uint32_t ReadRaw(const uint8_t* row, int32_t x, int bits) {
  switch (bits) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
      return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu;
    case 8:
      return row[x];
    case 15:
    case 16:
      return pixel::TFormat16::Load(row + 2 * static_cast<size_t>(x));
    case 24:
      return pixel::TFormat24::Load(row + 3 * static_cast<size_t>(x));
    default:
      return pixel::TFormat32::Load(row + 4 * static_cast<size_t>(x));
  }
}

void WriteRaw(uint8_t* row, int32_t x, int bits, uint32_t v) {
  switch (bits) {
    case 1: {
      uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
      row[x >> 3] = (v & 1u) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      break;
    }
    case 4: {
      uint8_t& byte = row[x >> 1];
      byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | (v & 0xF))
                     : static_cast<uint8_t>((byte & 0x0F) | ((v & 0xF) << 4));
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(v);
      break;
    case 15:
    case 16:
      pixel::TFormat16::Store(row + 2 * static_cast<size_t>(x), v);
      break;
    case 24:
      pixel::TFormat24::Store(row + 3 * static_cast<size_t>(x), v);
      break;
    default:
      pixel::TFormat32::Store(row + 4 * static_cast<size_t>(x), v);
      break;
  }
}

// Default colour tables: black and white, then grey ramps.
void DefaultPalette(std::array<uint8_t, 1024>& palette, int bits) {
  palette.fill(0);
  int entries = bits == 1 ? 2 : bits == 4 ? 16 : 256;
  for (int i = 0; i < entries; ++i) {
    uint8_t level = static_cast<uint8_t>(i * 255 / (entries - 1));
    palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = level;
  }
}

// Destination and source rectangles of a store primitive after clipping.
struct TStoreBlit {
  int32_t dx, dy, sx, sy, width, height;
};

bool ClipStoreBlit(const TDIBSurface& dest, int32_t x, int32_t y, const TRect& source_rect, const TDIBSurface& source,
                   TStoreBlit& out) {
  // The source rectangle is cut to the source first, moving the destination with it.
  TRect src = IntersectRect(source_rect, source.Bounds());
  int64_t left = static_cast<int64_t>(x) + (static_cast<int64_t>(src.left) - source_rect.left);
  int64_t top = static_cast<int64_t>(y) + (static_cast<int64_t>(src.top) - source_rect.top);
  if (src.IsEmpty()) return false;
  TRect clip = IntersectRect(dest.ClipRect(), dest.Bounds());
  if (dest.ClipRect().IsEmpty()) clip = dest.Bounds();
  int64_t l = std::max<int64_t>(left, clip.left);
  int64_t t = std::max<int64_t>(top, clip.top);
  int64_t r = std::min<int64_t>(left + src.Width(), clip.right);
  int64_t b = std::min<int64_t>(top + src.Height(), clip.bottom);
  if (l >= r || t >= b) return false;
  out.dx = static_cast<int32_t>(l);
  out.dy = static_cast<int32_t>(t);
  out.sx = static_cast<int32_t>(src.left + (l - left));
  out.sy = static_cast<int32_t>(src.top + (t - top));
  out.width = static_cast<int32_t>(r - l);
  out.height = static_cast<int32_t>(b - t);
  return true;
}

// A source in the destination's format: the original, or a converted copy of
// the rectangle that will be read (drawing from another format would read the
// bytes wrongly, past the end of the rows).
struct TSameFormatSource {
  const TDIBSurface* store = nullptr;
  TRect rect;
  std::unique_ptr<TDIBSurface> converted;
};

TSameFormatSource MatchFormat(const TDIBSurface& dest, const TRect& source_rect, const TDIBSurface& source) {
  TSameFormatSource result;
  if (source.StoreBitCount() == dest.StoreBitCount()) {
    result.store = &source;
    result.rect = source_rect;
    return result;
  }
  TRect cut = IntersectRect(source_rect, source.Bounds());
  result.converted = std::make_unique<TDIBSurface>();
  result.converted->AssignStore(source);
  result.converted->Crop(cut);
  if (dest.StoreBitCount() <= 8) result.converted->SetPalette(dest.Palette().data());
  result.converted->ConvertBitCount(dest.StoreBitCount());
  result.store = result.converted.get();
  // Keep the caller's coordinates meaningful: shift the rectangle with the crop.
  result.rect = {source_rect.left - cut.left, source_rect.top - cut.top, source_rect.right - cut.left,
                 source_rect.bottom - cut.top};
  return result;
}

constexpr uint8_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// The store's opacity arithmetic: divides by 255 on 15/16/24 bits, by 256
// with the fourth byte cleared on 32 bits.
template <int kBits>
uint32_t StoreBlend(uint32_t s, uint32_t d, uint32_t a) {
  if constexpr (kBits == 15 || kBits == 16) {
    using F = pixel::TFormat<kBits>;
    uint32_t out = 0;
    for (uint32_t c : {F::kRed, F::kGreen, F::kBlue}) out |= (((255 - a) * (d & c) + a * (s & c)) / 255) & c;
    return out;
  } else if constexpr (kBits == 24) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      uint32_t dc = (d >> shift) & 0xFF, sc = (s >> shift) & 0xFF;
      out |= (((255 - a) * dc + a * sc) / 255) << shift;
    }
    return out;
  } else {
    return ((((d & 0xFF00FF) * (255 - a) + a * (s & 0xFF00FF)) >> 8) & 0xFF00FF) |
           ((((d & 0xFF00) * (255 - a) + (s & 0xFF00) * a) >> 8) & 0xFF00);
  }
}

// Mask blends of 15/16 and 24 bits at a = 255 shift by 8 instead.
template <int kBits>
uint32_t StoreMaskBlend(uint32_t s, uint32_t d, uint32_t m) {
  if constexpr (kBits == 15 || kBits == 16) {
    using F = pixel::TFormat<kBits>;
    uint32_t out = 0;
    for (uint32_t c : {F::kRed, F::kGreen, F::kBlue}) out |= ((((d & c) * (255 - m)) + m * (s & c)) >> 8) & c;
    return out;
  } else if constexpr (kBits == 24) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      uint32_t dc = (d >> shift) & 0xFF, sc = (s >> shift) & 0xFF;
      out |= ((sc * m + dc * (255 - m)) >> 8) << shift;
    }
    return out;
  } else {
    return StoreBlend<32>(s, d, m);
  }
}

template <int kBits, class PixelFn>
void ForEachBlitPixel(TDIBSurface& dest, const TStoreBlit& blit, const TDIBSurface& source, PixelFn&& fn) {
  const TDIBSurface* mask = source.Mask();
  // A mask that no longer matches its store (resized by hand) is not read.
  if (mask && (mask->StoreBitCount() != 8 || mask->Width() < source.Width() || mask->Height() < source.Height())) {
    mask = nullptr;
  }
  for (int32_t row = 0; row < blit.height; ++row) {
    uint8_t* drow = dest.ScanLine(blit.dy + row);
    const uint8_t* srow = source.ScanLine(blit.sy + row);
    const uint8_t* mrow = mask ? mask->ScanLine(blit.sy + row) : nullptr;
    for (int32_t col = 0; col < blit.width; ++col) {
      int32_t dx = blit.dx + col, sx = blit.sx + col;
      uint32_t s = ReadRaw(srow, sx, kBits);
      uint32_t d = ReadRaw(drow, dx, kBits);
      uint32_t m = mrow ? mrow[sx] : 255;
      uint32_t out;
      if (fn(s, d, m, dx, blit.dy + row, out)) WriteRaw(drow, dx, kBits, out);
    }
  }
}

template <class Fn>
void DispatchStoreBits(int bits, Fn&& fn) {
  switch (bits) {
    case 1:
      return fn(std::integral_constant<int, 1>{});
    case 4:
      return fn(std::integral_constant<int, 4>{});
    case 8:
      return fn(std::integral_constant<int, 8>{});
    case 15:
      return fn(std::integral_constant<int, 15>{});
    case 16:
      return fn(std::integral_constant<int, 16>{});
    case 24:
      return fn(std::integral_constant<int, 24>{});
    default:
      return fn(std::integral_constant<int, 32>{});
  }
}

}  // namespace

size_t DibStride(int32_t width, int bits) {
  int stored = bits == 15 ? 16 : bits;
  return ((static_cast<size_t>(width) * static_cast<size_t>(stored) + 31) / 32) * 4;
}

TDIBSurface::TDIBSurface() { DefaultPalette(palette_, 8); }

TDIBSurface::TDIBSurface(int32_t width, int32_t height, int bits) : TDIBSurface() { SetSize(width, height, bits); }

TDIBSurface::~TDIBSurface() = default;
TDIBSurface::TDIBSurface(TDIBSurface&&) noexcept = default;
TDIBSurface& TDIBSurface::operator=(TDIBSurface&&) noexcept = default;

void TDIBSurface::Allocate(int32_t width, int32_t height, int bits) {
  if (!IsStoreBitCount(bits)) throw EFormatError("Unsupported bit count " + std::to_string(bits));
  if (width < 0 || height < 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
      static_cast<int64_t>(width) * height > kMaxSurfacePixels) {
    throw EFormatError("Picture too large: " + std::to_string(width) + " x " + std::to_string(height));
  }
  if (bits <= 8 && bits != bits_) DefaultPalette(palette_, bits);
  width_ = width;
  height_ = height;
  bits_ = bits;
  stride_ = DibStride(width, bits);
  pixels_.assign(stride_ * static_cast<size_t>(height), 0);
}

void TDIBSurface::SetSize(int32_t width, int32_t height, int bits) {
  Allocate(width, height, bits);
  if (mask_) mask_->SetSize(width, height, 8);
}

uint32_t TDIBSurface::RedMask() const { return bits_ == 15 ? 0x7C00 : bits_ == 16 ? 0xF800 : 0xFF0000; }
uint32_t TDIBSurface::GreenMask() const { return bits_ == 15 ? 0x03E0 : bits_ == 16 ? 0x07E0 : 0xFF00; }
uint32_t TDIBSurface::BlueMask() const { return (bits_ == 15 || bits_ == 16) ? 0x1F : 0xFF; }
int TDIBSurface::RedBits() const { return (bits_ == 15 || bits_ == 16) ? 5 : 8; }
int TDIBSurface::GreenBits() const { return bits_ == 15 ? 5 : bits_ == 16 ? 6 : 8; }
int TDIBSurface::BlueBits() const { return (bits_ == 15 || bits_ == 16) ? 5 : 8; }

uint8_t* TDIBSurface::ScanLine(int32_t y) {
  if (y < 0 || y >= height_) throw EOrvoError("Scan line index out of range");
  return pixels_.data() + static_cast<size_t>(height_ - 1 - y) * stride_;
}

const uint8_t* TDIBSurface::ScanLine(int32_t y) const { return const_cast<TDIBSurface*>(this)->ScanLine(y); }

uint32_t TDIBSurface::GetPixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return ReadRaw(ScanLine(y), x, bits_);
}

void TDIBSurface::SetPixel(int32_t x, int32_t y, uint32_t pixel) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  WriteRaw(ScanLine(y), x, bits_, pixel);
}

void TDIBSurface::SetPalette(const uint8_t* table1024) { std::memcpy(palette_.data(), table1024, palette_.size()); }

void TDIBSurface::GetPaletteEntries(uint8_t* out, int first, int count) const {
  if (first < 0 || count <= 0 || first >= 256) return;
  count = std::min(count, 256 - first);
  std::memcpy(out, palette_.data() + 4 * first, 4 * static_cast<size_t>(count));
}

void TDIBSurface::SetPaletteEntries(const uint8_t* table, int first, int count) {
  if (first < 0 || count <= 0 || first >= 256) return;
  count = std::min(count, 256 - first);
  std::memcpy(palette_.data() + 4 * first, table, 4 * static_cast<size_t>(count));
}

uint32_t TDIBSurface::PixelToColor(uint32_t pixel) const {
  uint32_t r, g, b;
  switch (bits_) {
    case 1:
    case 4:
    case 8: {
      size_t i = 4 * (pixel & 0xFF);
      b = palette_[i];
      g = palette_[i + 1];
      r = palette_[i + 2];
      break;
    }
    case 15:
      r = ((pixel >> 10) & 31) << 3;
      g = ((pixel >> 5) & 31) << 3;
      b = (pixel & 31) << 3;
      break;
    case 16:
      r = ((pixel >> 11) & 31) << 3;
      g = ((pixel >> 5) & 63) << 2;
      b = (pixel & 31) << 3;
      break;
    default:
      r = (pixel >> 16) & 0xFF;
      g = (pixel >> 8) & 0xFF;
      b = pixel & 0xFF;
      break;
  }
  return r | (g << 8) | (b << 16);
}

uint32_t TDIBSurface::RGBToPixel(int r, int g, int b) const {
  r &= 0xFF;
  g &= 0xFF;
  b &= 0xFF;
  switch (bits_) {
    case 1:
    case 4:
    case 8: {
      int entries = 1 << bits_;
      int best = 0;
      int best_distance = INT32_MAX;
      for (int i = 0; i < entries; ++i) {
        int db = palette_[4 * i] - b, dg = palette_[4 * i + 1] - g, dr = palette_[4 * i + 2] - r;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < best_distance) {
          best_distance = distance;
          best = i;
          if (distance == 0) break;
        }
      }
      return static_cast<uint32_t>(best);
    }
    case 15:
      return static_cast<uint32_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    case 16:
      return static_cast<uint32_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    default:
      return static_cast<uint32_t>((r << 16) | (g << 8) | b);
  }
}

void TDIBSurface::ConvertBitCount(int bits) {
  if (!IsStoreBitCount(bits)) throw EFormatError("Unsupported bit count " + std::to_string(bits));
  if (bits == bits_) return;
  TDIBSurface converted;
  converted.palette_ = palette_;
  converted.bits_ = bits;  // keeps this palette for a palette target
  converted.Allocate(width_, height_, bits);
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* src = ScanLine(y);
    uint8_t* dst = converted.ScanLine(y);
    uint32_t last_pixel = 0, last_result = 0;
    bool have_last = false;
    for (int32_t x = 0; x < width_; ++x) {
      uint32_t p = ReadRaw(src, x, bits_);
      if (!have_last || p != last_pixel) {
        uint32_t colour = PixelToColor(p);
        last_result = converted.RGBToPixel(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
        last_pixel = p;
        have_last = true;
      }
      WriteRaw(dst, x, bits, last_result);
    }
  }
  bits_ = bits;
  stride_ = converted.stride_;
  pixels_ = std::move(converted.pixels_);
}

void TDIBSurface::EnsureMask() {
  if (mask_ && mask_->width_ == width_ && mask_->height_ == height_ && mask_->bits_ == 8) return;
  mask_ = std::make_unique<TDIBSurface>();
  mask_->Allocate(width_, height_, 8);
}

void TDIBSurface::SetMaskFrom(const TDIBSurface& picture) {
  EnsureMask();
  int32_t w = std::min(width_, picture.width_), h = std::min(height_, picture.height_);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* dst = mask_->ScanLine(y);
    if (picture.bits_ == 8) {
      std::memcpy(dst, picture.ScanLine(y), static_cast<size_t>(w));
    } else {
      for (int32_t x = 0; x < w; ++x) dst[x] = static_cast<uint8_t>(picture.GetPixel(x, y));
    }
  }
}

void TDIBSurface::FillMaskOpaque() {
  if (mask_) std::fill(mask_->pixels_.begin(), mask_->pixels_.end(), 0xFF);
}

void TDIBSurface::MakeMaskFromKey(int32_t key) {
  EnsureMask();
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* src = ScanLine(y);
    uint8_t* dst = mask_->ScanLine(y);
    for (int32_t x = 0; x < width_; ++x) {
      dst[x] = (key != -1 && ReadRaw(src, x, bits_) == static_cast<uint32_t>(key)) ? 0 : 255;
    }
  }
}

void TDIBSurface::FillRect(const TRect& rect, uint32_t pixel) {
  TRect clip = clip_.IsEmpty() ? Bounds() : IntersectRect(clip_, Bounds());
  TRect r = IntersectRect(rect, clip);
  if (r.IsEmpty()) return;
  if (bits_ == 1) pixel &= 1;
  if (bits_ == 4) pixel &= 0xF;
  if (bits_ == 15) pixel &= 0x7FFF;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint8_t* row = ScanLine(y);
    switch (bits_) {
      case 8:
        std::memset(row + r.left, static_cast<int>(pixel & 0xFF), static_cast<size_t>(r.Width()));
        break;
      case 15:
      case 16:
        std::fill_n(reinterpret_cast<uint16_t*>(row) + r.left, r.Width(), static_cast<uint16_t>(pixel));
        break;
      case 32:
        std::fill_n(reinterpret_cast<uint32_t*>(row) + r.left, r.Width(), pixel);
        break;
      default:
        for (int32_t x = r.left; x < r.right; ++x) WriteRaw(row, x, bits_, pixel);
        break;
    }
  }
}

void TDIBSurface::DrawKeyed(int32_t x, int32_t y, int32_t key, const TRect& source_rect, const TDIBSurface& source) {
  TSameFormatSource src = MatchFormat(*this, source_rect, source);
  TStoreBlit blit;
  if (!ClipStoreBlit(*this, x, y, src.rect, *src.store, blit)) return;
  if (key == -1 && bits_ >= 8) {
    size_t bytes = static_cast<size_t>(BitCount() / 8);
    for (int32_t row = 0; row < blit.height; ++row) {
      std::memmove(ScanLine(blit.dy + row) + bytes * blit.dx, src.store->ScanLine(blit.sy + row) + bytes * blit.sx,
                   bytes * static_cast<size_t>(blit.width));
    }
    return;
  }
  uint32_t k = static_cast<uint32_t>(key);
  DispatchStoreBits(bits_, [&](auto bits) {
    ForEachBlitPixel<decltype(bits)::value>(*this, blit, *src.store,
                                            [&](uint32_t s, uint32_t, uint32_t, int32_t, int32_t, uint32_t& out) {
                                              out = s;
                                              return key == -1 || s != k;
                                            });
  });
}

void TDIBSurface::CopyRect(int32_t x, int32_t y, const TRect& source_rect, const TDIBSurface& source) {
  DrawKeyed(x, y, -1, source_rect, source);
}

void TDIBSurface::DrawAll(int32_t x, int32_t y, const TDIBSurface& source) { CopyRect(x, y, source.Bounds(), source); }

void TDIBSurface::DrawOpacity(int32_t x, int32_t y, int opacity, int32_t key, const TRect& source_rect,
                              const TDIBSurface& source) {
  if (opacity == 0) return;
  int a = opacity;
  if (bits_ <= 8 && a > 0) a /= 16;
  if (a > 254 || (bits_ <= 8 && a > 14) || a < 0) {
    DrawKeyed(x, y, key, source_rect, source);
    return;
  }
  TSameFormatSource src = MatchFormat(*this, source_rect, source);
  TStoreBlit blit;
  if (!ClipStoreBlit(*this, x, y, src.rect, *src.store, blit)) return;
  uint32_t k = static_cast<uint32_t>(key);
  uint32_t w = static_cast<uint32_t>(a);
  DispatchStoreBits(bits_, [&](auto bits_constant) {
    constexpr int kBits = decltype(bits_constant)::value;
    ForEachBlitPixel<kBits>(*this, blit, *src.store,
                            [&](uint32_t s, uint32_t d, uint32_t, int32_t dx, int32_t dy, uint32_t& out) {
                              if (key != -1 && s == k) return false;
                              if constexpr (kBits <= 8) {
                                out = s;
                                return kBayer[dy & 3][dx & 3] <= w;
                              } else {
                                out = StoreBlend<kBits>(s, d, w);
                                return true;
                              }
                            });
  });
}

void TDIBSurface::DrawThroughMask(int32_t x, int32_t y, int opacity, const TRect& source_rect,
                                  const TDIBSurface& source) {
  if (!source.HasMask()) {
    DrawOpacity(x, y, opacity, -1, source_rect, source);
    return;
  }
  TSameFormatSource src = MatchFormat(*this, source_rect, source);
  TStoreBlit blit;
  if (!ClipStoreBlit(*this, x, y, src.rect, *src.store, blit)) return;
  uint32_t a = static_cast<uint32_t>(std::clamp(opacity, 0, 255));
  DispatchStoreBits(bits_, [&](auto bits_constant) {
    constexpr int kBits = decltype(bits_constant)::value;
    ForEachBlitPixel<kBits>(*this, blit, *src.store,
                            [&](uint32_t s, uint32_t d, uint32_t m, int32_t, int32_t, uint32_t& out) {
                              if constexpr (kBits <= 8) {
                                out = s;
                                return m >= 128;
                              } else if constexpr (kBits == 24) {
                                if (a == 255) {
                                  if (m == 0) return false;
                                  out = m == 255 ? s : StoreMaskBlend<24>(s, d, m);
                                  return true;
                                }
                                if (a * m < 256) return false;
                                uint32_t wm = (a * m) >> 8;
                                out = StoreMaskBlend<24>(s, d, wm);
                                return true;
                              } else {
                                if (m == 0) return false;
                                out = m == 255 ? s : StoreMaskBlend<kBits>(s, d, m);
                                return true;
                              }
                            });
  });
}

void TDIBSurface::AssignStore(const TDIBSurface& source) {
  if (&source == this) return;
  width_ = source.width_;
  height_ = source.height_;
  bits_ = source.bits_;
  stride_ = source.stride_;
  pixels_ = source.pixels_;
  palette_ = source.palette_;
  if (source.mask_) {
    mask_ = std::make_unique<TDIBSurface>();
    mask_->AssignStore(*source.mask_);
  } else {
    mask_.reset();
  }
}

void TDIBSurface::Crop(const TRect& rect) {
  TRect r = IntersectRect(rect, Bounds());
  if (r.IsEmpty()) r = {0, 0, 0, 0};
  TDIBSurface cropped;
  cropped.bits_ = bits_;
  cropped.palette_ = palette_;
  cropped.Allocate(static_cast<int32_t>(r.Width()), static_cast<int32_t>(r.Height()), bits_);
  for (int32_t y = 0; y < cropped.height_; ++y) {
    const uint8_t* src = ScanLine(r.top + y);
    uint8_t* dst = cropped.ScanLine(y);
    if (bits_ >= 8) {
      size_t bytes = static_cast<size_t>(BitCount() / 8);
      std::memcpy(dst, src + bytes * r.left, bytes * static_cast<size_t>(cropped.width_));
    } else {
      for (int32_t x = 0; x < cropped.width_; ++x) WriteRaw(dst, x, bits_, ReadRaw(src, r.left + x, bits_));
    }
  }
  if (mask_) {
    mask_->Crop(r);
    cropped.mask_ = std::move(mask_);
  }
  width_ = cropped.width_;
  height_ = cropped.height_;
  stride_ = cropped.stride_;
  pixels_ = std::move(cropped.pixels_);
  mask_ = std::move(cropped.mask_);
}

void TDIBSurface::StretchToStore(TDIBSurface& target, const TRect& target_rect, const TRect& source_rect) const {
  TRect src = source_rect;
  if (target_rect.IsEmpty() || src.IsEmpty()) return;
  TRect visible = IntersectRect(target_rect, target.Bounds());
  if (visible.IsEmpty()) return;
  int64_t tw = target_rect.Width(), th = target_rect.Height();
  bool same = target.bits_ == bits_ && (bits_ > 8 || target.palette_ == palette_);
  for (int32_t ty = visible.top; ty < visible.bottom; ++ty) {
    int64_t sy = src.top + (static_cast<int64_t>(ty) - target_rect.top) * src.Height() / th;
    if (sy < 0 || sy >= height_) continue;
    const uint8_t* srow = ScanLine(static_cast<int32_t>(sy));
    uint8_t* trow = target.ScanLine(ty);
    for (int32_t tx = visible.left; tx < visible.right; ++tx) {
      int64_t sx = src.left + (static_cast<int64_t>(tx) - target_rect.left) * src.Width() / tw;
      if (sx < 0 || sx >= width_) continue;
      uint32_t p = ReadRaw(srow, static_cast<int32_t>(sx), bits_);
      if (!same) {
        uint32_t c = PixelToColor(p);
        p = target.RGBToPixel(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
      }
      WriteRaw(trow, tx, target.bits_, p);
    }
  }
}

}  // namespace orvo
