#pragma once
// The pixel store: a device-independent bitmap (rows bottom-up, padded to four
// bytes) in 1, 4, 8, 15, 16, 24 or 32 bits, with a palette, a clip rectangle,
// an optional 8-bit mask and the store's own drawing primitives. Those divide
// by 255 where the surface operations divide by 256: keep the two apart.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "surface/rect.h"

namespace orvo {

class TStream;

// Limits on the size of any store; readers refuse larger pictures before
// allocating.
constexpr int32_t kMaxSurfaceSide = 32767;
constexpr int64_t kMaxSurfacePixels = int64_t{1} << 26;

class TDIBSurface {
 public:
  // An empty store (0 x 0, 24 bits, no mask).
  TDIBSurface();
  TDIBSurface(int32_t width, int32_t height, int bits);
  ~TDIBSurface();
  TDIBSurface(const TDIBSurface&) = delete;
  TDIBSurface& operator=(const TDIBSurface&) = delete;
  TDIBSurface(TDIBSurface&&) noexcept;
  TDIBSurface& operator=(TDIBSurface&&) noexcept;

  // Resizes to width x height at bits (1, 4, 8, 15, 16, 24, 32); the picture
  // is discarded (all zero) and the mask, when there is one, resized too.
  // Sizes out of range raise EOrvoError.
  void SetSize(int32_t width, int32_t height, int bits);
  // Changes the bit count keeping the picture (colours converted; 8 bits and
  // fewer take the nearest palette entry).
  void ConvertBitCount(int bits);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool IsEmpty() const { return width_ == 0 || height_ == 0; }
  // The DIB's bit count: 1, 4, 8, 16, 24 or 32 (15-bit stores say 16).
  int BitCount() const { return bits_ == 15 ? 16 : bits_; }
  // 15 for a 16-bit store with the 5/5/5 masks, else BitCount.
  int StoreBitCount() const { return bits_; }
  TRect Bounds() const { return {0, 0, width_, height_}; }

  uint32_t RedMask() const;
  uint32_t GreenMask() const;
  uint32_t BlueMask() const;
  int RedBits() const;
  int GreenBits() const;
  int BlueBits() const;

  // Bytes from one row to the row below it: negative (bottom-up rows).
  int64_t RowStep() const { return -static_cast<int64_t>(stride_); }
  size_t Stride() const { return stride_; }
  // Address of row y (0 = top); an index outside the store raises EOrvoError.
  uint8_t* ScanLine(int32_t y);
  const uint8_t* ScanLine(int32_t y) const;
  // The lowest-addressed byte of the pixel block (the bottom row); null when empty.
  uint8_t* Bits() { return pixels_.empty() ? nullptr : pixels_.data(); }
  const uint8_t* Bits() const { return pixels_.empty() ? nullptr : pixels_.data(); }
  size_t ByteSize() const { return pixels_.size(); }

  // Raw pixel values; outside the store GetPixel gives 0 and SetPixel does nothing.
  uint32_t GetPixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, uint32_t pixel);

  // The 256-entry colour table as blue, green, red, reserved quadruples.
  const std::array<uint8_t, 1024>& Palette() const { return palette_; }
  void SetPalette(const uint8_t* table1024);
  void GetPaletteEntries(uint8_t* out, int first, int count) const;
  void SetPaletteEntries(const uint8_t* table, int first, int count);

  // Colour (0x00BBGGRR) of a pixel value, and the pixel of a colour: for 8
  // bits and fewer the nearest palette entry, else the colour with the low
  // bits of each channel dropped.
  uint32_t PixelToColor(uint32_t pixel) const;
  uint32_t RGBToPixel(int r, int g, int b) const;

  // Clip for drawing into the store; an empty rectangle means the whole store.
  const TRect& ClipRect() const { return clip_; }
  void SetClipRect(const TRect& clip) { clip_ = clip; }

  // The optional 8-bit mask (0 transparent .. 255 opaque) of the same size.
  TDIBSurface* Mask() { return mask_.get(); }
  const TDIBSurface* Mask() const { return mask_.get(); }
  bool HasMask() const { return mask_ != nullptr; }
  void RemoveMask() { mask_.reset(); }
  // Creates the mask (all 0) when missing or of another size.
  void EnsureMask();
  // EnsureMask, then copies the rows of an 8-bit picture of at least this size.
  void SetMaskFrom(const TDIBSurface& picture);
  void FillMaskOpaque();
  // Mask := 0 where the pixel equals key, else 255 (key -1: 255 everywhere).
  void MakeMaskFromKey(int32_t key);

  // --- primitives (the source must have this store's pixel format) ---
  void FillRect(const TRect& rect, uint32_t pixel);
  void DrawKeyed(int32_t x, int32_t y, int32_t key, const TRect& source_rect, const TDIBSurface& source);
  void CopyRect(int32_t x, int32_t y, const TRect& source_rect, const TDIBSurface& source);
  void DrawAll(int32_t x, int32_t y, const TDIBSurface& source);
  void DrawOpacity(int32_t x, int32_t y, int opacity, int32_t key, const TRect& source_rect, const TDIBSurface& source);
  void DrawThroughMask(int32_t x, int32_t y, int opacity, const TRect& source_rect, const TDIBSurface& source);

  // Same size, bit count, palette, pixels and mask as source.
  void AssignStore(const TDIBSurface& source);
  // Keeps only the pixels of rect (cut to the store), same bit count and palette.
  void Crop(const TRect& rect);
  // Copies source_rect of this store into target_rect of target with
  // nearest-pixel scaling, converting colours to the target's format.
  void StretchToStore(TDIBSurface& target, const TRect& target_rect, const TRect& source_rect) const;

 private:
  void Allocate(int32_t width, int32_t height, int bits);

  int32_t width_ = 0;
  int32_t height_ = 0;
  int bits_ = 24;
  size_t stride_ = 0;
  std::vector<uint8_t> pixels_;
  std::array<uint8_t, 1024> palette_{};
  TRect clip_{};
  std::unique_ptr<TDIBSurface> mask_;
};

// Row padding of a DIB: bytes of one row of width pixels at bits per pixel.
size_t DibStride(int32_t width, int bits);

}  // namespace orvo
