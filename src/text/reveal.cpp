#include "text/reveal.h"

#include <algorithm>

#include "base/rect.h"

namespace orvo {

namespace {

bool IsPicture(const TWdGlyph* glyph) { return glyph->Kind() == TGlyphKind::Img; }

bool IsVisible(const TWdGlyph* glyph) {
  TGlyphKind kind = glyph->Kind();
  return kind == TGlyphKind::Char || kind == TGlyphKind::VarChar || kind == TGlyphKind::Img;
}

// The glyph at (row, column), passing over rows without children (rows of
// hidden glyphs); row and column move to where it is. Null past the end.
TWdGlyph* GlyphAtOrAfter(const TWdPage& page, int32_t& row, int32_t& column) {
  while (row < page.ChildCount()) {
    const TWdRow* current = page.Row(row);
    if (column < current->ChildCount()) return current->Child(column);
    ++row;
    column = 0;
  }
  return nullptr;
}

void AddDirty(TWdGlyph* glyph) {
  if (!IsVisible(glyph)) return;
  int32_t left = glyph->ScreenX();
  int32_t top = glyph->ScreenY();
  glyph->Owner().AddDirtyRect(
      MakeRect(left, top, ClampToInt32(int64_t{left} + glyph->width), ClampToInt32(int64_t{top} + glyph->height)));
}

void PlaceCaret(TWdPage& page, TWdGlyph* glyph) {
  TKwWord& document = page.Owner();
  int32_t row = page.row_index, column = page.column_index;
  const TWdGlyph* next = GlyphAtOrAfter(page, row, column);
  const TWdGlyph* at = next ? next : glyph;
  const TWdGlyph* at_row = at->parent ? at->parent : at;
  int64_t x = next ? next->ScreenX() : int64_t{glyph->ScreenX()} + glyph->width;
  document.caret_x = ClampToInt32(x - document.draw_origin_x);
  document.caret_y = ClampToInt32(int64_t{at_row->ScreenY()} - document.draw_origin_y);
  document.caret_height = at_row->height;
}

}  // namespace

bool IsFinished(const TWdPage& page) { return page.row_index >= page.ChildCount() && page.revealing.empty(); }

bool IsRevealing(const TWdPage& page) {
  const TKwWord& document = page.Owner();
  bool rows_left = page.row_index < page.ChildCount();
  if (document.paging) {
    if (rows_left && !document.paused &&
        int64_t{page.Row(page.row_index)->y} - page.scroll_offset <= document.layout_height) {
      return true;
    }
    return !page.revealing.empty();
  }
  if (!page.revealing.empty()) return true;
  if (!rows_left) return false;
  const TWdRow* row = page.Row(page.row_index);
  return int64_t{row->y} + row->height - page.scroll_offset <= document.layout_height;
}

void ResumeReveal(TWdPage& page) {
  page.budget = 0;
  page.fade_accumulator = 0;
  page.frame_skip = page.Owner().fade_time > 0 ? 1 : 0;
}

void ResetReveal(TWdPage& page) {
  page.row_index = 0;
  page.column_index = 0;
  page.budget = 0;
  page.fade_accumulator = 0;
  ResumeReveal(page);
  page.finished = false;
  page.revealing.clear();
  page.animated.clear();
}

TRevealStep StepReveal(TWdPage& page, int32_t frame_delta) {
  TKwWord& document = page.Owner();
  TRevealStep step;
  if (!page.finished && IsFinished(page)) {
    step.just_finished = true;
    page.finished = true;
  }
  document.ClearDirtyRects();
  if (page.frame_skip >= 1) {
    --page.frame_skip;
    return step;
  }
  int64_t ms = frame_delta;
  if (page.row_index < page.ChildCount() && !document.paused && page.pending_events.empty()) {
    if (page.row_index == 0 && page.column_index == 0) {
      page.budget = 0;
      page.fade_accumulator = 0;
      ms = 0;
    } else if (page.resume) {
      page.resume = false;
      ms = 0;
    }
    int64_t budget = int64_t{page.budget} - ms;
    while (page.row_index < page.ChildCount() && budget <= 0) {
      TWdGlyph* glyph = GlyphAtOrAfter(page, page.row_index, page.column_index);
      if (!glyph) break;
      if (int64_t{page.Row(page.row_index)->y} - page.scroll_offset > document.layout_height) break;
      glyph->SetOpacity(0);
      int64_t wait = glyph->Wait();
      if (wait >= 0) {
        budget += wait * std::max(0, document.speed_rate) / 256;
      } else if (document.speed_rate >= 0) {
        budget -= wait;
      }
      budget = std::clamp<int64_t>(budget, INT32_MIN, INT32_MAX);
      page.revealing.push_back(glyph);
      if (IsPicture(glyph) && static_cast<const TWdImg*>(glyph)->loaded) page.animated.push_back(glyph);
      if (++page.column_index >= page.Row(page.row_index)->ChildCount()) {
        page.column_index = 0;
        ++page.row_index;
      }
      PlaceCaret(page, glyph);
      if (glyph->Kind() == TGlyphKind::Event) {
        if (!document.notify_enabled) continue;
        if (!page.pending_events.empty()) page.pending_events += '\t';
        page.pending_events += glyph->Value();
        page.resume = true;
        if (static_cast<const TWdOpeEvent*>(glyph)->end) break;
        int32_t row = page.row_index, column = page.column_index;
        const TWdGlyph* next = GlyphAtOrAfter(page, row, column);
        if (!next || next->Kind() != TGlyphKind::Event) break;
      } else if (glyph->Kind() == TGlyphKind::Char || glyph->Kind() == TGlyphKind::VarChar) {
        step.new_text += glyph->ShownText();
      } else if (IsPicture(glyph)) {
        step.new_text += '*';
      }
    }
    page.budget = static_cast<int32_t>(budget);
  }

  int64_t accumulator = int64_t{page.fade_accumulator} + ms * 256;
  int64_t fade = document.fade_time;
  int64_t d = fade > 0 ? accumulator / fade : 255;
  if (d > 0) {
    accumulator %= std::max<int64_t>(fade, 1);
    for (size_t i = page.revealing.size(); i-- > 0;) {
      TWdGlyph* glyph = page.revealing[i];
      glyph->SetOpacity(ClampToInt32(std::min<int64_t>(int64_t{glyph->Opacity()} + d, 255)));
      AddDirty(glyph);
      if (glyph->Opacity() > 254) page.revealing.erase(page.revealing.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  page.fade_accumulator = ClampToInt32(accumulator);

  if (!page.pending_events.empty() && page.revealing.empty()) {
    std::string pending = std::move(page.pending_events);
    page.pending_events.clear();
    size_t start = 0;
    while (true) {
      size_t tab = pending.find('\t', start);
      document.FireEvent(std::string_view(pending).substr(start, tab == std::string::npos ? tab : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
  }
  return step;
}

TWdGlyph* HitTest(const TWdPage& page, int32_t x, int32_t y) {
  const TKwWord& document = page.Owner();
  int64_t px = int64_t{x} - document.draw_origin_x;
  int64_t py = int64_t{y} - document.draw_origin_y;
  if (px < 0 || px >= document.layout_width || py < 0 || py >= document.layout_height) return nullptr;
  py += page.scroll_offset;
  auto inside = [&](const TWdGlyph* child, int64_t top) {
    return px >= child->x && px < int64_t{child->x} + child->width && py >= top && py < top + child->height;
  };
  for (int32_t r = 0; r < page.ChildCount(); ++r) {
    const TWdRow* row = page.Row(r);
    if (py < row->y || py >= int64_t{row->y} + row->height) continue;
    for (int32_t c = 0; c < row->ChildCount(); ++c) {
      TWdGlyph* child = row->Child(c);
      if (child->Opacity() > 254 && inside(child, int64_t{row->y} + child->y)) return child;
    }
  }
  for (int32_t r = 0; r < page.ChildCount(); ++r) {
    const TWdRow* row = page.Row(r);
    for (int32_t c = 0; c < row->ChildCount(); ++c) {
      TWdGlyph* child = row->Child(c);
      if (child->Align() != 0 && inside(child, int64_t{row->y} + child->y)) return child;
    }
  }
  return nullptr;
}

TWdGlyph* FirstGlyphOf(const TWdPage& page) { return page.ChildCount() > 0 ? page.Row(0)->first_glyph : nullptr; }

TWdGlyph* LastGlyphOf(const TWdPage& page) {
  return page.ChildCount() > 0 ? page.Row(page.ChildCount() - 1)->last_glyph : nullptr;
}

void CollectPageValues(TWdPage& page) {
  std::vector<std::string> values;
  for (int32_t r = 0; r < page.ChildCount(); ++r) {
    const TWdRow* row = page.Row(r);
    for (int32_t c = 0; c < row->ChildCount(); ++c) row->Child(c)->CollectValues(values);
  }
  page.frozen_values_text.clear();
  // The text of a string list: every line ends in CR LF.
  for (const std::string& line : values) page.frozen_values_text += line + "\r\n";
}

void SetOpacityAll(TWdPage& page, int32_t opacity) {
  for (int32_t r = 0; r < page.ChildCount(); ++r) {
    const TWdRow* row = page.Row(r);
    for (int32_t c = 0; c < row->ChildCount(); ++c) row->Child(c)->SetOpacity(opacity);
  }
}

}  // namespace orvo
