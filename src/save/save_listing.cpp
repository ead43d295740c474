#include "save/save_listing.h"

#include <algorithm>
#include <vector>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "save/save_file.h"
#include "save/status_record.h"

namespace orvo {

std::string ListSaveFile(const std::string& path) {
  TVrFileCollection collection;
  TSaveFile file(TSaveLocation{path, ""});
  if (!file.Exists()) throw EReadError("Cannot read " + path);
  file.Open(collection);
  std::string out;
  if (std::optional<std::string> status = ReadVerifiedEntry(collection, kStatusEntry)) {
    TSpanStream stream(status->data(), status->size());
    TBinaryReader reader(stream);
    out += "status\t" + std::to_string(ReadStatusTag(reader)) + "\n";
  }
  std::vector<std::pair<int32_t, std::string>> slots;
  std::vector<std::string> files;
  for (size_t i = 0; i < collection.Count(); ++i) {
    const std::string& name = collection.At(i).Name();
    if (std::optional<int32_t> slot = SlotOfEntry(name)) {
      std::string bytes = *ReadVerifiedEntry(collection, name);
      TSpanStream stream(bytes.data(), bytes.size());
      TBinaryReader reader(stream);
      const int32_t version = reader.ReadInt32();
      const std::string title = reader.ReadString();
      slots.emplace_back(
          *slot, "slot\t" + std::to_string(*slot) + "\t" + std::to_string(version) + "\t" + Cp932ToUtf8(title) + "\n");
    } else if (name.size() >= kSaveFilePrefix.size() &&
               EqualsNoCase(std::string_view(name).substr(0, kSaveFilePrefix.size()), kSaveFilePrefix)) {
      const size_t size = ReadVerifiedEntry(collection, name)->size();
      files.push_back("file\t" + Cp932ToUtf8(name) + "\t" + std::to_string(size) + "\n");
    }
  }
  std::stable_sort(slots.begin(), slots.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& slot : slots) out += slot.second;
  for (const std::string& line : files) out += line;
  return out;
}

}  // namespace orvo
