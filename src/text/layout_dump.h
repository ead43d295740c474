#pragma once
// The text form of a layout that `orvokit text layout` prints: pages, rows,
// their children in page coordinates and the ruby characters drawn above them.
#include <memory>
#include <string>
#include <vector>

#include "text/kw_word.h"

namespace orvo {

// The kind name of a glyph as the dumps print it ("char", "img", "space" ...).
const char* GlyphKindName(const TWdGlyph& glyph);
std::string DumpLayout(const TKwWord& document, const std::vector<std::unique_ptr<TWdPage>>& pages);

}  // namespace orvo
