// The message window on a headless stage with a fixed clock and a pixel
// font whose letters are solid blocks.
#include "stage/message.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "base/error.h"
#include "base/stream.h"
#include "stage/orvo_base.h"
#include "stage/stage_commands.h"
#include "stage/stage_fixture.h"
#include "support/test_support.h"
#include "surface/font_fixture.h"
#include "text/glyph.h"
#include "text/reveal.h"

namespace orvo::test {
namespace {

using TLines = std::vector<std::string>;

class MessageTest : public StageTest {
 protected:
  MessageTest() : system_({}), glyphs_(&system_, pixel_fonts_) {
    EXPECT_NE(pixel_fonts_.AddFontFile(SquareLetterFontFile(64)), nullptr);
    stage_.SetSize(200, 100);
    stage_.SetGlyphs(&glyphs_);
  }

  // A 100 x 20 window (two rows of ten letters) at (10, 10).
  TOrvoMes* Message(const std::string& name = "mes") {
    auto* message = static_cast<TOrvoMes*>(stage_.CreateByKind(kcMes));
    message->SetName(name);
    message->SetParent(&stage_.ActiveScreen());
    message->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
    message->SetProperty(PR_FONTHEIGHT, TPropValue::Int(10));
    message->SetProperty(PR_FONTCOLOR, TPropValue::Int(0xFFFFFF));
    message->SetProperty(PR_LEFT, TPropValue::Int(10));
    message->SetProperty(PR_TOP, TPropValue::Int(10));
    message->SetProperty(PR_WIDTH, TPropValue::Int(100));
    message->SetProperty(PR_HEIGHT, TPropValue::Int(20));
    return message;
  }

  // Frames until the current page is no longer revealing (at most limit).
  int RunToEnd(TOrvoMes& message, int limit = 200) {
    int frames = 0;
    while (frames < limit) {
      Frame();
      ++frames;
      if (message.CurrentPage() && !IsRevealing(*message.CurrentPage())) break;
    }
    return frames;
  }

  std::vector<uint32_t> Pixels() {
    std::vector<uint32_t> pixels;
    TCustomDIBX& surface = stage_.DisplaySurface();
    for (int32_t y = 0; y < surface.Height(); ++y) {
      for (int32_t x = 0; x < surface.Width(); ++x) pixels.push_back(surface.GetPixel(x, y));
    }
    return pixels;
  }

  test::TTableFonts system_;
  TPixelFontManager pixel_fonts_;
  TFontPixelManager glyphs_;
};

TEST_F(MessageTest, PropertiesReadBackWhatWasWritten) {
  TOrvoMes* message = Message();
  struct TRow {
    int32_t id;
    TPropValue written;
    TPropValue read;
  };
  const TRow rows[] = {
      {PR_FONTHEIGHT, TPropValue::Int(14), TPropValue::Int(14)},
      {PR_DELAY, TPropValue::Int(-5), TPropValue::Int(0)},
      {PR_DELAY, TPropValue::Int(120), TPropValue::Int(120)},
      {PR_TEXTDELAY, TPropValue::Int(512), TPropValue::Int(512)},
      {PR_CAPTURELINK, TPropValue::Bool(true), TPropValue::Bool(true)},
      {PR_PADDINGLEFT, TPropValue::Int(4), TPropValue::Int(4)},
      {PR_ANTIALIAS, TPropValue::Bool(false), TPropValue::Bool(false)},
      {PR_FONTLINKCOLOR, TPropValue::Int(0x0000FF), TPropValue::Int(0x0000FF)},
      {PR_ONPLAYEND, TPropValue::Str("done"), TPropValue::Str("done")},
      // Count and caret are read only.
      {PR_COUNT, TPropValue::Int(7), TPropValue::Int(0)},
      // No page: the index does not move.
      {PR_INDEX, TPropValue::Int(2), TPropValue::Int(-1)},
      {PR_TEXT, TPropValue::Str(""), TPropValue::Str("")},
  };
  for (const TRow& row : rows) {
    message->SetProperty(row.id, row.written);
    EXPECT_EQ(message->GetProperty(row.id).AsStr(), row.read.AsStr()) << "property " << row.id;
  }
  EXPECT_EQ(message->Document().default_font_size, 14);
  EXPECT_EQ(message->Document().speed_rate, 512);
  // The face follows writes only while the window's fonts may change.
  message->SetProperty(PR_FONTCHANGEABLED, TPropValue::Bool(false));
  message->SetProperty(PR_FONTNAME, TPropValue::Str("Other"));
  EXPECT_EQ(message->GetStr(PR_FONTNAME), "Pix");
}

TEST_F(MessageTest, PagesAndPlayingFollowTheReveal) {
  TOrvoMes* message = Message();
  // Five rows: three pages of two rows.
  message->SetText("A<BR>B<BR>C<BR>D<BR>E");
  EXPECT_EQ(message->GetInt(PR_COUNT), 3);
  EXPECT_EQ(message->GetInt(PR_INDEX), 0);
  for (int32_t page = 0; page < 3; ++page) {
    message->SetProperty(PR_INDEX, TPropValue::Int(page));
    EXPECT_TRUE(message->GetBool(PR_PLAYING)) << page;
    RunToEnd(*message);
  }
  EXPECT_FALSE(message->GetBool(PR_PLAYING));
  EXPECT_EQ(message->GetPlayState(), 2);
  // Outside the pages and on the current page nothing changes.
  message->SetProperty(PR_INDEX, TPropValue::Int(3));
  message->SetProperty(PR_INDEX, TPropValue::Int(-1));
  EXPECT_EQ(message->GetInt(PR_INDEX), 2);
}

TEST_F(MessageTest, PlayingEventsAddUpToThePageAndOnePlayEnd) {
  struct TRow {
    const char* label;
    int32_t text_delay;
    int32_t fade;
  };
  for (const TRow& row : {TRow{"normal", 256, 0}, TRow{"fast with fade", 64, 100}, TRow{"slow", 1024, 30}}) {
    TOrvoMes* message = Message(std::string("m") + row.label[0]);
    message->SetProperty(PR_ONPLAYING, TPropValue::Str("playing"));
    message->SetProperty(PR_ONPLAYEND, TPropValue::Str("end"));
    message->SetProperty(PR_TEXTDELAY, TPropValue::Int(row.text_delay));
    message->SetProperty(PR_DELAY, TPropValue::Int(row.fade));
    message->SetText("HELLO WORLD");
    std::string shown;
    int ends = 0;
    for (int frame = 0; frame < 300; ++frame) {
      Frame();
      for (const TScriptEvent& event : stage_.Events().Entries()) {
        if (event.code == ecPlaying) shown += event.args.at(0);
        if (event.code == ecPlayEnd) ++ends;
      }
      stage_.Events().Clear();
    }
    EXPECT_EQ(shown, "HELLO WORLD") << row.label;
    EXPECT_EQ(ends, 1) << row.label;
    EXPECT_EQ(message->GetStr(PR_TEXT), "HELLO WORLD") << row.label;
    stage_.ResetStage();
  }
}

TEST_F(MessageTest, NothingIsRevealedWhileThePlayStartHandlerRuns) {
  TOrvoMes* message = Message();
  message->SetProperty(PR_ONPLAYSTART, TPropValue::Str("start"));
  message->SetText("ABC");
  ASSERT_EQ(stage_.Events().Count(), 1u);
  EXPECT_EQ(stage_.Events().Entries().front().args, TLines{"0"});
  // The handler waits: the event stays in the queue, frame after frame.
  for (int frame = 0; frame < 20; ++frame) Frame();
  EXPECT_EQ(message->CurrentPage()->row_index, 0);
  EXPECT_EQ(message->CurrentPage()->column_index, 0);
  stage_.Events().Clear();
  // The frame that renders the new layout still reveals nothing.
  Frame();
  EXPECT_EQ(message->CurrentPage()->column_index, 0);
  RunToEnd(*message);
  EXPECT_EQ(message->GetStr(PR_TEXT), "ABC");
}

TEST_F(MessageTest, AMarkupErrorLeavesNoPages) {
  TOrvoMes* message = Message();
  message->SetText("first page");
  ASSERT_EQ(message->PageCount(), 1);
  EXPECT_THROW(message->SetText("<A>no href</A>"), EOrvoError);
  EXPECT_EQ(message->PageCount(), 0);
  EXPECT_EQ(message->CurrentPage(), nullptr);
  EXPECT_EQ(message->GetStr(PR_TEXT), "");
  // The window goes on working: updates, paints and new text.
  Frame();
  message->SetText("again");
  RunToEnd(*message);
  EXPECT_EQ(message->GetStr(PR_TEXT), "again");
}

TEST_F(MessageTest, LinksAnswerOnlyWhenReleasedOverThePressedRun) {
  struct TRow {
    const char* label;
    int32_t release_x;
    TLines events;
  };
  // "go " then a link of four letters at x 30..70 of the window (40..80 on screen).
  for (const TRow& row : {TRow{"same run", 60, {"46 mes link next"}}, TRow{"released off the run", 15, {}}}) {
    TOrvoMes* message = Message();
    message->SetProperty(PR_ONLINK, TPropValue::Str("onlink"));
    message->SetProperty(PR_DELAY, TPropValue::Int(0));
    message->SetText("go <A HREF=next>link</A> now");
    RunToEnd(*message);
    Move(45, 14);
    Frame();
    TWdPage* page = message->CurrentPage();
    ASSERT_NE(page->hover_glyph, nullptr) << row.label;
    Press(TMouseButton::Left, 45, 14);
    Frame();
    EXPECT_NE(message->PressedGlyph(), nullptr) << row.label;
    // The press on a link is not a plain click.
    EXPECT_FALSE(stage_.ActiveScreen().Mouse().left_click_now) << row.label;
    TakeEvents();
    Move(row.release_x + 10, 14);
    Frame();
    Release(TMouseButton::Left, row.release_x + 10, 14);
    Frame();
    TLines links;
    for (const std::string& line : TakeEvents()) {
      if (line.rfind("46 ", 0) == 0) links.push_back(line);
    }
    EXPECT_EQ(links, row.events) << row.label;
    EXPECT_EQ(message->PressedGlyph(), nullptr) << row.label;
    stage_.ResetStage();
  }
}

TEST_F(MessageTest, CaptureLinkLetsMissedClicksThrough) {
  TTestBox* below = Box("below", 0, 0, 200, 100);
  TOrvoMes* message = Message();
  message->SetProperty(PR_DELAY, TPropValue::Int(0));
  message->SetText("go <A HREF=next>link</A> now");
  RunToEnd(*message);
  struct TRow {
    bool capture;
    int32_t x;
    TOrvoControl* expected;
  };
  for (const TRow& row :
       {TRow{false, 15, message}, TRow{false, 45, message}, TRow{true, 15, below}, TRow{true, 45, message}}) {
    message->SetProperty(PR_CAPTURELINK, TPropValue::Bool(row.capture));
    TOrvoControl* hit = stage_.ActiveScreen().HitTest(row.x, 14, 0xFF);
    EXPECT_EQ(hit, row.expected) << row.capture << " " << row.x;
  }
}

TEST_F(MessageTest, APauseDoesNotCountItsTime) {
  TOrvoMes* message = Message();
  message->SetProperty(PR_DELAY, TPropValue::Int(0));
  message->SetText("ABCDEFGHIJ");
  Frame();
  Frame();
  Frame();
  const int32_t before = message->CurrentPage()->column_index;
  message->SetProperty(PR_TEXTPAUSED, TPropValue::Bool(true));
  for (int frame = 0; frame < 30; ++frame) Frame();
  EXPECT_EQ(message->CurrentPage()->column_index, before);
  message->SetProperty(PR_TEXTPAUSED, TPropValue::Bool(false));
  Frame();
  // One frame of time, not thirty: at most a few more letters.
  EXPECT_LE(message->CurrentPage()->column_index, before + 1);
}

TEST_F(MessageTest, ASaveMidRevealLoadsToTheSamePixelsWithoutANewPlayStart) {
  TOrvoMes* message = Message();
  message->SetProperty(PR_ONPLAYSTART, TPropValue::Str("start"));
  // Without a fade no glyph is half way in (those are saved as arrived).
  message->SetProperty(PR_DELAY, TPropValue::Int(0));
  message->SetText("HELLO THERE WORLD");
  stage_.Events().Clear();
  for (int frame = 0; frame < 8; ++frame) Frame();
  stage_.Screen(0).AddWholeArea();
  stage_.PaintAll();
  const std::vector<uint32_t> before = Pixels();
  const std::string shown = message->GetStr(PR_TEXT);
  const int32_t row = message->CurrentPage()->row_index, column = message->CurrentPage()->column_index;
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  stage_.WriteState(writer);
  stream.SetPosition(0);
  TBinaryReader reader(stream);
  stage_.ReadState(reader, 201);
  auto* loaded = dynamic_cast<TOrvoMes*>(stage_.FindComponent("mes"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetStr(PR_TEXT), shown);
  EXPECT_EQ(loaded->CurrentPage()->row_index, row);
  EXPECT_EQ(loaded->CurrentPage()->column_index, column);
  EXPECT_EQ(loaded->Document().layout_width, 100);
  stage_.Screen(0).AddWholeArea();
  stage_.PaintAll();
  const std::vector<uint32_t> after = Pixels();
  int differ = 0;
  for (size_t i = 0; i < before.size(); ++i) differ += before[i] != after[i];
  EXPECT_EQ(differ, 0);
  // The reveal goes on from where it was.
  RunToEnd(*loaded);
  EXPECT_EQ(loaded->GetStr(PR_TEXT), "HELLO THERE ");
  for (const TScriptEvent& event : stage_.Events().Entries()) EXPECT_NE(event.code, ecPlayStart);
}

TEST_F(MessageTest, CharactersAppearAndFadeFrameByFrame) {
  struct TRow {
    const char* label;
    int32_t text_delay;
    int32_t fade;
    // Opacities of A and B after each frame from the first.
    std::vector<std::string> frames;
  };
  // Markup waits 50 ms a character; frames are 15 ms. The first frame renders
  // the new page; the first character comes in the next one.
  const TRow rows[] = {
      {"fade 60", 256, 60, {"0 0", "0 0", "64 0", "128 0", "192 0", "255 64", "255 128", "255 192", "255 255"}},
      {"fade 0", 256, 0, {"0 0", "255 0", "255 0", "255 0", "255 0", "255 255"}},
      {"twice as fast", 128, 0, {"0 0", "255 0", "255 0", "255 255"}},
      {"fade 120", 256, 120, {"0 0", "0 0", "32 0", "64 0", "96 0", "128 32", "160 64"}},
  };
  for (const TRow& row : rows) {
    TOrvoMes* message = Message();
    message->SetProperty(PR_TEXTDELAY, TPropValue::Int(row.text_delay));
    message->SetProperty(PR_DELAY, TPropValue::Int(row.fade));
    message->SetText("ABCD");
    std::vector<std::string> seen;
    for (size_t frame = 0; frame < row.frames.size(); ++frame) {
      Frame();
      const TKwWord& document = message->Document();
      seen.push_back(std::to_string(document.GlyphAt(0)->Opacity()) + " " +
                     std::to_string(document.GlyphAt(1)->Opacity()));
    }
    EXPECT_EQ(seen, row.frames) << row.label;
    stage_.ResetStage();
  }
}

TEST_F(MessageTest, NotifyEventsCarryOneLinePerArgument) {
  struct TRow {
    const char* markup;
    TLines events;
  };
  const TRow rows[] = {
      {"A<EVENT VALUE=voice01>B", {"33 mes voice01"}},
      {"A<EVENT VALUE=\"one\\ntwo\">B", {"33 mes one two"}},
      {"A<EVENT VALUE=\"last\\n\">B", {"33 mes last "}},
  };
  for (const TRow& row : rows) {
    TOrvoMes* message = Message();
    message->SetProperty(PR_ONNOTIFY, TPropValue::Str("notify"));
    message->SetProperty(PR_DELAY, TPropValue::Int(0));
    message->SetText(row.markup);
    TLines events;
    for (int frame = 0; frame < 40; ++frame) {
      Frame();
      for (const std::string& line : TakeEvents()) events.push_back(line);
    }
    EXPECT_EQ(events, row.events) << row.markup;
    EXPECT_EQ(message->GetStr(PR_TEXT), "AB") << row.markup;
    stage_.ResetStage();
  }
}

TEST_F(MessageTest, HoverAndPressedLinksTakeTheirColours) {
  TOrvoMes* message = Message();
  message->SetProperty(PR_ONLINK, TPropValue::Str("onlink"));
  message->SetProperty(PR_DELAY, TPropValue::Int(0));
  message->SetProperty(PR_FONTLINKCOLOR, TPropValue::Int(0x0000FF));
  message->SetProperty(PR_FONTHOVERCOLOR, TPropValue::Int(0x00FF00));
  message->SetText("go <A HREF=next>link</A> now");
  RunToEnd(*message);
  // The middle of the link's first letter ("l" at window x 30) on screen.
  // The glyphs cover a quarter of their cell's strength: compare which channels are lit.
  auto colour_at = [&](int32_t x) {
    const uint32_t pixel = stage_.DisplaySurface().GetPixel(x, 14);
    uint32_t lit = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      if ((pixel >> shift) & 0xFF) lit |= 0xFFu << shift;
    }
    return lit;
  };
  const uint32_t link = static_cast<uint32_t>(stage_.DisplaySurface().ColorToPixel(0x0000FF));
  const uint32_t hover = static_cast<uint32_t>(stage_.DisplaySurface().ColorToPixel(0x00FF00));
  const uint32_t plain = static_cast<uint32_t>(stage_.DisplaySurface().ColorToPixel(0xFFFFFF));
  EXPECT_EQ(colour_at(44), link & 0xFFFFFF);
  EXPECT_EQ(colour_at(14), plain & 0xFFFFFF);
  Move(44, 14);
  Frame();
  EXPECT_EQ(colour_at(44), hover & 0xFFFFFF);
  // The whole run is lit, not only the letter under the pointer.
  EXPECT_EQ(colour_at(74), hover & 0xFFFFFF);
  Move(14, 14);
  Frame();
  EXPECT_EQ(colour_at(44), link & 0xFFFFFF);
}

TEST_F(MessageTest, TheRecordReadsBackToTheSameRecord) {
  // A window in the middle of its second page, with handlers and a link.
  TOrvoMes* message = Message();
  message->SetProperty(PR_ONPLAYEND, TPropValue::Str("end"));
  message->SetProperty(PR_ONIDLE, TPropValue::Str("idle"));
  message->SetProperty(PR_CAPTURELINK, TPropValue::Bool(true));
  message->SetText("A<BR>B<BR>go <A HREF=next>link</A>");
  message->SetProperty(PR_INDEX, TPropValue::Int(1));
  for (int frame = 0; frame < 4; ++frame) Frame();
  auto save = [](const TOrvoMes& window) {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    window.WriteState(writer);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
  };
  const std::string first = save(*message);
  auto* again = static_cast<TOrvoMes*>(stage_.CreateByKind(kcMes));
  TMemoryStream stream(first);
  TBinaryReader reader(stream);
  again->ReadState(reader, 201);
  EXPECT_EQ(reader.Remaining(), 0);
  again->ReloadText();
  EXPECT_EQ(again->GetInt(PR_INDEX), 1);
  EXPECT_EQ(again->GetStr(PR_ONIDLE), "idle");
  EXPECT_TRUE(again->GetBool(PR_CAPTURELINK));
  const std::string second = save(*again);
  EXPECT_EQ(second, first);
  // The fuzz target's seed: the version byte (201 = 100 + 101) and the record.
  if (const char* folder = std::getenv("ORVO_WRITE_FUZZ_SEEDS")) {
    WriteFile(std::string(folder) + "/stage_message_seed", std::string(1, '\x65') + first);
  }
  // Counts beyond the bytes left are refused before anything is allocated.
  for (size_t cut : {first.size() - 3, first.size() / 2}) {
    auto* damaged = static_cast<TOrvoMes*>(stage_.CreateByKind(kcMes));
    TMemoryStream short_stream(first.substr(0, cut));
    TBinaryReader short_reader(short_stream);
    EXPECT_THROW(damaged->ReadState(short_reader, 201), EOrvoError) << cut;
  }
}

TEST(ReadMarksTest, PagesAreReadOnlyWhenTheirWindowFinishedThem) {
  TOrvoReadList marks;
  struct TRow {
    const char* label;
    std::function<void(TOrvoReadList&)> step;
    bool page0, page1;
  };
  const TRow rows[] = {
      {"pending is not read", [](TOrvoReadList& m) { m.MarkPending("mes", "Story", 0, 4); }, false, false},
      {"another window finishing", [](TOrvoReadList& m) { m.MarkRead("other"); }, false, false},
      {"finished", [](TOrvoReadList& m) { m.MarkRead("mes"); }, true, false},
      {"left early", [](TOrvoReadList& m) { m.MarkPending("mes", "Story", 1, 4); }, true, false},
      {"replaced by another page", [](TOrvoReadList& m) { m.MarkPending("mes", "Other", 0, 4); }, true, false},
      {"commit of the other", [](TOrvoReadList& m) { m.MarkRead("mes"); }, true, false},
      {"page 1 now",
       [](TOrvoReadList& m) {
         m.MarkPending("mes", "STORY", 1, 4);
         m.MarkRead("mes");
       },
       true, true},
      {"cleared", [](TOrvoReadList& m) { m.ClearMarks(); }, false, false},
  };
  for (const TRow& row : rows) {
    row.step(marks);
    EXPECT_EQ(marks.IsRead("story", 4, 0), row.page0) << row.label;
    EXPECT_EQ(marks.IsRead("Story", 4, 1), row.page1) << row.label;
  }
}

TEST(ReadMarksTest, TheRecordRoundTripsAndRefusesCountsBeyondItsBytes) {
  TOrvoReadList marks;
  marks.MarkPending("mes", "Story", 2, 7);
  marks.MarkRead("mes");
  marks.MarkPending("mes", "Story", 3, 7);
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  marks.WriteMarks(writer);
  std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
  {
    TMemoryStream in(bytes);
    TBinaryReader reader(in);
    TOrvoReadList loaded;
    loaded.ReadMarks(reader, 103);
    EXPECT_TRUE(loaded.IsRead("Story", 7, 2));
    // The pending mark came back too.
    loaded.MarkRead("mes");
    EXPECT_TRUE(loaded.IsRead("Story", 7, 3));
  }
  {
    TMemoryStream in(bytes);
    TBinaryReader reader(in);
    TOrvoReadList loaded;
    loaded.ReadMarks(reader, 99);
    EXPECT_FALSE(loaded.IsRead("Story", 7, 2));
  }
  struct TDamage {
    const char* label;
    size_t offset;
    int32_t value;
  };
  // Offsets: item count 0, name length 4, name 8..13, pair count 13.
  for (const TDamage& damage :
       {TDamage{"items", 0, 0x7FFFFFFF}, TDamage{"pairs", 13, 0x10000000}, TDamage{"negative pairs", 13, -1}}) {
    std::string bad = bytes;
    std::memcpy(bad.data() + damage.offset, &damage.value, 4);
    TMemoryStream in(bad);
    TBinaryReader reader(in);
    TOrvoReadList loaded;
    EXPECT_THROW(loaded.ReadMarks(reader, 103), EOrvoError) << damage.label;
  }
}

}  // namespace
}  // namespace orvo::test
