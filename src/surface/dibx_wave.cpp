#include "surface/dibx_wave.h"

#include <algorithm>

namespace orvo {

namespace {

int32_t Shift(int32_t value, int32_t offset) { return ClampToInt32(static_cast<int64_t>(value) + offset); }

TRect ShiftRect(const TRect& r, int32_t offset) {
  return {Shift(r.left, offset), r.top, Shift(r.right, offset), r.bottom};
}

// Restores a surface's clip when a forwarded operation ends, also by an exception.
class TClipRestorer {
 public:
  explicit TClipRestorer(TCustomDIBX& surface) : surface_(surface), saved_(surface.SaveClip()) {}
  ~TClipRestorer() { surface_.RestoreClip(saved_); }

 private:
  TCustomDIBX& surface_;
  TClipState saved_;
};

}  // namespace

template <class Op>
void TDIBXWave::ForEachBand(Op&& op) {
  if (target_ == nullptr) return;
  TRect clip = GetClipRect();
  if (clip.IsEmpty()) return;
  TClipRestorer restorer(*target_);
  TRect target_clip = target_->GetClipRect();
  auto offset_of = [&](int32_t row, int32_t& offset) {
    int64_t i = static_cast<int64_t>(row) - origin_y_;
    if (i < 0 || i >= static_cast<int64_t>(offsets_.size())) return false;
    offset = offsets_[static_cast<size_t>(i)];
    return true;
  };
  int32_t row = clip.top;
  while (row < clip.bottom) {
    int32_t offset;
    if (!offset_of(row, offset)) {
      ++row;
      continue;
    }
    int32_t end = row + 1;
    int32_t next;
    while (end < clip.bottom && offset_of(end, next) && next == offset) ++end;
    TRect band = IntersectRect(TRect{clip.left, row, clip.right, end}, target_clip);
    if (!band.IsEmpty()) {
      target_->SetClipRect(band);
      op(*target_, offset);
    }
    row = end;
  }
}

void TDIBXWave::SaveTargetClip() {
  if (target_) saved_target_clip_ = target_->SaveClip();
}

void TDIBXWave::RestoreTargetClip() {
  if (target_) target_->RestoreClip(saved_target_clip_);
}

int TDIBXWave::BitCount() const { return target_ ? target_->BitCount() : 0; }
int TDIBXWave::StoredBitCount() const { return target_ ? target_->StoredBitCount() : 0; }

void TDIBXWave::SetSize(int32_t width, int32_t height, int bits) {
  TCustomDIBX::SetSize(width, height, bits);
  offsets_.resize(static_cast<size_t>(std::max(height, 0)), 0);
}

TRect TDIBXWave::ClipArea() const {
  return {origin_x_, origin_y_, Shift(origin_x_, width_), Shift(origin_y_, height_)};
}

void TDIBXWave::ResetClip() {
  TCustomDIBX::ResetClip();
  if (target_) target_->ResetClip();
}

void TDIBXWave::AddClip(const TRect& r) {
  TCustomDIBX::AddClip(r);
  if (target_ && SaveClip().set) target_->AddClip(GetClipRect());
}

int32_t TDIBXWave::ColorToPixel(int32_t colour) const {
  return target_ ? target_->ColorToPixel(colour) : TCustomDIBX::ColorToPixel(colour);
}

void TDIBXWave::Clear(uint32_t pixel) { FillRect(ClipArea(), pixel); }

void TDIBXWave::FillRect(const TRect& r, uint32_t pixel) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.FillRect(ShiftRect(r, dx), pixel); });
}
void TDIBXWave::FillRectBlend(const TRect& r, uint32_t pixel, int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.FillRectBlend(ShiftRect(r, dx), pixel, opacity); });
}
void TDIBXWave::FillRectAdd(const TRect& r, uint32_t pixel) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.FillRectAdd(ShiftRect(r, dx), pixel); });
}
void TDIBXWave::FillRectSub(const TRect& r, uint32_t pixel) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.FillRectSub(ShiftRect(r, dx), pixel); });
}

void TDIBXWave::Assign(TCustomDIBX& source) {
  Draw(origin_x_, origin_y_, source, source.GetBounds(), TDrawFlags::None);
}

void TDIBXWave::Draw(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.Draw(Shift(x, dx), y, source, source_rect, flags); });
}
void TDIBXWave::DrawMask(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                         TCustomDIBX& mask) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.DrawMask(Shift(x, dx), y, source, source_rect, flags, mask); });
}
void TDIBXWave::DrawBlend(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                          int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.DrawBlend(Shift(x, dx), y, source, source_rect, flags, opacity); });
}
void TDIBXWave::DrawMaskBlend(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                              TCustomDIBX& mask, int opacity) {
  ForEachBand(
      [&](TCustomDIBX& t, int32_t dx) { t.DrawMaskBlend(Shift(x, dx), y, source, source_rect, flags, mask, opacity); });
}
void TDIBXWave::DrawAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                        int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.DrawAdd(Shift(x, dx), y, source, source_rect, flags, opacity); });
}
void TDIBXWave::DrawMaskAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                            TCustomDIBX& mask, int opacity) {
  ForEachBand(
      [&](TCustomDIBX& t, int32_t dx) { t.DrawMaskAdd(Shift(x, dx), y, source, source_rect, flags, mask, opacity); });
}
void TDIBXWave::DrawColorMask(int32_t x, int32_t y, TCustomDIBX& mask, const TRect& source_rect, TDrawFlags flags,
                              uint32_t pixel, int opacity) {
  ForEachBand(
      [&](TCustomDIBX& t, int32_t dx) { t.DrawColorMask(Shift(x, dx), y, mask, source_rect, flags, pixel, opacity); });
}
void TDIBXWave::DrawTransformed(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                                const TRect& source_rect, int32_t pivot_x, int32_t pivot_y, long double angle,
                                TDrawFlags flags, int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.DrawTransformed(Shift(x, dx), y, scale_x, scale_y, source, source_rect, pivot_x, pivot_y, angle, flags, opacity);
  });
}
void TDIBXWave::DrawTransformedMask(int32_t x, int32_t y, long double scale_x, long double scale_y, TCustomDIBX& source,
                                    const TRect& source_rect, int32_t pivot_x, int32_t pivot_y, long double angle,
                                    TDrawFlags flags, TCustomDIBX& mask, int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.DrawTransformedMask(Shift(x, dx), y, scale_x, scale_y, source, source_rect, pivot_x, pivot_y, angle, flags, mask,
                          opacity);
  });
}
void TDIBXWave::StretchDraw(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                            int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.StretchDraw(ShiftRect(dest_rect, dx), source, source_rect, flags, opacity);
  });
}
void TDIBXWave::StretchDrawMask(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                                TCustomDIBX& mask, int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.StretchDrawMask(ShiftRect(dest_rect, dx), source, source_rect, flags, mask, opacity);
  });
}
void TDIBXWave::StretchDrawAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                               int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.StretchDrawAdd(ShiftRect(dest_rect, dx), source, source_rect, flags, opacity);
  });
}
void TDIBXWave::StretchDrawMaskAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                                   TDrawFlags flags, TCustomDIBX& mask, int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.StretchDrawMaskAdd(ShiftRect(dest_rect, dx), source, source_rect, flags, mask, opacity);
  });
}
void TDIBXWave::DrawCoverage(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, uint32_t pixel,
                             TDrawFlags flags, int opacity, int factor) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.DrawCoverage(Shift(x, dx), y, source, source_rect, pixel, flags, opacity, factor);
  });
}
void TDIBXWave::DrawCoverage3(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect,
                              const TColor3& colours, TDrawFlags flags, int opacity, int factor) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.DrawCoverage3(Shift(x, dx), y, source, source_rect, colours, flags, opacity, factor);
  });
}
void TDIBXWave::PatternFrame(const TRect& r, int thickness, TCustomDIBX& texture, int32_t origin_x, int32_t origin_y) {
  ForEachBand(
      [&](TCustomDIBX& t, int32_t dx) { t.PatternFrame(ShiftRect(r, dx), thickness, texture, origin_x, origin_y); });
}
void TDIBXWave::DrawNibblePalette(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                                  int opacity, const TNibblePalette& table) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.DrawNibblePalette(Shift(x, dx), y, source, source_rect, flags, opacity, table);
  });
}
void TDIBXWave::DrawPaletteAdd(int32_t x, int32_t y, TCustomDIBX& source, const TRect& source_rect, int threshold,
                               TDrawFlags flags, int opacity, const TBytePalette& table) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.DrawPaletteAdd(Shift(x, dx), y, source, source_rect, threshold, flags, opacity, table);
  });
}
void TDIBXWave::StretchDrawPaletteAdd(const TRect& dest_rect, TCustomDIBX& source, const TRect& source_rect,
                                      int threshold, TDrawFlags flags, int opacity, const TBytePalette& table) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.StretchDrawPaletteAdd(ShiftRect(dest_rect, dx), source, source_rect, threshold, flags, opacity, table);
  });
}
// Tiled stretches draw every tile of a band in one pass on the target, so the
// whole tiling moves with the band like every other operation.
void TDIBXWave::TileStretchDraw(const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                                long double scale_y, TCustomDIBX& source, const TRect& source_rect, TDrawFlags flags,
                                int opacity, int32_t origin_x, int32_t origin_y) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.TileStretchDraw(ShiftRect(dest_rect, dx), pitch_x, pitch_y, scale_x, scale_y, source, source_rect, flags, opacity,
                      origin_x, origin_y);
  });
}
void TDIBXWave::TileStretchDrawMask(const TRect& dest_rect, int32_t pitch_x, int32_t pitch_y, long double scale_x,
                                    long double scale_y, TCustomDIBX& source, const TRect& source_rect,
                                    TCustomDIBX& mask, TDrawFlags flags, int opacity, int32_t origin_x,
                                    int32_t origin_y) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.TileStretchDrawMask(ShiftRect(dest_rect, dx), pitch_x, pitch_y, scale_x, scale_y, source, source_rect, mask,
                          flags, opacity, origin_x, origin_y);
  });
}
void TDIBXWave::ScaledPatternFill(const TRect& r, TCustomDIBX& texture, long double scale_x, long double scale_y,
                                  int32_t origin_x, int32_t origin_y, TDrawFlags flags, int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.ScaledPatternFill(ShiftRect(r, dx), texture, scale_x, scale_y, origin_x, origin_y, flags, opacity);
  });
}
void TDIBXWave::ScaledPatternFillMask(const TRect& r, TCustomDIBX& texture, long double scale_x, long double scale_y,
                                      int32_t origin_x, int32_t origin_y, TCustomDIBX& mask, TDrawFlags flags,
                                      int opacity) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) {
    t.ScaledPatternFillMask(ShiftRect(r, dx), texture, scale_x, scale_y, origin_x, origin_y, mask, flags, opacity);
  });
}
void TDIBXWave::PatternFill(const TRect& r, TCustomDIBX& texture, int32_t origin_x, int32_t origin_y,
                            TDrawFlags flags) {
  ForEachBand([&](TCustomDIBX& t, int32_t dx) { t.PatternFill(ShiftRect(r, dx), texture, origin_x, origin_y, flags); });
}

}  // namespace orvo
