#include "stage/label_list.h"

#include <algorithm>
#include <unordered_map>

#include "base/cp932.h"
#include "stage/stage.h"
#include "surface/font_pixel_manager.h"

namespace orvo {

namespace {

constexpr int64_t kReservedBytes = 212;

}  // namespace

const std::string& DefaultLabelFace() {
  static const std::string kFace = Utf8ToCp932("ＭＳ Ｐゴシック");
  return kFace;
}

const std::string& FallbackLabelFace() {
  static const std::string kFace = Utf8ToCp932("ＭＳ ゴシック");
  return kFace;
}

TKwLabelList::TKwLabelList() : face(DefaultLabelFace()) {}

TKwLabelList::~TKwLabelList() = default;

TKwLabelDIB& TKwLabelList::AddLabel(const std::string& text) {
  labels_.push_back(std::make_unique<TKwLabelDIB>());
  labels_.back()->text_ = text;
  return *labels_.back();
}

void TKwLabelList::SetText(int32_t index, const std::string& text) {
  if (index < 0 || index >= Count()) return;
  TKwLabelDIB& label = Label(index);
  label.text_ = text;
  label.needs_render_ = true;
  label.width_ = 0;
  label.char_widths_.clear();
  label.codes_.clear();
}

int32_t TKwLabelList::RowHeight() const {
  const int64_t height = int64_t{font_size} + 2 * int64_t{outline} + shadow;
  return static_cast<int32_t>(std::clamp<int64_t>(height, 0, kMaxStageSide));
}

void TKwLabelList::MeasureLabel(TKwLabelDIB& label) {
  label.height_ = RowHeight();
  label.codes_.clear();
  label.char_widths_.clear();
  label.width_ = 0;
  if (!glyphs_ || font_size < 1) return;
  const std::string& used_face = face.empty() ? FallbackLabelFace() : face;
  const int64_t extra = 2 * int64_t{std::max(outline, 0)} + std::max(shadow, 0);
  int64_t width = 0;
  for (uint16_t code : CodesOfText(label.text_)) {
    const TGlyphMetrics metrics = glyphs_->GlyphMetrics(code, used_face, font_size, style);
    const int64_t advance = std::max<int64_t>(int64_t{metrics.left} + metrics.width + metrics.right_pad + extra, 0);
    // A caption never grows past the side a surface may have: the rest is cut.
    if (width + advance > kMaxStageSide) break;
    width += advance;
    label.codes_.push_back(code);
    label.char_widths_.push_back(static_cast<int32_t>(advance));
  }
  label.width_ = static_cast<int32_t>(width);
}

void TKwLabelList::Measure() {
  for (auto& label : labels_) MeasureLabel(*label);
}

void TKwLabelList::Render(TKwLabelDIB& label) {
  label.needs_render_ = false;
  const int bits = target_ && target_->BitCount() >= 15 ? target_->BitCount() : 32;
  if (label.width_ < 1 || label.height_ < 1) {
    label.colour_.SetSize(0, 0, bits);
    label.mask_.SetSize(0, 0, 8);
    return;
  }
  if (label.colour_.Width() != label.width_ || label.colour_.Height() != label.height_ ||
      label.colour_.BitCount() != bits) {
    label.colour_.SetSize(label.width_, label.height_, bits);
    label.mask_.SetSize(label.width_, label.height_, 8);
  }
  label.mask_.Clear(0);
  if (!glyphs_) return;
  glyphs_->SetGlyphMode(smoothing);
  const std::string& used_face = face.empty() ? FallbackLabelFace() : face;
  TGlyphPaint paint;
  paint.outline = std::max(outline, 0);
  paint.shadow = std::max(shadow, 0);
  paint.colour = static_cast<uint32_t>(label.colour_.ColorToPixel(colour));
  paint.outline_colour = static_cast<uint32_t>(label.colour_.ColorToPixel(outline_colour));
  paint.shadow_colour = static_cast<uint32_t>(label.colour_.ColorToPixel(shadow_colour));
  int32_t x = 0;
  const size_t count = label.codes_.size();
  for (size_t i = 0; i < count; ++i) {
    const int32_t advance = label.char_widths_[i];
    const bool first = i == 0, last = i + 1 == count;
    paint.edge = first && last ? TRunEdge::Alone : first ? TRunEdge::Start : last ? TRunEdge::End : TRunEdge::Middle;
    auto glyph = glyphs_->GetGlyph(label.codes_[i], used_face, style, font_size);
    glyph->DrawGlyph(label.colour_, label.mask_, TRect{x, 0, x + advance, font_size}, paint);
    x += advance;
  }
}

void TKwLabelList::DrawLabel(TKwLabelDIB& label, int32_t x, int32_t y) {
  if (!target_) return;
  const int bits = target_->BitCount() >= 15 ? target_->BitCount() : 32;
  if (label.needs_render_ || (label.width_ > 0 && label.colour_.BitCount() != bits)) Render(label);
  if (label.width_ < 1 || label.height_ < 1 || label.mask_.IsEmpty() || opacity <= 0) return;
  const TRect source{0, 0, label.width_, label.height_};
  const int alpha = std::min(opacity, 255);
  if (outline <= 0 && shadow <= 0) {
    target_->DrawColorMask(x, y, label.mask_, source, TDrawFlags::None,
                           static_cast<uint32_t>(target_->ColorToPixel(colour)), alpha);
  } else if (alpha < 255) {
    target_->DrawMaskBlend(x, y, label.colour_, source, TDrawFlags::None, label.mask_, alpha);
  } else {
    target_->DrawMask(x, y, label.colour_, source, TDrawFlags::None, label.mask_);
  }
}

void TKwLabelList::MarkAll() {
  for (auto& label : labels_) label->needs_render_ = true;
}

void TKwLabelList::ReleaseLabels() {
  for (auto& label : labels_) {
    label->colour_.SetSize(0, 0, 32);
    label->mask_.SetSize(0, 0, 8);
    label->needs_render_ = true;
  }
}

int32_t TKwLabelList::WidestLabel() const {
  int32_t widest = 0;
  for (const auto& label : labels_) widest = std::max(widest, label->width_);
  return widest;
}

void TKwLabelList::WriteLabels(TBinaryWriter& writer) const {
  writer.WriteInt32(smoothing);
  writer.WriteInt32(outline);
  writer.WriteInt32(opacity);
  writer.WriteInt32(font_size);
  writer.WriteString(face);
  writer.WriteInt32(colour);
  writer.WriteInt32(outline_colour);
  writer.WriteByte(style);
  const std::string reserved(static_cast<size_t>(kReservedBytes), '\0');
  writer.WriteBytes(reserved);
  writer.WriteInt32(shadow);
  writer.WriteInt32(shadow_colour);
}

void TKwLabelList::ReadLabels(TBinaryReader& reader, int32_t version) {
  smoothing = reader.ReadInt32();
  if (version < 109) smoothing = smoothing > 1 ? 3 : 0;
  outline = reader.ReadInt32();
  opacity = reader.ReadInt32();
  font_size = reader.ReadInt32();
  face = reader.ReadString();
  colour = reader.ReadInt32();
  outline_colour = reader.ReadInt32();
  style = reader.ReadByte();
  reader.Skip(kReservedBytes);
  if (version > 121) {
    shadow = reader.ReadInt32();
    shadow_colour = reader.ReadInt32();
  }
  MarkAll();
}

}  // namespace orvo
