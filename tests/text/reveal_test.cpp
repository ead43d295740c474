#include "text/reveal.h"

#include <gtest/gtest.h>

#include <functional>

#include "text/kw_word.h"
#include "text_fixture.h"

namespace orvo::test {
namespace {

struct TRevealSetup {
  int32_t speed = 256;
  int32_t fade = 1;
  bool notify = true;
  int32_t height = 100;
  bool paging = true;
};

// One frame per delta: "REVEALED/OPAQUE" plus "!" on the frame that
// finished and the events fired, as "(value)"; frames joined by a space.
std::string Trace(std::string_view markup, const TRevealSetup& setup, const std::vector<int32_t>& deltas,
                  const std::function<void(TKwWord&, TWdPage&, size_t)>& before = {}) {
  TKwWord document;
  Build(document, markup);
  // Markup keeps the END mark in the value; a stored stream turns it into the end flag.
  for (int32_t i = 0; i < document.GlyphCount(); ++i) {
    if (document.GlyphAt(i)->Kind() != TGlyphKind::Event) continue;
    auto* event = static_cast<TWdOpeEvent*>(document.GlyphAt(i));
    if (event->value.starts_with('\x01')) {
      event->value.erase(0, 1);
      event->end = true;
    }
  }
  document.layout_width = 100;
  document.layout_height = setup.height;
  document.paging = setup.paging;
  document.speed_rate = setup.speed;
  document.fade_time = setup.fade;
  document.notify_enabled = setup.notify;
  std::string fired;
  document.event_callback = [&fired](TKwWord&, std::string_view text) {
    fired += '(';
    fired.append(text);
    fired += ')';
  };
  std::vector<std::unique_ptr<TWdPage>> pages;
  document.Layout(pages, 0, "mes", -1);
  TWdPage& page = *pages[0];
  SetOpacityAll(page, 0);
  std::string out;
  for (size_t frame = 0; frame < deltas.size(); ++frame) {
    if (before) before(document, page, frame);
    fired.clear();
    TRevealStep step = StepReveal(page, deltas[frame]);
    int revealed = 0, opaque = 0;
    for (int32_t r = 0; r < page.ChildCount(); ++r) {
      for (int32_t c = 0; c < page.Row(r)->ChildCount(); ++c) {
        const TWdGlyph* glyph = page.Row(r)->Child(c);
        if (glyph->Kind() != TGlyphKind::Char && glyph->Kind() != TGlyphKind::Img) continue;
        if (r < page.row_index || (r == page.row_index && c < page.column_index)) ++revealed;
        if (glyph->Opacity() == 255) ++opaque;
      }
    }
    if (!out.empty()) out += ' ';
    out += std::to_string(revealed);
    out += '/';
    out += std::to_string(opaque);
    if (step.just_finished) out += '!';
    out += fired;
  }
  return out;
}

std::vector<int32_t> Frames(int32_t ms, size_t count) { return std::vector<int32_t>(count, ms); }

TEST(RevealTest, FollowsWaitsSpeedAndFade) {
  struct TCase {
    const char* name;
    const char* markup;
    TRevealSetup setup;
    std::vector<int32_t> deltas;
    const char* expected;
  };
  const TCase cases[] = {
      // The first frame is skipped; each frame then reveals what its time pays for.
      {"plain waits", "<WAIT VALUE=20>abcd", {}, Frames(20, 6), "0/0 1/0 2/2 3/3 4/4 4/4!"},
      {"speed 0 shows the page at once", "<WAIT VALUE=20>abcd", {.speed = 0}, Frames(20, 4), "0/0 4/0 4/4 4/4!"},
      {"speed 512 doubles every wait", "<WAIT VALUE=20>abcd", {.speed = 512}, Frames(20, 5), "0/0 1/0 1/1 2/2 2/2"},
      {"negative speed ignores every wait",
       "<WAIT VALUE=20>ab<WAIT VALUE=-30>cd",
       {.speed = -1},
       Frames(20, 3),
       "0/0 4/0 4/4"},
      {"negative waits are absolute", "<WAIT VALUE=-30>abcd", {.speed = 512}, Frames(30, 5), "0/0 1/0 2/2 3/3 4/4"},
      {"negative waits ignore a zero speed", "<WAIT VALUE=-30>abcd", {.speed = 0}, Frames(30, 3), "0/0 1/0 2/2"},
      {"fade 0 shows at once", "<WAIT VALUE=20>ab", {.fade = 0}, Frames(20, 4), "0/0 1/1 2/2 2/2!"},
      {"fade 300 takes 300 ms", "<WAIT VALUE=0>a", {.fade = 300}, {15, 0, 150, 148, 1, 1}, "0/0 1/0 1/0 1/0 1/1 1/1!"},
      {"events fire once the text before them is opaque",
       "<WAIT VALUE=0>a<EVENT VALUE=e>b",
       {.fade = 300},
       {15, 0, 300, 15, 15},
       "0/0 1/0 1/1(e) 2/1 2/1"},
      {"two events fire in one frame, in order",
       "<WAIT VALUE=0>a<EVENT VALUE=x><EVENT VALUE=y>b",
       {},
       Frames(15, 3),
       "0/0 1/0 1/1(x)(y)"},
      {"an END event stops the reveal",
       "<WAIT VALUE=0>a<EVENT VALUE=x END><EVENT VALUE=y>b",
       {},
       Frames(15, 6),
       "0/0 1/0 1/1(x) 1/1 1/1(y) 2/1"},
      {"events are skipped without notify",
       "<WAIT VALUE=0>a<EVENT VALUE=x>b",
       {.notify = false},
       Frames(15, 4),
       "0/0 2/0 2/2 2/2!"},
      {"an event first on the page", "<WAIT VALUE=0><EVENT VALUE=x>ab", {}, Frames(15, 3), "0/0 0/0 0/0(x)"},
      {"an event last on the page", "<WAIT VALUE=0>ab<EVENT VALUE=x>", {}, Frames(15, 4), "0/0 2/0 2/2(x) 2/2!"},
      // Rows that hold only hidden glyphs have nothing to reveal.
      {"rows of hidden glyphs are passed over",
       "<WAIT VALUE=0>ab<BR><IF TARGET=x>cd</IF>",
       {},
       Frames(15, 4),
       "0/0 2/0 2/2 2/2!"},
      {"paging off stops at the first row out of view",
       "<WAIT VALUE=0>a<BR>b<BR>c<BR>d",
       {.height = 20, .paging = false},
       Frames(15, 4),
       "0/0 2/0 2/2 2/2"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Trace(c.markup, c.setup, c.deltas), c.expected);
  }
}

TEST(RevealTest, PauseKeepsFadingAndResumeDoesNotCountThePause) {
  auto pause = [](TKwWord& document, TWdPage& page, size_t frame) {
    if (frame == 2) document.paused = true;
    if (frame == 5) {
      document.paused = false;
      ResumeReveal(page);
    }
  };
  // Frame 3 pauses after "a" appeared: "a" still fades in and nothing more is
  // revealed; resuming skips a frame and starts from an empty budget, so the
  // next frame pays for "b" and "c" with its own 15 ms only.
  EXPECT_EQ(Trace("<WAIT VALUE=15>abc", {}, Frames(15, 9), pause), "0/0 1/0 1/1 1/1 1/1 1/1 3/3 3/3! 3/3");
}

TEST(RevealTest, ResetStartsThePageAgain) {
  TKwWord document;
  Build(document, "<WAIT VALUE=0>ab");
  document.layout_width = 100;
  document.layout_height = 100;
  std::vector<std::unique_ptr<TWdPage>> pages;
  document.Layout(pages, 0, "mes", -1);
  TWdPage& page = *pages[0];
  for (int i = 0; i < 4; ++i) StepReveal(page, 15);
  EXPECT_TRUE(IsFinished(page));
  ResetReveal(page);
  EXPECT_FALSE(IsFinished(page));
  EXPECT_EQ(page.frame_skip, 1);
  EXPECT_EQ(FirstGlyphOf(page), document.GlyphAt(0));
  EXPECT_EQ(LastGlyphOf(page), document.GlyphAt(1));
}

}  // namespace
}  // namespace orvo::test
