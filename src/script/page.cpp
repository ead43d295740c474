#include "script/page.h"

#include "base/cp932.h"
#include "base/stream.h"
#include "vars/param.h"

namespace orvo {

namespace {

// Kind byte and the common record.
constexpr int64_t kMinCommandBytes = 1 + 4 + 1 + 1 + 4;

}  // namespace

const std::string& MsgRebuild() {
  static const std::string text = Utf8ToCp932("リビルドしてください");
  return text;
}

const std::string& MsgInvalidCommand() {
  static const std::string text = Utf8ToCp932("不正なコマンド");
  return text;
}

void TPage::Clear() {
  commands_.clear();
  result_type_ = 0;
  mask_count_ = 0;
  mask_size_ = kMaskBytes;
  mask_records_.clear();
  masks_ = TMaskTable{};
  unread_tail_.clear();
}

void TPage::SetMaskRecords(int32_t count, int32_t size, std::string records) {
  mask_count_ = count;
  mask_size_ = size;
  mask_records_ = std::move(records);
  masks_ = TMaskTable{};
  size_t record_size = static_cast<size_t>(size < 0 ? 0 : size);
  size_t used = std::min<size_t>(record_size, kMaskBytes);
  for (size_t i = 0; i < static_cast<size_t>(std::max(count, 0)) && i < kCommandKindCount; ++i) {
    if ((i + 1) * record_size > mask_records_.size()) break;
    for (size_t b = 0; b < used; ++b) masks_[i][b] = static_cast<uint8_t>(mask_records_[i * record_size + b]);
  }
}

void TPage::SetMasks(const TMaskTable& masks) {
  std::string records;
  for (const TMaskEntry& entry : masks) records.append(entry.begin(), entry.end());
  SetMaskRecords(kCommandKindCount, kMaskBytes, std::move(records));
}

void TPage::Load(std::string_view name, std::string_view bytes) {
  Clear();
  name_ = std::string(name);
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  version_ = reader.ReadInt32();
  if (version_ > kNewestPageVersion) {
    unread_tail_ = reader.ReadBytes(reader.Remaining());
    return;
  }
  if (version_ < kOldestPageVersion) throw EPageVersionError(name_ + "\r\n" + MsgRebuild());
  try {
    result_type_ = reader.ReadByte();
    if (result_type_ > PT_STR) throw EFormatError("Invalid page data: result type " + std::to_string(result_type_));
    int32_t count = reader.ReadInt32();
    int32_t size = reader.ReadInt32();
    if (count < 0 || size < 0) throw EFormatError("Invalid page data");
    int64_t total = static_cast<int64_t>(count) * size;
    std::string records = reader.ReadBytes(static_cast<int64_t>(reader.Require(total)));
    SetMaskRecords(count, size, std::move(records));
    int32_t command_count = reader.ReadInt32();
    size_t checked = reader.RequireCount(command_count < 0 ? 0 : command_count, kMinCommandBytes);
    commands_.reserve(checked);
    for (size_t i = 0; i < checked; ++i) {
      uint8_t kind_byte = reader.ReadByte();
      std::unique_ptr<TCommand> command = CreateCommand(kind_byte);
      command->Load(reader, version_, masks_[static_cast<size_t>(command->Kind())]);
      if (command->Kind() == ckVarNew) {
        // A kind or scope the player does not know would make a variable of no class.
        int32_t type = command->Number("type"), scope = command->Number("scope");
        if (type < PT_INT || type > PT_STR || scope > 3)
          throw EFormatError("Invalid page data: variable type " + std::to_string(type) + ", scope " +
                             std::to_string(scope));
      }
      commands_.push_back(std::move(command));
    }
  } catch (...) {
    commands_.clear();
    throw;
  }
}

void TPage::Save(TBinaryWriter& writer) const {
  writer.WriteInt32(version_);
  if (version_ > kNewestPageVersion) {
    writer.WriteBytes(unread_tail_);
    return;
  }
  writer.WriteByte(result_type_);
  writer.WriteInt32(mask_count_);
  writer.WriteInt32(mask_size_);
  writer.WriteBytes(mask_records_);
  writer.WriteInt32(static_cast<int32_t>(commands_.size()));
  for (const auto& command : commands_) command->Save(writer, version_);
}

std::string TPage::SaveToBytes() const {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  Save(writer);
  const auto& bytes = stream.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

int TPage::FindLabel(std::string_view label) const {
  for (size_t i = 0; i < commands_.size(); ++i) {
    if (commands_[i]->IsLabel(label)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace orvo
