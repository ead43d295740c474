#include "stage/fire.h"

#include <algorithm>

#include "base/numeric.h"
#include "base/random.h"
#include "stage/stage.h"

namespace orvo {

namespace {

// Black through dark red, orange and yellow to pale yellow, as 0xRRGGBB.
constexpr std::array<uint32_t, 256> kFireColours = {
    0x000000, 0x030100, 0x060200, 0x090300, 0x0C0400, 0x0F0600, 0x130700, 0x160800, 0x190900, 0x1C0A00, 0x1F0C00,
    0x230D01, 0x260E01, 0x290F01, 0x2C1101, 0x2F1201, 0x331301, 0x361401, 0x391501, 0x3C1701, 0x3F1801, 0x421901,
    0x461A02, 0x491C02, 0x4C1D02, 0x4F1E02, 0x521F02, 0x562002, 0x592202, 0x5C2302, 0x5F2402, 0x622502, 0x662703,
    0x672703, 0x682803, 0x6A2903, 0x6B2903, 0x6C2A03, 0x6E2B03, 0x6F2C03, 0x712C03, 0x722D03, 0x732E03, 0x752E03,
    0x762F03, 0x783003, 0x793103, 0x7A3103, 0x7C3203, 0x7D3303, 0x7E3403, 0x803403, 0x813504, 0x833604, 0x843604,
    0x853704, 0x873804, 0x883904, 0x8A3904, 0x8B3A04, 0x8C3B04, 0x8E3C04, 0x8F3C04, 0x913D04, 0x923E04, 0x933E04,
    0x953F04, 0x964004, 0x974104, 0x994104, 0x9A4204, 0x9C4304, 0x9D4405, 0x9E4405, 0xA04505, 0xA14605, 0xA34605,
    0xA44705, 0xA54805, 0xA74905, 0xA84905, 0xA94A05, 0xAB4B05, 0xAC4B05, 0xAE4C05, 0xAF4D05, 0xB04E05, 0xB24E05,
    0xB34F05, 0xB55005, 0xB65105, 0xB75105, 0xB95206, 0xBA5306, 0xBC5306, 0xBD5406, 0xBE5506, 0xC05606, 0xC15606,
    0xC25706, 0xC45806, 0xC55906, 0xC75906, 0xC85A06, 0xC95B06, 0xCB5B06, 0xCC5C06, 0xCE5D06, 0xCF5E06, 0xD05E06,
    0xD25F06, 0xD36006, 0xD56107, 0xD66207, 0xD66307, 0xD76507, 0xD76607, 0xD86707, 0xD96808, 0xD96A08, 0xDA6B08,
    0xDA6C08, 0xDB6D08, 0xDC6E08, 0xDC7008, 0xDD7108, 0xDD7208, 0xDE7308, 0xDF7509, 0xDF7609, 0xE07709, 0xE07809,
    0xE17A09, 0xE27B09, 0xE27C09, 0xE37D09, 0xE47F0A, 0xE4800A, 0xE5810A, 0xE5820A, 0xE6840A, 0xE7850A, 0xE7860A,
    0xE8870A, 0xE9890B, 0xE98A0B, 0xEA8B0B, 0xEA8C0B, 0xEB8E0B, 0xEC8F0B, 0xEC900B, 0xED910B, 0xEE930C, 0xEE940C,
    0xEF950C, 0xEF960C, 0xF0980C, 0xF1990C, 0xF19A0C, 0xF29B0C, 0xF39D0D, 0xF39E0E, 0xF39F0F, 0xF4A010, 0xF4A112,
    0xF4A213, 0xF5A314, 0xF5A416, 0xF6A517, 0xF6A618, 0xF6A71A, 0xF7A91B, 0xF7AA1C, 0xF7AB1E, 0xF8AC1F, 0xF8AD20,
    0xF9AE22, 0xF9AF23, 0xF9B024, 0xFAB125, 0xFAB227, 0xFAB328, 0xFBB529, 0xFBB62B, 0xFCB72C, 0xFCB82D, 0xFCB92F,
    0xFDBA30, 0xFDBB31, 0xFDBC33, 0xFEBD34, 0xFEBE35, 0xFFC037, 0xFFC038, 0xFFC13A, 0xFFC13C, 0xFFC23E, 0xFFC340,
    0xFFC342, 0xFFC444, 0xFFC446, 0xFFC548, 0xFFC64A, 0xFFC64B, 0xFFC74D, 0xFFC74F, 0xFFC851, 0xFFC953, 0xFFC955,
    0xFFCA57, 0xFFCA59, 0xFFCB5B, 0xFFCC5D, 0xFFCC5F, 0xFFCD60, 0xFFCD62, 0xFFCE64, 0xFFCF66, 0xFFCF68, 0xFFD06A,
    0xFFD06C, 0xFFD16E, 0xFFD270, 0xFFD272, 0xFFD373, 0xFFD375, 0xFFD477, 0xFFD579, 0xFFD57B, 0xFFD67D, 0xFFD67F,
    0xFFD781, 0xFFD883, 0xFFD885, 0xFFD987, 0xFFD988, 0xFFDA8A, 0xFFDB8C, 0xFFDB8E, 0xFFDC90, 0xFFDC92, 0xFFDD94,
    0xFFDE96, 0xFFDE98, 0xFFDF9A, 0xFFDF9B, 0xFFE09D, 0xFFE19F, 0xFFE1A1, 0xFFE2A3, 0xFFE2A5, 0xFFE3A7, 0xFFE4A9,
    0xFFE4AB, 0xFFE5AD, 0xFFE6AF,
};

// The three native forms, built once: 0x00RRGGBB, 5:6:5 and 5:5:5.
struct TFirePalettes {
  TBytePalette bits32{};
  TBytePalette bits16{};
  TBytePalette bits15{};
  TFirePalettes() {
    for (size_t i = 0; i < 256; ++i) {
      const uint32_t c = kFireColours[i];
      const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
      bits32[i] = c;
      const uint32_t c16 = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
      bits16[i] = c16;
      bits15[i] = (c16 & 0x1F) | ((c16 & 0x07C0) >> 1) | ((c16 & 0xF800) >> 1);
    }
  }
};

const TFirePalettes& Palettes() {
  static const TFirePalettes palettes;
  return palettes;
}

constexpr long double kInitialFactor = 4.5L;
constexpr uint8_t kFillHeat = 16;
constexpr uint8_t kBottomHeat = 254;
constexpr int kPaletteThreshold = 17;

int32_t ClampSide(int32_t value) { return std::clamp(value, 1, kMaxFireSide); }

// max(round(side x factor), 1), saturating.
int32_t ZoomedSide(int32_t side, long double factor) {
  return std::max(RealToIntSaturate<int32_t>(RoundHalfEven(static_cast<long double>(side) * factor)), 1);
}

}  // namespace

TFireHeatTable BuildFireHeatTable(long double factor) {
  TFireHeatTable table{};
  for (int s = 0; s < 1024; ++s) {
    const double t = (1023.0 - s) / 1023.0;
    const double c = t * t * t;
    const int64_t v = RealToIntSaturate<int64_t>(RoundHalfEven(s / (factor - 0.05L * c)));
    table[static_cast<size_t>(s)] = static_cast<uint8_t>(std::min<int64_t>(v, 254) & 0xFF);
  }
  return table;
}

long double FireFactorOfPower(int32_t power) { return static_cast<long double>(128 - power) / 128 * 1.2825L + 4.2175L; }

const TBytePalette* FirePalette(int bits) {
  switch (bits) {
    case 32:
      return &Palettes().bits32;
    case 16:
      return &Palettes().bits16;
    case 15:
      return &Palettes().bits15;
    default:
      return nullptr;
  }
}

uint32_t FirePaletteColour(int index) { return kFireColours[static_cast<size_t>(index & 0xFF)]; }

TOrvoFire::TOrvoFire(TOrvoBaseList& stage) : TOrvoControl(stage) {
  heat_.SetSize(8, 8, 8);
  heat_.SetKeyColor(kFillHeat);
  heat_table_ = BuildFireHeatTable(kInitialFactor);
  SetBoundsRect(0, 0, 1, 1);
}

TOrvoFire::~TOrvoFire() = default;

void TOrvoFire::SetPower(int32_t power) {
  if (power == power_) return;
  power_ = std::clamp(power, 0, 255);
  heat_table_ = BuildFireHeatTable(FireFactorOfPower(power_));
}

void TOrvoFire::ApplySize(bool vertical) {
  const int32_t size = vertical ? ZoomedSide(orig_height_, zoom_y_) : ZoomedSide(orig_width_, zoom_x_);
  // The control's own setter repaints the old and the new area.
  TOrvoControl::SetProperty(vertical ? PR_HEIGHT : PR_WIDTH, TPropValue::Int(size));
}

void TOrvoFire::SetOrigSize(int32_t& field, int32_t value, bool vertical) {
  // Saves and scripts may hand any number: the heat picture stays within a sane size.
  value = ClampSide(value);
  if (value == field) return;
  field = value;
  ApplySize(vertical);
  state_ = 0;
}

void TOrvoFire::SetFactor(long double& field, long double value, bool vertical) {
  if (value == field) return;
  field = value;
  ApplySize(vertical);
}

TPropValue TOrvoFire::GetProperty(int32_t id) const {
  switch (id) {
    case PR_POWER:
      return TPropValue::Int(power_);
    case PR_ORIGWIDTH:
      return TPropValue::Int(orig_width_);
    case PR_ORIGHEIGHT:
      return TPropValue::Int(orig_height_);
    case PR_FLOATZOOMX:
      return TPropValue::Float(zoom_x_);
    case PR_FLOATZOOMY:
      return TPropValue::Float(zoom_y_);
    case PR_ZOOMX:
      return TPropValue::Int(FactorToZoom(zoom_x_));
    case PR_ZOOMY:
      return TPropValue::Int(FactorToZoom(zoom_y_));
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_PLAYING:
      return TPropValue::Bool(!paused_ && !AniPaused());
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoFire::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_POWER:
      SetPower(value.AsInt());
      break;
    case PR_ORIGWIDTH:
      SetOrigSize(orig_width_, value.AsInt(), false);
      break;
    case PR_ORIGHEIGHT:
      SetOrigSize(orig_height_, value.AsInt(), true);
      break;
    case PR_FLOATZOOMX:
      SetFactor(zoom_x_, value.AsFloat(), false);
      break;
    case PR_FLOATZOOMY:
      SetFactor(zoom_y_, value.AsFloat(), true);
      break;
    case PR_ZOOMX:
      SetFactor(zoom_x_, ZoomToFactor(value.AsInt()), false);
      break;
    case PR_ZOOMY:
      SetFactor(zoom_y_, ZoomToFactor(value.AsInt()), true);
      break;
    case PR_WIDTH:
    case PR_HEIGHT:
      // The size follows the heat picture and the zoom.
      break;
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

void TOrvoFire::BuildTables() {
  if (heat_.Width() != orig_width_ || heat_.Height() != orig_height_ || heat_.BitCount() != 8) {
    heat_.SetSize(orig_width_, orig_height_, 8);
  }
  const int32_t w = heat_.Width(), h = heat_.Height();
  row_phase_ = 0;
  column_phase_ = 0;
  TProcessRandom& random = ProcessRandom();
  noise_.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (uint8_t& n : noise_) n = static_cast<uint8_t>(random.NextInt(9));
  row_cycle_.resize(static_cast<size_t>(2 * h));
  for (int32_t i = 0; i < 2 * h; ++i) row_cycle_[static_cast<size_t>(i)] = static_cast<uint8_t>(i % h);
  column_cycle_.resize(static_cast<size_t>(2 * w));
  for (int32_t i = 0; i < 2 * w; ++i) column_cycle_[static_cast<size_t>(i)] = static_cast<uint8_t>(i % w);
  for (int i = 0; i < 256; ++i) floor_table_[static_cast<size_t>(i)] = static_cast<uint8_t>(i < 16 ? 16 : i);
  if (!heat_.IsEmpty()) heat_.Clear(kFillHeat);
  state_ = 1;
}

void TOrvoFire::Step() {
  const int32_t w = heat_.Width(), h = heat_.Height();
  if (w <= 0 || h <= 0 || heat_.BitCount() != 8 || row_cycle_.size() != static_cast<size_t>(2 * h) ||
      column_cycle_.size() != static_cast<size_t>(2 * w)) {
    return;
  }
  row_phase_ = row_cycle_[static_cast<size_t>(row_phase_ + 1)];
  if (row_phase_ % 8 == 0) column_phase_ = column_cycle_[static_cast<size_t>(column_phase_ + 1)];
  uint8_t* origin = heat_.Lock(0, 0);
  if (!origin) return;
  const int64_t pitch = heat_.Pitch();
  auto row = [&](int32_t y) { return origin + pitch * y; };
  // A picture under four rows high fills only the rows it has.
  for (int32_t y = std::max(0, h - 4); y < h; ++y) std::fill_n(row(y), w, kBottomHeat);
  const size_t noise_size = noise_.size();
  // In place, top to bottom: a cell reads its own old value and the two rows
  // below, which this step has not rewritten yet.
  for (int32_t y = 0; y + 2 < h; ++y) {
    uint8_t* here = row(y);
    const uint8_t* below = row(y + 1);
    const uint8_t* below2 = row(y + 2);
    const size_t noise_row =
        static_cast<size_t>(row_cycle_[static_cast<size_t>(row_phase_ + y + 1)]) * static_cast<size_t>(w);
    for (int32_t x = 1; x + 1 < w; ++x) {
      const int s = below[x - 1] + below[x + 1] + here[x] + below2[x];
      const size_t noise_index = column_cycle_[static_cast<size_t>(column_phase_ + x)] + noise_row;
      const int n = noise_index < noise_size ? noise_[noise_index] : 0;
      const int heat = heat_table_[static_cast<size_t>(std::min(s, 1023))] - n;
      here[x] = floor_table_[static_cast<size_t>(std::clamp(heat, 0, 255))];
    }
  }
  heat_.Unlock();
}

bool TOrvoFire::Update() {
  const bool finished = TOrvoControl::Update();
  if (state_ == 0) {
    BuildTables();
    return finished;
  }
  if (AniPaused()) return finished;
  time_acc_ = WrapAdd(time_acc_, std::max(Stage().FrameDelta(), 0));
  if (time_acc_ >= kFireStepMs) {
    // A long frame gives one step, never several.
    time_acc_ %= kFireStepMs;
    Step();
    Invalidate();
  }
  return finished;
}

void TOrvoFire::Paint(TCustomDIBX& surface) {
  const TBytePalette* palette = FirePalette(surface.BitCount());
  if (palette && state_ == 1 && !heat_.IsEmpty()) {
    const int32_t x = AbsLeft(), y = AbsTop();
    if (zoom_x_ == 1 && zoom_y_ == 1) {
      surface.DrawPaletteAdd(x, y, heat_, heat_.GetBounds(), kPaletteThreshold, TDrawFlags::None, 255, *palette);
    } else {
      const TRect dest{x, y, ClampToInt32(int64_t{x} + Width()), ClampToInt32(int64_t{y} + Height())};
      surface.StretchDrawPaletteAdd(dest, heat_, heat_.GetBounds(), kPaletteThreshold, TDrawFlags::None, 255, *palette);
    }
  }
  PaintChildren(surface);
}

void TOrvoFire::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteInt32(power_);
  writer.WriteInt32(orig_width_);
  writer.WriteInt32(orig_height_);
  writer.WriteExt80(zoom_x_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteBool(paused_);
  writer.WriteExt80(zoom_y_);
}

namespace {

// Saves of 143, 144 and 200 on keep the zoom as an extended factor, the others as a zoom integer.
bool ZoomIsExtended(int32_t version) { return version == 143 || version == 144 || version >= 200; }

}  // namespace

void TOrvoFire::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  SetPower(reader.ReadInt32());
  orig_width_ = ClampSide(reader.ReadInt32());
  orig_height_ = ClampSide(reader.ReadInt32());
  auto read_zoom = [&](bool vertical) {
    if (ZoomIsExtended(version)) {
      SetFactor(vertical ? zoom_y_ : zoom_x_, reader.ReadExt80(), vertical);
    } else {
      SetFactor(vertical ? zoom_y_ : zoom_x_, ZoomToFactor(reader.ReadInt32()), vertical);
    }
  };
  read_zoom(false);
  if (version >= 104) {
    SetHandler(THandler::Idle, reader.ReadString());
    paused_ = reader.ReadBool();
    read_zoom(true);
  }
  state_ = 0;
  time_acc_ = 0;
}

}  // namespace orvo
