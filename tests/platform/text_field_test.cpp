#include "platform/text_field.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp932.h"

namespace orvo {
namespace {

// One step: commit text, or press (and release) a key; "+16"/"-16" hold or let go of a key.
struct TStep {
  enum { Text, Key, Hold, Let } what;
  std::string text;
  int32_t key = 0;
};
TStep T(std::string utf8) { return {TStep::Text, std::move(utf8)}; }
TStep K(int32_t key) { return {TStep::Key, {}, key}; }
TStep Hold(int32_t key) { return {TStep::Hold, {}, key}; }
TStep Let(int32_t key) { return {TStep::Let, {}, key}; }

constexpr int32_t kBack = 8, kTab = 9, kEnter = 13, kShift = 16, kCtrl = 17, kEsc = 27, kEnd = 35, kHome = 36;
constexpr int32_t kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46;

void Play(ITextField& field, const std::vector<TStep>& steps) {
  for (const TStep& step : steps) {
    switch (step.what) {
      case TStep::Text:
        field.CommitText(step.text);
        break;
      case TStep::Key:
        field.KeyDown(step.key);
        field.KeyUp(step.key);
        break;
      case TStep::Hold:
        field.KeyDown(step.key);
        break;
      case TStep::Let:
        field.KeyUp(step.key);
        break;
    }
  }
}

TEST(TextField, EditingKeysAndCommittedText) {
  struct Case {
    const char* name;
    TTextFieldKind kind;
    std::string initial;  // UTF-8, set through SetText
    std::vector<TStep> steps;
    std::string text;                       // UTF-8 (CR LF shown as is)
    size_t selection_start, selection_end;  // bytes of the CP932 text
  };
  const auto edit = TTextFieldKind::SingleLine, memo = TTextFieldKind::MultiLine;
  const Case cases[] = {
      {"typing at the end", edit, "", {T("ab"), T("c")}, "abc", 3, 3},
      {"backspace takes a whole double-byte character", edit, "", {T("日本語"), K(kBack)}, "日本", 4, 4},
      {"delete after the caret", edit, "日本語", {K(kHome), K(kDelete)}, "本語", 0, 0},
      {"characters without a CP932 form are dropped",
       edit,
       "",
       {T("a😀b\xC3\xA9"
          "c")},
       "abc",
       3,
       3},
      {"malformed bytes are dropped",
       edit,
       "",
       {T("a\xFF\xC3"
          "b")},
       "ab",
       2,
       2},
      {"the edit drops tab, enter, escape and line breaks",
       edit,
       "",
       {T("a\tb\x1B"
          "c\r\nd"),
        K(kEnter), K(kTab), K(kEsc)},
       "abcd",
       4,
       4},
      {"the memo breaks lines with CR LF",
       memo,
       "",
       {T("x"), K(kEnter), T("y\nz\r\nw\rv")},
       "x\r\ny\r\nz\r\nw\r\nv",
       13,
       13},
      {"the memo drops tabs too", memo, "", {T("a\tb")}, "ab", 2, 2},
      {"shift extends, typing replaces",
       edit,
       "hello",
       {Hold(kShift), K(kLeft), K(kLeft), Let(kShift), T("P")},
       "helP",
       4,
       4},
      {"arrows collapse a selection",
       edit,
       "hello",
       {K(kHome), Hold(kShift), K(kRight), K(kRight), Let(kShift), K(kRight)},
       "hello",
       2,
       2},
      {"select all then type", edit, "old name", {Hold(kCtrl), K(65), Let(kCtrl), T("新")}, "新", 2, 2},
      {"cut and paste",
       edit,
       "abcd",
       {Hold(kShift), K(kLeft), K(kLeft), Let(kShift), Hold(kCtrl), K(88), K(kHome), K(86), Let(kCtrl)},
       "cdab",
       2,
       2},
      {"copy keeps the text, paste converts",
       edit,
       "日本",
       {Hold(kCtrl), K(65), K(67), K(kEnd), K(86), Let(kCtrl)},
       "日本日本",
       8,
       8},
      {"home and end of a memo line", memo, "ab\r\ncd", {K(kHome), T("x"), K(kEnd), T("y")}, "ab\r\nxcdy", 8, 8},
      {"up and down keep the column",
       memo,
       "abc\r\nd\r\nefg",
       {K(kUp), K(kUp), T("1"), K(kDown), K(kDown), T("2")},
       "abc1\r\nd\r\nefg2",
       13,
       13},
      {"backspace joins memo lines", memo, "a\r\nb", {K(kHome), K(kBack)}, "ab", 1, 1},
      {"read-only keeps its text", edit, "fixed", {T("x"), K(kBack), K(kDelete), K(kEnter)}, "fixed", 5, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto fields = CreateHeadlessTextFields();
    auto field = fields->CreateField(c.kind);
    field->SetText(Utf8ToCp932(c.initial));
    if (std::string(c.name).starts_with("read-only")) field->SetReadOnly(true);
    Play(*field, c.steps);
    EXPECT_EQ(Cp932ToUtf8(field->Text()), c.text);
    EXPECT_EQ(field->SelectionStart(), c.selection_start);
    EXPECT_EQ(field->SelectionEnd(), c.selection_end);
  }
}

TEST(TextField, KeyDownIsReportedBeforeTheKeyActs) {
  auto fields = CreateHeadlessTextFields();
  auto field = fields->CreateField(TTextFieldKind::MultiLine);
  std::vector<std::string> seen;
  field->SetCallbacks({[&](int32_t key) { seen.push_back(std::to_string(key) + ":" + field->Text()); }, {}});
  field->SetText("ab");
  Play(*field, {K(kEnter), K(kBack), K(kBack)});
  EXPECT_EQ(seen, (std::vector<std::string>{"13:ab", "8:ab\r\n", "8:ab"}));
}

TEST(TextField, FocusFollowsVisibilityAndEnabling) {
  auto fields = CreateHeadlessTextFields();
  auto a = fields->CreateField(TTextFieldKind::SingleLine);
  auto b = fields->CreateField(TTextFieldKind::SingleLine);
  int gained = 0;
  a->SetCallbacks({{}, [&] { ++gained; }});
  a->TakeFocus();
  EXPECT_EQ(fields->FocusedField(), nullptr) << "hidden fields take no focus";
  a->SetVisible(true);
  b->SetVisible(true);
  a->TakeFocus();
  a->TakeFocus();
  EXPECT_EQ(gained, 1);
  EXPECT_EQ(fields->FocusedField(), a.get());
  b->TakeFocus();
  EXPECT_FALSE(a->Focused());
  b->SetEnabled(false);
  EXPECT_EQ(fields->FocusedField(), nullptr);
  a->TakeFocus();
  a->SetVisible(false);
  EXPECT_EQ(fields->FocusedField(), nullptr);
  b.reset();
  a.reset();
  EXPECT_EQ(fields->FocusedField(), nullptr);
}

TEST(TextField, InputMethodOpenStateFollowsTheMode) {
  struct Case {
    int32_t mode;
    bool set_open;
    bool opened;
  };
  const Case cases[] = {{imDontCare, true, true},
                        {imDontCare, false, false},
                        {imDisable, true, false},
                        {imOpen, false, false},
                        {imClose, true, true}};
  for (const Case& c : cases) {
    auto fields = CreateHeadlessTextFields();
    auto field = fields->CreateField(TTextFieldKind::SingleLine);
    field->SetImeMode(c.mode);
    field->SetImeOpened(c.set_open);
    EXPECT_EQ(field->ImeOpened(), c.opened) << c.mode;
  }
  auto fields = CreateHeadlessTextFields();
  auto field = fields->CreateField(TTextFieldKind::SingleLine);
  field->SetImeMode(imOpen);
  EXPECT_TRUE(field->ImeOpened()) << "the open mode opens it";
}

}  // namespace
}  // namespace orvo
