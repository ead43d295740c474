#pragma once
// The text document: the flat glyph list of one message text, the shared
// style, condition and link records its glyphs use, and the settings of the
// message object that shows it. Markup, glyph streams, copies and variable
// values all end in this one structure, which the layout then pages.
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/binary_io.h"
#include "base/rect.h"
#include "base/stream.h"
#include "surface/dibx.h"
#include "text/glyph.h"
#include "text/measure.h"
#include "text/records.h"

namespace orvo {

class TExprEngine;
class TFontPixelManager;

// The version the writer produces, and the one markup corresponds to.
constexpr int32_t kNewestGlyphStreamVersion = 105;
// The default face, "ＭＳ ゴシック" in CP932.
inline constexpr std::string_view kDefaultFaceName = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
// The wait base of markup built without a running game ("@TextDelay" after a reset).
constexpr int32_t kDefaultTextDelay = 50;

enum class THistoryVars : uint8_t { Skip, Include };

class TKwWord {
 public:
  TKwWord();
  ~TKwWord();
  TKwWord(const TKwWord&) = delete;
  TKwWord& operator=(const TKwWord&) = delete;

  // ---- glyph list
  // Frees every glyph and record, the frozen values, and sets the bases to 0.
  void ClearGlyphs();
  int32_t GlyphCount() const { return static_cast<int32_t>(glyphs_.size()); }
  TWdGlyph* GlyphAt(int32_t index) const {
    return index >= 0 && index < GlyphCount() ? glyphs_[static_cast<size_t>(index)].get() : nullptr;
  }
  // -1 when absent; hint is where to start looking (the glyph is usually near).
  int32_t IndexOfGlyph(const TWdGlyph* glyph, int32_t hint = 0) const;
  // Inserts at index (clamped to the list) and takes ownership.
  TWdGlyph* InsertGlyph(int32_t index, std::unique_ptr<TWdGlyph> glyph);
  TWdGlyph* AppendGlyph(std::unique_ptr<TWdGlyph> glyph) { return InsertGlyph(GlyphCount(), std::move(glyph)); }
  // Frees the glyph at index (and releases its records).
  void DeleteGlyph(int32_t index);
  // A new glyph of the stream kind code (low 7 bits), holding the default
  // records; null for codes without a kind. Not yet in the list.
  std::unique_ptr<TWdGlyph> CreateGlyph(uint8_t type_code);

  // ---- the ways text comes in
  // Builds the glyphs of markup lines (see markup.h); raises EMarkupError at
  // an A tag without HREF or an IF tag without TARGET, keeping what was built.
  // The wait base is "@TextDelay" of the engine (kDefaultTextDelay without one).
  void BuildFromMarkup(const std::vector<std::string>& lines);
  void BuildFromMarkup(const std::vector<std::string>& lines, int32_t text_delay);
  // Appends the records and glyphs of a glyph stream read from the stream's
  // position. A stream that fails to load leaves the document as it was.
  void LoadGlyphs(TStream& stream);
  // Writes the stored glyphs as a stream of the newest version.
  void WriteGlyphs(TStream& stream) const;
  std::string GlyphStreamBytes() const;
  // Appends copies of source's stored glyphs first..last (last < 0 or past the end: through the end).
  void CopyGlyphs(const TKwWord& source, int32_t first, int32_t last);

  // ---- variables
  void ExpandVars(int32_t first, int32_t last, THistoryVars history);
  void CollapseVars(int32_t first, int32_t last);

  // ---- ordinals: positions that glyphs produced by variables do not shift
  int32_t OrdinalOf(const TWdGlyph* glyph) const;
  int32_t IndexOfOrdinal(int32_t ordinal) const;

  // ---- conditions and links
  static bool ConditionHolds(TWdCondition* condition, std::string_view key) {
    return TWdConditionList::ConditionHolds(condition, key);
  }
  void EvaluateLinks(std::string_view key) { links.EvaluateLinks(key); }

  // ---- layout (layout.cpp, measure.cpp)
  // Lays out the glyphs from index first through the glyph of ordinal last
  // (below 0 or past the end: through the end) for the message object key,
  // appends the pages made to pages and arranges every page of pages.
  void Layout(std::vector<std::unique_ptr<TWdPage>>& pages, int32_t first, std::string_view key, int32_t last);
  // The cell of a character: decoration may be null (the document's defaults).
  TCharSize MeasureChar(const TDecorate* decoration, uint16_t code, bool underline);
  void SelectFont(const TDecorate* decoration, bool underline);
  // Whether a row may end between before (may be null) and after.
  static bool BreakAllowed(const TWdGlyph* before, const TWdGlyph* after);
  // The glyphs from index that must share a row, and their width; a glyph
  // hidden from key ends the unit, and so does the end of the range laid out.
  TUnitSize MeasureUnit(int32_t index, std::string_view key, int32_t last_index = INT32_MAX) const;
  // Gives a glyph its size: characters their cell, pictures their picture plus margins.
  void Measure(TWdGlyph& glyph);

  // The fonts that measure (widths without the fixed advance) and draw; null: none installed.
  TFontPixelManager* fonts = nullptr;
  // The pictures of inline images; null: every picture is missing.
  ITextPictures* pictures = nullptr;

  // ---- drawing (render.cpp)
  // Work surfaces as large as the text area (layout width x layout height):
  // A holds the rendered colours, C their coverage; B is kept with A.
  TDIBX work_a, work_b, work_c;
  // The surface Draw paints on, set by the caller before each draw.
  TCustomDIBX* target = nullptr;

  // ---- the settings record of the message object's save
  void WriteSettings(TBinaryWriter& writer, int32_t version = kNewestSettingsVersion) const;
  void ReadSettings(TBinaryReader& reader, int32_t version);
  static constexpr int32_t kNewestSettingsVersion = 200;

  // ---- events: the callback receives each event text the reveal reaches
  std::function<void(TKwWord& document, std::string_view text)> event_callback;
  void FireEvent(std::string_view text) {
    if (event_callback) event_callback(*this, text);
  }

  // ---- dirty rectangles of the layout's drawing
  void AddDirtyRect(const TRect& rect);
  void ClearDirtyRects() { dirty_rects.clear(); }

  // The engine that variables and "@TextDelay" come from; null: variables show
  // only frozen values and markup waits the default delay.
  TExprEngine* engine = nullptr;

  TDecorateList decorations;
  TWdConditionList conditions;
  TWdLinkList links;

  int32_t default_font_size = 12;
  std::string default_face_name{kDefaultFaceName};
  int32_t default_color = 0;
  int32_t layout_height = 0;
  int32_t layout_width = 0;
  int32_t line_spacing = 0;
  int32_t draw_origin_x = 0, draw_origin_y = 0;
  bool paging = true;
  int32_t link_color = 0xFF0000;
  int32_t hover_color = 0x008000;
  int32_t fade_time = 1;
  int32_t border_color = 0x808080;
  TRect clip_rect{};
  int32_t opacity = 255;
  bool paused = false;
  int32_t caret_x = 0, caret_y = 0, caret_height = 0;
  int32_t speed_rate = 0;
  bool notify_enabled = false;
  int32_t smoothing_level = 3;
  int32_t shadow_color = 0;
  int32_t default_border_width = 0;
  int32_t default_shadow_width = 0;
  // Lines "name=value" that variables show instead of evaluating.
  std::vector<std::string> frozen_values;
  bool fixed_advance = true;
  int32_t padding_right = 0, padding_left = 0;
  std::vector<TRect> dirty_rects;
  // Offsets added to the record indexes LoadGlyphs reads.
  int32_t decoration_base = 0, condition_base = 0, link_base = 0;

  // The frozen value of name (ASCII case ignored) with 0x01 turned into CR; false when none.
  bool FrozenValue(std::string_view name, std::string& value) const;

 private:
  friend class TWdOpeVar;
  // A glyph of the kind without any record yet (the stream reader binds them).
  std::unique_ptr<TWdGlyph> CreateBareGlyph(uint8_t type_code);
  std::vector<std::unique_ptr<TWdGlyph>> glyphs_;
  TMeasureState measure_;
};

}  // namespace orvo
