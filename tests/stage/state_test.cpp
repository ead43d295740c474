#include <gtest/gtest.h>

#include "base/error.h"
#include "base/stream.h"
#include "stage/prop_motion.h"
#include "stage/stage_fixture.h"
#include "stage/timer.h"

namespace orvo::test {
namespace {

constexpr int32_t kCurrentVersion = 201;

class StateTest : public StageTest {
 protected:
  // A second stage of the same kinds to load into.
  std::unique_ptr<TOrvoBaseList> Fresh() {
    auto stage = std::make_unique<TOrvoBaseList>(state_);
    stage->RegisterKind(kcBox, [](TOrvoBaseList& s) { return std::make_unique<TTestBox>(s); });
    return stage;
  }

  void BuildGame() {
    stage_.SetSize(320, 240);
    TTestBox* a = Box("a", 10, 20, 100, 50);
    a->SetHandler(THandler::MouseIn, "in.osb");
    a->SetProperty(PR_TAG, TPropValue::Str("tagged"));
    a->SetProperty(PR_CLIPWIDTH, TPropValue::Int(30));
    a->SetProperty(PR_PLUSX, TPropValue::Int(-4));
    TTestBox* b = Box("b", 1, 2, 3, 4, a);
    b->SetProperty(PR_HANDLEKEY, TPropValue::Bool(true));
    b->SetHandler(THandler::KeyDown, "key.osb");
    b->SetPriorityBias(6);
    Box("\x01"
        "film\x01"
        "0",
        0, 0, 1, 1, a);  // system objects stay out of saves
    TTestBox* other = Box("other", 5, 5, 5, 5, &stage_.InactiveScreen());
    other->SetProperty(PR_HANDLEKEY, TPropValue::Bool(true));
    Box("gone", 0, 0, 1, 1)->Scrap();
    TOrvoObject* cabinet = stage_.CreateByKind(kcCabinet);
    cabinet->SetName("cab");
    cabinet->AsControl()->SetParent(&stage_.Screen(0));
    Box("stored", 0, 0, 1, 1, cabinet->AsControl());
    TOrvoObject* timer = stage_.CreateByKind(kcTimer);
    timer->SetName("clock");
    timer->SetProperty(PR_ONNOTIFY, TPropValue::Str("tick.osb"));
    timer->SetProperty(PR_DELAY, TPropValue::Int(250));
    auto* motion = static_cast<TOrvoPropMotion*>(stage_.CreateByKind(kcPropMotion));
    motion->SetTargetName("a");
    motion->SetPropId(PR_LEFT);
    motion->SetTargetValue(2.5L);
    motion->SetDuration(900);
    stage_.Events().PostEvent(a->Handle(), "in.osb", {"1", "2"}, ecMouseIn);
    stage_.Events().PostEvent(stage_.Screen(1).Handle(), "scr.osb", {}, ecMouseMove);
    stage_.Events().PostEvent(timer->Handle(), "tick.osb", {}, ecNotify);
    stage_.Events().NextWaitingEvent()->level = 3;
    stage_.SetActiveScreen(1);
    stage_.SetFocusObject(other);
  }
};

TEST_F(StateTest, SavedStageLoadsAndSavesToTheSameBytes) {
  BuildGame();
  const std::string saved = SaveStage(stage_);
  auto loaded = Fresh();
  LoadStage(*loaded, saved);
  EXPECT_EQ(SaveStage(*loaded), saved);
  EXPECT_EQ(loaded->Width(), 320);
  EXPECT_EQ(loaded->ActiveScreenIndex(), 1);
  TOrvoControl* b = loaded->FindControl("b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Parent(), loaded->FindControl("a"));
  EXPECT_EQ(loaded->Focus(), loaded->FindControl("other"));
  EXPECT_FALSE(loaded->RefocusPending());
  EXPECT_EQ(loaded->FindControl("a")->ChildCount(), 1) << "the film's object is not saved";
  EXPECT_EQ(loaded->FindComponent("gone"), nullptr);
  EXPECT_TRUE(loaded->FindControl("stored")->InCabinet());
  ASSERT_EQ(loaded->Events().Count(), 3u);
  EXPECT_EQ(loaded->Events().Entries()[0].level, 3);
  EXPECT_EQ(loaded->Resolve(loaded->Events().Entries()[0].owner), loaded->FindControl("a"));
  // Screen names in saves are absolute, whichever screen is active.
  EXPECT_EQ(loaded->Resolve(loaded->Events().Entries()[1].owner), &loaded->Screen(1));
}

TEST_F(StateTest, EventsOfDeletedOwnersLoadWithoutOwner) {
  TTestBox* box = Box("box", 0, 0, 1, 1);
  stage_.Events().PostEvent(box->Handle(), "a.osb", {}, ecMouseIn);
  stage_.Events().Entries();
  box->Scrap();
  stage_.UpdateAll();
  stage_.Events().PostEvent(0, "b.osb", {}, ecNotify);
  auto loaded = Fresh();
  LoadStage(*loaded, SaveStage(stage_));
  ASSERT_EQ(loaded->Events().Count(), 1u) << "the waiting event went with its owner";
  EXPECT_EQ(loaded->Events().Entries()[0].owner, 0u) << "an empty name is no owner, not the active screen";
}

// The record as a save of an older version lays it out, written by hand.
struct TOldRecord {
  int32_t version;
  std::string bytes;
};

TOldRecord OldRecord(int32_t version) {
  TMemoryStream stream;
  TBinaryWriter w(stream);
  auto object = [&](const std::string& name, int32_t priority) {
    w.WriteString(name);
    w.WriteInt32(priority);
    if (version > 103) w.WriteInt32(7);  // PriorityBias
    if (version >= 120) w.WriteString("tag");
  };
  auto control = [&](int32_t left, int32_t children) {
    for (int32_t v : {left, 2, 30, 40, 0, 0}) w.WriteInt32(v);
    w.WriteBool(false);
    if (version >= 130) {
      for (int32_t v : {11, 12, 13, 14}) w.WriteInt32(v);
    }
    if (version > 103) {
      for (int32_t v : {1, 1, 5, 5}) w.WriteInt32(v);
      w.WriteBool(true);
    }
    w.WriteBool(true);
    w.WriteInt32(0x123456);
    for (int32_t v : {0, 0, 1, 1}) w.WriteInt32(v);
    w.WriteByte(IM_CLICK);
    w.WriteString("hand.cur");
    w.WriteString("move.osb");
    if (version > 101) w.WriteString("in.osb");
    for (int i = 0; i < 7; ++i) w.WriteString("");
    if (version > 117) {
      w.WriteBool(true);
      w.WriteString("down.osb");
      for (int i = 0; i < 4; ++i) w.WriteString("");
    }
    w.WriteInt32(children);
  };
  w.WriteInt32(64);
  w.WriteInt32(48);
  w.WriteInt32(0);
  object(
      "\x01"
      "BASE0",
      0);
  control(0, 1);
  w.WriteByte(kcBox);
  object("pic", 3);
  control(9, 0);
  object(
      "\x01"
      "BASE1",
      0);
  control(0, 0);
  w.WriteInt32(2);
  w.WriteByte(kcTimer);
  object("clock", 0);
  w.WriteString("tick.osb");
  w.WriteInt32(100);
  w.WriteBool(false);
  if (version > 103) {
    w.WriteBool(true);
    w.WriteBool(false);
  }
  w.WriteByte(kcPropMotion);
  object("mover", 0);
  w.WriteString("pic");
  w.WriteInt32(PR_LEFT);
  w.WriteExt80(100);
  w.WriteInt32(500);
  w.WriteInt32(MT_DEC);
  w.WriteExt80(9);
  w.WriteInt32(40);
  if (version > 125) w.WriteBool(true);
  w.WriteInt32(1);
  w.WriteString("tick.osb");
  w.WriteString("clock");
  w.WriteByte(ecNotify);
  if (version <= 113) {
    w.WriteByte(5);  // any non-zero byte is level 1
  } else {
    w.WriteInt32(1);
  }
  w.WriteStringList({"x"});
  if (version > 118) w.WriteString("pic");
  return {version, std::string(stream.Bytes().begin(), stream.Bytes().end())};
}

TEST_F(StateTest, OlderVersionsLeaveNewerFieldsAtTheirDefaults) {
  const struct {
    int32_t version;
    bool clip_and_bias;  // > 103
    bool keys;           // > 117
    bool focus;          // > 118
    bool tag;            // >= 120
    bool motion_paused;  // > 125
    bool plus;           // >= 130
  } rows[] = {
      {103, false, false, false, false, false, false},
      {113, true, false, false, false, false, false},
      {118, true, true, false, false, false, false},
      {120, true, true, true, true, false, false},
      {126, true, true, true, true, true, false},
      {130, true, true, true, true, true, true},
      {kCurrentVersion, true, true, true, true, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version);
    auto stage = Fresh();
    LoadStage(*stage, OldRecord(row.version).bytes, row.version);
    TOrvoControl* pic = stage->FindControl("pic");
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->Left(), 9);
    EXPECT_EQ(pic->Priority(), 3);
    EXPECT_EQ(pic->Handler(THandler::MouseIn), "in.osb");
    EXPECT_EQ(pic->Cursor(), "hand.cur");
    EXPECT_EQ(pic->IgnoreMouse(), IM_CLICK);
    EXPECT_EQ(pic->PriorityBias(), row.clip_and_bias ? 7 : 0);
    EXPECT_EQ(pic->HasClip(), row.clip_and_bias);
    EXPECT_EQ(pic->AniPaused(), row.clip_and_bias);
    EXPECT_EQ(pic->HandleKey(), row.keys);
    EXPECT_EQ(pic->Handler(THandler::KeyDown), row.keys ? "down.osb" : "");
    EXPECT_EQ(pic->Tag(), row.tag ? "tag" : "");
    EXPECT_EQ(pic->PlusX(), row.plus ? 13 : 0);
    EXPECT_EQ(pic->MotionX(), row.plus ? 11 : 0);
    EXPECT_EQ(stage->Focus() == pic, row.focus);
    EXPECT_EQ(stage->FindComponent("clock")->GetBool(PR_AUTOSCRAP), row.clip_and_bias);
    EXPECT_EQ(stage->FindComponent("mover")->Paused(), row.motion_paused);
    ASSERT_EQ(stage->Events().Count(), 1u);
    EXPECT_EQ(stage->Events().Entries()[0].level, 1);
    EXPECT_EQ(stage->Events().Entries()[0].args, std::vector<std::string>{"x"});
  }
}

TEST_F(StateTest, DamagedRecordsAreRefusedAndLeaveAnEmptyStage) {
  const std::string good = OldRecord(kCurrentVersion).bytes;
  // Offsets into the current layout: size, active screen, first child count.
  auto patched = [&](size_t offset, std::string_view bytes) {
    std::string copy = good;
    for (size_t i = 0; i < bytes.size(); ++i) copy[offset + i] = bytes[i];
    return copy;
  };
  const size_t screen0_children = 12 + (4 + 6) + 4 + 4 + (4 + 3) + 24 + 1 + 16 + 16 + 1 + 1 + 4 + 16 + 1 + (4 + 8) +
                                  (4 + 8) + (4 + 6) + 7 * 4 + 1 + (4 + 8) + 4 * 4;
  ASSERT_EQ(good[screen0_children + 4], static_cast<char>(kcBox));
  const struct {
    const char* label;
    std::string bytes;
  } rows[] = {
      {"zero width", patched(0, std::string("\0\0\0\0", 4))},
      {"active screen 2", patched(8, std::string("\2\0\0\0", 4))},
      {"negative child count", patched(screen0_children, "\xFF\xFF\xFF\xFF")},
      {"huge child count", patched(screen0_children, "\xFF\xFF\xFF\x7F")},
      {"unknown kind", patched(screen0_children + 4, std::string("\x0A", 1))},
      {"timer inside a tree", patched(screen0_children + 4, std::string("\x0F", 1))},
      {"reserved name", patched(screen0_children + 9, "\x01")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    auto stage = Fresh();
    EXPECT_THROW(LoadStage(*stage, row.bytes), EOrvoError);
    EXPECT_TRUE(stage->Objects().empty());
  }
  // Every truncation fails cleanly.
  for (size_t size = 0; size < good.size(); ++size) {
    auto stage = Fresh();
    EXPECT_THROW(LoadStage(*stage, good.substr(0, size)), EOrvoError) << size;
  }
}

TEST_F(StateTest, DeepTreesInSavesAreRefused) {
  TOrvoControl* parent = &stage_.ActiveScreen();
  for (int depth = 0; depth < 300; ++depth) {
    std::string name = std::to_string(depth);
    name.insert(name.begin(), 'n');
    parent = Box(name, 0, 0, 1, 1, parent);
  }
  auto stage = Fresh();
  EXPECT_THROW(LoadStage(*stage, SaveStage(stage_)), EFormatError);
}

}  // namespace
}  // namespace orvo::test
