// The kinds that compute every pixel themselves: spotlight, rule pictures,
// ripple, blurs and falling chips.
#include <cmath>
#include <cstring>

#include "base/random.h"
#include "surface/view.h"
#include "wipe/wipe_kinds.h"
#include "wipe/wipe_math.h"

namespace orvo {

using wipe::Round;

namespace {

// Native grey pixels 0..255 of a format.
template <class F>
std::array<uint32_t, 256> GreyTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t v = 0; v < 256; ++v) {
    const uint32_t colour = v | (v << 8) | (v << 16);
    table[v] = static_cast<uint32_t>(ColorToPixelOfFormat(static_cast<int32_t>(colour), F::kBits));
  }
  return table;
}

size_t Index(int64_t x, int64_t y, int64_t width) { return static_cast<size_t>(y * width + x); }

}  // namespace

// ---- spotlight

void TWipeSpot::SetReverse(bool reverse) {
  TCustomWipe::SetReverse(reverse);
  BuildDistances();
}

void TWipeSpot::BuildDistances() {
  const int64_t w = std::max(Width(), 0);
  const int64_t h = std::max(Height(), 0);
  const int64_t cx = w / 2;
  const int64_t cy = h / 2;
  radius_ = static_cast<int32_t>(Round(std::hypot(static_cast<long double>(cy), static_cast<long double>(cx))));
  distance_.assign(static_cast<size_t>(w * h), 0);
  for (int64_t y = 0; y < h; ++y) {
    for (int64_t x = 0; x < w; ++x) {
      const int32_t d = static_cast<int32_t>(Round(
          std::hypot(static_cast<long double>(std::llabs(x - cx)), static_cast<long double>(std::llabs(y - cy)))));
      distance_[Index(x, y, w)] = Reverse() ? radius_ - d : d;
    }
  }
  built_width_ = static_cast<int32_t>(w);
  built_height_ = static_cast<int32_t>(h);
}

bool TWipeSpot::DrawStep() {
  if (built_width_ != Width() || built_height_ != Height()) BuildDistances();
  if (!SameShapes()) return false;
  const int64_t b = Progress(int64_t{radius_} + 512);
  pixel::TView out(Destination());
  pixel::TView from(From());
  pixel::TView to(To());
  if (!out.Valid() || !from.Valid() || !to.Valid()) return false;
  pixel::DispatchFormat(out.Bits(), [&](auto format) {
    using F = decltype(format);
    const std::array<uint32_t, 256> grey = GreyTable<F>();
    const int64_t w = out.Width();
    for (int32_t y = 0; y < out.Height(); ++y) {
      uint8_t* d = out.Row(y);
      const uint8_t* f = from.Row(y);
      const uint8_t* t = to.Row(y);
      const int32_t* distance = &distance_[Index(0, y, w)];
      for (int64_t x = 0; x < w; ++x) {
        const int64_t n = distance[x];
        const size_t at = static_cast<size_t>(x) * F::kBytes;
        uint32_t value = F::Load(b < n + 256 ? f + at : t + at);
        const int64_t g = b - n;
        if (g >= 0 && g < 512) value = pixel::SaturatedAdd<F>(grey[g < 256 ? g : 511 - g], value);
        F::Store(d + at, value);
      }
    }
  });
  return true;
}

// ---- rule pictures

void TWipeShadow::Prepare() {
  TWipeMask::Prepare();
  rule_ = BuildRule();
  rule_built_ = true;
}

bool TWipeShadow::UpdateMask() {
  if (!rule_built_ || rule_.size() != static_cast<size_t>(Width()) * static_cast<size_t>(Height())) Prepare();
  const int64_t p = Progress(512);
  if (!NewProgress(p)) return false;
  // The ramp m = clamp(p + g - 256, 0, 255) for every grey level of the rule.
  std::array<uint8_t, 256> ramp;
  for (int64_t g = 0; g < 256; ++g)
    ramp[static_cast<size_t>(g)] = static_cast<uint8_t>(std::clamp<int64_t>(p + g - 256, 0, 255));
  pixel::TView mask(mask_);
  const int64_t w = mask.Width();
  for (int32_t y = 0; y < mask.Height(); ++y) {
    uint8_t* row = mask.Row(y);
    const uint8_t* rule = &rule_[Index(0, y, w)];
    for (int64_t x = 0; x < w; ++x) row[x] = ramp[rule[x]];
  }
  return true;
}

void TWipeShadowWhite::Prepare() {
  rule_ = BuildRule();
  rule_built_ = true;
}

bool TWipeShadowWhite::DrawStep() {
  if (!rule_built_ || rule_.size() != static_cast<size_t>(Width()) * static_cast<size_t>(Height())) Prepare();
  if (!SameShapes()) return false;
  const int64_t p = Progress(768);
  pixel::TView out(Destination());
  pixel::TView from(From());
  pixel::TView to(To());
  if (!out.Valid() || !from.Valid() || !to.Valid()) return false;
  const bool subtracts = Subtracts();
  pixel::DispatchFormat(out.Bits(), [&](auto format) {
    using F = decltype(format);
    const std::array<uint32_t, 256> grey = GreyTable<F>();
    const int64_t w = out.Width();
    for (int32_t y = 0; y < out.Height(); ++y) {
      uint8_t* d = out.Row(y);
      const uint8_t* f = from.Row(y);
      const uint8_t* t = to.Row(y);
      const uint8_t* rule = &rule_[Index(0, y, w)];
      for (int64_t x = 0; x < w; ++x) {
        const int64_t v = std::clamp<int64_t>(p + rule[x] - 256, 0, 511);
        const size_t at = static_cast<size_t>(x) * F::kBytes;
        const uint32_t base = F::Load(v <= 255 ? f + at : t + at);
        const uint32_t light = grey[v <= 255 ? v : 511 - v];
        F::Store(d + at, subtracts ? pixel::SaturatedSub<F>(light, base) : pixel::SaturatedAdd<F>(light, base));
      }
    }
  });
  return true;
}

// ---- ripple

TWipeRipple::TWipeRipple(TCustomDIBX& destination, TCustomDIBX& from, TCustomDIBX& to)
    : TCustomWipe(destination, from, to) {}

void TWipeRipple::SetParam(int index, int32_t value) {
  const bool changed = index == 0 && value != params_[0];
  TCustomWipe::SetParam(index, value);
  if (changed) wave_.clear();
}

void TWipeRipple::BuildWave() {
  const int64_t w = Width();
  const int64_t h = Height();
  // Odd sizes get their middle column and row as cells of their own.
  cells_x_ = static_cast<int32_t>((w + 1) / 2);
  cells_y_ = static_cast<int32_t>((h + 1) / 2);
  const int64_t cx = w / 2;
  const int64_t cy = h / 2;
  const size_t cells = static_cast<size_t>(cells_x_) * static_cast<size_t>(cells_y_);
  distance_.resize(cells);
  cos_.resize(cells);
  sin_.resize(cells);
  for (int64_t y = 0; y < cells_y_; ++y) {
    for (int64_t x = 0; x < cells_x_; ++x) {
      const long double dx = static_cast<long double>(x - cx);
      const long double dy = static_cast<long double>(y - cy);
      const size_t i = Index(x, y, cells_x_);
      distance_[i] = static_cast<int32_t>(Round(std::hypot(std::fabs(dy), std::fabs(dx))));
      const long double angle = std::atan2(dy, dx);
      cos_[i] = static_cast<int32_t>(Round(std::cos(angle) * 65536));
      sin_[i] = static_cast<int32_t>(Round(std::sin(angle) * 65536));
    }
  }
  wave_length_ = static_cast<int32_t>(std::min(w / 2, h / 2) * 2 / 3);
  // A quarter of the wave is at least one entry: small screens divided by zero.
  const int64_t tooth = std::max<int64_t>(1, wave_length_ / 4);
  wave_.assign(static_cast<size_t>(std::max(wave_length_, 1)), 0);
  for (int64_t i = 0; i < wave_length_; ++i) {
    wave_[static_cast<size_t>(i)] = wipe::ToInt32((i % tooth) * int64_t{params_[0]} / tooth);
  }
}

bool TWipeRipple::DrawStep() {
  if (wave_.empty() || cells_x_ != (Width() + 1) / 2 || cells_y_ != (Height() + 1) / 2) BuildWave();
  if (!SameShapes()) return false;
  const int64_t w = Width();
  const int64_t h = Height();
  const int64_t cx = w / 2;
  const int64_t cy = h / 2;
  const int64_t length = wave_length_;
  const int64_t r = Progress(Round(std::hypot(static_cast<long double>(cy), static_cast<long double>(cx))) + length);
  pixel::TView out(Destination());
  pixel::TView from(From());
  pixel::TView to(To());
  if (!out.Valid() || !from.Valid() || !to.Valid()) return false;
  pixel::DispatchFormat(out.Bits(), [&](auto format) {
    using F = decltype(format);
    const auto copy = [&](const pixel::TView& source, int64_t sx, int64_t sy, int64_t x, int64_t y) {
      F::Store(out.Row(y) + x * F::kBytes, F::Load(source.Row(sy) + sx * F::kBytes));
    };
    for (int64_t y = 0; y < cells_y_; ++y) {
      for (int64_t x = 0; x < cells_x_; ++x) {
        const size_t i = Index(x, y, cells_x_);
        const int64_t n = distance_[i];
        const int64_t j = n + (length - 1) - r;
        const int64_t xs[2] = {x, w - 1 - x};
        const int64_t ys[2] = {y, h - 1 - y};
        if (j > length - 1 || j < 0) {
          const pixel::TView& source = j < 0 ? to : from;
          for (int64_t py : ys) {
            for (int64_t px : xs) copy(source, px, py, px, py);
          }
          continue;
        }
        const int64_t reach = n + wave_[static_cast<size_t>(j)];
        const int64_t sx = cx + reach * cos_[i] / 65536;
        const int64_t sy = cy + reach * sin_[i] / 65536;
        for (int mirror_y = 0; mirror_y < 2; ++mirror_y) {
          for (int mirror_x = 0; mirror_x < 2; ++mirror_x) {
            const int64_t px = xs[mirror_x];
            const int64_t py = ys[mirror_y];
            const int64_t qx = mirror_x ? w - 1 - sx : sx;
            const int64_t qy = mirror_y ? h - 1 - sy : sy;
            if (qx >= 0 && qx < w && qy >= 0 && qy < h) {
              copy(to, qx, qy, px, py);
            } else {
              copy(to, px, py, px, py);
            }
          }
        }
      }
    }
  });
  return true;
}

// ---- blurs

namespace {

// Box blur of radius r: every pixel becomes the truncated average of the
// pixels within r rows and columns that lie inside the picture.
template <class F>
void BoxBlur(const pixel::TView& source, pixel::TView& target, int64_t r) {
  const int64_t w = source.Width();
  const int64_t h = source.Height();
  std::vector<uint32_t> rows(static_cast<size_t>(w * h) * 3);
  std::vector<uint32_t> prefix(static_cast<size_t>(w + 1) * 3);
  for (int64_t y = 0; y < h; ++y) {
    const uint8_t* s = source.Row(y);
    for (int64_t x = 0; x < w; ++x) {
      const pixel::TChannels<F> c = pixel::Split<F>(F::Load(s + x * F::kBytes));
      prefix[static_cast<size_t>(x + 1) * 3 + 0] = prefix[static_cast<size_t>(x) * 3 + 0] + c.r;
      prefix[static_cast<size_t>(x + 1) * 3 + 1] = prefix[static_cast<size_t>(x) * 3 + 1] + c.g;
      prefix[static_cast<size_t>(x + 1) * 3 + 2] = prefix[static_cast<size_t>(x) * 3 + 2] + c.b;
    }
    for (int64_t x = 0; x < w; ++x) {
      const int64_t lo = std::max<int64_t>(0, x - r);
      const int64_t hi = std::min<int64_t>(w, x + r + 1);
      for (int c = 0; c < 3; ++c) {
        rows[Index(x, y, w) * 3 + static_cast<size_t>(c)] =
            prefix[static_cast<size_t>(hi) * 3 + static_cast<size_t>(c)] -
            prefix[static_cast<size_t>(lo) * 3 + static_cast<size_t>(c)];
      }
    }
  }
  std::vector<uint64_t> column(static_cast<size_t>(h + 1) * 3);
  for (int64_t x = 0; x < w; ++x) {
    for (int64_t y = 0; y < h; ++y) {
      for (int c = 0; c < 3; ++c) {
        column[static_cast<size_t>(y + 1) * 3 + static_cast<size_t>(c)] =
            column[static_cast<size_t>(y) * 3 + static_cast<size_t>(c)] +
            rows[Index(x, y, w) * 3 + static_cast<size_t>(c)];
      }
    }
    const int64_t columns = std::min<int64_t>(w, x + r + 1) - std::max<int64_t>(0, x - r);
    for (int64_t y = 0; y < h; ++y) {
      const int64_t lo = std::max<int64_t>(0, y - r);
      const int64_t hi = std::min<int64_t>(h, y + r + 1);
      const uint64_t count = static_cast<uint64_t>(columns * (hi - lo));
      uint32_t avg[3];
      for (int c = 0; c < 3; ++c) {
        avg[c] = static_cast<uint32_t>((column[static_cast<size_t>(hi) * 3 + static_cast<size_t>(c)] -
                                        column[static_cast<size_t>(lo) * 3 + static_cast<size_t>(c)]) /
                                       count);
      }
      F::Store(target.Row(y) + x * F::kBytes, pixel::Join<F>(avg[0], avg[1], avg[2]));
    }
  }
}

void Blur(TCustomDIBX& source, TDIBX& target, int64_t r) {
  target.SetSize(std::max(source.Width(), 1), std::max(source.Height(), 1), source.BitCount());
  pixel::TView from(source);
  pixel::TView out(target);
  if (!from.Valid() || !out.Valid()) return;
  pixel::DispatchFormat(from.Bits(), [&](auto format) {
    using F = decltype(format);
    if constexpr (F::kBits == 8) {
      target.Assign(source);
    } else {
      BoxBlur<F>(from, out, r);
    }
  });
}

}  // namespace

void TWipeBlurWhite::Prepare() {
  const int64_t r = std::min(Width(), Height()) / 20;
  Blur(From(), blurred_from_, r);
  Blur(To(), blurred_to_, r);
  built_ = true;
}

bool TWipeBlurWhite::DrawStep() {
  if (!built_) Prepare();
  if (!SameShapes()) return false;
  TCustomDIBX& out = Destination();
  out.AddClip(out.GetBounds());
  const int b = static_cast<int>(Progress(639));
  const TRect bounds = out.GetBounds();
  const auto fill = [&](int v) {
    if (Subtracts()) {
      out.FillRectSub(bounds, Grey(v));
    } else {
      out.FillRectAdd(bounds, Grey(v));
    }
  };
  if (b < 256) {
    out.Assign(From());
    if (b > 0) out.DrawBlend(0, 0, blurred_from_, blurred_from_.GetBounds(), TDrawFlags::None, b);
  } else if (b < 320) {
    out.Assign(blurred_from_);
    fill((b - 256) * 4);
  } else if (b < 384) {
    out.Assign(blurred_to_);
    fill((383 - b) * 4);
  } else {
    out.Assign(To());
    if (639 - b > 0)
      out.DrawBlend(0, 0, blurred_to_, blurred_to_.GetBounds(), TDrawFlags::None, std::min(639 - b, 255));
  }
  return true;
}

// ---- falling chips

namespace {

// Height of a chip after a units of falling: first up, then down.
int64_t FallCurve(int64_t a) { return (5 * a * a - 1500 * a) / 1000; }

}  // namespace

int32_t TWipeCrack::ChipSize() const { return std::max(params_[0], 16); }

int64_t TWipeCrack::Delay() const { return std::max(params_[1], 0); }

void TWipeCrack::Prepare() {
  const int64_t w = std::max(Width(), 0);
  const int64_t h = std::max(Height(), 0);
  if (Option()) {
    BuildDifferenceMask(mask_);
  } else {
    mask_.SetSize(std::max<int64_t>(w, 1), std::max<int64_t>(h, 1), 8);
    mask_.Clear(255);
  }
  total_ = 0;
  while (FallCurve(total_) < h) ++total_;
  chips_.clear();
  const int64_t size = ChipSize();
  const int64_t columns = (w + size - 1) / size;
  const int64_t rows = (h + size - 1) / size;
  std::vector<std::pair<int32_t, int32_t>> cells;
  cells.reserve(static_cast<size_t>(columns * rows));
  for (int64_t row = 0; row < rows; ++row) {
    for (int64_t column = 0; column < columns; ++column) {
      cells.emplace_back(static_cast<int32_t>(column), static_cast<int32_t>(row));
    }
  }
  pixel::TView mask(mask_);
  TProcessRandom& random = ProcessRandom();
  const int64_t delay = Delay();
  while (!cells.empty()) {
    const size_t pick = random.NextInt(static_cast<int32_t>(cells.size()));
    TWipeCrackDraw chip;
    chip.column = cells[pick].first;
    chip.row = cells[pick].second;
    cells[pick] = cells.back();
    cells.pop_back();
    chip.start = static_cast<int64_t>(chips_.size()) * delay;
    chip.speed = static_cast<int32_t>(random.NextInt(200)) - 100;
    const TRect cell = IntersectRect(wipe::Rect64(int64_t{chip.column} * size, int64_t{chip.row} * size,
                                                  (chip.column + 1LL) * size, (chip.row + 1LL) * size),
                                     mask.Bounds());
    bool all_zero = true, all_equal = true;
    const uint8_t first = cell.IsEmpty() ? 0 : mask.Row(cell.top)[cell.left];
    for (int32_t y = cell.top; y < cell.bottom; ++y) {
      const uint8_t* row = mask.Row(y);
      for (int32_t x = cell.left; x < cell.right; ++x) {
        all_zero = all_zero && row[x] == 0;
        all_equal = all_equal && row[x] == first;
      }
    }
    chip.kind = all_zero ? 0 : all_equal ? 1 : 2;
    chips_.push_back(chip);
  }
  prepared_ = true;
}

bool TWipeCrack::DrawStep() {
  if (!prepared_) Prepare();
  TCustomDIBX& out = Destination();
  out.AddClip(out.GetBounds());
  const int64_t count = static_cast<int64_t>(chips_.size());
  const int64_t size = ChipSize();
  const int64_t b = Progress(total_ + std::max<int64_t>(count - 1, 0) * Delay());
  out.Assign(To());
  const TRect bounds = From().GetBounds();
  const auto draw = [&](const TWipeCrackDraw& chip, int64_t x, int64_t y) {
    if (chip.kind == 0) return;
    const TRect cell = IntersectRect(
        wipe::Rect64(chip.column * size, chip.row * size, (chip.column + 1LL) * size, (chip.row + 1LL) * size), bounds);
    if (cell.IsEmpty()) return;
    const int32_t dx = wipe::ToInt32(x);
    const int32_t dy = wipe::ToInt32(y);
    if (chip.kind == 1) {
      out.Draw(dx, dy, From(), cell, TDrawFlags::None);
    } else {
      out.DrawMask(dx, dy, From(), cell, TDrawFlags::None, mask_);
    }
  };
  for (const TWipeCrackDraw& chip : chips_) {
    if (b < chip.start) draw(chip, chip.column * size, chip.row * size);
  }
  // Whether a chip still falls depends only on the time, so a seek back
  // brings fallen chips back.
  for (int64_t i = count - 1; i >= 0; --i) {
    const TWipeCrackDraw& chip = chips_[static_cast<size_t>(i)];
    if (b < chip.start) continue;
    const int64_t a = b - chip.start;
    // Gone once its top reaches the bottom of the screen.
    if (a >= total_ || chip.row * size + FallCurve(a) >= Height()) continue;
    draw(chip, chip.column * size + a * chip.speed / 100, chip.row * size + FallCurve(a));
  }
  return true;
}

}  // namespace orvo
