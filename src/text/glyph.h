#pragma once
// The glyphs of a text document: characters, inline pictures and the layout
// operators (line breaks, alignment blocks, indentation, events, variables).
// The document owns them in one flat list; rows and pages of the layout only
// point at them. Style, link and condition values live in the document's
// shared records, so a glyph holds references, never copies.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"
#include "surface/font_pixel.h"
#include "text/records.h"
#include "vars/parser.h"

namespace orvo {

class TKwWord;
class TMarkupBuilder;
class TWdComposite;
class TWdPage;
class TOrvoParser;

// Kind codes of the glyph stream.
enum TGlyphType : uint8_t {
  gtNone = 0,
  gtChar = 1,
  gtDiv = 2,
  gtReturn = 3,
  gtIndent = 4,
  gtUndent = 5,
  gtEvent = 6,
  gtVar = 7,
  gtImg = 9,
  gtHistChar = 10,
  gtSpace = 11,
};

// The concrete class of a glyph, for code that treats each kind apart.
enum class TGlyphKind : uint8_t {
  Composite,
  Row,
  Page,
  Char,
  VarChar,
  Space,
  Img,
  Return,
  VarReturn,
  Div,
  Indent,
  Undent,
  Event,
  Var,
  HistVar,
};

// Align values of rows, blocks and pictures.
enum TWdAlign : uint8_t { waLeft = 1, waRight = 2, waCenter = 3, waTop = 4, waBottom = 5 };

// The unset padding of alignment blocks: the document default applies.
constexpr int32_t kPaddingUnset = -2147483647;

// Record indexes of one glyph read from a stream before the records are
// bound; -1 where the record kind is not stored for this glyph.
struct TGlyphRefs {
  int32_t condition = -1;
  int32_t decoration = -1;
  int32_t link = -1;
  bool link_index = false;  // streams from 105 store a link index
  bool old_href = false;    // older streams store the href itself
  std::string href;
};

// Numbers of the records a stream being written uses, in the order of first use.
class TGlyphStreamWriter;

class TWdGlyph {
 public:
  explicit TWdGlyph(TKwWord& owner) : owner_(&owner) {}
  virtual ~TWdGlyph();
  TWdGlyph(const TWdGlyph&) = delete;
  TWdGlyph& operator=(const TWdGlyph&) = delete;

  TKwWord& Owner() const { return *owner_; }
  // The class of this glyph.
  virtual TGlyphKind Kind() const = 0;
  // Kind code of the glyph stream; 0 for kinds that are never stored.
  virtual uint8_t TypeCode() const { return gtNone; }
  // True for the kinds that markup and streams produce.
  virtual bool IsStored() const { return false; }

  // The page that shows this glyph (a page answers itself); null outside a page.
  virtual TWdPage* OwnerPage() const;
  // Position on the screen: the parent's plus own; a page answers the document's draw origin.
  virtual int32_t ScreenX() const;
  virtual int32_t ScreenY() const;
  // Position within the page: the parent's plus own; a page without parent answers 0.
  virtual int32_t PageY() const;
  void SetBounds(int32_t left, int32_t top, int32_t new_height, int32_t new_width) {
    x = left, y = top, height = new_height, width = new_width;
  }
  // The glyph itself when stored; composites search their children forward or backward.
  virtual const TWdGlyph* FirstStored() const { return IsStored() ? this : nullptr; }
  virtual const TWdGlyph* LastStored() const { return IsStored() ? this : nullptr; }

  // Composite structure (layout); leaves have no children.
  virtual int32_t ChildCount() const { return 0; }
  virtual TWdGlyph* Child(int32_t index) const {
    (void)index;
    return nullptr;
  }

  // Shared records. Glyphs without a decoration or link answer null.
  TWdCondition* Condition() const { return condition_; }
  const std::string& ConditionText() const;
  void SetConditionText(std::string_view text);
  virtual TDecorate* Decoration() const { return nullptr; }
  // Changes the glyph's style values; kinds without a decoration ignore it.
  virtual void SetDecoration(const TDecorateValues& values) { (void)values; }
  virtual TWdLink* Link() const { return nullptr; }
  // Changes href and target; kinds without a link ignore it.
  virtual void SetLink(std::string_view href, std::string_view target) { (void)href, (void)target; }

  // Style accessors through the decoration; empty or 0 for kinds without one.
  std::string FontName() const;
  int32_t FontSize() const;
  uint8_t Style() const;
  int32_t Color() const;
  int32_t BorderColor() const;
  int32_t ShadowColor() const;
  // Outline width and shadow offset: the document default where the decoration holds a negative value.
  int32_t BorderWidth() const;
  int32_t ShadowWidth() const;
  bool NoBreak() const;
  std::string Ruby() const;
  const std::string& LinkHref() const;
  const std::string& LinkTarget() const;
  bool LinkEnabled() const;

  // The character code (characters only).
  virtual uint16_t CharCode() const { return 0; }
  // Bytes of a character (one or two); composites concatenate their children.
  virtual std::string Text() const { return {}; }
  // Text contributed to the message's shown text.
  virtual std::string ShownText() const { return {}; }
  virtual uint8_t Align() const { return 0; }
  virtual void SetAlign(uint8_t align) { (void)align; }
  // Reveal wait in ms: 0 for glyphs without one; an event answers 1 when it ends the text.
  virtual int32_t Wait() const { return 0; }
  virtual void SetWait(int32_t wait) { (void)wait; }
  // Visible glyphs keep opacity within 0..255; others answer 255 and ignore sets.
  virtual int32_t Opacity() const { return 255; }
  virtual void SetOpacity(int32_t opacity) { (void)opacity; }
  // Picture source, event value or variable expression text.
  virtual std::string Value() const { return {}; }
  virtual void SetValue(std::string_view value) { (void)value; }
  virtual bool Clear() const { return false; }
  virtual int32_t PadLeft() const { return kPaddingUnset; }
  virtual int32_t PadRight() const { return kPaddingUnset; }
  virtual bool NoHeight() const { return false; }

  // Writes the record of the newest stream layout after the type byte.
  virtual void WriteRecord(std::string& out, const TGlyphStreamWriter& records) const;
  // Reads the record of a stream of the version after the type byte; record
  // indexes go to refs and are bound by the document once the stream has loaded.
  virtual void ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs);
  // Copies the values of other, a glyph of the same kind, perhaps of another document.
  virtual void Assign(const TWdGlyph& other);
  // Variables insert their value as glyphs after themselves; Collapse removes them.
  virtual void Expand(bool include_history) { (void)include_history; }
  virtual void Collapse() {}
  // Variables add "name=value" to list when neither list nor the frozen values have the name.
  virtual void CollectValues(std::vector<std::string>& list) const { (void)list; }

  int32_t x = 0, y = 0, width = 0, height = 0;
  TWdComposite* parent = nullptr;

 protected:
  friend class TKwWord;
  friend class TMarkupBuilder;
  friend class TWdOpeVar;
  TKwWord* owner_;
  TWdCondition* condition_ = nullptr;
};

// Rows and pages of the layout.
class TWdComposite : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  ~TWdComposite() override { ClearChildren(); }
  TGlyphKind Kind() const override { return TGlyphKind::Composite; }
  int32_t ChildCount() const override { return static_cast<int32_t>(children_.size()); }
  TWdGlyph* Child(int32_t index) const override {
    return index >= 0 && index < ChildCount() ? children_[static_cast<size_t>(index)] : nullptr;
  }
  std::string Text() const override;
  std::string ShownText() const override;
  const TWdGlyph* FirstStored() const override;
  const TWdGlyph* LastStored() const override;
  TWdGlyph* FirstChild() const { return children_.empty() ? nullptr : children_.front(); }
  TWdGlyph* LastChild() const { return children_.empty() ? nullptr : children_.back(); }
  int32_t IndexOfChild(const TWdGlyph* glyph) const;
  // Shows glyph as the last child; rows keep their height rule up to date.
  virtual void AddChild(TWdGlyph* glyph);
  // Takes ownership (fillers made by the layout) and shows it as a child.
  void AddOwned(std::unique_ptr<TWdGlyph> glyph);
  void DeleteChild(int32_t index);
  // Takes the child at index out of this composite and hands over the
  // ownership this composite had of it (null when it did not own it).
  std::unique_ptr<TWdGlyph> ReleaseChild(int32_t index);
  void ClearChildren();

 protected:
  std::vector<TWdGlyph*> children_;
  std::vector<std::unique_ptr<TWdGlyph>> owned_;
};

class TWdRow : public TWdComposite {
 public:
  using TWdComposite::TWdComposite;
  TGlyphKind Kind() const override { return TGlyphKind::Row; }
  uint8_t Align() const override { return align; }
  void SetAlign(uint8_t value) override { align = value; }
  bool NoHeight() const override { return no_height; }
  void AddChild(TWdGlyph* glyph) override;
  // Places the children from the start x of the alignment and gives them a shared bottom line.
  void Arrange();

  int32_t left_bound = 0, right_bound = 0;
  uint8_t align = waLeft;
  // The tallest child of each class so far: characters, pictures at the top, centred, at the bottom.
  int32_t char_height = 0, top_height = 0, center_height = 0, bottom_height = 0;
  bool no_height = false;
  // The first and last document glyph the layout passed while the row was open, hidden ones included.
  TWdGlyph* first_glyph = nullptr;
  TWdGlyph* last_glyph = nullptr;
};

class TWdPage : public TWdComposite {
 public:
  using TWdComposite::TWdComposite;
  TGlyphKind Kind() const override { return TGlyphKind::Page; }
  TWdPage* OwnerPage() const override { return const_cast<TWdPage*>(this); }
  int32_t ScreenX() const override;
  int32_t ScreenY() const override;
  int32_t PageY() const override;
  TWdRow* Row(int32_t index) const { return static_cast<TWdRow*>(Child(index)); }
  // Arranges every row; the page is as high as its lowest row reaches.
  void Arrange();

  int32_t scroll_offset = 0;  // used only while paging is off
  TWdGlyph* hover_glyph = nullptr;
  TWdGlyph* hover_state = nullptr;   // the glyph that was pressed
  std::vector<TWdGlyph*> revealing;  // fading in, not owned
  int32_t budget = 0;
  int32_t row_index = 0, column_index = 0;  // the next glyph to reveal
  int32_t frame_skip = 1;
  std::string pending_events;
  int32_t fade_accumulator = 0;
  bool finished = false;
  std::vector<TWdGlyph*> animated;  // pictures being animated, not owned
  bool resume = false;
  std::string frozen_values_text;
  // The scroll offset the work surfaces were rendered for.
  int32_t rendered_scroll = 0;
};

// Indentation filler made by the layout.
class TWdSpace : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  TGlyphKind Kind() const override { return TGlyphKind::Space; }
  uint8_t TypeCode() const override { return gtSpace; }
};

// A glyph that is drawn: it may be a link and fades in when revealed.
class TWdReal : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  ~TWdReal() override;
  TWdLink* Link() const override { return link_; }
  void SetLink(std::string_view href, std::string_view target) override;
  int32_t Wait() const override { return wait_; }
  void SetWait(int32_t wait) override { wait_ = wait; }
  int32_t Opacity() const override { return opacity_; }
  void SetOpacity(int32_t opacity) override { opacity_ = opacity < 0 ? 0 : opacity > 255 ? 255 : opacity; }
  void Assign(const TWdGlyph& other) override;

  bool hover = false;
  bool pressed = false;
  int32_t fade_duration = 0, fade_elapsed = 0, fade_start_opacity = 0;

 protected:
  friend class TKwWord;
  friend class TMarkupBuilder;
  friend class TWdOpeVar;
  TWdLink* link_ = nullptr;
  int32_t opacity_ = 255;
  int32_t wait_ = 0;
};

class TWdChar : public TWdReal {
 public:
  using TWdReal::TWdReal;
  ~TWdChar() override;
  TGlyphKind Kind() const override { return TGlyphKind::Char; }
  uint8_t TypeCode() const override { return gtChar; }
  bool IsStored() const override { return true; }
  TDecorate* Decoration() const override { return decoration_; }
  void SetDecoration(const TDecorateValues& values) override;
  uint16_t CharCode() const override { return code_; }
  void SetCharCode(uint16_t code) { code_ = code; }
  std::string Text() const override;
  std::string ShownText() const override { return Text(); }
  void WriteRecord(std::string& out, const TGlyphStreamWriter& records) const override;
  void ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) override;
  void Assign(const TWdGlyph& other) override;

  int32_t ink_left = 0, ink_top = 0, ink_right = 0, ink_bottom = 0;
  // The glyph drawn into the work surfaces, kept while the page needs it.
  std::shared_ptr<const TFontPixel> font_glyph;

 protected:
  friend class TKwWord;
  friend class TMarkupBuilder;
  friend class TWdOpeVar;
  TDecorate* decoration_ = nullptr;
  uint16_t code_ = 0;
};

// A character that a variable's value produced; never stored.
class TWdVarChar : public TWdChar {
 public:
  using TWdChar::TWdChar;
  TGlyphKind Kind() const override { return TGlyphKind::VarChar; }
  bool IsStored() const override { return false; }
};

class TWdImg : public TWdReal {
 public:
  using TWdReal::TWdReal;
  TGlyphKind Kind() const override { return TGlyphKind::Img; }
  uint8_t TypeCode() const override { return gtImg; }
  bool IsStored() const override { return true; }
  uint8_t Align() const override { return align; }
  void SetAlign(uint8_t value) override { align = value; }
  std::string Value() const override { return source; }
  void SetValue(std::string_view value) override { source = value; }
  void WriteRecord(std::string& out, const TGlyphStreamWriter& records) const override;
  void ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) override;
  void Assign(const TWdGlyph& other) override;

  std::string source, hover_source, down_source;
  // What measuring found: whether each picture exists, and the size of each.
  bool loaded = false, hover_loaded = false, down_loaded = false;
  int32_t picture_width = 0, picture_height = 0;
  int32_t hover_width = 0, hover_height = 0, down_width = 0, down_height = 0;
  // The animation of each picture (main, hover, down): current frame and the ms it still shows.
  int32_t frame[3] = {0, 0, 0};
  int32_t frame_remaining[3] = {0, 0, 0};
  uint8_t align = waBottom;
  int32_t margin_left = 0, margin_right = 0, margin_top = 0, margin_bottom = 0;
};

class TWdOpeReturn : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  TGlyphKind Kind() const override { return TGlyphKind::Return; }
  uint8_t TypeCode() const override { return gtReturn; }
  bool IsStored() const override { return true; }
  bool Clear() const override { return clear; }
  std::string ShownText() const override { return "\r\n"; }
  void WriteRecord(std::string& out, const TGlyphStreamWriter& records) const override;
  void ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) override;
  void Assign(const TWdGlyph& other) override;

  bool clear = false;  // also a page break
};

// A line break that a variable's value produced; never stored.
class TWdVarReturn : public TWdOpeReturn {
 public:
  using TWdOpeReturn::TWdOpeReturn;
  TGlyphKind Kind() const override { return TGlyphKind::VarReturn; }
  bool IsStored() const override { return false; }
};

class TWdOpeDiv : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  TGlyphKind Kind() const override { return TGlyphKind::Div; }
  uint8_t TypeCode() const override { return gtDiv; }
  bool IsStored() const override { return true; }
  uint8_t Align() const override { return align; }
  void SetAlign(uint8_t value) override { align = value; }
  int32_t PadLeft() const override { return pad_left; }
  int32_t PadRight() const override { return pad_right; }
  bool NoHeight() const override { return no_height; }
  void WriteRecord(std::string& out, const TGlyphStreamWriter& records) const override;
  void ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) override;
  void Assign(const TWdGlyph& other) override;

  uint8_t align = waLeft;
  int32_t pad_left = kPaddingUnset, pad_right = kPaddingUnset;
  bool no_height = false;
};

class TWdOpeIndent : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  TGlyphKind Kind() const override { return TGlyphKind::Indent; }
  uint8_t TypeCode() const override { return gtIndent; }
  bool IsStored() const override { return true; }
};

class TWdOpeUndent : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  TGlyphKind Kind() const override { return TGlyphKind::Undent; }
  uint8_t TypeCode() const override { return gtUndent; }
  bool IsStored() const override { return true; }
};

class TWdOpeEvent : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  TGlyphKind Kind() const override { return TGlyphKind::Event; }
  uint8_t TypeCode() const override { return gtEvent; }
  bool IsStored() const override { return true; }
  int32_t Wait() const override { return end ? 1 : 0; }
  std::string Value() const override { return value; }
  void SetValue(std::string_view text) override { value = text; }
  void WriteRecord(std::string& out, const TGlyphStreamWriter& records) const override;
  void ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) override;
  void Assign(const TWdGlyph& other) override;

  std::string value;
  bool end = false;
};

// A variable shown as text: Expand inserts its value as glyphs after it.
class TWdOpeVar : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  ~TWdOpeVar() override;
  TGlyphKind Kind() const override { return TGlyphKind::Var; }
  uint8_t TypeCode() const override { return gtVar; }
  bool IsStored() const override { return true; }
  TDecorate* Decoration() const override { return decoration_; }
  void SetDecoration(const TDecorateValues& values) override;
  TWdLink* Link() const override { return link_; }
  void SetLink(std::string_view href, std::string_view target) override;
  int32_t Wait() const override { return wait_; }
  void SetWait(int32_t wait) override { wait_ = wait; }
  std::string Value() const override { return expression; }
  void SetValue(std::string_view text) override { expression = text; }
  void WriteRecord(std::string& out, const TGlyphStreamWriter& records) const override;
  void ReadRecord(TBinaryReader& reader, int32_t version, TGlyphRefs& refs) override;
  void Assign(const TWdGlyph& other) override;
  void Expand(bool include_history) override;
  void Collapse() override;
  void CollectValues(std::vector<std::string>& list) const override;

  // The value as the variable shows it now (frozen value, else evaluated); false when it shows nothing.
  bool CurrentValue(std::string& value) const;
  const std::vector<TWdGlyph*>& Expanded() const { return expanded_; }
  // The stored expression of old records whose text is empty; null when none.
  const TOrvoParser* Compiled() const { return compiled_.get(); }

  std::string expression;

 protected:
  friend class TKwWord;
  friend class TMarkupBuilder;
  TDecorate* decoration_ = nullptr;
  TWdLink* link_ = nullptr;
  int32_t wait_ = 0;
  std::unique_ptr<TOrvoParser> compiled_;
  std::vector<TWdGlyph*> expanded_;
};

// A variable shown only in the message history.
class TWdOpeHistChar : public TWdOpeVar {
 public:
  using TWdOpeVar::TWdOpeVar;
  TGlyphKind Kind() const override { return TGlyphKind::HistVar; }
  uint8_t TypeCode() const override { return gtHistChar; }
  void Expand(bool include_history) override {
    if (include_history) TWdOpeVar::Expand(include_history);
  }
};

}  // namespace orvo
