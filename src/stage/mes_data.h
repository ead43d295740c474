#pragma once
// The content reference of a message window: which text command its text
// comes from, so that the text is laid out again from the game's page after
// a load instead of being saved glyph by glyph. A small cache keeps the
// glyphs of recently used commands.
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "text/kw_word.h"

namespace orvo {

// The glyph stream bytes of the text command at index in the named script
// page; nullopt when the page or the command does not exist or is not a text command.
using TTextCommandSource = std::function<std::optional<std::string>(const std::string& page, int32_t index)>;
// True when the named script page exists in the game's files.
using TPageExists = std::function<bool(const std::string& page)>;

// One new-style history page: entries in parallel columns.
struct TOrvoHistData {
  std::vector<std::string> page_names;
  std::vector<int32_t> command_indexes, first_ordinals, last_ordinals, heights;
  std::vector<std::string> frozen_values;
  int32_t total = 0;
  size_t Count() const { return page_names.size(); }
  void Clear();
  void Write(TBinaryWriter& writer) const;
  void Read(TBinaryReader& reader, int32_t version);
};

class TOrvoNewMesData {
 public:
  void SetTextReference(const std::string& page_name, int32_t command_index);
  // Lays out the referenced text into pages (emptied by the caller) with the
  // message's name as key: a plain reference as ordinary pages, history
  // entries stacked on one page from offset down (packed: old-style entries
  // follow each other's last row instead of their window's height).
  void Rebuild(TKwWord& document, std::vector<std::unique_ptr<TWdPage>>& pages, const std::string& message_name,
               bool include_history, bool packed_display = false, int32_t offset = 0);
  bool HasContent() const { return new_entries.Count() > 0 || !old_names.empty(); }
  void ClearNewEntries() { new_entries.Clear(); }
  void Write(TBinaryWriter& writer) const;
  void Read(TBinaryReader& reader, int32_t version);

  // Stores the glyphs of a command ahead of its use (the text command hands its own).
  void Prime(const std::string& page_name, int32_t command_index, std::string_view stream_bytes);
  void SetSource(TTextCommandSource source) { source_ = std::move(source); }
  // Without it every page counts as existing.
  void SetPageExists(TPageExists exists) { exists_ = std::move(exists); }

  // The old-style shown entries (columns) and the new-style entries.
  std::vector<std::string> old_names;
  std::vector<int32_t> old_commands, old_page_numbers, old_widths, old_heights;
  TOrvoHistData new_entries;

  static constexpr size_t kCachedPages = 4;
  static constexpr size_t kCachedTexts = 16;

 private:
  struct TCachedText {
    int32_t command_index = 0;
    std::unique_ptr<TKwWord> document;
  };
  struct TCachedPage {
    std::string page_name;
    std::list<TCachedText> texts;  // most recently used first
  };
  TCachedPage& CachedPage(const std::string& page_name);
  // The document holding the command's glyphs, or null.
  TKwWord* CachedText(const std::string& page_name, int32_t command_index);
  void Insert(TCachedPage& page, int32_t command_index, std::string_view stream_bytes);

  bool PageExists(const std::string& page_name) const { return !exists_ || exists_(page_name); }
  void RebuildOldStyle(TKwWord& document, std::vector<std::unique_ptr<TWdPage>>& pages, const std::string& message_name,
                       bool packed_display);
  void RebuildHistory(TKwWord& document, std::vector<std::unique_ptr<TWdPage>>& pages, const std::string& message_name,
                      THistoryVars history, int32_t offset);

  std::list<TCachedPage> cache_;  // most recently used first
  TTextCommandSource source_;
  TPageExists exists_;
};

}  // namespace orvo
