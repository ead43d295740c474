// Saved records of buttons, list menus and labels: a stage with each saves
// and loads back to the same bytes, and records of older versions read.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "base/stream.h"
#include "stage/choice_fixture.h"
#include "vars/parser.h"

namespace orvo::test {
namespace {

class ChoiceStateTest : public ChoiceTest {
 protected:
  std::unique_ptr<TOrvoBaseList> Fresh() {
    auto stage = std::make_unique<TOrvoBaseList>(state_);
    stage->SetGlyphs(&glyphs_);
    stage->Pictures().SetFiles(&files_);
    return stage;
  }
};

TEST_F(ChoiceStateTest, EveryNewKindSavesAndLoadsToTheSameBytesAndPixels) {
  Picture("n.dov", 40, 20, 0x0000FF);
  Picture("p.dov", 40, 20, 0xFF0000);
  Picture("chk.dov", 12, 6, 0x00FF00);
  Picture("scroll.dov", 56, 8, 0x808080);
  TOrvoButton* button = Button("b", 5, 5, "n.dov");
  button->SetProperty(PR_PRESSEDSOURCE, TPropValue::Str("p.dov"));
  button->SetProperty(PR_GROUPINDEX, TPropValue::Int(2));
  button->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
  button->SetProperty(PR_FONTHEIGHT, TPropValue::Int(10));
  button->SetProperty(PR_TEXT, TPropValue::Str("OK"));
  button->SetProperty(PR_ONNOTIFY, TPropValue::Str("page:ok"));
  TOrvoLabel* label = Label("l", "AB\nC");
  label->SetProperty(PR_LEFT, TPropValue::Int(60));
  label->SetProperty(PR_LINESPACE, TPropValue::Int(3));
  label->SetProperty(PR_FLOATZOOMX, TPropValue::Float(1.5L));
  label->SetProperty(PR_FLOATANGLE, TPropValue::Float(0.25L));
  label->SetProperty(PR_ONPLAYEND, TPropValue::Str("page:end"));
  TOrvoMenu* menu = Menu("m", "one\ntwo\nthree\nfour", 2);
  menu->SetProperty(PR_LEFT, TPropValue::Int(100));
  menu->SetProperty(PR_TOP, TPropValue::Int(40));
  menu->SetProperty(PR_CHECKSOURCE, TPropValue::Str("chk.dov"));
  menu->SetProperty(PR_SCROLLSOURCE, TPropValue::Str("scroll.dov"));
  menu->SetProperty(PR_HOVERCOLOR, TPropValue::Int(0x0000FF));
  menu->SetProperty(PR_ONSELECT, TPropValue::Str("page:sel"));
  menu->SetProperty(PR_DELAY, TPropValue::Int(90));
  menu->SetCheck(2, true);
  menu->SetPlayState(msOpen);
  menu->SetTopIndex(1);
  Frame();

  const std::string saved = SaveStage(stage_);
  auto loaded = Fresh();
  LoadStage(*loaded, saved, 201);
  EXPECT_TRUE(SaveStage(*loaded) == saved) << "the loaded stage saves other bytes";
  const std::vector<uint32_t> before = StagePixels(stage_), after = StagePixels(*loaded);
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i] != after[i]) {
      ADD_FAILURE() << "the loaded stage shows other pixels, first at " << i % 200 << "," << i / 200;
      break;
    }
  }
  auto* menu_back = dynamic_cast<TOrvoMenu*>(loaded->FindComponent("m"));
  ASSERT_NE(menu_back, nullptr);
  EXPECT_TRUE(menu_back->GetCheck(2));
  EXPECT_EQ(menu_back->TopIndex(), 1);
  EXPECT_EQ(menu_back->Height(), menu->Height());
  auto* button_back = dynamic_cast<TOrvoButton*>(loaded->FindComponent("b"));
  ASSERT_NE(button_back, nullptr);
  EXPECT_TRUE(button_back->GroupSelected());
  EXPECT_EQ(button_back->GetStr(PR_TEXT), "OK");
  EXPECT_EQ(loaded->FindComponent("l")->GetStr(PR_TEXT), "AB\r\nC");
}

// The records of one label, one menu and one button as saves of older
// versions lay them out, written by hand.
std::string OldStage(int32_t version) {
  TMemoryStream stream;
  TBinaryWriter w(stream);
  auto object = [&](const std::string& name) {
    w.WriteString(name);
    w.WriteInt32(0);
    if (version > 103) w.WriteInt32(0);
    if (version >= 120) w.WriteString("");
  };
  auto control = [&](int32_t left, int32_t children) {
    for (int32_t v : {left, 2, 30, 40, 0, 0}) w.WriteInt32(v);
    w.WriteBool(false);
    if (version >= 130) {
      for (int32_t v : {0, 0, 0, 0}) w.WriteInt32(v);
    }
    if (version > 103) {
      for (int32_t v : {0, 0, 0, 0}) w.WriteInt32(v);
      w.WriteBool(false);
    }
    w.WriteBool(true);
    w.WriteInt32(-1);
    for (int32_t v : {0, 0, 1, 1}) w.WriteInt32(v);
    w.WriteByte(IM_NONE);
    w.WriteString("");
    w.WriteString("");
    if (version > 101) w.WriteString("");
    for (int i = 0; i < 7; ++i) w.WriteString("");
    if (version > 117) {
      w.WriteBool(false);
      for (int i = 0; i < 5; ++i) w.WriteString("");
    }
    w.WriteInt32(children);
  };
  const bool real_forms = version == 143 || version == 144;
  auto label_list = [&](int32_t smoothing, int32_t size) {
    w.WriteInt32(smoothing);
    w.WriteInt32(0);
    w.WriteInt32(255);
    w.WriteInt32(size);
    w.WriteString("Pix");
    w.WriteInt32(0xFFFFFF);
    w.WriteInt32(0);
    w.WriteByte(0);
    w.WriteBytes(std::string(212, '\0'));
    if (version > 121) {
      w.WriteInt32(0);
      w.WriteInt32(0);
    }
  };
  w.WriteInt32(200);
  w.WriteInt32(120);
  w.WriteInt32(0);
  object(
      "\x01"
      "BASE0");
  control(0, 3);
  // The label.
  w.WriteByte(kcLabel);
  object("l");
  control(10, 0);
  w.WriteString("Pix");
  w.WriteInt32(10);
  w.WriteInt32(2);
  w.WriteByte(0);
  w.WriteInt32(255);
  w.WriteInt32(0xFFFFFF);
  for (uint8_t b : {1, 0, 0, 0}) w.WriteByte(b);
  if (real_forms) {
    w.WriteExt80(1.0L);
    w.WriteExt80(2.0L);
  } else {
    w.WriteInt32(64);
    w.WriteInt32(512);
  }
  w.WriteString("AB\r\nC");
  if (version > 103) {
    w.WriteString("page:idle");
    w.WriteString("");
    w.WriteBool(false);
    w.WriteBool(false);
    w.WriteString("page:end");
    w.WriteBool(false);
    if (real_forms) {
      w.WriteExt80(0.5L);
    } else {
      w.WriteInt32(128);
    }
  }
  // The menu.
  w.WriteByte(kcMenu);
  object("m");
  control(50, 0);
  label_list(version < 109 ? 2 : 3, 10);
  label_list(0, 10);
  w.WriteString("a\nb\nc");
  for (int32_t v : {1, 255, 2, 3, 0, -1, 2}) w.WriteInt32(v);
  for (int i = 0; i < 9; ++i) {
    w.WriteString("");
    w.WriteByte(0);
    w.WriteByte(0);
  }
  w.WriteString("");
  w.WriteString("");
  w.WriteInt32(1);
  if (version < 104) w.WriteByte(0x77);
  w.WriteByte(1);
  for (uint8_t check : {0, 1, 0}) w.WriteByte(check);
  w.WriteString("page:sel");
  w.WriteBool(false);
  w.WriteInt32(2);
  w.WriteInt32(0);
  if (version > 130) w.WriteString("page:idle");
  if (version > 133) {
    w.WriteString("page:in");
    w.WriteString("page:out");
  }
  w.WriteInt32(70);
  w.WriteInt32(0x00FF00);
  w.WriteBool(true);
  w.WriteBool(true);
  w.WriteByte(msOpen);
  for (const char* handler : {"page:opening", "page:opened", "page:closing", "page:closed"}) w.WriteString(handler);
  // The button (an animation first).
  w.WriteByte(kcButton);
  object("b");
  control(120, 0);
  w.WriteInt32(255);
  if (real_forms) {
    w.WriteExt80(1.0L);
    w.WriteExt80(0.0L);
    w.WriteBool(false);
  } else {
    w.WriteInt32(256);
    w.WriteInt32(0);
  }
  w.WriteBool(false);
  w.WriteBool(false);
  w.WriteBool(false);
  if (real_forms) {
    w.WriteExt80(1.0L);
  } else if (version > 103) {
    w.WriteInt32(256);
  }
  if (version > 139) {
    w.WriteInt32(0);
    w.WriteInt32(0);
  }
  if (version == 144) w.WriteInt32(128);
  w.WriteInt32(0);
  w.WriteInt32(0);
  w.WriteInt32(0);
  w.WriteBool(false);
  TOrvoParser().SaveToStream(w);
  w.WriteBool(false);
  w.WriteBool(false);
  w.WriteString("n.dov");
  w.WriteString("");
  if (version > 103) w.WriteString("");
  w.WriteString("h.dov");
  w.WriteString("");
  w.WriteInt32(0);
  w.WriteBool(false);
  w.WriteBool(false);
  w.WriteString("page:click");
  if (version > 103) {
    w.WriteString("page:idle");
    w.WriteString("c.dov");
  }
  if (version > 136) label_list(3, 10);
  if (version > 144) w.WriteString("Go");
  object(
      "\x01"
      "BASE1");
  control(0, 0);
  w.WriteInt32(0);  // components
  w.WriteInt32(0);  // events
  if (version > 118) w.WriteString("");
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST_F(ChoiceStateTest, RecordsOfOlderVersionsRead) {
  Picture("n.dov", 40, 20, 0x0000FF);
  Picture("h.dov", 40, 20, 0x00FF00);
  Picture("c.dov", 40, 20, 0xFF0000);
  const long double two_pi = 2 * std::numbers::pi_v<long double>;
  struct TRow {
    int32_t version;
    long double angle, zoom_x, zoom_y;
    const char* label_idle;
    const char* menu_idle;
    const char* map_in;
    const char* clicked;
    const char* caption_face;
  };
  const TRow rows[] = {
      {103, 64 * two_pi / 255, 2.0L, 1.0L, "", "", "", "", DefaultLabelFace().c_str()},
      {130, 64 * two_pi / 255, 2.0L, 0.5L, "page:idle", "", "", "c.dov", DefaultLabelFace().c_str()},
      {136, 64 * two_pi / 255, 2.0L, 0.5L, "page:idle", "page:idle", "page:in", "c.dov", DefaultLabelFace().c_str()},
      {144, 1.0L, 2.0L, 0.5L, "page:idle", "page:idle", "page:in", "c.dov", "Pix"},
  };
  for (const TRow& row : rows) {
    auto loaded = Fresh();
    LoadStage(*loaded, OldStage(row.version), row.version);
    TOrvoObject* label = loaded->FindComponent("l");
    ASSERT_NE(label, nullptr) << row.version;
    EXPECT_NEAR(static_cast<double>(label->GetProperty(PR_FLOATANGLE).AsFloat()), static_cast<double>(row.angle), 1e-9)
        << row.version;
    EXPECT_EQ(label->GetProperty(PR_FLOATZOOMX).AsFloat(), row.zoom_x) << row.version;
    EXPECT_EQ(label->GetProperty(PR_FLOATZOOMY).AsFloat(), row.zoom_y) << row.version;
    EXPECT_EQ(label->GetStr(PR_TEXT), "AB\r\nC") << row.version;
    EXPECT_EQ(label->GetStr(PR_ONIDLE), row.label_idle) << row.version;
    auto* menu = dynamic_cast<TOrvoMenu*>(loaded->FindComponent("m"));
    ASSERT_NE(menu, nullptr) << row.version;
    EXPECT_EQ(menu->ItemCount(), 3) << row.version;
    EXPECT_TRUE(menu->GetCheck(1)) << row.version;
    EXPECT_EQ(menu->GetInt(PR_HALIGN), 1) << row.version;
    EXPECT_EQ(menu->GetInt(PR_INDEX), 2) << row.version;
    EXPECT_EQ(menu->GetStr(PR_ONIDLE), row.menu_idle) << row.version;
    EXPECT_EQ(menu->GetStr(PR_ONMAPIN), row.map_in) << row.version;
    EXPECT_EQ(menu->GetStr(PR_ONCLOSED), "page:closed") << row.version;
    EXPECT_TRUE(menu->GetBool(PR_ANTIALIAS)) << row.version;
    EXPECT_EQ(menu->GetPlayState(), msOpen) << row.version;
    TOrvoObject* button = loaded->FindComponent("b");
    ASSERT_NE(button, nullptr) << row.version;
    EXPECT_EQ(button->GetStr(PR_HOVERSOURCE), "h.dov") << row.version;
    EXPECT_EQ(button->GetStr(PR_CLICKEDSOURCE), row.clicked) << row.version;
    EXPECT_EQ(button->GetStr(PR_ONNOTIFY), "page:click") << row.version;
    EXPECT_EQ(button->GetStr(PR_FONTNAME), row.caption_face) << row.version;
    EXPECT_EQ(button->GetStr(PR_TEXT), "") << row.version;
  }
}

TEST_F(ChoiceStateTest, ACheckListLongerThanTheRecordIsRefused) {
  std::string bytes = OldStage(144);
  // Cut the record inside the menu's check bytes: the three items want three.
  const size_t cut = bytes.find("page:sel") - 4 - 2;
  bytes.resize(cut);
  auto loaded = Fresh();
  EXPECT_THROW(LoadStage(*loaded, bytes, 144), EOrvoError);
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST_F(ChoiceStateTest, NewKindsImplementTheirRowsOfThePropertyTable) {
  for (uint8_t kind : {kcButton, kcLabel, kcMenu}) {
    TOrvoControl* object = stage_.CreateByKind(kind)->AsControl();
    object->SetName("o");
    object->SetParent(&stage_.ActiveScreen());
    ExpectPropertyTableRows(*object);
    stage_.DeleteObject(*object);
  }
}

TEST_F(ChoiceStateTest, LabelPropertiesReadBackWhatWasWritten) {
  // Without text no glyph is asked for, so any style may be set.
  TOrvoLabel* label = Label("l", "");
  const std::pair<int32_t, TPropValue> rows[] = {
      {PR_FONTNAME, TPropValue::Str("Pix")},     {PR_FONTHEIGHT, TPropValue::Int(10)},
      {PR_FONTSTYLE, TPropValue::Int(5)},        {PR_LINESPACE, TPropValue::Int(3)},
      {PR_HALIGN, TPropValue::Int(2)},           {PR_ANTIALIAS, TPropValue::Bool(true)},
      {PR_FONTCOLOR, TPropValue::Int(0x123456)}, {PR_ALPHA, TPropValue::Int(300)},
      {PR_FLIPH, TPropValue::Bool(true)},        {PR_FLIPV, TPropValue::Bool(true)},
      {PR_FLOATZOOMX, TPropValue::Float(1.25L)}, {PR_ZOOMY, TPropValue::Int(384)},
      {PR_FLOATANGLE, TPropValue::Float(0.5L)},  {PR_SOURCE, TPropValue::Str("none.omt")},
      {PR_REPEAT, TPropValue::Bool(true)},       {PR_AUTOSCRAP, TPropValue::Bool(true)},
      {PR_ONPLAYEND, TPropValue::Str("p:end")},  {PR_ONIDLE, TPropValue::Str("p:idle")},
      {PR_PAUSED, TPropValue::Bool(true)},
  };
  for (const auto& [id, value] : rows) {
    label->SetProperty(id, value);
    EXPECT_EQ(label->GetProperty(id), value) << id;
  }
  label->SetProperty(PR_FONTSTYLE, TPropValue::Int(0));
  label->SetProperty(PR_TEXT, TPropValue::Str("a\r\nb"));
  EXPECT_EQ(label->GetStr(PR_TEXT), "a\r\nb");
  EXPECT_EQ(label->GetInt(PR_ANGLE), RadiansToAngle(0.5L));
  EXPECT_EQ(label->Width(), 12) << "10 x 1.25 rounds half to even";
  EXPECT_EQ(label->Height(), 39) << "Round(26 x 1.5)";
}

}  // namespace
}  // namespace orvo::test
