// Glyph streams from untrusted bytes (text commands of pages, the message
// history): load, expand, copy, and check that a loaded stream written and
// loaded again gives the same dump.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/stream.h"
#include "text/glyph_dump.h"
#include "text/kw_word.h"
#include "text/markup_writer.h"

namespace {

std::string Rewritten(const orvo::TKwWord& document, orvo::TKwWord& into) {
  std::string bytes = document.GlyphStreamBytes();
  orvo::TSpanStream stream(bytes.data(), bytes.size());
  into.LoadGlyphs(stream);
  return orvo::DumpDocument(into);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::TKwWord document;
  // A document with content of its own, so that a failed load has something to keep.
  document.BuildFromMarkup({"<B>a<VAR NAME=v>"});
  std::string before = orvo::DumpDocument(document);
  orvo::TSpanStream input(data, size);
  try {
    document.LoadGlyphs(input);
  } catch (const orvo::EOrvoError&) {
    if (orvo::DumpDocument(document) != before) std::abort();
    return 0;
  }
  // Written streams are the newest layout (expressions as text, records in
  // order of first use): from there on, writing and loading changes nothing.
  orvo::TKwWord once, twice;
  std::string first = Rewritten(document, once);
  std::string second = Rewritten(once, twice);
  if (first != second) std::abort();

  document.frozen_values = {
      "v=1\x01"
      "2"};
  document.ExpandVars(0, -1, orvo::THistoryVars::Include);
  orvo::TKwWord copy;
  copy.CopyGlyphs(document, 1, -1);
  document.CollapseVars(0, -1);
  (void)document.IndexOfOrdinal(3);
  std::string markup;
  (void)orvo::GlyphStreamToMarkup(std::string_view(reinterpret_cast<const char*>(data), size), markup);
  return 0;
}
