#include "stage/edit_field.h"

#include <gtest/gtest.h>

#include "base/stream.h"
#include "stage/stage_fixture.h"

namespace orvo::test {
namespace {

using TLines = std::vector<std::string>;

class EditFieldTest : public StageTest {
 public:
  TOrvoCustomEdit* MakeEdit(uint8_t kind, const std::string& name, int32_t left = 10, int32_t top = 10) {
    auto* edit = static_cast<TOrvoCustomEdit*>(stage_.CreateByKind(kind));
    edit->SetName(name);
    edit->SetParent(&stage_.ActiveScreen());
    edit->SetBoundsRect(left, top, 100, 20);
    edit->SetProperty(PR_ONNOTIFY, TPropValue::Str("notify"));
    edit->SetProperty(PR_VISIBLE, TPropValue::Bool(true));
    Frame();
    return edit;
  }
  void Type(const std::string& utf8) {
    TInputEvent event;
    event.kind = TInputKind::TextInput;
    event.text = utf8;
    stage_.HandleInput(event);
  }
  void Press(int32_t key) {
    Key(key, true);
    Key(key, false);
  }
};

TEST_F(EditFieldTest, ACoverOverTheCentreHidesTheField) {
  TOrvoCustomEdit* edit = MakeEdit(kcEdit, "e");
  EXPECT_TRUE(edit->Field().Visible());
  EXPECT_EQ(edit->Field().Bounds(), (TRect{10, 10, 110, 30}));
  struct Row {
    const char* label;
    int32_t box_left;
    bool visible;
  };
  // Siblings of one priority lie in the order of their names: "z" is on top.
  TTestBox* box = Box("z", 200, 0, 20, 40);
  for (const Row& row : {Row{"away", 200, true}, Row{"over the centre", 55, false}, Row{"over a corner", 0, true},
                         Row{"back over the centre", 50, false}, Row{"away again", 150, true}}) {
    box->SetProperty(PR_LEFT, TPropValue::Int(row.box_left));
    Frame();
    EXPECT_EQ(edit->Field().Visible(), row.visible) << row.label;
  }
}

TEST_F(EditFieldTest, AFieldIsShownOnlyWhereItCanBeSeen) {
  struct Case {
    const char* name;
    std::function<void(EditFieldTest&, TOrvoCustomEdit&)> change;
  };
  const Case cases[] = {
      {"hidden object", [](EditFieldTest&, TOrvoCustomEdit& e) { e.SetProperty(PR_VISIBLE, TPropValue::Bool(false)); }},
      {"inactive screen",
       [](EditFieldTest& t, TOrvoCustomEdit& e) {
         e.SetParent(&t.stage_.InactiveScreen());
         e.SetProperty(PR_VISIBLE, TPropValue::Bool(true));
       }},
      {"hidden parent",
       [](EditFieldTest& t, TOrvoCustomEdit& e) {
         TTestBox* parent = t.Box("parent", 0, 0, 200, 100);
         e.SetParent(parent);
         parent->SetProperty(PR_VISIBLE, TPropValue::Bool(false));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoCustomEdit* edit = MakeEdit(kcEdit, "e");
    c.change(*this, *edit);
    Frame();
    EXPECT_FALSE(edit->Field().Visible());
    stage_.ResetStage();
  }
}

TEST_F(EditFieldTest, KeysPostTheTextBeforeTheyAct) {
  struct Case {
    const char* name;
    uint8_t kind;
    std::vector<int32_t> keys;
    std::string typed;  // committed before the keys
    TLines events;
    std::string text;
  };
  const Case cases[] = {
      {"enter in an edit inserts nothing", kcEdit, {13}, "", {"33 e 13 name", "33 e 13 name"}, "name"},
      {"the memo breaks the line", kcMemo, {13, 8}, "", {"33 e 13 name", "33 e 8 name\r\n"}, "name"},
      {"typing replaces the selected text", kcEdit, {}, "Bob", {}, "Bob"},
      {"tab and escape are dropped", kcEdit, {9, 27}, "a\tb\x1B", {"33 e 9 ab", "33 e 27 ab"}, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOrvoCustomEdit* edit = MakeEdit(c.kind, "e");
    edit->SetProperty(PR_TEXT, TPropValue::Str("name"));
    ASSERT_TRUE(edit->Field().Focused());
    TakeEvents();
    if (!c.typed.empty()) Type(c.typed);
    for (int32_t key : c.keys) Press(key);
    if (c.name == std::string("enter in an edit inserts nothing")) Press(13);
    Frame();
    EXPECT_EQ(TakeEvents(), c.events);
    EXPECT_EQ(edit->GetStr(PR_TEXT), c.text);
    stage_.ResetStage();
  }
}

TEST_F(EditFieldTest, TheFocusedFieldTakesTheKeysFromTheGame) {
  TTestBox* other = Box("other", 200, 100, 20, 20);
  other->SetHandler(THandler::KeyDown, "game_key");
  other->SetProperty(PR_HANDLEKEY, TPropValue::Bool(true));
  Frame();
  Key(65, true);
  Frame();
  EXPECT_TRUE(stage_.IsKeyDown(65));
  EXPECT_EQ(TakeEvents(), (TLines{"144 other 65"}));
  other->SetHandler(THandler::FocusOut, "left");
  TOrvoCustomEdit* edit = MakeEdit(kcEdit, "e");
  EXPECT_EQ(stage_.Focus(), other) << "the game's focus stays until the field is clicked";
  StageTest::Press(TMouseButton::Left, 20, 15);
  Frame();
  EXPECT_EQ(stage_.Focus(), edit);
  EXPECT_FALSE(stage_.IsKeyDown(65)) << "gaining the focus clears the game keys";
  EXPECT_EQ(TakeEvents(), (TLines{"149 other"}));
  Key(66, true);
  Frame();
  EXPECT_FALSE(stage_.IsKeyDown(66));
  EXPECT_EQ(TakeEvents(), (TLines{"33 e 66 "}));
  // A click on the stage beside the field takes the window focus away: keys are the game's again.
  Release(TMouseButton::Left, 20, 15);
  StageTest::Press(TMouseButton::Left, 300, 200);
  Frame();
  EXPECT_FALSE(edit->Field().Focused());
  Key(67, true);
  Frame();
  EXPECT_TRUE(stage_.IsKeyDown(67));
  // A click on the field gives it back.
  StageTest::Press(TMouseButton::Left, 20, 15);
  Frame();
  EXPECT_TRUE(edit->Field().Focused());
}

TEST_F(EditFieldTest, PropertiesPassThroughTheField) {
  TOrvoCustomEdit* edit = MakeEdit(kcEdit, "e");
  edit->SetProperty(PR_FONTHEIGHT, TPropValue::Int(-16));
  EXPECT_EQ(edit->GetInt(PR_FONTHEIGHT), 16);
  EXPECT_TRUE(edit->GetBool(PR_HANDLEKEY));
  edit->SetProperty(PR_HANDLEKEY, TPropValue::Bool(false));
  EXPECT_TRUE(edit->GetBool(PR_HANDLEKEY));
  edit->SetProperty(PR_PAUSED, TPropValue::Bool(true));
  EXPECT_FALSE(edit->Field().Enabled());
  EXPECT_TRUE(edit->GetBool(PR_PAUSED));
  EXPECT_FALSE(edit->Field().Focused()) << "a disabled field gives up the focus";
  edit->SetProperty(PR_IMEMODE, TPropValue::Int(imDisable));
  IObjectItems& items = ItemsOf(*edit);
  items.SetImeOpened(true);
  EXPECT_FALSE(items.ImeOpened());
  edit->SetProperty(PR_IMEMODE, TPropValue::Int(imDontCare));
  items.SetImeOpened(true);
  EXPECT_TRUE(items.ImeOpened());
  edit->SetProperty(PR_LEFT, TPropValue::Int(40));
  EXPECT_EQ(edit->Field().Bounds(), (TRect{40, 10, 140, 30}));
  TOrvoCustomEdit* memo = MakeEdit(kcMemo, "m", 10, 50);
  EXPECT_FALSE(ItemsOf(*memo).ImeOpened()) << "only edits answer";
}

TEST_F(EditFieldTest, SavesRoundTripAndGateTheInputMethodMode) {
  TOrvoCustomEdit* memo = MakeEdit(kcMemo, "m");
  memo->SetProperty(PR_TEXT, TPropValue::Str("a\r\nb"));
  memo->SetProperty(PR_FONTHEIGHT, TPropValue::Int(-14));
  memo->SetProperty(PR_FONTSTYLE, TPropValue::Int(3));
  memo->SetProperty(PR_FONTCOLOR, TPropValue::Int(0x123456));
  memo->SetProperty(PR_COLOR, TPropValue::Int(0xFFEEDD));
  memo->SetProperty(PR_READONLY, TPropValue::Bool(true));
  memo->SetProperty(PR_HALIGN, TPropValue::Int(2));
  memo->SetProperty(PR_IMEMODE, TPropValue::Int(6));
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  memo->WriteState(writer);
  const std::string record(stream.Bytes().begin(), stream.Bytes().end());
  const std::string without_mode = record.substr(0, record.size() - 4);
  struct Gate {
    int32_t version;
    const std::string* bytes;
    int32_t mode;
  };
  for (const Gate& gate : {Gate{141, &without_mode, 3}, Gate{142, &record, 6}, Gate{144, &record, 6},
                           Gate{145, &without_mode, 3}, Gate{201, &record, 6}}) {
    auto* fresh = static_cast<TOrvoCustomEdit*>(stage_.CreateByKind(kcMemo));
    TSpanStream in(gate.bytes->data(), gate.bytes->size());
    TBinaryReader reader(in);
    fresh->ReadState(reader, gate.version);
    EXPECT_EQ(in.Position(), static_cast<int64_t>(gate.bytes->size())) << gate.version;
    EXPECT_EQ(fresh->GetInt(PR_IMEMODE), gate.mode) << gate.version;
    EXPECT_EQ(fresh->GetStr(PR_TEXT), "a\r\nb");
    EXPECT_EQ(fresh->GetInt(PR_FONTHEIGHT), 14);
    EXPECT_EQ(fresh->GetInt(PR_HALIGN), 2);
    EXPECT_TRUE(fresh->GetBool(PR_READONLY));
    EXPECT_EQ(fresh->GetInt(PR_COLOR), 0xFFEEDD);
    if (gate.version == 201) {
      TMemoryStream again;
      TBinaryWriter again_writer(again);
      fresh->WriteState(again_writer);
      EXPECT_EQ(std::string(again.Bytes().begin(), again.Bytes().end()), record);
    }
    fresh->Scrap();
  }
}

TEST_F(EditFieldTest, ALoadedStageTakesItsFocusFromTheRecordAlone) {
  MakeEdit(kcEdit, "e");
  struct Row {
    const char* label;
    bool edit_focused;
  };
  for (const Row& row : {Row{"focus on the edit", true}, Row{"no focus", false}, Row{"focus again", true}}) {
    auto* edit = static_cast<TOrvoCustomEdit*>(stage_.FindControl("e"));
    stage_.SetFocusObject(row.edit_focused ? edit : nullptr);
    const std::string record = SaveStage(stage_);
    LoadStage(stage_, record);
    edit = static_cast<TOrvoCustomEdit*>(stage_.FindControl("e"));
    EXPECT_TRUE(edit->Field().Visible()) << row.label;
    // A field that can be seen must not grab the focus the record did not give it.
    EXPECT_EQ(stage_.Focus(), row.edit_focused ? edit : nullptr) << row.label;
    EXPECT_EQ(edit->Field().Focused(), row.edit_focused) << row.label;
    EXPECT_EQ(SaveStage(stage_), record) << row.label;
  }
}

}  // namespace
}  // namespace orvo::test
