// Pages back to source: the source compiles to the same bytes.
#include <gtest/gtest.h>

#include <filesystem>

#include "script/lang/decompiler.h"
#include "script/lang/expression_source.h"
#include "script_fixture.h"

namespace orvo::test {
namespace {

std::map<std::string, TPage> LoadPages(const std::map<std::string, std::string>& bytes) {
  std::map<std::string, TPage> pages;
  for (const auto& [name, data] : bytes) pages[name].Load(name, data);
  return pages;
}

// Decompiles every page and compiles the sources again as one game.
void ExpectRoundTrip(const std::map<std::string, std::string>& compiled, const std::string& where) {
  std::map<std::string, TPage> pages = LoadPages(compiled);
  std::vector<TPageSourceFile> sources;
  for (const auto& [name, page] : pages) {
    TDecompileOptions options;
    options.page_name = name;
    options.find_page = [&pages](const std::string& other) -> const TPage* {
      auto found = pages.find(other);
      return found == pages.end() ? nullptr : &found->second;
    };
    sources.push_back({name, name, DecompilePage(page, options)});
  }
  std::map<std::string, std::string> again = CompilePages(sources);
  for (const auto& [name, bytes] : compiled) {
    EXPECT_EQ(again[name], bytes) << where << " " << name << "\n" << sources[0].text;
  }
}

// Every page source under a folder, compiled per folder as one game.
void RoundTripFolder(const std::string& root) {
  std::map<std::string, std::vector<TPageSourceFile>> games;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.path().extension() != ".src") continue;
    // A game is the folder that holds its settings; its pages are named from there.
    std::filesystem::path game = entry.path().parent_path();
    while (!std::filesystem::exists(game / "settings.ini") && game != std::filesystem::path(root) &&
           game.has_parent_path())
      game = game.parent_path();
    if (!std::filesystem::exists(game / "settings.ini")) game = entry.path().parent_path();
    std::string name;
    std::filesystem::path relative = std::filesystem::relative(entry.path(), game);
    relative.replace_extension(".osb");
    for (const auto& part : relative) {
      if (!name.empty()) name += '\\';
      name += part.string();
    }
    games[game.string()].push_back({entry.path().string(), name, ReadFile(entry.path().string())});
  }
  ASSERT_FALSE(games.empty()) << root;
  for (const auto& [folder, sources] : games) ExpectRoundTrip(CompilePages(sources), folder);
}

TEST(Decompile, EveryPageOfTheTestsAndTheDemoRoundTrips) {
  RoundTripFolder(TestDataDir() + "/script/pages");
  RoundTripFolder(TestDataDir() + "/app/games");
  RoundTripFolder(TestDataDir() + "/../demo");
}

TEST(Decompile, StructuredSourceComesBackAsWritten) {
  const std::string source =
      "var n: int = 0\n"
      "if n == 0\n"
      "  n = 1\n"
      "elseif n > 2\n"
      "  wait 100 noevents\n"
      "else\n"
      "  call other:entry(n, \"x\") -> n\n"
      "end\n"
      "for n = 0; n < 3; n = n + 1\n"
      "  break if n == 2\n"
      "end\n"
      "label again\n"
      "goto again if n < 0\n";
  std::string other = "label entry\nreturn\n";
  std::map<std::string, std::string> compiled =
      CompilePages({{"start", "start.osb", source}, {"other", "other.osb", other}});
  std::map<std::string, TPage> pages = LoadPages(compiled);
  TDecompileOptions options;
  options.page_name = "start.osb";
  options.find_page = [&pages](const std::string& name) { return &pages[name]; };
  std::string back = DecompilePage(pages["start.osb"], options);
  // Indentation aside, the text is the same.
  std::string flat_source;
  for (char c : source) flat_source += c;
  std::string without_indent;
  bool line_start = true;
  for (char c : flat_source) {
    if (line_start && c == ' ') continue;
    line_start = c == '\n';
    without_indent += c;
  }
  std::string back_without_indent;
  line_start = true;
  for (char c : back) {
    if (line_start && c == ' ') continue;
    line_start = c == '\n';
    back_without_indent += c;
  }
  EXPECT_EQ(back_without_indent, without_indent);
}

// A page that the compiler would never write: an older version, odd flags,
// indents and targets, an unusual mask section and expressions without text.
TEST(Decompile, UnusualPagesRoundTripThroughTheFlatForm) {
  TPage page;
  page.Load("odd.osb", CompilePageSource(".version 105\nif TRUE\nn = 1\nelse\nn = 2\nend\nwait 5\n", {}));
  page.SetName("odd.osb");
  page.At(1).indent = 3;
  page.At(2).disabled_byte = 7;
  page.At(0).continue_byte = 9;
  TExpression raw;
  // ocTo ____arg [-5]: a negative constant has no expression text.
  raw.Assign(std::string("\x01\x00\x00\x00\x01\x07\x00\x00\x00____arg\x01\x00\x00\x00\x01\xfb\xff\xff\xff", 25));
  EXPECT_FALSE(ExpressionText(raw).has_value());
  page.At(3).fields[0].expr = std::move(raw);
  std::string records(70 * 23, '\0');
  records[8 * 23] = 0x01;
  page.SetMaskRecords(70, 23, records);
  auto box = CreateCommand(0x88);
  box->page_version = 105;
  box->InitFields();
  box->fields[0].properties.emplace_back(0, TExpression());
  box->fields[0].properties.back().second.Assign(CompileExpression("\"b\""));
  page.Commands().push_back(std::move(box));
  std::string bytes = page.SaveToBytes();
  ExpectRoundTrip({{"odd.osb", bytes}}, "odd");
}

// Text commands: markup compiles into the glyph stream, and a stream comes
// back as markup only where that markup compiles to the very same bytes.
TEST(Decompile, TextStreamsComeBackAsMarkupWhereTheyCompileAlike) {
  struct Case {
    const char* source;
    const char* field;  // how the decompiled text field starts
  };
  const Case cases[] = {
      {"text markup=\"<B>Hello</B>, ソ表\\\\\\\\ <IF TARGET=\\\"!a\\\\nb\\\">x  y</IF><BR>\", obj=\"mes\"", "markup="},
      {"text markup=\"<FONT SIZE=20 COLOR=#102030 BORDER=0 NAME='ＭＳ 明朝'><RUBY VALUE=かん>漢</RUBY><NOBR><I>a\"",
       "markup="},
      {"text markup=\"<A HREF=go IfTarget=m><WAIT VALUE=0><IMG SRC=a.png ALIGN=TOP "
       "MgnLeft=2>\\\\<\\\\>\\\\\\\"</WAIT>\"",
       "markup="},
      {"text markup=\"<DIV ALIGN=CENTER PadLeft=3 NoHeight><EVENT VALUE=e END><VAR NAME=n><HISTCHAR VALUE=h>"
       "<INDENT><UNDENT><BR CLEAR></DIV>\"",
       "markup="},
      {"text markup=\"\"", "markup="},
      {"text markup=\"a\\nb\\r\\nc\"", "markup="},
      {"text text=\"こんにちは\\r\\n\"", "text="},
      // PRE turns line breaks into BR glyphs and a TAB into spaces that plain markup must keep apart.
      {"text markup=\"<PRE>a  b\\nc</PRE>\"", "markup="},
      {"text markup=\"<PRE>a\\tb</PRE>\"", "markup="},
      {"text text=\"KwWord105\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x01\\x00\\x00\\x00\"",
       "text="},
  };
  for (const Case& c : cases) {
    std::string bytes = CompilePageSource(c.source, {});
    TPage page;
    page.Load("t.osb", bytes);
    TDecompileOptions options;
    options.page_name = "t.osb";
    std::string back = DecompilePage(page, options);
    EXPECT_NE(back.find(std::string("text ") + c.field), std::string::npos) << c.source << "\n" << back;
    EXPECT_EQ(CompilePageSource(back, {}), bytes) << c.source << "\n" << back;
  }
  EXPECT_THROW(CompilePageSource("text markup=\"<A>\"", {}), EOrvoError);
  try {
    CompilePageSource("text markup=\"a<IF>\"", {});
  } catch (const EOrvoError& error) {
    EXPECT_NE(std::string(error.what()).find("<IF>タグにTARGET値がありません"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace orvo::test
