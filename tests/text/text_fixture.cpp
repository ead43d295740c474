#include "text/text_fixture.h"

#include "base/error.h"
#include "support/test_support.h"
#include "text/glyph_dump.h"

namespace orvo::test {

namespace {

bool IsDefaultItem(std::string_view item) {
  static const char* const kDefaults[] = {"if=",
                                          "color=-1",
                                          "bcolor=-1",
                                          "scolor=-1",
                                          "size=0",
                                          "style=0",
                                          "face=",
                                          "nobr=0",
                                          "ruby=",
                                          "border=-1",
                                          "shadow=-1",
                                          "wait=50",
                                          "href=",
                                          "target=",
                                          "hover=",
                                          "down=",
                                          "compiled=0",
                                          "end=0",
                                          "noheight=0",
                                          "clear=0",
                                          "padl=-2147483647",
                                          "padr=-2147483647",
                                          "margins=0,0,0,0"};
  for (const char* text : kDefaults) {
    if (item == text) return true;
  }
  return item.rfind("code=", 0) == 0;  // the text shows it
}

std::string Compact(std::string_view line, size_t skip) {
  std::string out;
  size_t field = 0;
  for (size_t start = 0; start <= line.size();) {
    size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) tab = line.size();
    std::string_view item = line.substr(start, tab - start);
    if (field++ >= skip && !IsDefaultItem(item)) {
      if (!out.empty()) out += ' ';
      out += item;
    }
    start = tab + 1;
  }
  return out;
}

std::string JoinLines(const std::string& dump, bool records) {
  std::string out;
  for (size_t start = 0; start < dump.size();) {
    size_t end = dump.find('\n', start);
    std::string_view line = std::string_view(dump).substr(start, end - start);
    start = end + 1;
    bool is_record = line.rfind("deco\t", 0) == 0 || line.rfind("cond\t", 0) == 0 || line.rfind("link\t", 0) == 0;
    if (is_record != records) continue;
    if (!out.empty()) out += " | ";
    out += Compact(line, records ? 0 : 2);
  }
  return out;
}

}  // namespace

std::vector<std::string> MarkupLines(std::string_view utf8) {
  std::vector<std::string> lines;
  std::string cp932 = Sjis(utf8);
  size_t start = 0;
  for (;;) {
    size_t end = cp932.find('\n', start);
    lines.push_back(cp932.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

std::string ShortGlyphs(const TKwWord& document) { return JoinLines(DumpDocument(document), false); }
std::string ShortRecords(const TKwWord& document) { return JoinLines(DumpDocument(document), true); }

void Build(TKwWord& document, std::string_view utf8, std::string* error) {
  try {
    document.BuildFromMarkup(MarkupLines(utf8));
  } catch (const EOrvoError& failure) {
    if (!error) throw;
    *error = failure.what();
  }
}

}  // namespace orvo::test
