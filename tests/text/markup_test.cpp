#include "text/markup.h"

#include <gtest/gtest.h>

#include "base/cp932.h"
#include "support/test_support.h"
#include "text/kw_word.h"
#include "text/text_fixture.h"

namespace orvo::test {
namespace {

std::string Joined(const std::vector<std::string>& pieces) {
  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i) out += '|';
    out += Cp932ToUtf8(pieces[i]);
  }
  return out;
}

TEST(TokenizeTest, CutsTextAndTags) {
  struct Case {
    std::vector<const char*> lines;
    const char* tokens;
  };
  const Case cases[] = {
      // Line joins become one space, but not after a tag that emptied the pending token.
      {{"abc", "def"}, "abc def"},
      {{"abc<B>", "def"}, "abc|<B>|def"},
      {{"abc ", "def"}, "abc def"},
      // Runs of spaces shrink; a leading space stays.
      {{"a   b"}, "a b"},
      {{"  a"}, " a"},
      // 0x14 is a space that also collapses; TAB is dropped outside PRE.
      {{"a\x14\x14"
        "b"},
       "a b"},
      {{"a\tb"}, "ab"},
      // Escapes: brackets and quotes shown as themselves; other backslashes dropped.
      {{"\\<B\\>"}, "<|B>"},
      {{"a\\qb"}, "aqb"},
      {{"\\\"x\\{\\}\\%"}, "\"x{}%"},
      {{"a\\"}, "a\\"},
      {{"a\\\\b"}, "a\\b"},
      // Quotes keep their text whole and drop line breaks inside.
      {{"\"<B>\""}, "\"<B>\""},
      {{"\"a", "b\" c"}, "\"ab\" c"},
      {{"<A HREF=\"x>y\">t"}, "<A HREF=\"x>y\">|t"},
      // Comments, SCRIPT and STYLE, closed or not; nested '<' deepens a tag.
      {{"x<!-- note -->y"}, "x|<!-- note -->|y"},
      {{"<!-- note"}, "<!-- note"},
      {{"<script>a<b>c</script>d"}, "<SCRIPT>a<b>c</SCRIPT>|d"},
      {{"<style>a", "b"}, "<STYLE>a\r\nb"},
      {{"<!--<!--a-->b-->c"}, "<!--<!--a-->b-->|c"},
      {{"<A<B>>c"}, "<A<B>|c"},
      {{"a>b"}, "a>b"},
      // PRE: line breaks become BR tags, except after the opener and before the closer.
      {{"<PRE>", "a", "</PRE>"}, "<PRE>|a|</PRE>"},
      {{"<PRE>", "a", "b", "</PRE>x"}, "<PRE>|a|<BR>|b|</PRE>|x"},
      {{"<pre>a\tb  c</pre>"}, "<pre>|a        b c|</pre>"},
      {{"<PRE>a\x14\x14"
        "b"},
       "<PRE>|a  b"},
      // TEXTAREA: line breaks only separate tokens.
      {{"<TEXTAREA>", "a", "b", "</TEXTAREA>"}, "<TEXTAREA>|a|b|</TEXTAREA>"},
      {{"<TEXTAREA><PRE>", "a</TEXTAREA>"}, "<TEXTAREA>|<PRE>|a|</TEXTAREA>"},
      // Trail bytes equal to '\\' are no escapes: ソ and 表 end in 0x5C.
      {{"ソ<B>表\"a\""}, "ソ|<B>|表\"a\""},
      {{"ソ", "表"}, "ソ 表"},
      // Trail bytes equal to letters and brackets: ア ends in 'A', ボ in '{', マ in '}', ー in '['.
      {{"<PRE>ア</PRE>ボマー\\{"}, "<PRE>|ア|</PRE>|ボマー{"},
      {{"\\ボ\\マ<!--ー-->"}, "ボマ|<!--ー-->"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines;
    for (const char* line : c.lines) lines.push_back(Sjis(line));
    EXPECT_EQ(Joined(Tokenize(lines)), c.tokens) << c.lines[0];
  }
}

TEST(SplitAttrTest, CutsWordsAndAlwaysProgresses) {
  struct Case {
    const char* inner;
    const char* words;  // words joined by '|', CR shown as '='
  };
  const Case cases[] = {
      {"FONT SIZE=3 COLOR=#FF0000", "FONT|SIZE=3|COLOR=#FF0000"},
      {"FONT SIZE=", "FONT|SIZE"},
      {"FONT SIZE= COLOR=1", "FONT|SIZE=|COLOR=1"},
      {"A HREF=\"x y\" B", "A|HREF=x y|B"},
      {"A HREF='x y' B", "A|HREF=x y|B"},
      {"A HREF='x y", "A|HREF=x|y"},
      {"X =3", "X|3"},
      {"= = =", ""},
      {"IMG SRC=データ.png ALT=ソ", "IMG|SRC=データ.png|ALT=ソ"},
      {"  BR   CLEAR  ", "BR|CLEAR"},
  };
  for (const Case& c : cases) {
    std::string rest = Sjis(c.inner);
    std::vector<std::string> words;
    for (int guard = 0; !rest.empty() && guard < 100; ++guard) {
      std::string word = SplitAttr(rest);
      if (word.empty()) continue;
      for (char& byte : word) byte = byte == '\r' ? '=' : byte;
      words.push_back(word);
    }
    EXPECT_TRUE(rest.empty()) << c.inner;
    EXPECT_EQ(Joined(words), c.words) << c.inner;
  }
}

TEST(UnescapeTest, ReadsTheThreeEscapesOnly) {
  struct Case {
    const char* value;
    const char* text;
  };
  const Case cases[] = {
      {"a\\\"b", "a\"b"}, {"a\\\\b", "a\\b"}, {"a\\nb", "a\r\nb"},
      {"a\\xb", "a\\xb"}, {"end\\", "end\\"}, {"ソn表\\n", "ソn表\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Cp932ToUtf8(Unescape(Sjis(c.value))), c.text) << c.value;
}

TEST(TagTest, ReadsAttributeValues) {
  struct Case {
    const char* token;
    uint8_t code;
    int32_t size;   // AttrInt("SIZE", -7)
    int32_t color;  // AttrColor("COLOR", -7)
    uint8_t align;  // AttrAlign({LEFT, RIGHT, CENTER}, 9)
  };
  const Case cases[] = {
      {"<font size=12 color=#FF0000 align=right>", tcFont, 12, 0x0000FF, 2},
      {"<FONT SIZE=$1F COLOR=#12345678>", tcFont, 31, 0x563412, 9},
      {"<FONT SIZE=x COLOR=red ALIGN=TOP>", tcFont, -7, -7, 9},
      {"<FONT SIZE COLOR=# ALIGN=Center>", tcFont, -7, -7, 3},
      {"<FONT SIZE=-4 COLOR=#0f0>", tcFont, -4, 0xF00000, 9},
      {"<FONT COLOR=#GG0000>", tcFont, -7, -7, 9},
      {"</Font>", tcFontEnd, -7, -7, 9},
      {"<MARQUEE SIZE=3>", tcUnknown, 3, -7, 9},
      {"<>", tcText, -7, -7, 9},
      {"<B", tcText, -7, -7, 9},
      {"<!-- B -->", tcUnknown, -7, -7, 9},
      {"<!-- B", tcText, -7, -7, 9},
  };
  for (const Case& c : cases) {
    TTag tag;
    tag.ParseTag(c.token);
    EXPECT_EQ(tag.TagCode(), c.code) << c.token;
    EXPECT_EQ(tag.AttrInt("SIZE", -7), c.size) << c.token;
    EXPECT_EQ(tag.AttrColor("COLOR", -7), c.color) << c.token;
    EXPECT_EQ(tag.AttrAlign(asLeft | asRight | asCenter, 9), c.align) << c.token;
  }
  TTag tag;
  tag.ParseTag("<EVENT VALUE=go END>");
  EXPECT_EQ(tag.AttrValue("value", "none"), "go");
  EXPECT_EQ(tag.AttrValue("END", "none"), "");
  EXPECT_EQ(tag.AttrValue("START", "none"), "none");
}

TEST(BuildTest, MarkupToGlyphs) {
  struct Case {
    const char* markup;
    const char* glyphs;
  };
  const Case cases[] = {
      {"abc\ndef", "char text=a | char text=b | char text=c | char text=  | char text=d | char text=e | char text=f"},
      {"x<B>y</B>z", "char text=x | char text=y style=1 | char text=z"},
      {"<I><U><S>a</U>b", "char text=a style=14 | char text=b style=10"},
      {"<FONT COLOR=#FF0000>a<FONT COLOR=red>b</FONT>c</FONT>d",
       "char text=a color=255 | char text=b color=255 | char text=c color=255 | char text=d"},
      {"<FONT BORDER SHADOW=4>a<FONT BORDER=-3>b<FONT>c</FONT>d</FONT>e</FONT>f",
       "char text=a border=1 shadow=4 | char text=b border=0 shadow=4 | char text=c border=0 shadow=4 | "
       "char text=d border=0 shadow=4 | char text=e border=1 shadow=4 | char text=f"},
      {"<FONT SIZE=$10 NAME='ＭＳ 明朝' BCOLOR=#000001 SCOLOR=#010000>a",
       "char text=a bcolor=65536 scolor=1 size=16 face=ＭＳ 明朝"},
      {"<FONT SIZE=>a<FONT SIZE=x NAME>b", "char text=a | char text=b"},
      {"</FONT></B></WAIT></A></IF></RUBY></NOBR>a", "char text=a"},
      {"<NOBR><RUBY VALUE=かんじ>漢</RUBY>字</NOBR>x",
       "char text=漢 nobr=1 ruby=かんじ | char text=字 nobr=1 | char text=x"},
      {"<DIV ALIGN=TOP>a</DIV>", "div align=1 | char text=a | div align=1"},
      {"<DIV ALIGN=right PadLeft=4 PadRight=$A NoHeight><DIV ALIGN=center></DIV></DIV PadRight=2>",
       "div align=2 padl=4 padr=10 noheight=1 | div align=3 | div align=2 | div align=1 padr=2"},
      {"<IMG SRC=a.png ALIGN=LEFT><IMG><IMG SRC=\"\">", "img src=a.png align=5"},
      {"<WAIT VALUE=7><A HREF=go IfTarget=main><IMG SRC=b ALIGN=top HoverSrc=h DownSrc=d MgnLeft=1 MgnRight=2 "
       "MgnTop=3 MgnBottom=-4>",
       "img src=b hover=h down=d align=4 margins=1,2,3,-4 wait=7 href=go target=main"},
      {"<BR CLEAR><CLEAR><BR>", "br clear=1 | br clear=1 | br"},
      {"<INDENT>a<UNDENT>", "indent | char text=a | undent"},
      {"<EVENT VALUE=go END><EVENT VALUE=x\\\\ny\\\\\\\"z><EVENT>",
       "event value=\\x01go | event value=x\\x0d\\x0ay\"z | event value="},
      {"<WAIT VALUE=10>a<WAIT VALUE=x>b</WAIT>c</WAIT>d</WAIT>e",
       "char text=a wait=10 | char text=b wait=10 | char text=c wait=10 | char text=d | char text=e"},
      {"<B><A HREF=\"go\\\\x\"><VAR NAME=score></A><VAR><HISTCHAR VALUE=n><HISTCHAR>",
       "var expr=score style=1 href=go\\\\x | histvar expr=n style=1"},
      {"<A HREF=go>a</A>b<A HREF=表 IFTARGET=\"!m\\nn\">c",
       "char text=a href=go | char text=b | char text=c href=表 target=!m\\x0d\\x0an"},
      {"<IF TARGET=!main>a<BR><IF TARGET=sub></IF>b", "char if=!main text=a | br if=!main | char text=b"},
      {"<MARQUEE>a<>b", "char text=a | char text=< | char text=> | char text=b"},
      {"\\<B\\> \"<I>\"",
       "char text=< | char text=B | char text=> | char text=  | char text=\" | char text=< | "
       "char text=I | char text=> | char text=\""},
      {"<!-- <B> -->a<!-- b",
       "char text=a | char text=< | char text=! | char text=- | char text=- | char text=  | "
       "char text=b"},
      {"<PRE>\na\nb\n</PRE>", "char text=a | br | char text=b"},
      {"<EVENT VALUE=\"ソ\">ソ表ｱ", "event value=ソ | char text=ソ | char text=表 | char text=ｱ"},
  };
  for (const Case& c : cases) {
    TKwWord document;
    std::string error;
    Build(document, c.markup, &error);
    EXPECT_EQ(error, "") << c.markup;
    EXPECT_EQ(ShortGlyphs(document), c.glyphs) << c.markup;
  }
}

TEST(BuildTest, MissingHrefOrTargetStopsTheBuildKeepingWhatCameBefore) {
  struct Case {
    const char* markup;
    const char* error;
    const char* glyphs;
  };
  const Case cases[] = {
      {"ab<A>c", "<A>タグにHREF値がありません", "char text=a | char text=b"},
      {"<B>a<A HREF=\"\">c", "<A>タグにHREF値がありません", "char text=a style=1"},
      {"<A HREF>c", "<A>タグにHREF値がありません", ""},
      {"a<IF>b", "<IF>タグにTARGET値がありません", "char text=a"},
      {"<IF TARGET=''>b", "<IF>タグにTARGET値がありません", ""},
  };
  for (const Case& c : cases) {
    TKwWord document;
    std::string error;
    Build(document, c.markup, &error);
    EXPECT_EQ(error, c.error) << c.markup;
    EXPECT_EQ(ShortGlyphs(document), c.glyphs) << c.markup;
  }
}

TEST(BuildTest, InternsRecordsAndCountsTheirGlyphs) {
  TKwWord document;
  Build(document, "<IF TARGET=x>a<B>b</B>c<A HREF=h>d</IF><BR><VAR NAME=v>");
  EXPECT_EQ(ShortRecords(document),
            "deco 0 count=4 | deco 1 count=1 style=1 | cond 0 count=4 text=x | cond 1 count=2 text= | "
            "link 0 count=3 | link 1 count=2 href=h");
  // A rebuild starts from nothing.
  Build(document, "a");
  EXPECT_EQ(ShortRecords(document), "deco 0 count=1 | cond 0 count=1 text= | link 0 count=1");
}

TEST(ConditionTest, HoldsForListedNamesOrUnlistedWhenNegated) {
  struct Case {
    const char* text;
    const char* key;
    bool holds;
  };
  const Case cases[] = {
      {"", "main", true},          {"main", "MAIN", true}, {"main", "sub", false},  {"!main", "Main", false},
      {"!main", "sub", true},      {"a\r\nb", "B", true},  {"!a\r\nb", "b", false}, {"!a\r\nb", "c", true},
      {"a\r\nb", "a\r\nb", false}, {"ソ", "ソ", true},     {"!", "x", true},        {"x", "", false},
  };
  for (const Case& c : cases) {
    TWdCondition condition(Sjis(c.text));
    EXPECT_EQ(condition.Holds(Sjis(c.key)), c.holds) << c.text << " / " << c.key;
  }
  // A changed text is parsed again.
  TWdCondition condition("a");
  EXPECT_TRUE(condition.Holds("a"));
  condition.SetText("!a");
  EXPECT_FALSE(condition.Holds("a"));
}

TEST(ConditionTest, LinksAreEnabledByTheirTarget) {
  TKwWord document;
  Build(document, "<A HREF=a>x<A HREF=b IfTarget=main>y<A HREF=c IfTarget=\"!main\">z");
  document.EvaluateLinks("Main");
  std::string enabled;
  for (int32_t i = 0; i < document.GlyphCount(); ++i) enabled += document.GlyphAt(i)->LinkEnabled() ? '1' : '0';
  EXPECT_EQ(enabled, "110");
  document.EvaluateLinks("other");
  enabled.clear();
  for (int32_t i = 0; i < document.GlyphCount(); ++i) enabled += document.GlyphAt(i)->LinkEnabled() ? '1' : '0';
  EXPECT_EQ(enabled, "101");
}

}  // namespace
}  // namespace orvo::test
