#pragma once
// Which pages of which recorded text commands the player has read. A page
// is marked only when it finished revealing on the window that showed it,
// so a page left early stays unread.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/binary_io.h"

namespace orvo {

class TOrvoReadList {
 public:
  bool IsRead(const std::string& page_name, int32_t command_index, int32_t page_number) const;
  // Replaces any earlier pending mark.
  void MarkPending(const std::string& message_name, const std::string& page_name, int32_t page_number,
                   int32_t command_index);
  // Commits the pending mark when message_name shows it.
  void MarkRead(const std::string& message_name);
  void ClearMarks();
  void WriteMarks(TBinaryWriter& writer) const;
  // version: that of the status record; records older than 100 hold nothing.
  void ReadMarks(TBinaryReader& reader, int32_t version);

 private:
  struct TPairs {
    std::string page_name;  // as first stored (keys are case-folded)
    std::vector<int32_t> command_indexes;
    std::vector<int32_t> page_numbers;
  };
  // Item order is kept for the record; the map finds items by folded name.
  std::vector<TPairs> items_;
  std::unordered_map<std::string, size_t> index_;
  std::string pending_page_;
  int32_t pending_command_ = 0;
  int32_t pending_number_ = 0;
  std::string pending_message_;
};

}  // namespace orvo
