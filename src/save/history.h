#pragma once
// The message history (backlog): named formats, each with the layout
// settings of a backlog window and a history of every page that message
// windows showed from recorded text commands. Entries hold no text, only
// where the text came from; showing them lays the text out again.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "stage/mes_data.h"
#include "stage/stage.h"
#include "text/kw_word.h"

namespace orvo {

class TOrvoMes;
class TOrvoObject;

// What histories need from the running game: the stage (fonts, the
// expression engine, message windows) and the text commands of its pages.
struct THistoryServices {
  TOrvoBaseList* stage = nullptr;
  // True when the script page exists; unset: every page exists.
  TPageExists page_exists;
  // The glyph stream of the text command at index of the page; nullopt when
  // the page cannot be fetched or that command is not a text command.
  // reloaded is set when the page was not in the interpreter's cache.
  std::function<std::optional<std::string>(const std::string& page, int32_t index, bool& reloaded)> text_command;
};

// The eight layout settings of a format, in record order.
struct THistorySettings {
  std::array<int32_t, 8> values{};  // font height, border, shadow, width, height, line spacing, left, right padding
  int32_t FontHeight() const { return values[0]; }
};

// One old-style entry: a page of a message window of its own size.
struct THistoryOldData {
  std::string page_name;  // empty: the page of the entry before
  int32_t command_index = 0;
  int32_t page_number = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class TOrvoHistoryFormat;

class TOrvoNewHistory {
 public:
  TOrvoNewHistory(TOrvoHistoryFormat& format, THistoryServices& services);
  TOrvoNewHistory(const TOrvoNewHistory&) = delete;
  TOrvoNewHistory& operator=(const TOrvoNewHistory&) = delete;

  // A page of a recorded text became current on a message window.
  void RecordPending(const std::string& message_name, int32_t message_width, int32_t message_height,
                     const std::string& page_name, const std::string& frozen_values, int32_t page_number,
                     int32_t last_ordinal, int32_t first_ordinal, int32_t command_index);
  // The named window left its page: the pending entry joins the history.
  void CommitPending(const std::string& message_name);
  // Entries, pending entry and cached command go; settings and limit stay.
  void Clear();
  // New-style: history pages; old-style: entries.
  int32_t EntryCount() const;
  // New-style: pixels of all history pages; old-style: entries.
  int32_t HistoryTotal() const;
  // Entries covering pixels start .. start + height into target; the offset
  // (0 or negative) of the first entry's top from start.
  int32_t ExtractRange(int32_t start, int32_t height, TOrvoHistData& target) const;
  // Shows count entries (old-style) or pixels (new-style) from start in a message window.
  void ShowHistory(int32_t start, int32_t count, TOrvoObject* object);
  // A laid-out page of the pending entry, height in pixels with the line
  // spacing: joins the newest history page while the measuring height allows.
  void AddMeasuredPage(const std::string& page_name, int32_t command_index, const std::string& frozen_values,
                       int32_t height, int32_t first_ordinal, int32_t last_ordinal);

  void Write(TBinaryWriter& writer) const;
  void Read(TBinaryReader& reader, int32_t version);

  bool NewStyle() const { return measuring_.layout_width != 0; }
  int32_t Limit() const { return limit_; }
  void SetLimit(int32_t limit) { limit_ = limit; }
  const std::vector<TOrvoHistData>& Pages() const { return pages_; }
  const std::vector<THistoryOldData>& OldEntries() const { return old_; }
  // The settings new-style entries are measured with.
  THistorySettings MeasuringSettings() const;
  const std::string& PendingPage() const { return pending_page_; }

 private:
  void SetMeasuringSettings(const THistorySettings& settings);
  void Trim();
  std::string EffectiveOldName(size_t index) const;

  TOrvoHistoryFormat& format_;
  THistoryServices& services_;
  TKwWord measuring_;
  std::vector<TOrvoHistData> pages_;
  std::vector<THistoryOldData> old_;
  std::string pending_message_;
  std::string pending_page_;
  int32_t pending_command_ = 0;
  int32_t pending_first_ = 0;
  int32_t pending_last_ = 0;
  std::string pending_values_;
  int32_t pending_width_ = 0;
  int32_t pending_height_ = 0;
  int32_t pending_number_ = 0;
  int32_t limit_ = 0;
  // The command whose glyphs the measuring document holds, by folded page
  // name and index: a page the interpreter drops and loads again keeps its key.
  std::optional<std::pair<std::string, int32_t>> cached_;
};

class TOrvoHistoryFormat {
 public:
  TOrvoHistoryFormat(std::string name, THistoryServices& services) : name(std::move(name)), history(*this, services) {}
  std::string name;
  THistorySettings settings;
  TOrvoNewHistory history;
};

class TOrvoHistoryFormatManager : public ITextHistory {
 public:
  TOrvoHistoryFormatManager();
  void SetServices(THistoryServices services) { services_ = std::move(services); }
  THistoryServices& Services() { return services_; }

  // Exact, case-sensitive name.
  TOrvoHistoryFormat* FindFormat(const std::string& name) const;
  // The format of that name, appended without settings when missing.
  TOrvoHistoryFormat& ObtainFormat(const std::string& name);
  TOrvoHistoryFormat& DefaultFormat() { return ObtainFormat(std::string()); }
  size_t Count() const { return formats_.size(); }
  TOrvoHistoryFormat& At(size_t index) const { return *formats_[index]; }
  // Only the default format remains, without settings or entries.
  void ClearFormats();
  void ClearHistories();

  void RecordPending(TOrvoMes& message, const std::string& page_name, const std::string& frozen_values,
                     int32_t page_number, int32_t last_ordinal, int32_t first_ordinal, int32_t command_index) override;
  void CommitPending(const std::string& message_name) override;

  void WriteFormats(TBinaryWriter& writer) const;
  // Replaces every format by those of the record.
  void ReadFormats(TBinaryReader& reader, int32_t version);
  // Saves older than 135 keep one history: it goes to the default format.
  void ReadSingleHistory(TBinaryReader& reader, int32_t version);

 private:
  THistoryServices services_;
  std::vector<std::unique_ptr<TOrvoHistoryFormat>> formats_;
};

// A bounded string of the history records: longer than 10 MiB raises "Invalid string data".
std::string ReadBoundedString(TBinaryReader& reader);

}  // namespace orvo
