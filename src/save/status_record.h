#pragma once
// The status record: what a game keeps between runs whatever slot is
// loaded (persistent variables, read marks, the picture cache's state and
// the status tables), tagged "Status" + three version digits.
#include <cstdint>

#include "base/binary_io.h"
#include "save/table_sections.h"

namespace orvo {

class TParamCollection;
class TOrvoReadList;
class TDovaCollection;

constexpr int32_t kStatusVersion = 103;

struct TStatusParts {
  TParamCollection* store = nullptr;
  TOrvoReadList* marks = nullptr;
  TDovaCollection* pictures = nullptr;
  ISaveTables* tables = nullptr;
  bool Complete() const { return store && marks && pictures && tables; }
};

void WriteStatusRecord(TBinaryWriter& writer, const TStatusParts& parts);
// The version of the tag at the reader's position (consumed); 0 and nothing
// consumed when the record does not begin with "Status".
int32_t ReadStatusTag(TBinaryReader& reader);
// Reads a whole record into the parts; returns its version.
int32_t ReadStatusRecord(TBinaryReader& reader, const TStatusParts& parts);

}  // namespace orvo
