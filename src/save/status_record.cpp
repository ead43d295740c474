#include "save/status_record.h"

#include <cstdio>

#include "base/error.h"
#include "stage/picture_cache.h"
#include "stage/read_marks.h"
#include "vars/store.h"

namespace orvo {

void WriteStatusRecord(TBinaryWriter& writer, const TStatusParts& parts) {
  char tag[16];
  std::snprintf(tag, sizeof tag, "Status%.3d", kStatusVersion);
  writer.WriteBytes(std::string_view(tag, 9));
  parts.store->SaveStatus(writer);
  parts.marks->WriteMarks(writer);
  parts.pictures->WriteCacheState(writer);
  parts.tables->SaveTables(writer, 1);
}

int32_t ReadStatusTag(TBinaryReader& reader) {
  const int64_t start = reader.Position();
  if (reader.Remaining() < 9) return 0;
  const std::string tag = reader.ReadBytes(9);
  if (tag.compare(0, 6, "Status") != 0) {
    reader.Stream().SetPosition(start);
    return 0;
  }
  int32_t version = 0;
  for (size_t i = 6; i < 9; ++i) {
    if (tag[i] < '0' || tag[i] > '9') throw EReadError("Invalid status data");
    version = version * 10 + (tag[i] - '0');
  }
  return version;
}

int32_t ReadStatusRecord(TBinaryReader& reader, const TStatusParts& parts) {
  const int32_t version = ReadStatusTag(reader);
  parts.store->LoadStatus(reader);
  parts.marks->ReadMarks(reader, version);
  parts.pictures->ReadCacheState(reader, version);
  if (version >= 103) parts.tables->LoadTables(reader, 1);
  return version;
}

}  // namespace orvo
