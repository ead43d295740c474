#include "base/stream.h"

#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/error.h"
#include "support/test_support.h"
#include "text/glyph_dump.h"
#include "text/kw_word.h"
#include "text/old_stream_writer.h"
#include "text/text_fixture.h"

namespace orvo::test {
namespace {

// Loads bytes into document; the error message (UTF-8) or "".
std::string Load(TKwWord& document, const std::string& bytes) {
  TMemoryStream stream(bytes);
  try {
    document.LoadGlyphs(stream);
  } catch (const EOrvoError& error) {
    return error.what();
  }
  return {};
}

std::string Summary(const TKwWord& document) { return ShortGlyphs(document) + " || " + ShortRecords(document); }

constexpr const char* kEveryKind =
    "<IF TARGET=m><A HREF=h IfTarget=t><FONT SHADOW=2 BORDER=3 SCOLOR=#0000FF>a</FONT><IMG SRC=p HoverSrc=q "
    "DownSrc=r MgnLeft=1><VAR NAME=v></A></IF><DIV PadLeft=5><EVENT VALUE=e END><BR CLEAR><INDENT><UNDENT>"
    "<HISTCHAR VALUE=w>";

TEST(GlyphStreamTest, EveryVersionLoadsWhatItCanHold) {
  struct Case {
    int32_t version;
    const char* summary;
  };
  const Case cases[] = {
      {0,
       "char text=a scolor=0 border=1 shadow=0 href=h | img src=p align=5 href=h | var expr= compiled=1 scolor=0 "
       "border=1 shadow=0 wait=0 | div align=1 | event value=e end=1 | br clear=1 | indent | undent | histvar expr= "
       "compiled=1 scolor=0 border=1 shadow=0 wait=0 || "
       "deco 0 count=1 scolor=0 border=1 shadow=0 | deco 1 count=2 scolor=0 border=1 shadow=0 | cond 0 count=9 text= | "
       "link 0 count=2 href=h | link 1 count=2"},
      {99,
       "char text=a scolor=0 border=1 shadow=0 href=h | img src=p align=5 href=h | var expr= compiled=1 scolor=0 "
       "border=1 shadow=0 wait=0 | div align=1 | event value=e end=1 | br clear=1 | indent | undent | histvar expr= "
       "compiled=1 scolor=0 border=1 shadow=0 wait=0 || "
       "deco 0 count=1 scolor=0 border=1 shadow=0 | deco 1 count=2 scolor=0 border=1 shadow=0 | cond 0 count=9 text= | "
       "link 0 count=2 href=h | link 1 count=2"},
      {100,
       "char text=a scolor=16711680 border=3 shadow=2 href=h | img src=p align=5 href=h | var expr= compiled=1 wait=0 "
       "| div align=1 | event value=e end=1 | br clear=1 | indent | undent | histvar expr= compiled=1 wait=0 || "
       "deco 0 count=1 scolor=16711680 border=3 shadow=2 | deco 1 count=2 | cond 0 count=9 text= | link 0 count=2 "
       "href=h | link 1 count=2"},
      {101,
       "char text=a scolor=16711680 border=3 shadow=2 href=h | img src=p align=5 href=h | var expr= compiled=1 href=h "
       "| div align=1 | event value=e end=1 | br clear=1 | indent | undent | histvar expr= compiled=1 || "
       "deco 0 count=1 scolor=16711680 border=3 shadow=2 | deco 1 count=2 | cond 0 count=9 text= | link 0 count=3 "
       "href=h | link 1 count=1"},
      {102,
       "char text=a scolor=16711680 border=3 shadow=2 href=h | img src=p align=5 href=h | var expr=v href=h | div "
       "align=1 | event value=e end=1 | br clear=1 | indent | undent | histvar expr=w || "
       "deco 0 count=1 scolor=16711680 border=3 shadow=2 | deco 1 count=2 | cond 0 count=9 text= | link 0 count=3 "
       "href=h | link 1 count=1"},
      {103,
       "char text=a scolor=16711680 border=3 shadow=2 href=h | img src=p hover=q align=5 href=h | var expr=v href=h | "
       "div align=1 | event value=e end=1 | br clear=1 | indent | undent | histvar expr=w || "
       "deco 0 count=1 scolor=16711680 border=3 shadow=2 | deco 1 count=2 | cond 0 count=9 text= | link 0 count=3 "
       "href=h | link 1 count=1"},
      {104,
       "char if=m text=a scolor=16711680 border=3 shadow=2 href=h | img if=m src=p hover=q align=5 href=h | var if=m "
       "expr=v href=h | div align=1 | event value=e end=1 | br clear=1 | indent | undent | histvar expr=w || "
       "deco 0 count=1 scolor=16711680 border=3 shadow=2 | deco 1 count=2 | cond 0 count=3 text=m | cond 1 count=6 "
       "text= | link 0 count=3 href=h | link 1 count=1"},
      {105,
       "char if=m text=a scolor=16711680 border=3 shadow=2 href=h target=t | img if=m src=p hover=q down=r align=5 "
       "margins=1,0,0,0 href=h target=t | var if=m expr=v href=h target=t | div align=1 padl=5 | event value=e end=1 | "
       "br clear=1 | indent | undent | histvar expr=w || "
       "deco 0 count=1 scolor=16711680 border=3 shadow=2 | deco 1 count=2 | cond 0 count=3 text=m | cond 1 count=6 "
       "text= | link 0 count=3 href=h target=t | link 1 count=1"},
  };
  TKwWord source;
  Build(source, kEveryKind);
  for (const Case& c : cases) {
    TKwWord document;
    EXPECT_EQ(Load(document, WriteOldStream(source, c.version)), "") << c.version;
    EXPECT_EQ(Summary(document), c.summary) << c.version;
  }
}

// One plain decoration of the newest layout with the stored count given.
TBytes& Decoration(TBytes& bytes, int32_t count, int32_t color) {
  return bytes.I32(count).I32(color).I32(-1).I32(0).Byte(0).Byte(0).I32(-1).Str("").Str("").I32(-1).I32(-1);
}

TEST(GlyphStreamTest, HandMadeStreams) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* error;
    const char* summary;
  };
  TBytes count_fix;
  count_fix.Raw("KwWord105").I32(3);
  Decoration(count_fix, 0, 1);                      // used twice, stored as unused
  Decoration(count_fix, 7, 2);                      // used by nothing
  Decoration(count_fix, 1, 3);                      // used once
  count_fix.I32(2).I32(9).Str("").I32(0).Str("x");  // condition "" stored with 9, "x" unused
  count_fix.I32(1).I32(0).Str("").Str("");
  count_fix.I32(3);
  count_fix.Byte(1).I32(0).I32(0).I32(50).U16('a').I32(0);
  count_fix.Byte(0x81).I32(0).I32(0).I32(50).U16(0x835C).I32(0);  // high bit of the type byte ignored
  count_fix.Byte(1).I32(0).I32(0).I32(50).U16('c').I32(2);

  TBytes version0;
  version0.I32(1).I32(1).I32(255).I32(-1).I32(0).Byte(1).Byte(0).Byte(7).Str("").Str("");
  version0.I32(2).Byte(1).Str("x").I32(9).U16('A').I32(0).Byte(6).Str("\x01go");

  TBytes short_event;
  short_event.I32(0).I32(1).Byte(6).I32(5).Raw("ab");
  TBytes huge_event;
  huge_event.Raw("KwWord105").I32(0).I32(1).I32(1).Str("").I32(0).I32(1).Byte(6).I32(0).I32(10485761);
  TBytes huge_face;
  huge_face.I32(1).I32(1).I32(0).I32(0).I32(0).Byte(0).Byte(0).Byte(0).I32(10485761);
  TBytes many_glyphs;
  many_glyphs.I32(0).I32(0x7FFFFFFF).Byte(4);
  TBytes many_records;
  many_records.I32(0x40000000).I32(0);
  TBytes bad_kind;
  bad_kind.I32(0).I32(2).Byte(4).Byte(8).Byte(4);
  TBytes bad_index;
  bad_index.I32(0).I32(1).Byte(1).Str("").I32(0).U16('a').I32(0);
  TBytes bad_condition;
  bad_condition.Raw("KwWord104").I32(0).I32(1).I32(1).Str("").I32(1).Byte(4).I32(1);
  TBytes negative_counts;
  negative_counts.I32(-5).I32(-1);

  const Case cases[] = {
      {"empty version 0 in 8 bytes", std::string(8, '\0'), "", " || "},
      {"nothing at all", "", "Stream read error", " || "},
      {"counts", count_fix.Bytes(), "",
       "char text=a color=1 | char text=ソ color=1 | char text=c color=3 || "
       "deco 0 count=2 color=1 | deco 1 count=1 color=3 | cond 0 count=3 text= | link 0 count=3"},
      {"version 0", version0.Bytes(), "",
       "char text=A color=255 scolor=0 style=1 border=1 shadow=0 wait=9 href=x | event value=go end=1 || "
       "deco 0 count=1 color=255 scolor=0 style=1 border=1 shadow=0 | cond 0 count=2 text= | link 0 count=1 href=x"},
      {"negative counts", negative_counts.Bytes(), "", " || "},
      {"string past the end", short_event.Bytes(), "Stream read error", " || "},
      {"event value above the cap", huge_event.Bytes(), "Invalid string data", " || "},
      {"face above the cap", huge_face.Bytes(), "Invalid string data", " || "},
      {"glyph count beyond the bytes", many_glyphs.Bytes(), "Stream read error", " || "},
      {"record count beyond the bytes", many_records.Bytes(), "Stream read error", " || "},
      {"type without kind", bad_kind.Bytes(), "Invalid glyph type 8", " || "},
      {"decoration index outside", bad_index.Bytes(), "List index out of bounds (0)", " || "},
      {"condition index outside", bad_condition.Bytes(), "List index out of bounds (1)", " || "},
      {"header without a number", "KwWord1x5" + std::string(8, '\0'), "Invalid glyph stream version", " || "},
      {"no header", "KwWorc105" + std::string(8, '\0'), "Stream read error", " || "},
  };
  for (const Case& c : cases) {
    TKwWord document;
    EXPECT_EQ(Load(document, c.bytes), c.error) << c.name;
    EXPECT_EQ(Summary(document), c.summary) << c.name;
  }
}

TEST(GlyphStreamTest, FailedLoadLeavesTheDocumentAsItWas) {
  TKwWord source;
  Build(source, "<A HREF=x>a<B>b");
  std::string good = source.GlyphStreamBytes();
  for (size_t cut = 0; cut < good.size(); ++cut) {
    TKwWord document;
    Build(document, "<IF TARGET=k>q<FONT SIZE=3>r");
    std::string before = DumpDocument(document);
    EXPECT_NE(Load(document, good.substr(0, cut)), "") << cut;
    EXPECT_EQ(DumpDocument(document), before) << cut;
  }
}

TEST(GlyphStreamTest, BasesPointIndexesPastEarlierText) {
  TKwWord first, second;
  Build(first, "<B>a");
  Build(second, "<IF TARGET=k><A HREF=h>b");
  TKwWord history;
  for (TKwWord* text : {&first, &second}) {
    history.decoration_base = history.decorations.Count();
    history.condition_base = history.conditions.Count();
    history.link_base = history.links.Count();
    EXPECT_EQ(Load(history, text->GlyphStreamBytes()), "");
  }
  EXPECT_EQ(Summary(history),
            "char text=a style=1 | char if=k text=b href=h || deco 0 count=1 style=1 | deco 1 count=1 | "
            "cond 0 count=1 text= | cond 1 count=1 text=k | link 0 count=1 | link 1 count=1 href=h");
}

TEST(GlyphStreamTest, WriterKeepsUsedRecordsInOrderOfFirstUse) {
  TKwWord document;
  Build(document, "<B>a</B>b<VAR NAME=v><A HREF=h>c");
  document.frozen_values = {"v=xy"};
  document.ExpandVars(0, -1, THistoryVars::Skip);
  // A glyph put in front uses a record that stands last in the list.
  std::unique_ptr<TWdGlyph> first = document.CreateGlyph(gtChar);
  static_cast<TWdChar&>(*first).SetCharCode('z');
  document.InsertGlyph(0, std::move(first));
  EXPECT_EQ(ShortRecords(document),
            "deco 0 count=1 style=1 | deco 1 count=5 | deco 2 count=1 border=0 shadow=0 | cond 0 count=7 text= | "
            "link 0 count=6 | link 1 count=1 href=h");
  TKwWord loaded;
  EXPECT_EQ(Load(loaded, document.GlyphStreamBytes()), "");
  // Counts are those of the stored glyphs: the two expanded characters are not written.
  EXPECT_EQ(ShortRecords(loaded),
            "deco 0 count=1 border=0 shadow=0 | deco 1 count=1 style=1 | deco 2 count=3 | cond 0 count=5 text= | "
            "link 0 count=4 | link 1 count=1 href=h");
  EXPECT_EQ(
      ShortGlyphs(loaded),
      "char text=z border=0 shadow=0 wait=0 | char text=a style=1 | char text=b | var expr=v | char text=c href=h");
}

TEST(GlyphStreamTest, WriteThenLoadGivesTheSameDump) {
  const char* markups[] = {
      kEveryKind,
      "<RUBY VALUE=るび><NOBR><FONT NAME=\"ＭＳ 明朝\" SIZE=20 COLOR=#102030>漢字</FONT></NOBR></RUBY><BR>"
      "<WAIT VALUE=0><IF TARGET=\"!a\\nb\"><A HREF=\"x\" IfTarget=y>ｱｲ</A>",
      "",
  };
  for (const char* markup : markups) {
    TKwWord built;
    Build(built, markup);
    TKwWord loaded;
    EXPECT_EQ(Load(loaded, built.GlyphStreamBytes()), "");
    TKwWord again;
    EXPECT_EQ(Load(again, loaded.GlyphStreamBytes()), "");
    EXPECT_EQ(DumpDocument(again), DumpDocument(loaded)) << markup;
    EXPECT_EQ(loaded.GlyphStreamBytes(), again.GlyphStreamBytes()) << markup;
  }
  // Without the END event (which a stream stores as its end flag) the built dump survives as it is.
  TKwWord built;
  Build(built,
        "<IF TARGET=m><A HREF=h IfTarget=t><FONT SHADOW=2>a</FONT><IMG SRC=p><VAR NAME=v></A></IF>"
        "<DIV ALIGN=CENTER NoHeight><BR><HISTCHAR VALUE=w>");
  TKwWord loaded;
  EXPECT_EQ(Load(loaded, built.GlyphStreamBytes()), "");
  EXPECT_EQ(DumpDocument(loaded), DumpDocument(built));
}
}  // namespace
}  // namespace orvo::test
