// The functions on stage objects, called from compiled expressions.
#include "stage/cabinet.h"
#include "stage/functions_fixture.h"

namespace orvo::test {
namespace {

// "count:names" after a ListCompo call.
constexpr const char* kListed = R"(IntToStr(n) ++ ":" ++ ArrayToString(arr, "|"))";

TEST(StageFunctions, PropertiesAndExistence) {
  CheckCases({
      {{}, R"(GetProp("a", 3))", "int\t10"},
      {{}, R"(GetProp("a", 0))", "str\ta"},
      {{R"(SetProp("a", 3, 25))"}, R"(GetProp("a", 3))", "int\t25"},
      {{R"(SetProp("a", 3, "7"))"}, R"(GetProp("a", 3))", "int\t7"},
      // Nothing found: the neutral value, nothing changed.
      {{}, R"(GetProp("nobody", 3))", "int\t0"},
      {{R"(SetProp("nobody", 3, 1))"}, R"(GetProp("a", 3))", "int\t10"},
      // Property numbers outside the table end the expression.
      {{}, R"(GetProp("a", 173))", "none"},
      {{}, R"(GetProp("a", -1))", "none"},
      {{}, R"(Exists("a"))", "bool\tTRUE"},
      {{}, R"(Exists("t"))", "bool\tTRUE"},
      {{}, R"(Exists(""))", "bool\tFALSE"},
      {{}, R"(Exists("nobody"))", "bool\tFALSE"},
      // "表" ends in the byte of '\'; names compare as whole bytes.
      {{R"(CreateObject(2, "表示"))"}, R"(Exists("表示"))", "bool\tTRUE"},
      {{R"(CreateObject(2, "表示"))"}, R"(Exists("表"))", "bool\tFALSE"},
  });
}

TEST(StageFunctions, ItemsAnswerTheirNeutralValuesUnlessTheKindHasThem) {
  CheckCases({
      {{}, R"(GetCheck("a", 0))", "bool\tFALSE"},
      {{R"(SetCheck("a", 0, TRUE))"}, R"(GetCheck("a", 0))", "bool\tFALSE"},
      {{}, R"(GetEnabled("a", 0))", "bool\tTRUE"},
      {{}, R"(GetVisible("a", 1))", "bool\tTRUE"},
      {{}, R"(GetGroupIndex("a", 3))", "int\t0"},
      {{}, R"(GetSelected("a", 0))", "bool\tFALSE"},
      {{}, R"(GetItem("a", 0))", "str\t"},
      {{}, R"(GetImeOpened("a"))", "bool\tFALSE"},
      {{}, R"(SetImeOpened("a", FALSE))", "bool\tTRUE"},
      {{}, R"(SetImeOpened("a", TRUE))", "bool\tFALSE"},
      // A missing object gives the neutral value of the result kind, not the item default.
      {{}, R"(GetEnabled("nobody", 0))", "bool\tFALSE"},
      {{}, R"(GetVisible("nobody", 0))", "bool\tFALSE"},
      {{}, R"(SetImeOpened("nobody", FALSE))", "bool\tFALSE"},
      // GetItem and the input method look for visual objects only.
      {{}, R"(GetItem("t", 0))", "str\t"},
      // A list menu's checks and item texts.
      {{R"(CreateObject(12, "m"))", R"(SetCheck("m", 2, TRUE))"}, R"(GetCheck("m", 2))", "bool\tTRUE"},
      {{R"(CreateObject(12, "m"))", R"(SetCheck("m", 2, TRUE))"}, R"(GetCheck("m", 1))", "bool\tFALSE"},
      {{R"(CreateObject(12, "m"))"}, R"(GetItem("m", 3))", "str\titem3"},
      {{R"(CreateObject(12, "m"))"}, R"(GetItem("m", 9))", "str\t"},
      // A preview menu takes an item index given as text: a number, else an item name.
      {{R"(CreateObject(25, "pm"))", R"(SetEnabled("pm", "item2", FALSE))"}, R"(GetEnabled("pm", 2))", "bool\tFALSE"},
      {{R"(CreateObject(25, "pm"))", R"(SetEnabled("pm", "1", FALSE))"}, R"(GetEnabled("pm", "item1"))", "bool\tFALSE"},
      {{R"(CreateObject(25, "pm"))"}, R"(GetGroupIndex("pm", "item3"))", "int\t1"},
      {{R"(CreateObject(25, "pm"))"}, R"(GetGroupIndex("pm", "nothing"))", "int\t0"},
      // Only an edit field opens its input method.
      {{R"(CreateObject(5, "e"))"}, R"(SetImeOpened("e", TRUE))", "bool\tTRUE"},
      {{R"(CreateObject(12, "m"))"}, R"(SetImeOpened("m", TRUE))", "bool\tFALSE"},
  });
}

TEST(StageFunctions, ListCompoByKindParentAndDepth) {
  CheckCases({
      {{"n = ListCompo(arr)"}, kListed, "str\t4:a|b|c|t"},
      {{R"(n = ListCompo(arr, 0, "ALL", TRUE))"}, kListed, "str\t4:a|b|c|t"},
      {{R"(n = ListCompo(arr, 0, "a"))"}, kListed, "str\t2:b|c"},
      // The empty name is the active screen: its own children, or the whole tree.
      {{R"(n = ListCompo(arr, 0, ""))"}, kListed, "str\t1:a"},
      {{R"(n = ListCompo(arr, 0, "", TRUE))"}, kListed, "str\t3:a|b|c"},
      // A parent nobody has: the objects without a parent.
      {{R"(n = ListCompo(arr, 0, "nobody"))"}, kListed, "str\t1:t"},
      {{"n = ListCompo(arr, 15)"}, kListed, "str\t1:t"},
      // A kind whose low byte is past the kinds means every kind.
      {{"n = ListCompo(arr, 300)"}, kListed, "str\t4:a|b|c|t"},
      // No name: one empty element.
      {{R"(n = ListCompo(arr, 0, "b"))"}, kListed, "str\t0:"},
      {{R"(n = ListCompo(arr, 0, "t"))"}, kListed, "str\t0:"},
      {{R"(n = ListCompo(arr, 12))"}, "GetArraySize(arr)", "int\t1"},
  });
}

TEST(StageFunctions, CoordinatesAndMenuLines) {
  CheckCases({
      {{}, R"(ToClientX("b", 30))", "int\t15"},
      {{}, R"(ToClientY("b", 30))", "int\t15"},
      {{}, R"(ToScreenX("b", 1))", "int\t16"},
      {{}, R"(ToScreenY("a", 0))", "int\t10"},
      {{}, R"(ToClientX("nobody", 7))", "int\t7"},
      {{}, R"(ToScreenY("t", -7))", "int\t-7"},
      {{R"(CreateObject(12, "m"))", R"(SetProp("m", 50, "  First\nはい\nSECOND\n"))"},
       R"(IndexOfMenu("m", "second"))",
       "int\t2"},
      {{R"(CreateObject(12, "m"))", R"(SetProp("m", 50, "  First\nはい\nSECOND\n"))"},
       R"(IndexOfMenu("m", "はい"))",
       "int\t1"},
      // The text is trimmed before it is split.
      {{R"(CreateObject(12, "m"))", R"(SetProp("m", 50, "  First\nはい\nSECOND\n"))"},
       R"(IndexOfMenu("m", "first"))",
       "int\t0"},
      {{R"(CreateObject(12, "m"))", R"(SetProp("m", 50, "x"))"}, R"(IndexOfMenu("m", "y"))", "int\t-1"},
      {{}, R"(IndexOfMenu("nobody", ""))", "int\t-1"},
  });
}

TEST(StageFunctions, ScreensCabinetsCreationAndDeletion) {
  auto prepare = [](TFunctionWorld& world) {
    // "far" lives on the inactive screen, "kept" inside a cabinet.
    TTestBox* far = world.stage.Create<TTestBox>();
    far->SetName("far");
    far->SetParent(&world.stage.InactiveScreen());
    TOrvoCabinet* cabinet = world.stage.Create<TOrvoCabinet>();
    cabinet->SetName("cab");
    cabinet->SetParent(&world.stage.Screen(0));
    TTestBox* kept = world.stage.Create<TTestBox>();
    kept->SetName("kept");
    kept->SetParent(cabinet);
  };
  CheckCases(
      {
          {{}, R"(InPrimary("a"))", "bool\tTRUE"},
          {{}, R"(InPrimary(""))", "bool\tFALSE"},
          {{}, R"(InPrimary("far"))", "bool\tFALSE"},
          {{}, R"(InPrimary("kept"))", "bool\tFALSE"},
          {{}, R"(InCabinet("kept"))", "bool\tTRUE"},
          {{}, R"(InCabinet("a"))", "bool\tFALSE"},
          {{}, R"(InCabinet(""))", "bool\tFALSE"},
          {{R"(CreateObject(2, "new"))", R"(n = ListCompo(arr, 0, ""))"}, kListed, "str\t3:a|cab|new"},
          {{R"(CreateObject(2, "kid", "a"))", R"(n = ListCompo(arr, 0, "a"))"}, kListed, "str\t3:b|c|kid"},
          // A parent that is not found: the active screen.
          {{R"(CreateObject(2, "kid", "nobody"))"}, R"(InPrimary("kid"))", "bool\tTRUE"},
          {{}, R"(CreateObject(15, "timer"))", "bool\tTRUE"},
          {{}, R"(CreateObject(1, "unknown"))", "bool\tFALSE"},
          {{}, R"(CreateObject(99, "unknown"))", "bool\tFALSE"},
          {{}, R"(DeleteObject("a"))", "bool\tTRUE"},
          {{R"(DeleteObject("a"))"}, R"(Exists("a"))", "bool\tFALSE"},
          // Screens, non-visual objects and missing names are not deleted.
          {{}, R"(DeleteObject(""))", "bool\tFALSE"},
          {{}, R"(DeleteObject("t"))", "bool\tFALSE"},
          {{}, R"(DeleteObject("nobody"))", "bool\tFALSE"},
      },
      prepare);
}

}  // namespace
}  // namespace orvo::test
