#pragma once
// Markup back from glyphs, so that a stored glyph stream can be shown to
// authors as the markup that makes it. Not every stream has such markup
// (line-break characters, colours without a markup form, glyphs that no tag
// makes): callers compile the result and compare before they trust it.
#include <string>
#include <string_view>
#include <vector>

#include "text/kw_word.h"

namespace orvo {

// Markup (CP932) whose build gives the document's stored glyphs; false when
// some glyph or value has no markup form.
bool GlyphsToMarkup(const TKwWord& document, std::string& markup);

// Markup text cut into the lines a build takes: at CR LF, CR or LF; a final
// line break adds no line.
std::vector<std::string> SplitMarkupLines(std::string_view text);

// The newest glyph stream of markup built with the given wait base; raises
// EMarkupError as the build does.
std::string MarkupToGlyphStream(std::string_view markup, int32_t text_delay = kDefaultTextDelay);

// The markup of a glyph stream when that markup compiles to the very same
// bytes; false otherwise (the stream does not load, or has no such markup).
bool GlyphStreamToMarkup(std::string_view stream, std::string& markup);

}  // namespace orvo
