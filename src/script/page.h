#pragma once
// A page file: a list of compiled commands with the property-mask table that
// tells which property expressions each object command carries.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"
#include "base/error.h"
#include "script/command.h"
#include "script/page_format.h"

namespace orvo {

// A page older than the player reads: "<name>\r\nリビルドしてください".
class EPageVersionError : public EOrvoError {
 public:
  using EOrvoError::EOrvoError;
};

class TPage {
 public:
  TPage() = default;
  TPage(const TPage&) = delete;
  TPage& operator=(const TPage&) = delete;

  // Clears the page, keeps name and reads a page file's bytes. A version
  // above the newest loads as an empty page; below the oldest raises
  // EPageVersionError; damaged data raises EOrvoError.
  void Load(std::string_view name, std::string_view bytes);
  // Writes the page file (the mask records exactly as read or as set).
  void Save(TBinaryWriter& writer) const;
  std::string SaveToBytes() const;

  // Index of the first label command of exactly that name, or -1.
  int FindLabel(std::string_view label) const;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  int32_t Version() const { return version_; }
  void SetVersion(int32_t version) { version_ = version; }
  uint8_t ResultType() const { return result_type_; }
  void SetResultType(uint8_t type) { result_type_ = type; }

  int Count() const { return static_cast<int>(commands_.size()); }
  TCommand& At(int index) const { return *commands_[static_cast<size_t>(index)]; }
  std::vector<std::unique_ptr<TCommand>>& Commands() { return commands_; }
  const std::vector<std::unique_ptr<TCommand>>& Commands() const { return commands_; }

  // The mask table in force (the records of the file, zero-filled).
  const TMaskTable& Masks() const { return masks_; }
  // Sets the table and writes it as 64 records of 22 bytes.
  void SetMasks(const TMaskTable& masks);
  // The mask section as stored: record count, record size and the raw records.
  int32_t MaskCount() const { return mask_count_; }
  int32_t MaskSize() const { return mask_size_; }
  const std::string& MaskRecords() const { return mask_records_; }
  // Takes a mask section as stored (records beyond 64 and bytes beyond 22 are kept but unused).
  void SetMaskRecords(int32_t count, int32_t size, std::string records);
  // What follows the version of a page newer than the player reads (kept for writing back).
  const std::string& UnreadTail() const { return unread_tail_; }
  void SetUnreadTail(std::string tail) { unread_tail_ = std::move(tail); }

 private:
  void Clear();

  std::string name_;
  int32_t version_ = 200;
  uint8_t result_type_ = 0;
  int32_t mask_count_ = 0;
  int32_t mask_size_ = kMaskBytes;
  std::string mask_records_;
  TMaskTable masks_{};
  std::vector<std::unique_ptr<TCommand>> commands_;
  std::string unread_tail_;
};

// Message texts (CP932).
const std::string& MsgRebuild();         // "リビルドしてください"
const std::string& MsgInvalidCommand();  // "不正なコマンド"

}  // namespace orvo
