#pragma once
// The caption renderer of buttons and list menus: a list of one-line labels
// sharing one font, each rendered once into a colour picture and an 8-bit
// mask through the glyph manager and drawn from there until a font or text
// change marks it again.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "surface/dibx.h"

namespace orvo {

class TFontPixelManager;

class TKwLabelDIB {
 public:
  const std::string& Text() const { return text_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool NeedsRender() const { return needs_render_; }
  // The advance of each drawn character (the text past the side limit is cut).
  const std::vector<int32_t>& CharWidths() const { return char_widths_; }
  const TDIBX& ColourSurface() const { return colour_; }
  const TDIBX& Mask() const { return mask_; }

 private:
  friend class TKwLabelList;

  std::string text_;
  std::vector<uint16_t> codes_;
  std::vector<int32_t> char_widths_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool needs_render_ = true;
  TDIBX colour_;
  TDIBX mask_;
};

class TKwLabelList {
 public:
  TKwLabelList();
  ~TKwLabelList();
  TKwLabelList(const TKwLabelList&) = delete;
  TKwLabelList& operator=(const TKwLabelList&) = delete;

  // ---- the shared font (a change of any of them needs MarkAll)
  int32_t smoothing = 3;
  int32_t outline = 0;
  int32_t opacity = 255;
  int32_t font_size = 12;
  std::string face;
  int32_t colour = 0xFFFFFF;
  int32_t outline_colour = 0;
  uint8_t style = 0;
  int32_t shadow = 0;
  int32_t shadow_colour = 0;

  // Where glyphs come from; null measures and draws nothing.
  void SetGlyphs(TFontPixelManager* glyphs) { glyphs_ = glyphs; }
  void SetTarget(TCustomDIBX* target) { target_ = target; }

  int32_t Count() const { return static_cast<int32_t>(labels_.size()); }
  TKwLabelDIB& Label(int32_t index) { return *labels_[static_cast<size_t>(index)]; }
  const TKwLabelDIB& Label(int32_t index) const { return *labels_[static_cast<size_t>(index)]; }
  TKwLabelDIB& AddLabel(const std::string& text);
  void Clear() { labels_.clear(); }
  void SetText(int32_t index, const std::string& text);

  // Sizes every label from the glyph metrics.
  void Measure();
  void MeasureLabel(TKwLabelDIB& label);
  // The height every label has: font size, outline on both sides, shadow.
  int32_t RowHeight() const;
  // Renders the label's glyphs into its pictures.
  void Render(TKwLabelDIB& label);
  // Draws the label at (x, y) of the target (rendering it first when needed).
  void DrawLabel(TKwLabelDIB& label, int32_t x, int32_t y);
  void MarkAll();
  void ReleaseLabels();
  int32_t WidestLabel() const;

  // The record of the font (not the labels' texts).
  void WriteLabels(TBinaryWriter& writer) const;
  void ReadLabels(TBinaryReader& reader, int32_t version);

 private:
  TFontPixelManager* glyphs_ = nullptr;
  TCustomDIBX* target_ = nullptr;
  std::vector<std::unique_ptr<TKwLabelDIB>> labels_;
};

// The default face of captions, labels and menus ("ＭＳ Ｐゴシック", CP932).
const std::string& DefaultLabelFace();
// The face used when a label's face is empty ("ＭＳ ゴシック", CP932).
const std::string& FallbackLabelFace();

}  // namespace orvo
