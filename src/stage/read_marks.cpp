#include "stage/read_marks.h"

#include <algorithm>

#include "base/cp932.h"

namespace orvo {

bool TOrvoReadList::IsRead(const std::string& page_name, int32_t command_index, int32_t page_number) const {
  auto found = index_.find(LowerAscii(page_name));
  if (found == index_.end()) return false;
  const TPairs& item = items_[found->second];
  for (size_t i = 0; i < item.command_indexes.size(); ++i) {
    if (item.command_indexes[i] == command_index && item.page_numbers[i] == page_number) return true;
  }
  return false;
}

void TOrvoReadList::MarkPending(const std::string& message_name, const std::string& page_name, int32_t page_number,
                                int32_t command_index) {
  pending_message_ = message_name;
  pending_page_ = page_name;
  pending_number_ = page_number;
  pending_command_ = command_index;
}

void TOrvoReadList::MarkRead(const std::string& message_name) {
  if (pending_page_.empty() || pending_message_ != message_name) return;
  if (!IsRead(pending_page_, pending_command_, pending_number_)) {
    const std::string key = LowerAscii(pending_page_);
    auto found = index_.find(key);
    if (found == index_.end()) {
      found = index_.emplace(key, items_.size()).first;
      items_.push_back(TPairs{pending_page_, {}, {}});
    }
    TPairs& item = items_[found->second];
    item.command_indexes.push_back(pending_command_);
    item.page_numbers.push_back(pending_number_);
  }
  pending_page_.clear();
}

void TOrvoReadList::ClearMarks() {
  items_.clear();
  index_.clear();
  pending_page_.clear();
}

void TOrvoReadList::WriteMarks(TBinaryWriter& writer) const {
  writer.WriteInt32(static_cast<int32_t>(items_.size()));
  for (const TPairs& item : items_) {
    writer.WriteString(item.page_name);
    writer.WriteInt32(static_cast<int32_t>(item.command_indexes.size()));
    for (int32_t value : item.command_indexes) writer.WriteInt32(value);
    for (int32_t value : item.page_numbers) writer.WriteInt32(value);
  }
  writer.WriteString(pending_page_);
  writer.WriteInt32(pending_command_);
  writer.WriteInt32(pending_number_);
  writer.WriteString(pending_message_);
}

void TOrvoReadList::ReadMarks(TBinaryReader& reader, int32_t version) {
  ClearMarks();
  if (version < 100) return;
  // Each item needs at least its name length and its pair count.
  const size_t count = reader.RequireCount(reader.ReadInt32(), 8);
  for (size_t i = 0; i < count; ++i) {
    std::string name = reader.ReadString();
    // A pair is two int32 values.
    const size_t pairs = reader.RequireCount(reader.ReadInt32(), 8);
    TPairs item{std::move(name), std::vector<int32_t>(pairs), std::vector<int32_t>(pairs)};
    for (int32_t& value : item.command_indexes) value = reader.ReadInt32();
    for (int32_t& value : item.page_numbers) value = reader.ReadInt32();
    const std::string key = LowerAscii(item.page_name);
    auto found = index_.find(key);
    if (found == index_.end()) {
      index_.emplace(key, items_.size());
      items_.push_back(std::move(item));
    } else {
      // Two items of one name: keep their pairs together so lookups see both.
      TPairs& kept = items_[found->second];
      kept.command_indexes.insert(kept.command_indexes.end(), item.command_indexes.begin(), item.command_indexes.end());
      kept.page_numbers.insert(kept.page_numbers.end(), item.page_numbers.begin(), item.page_numbers.end());
    }
  }
  pending_page_ = reader.ReadString();
  pending_command_ = reader.ReadInt32();
  pending_number_ = reader.ReadInt32();
  pending_message_ = reader.ReadString();
}

}  // namespace orvo
