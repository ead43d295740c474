#include <gtest/gtest.h>

#include "stage/bar_fixture.h"

namespace orvo::test {
namespace {

constexpr int32_t kFilled = kBarLeft, kDrained = kBarRight;

class GaugeTest : public BarTest {
 public:
  GaugeTest() {
    AddBar("gauge.dov", 100, 6);
    AddBar("vgauge.dov", 6, 100);
  }

  // A gauge at (10, 10) showing value at once.
  TOrvoGauge* MakeGauge(int32_t orientation, int32_t minimum, int32_t maximum, int32_t value) {
    auto* gauge = static_cast<TOrvoGauge*>(Make(kcGauge, "g"));
    gauge->SetBoundsRect(10, 10, 0, 0);
    Set(*gauge, PR_ORIENTATION, TPropValue::Int(orientation));
    Set(*gauge, PR_SOURCE, TPropValue::Str(orientation == 1 ? "vgauge.dov" : "gauge.dov"));
    Set(*gauge, PR_ALPHA, TPropValue::Int(255));
    Set(*gauge, PR_MIN, TPropValue::Int(minimum));
    Set(*gauge, PR_MAX, TPropValue::Int(maximum));
    Set(*gauge, PR_VALUE, TPropValue::Int(value));
    Step();
    return gauge;
  }
};

TEST_F(GaugeTest, WaitsDrainsAndFillsFrameByFrame) {
  TOrvoGauge* g = MakeGauge(0, 0, 100, 80);
  ASSERT_EQ(g->ShownValue(), 80);
  Set(*g, PR_DELAY, TPropValue::Int(1000));  // 10 units per 100 ms
  Set(*g, PR_DURATION, TPropValue::Int(500));
  struct Row {
    int32_t shown;
    int64_t drained;
    bool playing;
  };
  Set(*g, PR_VALUE, TPropValue::Int(30));
  const std::vector<Row> draining = {
      {30, 50, true}, {30, 50, true}, {30, 50, true}, {30, 50, true}, {30, 50, true},  // 500 ms waiting
      {30, 40, true}, {30, 30, true}, {30, 20, true}, {30, 10, true}, {30, 0, false},
  };
  for (size_t i = 0; i < draining.size(); ++i) {
    Step(100);
    EXPECT_EQ(g->ShownValue(), draining[i].shown) << "drain frame " << i;
    EXPECT_EQ(g->DrainedAmount(), draining[i].drained) << "drain frame " << i;
    EXPECT_EQ(g->GetBool(PR_PLAYING), draining[i].playing) << "drain frame " << i;
  }
  // Filling finishes on reaching or passing the value, and then shows the value.
  Set(*g, PR_VALUE, TPropValue::Int(95));
  const std::vector<Row> filling = {{40, 0, true}, {50, 0, true}, {60, 0, true}, {70, 0, true},
                                    {80, 0, true}, {90, 0, true}, {95, 0, false}};
  for (size_t i = 0; i < filling.size(); ++i) {
    Step(100);
    EXPECT_EQ(g->ShownValue(), filling[i].shown) << "fill frame " << i;
    EXPECT_EQ(g->GetBool(PR_PLAYING), filling[i].playing) << "fill frame " << i;
  }
  // Without a speed the gauge jumps (after the drain delay).
  Set(*g, PR_DELAY, TPropValue::Int(0));
  Set(*g, PR_DURATION, TPropValue::Int(0));
  Set(*g, PR_VALUE, TPropValue::Int(10));
  Step(100);
  EXPECT_EQ(g->ShownValue(), 10);
  EXPECT_EQ(g->DrainedAmount(), 0);
  EXPECT_FALSE(g->GetBool(PR_PLAYING));
}

TEST_F(GaugeTest, FilledAndDrainedPartsStayInsideTheBar) {
  struct Case {
    const char* name;
    int32_t orientation;
    bool reverse;
    int32_t minimum, maximum, before, after;
    // Along the bar from its start (left, or bottom when upright; the other
    // end when reversed): filled pixels, then drained ones.
    int32_t filled, drained;
  };
  const Case cases[] = {
      {"plain", 0, false, 0, 100, 80, 30, 30, 50},
      {"minimum 50 fills the bar once", 0, false, 50, 100, 100, 100, 100, 0},
      {"minimum 50 half way", 0, false, 50, 100, 100, 75, 50, 50},
      {"reversed", 0, true, 0, 100, 80, 30, 30, 50},
      {"upright", 1, false, 0, 100, 80, 30, 30, 50},
      {"upright reversed", 1, true, 0, 100, 70, 20, 20, 50},
      {"upright minimum", 1, false, -100, 100, 100, 0, 50, 50},
      {"wide range", 0, false, -2000000000, 2000000000, 0, -2000000000, 0, 50},
      {"value above the maximum", 0, false, 0, 100, 300, 300, 100, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoGauge* g = MakeGauge(c.orientation, c.minimum, c.maximum, c.before);
    Set(*g, PR_REVERSE, TPropValue::Bool(c.reverse));
    Set(*g, PR_DELAY, TPropValue::Int(1000));
    Set(*g, PR_DURATION, TPropValue::Int(10000));
    Set(*g, PR_VALUE, TPropValue::Int(c.after));
    Step();
    // From 5 px before the bar to 5 px after it, along its middle line.
    for (int32_t along = -5; along < 105; ++along) {
      const int32_t from_start = c.reverse ? 99 - along : along;
      int32_t expected = kBackground;
      if (along >= 0 && along < 100) {
        expected = from_start < c.filled ? kFilled : from_start < c.filled + c.drained ? kDrained : kBackground;
      }
      const int32_t x = c.orientation == 1 ? 13 : 10 + along;
      const int32_t y = c.orientation == 1 ? 10 + 99 - along : 13;
      ASSERT_EQ(Pixel(x, y), expected) << "at " << along;
    }
    g->Scrap();
    Step();
  }
}

TEST_F(GaugeTest, SaveRoundTripShowsTheValueWithoutAnimating) {
  TOrvoGauge* g = MakeGauge(1, -5, 120, 100);
  Set(*g, PR_DELAY, TPropValue::Int(700));
  Set(*g, PR_DURATION, TPropValue::Int(250));
  Set(*g, PR_REVERSE, TPropValue::Bool(true));
  Set(*g, PR_BARSIZE, TPropValue::Int(80));
  Set(*g, PR_ONIDLE, TPropValue::Str("idle"));
  Set(*g, PR_ALPHA, TPropValue::Int(128));
  Set(*g, PR_VALUE, TPropValue::Int(10));
  ASSERT_TRUE(g->GetBool(PR_PLAYING));
  const std::string bytes = Save();
  Load(bytes);
  auto* loaded = static_cast<TOrvoGauge*>(stage_.FindControl("g"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(Save(), bytes);
  EXPECT_FALSE(loaded->GetBool(PR_PLAYING));
  EXPECT_EQ(loaded->ShownValue(), 10);
  EXPECT_EQ(loaded->DrainedAmount(), 0);
  EXPECT_EQ(loaded->Height(), 80);
  EXPECT_EQ(loaded->Width(), 6);
}

}  // namespace
}  // namespace orvo::test
