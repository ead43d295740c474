#include "tables/prev_menu_file.h"

#include <cstdio>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "image/xml_reader.h"

namespace orvo {

namespace {

constexpr std::string_view kMagic = "OrvoPrevMenu";
// The smallest record of one button of the oldest version: Left, Top, Path,
// CapMask, Name, three image names, three preview names, PrevLeft, PrevTop,
// CursorPath.
constexpr int64_t kMinButtonBytes = 4 + 4 + 4 + 1 + 4 + 3 * 4 + 3 * 4 + 4 + 4 + 4;

std::string Message(const char* utf8) { return Utf8ToCp932(utf8); }

// A stored string whose length is checked against the bytes that remain.
std::string ReadText(TBinaryReader& reader) {
  const int32_t count = reader.ReadInt32();
  if (count <= 0) return {};
  if (count > reader.Remaining()) {
    throw EFormatError("OrvoPreviewMenu: a string of " + std::to_string(count) +
                       " bytes runs past the end of the file");
  }
  return reader.ReadBytes(count);
}

// Characters of a CP932 text, for the short-name rule.
size_t CharCount(std::string_view text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) ++count;
  return count;
}

int32_t ParseInt(const std::string& text, int32_t fallback) {
  if (text.empty()) return fallback;
  size_t i = 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  if (i == text.size()) throw EFormatError("OrvoPreviewMenu: invalid number \"" + text + "\"");
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9' || value > int64_t{INT32_MAX} + 1) {
      throw EFormatError("OrvoPreviewMenu: invalid number \"" + text + "\"");
    }
    value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) throw EFormatError("OrvoPreviewMenu: invalid number \"" + text + "\"");
  return static_cast<int32_t>(value);
}

int32_t IntAttribute(const TXmlElement& element, std::string_view name, int32_t fallback) {
  const std::string* text = element.Attribute(name, TNameCase::IgnoreAscii);
  return text ? ParseInt(*text, fallback) : fallback;
}

bool FlagAttribute(const TXmlElement& element, std::string_view name) {
  const std::string* text = element.Attribute(name, TNameCase::IgnoreAscii);
  return text && *text == "1";
}

std::string TextAttribute(const TXmlElement& element, std::string_view name) {
  const std::string* text = element.Attribute(name, TNameCase::IgnoreAscii);
  return text ? *text : std::string();
}

// The folder's components, each with its backslash; a drive ("C:\") or a
// network prefix ("\\server\") is one.
std::vector<std::string> FolderComponents(std::string_view folder) {
  std::vector<std::string> components;
  size_t start = 0;
  if (folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\') {
    const size_t end = FindChar(folder, '\\', 2);
    const size_t stop = end == std::string_view::npos ? folder.size() : end + 1;
    components.emplace_back(folder.substr(0, stop));
    start = stop;
  }
  while (start < folder.size()) {
    const size_t end = FindChar(folder, '\\', start);
    const size_t stop = end == std::string_view::npos ? folder.size() : end + 1;
    components.emplace_back(folder.substr(start, stop - start));
    start = stop;
  }
  return components;
}

}  // namespace

const std::string& MsgPrevMenuVersion() {
  static const std::string kText = Message("OrvoPreviewMenu:このバージョンのファイル形式には対応していません");
  return kText;
}
const std::string& MsgPrevMenuNoDeclaration() {
  static const std::string kText = Message("未対応のファイル形式です");
  return kText;
}
const std::string& MsgPrevMenuXmlVersion() {
  static const std::string kText = Message("未対応のXML形式です");
  return kText;
}
const std::string& MsgPrevMenuCharset() {
  static const std::string kText = Message("未対応の文字セットです");
  return kText;
}
const std::string& MsgPrevMenuInvalid() {
  static const std::string kText = Message("無効なファイル形式です");
  return kText;
}
const std::string& MsgPrevMenuNewer() {
  static const std::string kText = Message(
      "このファイルは使用しているプログラムより新しいバージョンで保存されているため\r\n"
      "正常に読み込めない場合があります");
  return kText;
}

std::string ResolvePrevMenuName(std::string_view name, std::string_view folder) {
  if (CharCount(name) <= 1 || name[0] == '\\') return std::string(name);
  const size_t second = CharLength(name, 0);
  if (second < name.size() && name[second] == ':') return std::string(name);
  if (name.substr(0, 3) != "..\\") return std::string(folder) + std::string(name);
  std::string upper = UpperAscii(folder);
  // A file at the root of the game data has nothing to climb.
  if (!upper.empty() && (upper.back() != '\\' || !IsCharStart(upper, upper.size() - 1))) upper += '\\';
  std::vector<std::string> components = FolderComponents(upper);
  std::string_view rest = name;
  while (!components.empty() && rest.substr(0, 3) == "..\\") {
    components.pop_back();
    rest.remove_prefix(3);
  }
  std::string resolved;
  for (const std::string& component : components) resolved += component;
  resolved += rest;
  return resolved;
}

void TContSelList::Clear() {
  buttons_.clear();
  width_ = height_ = 0;
  background_.clear();
  version_.clear();
  newer_ = false;
}

TContSelButton& TContSelList::AddButton() {
  auto button = std::make_unique<TContSelButton>();
  char name[24];
  std::snprintf(name, sizeof name, "Button%.2d", ButtonCount());
  button->name = name;
  buttons_.push_back(std::move(button));
  return *buttons_.back();
}

void TContSelList::LoadFromStream(TStream& stream, std::string_view folder) {
  TBinaryReader reader(stream);
  const std::string bytes = reader.ReadBytes(reader.Remaining());
  LoadFromBytes(bytes, folder);
}

void TContSelList::LoadFromBytes(std::string_view bytes, std::string_view folder) {
  Clear();
  if (bytes.substr(0, kMagic.size()) == kMagic) {
    form_ = TPrevMenuForm::Record;
    ReadRecords(bytes.substr(kMagic.size()), folder);
  } else {
    form_ = TPrevMenuForm::Xml;
    ReadXml(bytes, folder);
  }
}

void TContSelList::ReadRecords(std::string_view bytes, std::string_view folder) {
  try {
    ReadRecordFields(bytes, folder);
  } catch (const EReadError&) {
    throw EFormatError("OrvoPreviewMenu: the file ends inside a record");
  }
}

void TContSelList::ReadRecordFields(std::string_view bytes, std::string_view folder) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  const std::string digits = reader.ReadBytes(3);
  int32_t version = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') throw EFormatError(MsgPrevMenuVersion());
    version = version * 10 + (c - '0');
  }
  if (version < 100 || version > 200) throw EFormatError(MsgPrevMenuVersion());
  version_ = digits;
  width_ = reader.ReadInt32();
  height_ = reader.ReadInt32();
  const int32_t count = reader.ReadInt32();
  // Every button takes bytes: a count beyond what remains is damage, found before anything is made.
  if (count < 0 || count > reader.Remaining() / kMinButtonBytes) {
    throw EFormatError("OrvoPreviewMenu: " + std::to_string(count) + " buttons cannot fit in the file");
  }
  auto name = [&]() { return ResolvePrevMenuName(ReadText(reader), folder); };
  for (int32_t i = 0; i < count; ++i) {
    TContSelButton& button = AddButton();
    button.left = reader.ReadInt32();
    button.top = reader.ReadInt32();
    button.path = name();
    button.cap_mask = reader.ReadBool();
    button.name = ReadText(reader);
    button.in_image_path = name();
    button.out_image_path = name();
    button.settle_image_path = name();
    if (version > 100) button.dis_image_path = name();
    if (version > 102) {
      button.dis_in_image_path = name();
      button.dis_out_image_path = name();
    }
    button.in_prev_path = name();
    button.out_prev_path = name();
    button.settle_prev_path = name();
    if (version > 101) {
      button.dis_in_prev_path = name();
      button.dis_out_prev_path = name();
    }
    button.prev_left = reader.ReadInt32();
    button.prev_top = reader.ReadInt32();
    button.cursor_path = name();
    if (version > 103) {
      button.down_image_path = name();
      button.down_in_image_path = name();
      button.down_out_image_path = name();
      button.down_in_prev_path = name();
      button.down_out_prev_path = name();
      button.group = reader.ReadInt32();
    }
    if (version > 104) button.down_on_prev_path = name();
    if (version > 105) button.down_off_prev_path = name();
  }
}

void TContSelList::ReadXml(std::string_view bytes, std::string_view folder) {
  // Without the declaration at its start the file is no document of ours, well formed or not.
  if (bytes.substr(0, 5) != "<?xml") throw EFormatError(MsgPrevMenuNoDeclaration());
  const TXmlDocument document = ParseXml(bytes);
  if (!document.declaration || !document.declaration->version || !document.declaration->encoding) {
    throw EFormatError(MsgPrevMenuNoDeclaration());
  }
  if (*document.declaration->version != "1.0") throw EFormatError(MsgPrevMenuXmlVersion());
  const std::string encoding = LowerAscii(*document.declaration->encoding);
  if (encoding != "shift_jis" && encoding != "shift-jis") throw EFormatError(MsgPrevMenuCharset());
  if (!document.root) throw EFormatError(MsgPrevMenuInvalid());
  const TXmlElement& root = *document.root;
  const int32_t version = IntAttribute(root, "Version", 0);
  if (version < 200) throw EFormatError(MsgPrevMenuInvalid());
  newer_ = version > 200;
  version_ = std::to_string(version);
  background_ = ResolvePrevMenuName(TextAttribute(root, "BGFile"), folder);
  width_ = IntAttribute(root, "Width", 640);
  height_ = IntAttribute(root, "Height", 480);
  const TXmlElement* list = root.Child("Button", TNameCase::IgnoreAscii);
  if (!list) return;
  for (const auto& item : list->children) {
    if (!item->NameIs("Item", TNameCase::IgnoreAscii)) continue;
    TContSelButton& button = AddButton();
    const TXmlElement& e = *item;
    auto name = [&](std::string_view attribute) { return ResolvePrevMenuName(TextAttribute(e, attribute), folder); };
    button.left = IntAttribute(e, "Left", 0);
    button.top = IntAttribute(e, "Top", 0);
    button.prev_left = IntAttribute(e, "PrevLeft", 0);
    button.prev_top = IntAttribute(e, "PrevTop", 0);
    button.path = name("Path");
    button.cap_mask = FlagAttribute(e, "CapMask");
    button.cap_mask_level = IntAttribute(e, "CapMaskLevel", 128);
    button.name = TextAttribute(e, "Name");
    button.group = IntAttribute(e, "Group", 0);
    button.in_image_path = name("InImagePath");
    button.out_image_path = name("OutImagePath");
    button.settle_image_path = name("SettleImagePath");
    button.dis_image_path = name("DisImagePath");
    button.dis_in_image_path = name("DisInImagePath");
    button.dis_out_image_path = name("DisOutImagePath");
    button.in_prev_path = name("InPrevPath");
    button.out_prev_path = name("OutPrevPath");
    button.settle_prev_path = name("SettlePrevPath");
    button.dis_in_prev_path = name("DisInPrevPath");
    button.dis_out_prev_path = name("DisOutPrevPath");
    button.cursor_path = name("CursorPath");
    button.down_image_path = name("DownImagePath");
    button.down_in_image_path = name("DownInImagePath");
    button.down_out_image_path = name("DownOutImagePath");
    button.down_in_prev_path = name("DownInPrevPath");
    button.down_out_prev_path = name("DownOutPrevPath");
    button.down_on_prev_path = name("DownOnPrevPath");
    button.down_off_prev_path = name("DownOffPrevPath");
    button.down_on_prev_repeat = FlagAttribute(e, "DownOnPrevRepeat");
    button.down_off_prev_repeat = FlagAttribute(e, "DownOffPrevRepeat");
  }
}

}  // namespace orvo
