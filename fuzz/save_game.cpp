// The game record of a save slot: any bytes, applied to a running game with
// a stage, variables, the history and an interpreter, must load or raise an
// error; the save manager reacts to the error by stopping the game.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/error.h"
#include "base/random.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "fuzz_budget.h"
#include "save/save_manager.h"
#include "script/system_host.h"
#include "vars/engine.h"

namespace {

using namespace orvo;

// Pages do not exist: a record that names one fails the load.
class TNoPages : public IPageSource {
 public:
  bool RequireFile(const std::string&) override { return false; }
  std::string LoadFile(const std::string& name) override { throw EOrvoError(name + ":missing"); }
};

class TFuzzBox : public TOrvoControl {
 public:
  using TOrvoControl::TOrvoControl;
  uint8_t CompoType() const override { return kcBox; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string record(reinterpret_cast<const char*>(data), size);
  TRuntimeState state;
  TScriptSystemHost host(state);
  TProcessRandom random;
  TExprEngine engine(host, random);
  TOrvoBaseList stage(state);
  stage.RegisterKind(kcBox, [](TOrvoBaseList& s) { return std::make_unique<TFuzzBox>(s); });
  stage.RegisterKind(kcMes, {});
  TOrvoHistoryFormatManager history;
  TNoPages pages;
  TEventQueue events;
  IScriptHost script_host;
  TCallMan interpreter(state, engine, pages, events, script_host);
  TSaveServices services;
  services.state = &state;
  services.stage = &stage;
  services.store = &engine.Store();
  services.history = &history;
  services.interpreter = [&interpreter] { return &interpreter; };
  TSaveManager saves(services);
  fuzz::TWorkBudget budget(50, 10);
  budget.Start();
  try {
    TSpanStream stream(record.data(), record.size());
    TBinaryReader reader(stream);
    saves.ReadGameRecord(reader);
  } catch (const EOrvoError&) {
  }
  budget.Check(static_cast<int64_t>(size), "reading a game record");
  return 0;
}
