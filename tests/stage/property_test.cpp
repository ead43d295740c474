#include <gtest/gtest.h>

#include <numbers>

#include "base/error.h"
#include "stage/cabinet.h"
#include "stage/prop_access.h"
#include "stage/prop_motion.h"
#include "stage/stage_fixture.h"
#include "stage/timer.h"
#include "support/test_support.h"
#include "vars/param_types.h"

namespace orvo::test {
namespace {

// What a kind that does not implement a property reads, written out once
// more by hand: every id not listed reads 0, false, 0.0 or "".
TPropValue LiteralDefault(const TOrvoObject& object, int32_t id) {
  switch (id) {
    case PR_ZOOMX:
    case PR_ZOOMY:
    case PR_TEXTDELAY:
      return TPropValue::Int(256);
    case PR_COLOR:
      return TPropValue::Int(0xFFFFFF);
    case PR_BORDERCOLOR:
    case PR_HOVERCOLOR:
    case PR_INDEX:
      return TPropValue::Int(-1);
    case PR_ALPHA:
    case PR_BRIGHTNESS:
    case PR_CAPMASKLEVEL:
      return TPropValue::Int(255);
    case PR_PARTMOTION:
    case PR_SMALLCHANGE:
    case PR_LARGECHANGE:
      return TPropValue::Int(1);
    case PR_IMEMODE:
      return TPropValue::Int(3);
    case PR_REWINDONLOAD:
    case PR_OVERLAY:
    case PR_FONTCHANGEABLED:
      return TPropValue::Bool(true);
    case PR_ORIGWIDTH:
      return TPropValue::Int(object.GetInt(PR_WIDTH));
    case PR_ORIGHEIGHT:
      return TPropValue::Int(object.GetInt(PR_HEIGHT));
    case PR_FLOATZOOMX:
    case PR_FLOATZOOMY:
      return TPropValue::Float(1);
    default:
      break;
  }
  switch (PropType(id)) {
    case TPropType::Int:
      return TPropValue::Int(0);
    case TPropType::Float:
      return TPropValue::Float(0);
    case TPropType::Bool:
      return TPropValue::Bool(false);
    case TPropType::Str:
      break;
  }
  return TPropValue::Str({});
}

// A value unlike any default, of the property's type.
TPropValue Odd(int32_t id) {
  switch (PropType(id)) {
    case TPropType::Int:
      return TPropValue::Int(12345);
    case TPropType::Float:
      return TPropValue::Float(7.25);
    case TPropType::Bool:
      return TPropValue::Bool(true);
    case TPropType::Str:
      break;
  }
  return TPropValue::Str("odd");
}

TEST_F(StageTest, EveryPropertyOfEveryKindReadsItsDefault) {
  TOrvoControl* cabinet = static_cast<TOrvoControl*>(stage_.CreateByKind(kcCabinet));
  cabinet->SetBoundsRect(1, 2, 30, 40);
  const std::vector<std::pair<const char*, TOrvoObject*>> objects = {
      {"timer", stage_.CreateByKind(kcTimer)},
      {"property motion", stage_.CreateByKind(kcPropMotion)},
      {"cabinet", cabinet},
      {"screen", &stage_.Screen(0)},
      {"slider", stage_.CreateByKind(kcSlider)},
      {"scroll bar", stage_.CreateByKind(kcScrollbar)},
      {"gauge", stage_.CreateByKind(kcGauge)},
      {"edit", stage_.CreateByKind(kcEdit)},
      {"memo", stage_.CreateByKind(kcMemo)},
  };
  for (const auto& [label, object] : objects) {
    for (int32_t id = 0; id < kPropCount; ++id) {
      SCOPED_TRACE(std::string(label) + " property " + std::to_string(id));
      const TPropValue before = object->GetProperty(id);
      EXPECT_EQ(before.Type(), PropType(id));
      if (PropReadBy(*object, id)) continue;
      EXPECT_EQ(before, LiteralDefault(*object, id));
      // A property the kind does not implement ignores writes.
      if (!PropWrittenBy(*object, id)) {
        object->SetProperty(id, Odd(id));
        EXPECT_EQ(object->GetProperty(id), before);
      }
    }
  }
}

TEST_F(StageTest, DispatchersRefuseIdsOutsideTheTable) {
  TTestBox* box = Box("box", 0, 0, 5, 5);
  const struct {
    int32_t id;
    bool get_fails;
    bool set_fails;
  } rows[] = {
      {-1, true, true},          {kPropCount, true, true}, {PR_APPEARX, false, true},
      {PR_APPEARY, false, true}, {PR_LEFT, false, false},
  };
  for (const auto& row : rows) {
    TParamInt value;
    try {
      GetProp(value, *box, row.id);
      EXPECT_FALSE(row.get_fails) << row.id;
    } catch (const EOrvoError& error) {
      EXPECT_TRUE(row.get_fails) << row.id;
      EXPECT_EQ(error.Message(), Sjis("GetPropエラー"));
    }
    value.SetAsInt(9);
    try {
      SetProp(*box, row.id, value);
      EXPECT_FALSE(row.set_fails) << row.id;
    } catch (const EOrvoError& error) {
      EXPECT_TRUE(row.set_fails) << row.id;
      EXPECT_EQ(error.Message(), Sjis("SetPropエラー"));
    }
  }
  EXPECT_EQ(box->Left(), 9);
}

TEST_F(StageTest, DispatchersConvertThroughTheVariable) {
  TTestBox* box = Box("box", 0, 0, 5, 5);
  TParamStr text;
  text.SetAsStr("42");
  SetProp(*box, PR_TOP, text);
  EXPECT_EQ(box->Top(), 42);
  GetProp(text, *box, PR_VISIBLE);
  EXPECT_EQ(text.GetAsStr(), "TRUE");
  TParamInt number;
  GetProp(number, *box, PR_NAME);
  EXPECT_EQ(number.GetAsInt(), 0);
  // Read-only ids ignore writes.
  number.SetAsInt(99);
  SetProp(*box, PR_COMPOTYPE, number);
  GetProp(number, *box, PR_COMPOTYPE);
  EXPECT_EQ(number.GetAsInt(), kcBox);
}

TEST(PropConversionTest, AnglesAndZooms) {
  EXPECT_EQ(ZoomToFactor(128), 0.5L);
  EXPECT_EQ(FactorToZoom(0.999L), 255);
  EXPECT_EQ(AngleToRadians(255), 2 * std::numbers::pi_v<long double>);
  EXPECT_EQ(RadiansToAngle(std::numbers::pi_v<long double>), 127);
  EXPECT_EQ(FactorToZoom(1e30L), INT32_MAX);
  EXPECT_EQ(FontStyleToInt(IntToFontStyle(0x1F)), 15);
}

TEST_F(StageTest, DerivedDefaultsFollowTheStoredForm) {
  TTestBox* box = Box("box", 0, 0, 5, 6);
  box->zoom_ = 128;
  EXPECT_EQ(box->GetProperty(PR_FLOATZOOMX), TPropValue::Float(0.5));
  EXPECT_EQ(box->GetInt(PR_ORIGWIDTH), 5);
  EXPECT_EQ(box->GetInt(PR_ORIGHEIGHT), 6);
}

TEST_F(StageTest, PriorityTagAndPauseAreCommonToAllKinds) {
  TTestBox* low = Box("low", 0, 0, 5, 5);
  TTestBox* high = Box("high", 0, 0, 5, 5);
  high->SetPriorityBias(-10);
  EXPECT_EQ(stage_.ActiveScreen().GetChild(0), high);
  high->SetProperty(PR_PRIORITY, TPropValue::Int(1));
  EXPECT_EQ(high->PriorityBias(), 0);
  EXPECT_EQ(stage_.ActiveScreen().GetChild(0), low);
  TOrvoObject* timer = stage_.CreateByKind(kcTimer | 0x80);
  ASSERT_NE(timer, nullptr);
  timer->SetProperty(PR_TAG, TPropValue::Str("note"));
  timer->SetProperty(PR_PAUSED, TPropValue::Bool(true));
  EXPECT_EQ(timer->GetStr(PR_TAG), "note");
  EXPECT_TRUE(timer->Paused());
  EXPECT_EQ(stage_.CreateByKind(10), nullptr);
  EXPECT_EQ(stage_.CreateByKind(kcPrevMenu), nullptr) << "kinds above the stage are registered by the player";
}

}  // namespace
}  // namespace orvo::test
