#include <gtest/gtest.h>

#include "stage/stage_fixture.h"
#include "stage/timer.h"

namespace orvo::test {
namespace {

struct TNamingStep {
  bool visual;
  std::string name;
};

struct TNamingCase {
  const char* label;
  std::vector<TNamingStep> steps;
  // Names of the created objects in creation order ("" once scrapped).
  std::vector<std::string> expected;
};

class NamingTest : public StageTest, public ::testing::WithParamInterface<TNamingCase> {};

TEST_P(NamingTest, RenamesOrScrapsTheOlderHolder) {
  std::vector<TOrvoObject*> made;
  for (const TNamingStep& step : GetParam().steps) {
    TOrvoObject* object = step.visual ? static_cast<TOrvoObject*>(Box("tmp", 0, 0, 1, 1))
                                      : static_cast<TOrvoObject*>(stage_.Create<TOrvoTimer>());
    object->SetName(step.name);
    made.push_back(object);
  }
  std::vector<std::string> names;
  for (const TOrvoObject* object : made) names.push_back(object->Name());
  EXPECT_EQ(names, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NamingTest,
    ::testing::Values(TNamingCase{"visual_twice", {{true, "a"}, {true, "a"}}, {"a_2", "a"}},
                      TNamingCase{"visual_thrice", {{true, "a"}, {true, "a"}, {true, "a"}}, {"a_2", "a_3", "a"}},
                      TNamingCase{"numbered_name", {{true, "menu_2"}, {true, "menu_2"}}, {"menu_3", "menu_2"}},
                      TNamingCase{"number_one_is_part_of_the_base", {{true, "x_1"}, {true, "x_1"}}, {"x_1_2", "x_1"}},
                      TNamingCase{"leading_underscore", {{true, "_5"}, {true, "_5"}}, {"_5_2", "_5"}},
                      TNamingCase{"not_a_number", {{true, "b_2x"}, {true, "b_2x"}}, {"b_2x_2", "b_2x"}},
                      // 0x81 0x5F is one double-byte character whose trail byte is '_'.
                      TNamingCase{"trail_byte_is_not_an_underscore",
                                  {{true,
                                    "\x81\x5F"
                                    "3"},
                                   {true,
                                    "\x81\x5F"
                                    "3"}},
                                  {"\x81\x5F"
                                   "3_2",
                                   "\x81\x5F"
                                   "3"}},
                      TNamingCase{"non_visual_scraps", {{false, "t"}, {false, "t"}}, {"", "t"}},
                      TNamingCase{"non_visual_scraps_a_visual", {{true, "a"}, {false, "a"}}, {"", "a"}},
                      TNamingCase{"visual_pushes_a_timer_aside", {{false, "a"}, {true, "a"}}, {"a_2", "a"}},
                      TNamingCase{"empty_name_scraps_nothing", {{false, "t"}, {false, ""}}, {"t", ""}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(StageTest, AutomaticNamesTakeTheFirstFreeNumber) {
  TOrvoObject* first = stage_.Create<TOrvoTimer>();
  TOrvoObject* second = stage_.Create<TOrvoTimer>();
  EXPECT_EQ(first->Name(), "object0");
  EXPECT_EQ(second->Name(), "object1");
  first->Scrap();
  // A scrapped object's name is free at once.
  EXPECT_EQ(stage_.Create<TOrvoTimer>()->Name(), "object0");
  EXPECT_EQ(stage_.UniqueName("object"), "object2");
}

TEST_F(StageTest, ScrappedObjectsAreGoneFromLookupsAndDeletedAfterTheUpdate) {
  TTestBox* box = Box("pic", 0, 0, 10, 10);
  const TObjectHandle handle = box->Handle();
  box->Scrap();
  EXPECT_EQ(stage_.FindComponent("pic"), nullptr);
  EXPECT_EQ(stage_.FindControl("pic"), nullptr);
  EXPECT_EQ(stage_.Resolve(handle), box);
  TTestBox* again = Box("pic", 0, 0, 10, 10);
  EXPECT_EQ(stage_.FindControl("pic"), again);
  stage_.UpdateAll();
  EXPECT_EQ(stage_.Resolve(handle), nullptr);
  EXPECT_EQ(stage_.Objects().size(), 1u);
}

struct TLookupCase {
  const char* name;
  int active;
  // Expected screen index, or -1 for the object "obj", -2 for none.
  int component;
  int control;
  int saved;
};

TEST_F(StageTest, ScreenNamesInLookups) {
  Box("obj", 0, 0, 1, 1);
  const TLookupCase cases[] = {
      {"", 0, 0, 0, -2},
      {"", 1, 1, 1, -2},
      {"\x01", 0, 1, 1, 1},
      {"\x01", 1, 0, 0, 0},
      {"\x01"
       "BASE0",
       1, 1, 0, 0},
      {"\x01"
       "BASE1",
       1, 0, 1, 1},
      {"obj", 0, -1, -1, -1},
      {"nothing", 0, -2, -2, -2},
  };
  auto expected = [&](int code) -> const TOrvoObject* {
    if (code >= 0) return &stage_.Screen(code);
    return code == -1 ? stage_.FindControl("obj") : nullptr;
  };
  for (const TLookupCase& c : cases) {
    SCOPED_TRACE(std::string("name ") + c.name + " active " + std::to_string(c.active));
    stage_.SetActiveScreen(c.active);
    EXPECT_EQ(stage_.FindComponent(c.name), expected(c.component));
    EXPECT_EQ(stage_.FindControl(c.name), expected(c.control));
    EXPECT_EQ(stage_.FindSavedName(c.name), expected(c.saved));
  }
}

TEST_F(StageTest, ParentPropertyNamesScreensRelatively) {
  TTestBox* holder = Box("holder", 0, 0, 10, 10);
  TTestBox* box = Box("box", 0, 0, 1, 1);
  const struct {
    const char* write;
    const char* read;
    TOrvoControl* parent;
  } rows[] = {
      {"\x01", "\x01", &stage_.InactiveScreen()},
      {"holder", "holder", holder},
      {"missing", "holder", holder},
      {"", "", &stage_.ActiveScreen()},
  };
  for (const auto& row : rows) {
    box->SetProperty(PR_PARENT, TPropValue::Str(row.write));
    EXPECT_EQ(box->GetStr(PR_PARENT), row.read) << row.write;
    EXPECT_EQ(box->Parent(), row.parent) << row.write;
  }
  // A screen keeps no parent; a cycle is refused.
  stage_.ActiveScreen().SetProperty(PR_PARENT, TPropValue::Str("holder"));
  EXPECT_EQ(stage_.ActiveScreen().Parent(), nullptr);
  box->SetParent(holder);
  holder->SetParent(box);
  EXPECT_EQ(holder->Parent(), &stage_.ActiveScreen());
}

TEST_F(StageTest, ListNamesFollowsKindsAndParents) {
  TTestBox* a = Box("a", 0, 0, 1, 1);
  Box("b", 0, 0, 1, 1, a);
  stage_.Create<TOrvoTimer>()->SetName("t");
  std::vector<std::string> list;
  EXPECT_EQ(stage_.ListNames(list, 0, false, &stage_.ActiveScreen()), 1);
  EXPECT_EQ(list, (std::vector<std::string>{"a"}));
  list.clear();
  EXPECT_EQ(stage_.ListNames(list, 0, true, &stage_.ActiveScreen()), 1);
  EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
  list.clear();
  EXPECT_EQ(stage_.ListNames(list, kcTimer, false, nullptr), 1);
  EXPECT_EQ(list, (std::vector<std::string>{"t"}));
  list.clear();
  EXPECT_EQ(stage_.ListNames(list, 0, false, nullptr, true), 3);
}

}  // namespace
}  // namespace orvo::test
