// The kinds that only build a mask; TWipeMask composes the pictures.
#include <cmath>
#include <cstring>

#include "base/random.h"
#include "data/random.h"
#include "surface/view.h"
#include "wipe/wipe_kinds.h"
#include "wipe/wipe_math.h"

namespace orvo {

using wipe::Round;

namespace {

// Mask value of an order against a progress: 0 before it, then a ramp of p1 steps.
uint8_t RampValue(int64_t progress, int64_t order, int64_t ramp) {
  if (progress < order) return 0;
  return static_cast<uint8_t>(std::min<int64_t>(255, (progress - order) * 255 / ramp));
}

// Fills r (cut to the mask) with value.
void FillMask(pixel::TView& mask, TRect r, uint8_t value) {
  r = IntersectRect(r, mask.Bounds());
  if (r.IsEmpty()) return;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    std::memset(mask.Row(y) + r.left, value, static_cast<size_t>(r.Width()));
  }
}

int64_t CeilDiv(int64_t a, int64_t b) { return (a + b - 1) / b; }

}  // namespace

// ---- blinds

bool TWipeBlindH::UpdateMask() {
  const int64_t p0 = params_[0];
  const int64_t p1 = params_[1];
  const int64_t b = Progress(p1 + 2 * p0 - 2);
  if (!NewProgress(b)) return false;
  pixel::TView mask(mask_);
  uint8_t* row = mask.Row(0);
  for (int32_t x = 0; x < mask.Width(); ++x) {
    const int64_t e = Reverse() ? 2 * (p0 - 1 - x % p0) : 2 * (x % p0);
    row[x] = RampValue(b, e, p1);
  }
  for (int32_t y = 1; y < mask.Height(); ++y) std::memcpy(mask.Row(y), row, static_cast<size_t>(mask.Width()));
  return true;
}

bool TWipeBlindV::UpdateMask() {
  const int64_t p0 = params_[0];
  const int64_t p1 = params_[1];
  const int64_t b = Progress(p1 + 2 * p0 - 2);
  if (!NewProgress(b)) return false;
  pixel::TView mask(mask_);
  for (int32_t y = 0; y < mask.Height(); ++y) {
    const int64_t e = Reverse() ? 2 * (p0 - y - 1) : 2 * int64_t{y};
    std::memset(mask.Row(y), RampValue(b, e, p1), static_cast<size_t>(mask.Width()));
  }
  return true;
}

// ---- curtains

bool TWipeCurtainH::UpdateMask() {
  const int64_t p0 = params_[0];
  const int64_t p1 = params_[1];
  const int64_t w = Width();
  const int64_t b = Progress((CeilDiv(w, p0) + p0 - 2) * 16 + p1);
  if (!NewProgress(b)) return false;
  pixel::TView mask(mask_);
  uint8_t* row = mask.Row(0);
  for (int64_t x = 0; x < w; ++x) {
    const int64_t position = Reverse() ? w - 1 - x : x;
    row[x] = RampValue(b, 16 * (position / p0 + position % p0), p1);
  }
  return true;
}

bool TWipeCurtainV::UpdateMask() {
  const int64_t p0 = params_[0];
  const int64_t p1 = params_[1];
  const int64_t h = Height();
  const int64_t b = Progress((CeilDiv(h, p0) + p0 - 2) * 16 + p1);
  if (!NewProgress(b)) return false;
  pixel::TView mask(mask_);
  for (int32_t y = 0; y < mask.Height(); ++y) {
    const int64_t position = Reverse() ? h - 1 - y : y;
    std::memset(mask.Row(y), RampValue(b, 16 * (position / p0 + position % p0), p1), static_cast<size_t>(mask.Width()));
  }
  return true;
}

// ---- grids

bool TWipeGrid::UpdateMask() {
  const int64_t p0 = params_[0];
  const int64_t p1 = params_[1];
  const int64_t nx = CeilDiv(Width(), p0);
  const int64_t ny = CeilDiv(Height(), p0);
  const TOrder order = Order();
  int64_t largest = 0;
  switch (order) {
    case TOrder::Columns:
      largest = 4 * nx;
      break;
    case TOrder::Rows:
      largest = 4 * ny;
      break;
    case TOrder::Diagonal:
      largest = 4 * Round(std::hypot(static_cast<long double>(ny - 1), static_cast<long double>(nx - 1)));
      break;
  }
  const int64_t e = Progress(p1 + largest - 4);
  if (!NewProgress(e)) return false;
  pixel::TView mask(mask_);
  FillMask(mask, mask.Bounds(), 0);
  // The column kind's mask is one row of cells, repeated down the screen.
  const int64_t rows = order == TOrder::Columns ? 1 : ny;
  for (int64_t cy = 0; cy < rows; ++cy) {
    for (int64_t cx = 0; cx < nx; ++cx) {
      const int64_t ix = Reverse() ? nx - 1 - cx : cx;
      const int64_t iy = Reverse() ? ny - 1 - cy : cy;
      int64_t h = 0;
      switch (order) {
        case TOrder::Columns:
          h = 4 * ix;
          break;
        case TOrder::Rows:
          h = 4 * iy;
          break;
        case TOrder::Diagonal:
          h = 4 * Round(std::hypot(static_cast<long double>(iy), static_cast<long double>(ix)));
          break;
      }
      if (e < h) continue;
      const int64_t gone = e - h;
      const int64_t side = gone >= p1 ? p0 : std::min(p0, p0 * gone / p1);
      const int64_t offset = (p0 - side) / 2;
      const int64_t left = cx * p0 + offset;
      const int64_t top = cy * p0 + offset;
      FillMask(mask, wipe::Rect64(left, top, left + side, top + side), RampValue(e, h, p1));
    }
  }
  return true;
}

// ---- dither

void TWipeDither::Prepare() {
  TWipeMask::Prepare();
  SetHardMask(true);
  TKwRandom random(12341);
  random.Shuffle(4096);
  order_.resize(4096);
  for (uint16_t& position : order_) position = static_cast<uint16_t>(random.Draw());
}

bool TWipeDither::UpdateMask() {
  if (order_.size() != 4096) Prepare();
  const int64_t n = Progress(4096);
  if (!NewProgress(n)) return false;
  std::array<uint8_t, 4096> tile;
  if (n <= 2047) {
    tile.fill(0);
    for (int64_t i = 0; i < n; ++i) tile[order_[i]] = 255;
  } else {
    tile.fill(255);
    for (int64_t i = n; i < 4096; ++i) tile[order_[i]] = 0;
  }
  pixel::TView mask(mask_);
  for (int32_t y = 0; y < mask.Height(); ++y) {
    uint8_t* row = mask.Row(y);
    const uint8_t* source = &tile[static_cast<size_t>(y) * 64];
    for (int32_t x = 0; x < mask.Width(); x += 64) {
      std::memcpy(row + x, source, static_cast<size_t>(std::min(64, mask.Width() - x)));
    }
  }
  return true;
}

// ---- clock hand and fans

void TWipeClockhand::SetParam(int index, int32_t value) {
  if (index == 0 || index == 1) params_[index] = value;
}

namespace {

// The columns x (0..width - 1) where slope * x + value0 >= 0, as [lo, hi).
std::pair<int64_t, int64_t> HalfLine(long double slope, long double value0, int64_t width) {
  if (slope == 0) return value0 >= 0 ? std::pair<int64_t, int64_t>{0, width} : std::pair<int64_t, int64_t>{0, 0};
  const long double root = -value0 / slope;
  if (slope > 0) {
    const long double lo = std::ceil(root);
    if (lo >= width) return {0, 0};
    return {lo <= 0 ? 0 : static_cast<int64_t>(lo), width};
  }
  const long double hi = std::floor(root) + 1;
  if (hi <= 0) return {0, 0};
  return {0, hi >= width ? width : static_cast<int64_t>(hi)};
}

}  // namespace

void TWipeClockhand::PaintSector(long double start, long double sweep) {
  if (sweep <= 0) return;
  pixel::TView mask(mask_);
  const int64_t w = mask.Width();
  if (sweep >= 2 * wipe::kPi) {
    FillMask(mask, mask.Bounds(), 255);
    return;
  }
  // Pixel centres relative to the screen's centre; a point lies in the
  // sector when it is clockwise of the start ray and anticlockwise of the end ray.
  const long double cx = Width() / 2.0L;
  const long double cy = Height() / 2.0L;
  const long double ux = std::cos(start), uy = std::sin(start);
  const long double vx = std::cos(start + sweep), vy = std::sin(start + sweep);
  for (int32_t y = 0; y < mask.Height(); ++y) {
    const long double py = y + 0.5L - cy;
    const long double x0 = 0.5L - cx;
    // cross(u, P) = ux * py - uy * px and cross(P, v) = px * vy - py * vx, px = x + x0.
    const auto after_start = HalfLine(-uy, ux * py - uy * x0, w);
    const auto before_end = HalfLine(vy, x0 * vy - py * vx, w);
    uint8_t* row = mask.Row(y);
    const auto paint = [&](std::pair<int64_t, int64_t> span) {
      if (span.first < span.second) std::memset(row + span.first, 255, static_cast<size_t>(span.second - span.first));
    };
    if (sweep <= wipe::kPi) {
      paint({std::max(after_start.first, before_end.first), std::min(after_start.second, before_end.second)});
    } else {
      paint(after_start);
      paint(before_end);
    }
  }
}

void TWipeClockhand::PaintSectors(long double start, long double f) {
  const long double sweep = f * 2 * wipe::kPi;
  if (Reverse()) {
    PaintSector(start - sweep, sweep);
  } else {
    PaintSector(start, sweep);
  }
}

void TWipeFan::PaintSectors(long double start, long double f) { PaintSector(start - f * wipe::kPi, 2 * f * wipe::kPi); }

void TWipeWFan::PaintSectors(long double start, long double f) {
  const long double half = f * wipe::kPi / 2;
  PaintSector(start - half, 2 * half);
  PaintSector(start + wipe::kPi - half, 2 * half);
}

bool TWipeClockhand::UpdateMask() {
  start_angle_ = params_[0] / 360.0L * 2 * wipe::kPi - wipe::kPi / 2;
  const long double f = Fraction();
  if (f == last_angle_ && last_progress_ == 0) return false;
  last_angle_ = f;
  last_progress_ = 0;
  pixel::TView mask(mask_);
  FillMask(mask, mask.Bounds(), 0);
  PaintSectors(start_angle_, f);
  return true;
}

// ---- circle

bool TWipeCircle::UpdateMask() {
  const long double cx = Width() / 2.0L;
  const long double cy = Height() / 2.0L;
  const long double reach = Reverse() ? static_cast<long double>(Duration() - Elapsed()) / Duration() : Fraction();
  const int64_t c = Round(std::hypot(cx, cy) * reach);
  if (!NewProgress(c)) return false;
  const uint8_t outside = Reverse() ? 255 : 0;
  const uint8_t inside = Reverse() ? 0 : 255;
  pixel::TView mask(mask_);
  FillMask(mask, mask.Bounds(), outside);
  const long double radius = static_cast<long double>(c);
  for (int32_t y = 0; y < mask.Height(); ++y) {
    const long double dy = y + 0.5L - cy;
    if (dy * dy > radius * radius) continue;
    const long double half = std::sqrt(radius * radius - dy * dy);
    const int64_t lo = static_cast<int64_t>(std::max(0.0L, std::ceil(cx - 0.5L - half)));
    const int64_t hi = static_cast<int64_t>(std::min<long double>(mask.Width() - 1, std::floor(cx - 0.5L + half)));
    if (lo <= hi) std::memset(mask.Row(y) + lo, inside, static_cast<size_t>(hi - lo + 1));
  }
  return true;
}

// ---- blocks

void TWipeBlockCoil::SetParam(int index, int32_t value) {
  if (index == 0 || index == 1) params_[index] = value;
}

void TWipeBlockCoil::ListBlocks(int32_t side) {
  // A clockwise spiral from the top-left corner inwards; each side of the
  // remaining area closes once a lap along it is done.
  int64_t left = 0, top = 0, right = Width(), bottom = Height();
  const int64_t s = side;
  const auto add = [&](int64_t x, int64_t y) { blocks_.push_back(wipe::Rect64(x, y, x + s, y + s)); };
  while (left < right && top < bottom) {
    for (int64_t x = left; x < right; x += s) add(x, top);
    top += s;
    if (top >= bottom) break;
    for (int64_t y = top; y < bottom; y += s) add(right - s, y);
    right -= s;
    if (left >= right) break;
    for (int64_t x = right - s; x + s > left; x -= s) add(x, bottom - s);
    bottom -= s;
    if (top >= bottom) break;
    for (int64_t y = bottom - s; y + s > top; y -= s) add(left, y);
    left += s;
  }
}

void TWipeBlockRandom::ListBlocks(int32_t side) {
  std::vector<TRect> grid;
  for (int64_t y = 0; y < Height(); y += side) {
    for (int64_t x = 0; x < Width(); x += side) grid.push_back(wipe::Rect64(x, y, x + side, y + side));
  }
  TProcessRandom& random = ProcessRandom();
  while (!grid.empty()) {
    const size_t pick = random.NextInt(static_cast<int32_t>(grid.size()));
    blocks_.push_back(grid[pick]);
    grid[pick] = grid.back();
    grid.pop_back();
  }
}

void TWipeBlockCoil::Prepare() {
  TWipeMask::Prepare();
  SetHardMask(true);
  blocks_.clear();
  const int32_t side = std::min({Height(), Width(), std::max(10, params_[0])});
  if (side > 0) ListBlocks(side);
  listed_ = true;
  drawn_ = -2;
}

bool TWipeBlockCoil::UpdateMask() {
  if (!listed_) Prepare();
  const int64_t count = static_cast<int64_t>(blocks_.size());
  if (count == 0) return false;
  const bool from_end = FillsFromEnd();
  const int64_t target = from_end ? (count - 1) * (static_cast<int64_t>(Duration()) - Elapsed()) / Duration()
                                  : (count - 1) * static_cast<int64_t>(Elapsed()) / Duration();
  if (!NewProgress(target)) return false;
  pixel::TView mask(mask_);
  // A time before the last drawn one (films seek back) starts the mask over.
  const bool backwards = drawn_ == -2 || (from_end ? target > drawn_ : target < drawn_);
  if (backwards) {
    FillMask(mask, mask.Bounds(), 0);
    drawn_ = from_end ? count : -1;
  }
  if (from_end) {
    for (int64_t i = drawn_ - 1; i >= target; --i) FillMask(mask, blocks_[i], 255);
  } else {
    for (int64_t i = drawn_ + 1; i <= target; ++i) FillMask(mask, blocks_[i], 255);
  }
  drawn_ = target;
  return true;
}

}  // namespace orvo
