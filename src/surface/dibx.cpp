#include "surface/dibx.h"

#include <algorithm>
#include <cstring>

namespace orvo {

int32_t ColorToPixelOfFormat(int32_t colour, int bits) {
  if (colour < 0) return -1;
  uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  switch (bits) {
    case 15:
      return static_cast<int32_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    case 16:
      return static_cast<int32_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    case 24:
    case 32:
      // The pixel holds blue in its low byte and red in the third: the colour's
      // bytes are swapped so that red stays red.
      return static_cast<int32_t>((r << 16) | (g << 8) | b);
    default:
      return colour;
  }
}

TDIBX::TDIBX() : owned_(std::make_unique<TDIBSurface>(1, 1, 15)), store_(owned_.get()) {}

TDIBX::TDIBX(TDIBSurface& borrowed) { BorrowStore(borrowed); }

TDIBX::~TDIBX() = default;

void TDIBX::AdoptStore(std::unique_ptr<TDIBSurface> store) {
  owned_ = std::move(store);
  store_ = owned_.get();
  borrowed_ = false;
  width_ = store_->Width();
  height_ = store_->Height();
}

void TDIBX::BorrowStore(TDIBSurface& store) {
  owned_.reset();
  store_ = &store;
  borrowed_ = true;
  width_ = store_->Width();
  height_ = store_->Height();
}

// A borrowed store may have been resized behind our back: never report more
// pixels than it holds.
int32_t TDIBX::Width() const { return std::min(width_, store_->Width()); }
int32_t TDIBX::Height() const { return std::min(height_, store_->Height()); }

int TDIBX::BitCount() const { return store_->StoreBitCount(); }

void TDIBX::SetBitCount(int bits) { store_->ConvertBitCount(bits); }

uint32_t TDIBX::RedMask() const { return store_->RedMask(); }
uint32_t TDIBX::GreenMask() const { return store_->GreenMask(); }
uint32_t TDIBX::BlueMask() const { return store_->BlueMask(); }
int64_t TDIBX::Pitch() const { return store_->RowStep(); }

uint32_t TDIBX::GetPixel(int32_t x, int32_t y) const {
  if (x >= Width() || y >= Height()) return 0;
  return store_->GetPixel(x, y);
}

void TDIBX::SetPixel(int32_t x, int32_t y, uint32_t pixel) {
  if (x >= Width() || y >= Height()) return;
  store_->SetPixel(x, y, pixel);
}

int TDIBX::BlueShift() const { return 0; }
int TDIBX::GreenShift() const { return store_->BlueBits(); }
int TDIBX::RedShift() const { return store_->BlueBits() + store_->GreenBits(); }
int TDIBX::StoredBitCount() const { return store_->BitCount(); }

void TDIBX::SetSize(int32_t width, int32_t height, int bits) {
  store_->SetSize(width, height, bits);
  width_ = width;
  height_ = height;
}

uint8_t* TDIBX::Lock(int32_t x, int32_t y) {
  if (store_->IsEmpty() || x < 0 || y < 0 || x >= store_->Width() || y >= store_->Height()) return nullptr;
  uint8_t* row = store_->ScanLine(y);
  int bits = store_->BitCount();
  if (bits == 1) return row + x / 8;
  if (bits == 4) return row + x / 2;
  return row + static_cast<size_t>(x) * (bits / 8);
}

void TDIBX::Unlock() {}

int32_t TDIBX::ColorToPixel(int32_t colour) const { return ColorToPixelOfFormat(colour, BitCount()); }

void TDIBX::Clear(uint32_t pixel) {
  if (IsEmpty()) return;
  uint8_t* bits = store_->Bits();
  size_t size = store_->ByteSize();
  switch (store_->StoreBitCount()) {
    case 1:
      std::memset(bits, pixel ? 0xFF : 0, size);
      break;
    case 4:
      std::memset(bits, static_cast<int>((pixel & 0xF) * 0x11), size);
      break;
    case 8:
      std::memset(bits, static_cast<int>(pixel & 0xFF), size);
      break;
    case 15:
    case 16:
      // Whole words over the block; the row padding takes the value too.
      for (size_t i = 0; i + 1 < size; i += 2) {
        uint16_t p = static_cast<uint16_t>(pixel);
        std::memcpy(bits + i, &p, 2);
      }
      break;
    default: {
      // Every pixel, whatever the clip.
      TClipState saved = SaveClip();
      ResetClip();
      FillRect(GetBounds(), pixel);
      RestoreClip(saved);
      break;
    }
  }
}

void TDIBX::Release() {
  store_->SetSize(8, 8, store_->StoreBitCount());
  width_ = 0;
  height_ = 0;
}

void TDIBX::GetPalette(uint8_t* table1024) const { std::memcpy(table1024, store_->Palette().data(), 1024); }
void TDIBX::GetPaletteEntries(uint8_t* table, int first, int count) const {
  store_->GetPaletteEntries(table, first, count);
}
void TDIBX::SetPalette(const uint8_t* table1024) { store_->SetPalette(table1024); }
void TDIBX::SetPaletteEntries(const uint8_t* table, int first, int count) {
  store_->SetPaletteEntries(table, first, count);
}
void TDIBX::Dormant() {}

}  // namespace orvo
