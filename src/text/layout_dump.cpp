#include "text/layout_dump.h"

#include "text/glyph_dump.h"
#include "text/ruby.h"

namespace orvo {

const char* GlyphKindName(const TWdGlyph& glyph) {
  switch (glyph.Kind()) {
    case TGlyphKind::Char:
      return "char";
    case TGlyphKind::VarChar:
      return "varchar";
    case TGlyphKind::Img:
      return "img";
    case TGlyphKind::Div:
      return "div";
    case TGlyphKind::Return:
      return "br";
    case TGlyphKind::VarReturn:
      return "varbr";
    case TGlyphKind::Indent:
      return "indent";
    case TGlyphKind::Undent:
      return "undent";
    case TGlyphKind::Event:
      return "event";
    case TGlyphKind::Var:
      return "var";
    case TGlyphKind::HistVar:
      return "histvar";
    case TGlyphKind::Space:
      return "space";
    default:
      return "other";
  }
}

namespace {

// Glyphs of a page come in document order, so the search starts where the last one was found.
class TIndexFinder {
 public:
  explicit TIndexFinder(const TKwWord& document) : document_(document) {}
  std::string Of(const TWdGlyph* glyph) {
    if (!glyph || glyph->Kind() == TGlyphKind::Space) return "-";
    int32_t index = document_.IndexOfGlyph(glyph, hint_);
    if (index < 0) return "-";
    hint_ = index;
    return std::to_string(index);
  }

 private:
  const TKwWord& document_;
  int32_t hint_ = 0;
};

}  // namespace

std::string DumpLayout(const TKwWord& document, const std::vector<std::unique_ptr<TWdPage>>& pages) {
  std::string out;
  TIndexFinder finder(document);
  auto tab = [](auto... fields) {
    std::string line;
    ((line += (line.empty() ? "" : "\t"), line += fields), ...);
    return line + "\n";
  };
  using std::to_string;
  for (size_t p = 0; p < pages.size(); ++p) {
    const TWdPage& page = *pages[p];
    std::string page_number = to_string(p);
    out += tab(std::string("page"), page_number, to_string(page.width), to_string(page.height));
    for (int32_t r = 0; r < page.ChildCount(); ++r) {
      const TWdRow& row = *page.Row(r);
      std::string first = finder.Of(row.first_glyph);
      std::string last = finder.Of(row.last_glyph);
      out += tab(std::string("row"), page_number, to_string(r), to_string(row.y), to_string(row.height),
                 to_string(row.width), first, last);
      for (int32_t c = 0; c < row.ChildCount(); ++c) {
        const TWdGlyph& child = *row.Child(c);
        out += tab(std::string("child"), page_number, to_string(r), finder.Of(&child),
                   std::string(GlyphKindName(child)), to_string(int64_t{row.x} + child.x),
                   to_string(int64_t{row.y} + child.y), to_string(child.width), to_string(child.height));
      }
    }
    for (const TRubyPlace& place : RubyPlaces(page)) {
      out += tab(std::string("ruby"), page_number, finder.Of(place.glyph), to_string(place.number),
                 DumpText(place.text), to_string(place.x), to_string(place.y), to_string(place.size));
    }
  }
  return out;
}

}  // namespace orvo
