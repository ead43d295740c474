#include "vars/store.h"

#include <gtest/gtest.h>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "support/test_support.h"
#include "vars/param_types.h"
#include "vars/param_var.h"
#include "vars/system_var.h"

namespace orvo {
namespace {

using test::Sjis;

class StoreTest : public ::testing::Test {
 protected:
  TParamCollectionItem& Make(std::string_view name, int kind, TVarScope scope, int32_t value = 0) {
    TParamCollectionItem& item = store_.CreateVariable(name, kind, scope);
    item.Value().SetAsInt(value);
    return item;
  }

  // Names of the script variables in store order, with their values.
  std::string Listing() {
    std::string text;
    for (size_t i = 0; i < store_.Count(); ++i) {
      TParamCollectionItem& item = store_.At(i);
      if (item.IsSystem()) continue;
      text += item.Name() + "=" + item.Value().GetAsStr() + "(" + std::to_string(item.owner) + (item.local ? "L" : "") +
              (item.status ? "S" : "") + ") ";
    }
    return text;
  }

  std::string SaveGameBytes() {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    store_.SaveGame(writer);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
  }

  void LoadGameBytes(const std::string& bytes, int32_t version) {
    TSpanStream stream(bytes.data(), bytes.size());
    TBinaryReader reader(stream);
    store_.LoadGame(reader, version);
  }

  THeadlessSystemHost host_;
  TParamCollection store_{host_};
};

TEST_F(StoreTest, SystemVariablesComeFirst) {
  ASSERT_EQ(store_.Count(), 51u);
  EXPECT_EQ(store_.At(0).Name(), "@Result");
  EXPECT_EQ(store_.At(50).Name(), "@StackCount");
  EXPECT_EQ(store_.Find("@temp"), &store_.SystemItem(svTemp));
  EXPECT_THROW(TParamSystem(51, store_), EOrvoError);
}

TEST_F(StoreTest, LookupAcrossScopesAndDepths) {
  Make("x", PT_INT, TVarScope::Global, 1);
  store_.SetCurrentDepth(3);
  Make("x", PT_INT, TVarScope::Local, 3);
  Make("y", PT_INT, TVarScope::AutoFree, 4);
  struct Case {
    int32_t depth;
    const char* name;
    int32_t expected;  // -1: not found
  };
  const Case cases[] = {
      {3, "X", 3}, {2, "X", 1}, {4, "x", 1}, {3, "y", 4}, {0, "y", 4}, {3, "z", -1},
  };
  for (const Case& c : cases) {
    store_.SetCurrentDepth(c.depth);
    TParamCollectionItem* item = store_.Find(c.name);
    if (c.expected < 0) {
      EXPECT_EQ(item, nullptr) << c.name << "@" << c.depth;
    } else {
      ASSERT_NE(item, nullptr) << c.name << "@" << c.depth;
      EXPECT_EQ(item->Value().GetAsInt(), c.expected) << c.name << "@" << c.depth;
    }
  }
  store_.SetCurrentDepth(3);
  EXPECT_EQ(store_.FindForNew("x", true)->Value().GetAsInt(), 3);
  EXPECT_EQ(store_.FindForNew("x", false)->Value().GetAsInt(), 1);
  store_.SetCurrentDepth(2);
  EXPECT_EQ(store_.FindForNew("x", true), nullptr);
}

TEST_F(StoreTest, TheNonLocalThatCameFirstWins) {
  Make("a", PT_INT, TVarScope::Global, 1);
  Make("A", PT_INT, TVarScope::Global, 2);
  EXPECT_EQ(store_.Find("a")->Value().GetAsInt(), 1);
  // Renaming moves an item to the head of its chain; it stays the later one.
  TParamCollectionItem& other = Make("b", PT_INT, TVarScope::Global, 3);
  store_.SetName(other, "a");
  EXPECT_EQ(store_.Find("a")->Value().GetAsInt(), 1);
}

TEST_F(StoreTest, NamesAreChecked) {
  for (const char* bad : {"", "a b", "1abc"}) {
    try {
      store_.CreateVariable(bad, PT_INT, TVarScope::Global);
      ADD_FAILURE() << bad;
    } catch (const EOrvoError& error) {
      EXPECT_EQ(std::string(error.what()), "\"" + std::string(bad) + "\"：変数名が不正です");
    }
  }
  EXPECT_EQ(store_.Count(), 51u);  // nothing half-made was left behind
  EXPECT_NO_THROW(store_.CreateVariable(Sjis("変数_1"), PT_INT, TVarScope::Global));
}

TEST_F(StoreTest, OwnersResetsAndPersistentDefaults) {
  store_.SetCurrentDepth(2);
  Make("auto2", PT_INT, TVarScope::AutoFree);
  Make("local2", PT_INT, TVarScope::Local);
  store_.SetCurrentDepth(3);
  Make("auto3", PT_INT, TVarScope::AutoFree);
  Make("global", PT_INT, TVarScope::Global);
  Make("kept", PT_INT, TVarScope::Status, 8);
  store_.DeleteOwnedBy(2);
  EXPECT_EQ(Listing(), "auto3=0(3) global=0(-1) kept=8(-1S) ");
  store_.LowerOwnersAbove(1);
  EXPECT_EQ(Listing(), "auto3=0(2) global=0(-1) kept=8(-1S) ");

  store_.SetTextDelay(80);
  store_.SetCursorName("hand");
  store_.ResetGame();
  EXPECT_EQ(Listing(), "kept=8(-1S) ");
  EXPECT_EQ(store_.TextDelay(), 50);
  EXPECT_EQ(store_.CursorName(), "");

  TParamStr title;
  title.SetAsStr("hello");
  EXPECT_NE(store_.DefinePersistent("title", title), nullptr);
  EXPECT_EQ(store_.DefinePersistent("KEPT", title), nullptr);  // already defined: left as it is
  EXPECT_EQ(Listing(), "kept=8(-1S) title=hello(-1S) ");
}

TEST_F(StoreTest, CopyOutCopiesTheValue) {
  TParamCollectionItem& item = Make("v", PT_STR, TVarScope::Global);
  item.Value().SetAsStr("text");
  std::unique_ptr<TCustomParam> copy = store_.CopyOut("V");
  ASSERT_NE(copy, nullptr);
  item.Value().SetAsStr("changed");
  EXPECT_EQ(copy->GetAsStr(), "text");
  EXPECT_EQ(store_.CopyOut("missing"), nullptr);
  store_.Add(PT_NONE);
  store_.SetName(store_.At(store_.Count() - 1), "ref");
  EXPECT_THROW(store_.CopyOut("ref"), EOrvoError);
}

TEST_F(StoreTest, ReferencesLetGoOfFreedVariables) {
  TParamCollectionItem& target = Make("t", PT_INT, TVarScope::Global, 5);
  TParamVar reference("t");
  reference.Bind(&target, 0);
  EXPECT_EQ(reference.GetAsInt(), 5);
  store_.Delete(target);
  EXPECT_FALSE(reference.IsBound());
  EXPECT_EQ(reference.GetAsInt(), 0);
  reference.SetAsInt(3);  // ignored, and no freed memory is touched
  EXPECT_EQ(reference.ParamType(), PT_NONE);
}

TEST_F(StoreTest, GameRecordRoundTrip) {
  Make("g", PT_INT, TVarScope::Global, 1);
  store_.SetCurrentDepth(2);
  Make("a", PT_STR, TVarScope::AutoFree).Value().SetAsStr(Sjis("ソ表"));
  Make("l", PT_FLOAT, TVarScope::Local).Value().SetAsFloat(1.25L);
  Make("s", PT_INT, TVarScope::Status, 7);
  store_.SetTextDelay(70);
  store_.SetCursorName("c");
  store_.SetSelectedString("sel");
  store_.SetSelectedIndex(4);
  store_.SetTempName("g");
  const std::vector<std::string> pushed = {"g"};
  store_.PushVars(pushed);
  std::string bytes = SaveGameBytes();

  store_.ResetGame();
  store_.SetSelectedIndex(0);
  store_.Find("s")->Value().SetAsInt(9);
  LoadGameBytes(bytes, 201);
  // A save and a load reverse the order of the variables; status variables stay as they were.
  EXPECT_EQ(Listing(), "s=9(-1S) l=1.25(2L) a=" + Sjis("ソ表") + "(2) g=1(-1) ");
  EXPECT_EQ(store_.TextDelay(), 70);
  EXPECT_EQ(store_.CursorName(), "c");
  EXPECT_EQ(store_.SelectedString(), "sel");
  EXPECT_EQ(store_.SelectedIndex(), 4);
  EXPECT_EQ(store_.TempName(), "g");
  EXPECT_EQ(store_.SnapshotCount(), 1u);
  // The snapshot read back restores its variable.
  store_.Find("g")->Value().SetAsInt(100);
  store_.PopVars();
  EXPECT_EQ(store_.Find("g")->Value().GetAsInt(), 1);
  EXPECT_EQ(store_.SnapshotCount(), 0u);
}

TEST_F(StoreTest, OlderGameRecordsReadTheirOwnLayout) {
  struct THistoryHost : THeadlessSystemHost {
    void ApplyOldHistoryFormat(const std::array<int32_t, 6>& values) override { history = values; }
    std::array<int32_t, 6> history{};
  } host;
  struct Case {
    int32_t version;
    bool selection;
    bool history;
    bool temp;
  };
  const Case cases[] = {
      {102, false, false, false}, {110, true, false, false}, {115, true, true, false},
      {125, true, true, true},    {138, true, false, true},
  };
  for (const Case& c : cases) {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    writer.WriteInt32(1);  // one variable
    writer.WriteByte(PT_INT);
    writer.WriteString("v");
    writer.WriteInt32(0);  // no dimensions
    writer.WriteInt32(1);
    writer.WriteInt32(33);
    writer.WriteByte(0), writer.WriteByte(0), writer.WriteInt32(-1), writer.WriteByte(0);
    writer.WriteInt32(60);
    writer.WriteString("cur");
    if (c.selection) writer.WriteString("picked"), writer.WriteInt32(2);
    if (c.history)
      for (int32_t v = 1; v <= 6; ++v) writer.WriteInt32(v);
    if (c.temp) writer.WriteString("v");
    stream.SetPosition(0);
    TBinaryReader reader(stream);
    TParamCollection store(host);
    host.history = {};
    store.LoadGame(reader, c.version);
    EXPECT_EQ(reader.Remaining(), 0) << c.version;
    EXPECT_EQ(store.Find("v")->Value().GetAsInt(), 33) << c.version;
    EXPECT_EQ(store.TextDelay(), 60);
    EXPECT_EQ(store.SelectedString(), c.selection ? "picked" : "") << c.version;
    EXPECT_EQ(host.history[5], c.history ? 6 : 0) << c.version;
    EXPECT_EQ(store.TempName(), c.temp ? "v" : "") << c.version;
  }
}

TEST_F(StoreTest, StatusRecordRoundTrip) {
  Make("s1", PT_INT, TVarScope::Status, 1);
  Make("s2", PT_STR, TVarScope::Status).Value().SetAsStr("two");
  Make("g", PT_INT, TVarScope::Global, 3);
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  store_.SaveStatus(writer);
  stream.SetPosition(0);
  TBinaryReader reader(stream);
  TParamCollection other(host_);
  other.CreateVariable("g", PT_INT, TVarScope::Global);
  other.LoadStatus(reader);
  EXPECT_EQ(other.Find("s2")->Value().GetAsStr(), "two");
  EXPECT_TRUE(other.Find("s1")->IsStatus());
  EXPECT_NE(other.Find("g"), nullptr);  // loading status data clears nothing
}

TEST_F(StoreTest, BoundReferencesAreSavedAsReferences) {
  Make("target", PT_INT, TVarScope::Global, 4);
  TParamCollectionItem& reference = store_.Add(PT_NONE);
  store_.SetName(reference, "ref");
  static_cast<TParamVar&>(reference.Value()).Bind(store_.Find("target"), 0);
  ASSERT_EQ(reference.Value().ParamType(), PT_INT);
  std::string bytes = SaveGameBytes();
  LoadGameBytes(bytes, 201);
  TParamCollectionItem* loaded = store_.Find("ref");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Value().ClassKind(), PT_NONE);
  // ref was saved first and loaded before its target exists, so it stays unbound.
  EXPECT_EQ(loaded->Value().GetAsInt(), 0);
}

TEST_F(StoreTest, SnapshotsRestoreValuesAndKinds) {
  Make("a", PT_INT, TVarScope::Global, 1);
  Make("b", PT_STR, TVarScope::Global).Value().SetAsStr("b1");
  store_.PopVars();  // an empty stack does nothing
  const std::vector<std::string> names = {"a", "b", "missing", "@TextDelay"};
  store_.PushVars(names);
  store_.Find("a")->Value().SetAsInt(2);
  store_.Delete(*store_.Find("b"));
  store_.CreateVariable("b", PT_FLOAT, TVarScope::Global);
  store_.SetTextDelay(99);
  store_.PopVars();
  EXPECT_EQ(store_.Find("a")->Value().GetAsInt(), 1);
  EXPECT_EQ(store_.Find("b")->Value().ParamType(), PT_STR);
  EXPECT_EQ(store_.Find("b")->Value().GetAsStr(), "b1");
  EXPECT_EQ(store_.TextDelay(), 99);  // system variables are not snapshot
  EXPECT_EQ(store_.SnapshotCount(), 0u);
}

TEST_F(StoreTest, DamagedGameRecordsAreRejected) {
  auto record = [](auto write) {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    write(writer);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
  };
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"variable count beyond the data", record([](TBinaryWriter& w) { w.WriteInt32(1000000); })},
      {"kind byte out of range", record([](TBinaryWriter& w) {
         w.WriteInt32(1);
         w.WriteByte(9);
         w.WriteBytes(std::string(40, '\0'));
       })},
      {"invalid variable name", record([](TBinaryWriter& w) {
         w.WriteInt32(1);
         w.WriteByte(PT_INT);
         w.WriteString("9lives");
         w.WriteBytes(std::string(40, '\0'));
       })},
      {"snapshot with a bad kind", record([](TBinaryWriter& w) {
         w.WriteInt32(0), w.WriteInt32(50), w.WriteString(""), w.WriteString(""), w.WriteInt32(0);
         w.WriteString("");
         w.WriteInt32(1);  // one snapshot
         w.WriteInt32(1);  // one entry
         w.WriteInt32(7);
         w.WriteBytes(std::string(16, '\0'));
       })},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(LoadGameBytes(c.bytes, 201), EOrvoError) << c.what;
    EXPECT_EQ(store_.Count(), 51u) << c.what;
  }
}

}  // namespace
}  // namespace orvo
