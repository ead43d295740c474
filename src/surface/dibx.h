#pragma once
// The memory surface: a TCustomDIBX whose pixels live in a TDIBSurface.
#include <memory>

#include "surface/custom_dibx.h"
#include "surface/dib_surface.h"

namespace orvo {

class TDIBX : public TCustomDIBX {
 public:
  // A new surface: empty (0 x 0) over a 1 x 1 store of 15 bits.
  TDIBX();
  // A surface over a store that someone else owns and keeps alive.
  explicit TDIBX(TDIBSurface& borrowed);
  ~TDIBX() override;

  TDIBSurface& Store() { return *store_; }
  const TDIBSurface& Store() const { return *store_; }
  bool StoreBorrowed() const { return borrowed_; }
  // Takes over a store (owned) and adopts its size and format.
  void AdoptStore(std::unique_ptr<TDIBSurface> store);
  // Attaches a store owned elsewhere and adopts its size and format.
  void BorrowStore(TDIBSurface& store);

  int32_t Width() const override;
  int32_t Height() const override;
  int BitCount() const override;
  void SetBitCount(int bits) override;
  uint32_t RedMask() const override;
  uint32_t GreenMask() const override;
  uint32_t BlueMask() const override;
  int64_t Pitch() const override;
  uint32_t GetPixel(int32_t x, int32_t y) const override;
  void SetPixel(int32_t x, int32_t y, uint32_t pixel) override;
  int BlueShift() const override;
  int GreenShift() const override;
  int RedShift() const override;
  int StoredBitCount() const override;
  void SetSize(int32_t width, int32_t height, int bits) override;
  uint8_t* Lock(int32_t x, int32_t y) override;
  void Unlock() override;
  int32_t ColorToPixel(int32_t colour) const override;
  void Clear(uint32_t pixel) override;
  void Release() override;
  void GetPalette(uint8_t* table1024) const override;
  void GetPaletteEntries(uint8_t* table, int first, int count) const override;
  void SetPalette(const uint8_t* table1024) override;
  void SetPaletteEntries(const uint8_t* table, int first, int count) override;
  void Dormant() override;

 private:
  std::unique_ptr<TDIBSurface> owned_;
  TDIBSurface* store_ = nullptr;
  bool borrowed_ = false;
};

// Converts a 0x00BBGGRR colour to the native pixel of a format (15, 16, 24,
// 32 bits: channels with their low bits dropped; 8 bits: the value itself).
// Negative colours give -1.
int32_t ColorToPixelOfFormat(int32_t colour, int bits);

}  // namespace orvo
