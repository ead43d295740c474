// The history formats record of game saves: any bytes, read as a save of any
// version (single histories below 135 included), must load or raise an error
// without allocating beyond the bytes it holds; what loads writes back,
// loads and writes again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "fuzz_budget.h"
#include "save/history.h"

namespace {

using namespace orvo;

std::string Save(const TOrvoHistoryFormatManager& history) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  history.WriteFormats(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void Load(TOrvoHistoryFormatManager& history, const std::string& bytes, int32_t version) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  if (version < 135) {
    history.ReadSingleHistory(reader, version);
  } else {
    history.ReadFormats(reader, version);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t version = 107 + data[0] % 95;
  const std::string record(reinterpret_cast<const char*>(data) + 1, size - 1);
  fuzz::TWorkBudget budget(20, 10);
  budget.Start();
  TOrvoHistoryFormatManager history;
  try {
    Load(history, record, version);
  } catch (const EOrvoError&) {
    budget.Check(static_cast<int64_t>(size), "reading a history record");
    return 0;
  }
  const std::string first = Save(history);
  budget.Check(static_cast<int64_t>(size + first.size()), "reading and writing a history record");
  TOrvoHistoryFormatManager again;
  Load(again, first, 201);
  if (Save(again) != first) __builtin_trap();
  return 0;
}
