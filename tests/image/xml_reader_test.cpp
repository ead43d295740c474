// The small XML reader and writer: CP932 bytes pass unchanged (trail bytes
// included), references resolve to CP932, malformed documents are refused.
#include "image/xml_reader.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "image/xml_writer.h"
#include "support/test_support.h"

namespace orvo {
namespace {

using test::Sjis;

TEST(XmlReader, ReadsElementsAttributesAndText) {
  const std::string document = Sjis(
      "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
      "<!-- 前置き -->\r\n"
      "<!DOCTYPE menu [ <!ENTITY x \"]>\"> ]>\r\n"
      "<メニュー 名前='ゾ表' Count=\"2\">\r\n"
      "  <Item Path=\"a&amp;b&lt;&gt;&quot;&apos;&#9;&#x41;&#12354;\" Space=\"a\tb\r\nc&#10;\"/>\r\n"
      "  <?target ignored?>\r\n"
      "  <Item>テキスト<![CDATA[ゾ]>]]>&lt;</Item>\r\n"
      "</メニュー>\r\n");
  TXmlDocument parsed = ParseXml(document);
  ASSERT_TRUE(parsed.declaration.has_value());
  EXPECT_EQ(parsed.declaration->version, "1.0");
  EXPECT_EQ(parsed.declaration->encoding, "Shift_JIS");
  EXPECT_FALSE(parsed.declaration->standalone.has_value());
  const TXmlElement& root = *parsed.root;
  EXPECT_EQ(root.name, Sjis("メニュー"));
  ASSERT_NE(root.Attribute(Sjis("名前")), nullptr);
  EXPECT_EQ(*root.Attribute(Sjis("名前")), Sjis("ゾ表"));
  EXPECT_EQ(root.Attribute("count"), nullptr);
  ASSERT_NE(root.Attribute("count", TNameCase::IgnoreAscii), nullptr);
  ASSERT_EQ(root.children.size(), 2u);
  const TXmlElement& first = *root.children[0];
  EXPECT_EQ(*first.Attribute("Path"), Sjis("a&b<>\"'\tAあ"));
  // Literal white space in a value becomes spaces; a reference keeps its character.
  EXPECT_EQ(*first.Attribute("Space"), "a b c\n");
  EXPECT_EQ(root.children[1]->text, Sjis("テキストゾ]><"));
  EXPECT_EQ(root.Child("item", TNameCase::IgnoreAscii), root.children[0].get());
  EXPECT_EQ(root.ChildIndex("Other"), 2u);
}

TEST(XmlReader, DocumentsWithoutDeclarationAndLineEnds) {
  TXmlDocument parsed = ParseXml("<a>one\r\ntwo\rthree</a>");
  EXPECT_FALSE(parsed.declaration.has_value());
  EXPECT_EQ(parsed.root->text, "one\ntwo\nthree");
}

TEST(XmlReader, RefusesMalformedDocuments) {
  struct TCase {
    const char* name;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"no root", "<?xml version=\"1.0\"?>"},
      {"unterminated element", "<a><b></b>"},
      {"mismatched end tag", "<a></b>"},
      {"two roots", "<a/><b/>"},
      {"text after the root", "<a/>text"},
      {"unquoted value", "<a b=c/>"},
      {"'<' in a value", "<a b=\"<\"/>"},
      {"attributes without space", "<a b=\"1\"c=\"2\"/>"},
      {"repeated attribute", "<a b=\"1\" b=\"2\"/>"},
      {"unknown entity", "<a>&nbsp;</a>"},
      {"unterminated reference", "<a>&amp</a>"},
      {"reference to NUL", "<a>&#0;</a>"},
      {"reference to a surrogate", "<a>&#xD800;</a>"},
      {"reference beyond Unicode", "<a>&#x110000;</a>"},
      {"character without CP932 form", "<a>&#x1F600;</a>"},
      {"declaration not at the start", " <?xml version=\"1.0\"?><a/>"},
      {"unknown declaration attribute", "<?xml version=\"1.0\" colour=\"red\"?><a/>"},
      {"unterminated comment", "<a><!-- x</a>"},
      {"unterminated CDATA", "<a><![CDATA[x]]</a>"},
      {"a CDATA end that begins in a trail byte", Sjis("<a><![CDATA[ゾ]>") + "</a>"},
      {"document type after the root", "<a/><!DOCTYPE a>"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(ParseXml(c.text), EFormatError);
  }
}

TEST(XmlReader, BoundsNestingAndElementCount) {
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "<a>";
  for (int i = 0; i < 300; ++i) deep += "</a>";
  EXPECT_THROW(ParseXml(deep), EFormatError);
  EXPECT_NO_THROW(ParseXml(deep, {.max_depth = 300}));

  std::string wide = "<a>";
  for (int i = 0; i < 100; ++i) wide += "<b/>";
  wide += "</a>";
  EXPECT_THROW(ParseXml(wide, {.max_elements = 100}), EFormatError);
  EXPECT_NO_THROW(ParseXml(wide, {.max_elements = 101}));
}

TEST(XmlWriter, WritesWhatTheReaderGivesBack) {
  const std::string value = Sjis("ゾ表<&>\"'") + std::string("\x01\t\r\n", 4);
  TXmlWriter writer;
  writer.Open("Frames");
  writer.Attribute("Name", value);
  writer.Attribute("Count", int64_t{-7});
  writer.Open("Frame");
  writer.Close();
  writer.Open("Frame");
  writer.Open("Layers");
  std::string text = writer.Finish();
  EXPECT_NE(text.find("&#1;&#9;&#13;&#10;"), std::string::npos);

  TXmlDocument parsed = ParseXml(text);
  EXPECT_EQ(parsed.declaration->encoding, "Shift_JIS");
  EXPECT_EQ(*parsed.root->Attribute("Name"), value);
  EXPECT_EQ(*parsed.root->Attribute("Count"), "-7");
  ASSERT_EQ(parsed.root->children.size(), 2u);
  EXPECT_EQ(parsed.root->children[1]->children[0]->name, "Layers");
}

}  // namespace
}  // namespace orvo
