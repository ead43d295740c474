// Saving and loading a game of 1,000 objects and 10,000 variables through
// the save file, beside writing the same bytes with the atomic write alone:
// the record, the container and the reading together should stay within a
// small multiple of the disk's own cost.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/files.h"
#include "base/random.h"
#include "base/runtime_state.h"
#include "base/stream.h"
#include "save/save_manager.h"
#include "script/system_host.h"
#include "vars/engine.h"

namespace orvo {
namespace {

class TNoPages : public IPageSource {
 public:
  bool RequireFile(const std::string&) override { return false; }
  std::string LoadFile(const std::string& name) override { throw EOrvoError(name + ":missing"); }
};

class TBenchBox : public TOrvoControl {
 public:
  using TOrvoControl::TOrvoControl;
  uint8_t CompoType() const override { return kcBox; }
};

std::string Numbered(std::string_view prefix, int number) {
  std::string name(prefix);
  name.append(std::to_string(number));
  return name;
}

struct TBenchGame {
  TRuntimeState state;
  TScriptSystemHost host{state};
  TProcessRandom random;
  TExprEngine engine{host, random};
  TOrvoBaseList stage{state};
  TOrvoHistoryFormatManager history;
  TNoPages pages;
  TEventQueue events;
  IScriptHost script_host;
  TCallMan interpreter{state, engine, pages, events, script_host};
  std::unique_ptr<TSaveManager> saves;
  std::string folder;

  TBenchGame() {
    stage.SetSize(800, 600);
    stage.RegisterKind(kcBox, [](TOrvoBaseList& s) { return std::make_unique<TBenchBox>(s); });
    for (int i = 0; i < 1000; ++i) {
      TOrvoObject* box = stage.CreateByKind(kcBox);
      box->SetName(Numbered("box", i));
      static_cast<TOrvoControl*>(box)->SetParent(&stage.ActiveScreen());
      box->SetProperty(PR_LEFT, TPropValue::Int(i % 800));
    }
    TParamCollection& store = engine.Store();
    for (int i = 0; i < 10000; ++i) {
      const int kind = i % 2 == 0 ? PT_INT : PT_STR;
      TParamCollectionItem& item = store.CreateVariable(Numbered("v", i), kind, TVarScope::Global);
      if (kind == PT_INT) {
        item.Value().SetAsInt(i);
      } else {
        item.Value().SetAsStr(Numbered("text of variable ", i));
      }
    }
    folder = MakeTempFile("bench-save");
    ::unlink(folder.c_str());
    std::filesystem::create_directories(folder);
    TSaveServices services;
    services.state = &state;
    services.stage = &stage;
    services.store = &engine.Store();
    services.history = &history;
    services.interpreter = [this] { return &interpreter; };
    saves = std::make_unique<TSaveManager>(services);
    saves->SetLocation(TSaveLocation{folder + "/save.dat", ""});
  }
};

TBenchGame& Game() {
  static TBenchGame game;
  return game;
}

void BM_SaveGame(benchmark::State& state) {
  TBenchGame& game = Game();
  for (auto _ : state) {
    if (!game.saves->SaveGame(1, "bench", "", 0)) state.SkipWithError("save failed");
  }
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(game.folder + "/save.dat"));
}
BENCHMARK(BM_SaveGame)->Unit(benchmark::kMillisecond);

void BM_LoadGame(benchmark::State& state) {
  TBenchGame& game = Game();
  game.saves->SaveGame(1, "bench", "", 0);
  for (auto _ : state) {
    game.saves->LoadGame(1);
    if (game.state.fatal_error) state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_LoadGame)->Unit(benchmark::kMillisecond);

// The yardstick: the same number of bytes through the atomic write with its backup.
void BM_AtomicWriteAlone(benchmark::State& state) {
  TBenchGame& game = Game();
  game.saves->SaveGame(1, "bench", "", 0);
  std::string bytes;
  ReadWholeFile(game.folder + "/save.dat", bytes);
  TAtomicWriteOptions options;
  options.backup_path = game.folder + "/plain.dat.bak";
  for (auto _ : state) WriteFileAtomically(game.folder + "/plain.dat", bytes, options);
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_AtomicWriteAlone)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
