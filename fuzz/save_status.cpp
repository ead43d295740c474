// The status record of the save file: any bytes must load or raise an error
// without allocating beyond the bytes they hold; what loads writes back,
// loads and writes again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/stream.h"
#include "fuzz_budget.h"
#include "save/empty_tables.h"
#include "save/status_record.h"
#include "stage/picture_cache.h"
#include "stage/read_marks.h"
#include "vars/host.h"
#include "vars/store.h"

namespace {

using namespace orvo;

struct TParts {
  THeadlessSystemHost host;
  TParamCollection store{host};
  TOrvoReadList marks;
  TDovaCollection pictures;
  TEmptySaveTables tables;
  TStatusParts Parts() { return TStatusParts{&store, &marks, &pictures, &tables}; }
};

std::string Save(TParts& parts) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  WriteStatusRecord(writer, parts.Parts());
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void Load(TParts& parts, const std::string& bytes) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  ReadStatusRecord(reader, parts.Parts());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string record(reinterpret_cast<const char*>(data), size);
  fuzz::TWorkBudget budget(20, 10);
  budget.Start();
  TParts parts;
  try {
    Load(parts, record);
  } catch (const EOrvoError&) {
    budget.Check(static_cast<int64_t>(size), "reading a status record");
    return 0;
  }
  const std::string first = Save(parts);
  budget.Check(static_cast<int64_t>(size + first.size()), "reading and writing a status record");
  TParts again;
  Load(again, first);
  if (Save(again) != first) __builtin_trap();
  return 0;
}
