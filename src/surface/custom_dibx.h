#pragma once
// The abstract surface: a rectangle of pixels in one of five formats (8, 15,
// 16, 24, 32 bits) with a clip rectangle, a key colour and every drawing
// operation of the player. The base class implements each operation once over
// Lock and Pitch with kernels templated per pixel format; subclasses supply
// the pixels (TDIBX) or reroute the operations (TDIBXWave).
//
// Pixel arguments are native pixel values of the destination (convert
// 0x00BBGGRR colours with ColorToPixel first). Sources have the
// destination's format and masks are 8-bit surfaces; other combinations draw
// nothing. Coordinates never fail: everything is clipped to the clip
// rectangle, sources and masks to their own bounds, and an empty result draws
// nothing.
#include <array>
#include <cstdint>
#include <string>

#include "surface/rect.h"

namespace orvo {

class TStream;

// Flags of the drawing operations: skip the source's key colour, mirror the
// source horizontally, vertically.
enum class TDrawFlags : uint8_t { None = 0, UseKey = 1, FlipH = 2, FlipV = 4 };
constexpr TDrawFlags operator|(TDrawFlags a, TDrawFlags b) {
  return static_cast<TDrawFlags>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}
constexpr bool HasFlag(TDrawFlags set, TDrawFlags flag) {
  return (static_cast<uint8_t>(set) & static_cast<uint8_t>(flag)) != 0;
}
// The same flags without UseKey.
constexpr TDrawFlags FlipsOf(TDrawFlags set) { return static_cast<TDrawFlags>(static_cast<uint8_t>(set) & 6); }

// The three native colours of DrawCoverage3.
struct TColor3 {
  uint32_t c1 = 0, c2 = 0, c3 = 0;
};

using TNibblePalette = std::array<uint32_t, 16>;
using TBytePalette = std::array<uint32_t, 256>;

// The five integers DrawTransformedAllEx hands to hardware back-ends.
using TTransformExtra = std::array<int32_t, 5>;

// A saved clip rectangle (set or not).
struct TClipState {
  bool set = false;
  TRect rect;
};

class TCustomDIBX {
 public:
  TCustomDIBX();
  virtual ~TCustomDIBX();
  TCustomDIBX(const TCustomDIBX&) = delete;
  TCustomDIBX& operator=(const TCustomDIBX&) = delete;

  // --- format and geometry ---
  // True when the surface has no pixels (width or height 0).
  virtual bool IsEmpty() const;
  // 8, 15, 16, 24 or 32 (1 or 4 for coverage sources); 0 in the base.
  virtual int BitCount() const;
  // Converts the picture to another bit count; nothing in the base.
  virtual void SetBitCount(int bits);
  // Channel masks of the native pixel; 0 in the base.
  virtual uint32_t RedMask() const;
  virtual uint32_t GreenMask() const;
  virtual uint32_t BlueMask() const;
  // Signed byte offset from a row to the row below; 0 in the base.
  virtual int64_t Pitch() const;
  // One native pixel; 0 outside the surface and in the base.
  virtual uint32_t GetPixel(int32_t x, int32_t y) const;
  // Writes one native pixel; nothing outside the surface and in the base.
  virtual void SetPixel(int32_t x, int32_t y, uint32_t pixel);
  // Bit positions of the channels: blue 0, green after blue, red after green.
  virtual int BlueShift() const;
  virtual int GreenShift() const;
  virtual int RedShift() const;
  virtual int32_t Height() const;
  virtual int32_t Width() const;
  // The surface that really holds the pixels (a proxy's target); null in the base.
  virtual TCustomDIBX* Target();
  // BitCount without the 15/16 distinction for memory surfaces.
  virtual int StoredBitCount() const;
  // Gives the surface a size and format; the contents are then undefined.
  virtual void SetSize(int32_t width, int32_t height, int bits);
  // Address of pixel (x, y), or null when the surface has no pixels; every
  // successful Lock is paired with Unlock.
  virtual uint8_t* Lock(int32_t x, int32_t y);
  // Ends a Lock.
  virtual void Unlock();

  // --- clip ---
  // Removes the clip: operations reach the whole surface.
  virtual void ResetClip();
  // Merges r (first clamped to the surface) into the clip: the bounding box of both.
  virtual void AddClip(const TRect& r);

  // --- colours and fills ---
  // Native pixel of a 0x00BBGGRR colour; negative colours give -1; identity in the base.
  virtual int32_t ColorToPixel(int32_t colour) const;
  // Every pixel of the surface := pixel.
  virtual void Clear(uint32_t pixel);
  // Pixels of r inside the clip := pixel.
  virtual void FillRect(const TRect& r, uint32_t pixel);
  // Pixels of r inside the clip that differ from pixel are blended towards it.
  virtual void FillRectBlend(const TRect& r, uint32_t pixel, int opacity);
  // Saturated sum per channel.
  virtual void FillRectAdd(const TRect& r, uint32_t pixel);
  // Floored difference per channel.
  virtual void FillRectSub(const TRect& r, uint32_t pixel);
  // Outline of r, thickness pixels wide, with FillRect.
  virtual void FrameRect(const TRect& r, int thickness, uint32_t pixel);
  // Outline with FillRectBlend.
  virtual void FrameRectBlend(const TRect& r, int thickness, uint32_t pixel, int opacity);
  // Outline with FillRectAdd.
  virtual void FrameRectAdd(const TRect& r, int thickness, uint32_t pixel);

  // --- copies and blends (unscaled) ---
  // Copies the whole source to (0, 0).
  virtual void Assign(TCustomDIBX& source);
  // Plain copy of source_rect to (x, y).
  virtual void Draw(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags);
  // Copy through an 8-bit mask read at the source's coordinates (UseKey ignored).
  virtual void DrawMask(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                        TCustomDIBX& mask);
  // Blend at opacity 1..255; pixels equal to the destination stay.
  virtual void DrawBlend(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                         int opacity);
  // Blend at mask x opacity.
  virtual void DrawMaskBlend(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                             TCustomDIBX& mask, int opacity);
  // Additive at weight opacity; source key pixels are always left out.
  virtual void DrawAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                       int opacity);
  // Additive at mask x opacity.
  virtual void DrawMaskAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                           TCustomDIBX& mask, int opacity);
  // Paints one pixel value through an 8-bit mask at opacity.
  virtual void DrawColorMask(int32_t x, int32_t y, TCustomDIBX& mask, const TRect& source_rect, TDrawFlags flags,
                             uint32_t pixel, int opacity);

  // --- rotated and scaled ---
  // DrawTransformed of the whole source.
  virtual void DrawTransformedAll(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                                  int32_t pivot_x, int32_t pivot_y, long double angle, TDrawFlags flags, int opacity);
  // DrawTransformedAll; the extra integers only matter to hardware back-ends.
  virtual void DrawTransformedAllEx(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                                    int32_t pivot_x, int32_t pivot_y, long double angle, TDrawFlags flags, int opacity,
                                    const TTransformExtra& extra);
  // The source pivot lands on (x, y), scaled and turned clockwise by angle
  // (radians); opacity 1..254 blends, 255 copies, 256..511 adds.
  virtual void DrawTransformed(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                               const TRect& source_rect, int32_t pivot_x, int32_t pivot_y, long double angle,
                               TDrawFlags flags, int opacity);
  // The same through an 8-bit mask read at the sample's source position.
  virtual void DrawTransformedMask(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                                   const TRect& source_rect, int32_t pivot_x, int32_t pivot_y, long double angle,
                                   TDrawFlags flags, TCustomDIBX& mask, int opacity);
  // Scales source_rect into dest_rect; opacity 1..255.
  virtual void StretchDraw(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                           int opacity);
  virtual void StretchDrawMask(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                               TCustomDIBX& mask, int opacity);
  virtual void StretchDrawAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                              int opacity);
  virtual void StretchDrawMaskAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                                  TDrawFlags flags, TCustomDIBX& mask, int opacity);

  // --- anti-aliased text ---
  // 1-bit source, factor x factor blocks per pixel, 0 bits are ink.
  virtual void DrawCoverage(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, uint32_t pixel,
                            TDrawFlags flags, int opacity, int factor);
  // 4-bit source whose values 0..3 mean transparent, c1, c2, c3.
  virtual void DrawCoverage3(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect,
                             const TColor3& colours, TDrawFlags flags, int opacity, int factor);

  // --- tiles and patterns ---
  // Repeats source_rect over dest_rect with gaps, starting at the origin's offset.
  virtual void TileDraw(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                        const TRect& source_rect, TDrawFlags flags, int32_t origin_x, int32_t origin_y);
  virtual void TileDrawBlend(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                             const TRect& source_rect, TDrawFlags flags, int opacity, int32_t origin_x,
                             int32_t origin_y);
  virtual void TileDrawAdd(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                           const TRect& source_rect, TDrawFlags flags, int opacity, int32_t origin_x, int32_t origin_y);
  virtual void TileDrawMask(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                            const TRect& source_rect, TCustomDIBX& mask, int32_t origin_x, int32_t origin_y);
  virtual void TileDrawMaskBlend(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                                 const TRect& source_rect, TCustomDIBX& mask, int opacity, int32_t origin_x,
                                 int32_t origin_y);
  virtual void TileDrawMaskAdd(const TRect& dest_rect, int32_t gap_x, int32_t gap_y, TCustomDIBX& source,
                               const TRect& source_rect, TCustomDIBX& mask, int opacity, int32_t origin_x,
                               int32_t origin_y);
  // Repeats scaled copies every pitch (in source pixels) over dest_rect.
  virtual void TileStretchDraw(const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                               long double scale_y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                               int opacity, int32_t origin_x, int32_t origin_y);
  virtual void TileStretchDrawMask(const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                                   long double scale_y, TCustomDIBX& source, const TRect& source_rect,
                                   TCustomDIBX& mask, TDrawFlags flags, int opacity, int32_t origin_x,
                                   int32_t origin_y);
  // The four bands of FrameRect filled with PatternFill.
  virtual void PatternFrame(const TRect& r, int thickness, TCustomDIBX& texture, int32_t origin_x, int32_t origin_y);
  // 4-bit source drawn through a 16-entry table of native pixels.
  virtual void DrawNibblePalette(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                                 int opacity, const TNibblePalette& table);
  // 8-bit source: indices at or above threshold are added from the table.
  virtual void DrawPaletteAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, int threshold,
                              TDrawFlags flags, int opacity, const TBytePalette& table);
  virtual void StretchDrawPaletteAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                                     int threshold, TDrawFlags flags, int opacity, const TBytePalette& table);
  // Fills r with the texture scaled, wrapping; opacity selects blend, copy or add.
  virtual void ScaledPatternFill(const TRect& r, TCustomDIBX& texture, long double scale_x, long double scale_y,
                                 int32_t origin_x, int32_t origin_y, TDrawFlags flags, int opacity);
  virtual void ScaledPatternFillMask(const TRect& r, TCustomDIBX& texture, long double scale_x, long double scale_y,
                                     int32_t origin_x, int32_t origin_y, TCustomDIBX& mask, TDrawFlags flags,
                                     int opacity);
  // Fills r with the texture repeated from the origin, copied unchanged (UseKey ignored).
  virtual void PatternFill(const TRect& r, TCustomDIBX& texture, int32_t origin_x, int32_t origin_y, TDrawFlags flags);

  // --- files and lifecycle ---
  // Reads a ".bmp" file (any case); other extensions and missing files do nothing.
  virtual void LoadFromFile(const std::string& path);
  // Reads a BMP, PNG or layered image from the start of the stream; a null
  // stream or another start does nothing.
  virtual void LoadFromStream(TStream* stream, int option);
  // Writes a 24-bit ".bmp"; other extensions do nothing.
  virtual void SaveToFile(const std::string& path);
  // Back to the empty state.
  virtual void Release();
  // Rebuilds lost pixels of hardware surfaces; nothing in the base.
  virtual void Restore();
  // The 256-entry colour table (1024 bytes blue, green, red, reserved); nothing in the base.
  virtual void GetPalette(uint8_t* table1024) const;
  virtual void GetPaletteEntries(uint8_t* table, int first, int count) const;
  virtual void SetPalette(const uint8_t* table1024);
  virtual void SetPaletteEntries(const uint8_t* table, int first, int count);
  // Frees memory that only system drawing needed; nothing in the base.
  virtual void Dormant();

  // --- helpers ---
  TRect GetBounds() const { return {0, 0, Width(), Height()}; }
  // The clip (when set) inside the surface's area, else the whole area.
  TRect GetClipRect() const;
  // Sets the clip; it is kept inside the surface's area when used.
  void SetClipRect(const TRect& r);
  TClipState SaveClip() const { return {clip_set_, clip_}; }
  void RestoreClip(const TClipState& state);
  int BytesPerPixel() const { return (BitCount() + 7) / 8; }
  int32_t KeyColor() const { return key_color_; }
  void SetKeyColor(int32_t key) { key_color_ = key; }

  // DrawTransformedMask with 2 x 2 supersampling computed in reals (16, 24
  // and 32 bits only); mask may be null.
  void DrawTransformedSmooth(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                             const TRect& source_rect, int32_t pivot_x, int32_t pivot_y, long double angle,
                             TDrawFlags flags, TCustomDIBX* mask, int opacity);

 protected:
  // The area the clip lives in: the surface's bounds (a proxy covers part of its target).
  virtual TRect ClipArea() const;

  int32_t width_ = 0;
  int32_t height_ = 0;

 private:
  TRect clip_{};
  bool clip_set_ = false;
  int32_t key_color_ = -1;
};

}  // namespace orvo
