#include "text/render.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/rect.h"
#include "surface/dib_surface.h"
#include "surface/font_pixel_manager.h"
#include "text/reveal.h"
#include "text/ruby.h"

namespace orvo {

namespace {

bool IsCharacter(const TWdGlyph* glyph) {
  return glyph && (glyph->Kind() == TGlyphKind::Char || glyph->Kind() == TGlyphKind::VarChar);
}

bool IsVisible(const TWdGlyph* glyph) { return glyph && (IsCharacter(glyph) || glyph->Kind() == TGlyphKind::Img); }

bool IsLineBreak(const TWdGlyph* glyph) {
  return glyph && (glyph->Kind() == TGlyphKind::Return || glyph->Kind() == TGlyphKind::VarReturn);
}

// The work surfaces cover the text area; with paging off it starts at the scroll offset.
int32_t ViewTop(const TWdPage& page) { return page.Owner().paging ? 0 : page.scroll_offset; }

int32_t PageX(const TWdGlyph& glyph) {
  int64_t x = glyph.x;
  for (const TWdGlyph* up = glyph.parent; up && up->Kind() != TGlyphKind::Page; up = up->parent) x += up->x;
  return ClampToInt32(x);
}

TRect Box(int64_t left, int64_t top, int64_t width, int64_t height) {
  return {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + width), ClampToInt32(top + height)};
}

std::string FaceOf(const TWdGlyph& glyph) {
  std::string face = glyph.FontName();
  if (face.empty()) face = glyph.Owner().default_face_name;
  if (face.empty()) face = std::string(kDefaultFaceName);
  return face;
}

bool ActiveLink(const TWdGlyph& glyph) { return !glyph.LinkHref().empty() && glyph.LinkEnabled(); }

bool Hovered(const TWdGlyph& glyph) { return IsVisible(&glyph) && static_cast<const TWdReal&>(glyph).hover; }

int32_t BorderColorOf(const TWdGlyph& glyph) {
  return glyph.BorderColor() == -1 ? glyph.Owner().border_color : glyph.BorderColor();
}

int32_t ShadowColorOf(const TWdGlyph& glyph) {
  return glyph.ShadowColor() == -1 ? glyph.Owner().shadow_color : glyph.ShadowColor();
}

// Neighbours whose outline and shadow match join the run, so that
// underlines and outlines run on between them.
bool JoinsRun(const TWdGlyph& glyph, const TWdGlyph* neighbour) {
  return IsCharacter(neighbour) && neighbour->BorderWidth() == glyph.BorderWidth() &&
         neighbour->ShadowWidth() == glyph.ShadowWidth() && BorderColorOf(*neighbour) == BorderColorOf(glyph) &&
         ShadowColorOf(*neighbour) == ShadowColorOf(glyph);
}

uint16_t CodeOf(std::string_view character) {
  return character.size() == 2
             ? static_cast<uint16_t>(static_cast<uint8_t>(character[0]) << 8 | static_cast<uint8_t>(character[1]))
             : static_cast<uint8_t>(character[0]);
}

void AddDirty(TWdGlyph& glyph) {
  if (!IsVisible(&glyph)) return;
  glyph.Owner().AddDirtyRect(Box(glyph.ScreenX(), glyph.ScreenY(), glyph.width, glyph.height));
}

bool RowInView(const TWdPage& page, const TWdGlyph& row) {
  int64_t top = ViewTop(page);
  return int64_t{row.y} + row.height > top && row.y < top + page.Owner().layout_height;
}

void RenderRows(TWdPage& page, bool reset) {
  for (int32_t r = 0; r < page.ChildCount(); ++r) {
    TWdRow* row = page.Row(r);
    bool in_view = RowInView(page, *row);
    for (int32_t c = 0; c < row->ChildCount(); ++c) {
      TWdGlyph* child = row->Child(c);
      if (in_view) {
        PrepareGlyph(*child, reset);
      } else if (reset) {
        child->SetOpacity(0);
      }
    }
  }
}

}  // namespace

int ShownList(const TWdImg& image) {
  if (image.pressed && image.down_loaded) return 2;
  if (image.hover && image.hover_loaded) return 1;
  return 0;
}

const std::string& ListSource(const TWdImg& image, int list) {
  return list == 2 ? image.down_source : list == 1 ? image.hover_source : image.source;
}

bool Animate(TWdImg& image, int32_t milliseconds) {
  TKwWord& document = image.Owner();
  if (!image.loaded || !document.pictures) return false;
  int list = ShownList(image);
  const std::string& source = ListSource(image, list);
  int32_t count = document.pictures->FrameCount(source);
  if (count <= 1) return false;
  int32_t& current = image.frame[list];
  int32_t& remaining = image.frame_remaining[list];
  const int32_t before = current;
  remaining = ClampToInt32(int64_t{remaining} - milliseconds);
  // Bounded: a late frame advances at most once around the list.
  for (int32_t steps = 0; remaining < 1 && steps <= count; ++steps) {
    current = current + 1 < count ? current + 1 : 0;
    if (current == 0) remaining = 0;
    remaining = ClampToInt32(int64_t{remaining} + document.pictures->FrameDelay(source, current));
  }
  if (current == before) return false;
  AddDirty(image);
  return true;
}

int32_t TextColorOf(const TWdGlyph& glyph) {
  const TKwWord& document = glyph.Owner();
  if (Hovered(glyph)) return document.hover_color;
  if (glyph.Color() == -1) return ActiveLink(glyph) ? document.link_color : document.default_color;
  return glyph.Color();
}

void Prepare(TWdPage& page, bool reset, int bits) {
  TKwWord& document = page.Owner();
  int32_t width = std::clamp(document.layout_width, 0, kMaxSurfaceSide);
  int32_t height = std::clamp(document.layout_height, 0, kMaxSurfaceSide);
  if (document.work_a.Width() != width || document.work_a.Height() != height || document.work_a.BitCount() != bits) {
    document.work_a.SetSize(width, height, bits);
    document.work_c.SetSize(width, height, 8);
  }
  document.work_a.FillRect(MakeRect(0, 0, width, height), 0);
  document.work_c.FillRect(MakeRect(0, 0, width, height), 0);
  page.rendered_scroll = ViewTop(page);
  if (width == 0 || height == 0) return;
  RenderRows(page, reset);
}

void ScrollTo(TWdPage& page, int32_t scroll_offset) {
  page.scroll_offset = scroll_offset;
  TKwWord& document = page.Owner();
  int32_t width = document.work_a.Width(), height = document.work_a.Height();
  document.work_a.FillRect(MakeRect(0, 0, width, height), 0);
  document.work_c.FillRect(MakeRect(0, 0, width, height), 0);
  page.rendered_scroll = ViewTop(page);
  if (width == 0 || height == 0) return;
  RenderRows(page, false);
}

void PrepareGlyph(TWdGlyph& glyph, bool reset) {
  if (reset) glyph.SetOpacity(0);
  if (!IsCharacter(&glyph)) return;
  auto& character = static_cast<TWdChar&>(glyph);
  TKwWord& document = glyph.Owner();
  character.ink_left = character.ink_top = character.ink_right = character.ink_bottom = 0;
  TFontPixelManager* fonts = document.fonts;
  const TWdPage* page = glyph.OwnerPage();
  if (!fonts || !page || document.work_a.Width() == 0 || document.work_a.Height() == 0) return;

  std::string face = FaceOf(glyph);
  uint8_t style = glyph.Style();
  if (ActiveLink(glyph)) style |= fsUnderline;
  int32_t size = glyph.FontSize() != 0 ? glyph.FontSize() : document.default_font_size;
  fonts->SetGlyphMode(document.smoothing_level);
  TCustomDIBX& surface_a = document.work_a;
  TGlyphPaint paint;
  paint.colour = static_cast<uint32_t>(surface_a.ColorToPixel(TextColorOf(glyph)));
  paint.outline_colour = static_cast<uint32_t>(surface_a.ColorToPixel(BorderColorOf(glyph)));
  paint.shadow_colour = static_cast<uint32_t>(surface_a.ColorToPixel(ShadowColorOf(glyph)));
  int32_t outline = glyph.BorderWidth();
  int32_t shadow = glyph.ShadowWidth();
  int64_t top = ViewTop(*page);
  int64_t x = PageX(glyph);
  int64_t y = glyph.PageY();

  TRect ink{};
  int32_t ruby = RubySize(glyph);
  if (ruby > 0) {
    TGlyphPaint ruby_paint = paint;
    ruby_paint.outline = std::min(1, outline);
    ruby_paint.shadow = std::min(1, shadow);
    ruby_paint.edge = TRunEdge::Alone;
    for (const TRubyPlace& place : RubyPlaces(glyph)) {
      auto ruby_glyph = fonts->GetGlyph(CodeOf(place.text), face, style & (fsBold | fsItalic), ruby);
      ruby_glyph->DrawGlyph(surface_a, document.work_c, Box(place.x, place.y - top, ruby, ruby), ruby_paint);
    }
    ink = Box(x, y, glyph.width, glyph.height);
  }
  character.font_glyph = fonts->GetGlyph(glyph.CharCode(), face, style, size);
  const TWdRow* row = static_cast<const TWdRow*>(glyph.parent);
  int32_t index = row->IndexOfChild(&glyph);
  bool close_left = !JoinsRun(glyph, row->Child(index - 1));
  bool close_right = !JoinsRun(glyph, row->Child(index + 1));
  paint.edge = static_cast<TRunEdge>((close_left ? 1 : 0) | (close_right ? 2 : 0));
  paint.outline = outline;
  paint.shadow = shadow;
  TRect touched = character.font_glyph->DrawGlyph(
      surface_a, document.work_c, Box(x, y - top + ruby, glyph.width, int64_t{glyph.height} - ruby), paint);
  if (!touched.IsEmpty()) {
    touched = Box(touched.left, int64_t{touched.top} + top, touched.Width(), touched.Height());
    ink = ink.IsEmpty() ? touched : UnionRect(ink, touched);
  }
  character.ink_left = ink.left;
  character.ink_top = ink.top;
  character.ink_right = ink.right;
  character.ink_bottom = ink.bottom;
}

void Erase(TWdGlyph& glyph) {
  const TWdPage* page = glyph.OwnerPage();
  if (!IsVisible(&glyph) || !page) return;
  glyph.Owner().work_a.FillRect(Box(PageX(glyph), int64_t{glyph.PageY()} - ViewTop(*page), glyph.width, glyph.height),
                                0);
}

void Draw(TWdPage& page) {
  TKwWord& document = page.Owner();
  TCustomDIBX* target = document.target;
  if (!target) return;
  if (page.rendered_scroll != ViewTop(page)) ScrollTo(page, page.scroll_offset);
  int64_t origin_x = document.draw_origin_x, origin_y = document.draw_origin_y;
  TRect text_area = Box(origin_x, origin_y, document.layout_width, document.layout_height);
  if (!document.clip_rect.IsEmpty()) text_area = IntersectRect(text_area, document.clip_rect);
  if (text_area.IsEmpty()) return;
  int64_t view_top = ViewTop(page);
  int32_t p = document.opacity;
  for (int32_t r = 0; r < page.ChildCount(); ++r) {
    TWdRow* row = page.Row(r);
    TRect row_rect = Box(row->ScreenX(), row->ScreenY(), std::max(row->width, document.layout_width), row->height);
    if (IntersectRect(row_rect, text_area).IsEmpty()) continue;
    for (int32_t c = 0; c < row->ChildCount(); ++c) {
      TWdGlyph* child = row->Child(c);
      if (child->Opacity() <= 0) continue;
      if (IsCharacter(child)) {
        const auto& character = static_cast<const TWdChar&>(*child);
        TRect ink{character.ink_left, character.ink_top, character.ink_right, character.ink_bottom};
        if (ink.IsEmpty()) continue;
        TRect dest = IntersectRect(Box(origin_x + ink.left, origin_y + ink.top - view_top, ink.Width(), ink.Height()),
                                   text_area);
        if (dest.IsEmpty()) continue;
        TRect source = Box(dest.left - origin_x, dest.top - origin_y, dest.Width(), dest.Height());
        int32_t opacity = child->Opacity();
        if (child->BorderWidth() == 0 && child->ShadowWidth() == 0) {
          target->DrawColorMask(dest.left, dest.top, document.work_c, source, TDrawFlags::None,
                                static_cast<uint32_t>(target->ColorToPixel(TextColorOf(*child))), opacity);
        } else if (opacity >= 255) {
          target->DrawMask(dest.left, dest.top, document.work_a, source, TDrawFlags::None, document.work_c);
        } else {
          target->DrawMaskBlend(dest.left, dest.top, document.work_a, source, TDrawFlags::None, document.work_c,
                                opacity);
        }
      } else if (child->Kind() == TGlyphKind::Img && document.pictures) {
        const auto& image = static_cast<const TWdImg&>(*child);
        if (!image.loaded) continue;
        int list = ShownList(image);
        TTextPictureFrame frame = document.pictures->FrameAt(ListSource(image, list), image.frame[list]);
        if (!frame.surface) continue;
        int64_t g = image.Opacity();
        int64_t opacity = p == 255 ? g : p < 256 ? g * p / 256 : g * (p - 256) / 256 + 256;
        if (opacity <= 0) continue;
        int64_t content_width = int64_t{image.width} - image.margin_left - image.margin_right;
        int64_t content_height = int64_t{image.height} - image.margin_top - image.margin_bottom;
        int32_t x =
            ClampToInt32(image.ScreenX() + int64_t{image.margin_left} + (content_width - frame.surface->Width()) / 2);
        int32_t y =
            ClampToInt32(image.ScreenY() + int64_t{image.margin_top} + (content_height - frame.surface->Height()) / 2);
        TRect whole = MakeRect(0, 0, frame.surface->Width(), frame.surface->Height());
        TDrawFlags flags = frame.use_key ? TDrawFlags::UseKey : TDrawFlags::None;
        int level = static_cast<int>(std::min<int64_t>(opacity, 511));
        if (frame.mask) {
          if (level <= 254) {
            target->DrawMaskBlend(x, y, *frame.surface, whole, flags, *frame.mask, level);
          } else if (level == 255) {
            target->DrawMask(x, y, *frame.surface, whole, flags, *frame.mask);
          } else {
            target->DrawMaskAdd(x, y, *frame.surface, whole, flags, *frame.mask, level - 256);
          }
        } else if (level <= 254) {
          target->DrawBlend(x, y, *frame.surface, whole, flags, level);
        } else if (level == 255) {
          target->Draw(x, y, *frame.surface, whole, flags);
        } else {
          target->DrawAdd(x, y, *frame.surface, whole, flags, level - 256);
        }
      }
    }
  }
}

// ---- links

namespace {

// The glyph before glyph in the document; null after a line break or at the start.
TWdGlyph* PreviousInText(const TWdGlyph& glyph) {
  const TKwWord& document = glyph.Owner();
  TWdGlyph* previous = document.GlyphAt(document.IndexOfGlyph(&glyph) - 1);
  return IsLineBreak(previous) ? nullptr : previous;
}

// The glyphs of the link run that starts at first, and the glyph after it.
std::vector<TWdGlyph*> RunOf(TWdGlyph& first, TWdGlyph*& after) {
  const TKwWord& document = first.Owner();
  std::vector<TWdGlyph*> run{&first};
  int32_t index = document.IndexOfGlyph(&first);
  after = nullptr;
  for (int32_t i = index + 1; i < document.GlyphCount(); ++i) {
    TWdGlyph* next = document.GlyphAt(i);
    if (IsLineBreak(next) || next->LinkHref() != first.LinkHref()) {
      after = next;
      break;
    }
    run.push_back(next);
  }
  return run;
}

void SetLinkState(TWdGlyph& glyph, int state) {
  if (!IsVisible(&glyph)) return;
  auto& real = static_cast<TWdReal&>(glyph);
  real.hover = state == 1;
  real.pressed = state == 2;
}

void HighlightRun(TWdPage& page, TWdGlyph& first, int state) {
  TWdGlyph* after = nullptr;
  std::vector<TWdGlyph*> run = RunOf(first, after);
  auto on_page = [&page](TWdGlyph* glyph) { return glyph && glyph->OwnerPage() == &page; };
  for (TWdGlyph* glyph : run) {
    if (!on_page(glyph)) continue;
    Erase(*glyph);
    PrepareGlyph(*glyph, false);
    AddDirty(*glyph);
  }
  if (on_page(after)) Erase(*after);
  for (TWdGlyph* glyph : run) {
    if (!on_page(glyph)) continue;
    SetLinkState(*glyph, state);
    Erase(*glyph);
    PrepareGlyph(*glyph, false);
    AddDirty(*glyph);
  }
  if (on_page(after)) PrepareGlyph(*after, false);
}

}  // namespace

void TrackLink(TWdPage& page, int32_t x, int32_t y, TWdGlyph* pressed) {
  TWdGlyph* glyph = x < 0 || y < 0 ? nullptr : HitTest(page, x, y);
  if (glyph && !ActiveLink(*glyph)) glyph = nullptr;
  if (glyph) {
    while (TWdGlyph* previous = PreviousInText(*glyph)) {
      if (previous->LinkHref() != glyph->LinkHref()) break;
      glyph = previous;
    }
  }
  if (glyph == page.hover_glyph && pressed == page.hover_state) return;
  if (page.hover_glyph) HighlightRun(page, *page.hover_glyph, 0);
  page.hover_glyph = glyph;
  page.hover_state = pressed;
  if (glyph) HighlightRun(page, *glyph, pressed == glyph ? 2 : 1);
}

std::string LinkRunText(const TWdPage& page) {
  if (!page.hover_glyph) return {};
  TWdGlyph* after = nullptr;
  std::string text;
  for (const TWdGlyph* glyph : RunOf(*page.hover_glyph, after)) text += glyph->Text();
  return text;
}

}  // namespace orvo
