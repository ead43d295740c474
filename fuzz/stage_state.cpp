// The stage record of game saves: any bytes, read as a save of any version,
// must load or raise an error; a loaded stage saves, loads and saves again
// to the same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/error.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "fuzz_budget.h"
#include "stage/stage.h"

namespace {

using namespace orvo;

// A visual kind with no fields of its own, so that trees can be read.
class TFuzzBox : public TOrvoControl {
 public:
  using TOrvoControl::TOrvoControl;
  uint8_t CompoType() const override { return kcBox; }
};

std::unique_ptr<TOrvoBaseList> MakeStage(const TRuntimeState& state) {
  auto stage = std::make_unique<TOrvoBaseList>(state);
  stage->RegisterKind(kcBox, [](TOrvoBaseList& s) { return std::make_unique<TFuzzBox>(s); });
  // Message windows have a target of their own (stage_message), which keeps
  // their layouts to a size the fuzzer can render quickly.
  stage->RegisterKind(kcMes, {});
  return stage;
}

std::string Save(const TOrvoBaseList& stage) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  stage.WriteState(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void Load(TOrvoBaseList& stage, const std::string& bytes, int32_t version) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  stage.ReadState(reader, version);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t version = 100 + data[0] % 102;
  const std::string record(reinterpret_cast<const char*>(data) + 1, size - 1);
  TRuntimeState state;
  auto stage = MakeStage(state);
  // Reading and writing a record cost a constant times its bytes.
  fuzz::TWorkBudget budget(50, 10);
  budget.Start();
  try {
    Load(*stage, record, version);
  } catch (const EOrvoError&) {
    budget.Check(static_cast<int64_t>(size), "reading a stage record");
    return 0;
  }
  const std::string first = Save(*stage);
  budget.Check(static_cast<int64_t>(size + first.size()), "reading and writing a stage record");
  auto again = MakeStage(state);
  Load(*again, first, 201);
  if (Save(*again) != first) __builtin_trap();
  return 0;
}
