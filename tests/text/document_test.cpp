#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/error.h"
#include "base/random.h"
#include "base/stream.h"
#include "support/test_support.h"
#include "text/glyph_dump.h"
#include "text/kw_word.h"
#include "text/text_fixture.h"
#include "vars/compiler.h"
#include "vars/engine.h"

namespace orvo::test {
namespace {

class TEngineFixture {
 public:
  TEngineFixture() : engine_(host_, random_) {}
  TExprEngine& Engine() { return engine_; }
  void Declare(std::string_view name, std::string_view value) {
    TParamCollectionItem& item = engine_.Store().CreateVariable(Sjis(name), PT_STR, TVarScope::Global);
    item.Value().SetAsStr(Sjis(value));
  }

 private:
  THeadlessSystemHost host_;
  TProcessRandom random_;
  TExprEngine engine_;
};

TEST(ExpandTest, VariablesShowFrozenValuesOrTheirExpression) {
  struct Case {
    const char* markup;
    std::vector<std::string> frozen;
    THistoryVars history;
    const char* glyphs;
  };
  const Case cases[] = {
      {"<B><VAR NAME=name>",
       {},
       THistoryVars::Skip,
       "var expr=name style=1 | varchar text=a style=1 | varchar text=ソ style=1"},
      {"<VAR NAME=name>",
       {"NAME=x\x01y"},
       THistoryVars::Skip,
       "var expr=name | varchar text=x | varbr | varchar text=y"},
      {"<VAR NAME=\"1 + 2\">", {}, THistoryVars::Skip, "var expr=1 + 2 | varchar text=3"},
      {"<VAR NAME=lines>", {}, THistoryVars::Skip, "var expr=lines | varchar text=a | varbr | varchar text=b"},
      {"<VAR NAME=\"1 +\"><VAR NAME=missing>", {}, THistoryVars::Skip, "var expr=1 + | var expr=missing"},
      {"<HISTCHAR VALUE=name>", {}, THistoryVars::Skip, "histvar expr=name"},
      {"<HISTCHAR VALUE=name>", {}, THistoryVars::Include, "histvar expr=name | varchar text=a | varchar text=ソ"},
      // Characters and line breaks of a variable take its condition and style.
      {"<IF TARGET=k><A HREF=h><WAIT VALUE=3><FONT SIZE=9><VAR NAME=lines>",
       {},
       THistoryVars::Skip,
       "var if=k expr=lines size=9 wait=3 href=h | varchar if=k text=a size=9 wait=3 href=h | varbr if=k | "
       "varchar if=k text=b size=9 wait=3 href=h"},
  };
  for (const Case& c : cases) {
    TEngineFixture fixture;
    fixture.Declare("name", "aソ");
    fixture.Declare("lines",
                    "a\r\n\x01"
                    "b");
    TKwWord document;
    document.engine = &fixture.Engine();
    Build(document, c.markup);
    for (const std::string& line : c.frozen) document.frozen_values.push_back(Sjis(line));
    std::string before = DumpDocument(document);
    document.ExpandVars(0, -1, c.history);
    EXPECT_EQ(ShortGlyphs(document), c.glyphs) << c.markup;
    // Expanding again replaces the glyphs; collapsing restores the document.
    document.ExpandVars(0, -1, c.history);
    EXPECT_EQ(ShortGlyphs(document), c.glyphs) << c.markup;
    document.CollapseVars(0, -1);
    EXPECT_EQ(DumpDocument(document), before) << c.markup;
  }
}

TEST(ExpandTest, OrdinalsIgnoreExpandedGlyphs) {
  TKwWord document;
  Build(document, "a<VAR NAME=v>b<VAR NAME=w>c");
  document.frozen_values = {"v=xyz", "w=\x01"};
  const TWdGlyph* b = document.GlyphAt(2);
  const TWdGlyph* c = document.GlyphAt(4);
  EXPECT_EQ(document.OrdinalOf(b), 2);
  document.ExpandVars(0, -1, THistoryVars::Skip);
  EXPECT_EQ(document.GlyphCount(), 9);
  EXPECT_EQ(document.OrdinalOf(b), 2);
  EXPECT_EQ(document.OrdinalOf(c), 4);
  EXPECT_EQ(document.OrdinalOf(nullptr), 5);
  EXPECT_EQ(document.OrdinalOf(document.GlyphAt(3)), 2);  // an expanded character counts what is stored before it
  struct Case {
    int32_t ordinal;
    int32_t index;
  };
  // a v x y z b w br c
  const Case cases[] = {{-3, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 6}, {4, 7}, {5, -1}, {9, -1}};
  for (const Case& entry : cases) EXPECT_EQ(document.IndexOfOrdinal(entry.ordinal), entry.index) << entry.ordinal;
  EXPECT_EQ(TKwWord().IndexOfOrdinal(0), -1);
  // Only the variables in the range expand.
  document.CollapseVars(0, -1);
  document.ExpandVars(2, 4, THistoryVars::Skip);
  EXPECT_EQ(ShortGlyphs(document), "char text=a | var expr=v | char text=b | var expr=w | varbr | char text=c");
  document.CollapseVars(0, 2);
  EXPECT_EQ(document.GlyphCount(), 6);
  document.CollapseVars(3, 3);
  EXPECT_EQ(document.GlyphCount(), 5);
}

TEST(ExpandTest, CollectValuesSkipsNamesAlreadyListedOrFrozen) {
  TKwWord document;
  Build(document, "<VAR NAME=v><VAR NAME=V><VAR NAME=w><VAR NAME=f>");
  TEngineFixture fixture;
  fixture.Declare("v", "a\r\nb");
  fixture.Declare("w", "q");
  fixture.Declare("f", "z");
  document.engine = &fixture.Engine();
  document.frozen_values = {"F=frozen"};
  document.ExpandVars(0, -1, THistoryVars::Skip);
  std::vector<std::string> list;
  for (int32_t i = 0; i < document.GlyphCount(); ++i) document.GlyphAt(i)->CollectValues(list);
  EXPECT_EQ(list, (std::vector<std::string>{"v=a\x01"
                                            "b",
                                            "w=q"}));
}

TEST(CopyTest, CopiesStoredGlyphsIntoTheTargetsRecords) {
  TKwWord source;
  Build(source,
        "<IF TARGET=k><A HREF=h IfTarget=t><B>ab</B><VAR NAME=v><IMG SRC=p ALIGN=TOP MgnTop=2></A></IF>"
        "<DIV ALIGN=RIGHT PadRight=3><EVENT VALUE=e><BR CLEAR><INDENT><UNDENT><HISTCHAR VALUE=w>");
  static_cast<TWdOpeEvent&>(*source.GlyphAt(5)).end = true;
  source.frozen_values = {"v=xyz"};
  source.ExpandVars(0, -1, THistoryVars::Skip);
  TKwWord target;
  target.CopyGlyphs(source, 0, -1);
  source.CollapseVars(0, -1);
  EXPECT_EQ(DumpDocument(target), DumpDocument(source));

  TKwWord part;
  Build(part, "<U>q");
  part.CopyGlyphs(source, 1, 2);
  EXPECT_EQ(ShortGlyphs(part),
            "char text=q style=4 | char if=k text=b style=1 href=h target=t | "
            "var if=k expr=v href=h target=t");
}

TEST(CopyTest, OldVariablesKeepTheirCompiledExpression) {
  // A version-101 variable with its expression stored compiled ("1 + 1").
  std::string stream = "KwWord101";
  auto i32 = [&](int32_t value) {
    for (int k = 0; k < 4; ++k) stream += static_cast<char>(static_cast<uint32_t>(value) >> (8 * k));
  };
  i32(1);
  i32(1), i32(-1), i32(-1), i32(0);
  stream += std::string("\0\0", 2);
  i32(-1), i32(0), i32(0), i32(-1), i32(-1);
  i32(1);
  stream += '\x07';
  i32(0), i32(50), i32(0);
  TMemoryStream expression;
  TBuildOrvoParser builder;
  builder.Compile("1 + 1");
  TBinaryWriter writer(expression);
  builder.SaveToStream(writer);
  stream.append(expression.Bytes().begin(), expression.Bytes().end());
  TKwWord document;
  TMemoryStream input(stream);
  document.LoadGlyphs(input);
  TEngineFixture fixture;
  TKwWord copy;
  copy.engine = &fixture.Engine();
  copy.CopyGlyphs(document, 0, -1);
  copy.ExpandVars(0, -1, THistoryVars::Skip);
  EXPECT_EQ(ShortGlyphs(copy), "var expr= compiled=1 | varchar text=2");
}

TEST(SettingsTest, RoundTripsAtEachVersionGate) {
  struct Case {
    int32_t version;
    bool shadow_colour;
    bool widths;
    bool fixed_advance;
  };
  const Case cases[] = {{100, false, false, false}, {109, false, false, false}, {110, true, false, false},
                        {111, true, true, false},   {140, true, true, false},   {141, true, true, true},
                        {144, true, true, true},    {145, true, true, false},   {199, true, true, false},
                        {200, true, true, true}};
  for (const Case& c : cases) {
    TKwWord written;
    written.draw_origin_x = 1, written.draw_origin_y = 2, written.default_font_size = 3;
    written.default_face_name = Sjis("ＭＳ 明朝");
    written.default_color = 4, written.layout_height = 5, written.layout_width = 6, written.smoothing_level = 0;
    written.line_spacing = 7, written.paging = false, written.link_color = 8, written.hover_color = 9;
    written.fade_time = 10, written.border_color = 11, written.opacity = 12, written.paused = true;
    written.caret_x = 13, written.caret_y = 14, written.speed_rate = 15, written.notify_enabled = true;
    written.shadow_color = 16, written.default_border_width = 17, written.default_shadow_width = 18;
    written.fixed_advance = false;
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    written.WriteSettings(writer, c.version);
    stream.SetPosition(0);
    TBinaryReader reader(stream);
    TKwWord read;
    read.ReadSettings(reader, c.version);
    EXPECT_EQ(reader.Remaining(), 0) << c.version;
    TMemoryStream again;
    TBinaryWriter rewriter(again);
    read.WriteSettings(rewriter, c.version);
    EXPECT_EQ(again.Bytes(), stream.Bytes()) << c.version;
    EXPECT_EQ(read.default_face_name, written.default_face_name);
    EXPECT_EQ(read.notify_enabled, true);
    EXPECT_EQ(read.shadow_color, c.shadow_colour ? 16 : 0) << c.version;
    EXPECT_EQ(read.default_shadow_width, c.widths ? 18 : 0) << c.version;
    EXPECT_EQ(read.fixed_advance, !c.fixed_advance) << c.version;
  }
  TMemoryStream truncated(std::string(10, '\0'));
  TBinaryReader reader(truncated);
  TKwWord document;
  EXPECT_THROW(document.ReadSettings(reader, 200), EReadError);
}

TEST(DocumentTest, DefaultsAndGlyphListOperations) {
  TKwWord document;
  EXPECT_EQ(Cp932ToUtf8(document.default_face_name), "ＭＳ ゴシック");
  EXPECT_EQ(document.CreateGlyph(8), nullptr);
  EXPECT_EQ(document.CreateGlyph(0), nullptr);
  std::unique_ptr<TWdGlyph> image = document.CreateGlyph(0x89);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Kind(), TGlyphKind::Img);
  document.InsertGlyph(5, std::move(image));
  document.InsertGlyph(0, document.CreateGlyph(gtHistChar));
  EXPECT_EQ(ShortGlyphs(document), "histvar expr= border=0 shadow=0 wait=0 | img src= align=5 wait=0");
  EXPECT_EQ(ShortRecords(document), "deco 0 count=1 border=0 shadow=0 | cond 0 count=2 text= | link 0 count=2");
  document.DeleteGlyph(0);
  document.DeleteGlyph(7);
  EXPECT_EQ(ShortRecords(document), "cond 0 count=1 text= | link 0 count=1");
  EXPECT_EQ(document.GlyphAt(1), nullptr);
  document.AddDirtyRect(MakeRect(0, 0, 0, 5));
  document.AddDirtyRect(MakeRect(0, 0, 2, 5));
  EXPECT_EQ(document.dirty_rects.size(), 1u);
}

TEST(DocumentTest, SettersShareAndSplitRecords) {
  TKwWord document;
  Build(document, "abc");
  TWdGlyph& b = *document.GlyphAt(1);
  TDecorateValues values = *b.Decoration();
  values.size = 30;
  b.SetDecoration(values);
  b.SetConditionText("k");
  b.SetLink("h", "");
  EXPECT_EQ(ShortRecords(document),
            "deco 0 count=2 | deco 1 count=1 size=30 | cond 0 count=2 text= | "
            "cond 1 count=1 text=k | link 0 count=2 | link 1 count=1 href=h");
  // Back to the shared values: the single-use records go.
  values.size = 0;
  b.SetDecoration(values);
  b.SetConditionText("");
  b.SetLink("", "");
  EXPECT_EQ(ShortRecords(document), "deco 0 count=3 | cond 0 count=3 text= | link 0 count=3");
  // A record held by one glyph only changes in place.
  document.GlyphAt(0)->SetConditionText("x");
  document.GlyphAt(0)->SetConditionText("y");
  EXPECT_EQ(ShortRecords(document), "deco 0 count=3 | cond 0 count=2 text= | cond 1 count=1 text=y | link 0 count=3");
  EXPECT_EQ(b.BorderWidth(), 0);
  document.default_border_width = 4;
  EXPECT_EQ(b.BorderWidth(), 4);
}

}  // namespace
}  // namespace orvo::test
