#pragma once
// Helpers of the text tests: documents from UTF-8 markup and a compact dump
// that leaves out the values every plain character of markup has.
#include <string>
#include <string_view>
#include <vector>

#include "text/kw_word.h"

namespace orvo::test {

// Lines of UTF-8 markup, split at '\n' (one line per '\n'-separated piece).
std::vector<std::string> MarkupLines(std::string_view utf8);
// The dump (UTF-8) of every glyph, one per line joined by " | ", without the
// index and the ordinal, and without items holding the plain markup default
// (if=, color=-1, size=0, face=, wait=50, border=-1 ...). Records not included.
std::string ShortGlyphs(const TKwWord& document);
// The record lines of the dump, joined by " | ", with the same items left out.
std::string ShortRecords(const TKwWord& document);
// A document built from UTF-8 markup; the error message (UTF-8) goes to *error when given.
void Build(TKwWord& document, std::string_view utf8, std::string* error = nullptr);

}  // namespace orvo::test
