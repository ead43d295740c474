#include "stage/mes_data.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/error.h"
#include "text/markup_writer.h"

namespace orvo {

namespace {
// Frozen values are bounded as the history's are.
constexpr int64_t kBoundedString = 10485760;

bool SameName(const std::string& a, const std::string& b) { return LowerAscii(a) == LowerAscii(b); }
}  // namespace

void TOrvoHistData::Clear() {
  page_names.clear();
  command_indexes.clear();
  first_ordinals.clear();
  last_ordinals.clear();
  heights.clear();
  frozen_values.clear();
  total = 0;
}

void TOrvoHistData::Write(TBinaryWriter& writer) const {
  writer.WriteInt32(static_cast<int32_t>(Count()));
  for (size_t i = 0; i < Count(); ++i) {
    writer.WriteString(page_names[i]);
    writer.WriteInt32(command_indexes[i]);
    writer.WriteInt32(first_ordinals[i]);
    writer.WriteInt32(last_ordinals[i]);
    writer.WriteInt32(heights[i]);
    writer.WriteString(frozen_values[i]);
  }
  writer.WriteInt32(total);
}

void TOrvoHistData::Read(TBinaryReader& reader, int32_t version) {
  Clear();
  // An entry holds at least a name length and four int32 values.
  const size_t count = reader.RequireCount(reader.ReadInt32(), 20);
  for (size_t i = 0; i < count; ++i) {
    page_names.push_back(reader.ReadString());
    command_indexes.push_back(reader.ReadInt32());
    first_ordinals.push_back(reader.ReadInt32());
    last_ordinals.push_back(reader.ReadInt32());
    heights.push_back(reader.ReadInt32());
    if (version > 123) {
      const int32_t length = reader.ReadInt32();
      if (length > kBoundedString) throw EReadError("Invalid string data");
      frozen_values.push_back(length > 0 ? reader.ReadBytes(length) : std::string());
    } else {
      frozen_values.emplace_back();
    }
  }
  total = reader.ReadInt32();
}

void TOrvoNewMesData::SetTextReference(const std::string& page_name, int32_t command_index) {
  new_entries.Clear();
  new_entries.page_names.push_back(page_name);
  new_entries.command_indexes.push_back(command_index);
  new_entries.first_ordinals.push_back(0);
  new_entries.last_ordinals.push_back(-1);
  new_entries.heights.push_back(0);
  new_entries.frozen_values.emplace_back();
}

TOrvoNewMesData::TCachedPage& TOrvoNewMesData::CachedPage(const std::string& page_name) {
  auto found = std::find_if(cache_.begin(), cache_.end(),
                            [&](const TCachedPage& page) { return SameName(page.page_name, page_name); });
  if (found != cache_.end()) {
    cache_.splice(cache_.begin(), cache_, found);
  } else {
    cache_.push_front(TCachedPage{page_name, {}});
    while (cache_.size() > kCachedPages) cache_.pop_back();
  }
  return cache_.front();
}

void TOrvoNewMesData::Insert(TCachedPage& page, int32_t command_index, std::string_view stream_bytes) {
  auto document = std::make_unique<TKwWord>();
  TMemoryStream stream(stream_bytes);
  document->LoadGlyphs(stream);
  page.texts.push_front(TCachedText{command_index, std::move(document)});
  while (page.texts.size() > kCachedTexts) page.texts.pop_back();
}

void TOrvoNewMesData::Prime(const std::string& page_name, int32_t command_index, std::string_view stream_bytes) {
  TCachedPage& page = CachedPage(page_name);
  std::erase_if(page.texts, [&](const TCachedText& text) { return text.command_index == command_index; });
  Insert(page, command_index, stream_bytes);
}

TKwWord* TOrvoNewMesData::CachedText(const std::string& page_name, int32_t command_index) {
  TCachedPage& page = CachedPage(page_name);
  auto found = std::find_if(page.texts.begin(), page.texts.end(),
                            [&](const TCachedText& text) { return text.command_index == command_index; });
  if (found != page.texts.end()) {
    page.texts.splice(page.texts.begin(), page.texts, found);
    return page.texts.front().document.get();
  }
  if (!source_ || command_index < 0) return nullptr;
  std::optional<std::string> bytes = source_(page.page_name, command_index);
  if (!bytes) return nullptr;
  Insert(page, command_index, *bytes);
  return page.texts.front().document.get();
}

namespace {

// The three record bases follow the records the document holds now, so that
// the next copied text's record indexes land after them.
void AdvanceBases(TKwWord& document) {
  document.decoration_base = document.decorations.Count();
  document.condition_base = document.conditions.Count();
  document.link_base = document.links.Count();
}

// Moves every row of from onto target, lowered by dy; the bottom of the last
// row moved, or nothing when from has no rows.
std::optional<int32_t> MoveRows(TWdPage& from, TWdPage& target, int32_t dy) {
  std::optional<int32_t> bottom;
  while (from.ChildCount() > 0) {
    std::unique_ptr<TWdGlyph> row = from.ReleaseChild(0);
    if (!row) continue;
    row->y += dy;
    bottom = row->y + row->height;
    target.height = std::max(target.height, *bottom);
    target.AddOwned(std::move(row));
  }
  return bottom;
}

}  // namespace

void TOrvoNewMesData::Rebuild(TKwWord& document, std::vector<std::unique_ptr<TWdPage>>& pages,
                              const std::string& message_name, bool include_history, bool packed_display,
                              int32_t offset) {
  const THistoryVars history = include_history ? THistoryVars::Include : THistoryVars::Skip;
  if (new_entries.Count() == 0) {
    RebuildOldStyle(document, pages, message_name, packed_display);
    return;
  }
  document.ClearGlyphs();
  if (new_entries.Count() != 1 || new_entries.total != 0) {
    RebuildHistory(document, pages, message_name, history, offset);
    return;
  }
  if (!PageExists(new_entries.page_names[0])) return;
  TKwWord* cached = CachedText(new_entries.page_names[0], new_entries.command_indexes[0]);
  if (!cached) return;
  document.CopyGlyphs(*cached, new_entries.first_ordinals[0], new_entries.last_ordinals[0]);
  document.frozen_values = SplitMarkupLines(new_entries.frozen_values[0]);
  document.ExpandVars(0, -1, history);
  document.Layout(pages, 0, message_name, -1);
}

void TOrvoNewMesData::RebuildHistory(TKwWord& document, std::vector<std::unique_ptr<TWdPage>>& pages,
                                     const std::string& message_name, THistoryVars history, int32_t offset) {
  pages.push_back(std::make_unique<TWdPage>(document));
  TWdPage& shown = *pages.back();
  int32_t y = offset;
  std::string page_name;
  for (size_t i = 0; i < new_entries.Count(); ++i) {
    if (!new_entries.page_names[i].empty() || i == 0) page_name = new_entries.page_names[i];
    if (!PageExists(page_name)) break;
    TKwWord* cached = CachedText(page_name, new_entries.command_indexes[i]);
    if (!cached) continue;
    const int32_t first = document.GlyphCount();
    document.CopyGlyphs(*cached, new_entries.first_ordinals[i], new_entries.last_ordinals[i]);
    document.frozen_values = SplitMarkupLines(new_entries.frozen_values[i]);
    document.ExpandVars(first, -1, history);
    std::vector<std::unique_ptr<TWdPage>> laid_out;
    document.Layout(laid_out, first, message_name, -1);
    AdvanceBases(document);
    if (laid_out.empty()) continue;
    if (std::optional<int32_t> bottom = MoveRows(*laid_out.front(), shown, y)) y = *bottom + document.line_spacing;
  }
}

void TOrvoNewMesData::RebuildOldStyle(TKwWord& document, std::vector<std::unique_ptr<TWdPage>>& pages,
                                      const std::string& message_name, bool packed_display) {
  const int32_t width = document.layout_width, height = document.layout_height;
  document.ClearGlyphs();
  if (old_names.size() == 1 && old_page_numbers[0] < 0) {
    // A plain reference of older saves.
    TKwWord* cached = PageExists(old_names[0]) ? CachedText(old_names[0], old_commands[0]) : nullptr;
    if (cached) {
      document.CopyGlyphs(*cached, 0, -1);
      document.layout_width = old_widths[0];
      document.layout_height = old_heights[0];
      document.ExpandVars(0, -1, THistoryVars::Skip);
      document.Layout(pages, 0, message_name, -1);
    }
  } else if (!old_names.empty()) {
    pages.push_back(std::make_unique<TWdPage>(document));
    TWdPage& shown = *pages.back();
    int32_t y = 0;
    for (size_t i = 0; i < old_names.size(); ++i) {
      if (!PageExists(old_names[i])) break;
      TKwWord* cached = CachedText(old_names[i], old_commands[i]);
      if (!cached) continue;
      const int32_t first = document.GlyphCount();
      document.CopyGlyphs(*cached, 0, -1);
      document.layout_width = old_widths[i];
      document.layout_height = old_heights[i];
      document.ExpandVars(first, -1, THistoryVars::Skip);
      std::vector<std::unique_ptr<TWdPage>> laid_out;
      document.Layout(laid_out, first, message_name, -1);
      AdvanceBases(document);
      // A page number the text no longer lays out to shows nothing.
      const int32_t number = old_page_numbers[i];
      if (number < 0 || number >= static_cast<int32_t>(laid_out.size())) continue;
      if (std::optional<int32_t> bottom = MoveRows(*laid_out[static_cast<size_t>(number)], shown, y)) {
        y = packed_display ? *bottom + document.line_spacing : y + old_heights[i];
      }
    }
  }
  document.layout_width = width;
  document.layout_height = height;
}

void TOrvoNewMesData::Write(TBinaryWriter& writer) const {
  writer.WriteInt32(static_cast<int32_t>(old_names.size()));
  for (const std::string& name : old_names) writer.WriteString(name);
  for (int32_t value : old_commands) writer.WriteInt32(value);
  for (int32_t value : old_page_numbers) writer.WriteInt32(value);
  for (size_t i = 0; i < old_widths.size(); ++i) {
    writer.WriteInt32(old_widths[i]);
    writer.WriteInt32(old_heights[i]);
  }
  new_entries.Write(writer);
}

void TOrvoNewMesData::Read(TBinaryReader& reader, int32_t version) {
  // Each old entry takes at least a name length and four int32 values.
  const size_t count = reader.RequireCount(reader.ReadInt32(), 20);
  old_names.assign(count, std::string());
  old_commands.assign(count, 0);
  old_page_numbers.assign(count, 0);
  old_widths.assign(count, 0);
  old_heights.assign(count, 0);
  for (std::string& name : old_names) name = reader.ReadString();
  for (int32_t& value : old_commands) value = reader.ReadInt32();
  for (int32_t& value : old_page_numbers) value = reader.ReadInt32();
  for (size_t i = 0; i < count; ++i) {
    old_widths[i] = reader.ReadInt32();
    old_heights[i] = reader.ReadInt32();
  }
  new_entries.Clear();
  if (version > 112) new_entries.Read(reader, version);
}

}  // namespace orvo
