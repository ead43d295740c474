#include "script/project_settings.h"

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"

namespace orvo {

namespace {

// A sane bound on list entries: each entry takes at least this many bytes,
// so a count is also checked against the bytes that remain.
constexpr int64_t kMinDefaultVariableBytes = 1 + 4 + 1;
constexpr int64_t kMinFolderDiscBytes = 4 + 4;

void ReadDefaultVariable(TBinaryReader& reader, TDefaultVariable& variable) {
  variable.type = reader.ReadByte();
  variable.name = reader.ReadString();
  switch (variable.type) {
    case 1:
      variable.int_value = reader.ReadInt32();
      break;
    case 2:
      variable.real_value = reader.ReadExt80();
      break;
    case 3:
      variable.bool_value = reader.ReadBool();
      break;
    case 4:
      variable.string_value = reader.ReadString();
      break;
    default:
      // An unknown kind has no value we could skip: the rest of the file would be misread.
      throw EFormatError("Invalid variable type " + std::to_string(variable.type));
  }
}

}  // namespace

const std::string& MsgUnsupportedVersion() {
  static const std::string text = Utf8ToCp932("このバージョンには対応していません");
  return text;
}
const std::string& MsgNoProject() {
  static const std::string text = Utf8ToCp932("プロジェクトがありません");
  return text;
}
const std::string& MsgNoStartPage() {
  static const std::string text = Utf8ToCp932("スタートページがありません");
  return text;
}
const std::string& MsgReinstall() {
  static const std::string text = Utf8ToCp932("インストールし直してください");
  return text;
}

TProjectSettings ReadProjectSettings(TStream& stream) {
  TBinaryReader reader(stream);
  TProjectSettings s;
  s.version = reader.ReadInt32();
  if (s.version > kNewestSettingsVersion) throw EOrvoError(MsgUnsupportedVersion());
  s.title = reader.ReadString();
  s.width = reader.ReadInt32();
  s.height = reader.ReadInt32();
  s.display_a = reader.ReadInt32();
  s.display_b = reader.ReadInt32();
  s.start_page = reader.ReadString();
  if (s.version >= 110) s.exit_page = reader.ReadString();
  s.registry_key = reader.ReadString();
  s.image_option = reader.ReadInt32();
  s.save_to_disk = s.version > 103 ? reader.ReadBool() : false;
  s.idle_sleep = s.version >= 106 ? reader.ReadBool() : false;
  s.media_extensions = s.version >= 109 ? reader.ReadString() : std::string(".wav.wma.ogg.mid");
  s.pause_when_inactive = s.version > 112 ? reader.ReadBool() : false;
  if (s.version >= 114) s.reserved_flag = reader.ReadByte();
  s.show_toolbar = s.version >= 116 ? reader.ReadBool() : true;
  s.disc_prompt = reader.ReadString();
  s.exit_message = reader.ReadString();
  int32_t count = reader.ReadInt32();
  if (count > 0) {
    s.default_variables.resize(reader.RequireCount(count, kMinDefaultVariableBytes));
    for (auto& variable : s.default_variables) ReadDefaultVariable(reader, variable);
  }
  count = reader.ReadInt32();
  if (count > 0) {
    s.folder_discs.resize(reader.RequireCount(count, kMinFolderDiscBytes));
    for (auto& entry : s.folder_discs) {
      entry.folder = reader.ReadString();
      entry.disc = reader.ReadInt32();
    }
  }
  return s;
}

void WriteProjectSettings(TStream& stream, const TProjectSettings& s) {
  TBinaryWriter writer(stream);
  writer.WriteInt32(kNewestSettingsVersion);
  writer.WriteString(s.title);
  writer.WriteInt32(s.width);
  writer.WriteInt32(s.height);
  writer.WriteInt32(s.display_a);
  writer.WriteInt32(s.display_b);
  writer.WriteString(s.start_page);
  writer.WriteString(s.exit_page);
  writer.WriteString(s.registry_key);
  writer.WriteInt32(s.image_option);
  writer.WriteBool(s.save_to_disk);
  writer.WriteBool(s.idle_sleep);
  writer.WriteString(s.media_extensions);
  writer.WriteBool(s.pause_when_inactive);
  writer.WriteByte(s.reserved_flag);
  writer.WriteBool(s.show_toolbar);
  writer.WriteString(s.disc_prompt);
  writer.WriteString(s.exit_message);
  writer.WriteInt32(static_cast<int32_t>(s.default_variables.size()));
  for (const auto& variable : s.default_variables) {
    writer.WriteByte(variable.type);
    writer.WriteString(variable.name);
    switch (variable.type) {
      case 1:
        writer.WriteInt32(variable.int_value);
        break;
      case 2:
        writer.WriteExt80(variable.real_value);
        break;
      case 3:
        writer.WriteBool(variable.bool_value);
        break;
      case 4:
        writer.WriteString(variable.string_value);
        break;
      default:
        throw EWriteError("Invalid variable type " + std::to_string(variable.type));
    }
  }
  writer.WriteInt32(static_cast<int32_t>(s.folder_discs.size()));
  for (const auto& entry : s.folder_discs) {
    writer.WriteString(entry.folder);
    writer.WriteInt32(entry.disc);
  }
}

}  // namespace orvo
