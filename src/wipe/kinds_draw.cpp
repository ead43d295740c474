// The kinds that draw with the surfaces' own operations.
#include <cmath>
#include <cstdlib>

#include "wipe/wipe_kinds.h"
#include "wipe/wipe_math.h"

namespace orvo {

using wipe::Rect64;
using wipe::Round;
using wipe::ToInt32;

namespace {

// The kinds that draw through surface operations keep them inside the screen.
TCustomDIBX& Prepared(TCustomDIBX& destination) {
  destination.AddClip(destination.GetBounds());
  return destination;
}

}  // namespace

bool TWipeFade::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  out.Assign(From());
  const long double f = static_cast<long double>(static_cast<int64_t>(Duration()) - Elapsed() - 1) / Duration();
  const int32_t x = ToInt32(Round(params_[0] * f));
  const int32_t y = ToInt32(Round(params_[1] * f));
  const int opacity = static_cast<int>(Progress(256));
  if (opacity > 0) out.DrawBlend(x, y, To(), To().GetBounds(), TDrawFlags::None, opacity);
  return true;
}

bool TWipeScrollH::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const int32_t w = Width();
  const int32_t a = static_cast<int32_t>(Progress(w));
  const TDrawFlags none = TDrawFlags::None;
  if (!Reverse()) {
    out.Draw(-a, 0, From(), From().GetBounds(), none);
    out.Draw(w - a, 0, To(), To().GetBounds(), none);
  } else {
    out.Draw(a, 0, From(), From().GetBounds(), none);
    out.Draw(a - w, 0, To(), To().GetBounds(), none);
  }
  return true;
}

bool TWipeScrollV::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const int32_t h = Height();
  const int32_t a = static_cast<int32_t>(Progress(h));
  const TDrawFlags none = TDrawFlags::None;
  if (!Reverse()) {
    out.Draw(0, -a, From(), From().GetBounds(), none);
    out.Draw(0, h - a, To(), To().GetBounds(), none);
  } else {
    out.Draw(0, a, From(), From().GetBounds(), none);
    out.Draw(0, a - h, To(), To().GetBounds(), none);
  }
  return true;
}

void TWipeWhite::Fill(uint32_t grey) { Destination().FillRectAdd(Destination().GetBounds(), grey); }

void TWipeBlack::Fill(uint32_t grey) { Destination().FillRectSub(Destination().GetBounds(), grey); }

bool TWipeWhite::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const int a = static_cast<int>(Progress(511));
  if (a <= 255) {
    out.Assign(From());
    Fill(Grey(a));
  } else {
    out.Assign(To());
    Fill(Grey(511 - a));
  }
  return true;
}

bool TWipeFlash::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const int b = static_cast<int>(Progress(255));
  out.Assign(To());
  out.FillRectAdd(out.GetBounds(), Grey(255 - b));
  return true;
}

bool TWipeMosaic::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const int32_t w = Width();
  const int32_t h = Height();
  if (work_.Width() != w || work_.Height() != h || work_.BitCount() != out.BitCount()) {
    work_.SetSize(w, h, out.BitCount());
  }
  const int64_t b = Progress(1023);
  const int64_t k = b <= 511 ? 263 - (b / 2) * 15 / 16 : ((b - 512) / 2) * 15 / 16 + 24;
  const int64_t small_w = std::max<int64_t>(1, ((w / 4) * k) >> 8);
  const int64_t small_h = std::max<int64_t>(1, (k * (h / 4)) >> 8);
  const TRect small = Rect64(0, 0, small_w, small_h);
  const TDrawFlags none = TDrawFlags::None;
  if (b <= 767) work_.StretchDraw(small, From(), From().GetBounds(), none, 255);
  int to_opacity = 0;
  if (b <= 511) {
    to_opacity = b >= 256 ? static_cast<int>((b - 256) / 4) : 0;
  } else if (b <= 767) {
    to_opacity = static_cast<int>((b - 256) / 2);
  } else {
    to_opacity = 255;
  }
  if (to_opacity > 0) work_.StretchDraw(small, To(), To().GetBounds(), none, to_opacity);
  out.StretchDraw(out.GetBounds(), work_, small, none, 255);
  return true;
}

// ---- sudare and rubber

int64_t TWipeSudareH::StripWidth(int64_t n) const {
  (void)n;
  return 1;
}

int64_t TWipeSudareH::StripStart(int64_t a, int64_t s) const {
  (void)s;
  return a;
}

int64_t TWipeRubberH::StripStart(int64_t a, int64_t s) const { return std::max<int64_t>(0, a - s); }

int64_t TWipeRubberH::StripWidth(int64_t n) const {
  const long double half = Duration() / 2.0L;
  const long double distance = std::fabs(static_cast<long double>(Elapsed()) - half);
  return std::max<int64_t>(1, Round(distance * (static_cast<long double>(n) / 2.0L) / half));
}

bool TWipeSudareH::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const bool vertical = Vertical();
  const int64_t length = vertical ? Height() : Width();
  const int64_t across = vertical ? Width() : Height();
  // A band of columns (rows for the vertical kind) c0..c1 - 1.
  const auto band = [&](int64_t c0, int64_t c1) {
    return vertical ? Rect64(0, c0, across, c1) : Rect64(c0, 0, c1, across);
  };
  int64_t a = Progress(2 * length - 1);
  TCustomDIBX* picture = &From();
  if (a >= length) {
    picture = &To();
    a = 2 * length - 1 - a;
  }
  const TDrawFlags none = TDrawFlags::None;
  if (!Reverse()) {
    const int64_t s = StripWidth(a);
    const int64_t start = StripStart(a, s);
    out.StretchDraw(band(0, a + 1), *picture, band(start, start + s), none, 255);
    const TRect rest = band(a + 1, length);
    if (!rest.IsEmpty()) out.Draw(rest.left, rest.top, *picture, rest, none);
  } else {
    const int64_t s = StripWidth(a + 1);
    const int64_t c = length - a - 1;
    out.StretchDraw(band(c, length), *picture, band(c, c + s), none, 255);
    const TRect rest = band(0, c);
    if (!rest.IsEmpty()) out.Draw(rest.left, rest.top, *picture, rest, none);
  }
  return true;
}

// ---- twist

namespace {

// The phase of the i-th line of n in the walking order.
long double TwistPhase(long double phi, int64_t i, int64_t n) {
  return phi - (static_cast<long double>(i) / static_cast<long double>(n)) * wipe::kPi / 2;
}

}  // namespace

bool TWipeTwistH::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const int32_t w = Width();
  const int32_t h = Height();
  const long double phi = static_cast<long double>(Elapsed()) * 3 * wipe::kPi / (2.0L * Duration());
  const TDrawFlags none = TDrawFlags::None;
  int64_t finished = -1;
  for (int64_t i = 0; i < h; ++i) {
    const int32_t y = static_cast<int32_t>(Reverse() ? h - 1 - i : i);
    const long double theta = TwistPhase(phi, i, h);
    if (theta >= wipe::kPi) {
      finished = i;
      continue;
    }
    const TRect row{0, y, w, y + 1};
    if (theta < 0) {
      // Not yet turning: the old picture (also after a seek backwards).
      out.Draw(0, y, From(), row, none);
      continue;
    }
    out.FillRect(row, 0);
    const int64_t run = Round(std::cos(theta) * w);
    if (run > 0) {
      const int64_t left = (w - run) / 2;
      out.StretchDraw(Rect64(left, y, left + run, y + 1), From(), row, none, 255);
    } else if (run < 0) {
      const int64_t left = (w + run) / 2;
      out.StretchDraw(Rect64(left, y, left - run, y + 1), To(), row, none, 255);
    }
  }
  if (finished >= 0) {
    const TRect done = Reverse() ? Rect64(0, h - 1 - finished, w, h) : Rect64(0, 0, w, finished + 1);
    out.Draw(done.left, done.top, To(), done, none);
  }
  return true;
}

bool TWipeTwistV::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const int32_t w = Width();
  const int32_t h = Height();
  const long double phi = static_cast<long double>(Elapsed()) * 3 * wipe::kPi / (2.0L * Duration());
  const TDrawFlags none = TDrawFlags::None;
  // Per column: 0 not turning, 1 turning with a height, 2 finished.
  enum : uint8_t { kWaiting, kTurning, kDone };
  const auto state_of = [&](int64_t x, int64_t& height) {
    const int64_t i = Reverse() ? w - 1 - x : x;
    const long double theta = TwistPhase(phi, i, w);
    if (theta >= wipe::kPi) return kDone;
    if (theta < 0) return kWaiting;
    height = Round(std::cos(theta) * h);
    return kTurning;
  };
  int64_t x = 0;
  while (x < w) {
    int64_t height = 0;
    const uint8_t state = state_of(x, height);
    int64_t end = x + 1;
    while (end < w) {
      int64_t next_height = 0;
      if (state_of(end, next_height) != state || (state == kTurning && next_height != height)) break;
      ++end;
    }
    const TRect band = Rect64(x, 0, end, h);
    if (state == kDone) {
      out.Draw(band.left, 0, To(), band, none);
    } else if (state == kWaiting) {
      out.Draw(band.left, 0, From(), band, none);
    } else {
      out.FillRect(band, 0);
      if (height > 0) {
        const int64_t top = (h - height) / 2;
        out.StretchDraw(Rect64(x, top, end, top + height), From(), band, none, 255);
      } else if (height < 0) {
        const int64_t top = (h + height) / 2;
        out.StretchDraw(Rect64(x, top, end, top - height), To(), band, none, 255);
      }
    }
    x = end;
  }
  return true;
}

// ---- zoom in

bool TWipeZoomin::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const int64_t w = Width();
  const int64_t h = Height();
  const long double c = 2.0L * Elapsed() / Duration();
  TCustomDIBX* source = &From();
  long double e = 1 - c;
  long double f = c;
  if (c > 1) {
    source = &To();
    e = c - 1;
    f = 2 - c;
  }
  const int64_t sw = std::max<int64_t>(1, Round(w * e));
  const int64_t sh = std::max<int64_t>(1, Round(h * e));
  const int64_t left = std::clamp<int64_t>(Round((static_cast<int64_t>(params_[0]) - w / 2) * f) + w / 2 - sw / 2, 0,
                                           std::max<int64_t>(0, w - sw));
  const int64_t top = std::clamp<int64_t>(Round((static_cast<int64_t>(params_[1]) - h / 2) * f) + h / 2 - sh / 2, 0,
                                          std::max<int64_t>(0, h - sh));
  out.StretchDraw(out.GetBounds(), *source, Rect64(left, top, left + sw, top + sh), TDrawFlags::None, 255);
  return true;
}

// ---- shrink and grow

void TWipeSmall::Prepare() {
  has_difference_ = Option();
  if (has_difference_) BuildDifferenceMask(difference_);
}

bool TWipeSmall::DrawStep() {
  TCustomDIBX& out = Prepared(Destination());
  const long double d = Duration();
  const long double t = Elapsed();
  const long double remaining = (d - t - 1) / d;
  const long double scale = Grows() ? t / d : remaining;
  const long double turn = Grows() ? remaining : t / d;
  long double angle = params_[0] * turn / 256 * 2 * wipe::kPi;
  if (Reverse()) angle = -angle;
  const int opacity = static_cast<int>(std::clamp<int64_t>(Round(scale * 255), 0, 255));
  TCustomDIBX& still = Grows() ? From() : To();
  TCustomDIBX& moving = Grows() ? To() : From();
  out.Assign(still);
  if (opacity <= 0) return true;
  const int32_t x = Width() / 2;
  const int32_t y = Height() / 2;
  const int32_t pivot_x = moving.Width() / 2;
  const int32_t pivot_y = moving.Height() / 2;
  if (has_difference_ && difference_.Width() == moving.Width() && difference_.Height() == moving.Height()) {
    out.DrawTransformedMask(x, y, scale, scale, moving, moving.GetBounds(), pivot_x, pivot_y, angle, TDrawFlags::None,
                            difference_, opacity);
  } else {
    out.DrawTransformedAll(x, y, scale, scale, moving, pivot_x, pivot_y, angle, TDrawFlags::None, opacity);
  }
  return true;
}

}  // namespace orvo
