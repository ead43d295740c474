// The read-marks record of the status data: any bytes, read with any status
// version, must load or raise an error without allocating beyond the bytes
// it holds; what loads writes back, loads and writes again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/stream.h"
#include "fuzz_budget.h"
#include "stage/read_marks.h"

namespace {

using namespace orvo;

std::string Save(const TOrvoReadList& marks) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  marks.WriteMarks(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void Load(TOrvoReadList& marks, const std::string& bytes, int32_t version) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  marks.ReadMarks(reader, version);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t version = 98 + data[0] % 8;
  const std::string record(reinterpret_cast<const char*>(data) + 1, size - 1);
  fuzz::TWorkBudget budget(20, 10);
  budget.Start();
  TOrvoReadList marks;
  try {
    Load(marks, record, version);
  } catch (const EOrvoError&) {
    budget.Check(static_cast<int64_t>(size), "reading a read-marks record");
    return 0;
  }
  const std::string first = Save(marks);
  budget.Check(static_cast<int64_t>(size + first.size()), "reading and writing a read-marks record");
  TOrvoReadList again;
  Load(again, first, 103);
  if (Save(again) != first) __builtin_trap();
  return 0;
}
