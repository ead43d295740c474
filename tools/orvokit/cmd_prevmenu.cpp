// orvokit prevmenu: what a preview-menu file holds, button by button.
#include <cstdio>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "kit.h"
#include "tables/prev_menu_file.h"

namespace orvo::kit {
namespace {

// A value as one field of a TAB-separated line: UTF-8, with tab, CR and LF escaped.
std::string Field(const std::string& cp932) {
  std::string out;
  for (char c : Cp932ToUtf8(cp932)) {
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

void Line(const char* name, const std::string& value) { std::printf("%s\t%s\n", name, value.c_str()); }

void Dump(const TContSelList& list) {
  Line("form", list.Form() == TPrevMenuForm::Record ? "record" : "xml");
  Line("version", Field(list.Version()));
  Line("width", std::to_string(list.Width()));
  Line("height", std::to_string(list.Height()));
  Line("background", Field(list.Background()));
  Line("count", std::to_string(list.ButtonCount()));
  for (int32_t i = 0; i < list.ButtonCount(); ++i) {
    const TContSelButton& b = list.Button(i);
    auto text = [i](const char* name, const std::string& value) {
      std::printf("%d\t%s\t%s\n", i, name, Field(value).c_str());
    };
    auto number = [i](const char* name, int32_t value) { std::printf("%d\t%s\t%d\n", i, name, value); };
    auto flag = [i](const char* name, bool value) { std::printf("%d\t%s\t%s\n", i, name, value ? "TRUE" : "FALSE"); };
    number("Left", b.left);
    number("Top", b.top);
    text("Path", b.path);
    flag("CapMask", b.cap_mask);
    number("CapMaskLevel", b.cap_mask_level);
    text("Name", b.name);
    number("Group", b.group);
    text("InImagePath", b.in_image_path);
    text("OutImagePath", b.out_image_path);
    text("SettleImagePath", b.settle_image_path);
    text("DisImagePath", b.dis_image_path);
    text("DisInImagePath", b.dis_in_image_path);
    text("DisOutImagePath", b.dis_out_image_path);
    text("InPrevPath", b.in_prev_path);
    text("OutPrevPath", b.out_prev_path);
    text("SettlePrevPath", b.settle_prev_path);
    text("DisInPrevPath", b.dis_in_prev_path);
    text("DisOutPrevPath", b.dis_out_prev_path);
    number("PrevLeft", b.prev_left);
    number("PrevTop", b.prev_top);
    text("CursorPath", b.cursor_path);
    text("DownImagePath", b.down_image_path);
    text("DownInImagePath", b.down_in_image_path);
    text("DownOutImagePath", b.down_out_image_path);
    text("DownInPrevPath", b.down_in_prev_path);
    text("DownOutPrevPath", b.down_out_prev_path);
    text("DownOnPrevPath", b.down_on_prev_path);
    text("DownOffPrevPath", b.down_off_prev_path);
    flag("DownOnPrevRepeat", b.down_on_prev_repeat);
    flag("DownOffPrevRepeat", b.down_off_prev_repeat);
  }
}

int RunPrevMenu(const std::vector<std::string>& args) {
  if (args.empty() || args[0] != "dump") return UsageError("prevmenu");
  std::string file, folder;
  bool folder_given = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--folder") {
      if (i + 1 >= args.size()) return UsageError("prevmenu", "--folder needs a name");
      folder = args[++i];
      folder_given = true;
    } else if (!args[i].empty() && args[i][0] == '-') {
      return UsageError("prevmenu", "unknown option " + args[i]);
    } else if (file.empty()) {
      file = args[i];
    } else {
      return UsageError("prevmenu", "one file only");
    }
  }
  if (file.empty()) return UsageError("prevmenu");
  std::string folder_cp932;
  if (folder_given && !TryUtf8ToCp932(folder, folder_cp932)) {
    return UsageError("prevmenu", "the folder is not UTF-8 text that CP932 holds");
  }
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) {
    std::fprintf(stderr, "orvokit prevmenu: cannot read %s\n", file.c_str());
    return 1;
  }
  TContSelList list;
  try {
    list.LoadFromBytes(bytes, folder_cp932);
  } catch (const EOrvoError& error) {
    std::fprintf(stderr, "orvokit prevmenu: %s\n", error.what());
    return 1;
  }
  if (list.NewerVersion()) std::fprintf(stderr, "orvokit prevmenu: %s\n", Cp932ToUtf8(MsgPrevMenuNewer()).c_str());
  Dump(list);
  return 0;
}

const bool registered = RegisterCommand(
    {"prevmenu", "dump FILE [--folder NAME]", "print the layout and buttons of a preview-menu file", RunPrevMenu});

}  // namespace
}  // namespace orvo::kit
