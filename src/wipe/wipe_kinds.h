#pragma once
// The 38 kinds of the catalogue. Internal to the wipes: others make them
// through CreateWipe.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "wipe/wipe.h"

namespace orvo {

// ---- kinds drawn with surface operations

class TWipeFade : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
};

class TWipeScrollH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
};

class TWipeScrollV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
};

class TWipeWhite : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
  virtual void Fill(uint32_t grey);
};

class TWipeBlack : public TWipeWhite {
 public:
  using TWipeWhite::TWipeWhite;

 protected:
  void Fill(uint32_t grey) override;
};

class TWipeFlash : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
};

class TWipeMosaic : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;

 private:
  TDIBX work_;
};

// Sudare and rubber share the column walk; the rubber stretches a strip.
class TWipeSudareH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
  virtual bool Vertical() const { return false; }
  // Width of the stretched strip for the column walk's n.
  virtual int64_t StripWidth(int64_t n) const;
  // First column of the strip that is stretched over columns 0..a.
  virtual int64_t StripStart(int64_t a, int64_t s) const;
};

class TWipeSudareV : public TWipeSudareH {
 public:
  using TWipeSudareH::TWipeSudareH;

 protected:
  bool Vertical() const override { return true; }
};

class TWipeRubberH : public TWipeSudareH {
 public:
  using TWipeSudareH::TWipeSudareH;

 protected:
  int64_t StripWidth(int64_t n) const override;
  int64_t StripStart(int64_t a, int64_t s) const override;
};

class TWipeRubberV : public TWipeRubberH {
 public:
  using TWipeRubberH::TWipeRubberH;

 protected:
  bool Vertical() const override { return true; }
};

class TWipeTwistH : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
};

class TWipeTwistV : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
};

class TWipeZoomin : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;

 protected:
  bool DrawStep() override;
};

class TWipeSmall : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  void Prepare() override;

 protected:
  bool DrawStep() override;
  // Shrink moves from over to; grow moves to over from.
  virtual bool Grows() const { return false; }

 private:
  TDIBX difference_;
  bool has_difference_ = false;
};

class TWipeBig : public TWipeSmall {
 public:
  using TWipeSmall::TWipeSmall;

 protected:
  bool Grows() const override { return true; }
};

// ---- per-pixel kinds

class TWipeSpot : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  void SetReverse(bool reverse) override;

 protected:
  bool DrawStep() override;

 private:
  void BuildDistances();
  std::vector<int32_t> distance_;
  int32_t radius_ = 0;
  int32_t built_width_ = -1, built_height_ = -1;
};

class TWipeShadow : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  void Prepare() override;

 protected:
  bool UpdateMask() override;

 private:
  std::vector<uint8_t> rule_;
  bool rule_built_ = false;
};

class TWipeShadowWhite : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  void Prepare() override;

 protected:
  bool DrawStep() override;
  virtual bool Subtracts() const { return false; }

 private:
  std::vector<uint8_t> rule_;
  bool rule_built_ = false;
};

class TWipeShadowBlack : public TWipeShadowWhite {
 public:
  using TWipeShadowWhite::TWipeShadowWhite;

 protected:
  bool Subtracts() const override { return true; }
};

class TWipeRipple : public TCustomWipe {
 public:
  TWipeRipple(TCustomDIBX& destination, TCustomDIBX& from, TCustomDIBX& to);
  void SetParam(int index, int32_t value) override;

 protected:
  bool DrawStep() override;

 private:
  void BuildWave();
  int32_t cells_x_ = 0, cells_y_ = 0;
  std::vector<int32_t> distance_;
  std::vector<int32_t> cos_, sin_;
  std::vector<int32_t> wave_;
  int32_t wave_length_ = 0;
};

class TWipeBlurWhite : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  void Prepare() override;

 protected:
  bool DrawStep() override;
  virtual bool Subtracts() const { return false; }

 private:
  TDIBX blurred_from_, blurred_to_;
  bool built_ = false;
};

class TWipeBlurBlack : public TWipeBlurWhite {
 public:
  using TWipeBlurWhite::TWipeBlurWhite;

 protected:
  bool Subtracts() const override { return true; }
};

// One chip of the chip wipe.
struct TWipeCrackDraw {
  int32_t column = 0, row = 0;
  int64_t start = 0;
  int32_t speed = 0;  // hundredths of a pixel per unit
  uint8_t kind = 0;   // 0 empty, 1 solid, 2 partial
};

class TWipeCrack : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  void Prepare() override;

 protected:
  bool DrawStep() override;

 private:
  int32_t ChipSize() const;
  int64_t Delay() const;
  std::vector<TWipeCrackDraw> chips_;
  TDIBX mask_;
  int64_t total_ = 0;
  bool prepared_ = false;
};

// ---- mask kinds

class TWipeBlindH : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;

 protected:
  bool UpdateMask() override;
  int32_t MaskHeight() const override { return 1; }
};

class TWipeBlindV : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;

 protected:
  bool UpdateMask() override;
  int32_t MaskHeight() const override { return std::max(params_[0], 2); }
};

class TWipeCurtainH : public TWipeOrderHMask {
 public:
  using TWipeOrderHMask::TWipeOrderHMask;

 protected:
  bool UpdateMask() override;
};

class TWipeCurtainV : public TWipeOrderVMask {
 public:
  using TWipeOrderVMask::TWipeOrderVMask;

 protected:
  bool UpdateMask() override;
};

class TWipeGrid : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;

 protected:
  bool UpdateMask() override;
  enum class TOrder { Diagonal, Columns, Rows };
  virtual TOrder Order() const { return TOrder::Diagonal; }
};

class TWipeGridH : public TWipeGrid {
 public:
  using TWipeGrid::TWipeGrid;

 protected:
  TOrder Order() const override { return TOrder::Columns; }
  int32_t MaskHeight() const override { return std::min(std::max(params_[0], 2), Height()); }
};

class TWipeGridV : public TWipeGrid {
 public:
  using TWipeGrid::TWipeGrid;

 protected:
  TOrder Order() const override { return TOrder::Rows; }
};

class TWipeDither : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  void Prepare() override;

 protected:
  bool UpdateMask() override;
  int32_t MaskHeight() const override { return 64; }

 private:
  std::vector<uint16_t> order_;
};

// Clock hand, fan and double fan: sectors painted about the centre.
class TWipeClockhand : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  // The parameter is an angle and is stored unchanged.
  void SetParam(int index, int32_t value) override;

 protected:
  bool UpdateMask() override;
  // Paints this kind's sectors for the elapsed fraction f.
  virtual void PaintSectors(long double start, long double f);
  void PaintSector(long double start, long double sweep);

 private:
  long double start_angle_ = 0;
  long double last_angle_ = -1;
};

class TWipeFan : public TWipeClockhand {
 public:
  using TWipeClockhand::TWipeClockhand;

 protected:
  void PaintSectors(long double start, long double f) override;
};

class TWipeWFan : public TWipeClockhand {
 public:
  using TWipeClockhand::TWipeClockhand;

 protected:
  void PaintSectors(long double start, long double f) override;
};

class TWipeCircle : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;

 protected:
  bool UpdateMask() override;
};

class TWipeBlockCoil : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  // Block sizes are stored unchanged.
  void SetParam(int index, int32_t value) override;
  void Prepare() override;

 protected:
  bool UpdateMask() override;
  virtual void ListBlocks(int32_t side);
  // Only the coil runs backwards along its list.
  virtual bool FillsFromEnd() const { return Reverse(); }
  std::vector<TRect> blocks_;
  bool listed_ = false;

 private:
  int64_t drawn_ = -1;
};

class TWipeBlockRandom : public TWipeBlockCoil {
 public:
  using TWipeBlockCoil::TWipeBlockCoil;

 protected:
  void ListBlocks(int32_t side) override;
  bool FillsFromEnd() const override { return false; }
};

}  // namespace orvo
