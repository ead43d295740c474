// Line breaking and paging: the glyph list becomes pages of rows.
#include <algorithm>

#include "base/rect.h"
#include "text/break_rules.h"
#include "text/kw_word.h"

namespace orvo {

namespace {

bool IsLineBreak(const TWdGlyph* glyph) {
  return glyph && (glyph->Kind() == TGlyphKind::Return || glyph->Kind() == TGlyphKind::VarReturn);
}

bool IsVisible(const TWdGlyph* glyph) {
  TGlyphKind kind = glyph->Kind();
  return kind == TGlyphKind::Char || kind == TGlyphKind::VarChar || kind == TGlyphKind::Img;
}

// The layout's running state between glyphs.
class TLayoutRun {
 public:
  TLayoutRun(TKwWord& document, std::vector<std::unique_ptr<TWdPage>>& pages, std::string_view key)
      : document_(document), pages_(pages), key_(key) {
    pad_left_ = document.padding_left;
    pad_right_ = document.padding_right;
  }

  // facts: those of the glyphs first..end, in order.
  void Run(int32_t first, int32_t end, std::vector<TBreakFacts> facts) {
    end_ = end;
    first_ = first;
    facts_ = std::move(facts);
    int32_t index = first;
    while (index <= end) index = Step(index);
  }

 private:
  struct TRowStart {
    std::vector<int32_t> indents;
    uint8_t align;
    int32_t pad_left, pad_right;
    bool no_height;
  };

  int32_t IndentTop() const { return indents_.empty() ? 0 : indents_.back(); }

  void Note(TWdGlyph* glyph, int32_t index) {
    if (!row_->first_glyph) {
      row_->first_glyph = glyph;
      row_first_index_ = index;
    }
    row_->last_glyph = glyph;
  }

  void OpenRow() {
    if (!page_) {
      pages_.push_back(std::make_unique<TWdPage>(document_));
      page_ = pages_.back().get();
      page_->width = document_.layout_width;
      y_ = 0;
    }
    row_start_ = true;
    auto row = std::make_unique<TWdRow>(document_);
    row_ = row.get();
    row_->y = y_;
    page_->AddOwned(std::move(row));
    saved_ = {indents_, align_, pad_left_, pad_right_, no_height_};
    filler_width_ = 0;
  }

  void EndRow() {
    if (!row_->no_height) {
      int64_t height = row_->height;
      if (height < 1) height = document_.MeasureChar(nullptr, 32, false).height;
      y_ = ClampToInt32(int64_t{y_} + height + document_.line_spacing);
    }
    row_ = nullptr;
  }

  int32_t AvailableWidth() const { return ClampToInt32(int64_t{document_.layout_width} - pad_left_ - pad_right_); }

  // Handles the glyph at index on the open row; answers the next index to handle.
  int32_t Step(int32_t index) {
    if (!row_) OpenRow();
    TWdGlyph* glyph = document_.GlyphAt(index);
    if (!TKwWord::ConditionHolds(glyph->Condition(), key_)) {
      Note(glyph, index);
      return index + 1;
    }
    switch (glyph->Kind()) {
      case TGlyphKind::Div: {
        for (int32_t i = 0; i < row_->ChildCount(); ++i) {
          if (IsVisible(row_->Child(i))) {
            EndRow();
            return index;
          }
        }
        align_ = glyph->Align();
        row_->align = align_;
        pad_left_ = glyph->PadLeft() == kPaddingUnset ? document_.padding_left : glyph->PadLeft();
        pad_right_ = glyph->PadRight() == kPaddingUnset ? document_.padding_right : glyph->PadRight();
        row_->left_bound = pad_left_;
        row_->right_bound = ClampToInt32(int64_t{document_.layout_width} - pad_right_);
        no_height_ = glyph->NoHeight();
        row_->no_height = no_height_;
        Note(glyph, index);
        row_->AddChild(glyph);
        return index + 1;
      }
      case TGlyphKind::Indent:
        indents_.push_back(row_->width);
        Note(glyph, index);
        row_->AddChild(glyph);
        return index + 1;
      case TGlyphKind::Undent:
        if (!indents_.empty()) indents_.pop_back();
        Note(glyph, index);
        row_->AddChild(glyph);
        return index + 1;
      default:
        return AddUnit(index);
    }
  }

  int32_t AddUnit(int32_t index) {
    if (row_start_) {
      row_->align = align_;
      row_->no_height = no_height_;
      row_->width = IndentTop();
      row_->left_bound = pad_left_;
      row_->right_bound = ClampToInt32(int64_t{document_.layout_width} - pad_right_);
      if (IndentTop() > 0) {
        auto filler = std::make_unique<TWdSpace>(document_);
        filler->width = IndentTop();
        row_->AddOwned(std::move(filler));
      }
      filler_width_ = row_->width;
      row_start_ = false;
    }
    TUnitSize unit = MeasureUnitByFacts(index, end_, [this](int32_t i) -> const TBreakFacts& {
      static const TBreakFacts kNone;
      return i >= first_ && i <= end_ ? facts_[static_cast<size_t>(i - first_)] : kNone;
    });
    // A row that holds nothing but its indentation takes the unit even when
    // it overflows; ending it would give the next row the same indentation.
    if (row_->width > filler_width_ && document_.layout_width > 0 &&
        AvailableWidth() < int64_t{row_->width} + unit.width) {
      EndRow();
      return index;
    }
    for (int32_t k = 0; k < unit.count; ++k) {
      TWdGlyph* glyph = document_.GlyphAt(index + k);
      Note(glyph, index + k);
      row_->AddChild(glyph);
      if (document_.paging && page_->ChildCount() > 1 &&
          int64_t{document_.layout_height} < int64_t{row_->height} + y_) {
        return MoveRowToNewPage();
      }
    }
    row_->width = ClampToInt32(int64_t{row_->width} + unit.width);
    const TWdGlyph* head = document_.GlyphAt(index);
    if (IsLineBreak(head)) {
      EndRow();
      if (head->Clear()) {
        page_ = nullptr;
        indents_.clear();
      }
    }
    return index + unit.count;
  }

  // The open row does not fit: it goes, and its glyphs start a new page with
  // the state the row started with.
  int32_t MoveRowToNewPage() {
    int32_t restart = row_first_index_;
    page_->DeleteChild(page_->ChildCount() - 1);
    row_ = nullptr;
    page_ = nullptr;
    indents_ = saved_.indents;
    align_ = saved_.align;
    pad_left_ = saved_.pad_left;
    pad_right_ = saved_.pad_right;
    no_height_ = saved_.no_height;
    return restart;
  }

  TKwWord& document_;
  std::vector<std::unique_ptr<TWdPage>>& pages_;
  std::string_view key_;
  TWdPage* page_ = nullptr;
  TWdRow* row_ = nullptr;
  int32_t y_ = 0;
  uint8_t align_ = waLeft;
  int32_t pad_left_ = 0, pad_right_ = 0;
  bool no_height_ = false;
  bool row_start_ = false;
  int32_t filler_width_ = 0;
  int32_t row_first_index_ = 0;
  int32_t end_ = 0;
  int32_t first_ = 0;
  // What the break rules need of each glyph of the range, gathered once.
  std::vector<TBreakFacts> facts_;
  std::vector<int32_t> indents_;
  TRowStart saved_;
};

}  // namespace

void TKwWord::Layout(std::vector<std::unique_ptr<TWdPage>>& pages, int32_t first, std::string_view key, int32_t last) {
  first = std::max(first, 0);
  int32_t end = GlyphCount() - 1;
  if (last >= 0) {
    // Through the glyph of ordinal last and whatever its value expanded into.
    int32_t stored = 0;
    for (int32_t i = 0; i < GlyphCount(); ++i) {
      if (!glyphs_[static_cast<size_t>(i)]->IsStored()) continue;
      if (stored++ == last + 1) {
        end = i - 1;
        break;
      }
    }
  }
  // Links first: an active link underlines, which selects another font.
  EvaluateLinks(key);
  std::vector<TBreakFacts> facts;
  if (first <= end) facts.reserve(static_cast<size_t>(end - first + 1));
  for (int32_t i = first; i <= end; ++i) {
    // One pass over the glyphs: measuring and gathering what the break rules need.
    TWdGlyph* glyph = glyphs_[static_cast<size_t>(i)].get();
    Measure(*glyph);
    facts.push_back(FactsOf(glyph, key));
  }
  if (first <= end) TLayoutRun(*this, pages, key).Run(first, end, std::move(facts));
  int32_t widest = 0;
  for (auto& page : pages) {
    page->Arrange();
    for (int32_t r = 0; r < page->ChildCount(); ++r) widest = std::max(widest, page->Child(r)->width);
  }
  if (layout_width == 0) {
    layout_width = widest;
    for (auto& page : pages) page->width = widest;
  }
}

// ---- rows and pages

namespace {

bool IsPicture(const TWdGlyph* glyph) { return glyph->Kind() == TGlyphKind::Img; }

}  // namespace

void TWdRow::AddChild(TWdGlyph* glyph) {
  TWdComposite::AddChild(glyph);
  int32_t h = glyph->height;
  if (glyph->Kind() == TGlyphKind::Char || glyph->Kind() == TGlyphKind::VarChar) {
    char_height = std::max(char_height, h);
  } else if (IsPicture(glyph) && glyph->Align() == waTop) {
    top_height = std::max(top_height, h);
  } else if (IsPicture(glyph) && glyph->Align() == waCenter) {
    center_height = std::max(center_height, h);
  } else {
    bottom_height = std::max(bottom_height, h);
  }
  int64_t c = char_height;
  int64_t u = (int64_t{center_height} - c + 1) / 2;
  height = ClampToInt32(c + std::max<int64_t>({0, u, top_height - c}) + std::max<int64_t>({0, u, bottom_height - c}));
}

void TWdRow::Arrange() {
  int64_t start = left_bound;
  if (align == waRight) {
    start = int64_t{right_bound} - width;
  } else if (align == waCenter) {
    start = left_bound + (int64_t{right_bound} - left_bound - width) / 2;
  }
  width = ClampToInt32(int64_t{width} + start);
  int64_t c = 0;
  bool pictures = false;
  for (const TWdGlyph* child : children_) {
    if (IsPicture(child)) {
      pictures = true;
    } else {
      c = std::max<int64_t>(c, child->height);
    }
  }
  int64_t above = 0, below = 0;
  if (pictures) {
    for (const TWdGlyph* child : children_) {
      if (!IsPicture(child)) continue;
      int64_t g = child->height;
      if (child->Align() == waCenter) {
        int64_t half = (g - c + 1) / 2;
        above = std::max(above, half);
        below = std::max(below, half);
      } else if (child->Align() == waTop) {
        below = std::max(below, g - c);
      } else {
        above = std::max(above, g - c);
      }
    }
  }
  height = ClampToInt32(c + above + below);
  int64_t x_pos = start;
  for (TWdGlyph* child : children_) {
    child->x = ClampToInt32(x_pos);
    x_pos += child->width;
    int64_t g = child->height;
    uint8_t picture_align = pictures && IsPicture(child) ? child->Align() : 0;
    if (g == 0) {
      child->y = ClampToInt32(above);
    } else if (picture_align == waCenter) {
      child->y = ClampToInt32(above + (c - g) / 2);
    } else if (picture_align == waTop) {
      child->y = ClampToInt32(above);
    } else {
      // Characters of different sizes and bottom pictures share the bottom line.
      child->y = ClampToInt32(int64_t{height} - below - g);
    }
  }
}

void TWdPage::Arrange() {
  int64_t bottom = 0;
  for (int32_t r = 0; r < ChildCount(); ++r) {
    TWdRow* row = Row(r);
    row->Arrange();
    bottom = std::max(bottom, int64_t{row->y} + row->height);
  }
  height = ClampToInt32(bottom);
}

}  // namespace orvo
