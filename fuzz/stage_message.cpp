// The message window's save record: any bytes, read as a record of any
// version and laid out again, must load or raise an error, never read
// past the page states it kept; a loaded window saves, loads and saves
// again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/error.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "fuzz_budget.h"
#include "stage/message.h"
#include "stage/stage.h"

namespace {

using namespace orvo;

constexpr int64_t kFuzzedPixels = 2048 * 2048;

std::string Save(const TOrvoMes& message) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  message.WriteState(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TOrvoMes& Load(TOrvoBaseList& stage, const std::string& bytes, int32_t version) {
  auto* message = static_cast<TOrvoMes*>(stage.CreateByKind(kcMes));
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  message->ReadState(reader, version);
  // A layout up to the largest stage is allowed; clearing such work surfaces
  // under the fuzzer's instrumentation takes seconds, and its cost grows only
  // with the pixels, so the target keeps to layouts of a few megapixels.
  if (int64_t{message->Document().layout_width} * message->Document().layout_height > kFuzzedPixels) {
    throw EOrvoError("layout beyond the fuzzed size");
  }
  message->ReloadText();
  return *message;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t version = 100 + data[0] % 102;
  const std::string record(reinterpret_cast<const char*>(data) + 1, size - 1);
  TRuntimeState state;
  TOrvoBaseList stage(state);
  // Layout without fonts costs a constant per glyph; a record's bytes bound its glyphs.
  fuzz::TWorkBudget budget(100, 50);
  budget.Start();
  std::string first;
  int64_t pixels = 0;
  try {
    TOrvoMes& message = Load(stage, record, version);
    // Rendering the shown page clears work surfaces as large as the layout,
    // which a record may ask for up to the largest stage.
    pixels = int64_t{message.Document().layout_width} * message.Document().layout_height;
    first = Save(message);
  } catch (const EOrvoError&) {
    budget.Check(static_cast<int64_t>(size), "reading a message record");
    return 0;
  }
  budget.Check(static_cast<int64_t>(size + first.size()) + pixels / 64, "reading and writing a message record");
  TOrvoBaseList again(state);
  if (Save(Load(again, first, 201)) != first) __builtin_trap();
  return 0;
}
