// The interpreter's inner loop: a while loop of one million rounds with a
// calculation in each, all in one frame (goal: well under half a second).
#include <benchmark/benchmark.h>

#include "base/random.h"
#include "script/call_man.h"
#include "script/lang/source_compiler.h"
#include "script/system_host.h"
#include "vars/engine.h"

namespace orvo {
namespace {

class TOnePage : public IPageSource {
 public:
  explicit TOnePage(std::string bytes) : bytes_(std::move(bytes)) {}
  bool RequireFile(const std::string&) override { return true; }
  std::string LoadFile(const std::string&) override { return bytes_; }

 private:
  std::string bytes_;
};

void BM_WhileLoopWithCalc(benchmark::State& state) {
  const int64_t rounds = state.range(0);
  TCompileOptions options;
  options.page_name = "loop.osb";
  TOnePage pages(
      CompilePageSource("var i: int = 0\nwhile i < " + std::to_string(rounds) + "\n  i = i + 1\nend\n", options));
  for (auto _ : state) {
    TRuntimeState runtime;
    TScriptSystemHost host(runtime);
    TProcessRandom random;
    TExprEngine engine(host, random);
    TEventQueue events;
    IScriptHost script_host;
    TCallMan call_man(runtime, engine, pages, events, script_host);
    call_man.StartPage("loop.osb");
    call_man.RunFrame();
    if (engine.Store().Find("i")->Value().GetAsInt() != rounds) state.SkipWithError("the loop did not finish");
  }
  state.SetItemsProcessed(state.iterations() * rounds);
}
BENCHMARK(BM_WhileLoopWithCalc)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
