#include <gtest/gtest.h>

#include "base/stream.h"
#include "stage/bar_fixture.h"

namespace orvo::test {
namespace {

using TLines = std::vector<std::string>;

class SliderTest : public BarTest {};

TEST_F(SliderTest, RectanglesOfBothKindsInBothOrientations) {
  struct Case {
    const char* name;
    uint8_t kind;
    int32_t orientation;
    int32_t width, height, offset;
    TRect bar, thumb, first, second;
  };
  // All at (10, 20), value 50 of 0..100, thumb 10 x 10, buttons 8 x 8.
  const Case cases[] = {
      {"slider across",
       kcSlider,
       0,
       226,
       10,
       100,
       {23, 23, 223, 27},
       {118, 20, 128, 30},
       {10, 21, 18, 29},
       {228, 21, 236, 29}},
      {"slider upright",
       kcSlider,
       1,
       10,
       226,
       100,
       {13, 33, 17, 233},
       {10, 128, 20, 138},
       {11, 20, 19, 28},
       {11, 238, 19, 246}},
      {"scroll bar across",
       kcScrollbar,
       0,
       216,
       10,
       95,
       {18, 23, 218, 27},
       {113, 20, 123, 30},
       {10, 21, 18, 29},
       {218, 21, 226, 29}},
      {"scroll bar upright",
       kcScrollbar,
       1,
       10,
       216,
       95,
       {13, 28, 17, 228},
       {10, 123, 20, 133},
       {11, 20, 19, 28},
       {11, 228, 19, 236}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoSlider* s = MakeSlider(c.kind, c.name, c.orientation);
    Set(*s, PR_VALUE, TPropValue::Int(50));
    EXPECT_EQ(s->Width(), c.width);
    EXPECT_EQ(s->Height(), c.height);
    EXPECT_EQ(s->ThumbOffset(), c.offset);
    EXPECT_EQ(s->BarRect(), c.bar);
    EXPECT_EQ(s->ThumbRect(), c.thumb);
    EXPECT_EQ(s->ButtonRect(0), c.first);
    EXPECT_EQ(s->ButtonRect(1), c.second);
    s->Scrap();
    Step();
  }
}

TEST_F(SliderTest, DrawsTheFilledCellUpToTheThumb) {
  TOrvoSlider* s = MakeSlider(kcSlider, "s", 0);
  Set(*s, PR_VALUE, TPropValue::Int(50));
  struct Probe {
    int32_t x, y, colour;
  };
  const Probe probes[] = {
      {24, 24, kBarRight},          {117, 24, kBarRight},  // filled part before the thumb
      {130, 24, kBarLeft},          {222, 24, kBarLeft},   // the rest
      {120, 21, kThumbColours[0]},  {12, 22, kButtonColours[0]},
      {230, 22, kButtonColours[3]}, {223, 24, kBackground},  // the bar's end, under nothing
  };
  for (const Probe& p : probes) EXPECT_EQ(Pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST_F(SliderTest, EqualMinimumAndMaximumMakeItInert) {
  TOrvoSlider* s = MakeSlider(kcSlider, "s", 0);
  Set(*s, PR_MAX, TPropValue::Int(0));
  EXPECT_EQ(s->ThumbOffset(), 0);
  EXPECT_EQ(Pixel(19, 21), kBackground) << "no thumb";
  for (auto [x, y] : {std::pair{20, 25}, {12, 25}, {100, 25}}) {
    Move(x, y);
    Step();
    EXPECT_EQ(s->ThumbState(), 0);
    EXPECT_EQ(s->ButtonState(0), 0);
    Press(x, y);
    Step();
    Release(x, y);
    Step();
    EXPECT_EQ(s->GetInt(PR_VALUE), 0);
    EXPECT_EQ(s->DragMode(), TOrvoSlider::dmIdle);
  }
  EXPECT_EQ(TakeEvents(), TLines{});
}

TEST_F(SliderTest, ValueAboveTheMaximumReadsTheMaximumAndPostsNothing) {
  TOrvoSlider* s = MakeSlider(kcScrollbar, "s", 0);
  Set(*s, PR_VALUE, TPropValue::Int(150));
  EXPECT_EQ(s->RawValue(), 150);
  EXPECT_EQ(s->GetInt(PR_VALUE), 100);
  Set(*s, PR_VALUE, TPropValue::Int(-7));
  EXPECT_EQ(s->GetInt(PR_VALUE), 0);
  Step();
  EXPECT_EQ(TakeEvents(), TLines{});
}

TEST_F(SliderTest, ClickOnTheBarJumpsAndDrags) {
  TOrvoSlider* s = MakeSlider(kcSlider, "s", 0);
  Set(*s, PR_ONHOLD, TPropValue::Str("hold"));
  Set(*s, PR_ONRELEASE, TPropValue::Str("release"));
  struct Row {
    const char* label;
    void (BarTest::*input)(int32_t, int32_t);
    int32_t x;
    TLines events;
  };
  // The bar starts at x 23.
  const Row rows[] = {
      {"point", &BarTest::Move, 53, {}},
      {"click 30 px in", &BarTest::Press, 53, {"135 s", "33 s 15"}},
      {"drag", &BarTest::Move, 63, {"33 s 20"}},
      {"drag beyond the end", &BarTest::Move, 400, {"33 s 100"}},
      {"release", &BarTest::Release, 400, {"136 s"}},
      {"grab the thumb", &BarTest::Move, 220, {}},
      {"press the thumb", &BarTest::Press, 220, {"135 s"}},
      {"drag the thumb keeps the grab", &BarTest::Move, 120, {"33 s 50"}},
      {"let go", &BarTest::Release, 120, {"136 s"}},
  };
  for (const Row& row : rows) {
    (this->*row.input)(row.x, 25);
    Step();
    EXPECT_EQ(TakeEvents(), row.events) << row.label;
  }
}

TEST_F(SliderTest, DragTiesRoundToEven) {
  AddBar("short.dov", 6, 4);
  TOrvoSlider* s = MakeSlider(kcSlider, "s", 0);
  Set(*s, PR_SOURCE, TPropValue::Str("short.dov"));
  Set(*s, PR_MAX, TPropValue::Int(3));
  // Bar from x 23, 6 px for 3 units: every odd pixel is a tie.
  const TRect bar = s->BarRect();
  ASSERT_EQ(bar.left, 23);
  Move(bar.left, 25);
  Step();
  Press(bar.left, 25);
  Step();
  const std::pair<int32_t, int32_t> rows[] = {{1, 0}, {2, 1}, {3, 2}, {5, 2}, {4, 2}, {-4, 0}, {9, 3}};
  for (auto [offset, value] : rows) {
    Move(bar.left + offset, 25);
    Step();
    EXPECT_EQ(s->GetInt(PR_VALUE), value) << "at " << offset;
  }
}

TEST_F(SliderTest, ButtonsAndTrackRepeatAfter300ThenEvery50Ms) {
  struct Case {
    const char* name;
    uint8_t kind;
    int32_t x, y;  // where the pointer is held
    int32_t start;
    std::vector<int32_t> values;  // after the press, then every 50 ms
  };
  const Case cases[] = {
      {"second button", kcSlider, 230, 25, 0, {5, 5, 5, 5, 5, 5, 10, 15, 20}},
      {"first button", kcSlider, 12, 25, 100, {95, 95, 95, 95, 95, 95, 90, 85, 80}},
      // Pages by 20 until the thumb reaches the pointer.
      {"track after the thumb", kcScrollbar, 150, 25, 0, {20, 20, 20, 20, 20, 20, 40, 60, 80, 80}},
      {"track before the thumb", kcScrollbar, 60, 25, 100, {80, 80, 80, 80, 80, 80, 60, 40, 20, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoSlider* s = MakeSlider(c.kind, "s", 0);
    Set(*s, PR_SMALLCHANGE, TPropValue::Int(5));
    Set(*s, PR_LARGECHANGE, TPropValue::Int(20));
    Set(*s, PR_VALUE, TPropValue::Int(c.start));
    Move(c.x, c.y);
    Step(50);
    Press(c.x, c.y);
    std::vector<int32_t> seen;
    for (size_t i = 0; i < c.values.size(); ++i) {
      Step(50);
      seen.push_back(s->GetInt(PR_VALUE));
    }
    EXPECT_EQ(seen, c.values);
    Release(c.x, c.y);
    Step(50);
    EXPECT_EQ(s->DragMode(), TOrvoSlider::dmIdle);
    s->Scrap();
    Step();
    TakeEvents();
  }
}

TEST_F(SliderTest, HeldButtonStopsWhenThePointerLeavesIt) {
  TOrvoSlider* s = MakeSlider(kcSlider, "s", 0);
  Set(*s, PR_SMALLCHANGE, TPropValue::Int(5));
  Move(230, 25);
  Step(50);
  Press(230, 25);
  Step(50);
  Move(150, 25);
  for (int i = 0; i < 8; ++i) Step(50);
  EXPECT_EQ(s->GetInt(PR_VALUE), 5);
  EXPECT_EQ(s->ButtonState(1), 0);
}

TEST_F(SliderTest, ArrowKeysAndButtonsStepByOrientation) {
  struct Case {
    const char* name;
    uint8_t kind;
    int32_t orientation;
    int32_t key;
    int32_t expected;
  };
  const Case cases[] = {
      {"across right", kcSlider, 0, 39, 55},           {"across left", kcSlider, 0, 37, 45},
      {"upright slider up", kcSlider, 1, 38, 55},      {"upright slider down", kcSlider, 1, 40, 45},
      {"upright scroll up", kcScrollbar, 1, 38, 45},   {"upright scroll down", kcScrollbar, 1, 40, 55},
      {"scroll across right", kcScrollbar, 0, 39, 55}, {"wrong axis", kcSlider, 1, 39, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoSlider* s = MakeSlider(c.kind, "s", c.orientation);
    Set(*s, PR_SMALLCHANGE, TPropValue::Int(5));
    Set(*s, PR_VALUE, TPropValue::Int(50));
    Set(*s, PR_HANDLEKEY, TPropValue::Bool(true));
    stage_.SetFocusObject(s);
    Key(c.key, true);
    Step();
    Key(c.key, false);
    Step();
    EXPECT_EQ(s->GetInt(PR_VALUE), c.expected);
    // The first (top or left) button steps the same way as the decrease key of
    // the screen's axis: up for upright sliders, down for scroll bars.
    Set(*s, PR_VALUE, TPropValue::Int(50));
    const TRect first = s->ButtonRect(0);
    Move(first.left + 1, first.top + 1);
    Step();
    Press(first.left + 1, first.top + 1);
    Step();
    Release(first.left + 1, first.top + 1);
    Step();
    const bool first_increases = c.kind == kcSlider && c.orientation == 1;
    EXPECT_EQ(s->GetInt(PR_VALUE), first_increases ? 55 : 45);
    s->Scrap();
    Step();
    TakeEvents();
  }
}

TEST_F(SliderTest, WideRangesDoNotOverflow) {
  TOrvoSlider* s = MakeSlider(kcSlider, "s", 0);
  Set(*s, PR_MIN, TPropValue::Int(-2000000000));
  Set(*s, PR_MAX, TPropValue::Int(2000000000));
  Set(*s, PR_SMALLCHANGE, TPropValue::Int(2000000000));
  Set(*s, PR_VALUE, TPropValue::Int(0));
  EXPECT_EQ(s->ThumbOffset(), 100);
  const TRect bar = s->BarRect();
  Move(bar.left + 150, 25);
  Step();
  Press(bar.left + 150, 25);
  Step();
  EXPECT_EQ(s->GetInt(PR_VALUE), 1000000000);
  Release(bar.left + 150, 25);
  Step();
  Set(*s, PR_HANDLEKEY, TPropValue::Bool(true));
  stage_.SetFocusObject(s);
  Key(39, true);
  Step();
  EXPECT_EQ(s->GetInt(PR_VALUE), 2000000000);
}

TEST_F(SliderTest, ScrollBarWithAThumbAsLongAsItsBarKeepsItsValue) {
  AddBar("tiny.dov", 10, 4);
  TOrvoSlider* s = MakeSlider(kcScrollbar, "s", 0);
  Set(*s, PR_SOURCE, TPropValue::Str("tiny.dov"));
  Set(*s, PR_VALUE, TPropValue::Int(40));
  EXPECT_EQ(s->ThumbOffset(), 0);
  const TRect thumb = s->ThumbRect();
  Move(thumb.left + 2, 25);
  Step();
  ASSERT_EQ(s->ThumbState(), 1);
  Press(thumb.left + 2, 25);
  Step();
  Move(thumb.left + 8, 25);
  Step();
  EXPECT_EQ(s->GetInt(PR_VALUE), 40);
  EXPECT_EQ(s->ThumbOffset(), 0);
  EXPECT_EQ(TakeEvents(), TLines{});
}

TEST_F(SliderTest, BarMaskRepeatsWithALongerBar) {
  // 8 x 4 cells; the left cell's mask lets columns 0, 1 (of every 4) through,
  // the right one nothing. The bar repeats the left cell, and so does its mask.
  TTestFrame masked = Plain(16, 4, kBarLeft);
  masked.mask = [](int32_t x, int32_t) { return x < 8 && x % 4 < 2 ? 255 : 0; };
  files_.files["masked.dov"] = DovaBytes({masked});
  const std::pair<int32_t, bool> rows[] = {{1, true},   {3, false}, {12, true}, {33, true},
                                           {35, false}, {44, true}, {60, true}};
  for (auto [offset, hit] : rows) {
    TOrvoSlider* s = MakeSlider(kcSlider, "s", 0);
    Set(*s, PR_SOURCE, TPropValue::Str("masked.dov"));
    Set(*s, PR_BARSIZE, TPropValue::Int(64));
    const TRect bar = s->BarRect();
    ASSERT_EQ(bar.right - bar.left, 64);
    Move(bar.left + offset, bar.top + 1);
    Step();
    EXPECT_EQ(s->HitBar(), hit) << "at " << offset;
    s->Scrap();
    Step();
  }
}

TEST_F(SliderTest, SavesRoundTripAndGateTheMaskLevel) {
  for (uint8_t kind : {kcSlider, kcScrollbar}) {
    TOrvoSlider* s = MakeSlider(kind, "s", 1);
    Set(*s, PR_MIN, TPropValue::Int(-10));
    Set(*s, PR_VALUE, TPropValue::Int(30));
    Set(*s, PR_SMALLCHANGE, TPropValue::Int(3));
    Set(*s, PR_LARGECHANGE, TPropValue::Int(17));
    Set(*s, PR_ALPHA, TPropValue::Int(300));
    Set(*s, PR_CAPTUREMASK, TPropValue::Bool(true));
    Set(*s, PR_CAPMASKLEVEL, TPropValue::Int(200));
    Set(*s, PR_BARSIZE, TPropValue::Int(120));
    Set(*s, PR_ONHOLD, TPropValue::Str("h"));
    Set(*s, PR_ONRELEASE, TPropValue::Str("r"));
    Set(*s, PR_ONIDLE, TPropValue::Str("i"));
    const std::string bytes = Save();
    const int32_t height = s->Height(), offset = s->ThumbOffset();
    Load(bytes);
    auto* loaded = static_cast<TOrvoSlider*>(stage_.FindControl("s"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->CompoType(), kind);
    EXPECT_EQ(Save(), bytes);
    EXPECT_EQ(loaded->Height(), height);
    EXPECT_EQ(loaded->ThumbOffset(), offset);
    if (kind == kcScrollbar) {
      EXPECT_EQ(loaded->GetInt(PR_LARGECHANGE), 17);
    }

    // The record of the object alone, read back at older versions.
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    loaded->WriteState(writer);
    std::string record(stream.Bytes().begin(), stream.Bytes().end());
    const size_t tail = kind == kcScrollbar ? 8 : 4;  // mask level (and large change)
    std::string without_level = record.substr(0, record.size() - tail) + record.substr(record.size() - tail + 4);
    struct Gate {
      int32_t version;
      const std::string* bytes;
      int32_t level;
    };
    for (const Gate& gate : {Gate{130, &without_level, 128}, Gate{143, &without_level, 128}, Gate{144, &record, 200},
                             Gate{199, &without_level, 128}, Gate{200, &record, 200}}) {
      TOrvoSlider* fresh = static_cast<TOrvoSlider*>(stage_.CreateByKind(kind));
      TSpanStream in(gate.bytes->data(), gate.bytes->size());
      TBinaryReader reader(in);
      fresh->ReadState(reader, gate.version);
      EXPECT_EQ(fresh->GetInt(PR_CAPMASKLEVEL), gate.level) << gate.version;
      EXPECT_EQ(in.Position(), static_cast<int64_t>(gate.bytes->size())) << gate.version;
      fresh->Scrap();
    }
    stage_.ResetStage();
  }
}

}  // namespace
}  // namespace orvo::test
