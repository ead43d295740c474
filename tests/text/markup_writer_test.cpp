#include "text/markup_writer.h"

#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/error.h"
#include "support/test_support.h"
#include "text/text_fixture.h"

namespace orvo::test {
namespace {

// Markup of the stream of a document built from markup and then changed.
struct TCase {
  const char* markup;
  void (*change)(TKwWord&);
  const char* back;  // the markup written back; nullptr when the stream has none
};

void NoChange(TKwWord&) {}

TEST(MarkupWriterTest, StreamsComeBackAsMarkupOnlyWhenItCompilesAlike) {
  const TCase cases[] = {
      {"plain text", NoChange, "plain text"},
      {"a  b<BR>\\<c\\> \"d\" 100%", NoChange, "a b<BR>\\<c\\> \\\"d\\\" 100\\%"},
      {"<B><I>x</I></B><FONT SIZE=3 SHADOW=0>y</FONT>z", NoChange, "<B><I>x</I></B><FONT SIZE=3 SHADOW=0>y</FONT>z"},
      {"<A HREF=\"a\\\\b\" IfTarget=\"m\\nn\">l</A><IF TARGET=\"!k\">c</IF>", NoChange,
       "<A HREF=\"a\\\\b\" IfTarget=\"m\\nn\">l</A><IF TARGET=\"!k\">c"},
      {"x", [](TKwWord& d) { static_cast<TWdChar*>(d.GlyphAt(0))->SetCharCode('\r'); }, nullptr},
      {"x", [](TKwWord& d) { static_cast<TWdChar*>(d.GlyphAt(0))->SetCharCode(0x4142); }, nullptr},
      {"x",
       [](TKwWord& d) {
         TDecorateValues values = *d.GlyphAt(0)->Decoration();
         values.color = -2;
         d.GlyphAt(0)->SetDecoration(values);
       },
       nullptr},
      {"<DIV>", [](TKwWord& d) { static_cast<TWdOpeDiv*>(d.GlyphAt(0))->align = waTop; }, nullptr},
      {"<IMG SRC=a>", [](TKwWord& d) { static_cast<TWdImg*>(d.GlyphAt(0))->align = waLeft; }, nullptr},
      {"<EVENT VALUE=e>", [](TKwWord& d) { static_cast<TWdOpeEvent*>(d.GlyphAt(0))->value = "a\"b"; }, nullptr},
      // The stream stores the trimmed expression.
      {"<VAR NAME=v>", [](TKwWord& d) { static_cast<TWdOpeVar*>(d.GlyphAt(0))->expression = " v"; },
       "<VAR NAME=\"v\">"},
      {"<VAR NAME=v>", [](TKwWord& d) { static_cast<TWdOpeVar*>(d.GlyphAt(0))->expression = ""; }, nullptr},
      // A value ending in a lone lead byte: in quotes that byte would swallow the closing quote.
      {"<A HREF=go>x", [](TKwWord& d) { d.GlyphAt(0)->SetLink("go", "a\x81"); }, nullptr},
      {"<EVENT VALUE=e>", [](TKwWord& d) { static_cast<TWdOpeEvent*>(d.GlyphAt(0))->end = true; },
       "<EVENT VALUE=\"e\" END>"},
  };
  for (const TCase& c : cases) {
    TKwWord document;
    Build(document, c.markup);
    c.change(document);
    std::string markup;
    bool found = GlyphStreamToMarkup(document.GlyphStreamBytes(), markup);
    EXPECT_EQ(found, c.back != nullptr) << c.markup << " -> " << Cp932ToUtf8(markup);
    if (c.back && found) {
      EXPECT_EQ(Cp932ToUtf8(markup), c.back) << c.markup;
    }
  }
  std::string markup;
  EXPECT_FALSE(GlyphStreamToMarkup("not a stream", markup));
}

// Markup that a fuzzer found: glyphs built from markup, written back as markup,
// build the same glyphs again (or have no markup at all).
TEST(MarkupWriterTest, MalformedMarkupComesBackAlikeOrNotAtAll) {
  for (const char* name : {"markup_value_ends_in_lead_byte.txt", "markup_lead_byte_before_line_break.txt"}) {
    std::string text = ReadFile(TestDataDir() + "/text/malformed/" + name);
    TKwWord document;
    try {
      document.BuildFromMarkup(SplitMarkupLines(text));
    } catch (const EOrvoError&) {
    }
    std::string markup;
    if (!GlyphsToMarkup(document, markup)) continue;
    EXPECT_EQ(MarkupToGlyphStream(markup), document.GlyphStreamBytes()) << name;
  }
}

TEST(MarkupWriterTest, SplitsLinesAtEveryBreakButTheLast) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}}, {"a", {"a"}}, {"a\n", {"a"}}, {"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"\n\n", {"", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitMarkupLines(c.text), c.lines) << c.text;
}

}  // namespace
}  // namespace orvo::test
