#pragma once
// The text form of a document that authors and tests compare: one line per
// glyph and per shared record, TAB-separated, texts shown as UTF-8 where the
// CP932 bytes map and as \xHH where they do not.
#include <string>
#include <string_view>

#include "text/kw_word.h"

namespace orvo {

// One printable form of CP932 bytes: printable ASCII as itself, '\' as "\\",
// half-width katakana and mapped double-byte characters as UTF-8, other bytes as \xHH.
std::string DumpText(std::string_view bytes);
// Every glyph line, then every record line, each ending in LF.
std::string DumpDocument(const TKwWord& document);
// The line of one glyph (without LF).
std::string DumpGlyph(const TKwWord& document, int32_t index);

}  // namespace orvo
