// Showing history entries in a message window: the entries' pages are laid
// out again and their rows stacked on one page. A pixel font whose letters
// are 8 x 8 blocks in 10-pixel rows keeps the heights fixed.
#include <gtest/gtest.h>

#include "base/runtime_state.h"
#include "save/history.h"
#include "stage/message.h"
#include "stage/prop_table.h"
#include "surface/font_fixture.h"
#include "text/glyph.h"
#include "text/markup_writer.h"

namespace orvo::test {
namespace {

class HistoryDisplayTest : public ::testing::Test {
 protected:
  HistoryDisplayTest() : stage_(state_), system_({}), glyphs_(&system_, pixel_fonts_) {
    EXPECT_NE(pixel_fonts_.AddFontFile(SquareLetterFontFile(64)), nullptr);
    stage_.SetSize(200, 100);
    stage_.SetGlyphs(&glyphs_);
    // Page "p.osb": command 0 lays out to two pages, command 1 to one; command 2 is no text.
    stage_.SetTextCommandSource([](const std::string& page, int32_t index) -> std::optional<std::string> {
      if (page != "p.osb" || index < 0 || index > 1) return std::nullopt;
      TKwWord text;
      text.BuildFromMarkup(SplitMarkupLines(index == 0 ? "aaaa<CLEAR>bbbb" : "cc"), 0);
      return text.GlyphStreamBytes();
    });
    stage_.SetPageExists([](const std::string& page) { return page == "p.osb"; });
    THistoryServices services;
    services.stage = &stage_;
    services.page_exists = stage_.PageExists();
    history_.SetServices(services);
    stage_.SetHistory(&history_);
  }

  TOrvoMes* Window(const std::string& name, int32_t height) {
    auto* message = static_cast<TOrvoMes*>(stage_.CreateByKind(kcMes));
    message->SetName(name);
    message->SetParent(&stage_.ActiveScreen());
    message->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
    message->SetProperty(PR_FONTHEIGHT, TPropValue::Int(10));
    message->SetProperty(PR_WIDTH, TPropValue::Int(100));
    message->SetProperty(PR_HEIGHT, TPropValue::Int(height));
    return message;
  }

  // Records an old-style entry of a 100 x 20 window.
  void Entry(const std::string& page, int32_t command, int32_t page_number) {
    history_.DefaultFormat().history.RecordPending("mes", 100, 20, page, "", page_number, 0, 0, command);
    history_.DefaultFormat().history.CommitPending("mes");
  }

  // "text@y" of every row of the window's current page.
  std::vector<std::string> Rows(const TOrvoMes& message) {
    std::vector<std::string> rows;
    TWdPage* page = message.CurrentPage();
    if (!page) return rows;
    for (int32_t r = 0; r < page->ChildCount(); ++r) {
      rows.push_back(page->Row(r)->Text() + "@" + std::to_string(page->Row(r)->y));
    }
    return rows;
  }

  TRuntimeState state_;
  TOrvoBaseList stage_;
  TTableFonts system_;
  TPixelFontManager pixel_fonts_;
  TFontPixelManager glyphs_;
  TOrvoHistoryFormatManager history_;
};

TEST_F(HistoryDisplayTest, OldStyleEntriesStackByWindowHeightAndSkipWhatNoLongerLaysOut) {
  struct TRow {
    const char* what;
    std::vector<std::tuple<std::string, int32_t, int32_t>> entries;  // page, command, page number
    bool packed;
    std::vector<std::string> rows;
  };
  const TRow rows[] = {
      {"two entries", {{"p.osb", 0, 1}, {"p.osb", 1, 0}}, false, {"bbbb@0", "cc@20"}},
      {"packed", {{"p.osb", 0, 1}, {"p.osb", 1, 0}}, true, {"bbbb@0", "cc@10"}},
      {"a page number the text lacks", {{"p.osb", 0, 7}, {"p.osb", 1, 0}}, false, {"cc@0"}},
      {"no text command", {{"p.osb", 2, 0}, {"p.osb", 1, 0}}, false, {"cc@0"}},
      {"a page that is gone ends the display", {{"p.osb", 1, 0}, {"gone.osb", 0, 0}, {"p.osb", 0, 0}}, false, {"cc@0"}},
  };
  for (const TRow& row : rows) {
    history_.ClearFormats();
    for (const auto& [page, command, number] : row.entries) Entry(page, command, number);
    TOrvoMes* log = Window("log", 60);
    // The window's own text reference must not win over the entries.
    log->Content().SetTextReference("p.osb", 0);
    log->SetPackedDisplay(row.packed);
    history_.DefaultFormat().history.ShowHistory(0, static_cast<int32_t>(row.entries.size()), log);
    EXPECT_EQ(log->TextSourceFlag(), TTextSource::History) << row.what;
    EXPECT_EQ(Rows(*log), row.rows) << row.what;
    log->Scrap();
  }
}

TEST_F(HistoryDisplayTest, NewStyleEntriesAreMeasuredWithTheFormatAndShownFromTheOffset) {
  TOrvoMes* templ = Window("template", 60);
  TOrvoHistoryFormat& wide = history_.ObtainFormat("wide");
  for (size_t i = 0; i < 8; ++i) {
    const int32_t ids[8] = {PR_FONTHEIGHT, PR_FONTBORDER, PR_FONTSHADOW,  PR_WIDTH,
                            PR_HEIGHT,     PR_LINESPACE,  PR_PADDINGLEFT, PR_PADDINGRIGHT};
    wide.settings.values[i] = templ->GetInt(ids[i]);
  }
  history_.SetServices([&] {
    THistoryServices services = history_.Services();
    services.text_command = [this](const std::string& page, int32_t index, bool&) {
      return stage_.TextCommandSource()(page, index);
    };
    return services;
  }());
  TOrvoMes* mes = Window("mes", 20);
  for (int32_t command : {0, 1}) {
    mes->SetTextSource(TTextSource::Recorded);
    mes->SetCommandOrigin("p.osb", command);
    mes->Content().SetTextReference("p.osb", command);
    mes->Content().Prime("p.osb", command, *stage_.TextCommandSource()("p.osb", command));
    mes->RebuildText(false, false);
    mes->SetPage(0);
    if (command == 0) mes->SetPage(1);
  }
  mes->SetText("");
  // Three pages of one 10-pixel row each, in one history page of the 60-pixel height.
  EXPECT_EQ(wide.history.HistoryTotal(), 30);
  EXPECT_EQ(wide.history.EntryCount(), 1);
  TOrvoMes* log = Window("log", 60);
  wide.history.ShowHistory(15, 20, log);
  EXPECT_EQ(Rows(*log), (std::vector<std::string>{"bbbb@-5", "cc@5"}));
}

}  // namespace
}  // namespace orvo::test
