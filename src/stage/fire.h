#pragma once
// The fire (kind 6): a small 8-bit heat picture advanced every 40 ms by a
// cellular flame rule and drawn additively through the fixed fire palette,
// stretched to its zoomed size.
#include <array>
#include <cstdint>
#include <vector>

#include "stage/orvo_control.h"
#include "surface/dibx.h"

namespace orvo {

// Heat picture sides beyond this are clamped (saves and scripts alike).
constexpr int32_t kMaxFireSide = 4096;
// Milliseconds between two steps of the flame.
constexpr int32_t kFireStepMs = 40;

using TFireHeatTable = std::array<uint8_t, 1024>;

// The heat table of a factor: entry s is the value a cell takes from the sum s of its four neighbours.
TFireHeatTable BuildFireHeatTable(long double factor);
// The factor of a power 0..255.
long double FireFactorOfPower(int32_t power);
// The fire palette as native pixels of a surface of bits 15, 16 or 32; null for other depths.
const TBytePalette* FirePalette(int bits);
// The palette's colour i as 0xRRGGBB.
uint32_t FirePaletteColour(int index);

class TOrvoFire : public TOrvoControl {
 public:
  explicit TOrvoFire(TOrvoBaseList& stage);
  ~TOrvoFire() override;

  uint8_t CompoType() const override { return kcFire; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // Builds the tables when due, else one flame step per 40 ms (never more than one per frame).
  bool Update() override;
  // The heat picture through the palette (stretched when zoomed), then the children.
  void Paint(TCustomDIBX& surface) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  int32_t Power() const { return power_; }
  int32_t OrigWidth() const { return orig_width_; }
  int32_t OrigHeight() const { return orig_height_; }
  long double FactorX() const { return zoom_x_; }
  long double FactorY() const { return zoom_y_; }
  int32_t State() const { return state_; }
  int32_t TimeAcc() const { return time_acc_; }
  const TFireHeatTable& HeatTable() const { return heat_table_; }
  TDIBX& HeatPicture() { return heat_; }
  // One flame step now (the update runs it every 40 ms).
  void Step();

 private:
  void SetPower(int32_t power);
  void SetOrigSize(int32_t& field, int32_t value, bool vertical);
  void SetFactor(long double& field, long double value, bool vertical);
  // Width or Height from the heat picture's size and the zoom.
  void ApplySize(bool vertical);
  void BuildTables();

  int32_t power_ = 1;
  int32_t orig_width_ = 0;
  int32_t orig_height_ = 0;
  long double zoom_x_ = 0;
  long double zoom_y_ = 0;
  TDIBX heat_;
  std::vector<uint8_t> noise_;
  std::vector<uint8_t> row_cycle_;
  std::vector<uint8_t> column_cycle_;
  std::array<uint8_t, 256> floor_table_{};
  TFireHeatTable heat_table_{};
  int32_t column_phase_ = 0;
  int32_t row_phase_ = 0;
  bool paused_ = false;
  int32_t state_ = 0;
  int32_t time_acc_ = 0;
};

}  // namespace orvo
