// Preview-menu files in both forms: the version gates of the record form,
// the declaration rules of the XML form, relative names, damaged files,
// the preview-menu object and the kit's dump.
#include "tables/prev_menu.h"

#include <gtest/gtest.h>

#include <map>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "stage/stage.h"
#include "support/test_support.h"
#include "tables/prev_menu_file.h"

namespace orvo::test {
namespace {

// A record-form file of one button whose every name field holds its own
// field name, written as version version lays it out.
std::string RecordFile(const std::string& digits, int32_t count = 1) {
  const int32_t version = std::stoi(digits);
  TMemoryStream stream;
  TBinaryWriter w(stream);
  w.WriteBytes(std::string("OrvoPrevMenu") + digits);
  w.WriteInt32(320);
  w.WriteInt32(200);
  w.WriteInt32(count);
  for (int32_t i = 0; i < count; ++i) {
    w.WriteInt32(10);
    w.WriteInt32(20);
    w.WriteString("Path");
    w.WriteBool(true);
    w.WriteString("start");
    for (const char* name : {"InImagePath", "OutImagePath", "SettleImagePath"}) w.WriteString(name);
    if (version > 100) w.WriteString("DisImagePath");
    if (version > 102) {
      w.WriteString("DisInImagePath");
      w.WriteString("DisOutImagePath");
    }
    for (const char* name : {"InPrevPath", "OutPrevPath", "SettlePrevPath"}) w.WriteString(name);
    if (version > 101) {
      w.WriteString("DisInPrevPath");
      w.WriteString("DisOutPrevPath");
    }
    w.WriteInt32(3);
    w.WriteInt32(4);
    w.WriteString("CursorPath");
    if (version > 103) {
      for (const char* name :
           {"DownImagePath", "DownInImagePath", "DownOutImagePath", "DownInPrevPath", "DownOutPrevPath"}) {
        w.WriteString(name);
      }
      w.WriteInt32(7);
    }
    if (version > 104) w.WriteString("DownOnPrevPath");
    if (version > 105) w.WriteString("DownOffPrevPath");
  }
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST(PrevMenuFile, RecordVersionsGateTheirFields) {
  struct TRow {
    const char* digits;
    bool dis_image, dis_prev, dis_in_out_image, down, down_on, down_off;
  };
  const TRow rows[] = {
      {"100", false, false, false, false, false, false}, {"101", true, false, false, false, false, false},
      {"102", true, true, false, false, false, false},   {"103", true, true, true, false, false, false},
      {"104", true, true, true, true, false, false},     {"105", true, true, true, true, true, false},
      {"106", true, true, true, true, true, true},       {"200", true, true, true, true, true, true},
  };
  for (const TRow& row : rows) {
    TContSelList list;
    list.LoadFromBytes(RecordFile(row.digits), "");
    ASSERT_EQ(list.ButtonCount(), 1) << row.digits;
    const TContSelButton& b = list.Button(0);
    auto has = [](const std::string& field, const char* name) { return field == name; };
    EXPECT_EQ(list.Form(), TPrevMenuForm::Record);
    EXPECT_EQ(list.Version(), row.digits);
    EXPECT_EQ(list.Width(), 320);
    EXPECT_EQ(b.name, "start");
    EXPECT_TRUE(b.cap_mask);
    EXPECT_EQ(b.cap_mask_level, 128);
    EXPECT_EQ(b.prev_top, 4);
    EXPECT_TRUE(has(b.cursor_path, "CursorPath")) << row.digits;
    EXPECT_EQ(has(b.dis_image_path, "DisImagePath"), row.dis_image) << row.digits;
    EXPECT_EQ(has(b.dis_in_prev_path, "DisInPrevPath"), row.dis_prev) << row.digits;
    EXPECT_EQ(has(b.dis_out_image_path, "DisOutImagePath"), row.dis_in_out_image) << row.digits;
    EXPECT_EQ(has(b.down_out_prev_path, "DownOutPrevPath"), row.down) << row.digits;
    EXPECT_EQ(b.group, row.down ? 7 : 0) << row.digits;
    EXPECT_EQ(has(b.down_on_prev_path, "DownOnPrevPath"), row.down_on) << row.digits;
    EXPECT_EQ(has(b.down_off_prev_path, "DownOffPrevPath"), row.down_off) << row.digits;
  }
}

std::string Xml(const std::string& declaration, const std::string& body) { return declaration + body; }

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>";

TEST(PrevMenuFile, BrokenFilesRaiseTheirMessages) {
  std::string long_count = RecordFile("106");
  long_count[12 + 3 + 8] = '\x7f';  // the button count's low byte: far more buttons than bytes
  std::string long_string = RecordFile("106");
  const size_t path_length = 12 + 3 + 12 + 8;
  long_string[path_length + 2] = '\x40';  // "Path" claims 4 MiB
  struct TRow {
    const char* label;
    std::string bytes;
    std::string message;  // empty: any error of the family
  };
  const TRow rows[] = {
      {"record version below 100", RecordFile("099"), MsgPrevMenuVersion()},
      {"record version above 200", RecordFile("201"), MsgPrevMenuVersion()},
      {"no declaration", Xml("", "<Menu Version=\"200\"/>"), MsgPrevMenuNoDeclaration()},
      {"a declaration without encoding", Xml("<?xml version=\"1.0\"?>", "<Menu Version=\"200\"/>"),
       MsgPrevMenuNoDeclaration()},
      {"a declaration without version", Xml("<?xml encoding=\"shift_jis\"?>", "<Menu Version=\"200\"/>"),
       MsgPrevMenuNoDeclaration()},
      {"XML 1.1", Xml("<?xml version=\"1.1\" encoding=\"shift_jis\"?>", "<Menu Version=\"200\"/>"),
       MsgPrevMenuXmlVersion()},
      {"UTF-8", Xml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<Menu Version=\"200\"/>"), MsgPrevMenuCharset()},
      {"root version below 200", Xml(kDeclaration, "<Menu Version=\"199\"/>"), MsgPrevMenuInvalid()},
      {"root without version", Xml(kDeclaration, "<Menu/>"), MsgPrevMenuInvalid()},
      {"a comment before the declaration", Xml("<!-- x -->", std::string(kDeclaration) + "<Menu Version=\"200\"/>"),
       MsgPrevMenuNoDeclaration()},
      {"a count beyond the data", long_count, ""},
      {"a string beyond the data", long_string, ""},
      {"a file cut inside a button", RecordFile("106").substr(0, 60), ""},
      {"a number that is no number", Xml(kDeclaration, "<Menu Version=\"2x0\"/>"), ""},
  };
  for (const TRow& row : rows) {
    TContSelList list;
    try {
      list.LoadFromBytes(row.bytes, "");
      ADD_FAILURE() << row.label << ": no error";
    } catch (const EOrvoError& error) {
      if (!row.message.empty()) {
        EXPECT_EQ(error.Message(), row.message) << row.label;
      }
    }
  }
}

TEST(PrevMenuFile, XmlReadsNamesWithoutCaseAndKeepsDefaults) {
  const std::string bytes = Xml(kDeclaration,
                                "<menu VERSION=\"201\" bgfile=\"bg.png\" Width=\"300\">"
                                "<Other/>"
                                "<BUTTON>"
                                "<item left=\"5\" Top=\"6\" Name=\"first\" CapMask=\"1\" Group=\"2\" "
                                "downonprevrepeat=\"1\" DownOffPrevRepeat=\"true\" InImagePath=\"in.png\"/>"
                                "<Skip/>"
                                "<Item Path=\"p.dov\"/>"
                                "</BUTTON><Button><Item/></Button></menu>");
  TContSelList list;
  list.LoadFromBytes(bytes, Sjis("menu\\"));
  EXPECT_EQ(list.Form(), TPrevMenuForm::Xml);
  EXPECT_TRUE(list.NewerVersion());
  EXPECT_EQ(list.Version(), "201");
  EXPECT_EQ(list.Width(), 300);
  EXPECT_EQ(list.Height(), 480);
  EXPECT_EQ(list.Background(), "menu\\bg.png");
  ASSERT_EQ(list.ButtonCount(), 2) << "only the items of the first Button element";
  const TContSelButton& first = list.Button(0);
  EXPECT_EQ(first.left, 5);
  EXPECT_EQ(first.top, 6);
  EXPECT_EQ(first.name, "first");
  EXPECT_TRUE(first.cap_mask);
  EXPECT_EQ(first.group, 2);
  EXPECT_TRUE(first.down_on_prev_repeat);
  EXPECT_FALSE(first.down_off_prev_repeat) << "flags are true only for exactly 1";
  EXPECT_EQ(first.in_image_path, "menu\\in.png");
  const TContSelButton& second = list.Button(1);
  EXPECT_EQ(second.name, "") << "no Name attribute: empty, not the numbered default";
  EXPECT_EQ(second.cap_mask_level, 128);
  EXPECT_EQ(second.path, "menu\\p.dov");
}

TEST(PrevMenuFile, RelativeNamesResolveAgainstTheFolder) {
  struct TRow {
    const char* folder;
    const char* name;
    const char* resolved;
  };
  const TRow rows[] = {
      {"menu\\sub\\", "..\\pic.png", "MENU\\pic.png"},
      {"menu\\sub\\", "pic.png", "menu\\sub\\pic.png"},
      {"menu\\sub\\", "..\\..\\..\\pic.png", "..\\pic.png"},
      {"menu\\sub\\", "C:\\x.png", "C:\\x.png"},
      {"menu\\sub\\", "\\x.png", "\\x.png"},
      {"menu\\sub\\", "x", "x"},
      {"menu\\sub\\", "", ""},
      {"", "..\\pic.png", "..\\pic.png"},
      {"", "pic.png", "pic.png"},
      {"\\\\server\\share\\", "..\\pic.png", "\\\\SERVER\\pic.png"},
      {"\\\\server\\share\\", "..\\..\\pic.png", "pic.png"},
      // A trail byte equal to a backslash or a letter is neither split at nor upper-cased.
      {"m\x83\x5c\\s\x83\x61\\", "..\\pic.png", "M\x83\x5c\\pic.png"},
      {"m\x83\x5c\\s\x83\x61\\", "pic.png", "m\x83\x5c\\s\x83\x61\\pic.png"},
      {"menu\\sub\\", "\x83\x5c", "\x83\x5c"},
  };
  for (const TRow& row : rows) {
    EXPECT_EQ(ResolvePrevMenuName(row.name, row.folder), row.resolved) << row.folder << " " << row.name;
  }
}

class TFiles : public IPictureFiles {
 public:
  bool Contains(const std::string& name) override { return files.count(name) > 0; }
  std::string Load(const std::string& name) override { return files.at(name); }
  std::map<std::string, std::string> files;
};

TEST(PrevMenuObject, ReadsItsFileWhenTheSourceIsSetAndAnswersItsButtons) {
  TRuntimeState state;
  TOrvoBaseList stage(state);
  TFiles files;
  stage.Pictures().SetFiles(&files);
  RegisterPrevMenuKind(stage);
  files.files["menu\\m.pmn"] = RecordFile("106", 3);
  files.files["bad.pmn"] = RecordFile("099");
  TOrvoObject* menu = stage.CreateByKind(kcPrevMenu);
  ASSERT_NE(menu, nullptr);
  menu->SetName("pm");
  menu->AsControl()->SetParent(&stage.ActiveScreen());
  menu->SetProperty(PR_SOURCE, TPropValue::Str("menu\\m.pmn"));
  EXPECT_EQ(menu->GetInt(PR_COUNT), 3);
  auto& items = dynamic_cast<TOrvoPrevMenu&>(*menu);
  EXPECT_EQ(items.ItemText(1), "start");
  EXPECT_EQ(items.ItemGroupIndex(2), 7);
  EXPECT_EQ(items.ItemGroupIndex(3), 0);
  EXPECT_EQ(items.Buttons().Button(0).path, "menu\\Path");
  items.SetItemEnabled(1, false);
  EXPECT_FALSE(items.ItemEnabled(1));
  EXPECT_THROW(menu->SetProperty(PR_SOURCE, TPropValue::Str("bad.pmn")), EOrvoError);
  menu->SetProperty(PR_SOURCE, TPropValue::Str("missing.pmn"));
  EXPECT_EQ(menu->GetInt(PR_COUNT), 0);
}

TEST(PrevMenuKit, DumpPrintsEveryFieldAndExitsByTheOutcome) {
  const std::string folder = MakeTempDir("prevmenu");
  WriteFile(folder + "/good.pmn", RecordFile("106"));
  WriteFile(folder + "/bad.pmn", RecordFile("099"));
  WriteFile(folder + "/newer.pmn",
            Xml(kDeclaration, "<Menu Version=\"300\"><Button><Item Name=\"a&#9;b\"/></Button></Menu>"));
  const std::string kit = BuildDir() + "/bin/orvokit prevmenu ";
  std::string output;
  ASSERT_EQ(RunCommand(kit + "dump " + folder + "/good.pmn --folder 'menu\\sub\\'", &output), 0);
  EXPECT_EQ(output.substr(0, output.find("0\tTop")),
            "form\trecord\nversion\t106\nwidth\t320\nheight\t200\nbackground\t\ncount\t1\n0\tLeft\t10\n");
  EXPECT_NE(output.find("0\tPath\tmenu\\sub\\Path\n0\tCapMask\tTRUE\n0\tCapMaskLevel\t128\n0\tName\tstart\n"
                        "0\tGroup\t7\n"),
            std::string::npos);
  EXPECT_NE(output.find("0\tDownOffPrevPath\tmenu\\sub\\DownOffPrevPath\n0\tDownOnPrevRepeat\tFALSE\n"
                        "0\tDownOffPrevRepeat\tFALSE\n"),
            std::string::npos);
  EXPECT_EQ(RunCommand(kit + "dump " + folder + "/bad.pmn", &output), 1);
  EXPECT_NE(output.find("OrvoPreviewMenu:"), std::string::npos);
  EXPECT_EQ(RunCommand(kit + "dump " + folder + "/newer.pmn", &output), 0);
  EXPECT_NE(output.find("0\tName\ta\\tb\n"), std::string::npos);
  // Only what goes to stderr: the warning.
  EXPECT_EQ(RunCommand("(" + kit + "dump " + folder + "/newer.pmn 2>&1 >/dev/null)", &output), 0);
  EXPECT_NE(output.find("新しいバージョン"), std::string::npos) << output;
  EXPECT_EQ(RunCommand(kit + "list"), 2);
  EXPECT_EQ(RunCommand(kit + "dump"), 2);
  EXPECT_EQ(RunCommand(kit + "dump " + folder + "/good.pmn --folder"), 2);
}

}  // namespace
}  // namespace orvo::test

namespace orvo::test {
namespace {

TEST(PrevMenuObject, SavesAndLoadsToTheSameBytes) {
  TRuntimeState state;
  TFiles files;
  files.files["m.pmn"] = RecordFile("106", 2);
  auto make = [&] {
    auto stage = std::make_unique<TOrvoBaseList>(state);
    stage->Pictures().SetFiles(&files);
    RegisterPrevMenuKind(*stage);
    return stage;
  };
  auto save = [](const TOrvoBaseList& stage) {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    stage.WriteState(writer);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
  };
  auto stage = make();
  TOrvoObject* menu = stage->CreateByKind(kcPrevMenu);
  menu->SetName("pm");
  menu->AsControl()->SetParent(&stage->ActiveScreen());
  menu->SetProperty(PR_SOURCE, TPropValue::Str("m.pmn"));
  menu->SetProperty(PR_ONSELECT, TPropValue::Str("page:sel"));
  menu->SetProperty(PR_RCLICKSCRAP, TPropValue::Bool(true));
  dynamic_cast<TOrvoPrevMenu&>(*menu).SetItemVisible(1, false);
  const std::string saved = save(*stage);
  auto loaded = make();
  TSpanStream stream(saved.data(), saved.size());
  TBinaryReader reader(stream);
  loaded->ReadState(reader, 201);
  EXPECT_TRUE(save(*loaded) == saved);
  auto* back = dynamic_cast<TOrvoPrevMenu*>(loaded->FindComponent("pm"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetInt(PR_COUNT), 2);
  EXPECT_FALSE(back->ItemVisible(1));
}

}  // namespace
}  // namespace orvo::test
