#pragma once
// The glyph-picture label (kind 24): text written with hand-drawn letters.
// Its source is a sheet of equal cells, its map text names the character of
// each cell, and every character of the text draws its cell.
#include <cstdint>
#include <string>
#include <vector>

#include "stage/image_list.h"
#include "stage/orvo_control.h"

namespace orvo {

// The cell index of every character of every line of text: the position,
// counted in characters, of its first occurrence in map_text, -1 when absent.
// Lines end at CR LF, LF or CR; a lead byte and the byte after it are one
// character, a lead byte at the end one of its own.
std::vector<std::vector<int32_t>> MapGlyphLines(const std::string& text, const std::string& map_text);

class TOrvoCGLabel : public TOrvoControl {
 public:
  explicit TOrvoCGLabel(TOrvoBaseList& stage);
  ~TOrvoCGLabel() override;

  uint8_t CompoType() const override { return kcCGLabel; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // The sheet's own looping animation; repaints when its frame changed.
  bool Update() override;
  // Each character's cell, then the children; nothing at all without a size or a sheet frame.
  void Paint(TCustomDIBX& surface) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  const std::vector<std::vector<int32_t>>& Lines() const { return lines_; }
  int32_t GlyphWidth() const { return glyph_width_; }
  int32_t GlyphHeight() const { return glyph_height_; }
  int32_t Alpha() const { return alpha_; }
  const TOrvoImageList& Sheet() const { return sheet_; }

 private:
  void SetSource(const std::string& source);
  void Remap();
  // Width and Height from the lines, the cell size and the line space.
  void ApplySize();

  std::string source_;
  std::string text_;
  std::string map_text_;
  int32_t glyph_width_ = 1;
  int32_t glyph_height_ = 1;
  int32_t line_space_ = 0;
  bool paused_ = false;
  uint8_t align_ = 0;
  int32_t alpha_ = 0;
  TOrvoImageList sheet_;
  std::vector<std::vector<int32_t>> lines_;
};

}  // namespace orvo
