#include "surface/font_pixel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/numeric.h"
#include "surface/pixel_format.h"

namespace orvo {

namespace {

// The part of the coverage box at (x, y) inside the destination's clip.
struct TGlyphSpan {
  TRect box;             // in destination coordinates
  int32_t source_x = 0;  // coverage column of box.left
  int32_t source_y = 0;  // coverage row of box.top
};

bool ClipGlyph(const TCustomDIBX& destination, const TDIBX& coverage, int32_t x, int32_t y, TGlyphSpan& span) {
  if (coverage.IsEmpty() || coverage.BitCount() != 8) return false;
  int64_t right = static_cast<int64_t>(x) + coverage.Width();
  int64_t bottom = static_cast<int64_t>(y) + coverage.Height();
  TRect box{x, y, ClampToInt32(right), ClampToInt32(bottom)};
  span.box = IntersectRect(box, destination.GetClipRect());
  if (span.box.IsEmpty()) return false;
  span.source_x = span.box.left - x;
  span.source_y = span.box.top - y;
  return true;
}

bool MaskFits(const TCustomDIBX& destination, const TCustomDIBX& mask) {
  return mask.BitCount() == 8 && mask.Width() == destination.Width() && mask.Height() == destination.Height();
}

// Runs fn(format, span) for 15-, 16- and 32-bit destinations.
template <class Fn>
void ForGlyphFormat(TCustomDIBX& destination, const TDIBX& coverage, int32_t x, int32_t y, Fn&& fn) {
  int bits = destination.BitCount();
  if (bits != 15 && bits != 16 && bits != 32) return;
  TGlyphSpan span;
  if (!ClipGlyph(destination, coverage, x, y, span)) return;
  pixel::DispatchFormat(bits, [&](auto format) { fn(format, span); });
}

const uint8_t* CoverageRow(const TDIBX& coverage, int32_t row) { return coverage.Store().ScanLine(row); }

// Per covered pixel: visit(q, destination pixel address, mask byte address).
template <class F, class Visit>
void ForEachCovered(TCustomDIBX& destination, TCustomDIBX* mask, const TDIBX& coverage, const TGlyphSpan& span,
                    Visit&& visit) {
  uint8_t* row = destination.Lock(span.box.left, span.box.top);
  if (!row) return;
  uint8_t* mask_row = mask ? mask->Lock(span.box.left, span.box.top) : nullptr;
  if (mask && !mask_row) {
    destination.Unlock();
    return;
  }
  int64_t pitch = destination.Pitch();
  int64_t mask_pitch = mask ? mask->Pitch() : 0;
  int32_t width = span.box.right - span.box.left;
  for (int32_t y = span.box.top; y < span.box.bottom; ++y) {
    const uint8_t* source = CoverageRow(coverage, span.source_y + (y - span.box.top)) + span.source_x;
    uint8_t* d = row;
    uint8_t* m = mask_row;
    for (int32_t i = 0; i < width; ++i) {
      visit(source[i], d, m);
      d += F::kBytes;
      if (m) ++m;
    }
    row += pitch;
    if (mask_row) mask_row += mask_pitch;
  }
  if (mask) mask->Unlock();
  destination.Unlock();
}

constexpr int32_t kOutlineTableLimit = 32;

// The blend with the mask of one target: the mask gains q, the colour is
// blended at q relative to the mask it now holds.
template <class F>
inline void BlendPixelWithMask(uint8_t* d, uint8_t* m, uint32_t q, uint32_t colour) {
  if (q == 255) {
    F::Store(d, colour);
    *m = 255;
    return;
  }
  uint32_t mask = *m;
  mask += q * (255 - mask) / 255;
  *m = static_cast<uint8_t>(mask);
  uint32_t w = mask == 0 ? 255 : q * 255 / mask;
  F::Store(d, pixel::Blend<F>(colour, F::Load(d), w));
}

template <class F>
void StampOutlineOf(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, const TGlyphSpan& span,
                    uint32_t colour, int32_t outline) {
  TRect clip = destination.GetClipRect();
  int64_t pitch = destination.Pitch();
  int64_t mask_pitch = mask.Pitch();
  uint8_t* origin = destination.Lock(0, 0);
  uint8_t* mask_origin = mask.Lock(0, 0);
  if (!origin || !mask_origin) {
    if (origin) destination.Unlock();
    if (mask_origin) mask.Unlock();
    return;
  }
  auto address = [&](int32_t x, int32_t y) { return origin + y * pitch + static_cast<int64_t>(x) * F::kBytes; };
  auto mask_address = [&](int32_t x, int32_t y) { return mask_origin + y * mask_pitch + x; };
  // Wide outlines take the per-target path: the offset table would grow with the square of the width.
  bool inside = outline <= kOutlineTableLimit && static_cast<int64_t>(span.box.left) - outline >= clip.left &&
                static_cast<int64_t>(span.box.top) - outline >= clip.top &&
                static_cast<int64_t>(span.box.right) + outline <= clip.right &&
                static_cast<int64_t>(span.box.bottom) + outline <= clip.bottom;
  // The target offsets, computed once and moved along with the source pixel.
  std::vector<int64_t> offsets;
  std::vector<int64_t> mask_offsets;
  if (inside) {
    for (int32_t dy = -outline; dy <= outline; ++dy) {
      for (int32_t dx = -outline; dx <= outline; ++dx) {
        if (dx == 0 && dy == 0) continue;
        offsets.push_back(dy * pitch + static_cast<int64_t>(dx) * F::kBytes);
        mask_offsets.push_back(dy * mask_pitch + dx);
      }
    }
  }
  for (int32_t y = span.box.top; y < span.box.bottom; ++y) {
    const uint8_t* source = CoverageRow(coverage, span.source_y + (y - span.box.top)) + span.source_x;
    for (int32_t x = span.box.left; x < span.box.right; ++x) {
      uint32_t q = source[x - span.box.left];
      if (q == 0) continue;
      if (inside) {
        uint8_t* d = address(x, y);
        uint8_t* m = mask_address(x, y);
        for (size_t k = 0; k < offsets.size(); ++k)
          BlendPixelWithMask<F>(d + offsets[k], m + mask_offsets[k], q, colour);
        continue;
      }
      // Only the targets inside the clip, in the same order.
      int32_t dy_first = static_cast<int32_t>(std::max<int64_t>(-outline, static_cast<int64_t>(clip.top) - y));
      int32_t dy_last = static_cast<int32_t>(std::min<int64_t>(outline, static_cast<int64_t>(clip.bottom) - 1 - y));
      int32_t dx_first = static_cast<int32_t>(std::max<int64_t>(-outline, static_cast<int64_t>(clip.left) - x));
      int32_t dx_last = static_cast<int32_t>(std::min<int64_t>(outline, static_cast<int64_t>(clip.right) - 1 - x));
      for (int32_t dy = dy_first; dy <= dy_last; ++dy) {
        for (int32_t dx = dx_first; dx <= dx_last; ++dx) {
          if (dx == 0 && dy == 0) continue;
          BlendPixelWithMask<F>(address(x + dx, y + dy), mask_address(x + dx, y + dy), q, colour);
        }
      }
    }
  }
  mask.Unlock();
  destination.Unlock();
}

// (x, y, width, height) as a rectangle, kept inside the int32 range.
TRect Box(int64_t x, int64_t y, int64_t width, int64_t height) {
  return {ClampToInt32(x), ClampToInt32(y), ClampToInt32(x + width), ClampToInt32(y + height)};
}

// Collects the union of what was drawn.
struct TAnswer {
  TRect rect;
  void Add(const TRect& r) {
    if (!r.IsEmpty()) rect = UnionRect(rect, r);
  }
};

}  // namespace

namespace glyph {

void FillSolid(TCustomDIBX& destination, const TDIBX& coverage, int32_t x, int32_t y, uint32_t colour) {
  ForGlyphFormat(destination, coverage, x, y, [&](auto format, const TGlyphSpan& span) {
    using F = decltype(format);
    ForEachCovered<F>(destination, nullptr, coverage, span, [&](uint32_t q, uint8_t* d, uint8_t*) {
      if (q != 0) F::Store(d, colour);
    });
  });
}

void BlendOverColour(TCustomDIBX& destination, const TDIBX& coverage, int32_t x, int32_t y, uint32_t outer,
                     uint32_t inner) {
  ForGlyphFormat(destination, coverage, x, y, [&](auto format, const TGlyphSpan& span) {
    using F = decltype(format);
    ForEachCovered<F>(destination, nullptr, coverage, span, [&](uint32_t q, uint8_t* d, uint8_t*) {
      if (q == 255) {
        F::Store(d, inner);
      } else if (q != 0) {
        F::Store(d, pixel::Blend<F>(inner, outer, q));
      }
    });
  });
}

void BlendWithMask(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, int32_t x, int32_t y,
                   uint32_t colour) {
  if (!MaskFits(destination, mask)) return;
  ForGlyphFormat(destination, coverage, x, y, [&](auto format, const TGlyphSpan& span) {
    using F = decltype(format);
    ForEachCovered<F>(destination, &mask, coverage, span, [&](uint32_t q, uint8_t* d, uint8_t* m) {
      if (q != 0) BlendPixelWithMask<F>(d, m, q, colour);
    });
  });
}

void MarkMask(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, int32_t x, int32_t y) {
  if (!MaskFits(destination, mask)) return;
  ForGlyphFormat(destination, coverage, x, y, [&](auto format, const TGlyphSpan& span) {
    using F = decltype(format);
    ForEachCovered<F>(destination, &mask, coverage, span, [&](uint32_t q, uint8_t*, uint8_t* m) {
      if (q != 0) *m = 255;
    });
  });
}

void MaxMask(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, int32_t x, int32_t y) {
  if (!MaskFits(destination, mask)) return;
  ForGlyphFormat(destination, coverage, x, y, [&](auto format, const TGlyphSpan& span) {
    using F = decltype(format);
    ForEachCovered<F>(destination, &mask, coverage, span, [&](uint32_t q, uint8_t*, uint8_t* m) {
      if (q > *m) *m = static_cast<uint8_t>(q);
    });
  });
}

void StampOutline(TCustomDIBX& destination, TCustomDIBX& mask, const TDIBX& coverage, uint32_t colour, int32_t outline,
                  int32_t x, int32_t y) {
  if (outline < 1 || !MaskFits(destination, mask)) return;
  ForGlyphFormat(destination, coverage, x, y, [&](auto format, const TGlyphSpan& span) {
    StampOutlineOf<decltype(format)>(destination, mask, coverage, span, colour, outline);
  });
}

}  // namespace glyph

TRect TFontPixel::DrawGlyph(TCustomDIBX& destination, TCustomDIBX& mask, const TRect& cell,
                            const TGlyphPaint& paint) const {
  if (IsBlank()) return {};
  const int64_t L = cell.left, T = cell.top, W = cell.Width(), H = cell.Height();
  const int64_t gw = coverage_.Width(), gh = coverage_.Height();
  const int64_t o = std::clamp<int32_t>(paint.outline, 0, kMaxGlyphOutline);
  const int64_t s = std::max<int32_t>(paint.shadow, 0);
  const int64_t U = underline_size_, P = strike_pos_, Z = strike_size_;
  const bool run_start = (static_cast<uint8_t>(paint.edge) & 1) != 0;
  const bool run_end = (static_cast<uint8_t>(paint.edge) & 2) != 0;

  // Centring of a glyph narrower than its cell, weighted by its bearings.
  int64_t x0 = 0;
  int64_t f = std::min<int64_t>(W, size_);
  int64_t e = f - gw;
  if (static_cast<int64_t>(left_) + right_pad_ < e) {
    int64_t total = static_cast<int64_t>(abc_a_) + abc_b_ + abc_c_;
    if (total != 0) {
      long double share =
          static_cast<long double>(abc_a_ + abc_b_ / 2) * static_cast<long double>(e) / static_cast<long double>(total);
      x0 = static_cast<int64_t>(RoundHalfEven(share));
    } else {
      x0 = e / 2;
    }
    x0 = std::max<int64_t>(0, x0 - left_);
  }

  TAnswer answer{Box(L + left_ + x0, T + top_, 2 * o + gw + s, 2 * o + gh + s)};
  const uint32_t c = paint.colour, b = paint.outline_colour, a = paint.shadow_colour;
  auto fill = [&](TRect r, uint32_t pixel) {
    destination.FillRect(r, pixel);
    mask.FillRect(r, 255);
    answer.Add(r);
  };
  // Bars of the shadow start s later at a run start; bars of the text end s earlier at a run end.
  auto shadow_bar = [&](int64_t y, int64_t height) {
    int64_t left = L + (run_start ? s : 0);
    fill(Box(left, y, L + W - left, height), a);
  };
  auto text_bar = [&](int64_t y, int64_t height, uint32_t pixel) {
    fill(Box(L, y, W - (run_end ? s : 0), height), pixel);
  };
  auto at = [](int64_t v) { return ClampToInt32(v); };

  if (o >= 1 || s >= 1) {
    if (paint.box == TGlyphBox::Box) {
      TRect r = Box(L + left_, T + top_, 2 * o + gw + s, 2 * o + gh + s);
      mask.FillRect(r, 0);
      answer.Add(r);
    }
    if (s >= 1) {
      if (U > 0) shadow_bar(T + H - 2 * o - U, 2 * o + U);
      int64_t x = L + o + left_ + s + x0, y = T + o + top_ + s;
      if (o == 0) {
        mask.Draw(at(x), at(y), const_cast<TDIBX&>(coverage_), coverage_.GetBounds(), TDrawFlags::None);
        glyph::FillSolid(destination, coverage_, at(x), at(y), a);
        answer.Add(Box(x, y, gw, gh));
      } else {
        glyph::StampOutline(destination, mask, coverage_, a, static_cast<int32_t>(o), at(x), at(y));
        answer.Add(Box(x - o, y - o, gw + 2 * o, gh + 2 * o));
      }
      if (Z > 0) shadow_bar(T + s + P, 2 * o + Z);
    }
    int64_t x = L + o + left_ + x0, y = T + o + top_;
    if (U > 0) {
      text_bar(T + H - s - o - U, U, c);
      if (o >= 1) {
        text_bar(T + H - s - 2 * o - U, o, b);
        text_bar(T + H - s - o, o, b);
      }
    }
    if (o == 0) {
      glyph::BlendWithMask(destination, mask, coverage_, at(x), at(y), c);
      answer.Add(Box(x, y, gw, gh));
    } else {
      glyph::StampOutline(destination, mask, coverage_, b, static_cast<int32_t>(o), at(x), at(y));
      glyph::MarkMask(destination, mask, coverage_, at(x), at(y));
      glyph::BlendOverColour(destination, coverage_, at(x), at(y), b, c);
      answer.Add(Box(x - o, y - o, gw + 2 * o, gh + 2 * o));
    }
    if (Z > 0) {
      text_bar(T + o + P, Z, c);
      if (o >= 1) {
        text_bar(T + P, o, b);
        text_bar(T + P + o + Z, o, b);
      }
    }
    return answer.rect;
  }

  int64_t x = L + left_ + x0, y = T + top_;
  if (paint.box == TGlyphBox::Box) {
    destination.FillRect(Box(x, y, gw, gh), c);
    mask.Draw(at(x), at(y), const_cast<TDIBX&>(coverage_), coverage_.GetBounds(), TDrawFlags::None);
  } else {
    glyph::FillSolid(destination, coverage_, at(x), at(y), c);
    glyph::MaxMask(destination, mask, coverage_, at(x), at(y));
  }
  answer.Add(Box(x, y, gw, gh));
  if (U > 0) {
    TRect r = Box(L, T + H - U, W, U);
    mask.FillRect(r, 255);
    answer.Add(r);
  }
  if (Z > 0) {
    TRect r = Box(L, T + P, W, Z);
    mask.FillRect(r, 255);
    answer.Add(r);
  }
  return answer.rect;
}

}  // namespace orvo
