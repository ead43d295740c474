// Message markup from untrusted bytes (scripts build it from any string):
// build, show frozen variables, write the stream, load it again and turn it
// back into markup.
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  orvo::TKwWord document;
  try {
    document.BuildFromMarkup(orvo::SplitMarkupLines(text));
  } catch (const orvo::EOrvoError&) {
    // The glyphs before a failing tag stay and must still be sound.
  }
  document.frozen_values = {"a=x\x01y", "b="};
  document.ExpandVars(0, -1, orvo::THistoryVars::Include);
  std::string expanded = orvo::DumpDocument(document);
  document.CollapseVars(0, -1);
  std::string bytes = document.GlyphStreamBytes();
  orvo::TKwWord loaded;
  orvo::TSpanStream stream(bytes.data(), bytes.size());
  loaded.LoadGlyphs(stream);  // a written stream always loads; an exception here is a finding
  if (loaded.GlyphStreamBytes() != bytes) std::abort();
  // Markup written back from glyphs that markup made builds the same glyphs.
  std::string markup;
  if (orvo::GlyphsToMarkup(loaded, markup)) {
    try {
      if (orvo::MarkupToGlyphStream(markup) != bytes) std::abort();
    } catch (const orvo::EOrvoError&) {
      std::abort();  // markup written from glyphs never lacks HREF or TARGET
    }
  }
  return 0;
}
