#include <algorithm>
#include <cstring>

#include "image/picture_loader.h"
#include "surface/view.h"
#include "wipe/wipe.h"

namespace orvo {

TCustomWipe::TCustomWipe(TCustomDIBX& destination, TCustomDIBX& from, TCustomDIBX& to)
    : destination_(&destination), from_(&from), to_(&to) {}

TCustomWipe::~TCustomWipe() = default;

void TCustomWipe::SetReverse(bool reverse) { reverse_ = reverse; }

int32_t TCustomWipe::GetParam(int index) const { return index == 0 || index == 1 ? params_[index] : 0; }

void TCustomWipe::SetParam(int index, int32_t value) {
  if (index == 0 || index == 1) params_[index] = value;
}

void TCustomWipe::SetText(const std::string& text) { text_ = text; }

void TCustomWipe::Prepare() {}

bool TCustomWipe::Step() {
  update_rect_ = TRect{};
  if (elapsed_ >= duration_) return true;
  if (Width() <= 0 || Height() <= 0) return false;
  if (DrawStep()) update_rect_ = destination_->GetBounds();
  return false;
}

uint32_t TCustomWipe::Grey(int v) const {
  v = std::clamp(v, 0, 255);
  return static_cast<uint32_t>(destination_->ColorToPixel(v | (v << 8) | (v << 16)));
}

bool TCustomWipe::SameShapes() const {
  const auto same = [this](const TCustomDIBX& s) {
    return s.Width() == Width() && s.Height() == Height() && s.BitCount() == destination_->BitCount();
  };
  return same(*from_) && same(*to_) && pixel::IsDrawableBits(destination_->BitCount());
}

std::vector<uint8_t> TCustomWipe::BuildRule() const {
  const int32_t w = std::max(Width(), 0);
  const int32_t h = std::max(Height(), 0);
  std::vector<uint8_t> rule(static_cast<size_t>(w) * static_cast<size_t>(h), 255);
  if (text_.empty() || !rule_loader_ || rule.empty()) return rule;
  TDIBSurface picture;
  try {
    if (!rule_loader_(text_, picture)) return rule;
  } catch (const std::exception&) {
    // A damaged rule picture leaves the uniform rule, like a missing one.
    return rule;
  }
  const int32_t pw = picture.Width();
  const int32_t ph = picture.Height();
  if (pw <= 0 || ph <= 0) return rule;
  std::vector<uint8_t> grey(static_cast<size_t>(pw) * static_cast<size_t>(ph));
  for (int32_t y = 0; y < ph; ++y) {
    for (int32_t x = 0; x < pw; ++x) {
      const uint32_t colour = picture.PixelToColor(picture.GetPixel(x, y));
      const uint32_t sum = (colour & 0xFF) + ((colour >> 8) & 0xFF) + ((colour >> 16) & 0xFF);
      // round(sum / 3): thirds never tie, so adding one before dividing rounds.
      uint8_t g = static_cast<uint8_t>((sum + 1) / 3);
      if (Reverse()) g = static_cast<uint8_t>(255 - g);
      grey[static_cast<size_t>(y) * static_cast<size_t>(pw) + static_cast<size_t>(x)] = g;
    }
  }
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* source = &grey[static_cast<size_t>(y % ph) * static_cast<size_t>(pw)];
    uint8_t* row = &rule[static_cast<size_t>(y) * static_cast<size_t>(w)];
    for (int32_t x = 0; x < w; ++x) row[x] = source[x % pw];
  }
  return rule;
}

void TCustomWipe::BuildDifferenceMask(TDIBX& mask) const {
  const int32_t w = from_->Width();
  const int32_t h = from_->Height();
  mask.SetSize(std::max(w, 1), std::max(h, 1), 8);
  mask.Clear(0);
  if (w <= 0 || h <= 0) return;
  pixel::TView from(*from_);
  pixel::TView to(*to_);
  pixel::TView out(mask);
  if (!from.Valid() || !to.Valid() || !out.Valid() || from.Bits() != to.Bits()) return;
  const int bytes = (from.Bits() + 7) / 8;
  const int32_t cw = std::min(w, to.Width());
  const int32_t ch = std::min(h, to.Height());
  for (int32_t y = 0; y < ch; ++y) {
    const uint8_t* a = from.Row(y);
    const uint8_t* b = to.Row(y);
    uint8_t* m = out.Row(y);
    for (int32_t x = 0; x < cw; ++x, a += bytes, b += bytes) {
      m[x] = std::memcmp(a, b, static_cast<size_t>(bytes)) != 0 ? 255 : 0;
    }
  }
}

// ---- the mask compositor

void TWipeMask::SetParam(int index, int32_t value) {
  if (index == 0) params_[0] = std::max(value, 2);
  if (index == 1) params_[1] = std::max(value, 1);
}

void TWipeOrderHMask::SetParam(int index, int32_t value) {
  if (index == 0 || index == 1) params_[index] = std::max(value, 1);
}

void TWipeOrderVMask::SetParam(int index, int32_t value) {
  if (index == 0 || index == 1) params_[index] = std::max(value, 1);
}

int32_t TWipeMask::MaskHeight() const { return Height(); }

TDIBX& TWipeMask::EnsureMask() {
  const int32_t w = std::max(Width(), 1);
  const int32_t h = std::clamp(MaskHeight(), 1, std::max(Height(), 1));
  if (mask_.Width() != w || mask_.Height() != h || mask_.BitCount() != 8) {
    mask_.SetSize(w, h, 8);
    mask_.Clear(0);
    last_progress_ = -1;
  }
  return mask_;
}

void TWipeMask::Prepare() {
  EnsureMask();
  mask_.Clear(0);
  last_progress_ = -1;
}

bool TWipeMask::NewProgress(int64_t value) {
  if (value == last_progress_) return false;
  last_progress_ = value;
  return true;
}

namespace {

// Mask value m as a blend weight of the row kernels: 0 keeps from, 255 copies to.
const pixel::TWeightTable& CompositorWeights() {
  static const pixel::TWeightTable table = pixel::TWeightTable::Blend([](uint32_t m) -> uint16_t {
    return m == 0 ? pixel::kSkip : m == 255 ? pixel::kCopy : static_cast<uint16_t>(m);
  });
  return table;
}

template <class F>
void ComposeRows(pixel::TView& out, pixel::TView& from, pixel::TView& to, pixel::TView& mask) {
  const int32_t w = out.Width();
  const int32_t mh = mask.Height();
  const size_t row_bytes = static_cast<size_t>(w) * F::kBytes;
  for (int32_t y = 0; y < out.Height(); ++y) {
    uint8_t* d = out.Row(y);
    const uint8_t* f = from.Row(y);
    const uint8_t* t = to.Row(y);
    const uint8_t* m = mask.Row(y % mh);
    if constexpr (pixel::kIs32<F>) {
      // The old row, then the new one through the mask with the vector kernel.
      std::memcpy(d, f, row_bytes);
      if (pixel::SimdEnabled()) {
        pixel::MaskRow32Simd(d, t, m, w, CompositorWeights());
      } else {
        pixel::ScalarMaskRow<F>(d, t, m, 1, w, CompositorWeights());
      }
      continue;
    }
    int32_t x = 0;
    while (x < w) {
      const uint8_t value = m[x];
      int32_t end = x + 1;
      if (value == 0 || value == 255) {
        // Runs of a hard value are plain copies from one picture.
        while (end < w && m[end] == value) ++end;
        const uint8_t* source = value == 0 ? f : t;
        std::memcpy(d + static_cast<size_t>(x) * F::kBytes, source + static_cast<size_t>(x) * F::kBytes,
                    static_cast<size_t>(end - x) * F::kBytes);
      } else {
        const size_t at = static_cast<size_t>(x) * F::kBytes;
        F::Store(d + at, pixel::Blend<F>(F::Load(t + at), F::Load(f + at), value));
      }
      x = end;
    }
  }
}

}  // namespace

bool TWipeMask::DrawStep() {
  EnsureMask();
  if (!UpdateMask()) return false;
  if (!SameShapes()) return false;
  pixel::TView out(Destination());
  pixel::TView from(From());
  pixel::TView to(To());
  pixel::TView mask(mask_);
  if (!out.Valid() || !from.Valid() || !to.Valid() || !mask.Valid()) return false;
  pixel::DispatchFormat(out.Bits(), [&](auto format) { ComposeRows<decltype(format)>(out, from, to, mask); });
  return true;
}

bool DecodeRulePicture(std::string_view bytes, std::string_view name, int32_t code, TDIBSurface& picture) {
  TPictureRequest request;
  request.code = code;
  request.frames = TFrameSelection::FirstOnly;
  TPicture decoded;
  if (!DecodePicture(bytes, name, request, decoded) || decoded.frames.empty()) return false;
  picture = std::move(decoded.frames.front().picture);
  return true;
}

}  // namespace orvo
