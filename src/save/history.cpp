#include "save/history.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/error.h"
#include "base/numeric.h"
#include "base/stream.h"
#include "stage/message.h"
#include "stage/prop_table.h"
#include "text/markup_writer.h"
#include "text/reveal.h"

namespace orvo {

namespace {

constexpr int64_t kBoundedStringCap = 10485760;
// The smallest old-style entry (empty name and four int32) and history page (count and total).
constexpr int64_t kMinOldEntry = 20;
constexpr int64_t kMinHistoryPage = 8;

std::string EffectiveName(const TOrvoHistData& page, size_t index) {
  for (size_t i = index + 1; i-- > 0;) {
    if (!page.page_names[i].empty()) return page.page_names[i];
  }
  return {};
}

// Appends an entry, storing its page name only where it differs (ignoring
// case) from the effective name of the entry before it.
void AppendEntry(TOrvoHistData& page, const std::string& page_name, int32_t command_index, int32_t first_ordinal,
                 int32_t last_ordinal, int32_t height, const std::string& frozen_values) {
  const bool same = page.Count() > 0 && EqualsNoCase(EffectiveName(page, page.Count() - 1), page_name);
  page.page_names.push_back(same ? std::string() : page_name);
  page.command_indexes.push_back(command_index);
  page.first_ordinals.push_back(first_ordinal);
  page.last_ordinals.push_back(last_ordinal);
  page.heights.push_back(height);
  page.frozen_values.push_back(frozen_values);
  page.total = WrapAdd(page.total, height);
}

void WriteHistoryPage(TBinaryWriter& writer, const TOrvoHistData& page) { page.Write(writer); }

}  // namespace

std::string ReadBoundedString(TBinaryReader& reader) {
  const int32_t length = reader.ReadInt32();
  if (length > kBoundedStringCap) throw EReadError("Invalid string data");
  if (length <= 0) return {};
  return reader.ReadBytes(length);
}

// ---- one history

TOrvoNewHistory::TOrvoNewHistory(TOrvoHistoryFormat& format, THistoryServices& services)
    : format_(format), services_(services) {}

THistorySettings TOrvoNewHistory::MeasuringSettings() const {
  THistorySettings settings;
  settings.values = {measuring_.default_font_size, measuring_.default_border_width, measuring_.default_shadow_width,
                     measuring_.layout_width,      measuring_.layout_height,        measuring_.line_spacing,
                     measuring_.padding_left,      measuring_.padding_right};
  return settings;
}

void TOrvoNewHistory::SetMeasuringSettings(const THistorySettings& settings) {
  const auto& v = settings.values;
  measuring_.default_font_size = v[0];
  measuring_.default_border_width = v[1];
  measuring_.default_shadow_width = v[2];
  measuring_.layout_width = v[3];
  measuring_.layout_height = v[4];
  measuring_.line_spacing = v[5];
  measuring_.padding_left = v[6];
  measuring_.padding_right = v[7];
}

void TOrvoNewHistory::RecordPending(const std::string& message_name, int32_t message_width, int32_t message_height,
                                    const std::string& page_name, const std::string& frozen_values, int32_t page_number,
                                    int32_t last_ordinal, int32_t first_ordinal, int32_t command_index) {
  pending_page_ = page_name;
  pending_command_ = command_index;
  pending_first_ = first_ordinal;
  pending_last_ = last_ordinal;
  pending_message_ = message_name;
  pending_values_ = frozen_values;
  if (format_.settings.FontHeight() == 0) {
    pending_width_ = message_width;
    pending_height_ = message_height;
    pending_number_ = page_number;
  }
  // New settings of a format take effect only while its history is empty.
  if (pages_.empty()) SetMeasuringSettings(format_.settings);
}

std::string TOrvoNewHistory::EffectiveOldName(size_t index) const {
  for (size_t i = index + 1; i-- > 0;) {
    if (!old_[i].page_name.empty()) return old_[i].page_name;
  }
  return {};
}

void TOrvoNewHistory::AddMeasuredPage(const std::string& page_name, int32_t command_index,
                                      const std::string& frozen_values, int32_t height, int32_t first_ordinal,
                                      int32_t last_ordinal) {
  if (pages_.empty() || int64_t{measuring_.layout_height} < int64_t{height} + pages_.back().total) {
    pages_.emplace_back();
  }
  AppendEntry(pages_.back(), page_name, command_index, first_ordinal, last_ordinal, height, frozen_values);
}

void TOrvoNewHistory::CommitPending(const std::string& message_name) {
  if (pending_page_.empty() || pending_message_ != message_name) return;
  if (!NewStyle()) {
    THistoryOldData entry;
    const bool same = !old_.empty() && EqualsNoCase(EffectiveOldName(old_.size() - 1), pending_page_);
    entry.page_name = same ? std::string() : pending_page_;
    entry.command_index = pending_command_;
    entry.page_number = pending_number_;
    entry.width = pending_width_;
    entry.height = pending_height_;
    old_.push_back(std::move(entry));
    Trim();
    pending_page_.clear();
    return;
  }
  if (services_.page_exists && !services_.page_exists(pending_page_)) {
    pending_page_.clear();
    return;
  }
  if (!services_.text_command) return;
  bool reloaded = false;
  std::optional<std::string> stream = services_.text_command(pending_page_, pending_command_, reloaded);
  if (reloaded) cached_.reset();
  if (!stream) return;  // the pending entry stays as it is
  std::pair<std::string, int32_t> key{LowerAscii(pending_page_), pending_command_};
  if (cached_ != key) {
    measuring_.ClearGlyphs();
    TMemoryStream glyphs(*stream);
    measuring_.LoadGlyphs(glyphs);
    cached_ = key;
  }
  if (services_.stage) {
    measuring_.engine = services_.stage->Engine();
    measuring_.fonts = services_.stage->Glyphs();
  }
  std::vector<std::unique_ptr<TWdPage>> work;
  try {
    measuring_.frozen_values = SplitMarkupLines(pending_values_);
    const int32_t first = std::max(pending_first_, 0);
    measuring_.ExpandVars(first, pending_last_, THistoryVars::Include);
    measuring_.Layout(work, first, pending_message_, pending_last_);
    for (const auto& page : work) {
      const int32_t height = WrapAdd(page->height, measuring_.line_spacing);
      AddMeasuredPage(pending_page_, pending_command_, pending_values_, height,
                      measuring_.OrdinalOf(FirstGlyphOf(*page)), measuring_.OrdinalOf(LastGlyphOf(*page)));
    }
  } catch (const EOrvoError&) {
    // A text that no longer lays out is not added; the pending entry stays.
    work.clear();
    measuring_.CollapseVars(0, -1);
    return;
  }
  work.clear();
  measuring_.CollapseVars(0, -1);
  Trim();
  pending_page_.clear();
}

void TOrvoNewHistory::Trim() {
  if (NewStyle()) {
    while (limit_ > 0 && static_cast<size_t>(limit_) < pages_.size()) pages_.erase(pages_.begin());
    return;
  }
  while (limit_ > 0 && static_cast<size_t>(limit_) < old_.size()) {
    if (old_.size() > 1 && old_[1].page_name.empty()) old_[1].page_name = old_[0].page_name;
    old_.erase(old_.begin());
  }
}

void TOrvoNewHistory::Clear() {
  pages_.clear();
  old_.clear();
  pending_page_.clear();
  pending_values_.clear();
  cached_.reset();
  measuring_.ClearGlyphs();
}

int32_t TOrvoNewHistory::EntryCount() const { return static_cast<int32_t>(NewStyle() ? pages_.size() : old_.size()); }

int32_t TOrvoNewHistory::HistoryTotal() const {
  if (!NewStyle()) return static_cast<int32_t>(old_.size());
  int32_t total = 0;
  for (const TOrvoHistData& page : pages_) total = WrapAdd(total, page.total);
  return total;
}

int32_t TOrvoNewHistory::ExtractRange(int32_t start, int32_t height, TOrvoHistData& target) const {
  target.Clear();
  const int64_t s = start, bottom = int64_t{start} + height;
  int64_t sum = 0;
  size_t p = 0;
  for (; p < pages_.size(); ++p) {
    if (sum + pages_[p].total > s) break;
    sum += pages_[p].total;
  }
  if (p == pages_.size()) return 0;
  const TOrvoHistData& first_page = pages_[p];
  if (first_page.Count() == 0) return 0;
  // The first entry: the first whose bottom lies below start.
  size_t e = first_page.Count() - 1;
  int64_t run = sum, top_of_e = sum;
  for (size_t j = 0; j < first_page.Count(); ++j) {
    top_of_e = run;
    run += first_page.heights[j];
    if (run > s) {
      e = j;
      break;
    }
  }
  const int64_t offset = top_of_e - s;
  // The last page: the one before the first page that starts at or below start + height.
  int64_t through = sum + first_page.total;
  size_t q = pages_.size() - 1;
  for (size_t k = p + 1; k < pages_.size(); ++k) {
    if (through >= bottom) {
      q = k - 1;
      break;
    }
    through += pages_[k].total;
  }
  const TOrvoHistData& last_page = pages_[q];
  if (last_page.Count() == 0) return static_cast<int32_t>(std::clamp<int64_t>(offset, INT32_MIN, 0));
  size_t f = last_page.Count() - 1;
  int64_t r = through - last_page.total;
  for (size_t j = 0; j < last_page.Count(); ++j) {
    r += last_page.heights[j];
    if (r >= bottom) {
      f = j;
      break;
    }
  }
  for (size_t page_index = p; page_index <= q; ++page_index) {
    const TOrvoHistData& page = pages_[page_index];
    const size_t from = page_index == p ? e : 0;
    const size_t to = page_index == q ? f : (page.Count() == 0 ? 0 : page.Count() - 1);
    if (page.Count() == 0) continue;
    for (size_t j = from; j <= to && j < page.Count(); ++j) {
      AppendEntry(target, EffectiveName(page, j), page.command_indexes[j], page.first_ordinals[j],
                  page.last_ordinals[j], page.heights[j], page.frozen_values[j]);
    }
  }
  return static_cast<int32_t>(std::clamp<int64_t>(offset, INT32_MIN, 0));
}

void TOrvoNewHistory::ShowHistory(int32_t start, int32_t count, TOrvoObject* object) {
  auto* message = dynamic_cast<TOrvoMes*>(object);
  if (!message) return;
  message->SetTextSource(TTextSource::History);
  TOrvoNewMesData& content = message->Content();
  if (measuring_.layout_width <= 0) {
    // The window's own text reference would otherwise win over the entries.
    content.ClearNewEntries();
    content.old_names.clear();
    content.old_commands.clear();
    content.old_page_numbers.clear();
    content.old_widths.clear();
    content.old_heights.clear();
    const int64_t end = int64_t{start} + count;
    for (int64_t i = start; i < end; ++i) {
      if (i < 0 || i >= static_cast<int64_t>(old_.size())) continue;
      const THistoryOldData& entry = old_[static_cast<size_t>(i)];
      content.old_names.push_back(EffectiveOldName(static_cast<size_t>(i)));
      content.old_commands.push_back(entry.command_index);
      content.old_page_numbers.push_back(entry.page_number);
      content.old_widths.push_back(entry.width);
      content.old_heights.push_back(entry.height);
    }
    message->SetProperty(PR_OFFSETY, TPropValue::Int(0));
  } else {
    message->SetHistoryOffset(ExtractRange(start, count, content.new_entries));
  }
  message->RebuildText(true, true);
  message->SetPage(0);
}

void TOrvoNewHistory::Write(TBinaryWriter& writer) const {
  writer.WriteInt32(static_cast<int32_t>(old_.size()));
  for (const THistoryOldData& entry : old_) {
    writer.WriteString(entry.page_name);
    writer.WriteInt32(entry.command_index);
    writer.WriteInt32(entry.page_number);
    writer.WriteInt32(entry.width);
    writer.WriteInt32(entry.height);
  }
  writer.WriteString(pending_page_);
  writer.WriteInt32(pending_command_);
  writer.WriteInt32(pending_number_);
  writer.WriteInt32(pending_width_);
  writer.WriteInt32(pending_height_);
  writer.WriteString(pending_message_);
  writer.WriteInt32(limit_);
  const THistorySettings measuring = MeasuringSettings();
  for (size_t i = 0; i < 6; ++i) writer.WriteInt32(measuring.values[i]);
  writer.WriteInt32(pending_first_);
  writer.WriteInt32(pending_last_);
  writer.WriteInt32(static_cast<int32_t>(pages_.size()));
  for (const TOrvoHistData& page : pages_) WriteHistoryPage(writer, page);
  writer.WriteString(pending_values_);
  writer.WriteInt32(measuring.values[6]);
  writer.WriteInt32(measuring.values[7]);
}

void TOrvoNewHistory::Read(TBinaryReader& reader, int32_t version) {
  Clear();
  if (version < 113) ReadBoundedString(reader);
  const size_t count = reader.RequireCount(reader.ReadInt32(), kMinOldEntry);
  std::vector<THistoryOldData> entries(count);
  if (version > 112) {
    for (THistoryOldData& entry : entries) {
      entry.page_name = ReadBoundedString(reader);
      entry.command_index = reader.ReadInt32();
      entry.page_number = reader.ReadInt32();
      entry.width = reader.ReadInt32();
      entry.height = reader.ReadInt32();
    }
  } else {
    for (THistoryOldData& entry : entries) entry.page_name = ReadBoundedString(reader);
    for (THistoryOldData& entry : entries) entry.command_index = reader.ReadInt32();
    for (THistoryOldData& entry : entries) entry.page_number = reader.ReadInt32();
    for (THistoryOldData& entry : entries) {
      entry.width = reader.ReadInt32();
      entry.height = reader.ReadInt32();
    }
  }
  pending_page_ = ReadBoundedString(reader);
  pending_command_ = reader.ReadInt32();
  pending_number_ = reader.ReadInt32();
  pending_width_ = reader.ReadInt32();
  pending_height_ = reader.ReadInt32();
  pending_message_ = ReadBoundedString(reader);
  THistorySettings measuring;
  std::vector<TOrvoHistData> pages;
  if (version > 112) {
    limit_ = reader.ReadInt32();
    for (size_t i = 0; i < 6; ++i) measuring.values[i] = reader.ReadInt32();
    pending_first_ = reader.ReadInt32();
    pending_last_ = reader.ReadInt32();
    const size_t page_count = reader.RequireCount(reader.ReadInt32(), kMinHistoryPage);
    pages.resize(page_count);
    for (TOrvoHistData& page : pages) page.Read(reader, version);
  }
  if (version > 123) pending_values_ = ReadBoundedString(reader);
  if (version > 200) {
    measuring.values[6] = reader.ReadInt32();
    measuring.values[7] = reader.ReadInt32();
  }
  old_ = std::move(entries);
  pages_ = std::move(pages);
  SetMeasuringSettings(measuring);
  cached_.reset();
}

// ---- the formats

TOrvoHistoryFormatManager::TOrvoHistoryFormatManager() { ClearFormats(); }

TOrvoHistoryFormat* TOrvoHistoryFormatManager::FindFormat(const std::string& name) const {
  for (const auto& format : formats_) {
    if (format->name == name) return format.get();
  }
  return nullptr;
}

TOrvoHistoryFormat& TOrvoHistoryFormatManager::ObtainFormat(const std::string& name) {
  if (TOrvoHistoryFormat* found = FindFormat(name)) return *found;
  formats_.push_back(std::make_unique<TOrvoHistoryFormat>(name, services_));
  return *formats_.back();
}

void TOrvoHistoryFormatManager::ClearFormats() {
  formats_.clear();
  ObtainFormat(std::string());
}

void TOrvoHistoryFormatManager::ClearHistories() {
  for (const auto& format : formats_) format->history.Clear();
}

void TOrvoHistoryFormatManager::RecordPending(TOrvoMes& message, const std::string& page_name,
                                              const std::string& frozen_values, int32_t page_number,
                                              int32_t last_ordinal, int32_t first_ordinal, int32_t command_index) {
  for (const auto& format : formats_) {
    format->history.RecordPending(message.Name(), message.Width(), message.Height(), page_name, frozen_values,
                                  page_number, last_ordinal, first_ordinal, command_index);
  }
}

void TOrvoHistoryFormatManager::CommitPending(const std::string& message_name) {
  for (const auto& format : formats_) format->history.CommitPending(message_name);
}

void TOrvoHistoryFormatManager::WriteFormats(TBinaryWriter& writer) const {
  writer.WriteInt32(static_cast<int32_t>(formats_.size()));
  for (const auto& format : formats_) {
    writer.WriteString(format->name);
    for (size_t i = 0; i < 6; ++i) writer.WriteInt32(format->settings.values[i]);
    format->history.Write(writer);
    writer.WriteInt32(format->settings.values[6]);
    writer.WriteInt32(format->settings.values[7]);
  }
}

void TOrvoHistoryFormatManager::ReadFormats(TBinaryReader& reader, int32_t version) {
  formats_.clear();
  // A format holds at least its name, six settings and a history's fixed fields.
  const size_t count = reader.RequireCount(reader.ReadInt32(), 4 + 24 + 4 + 20);
  for (size_t i = 0; i < count; ++i) {
    auto format = std::make_unique<TOrvoHistoryFormat>(ReadBoundedString(reader), services_);
    for (size_t k = 0; k < 6; ++k) format->settings.values[k] = reader.ReadInt32();
    format->history.Read(reader, version);
    if (version > 200) {
      format->settings.values[6] = reader.ReadInt32();
      format->settings.values[7] = reader.ReadInt32();
    }
    formats_.push_back(std::move(format));
  }
  ObtainFormat(std::string());
}

void TOrvoHistoryFormatManager::ReadSingleHistory(TBinaryReader& reader, int32_t version) {
  ClearFormats();
  DefaultFormat().history.Read(reader, version);
}

}  // namespace orvo
