// Expression compile and run speed: compiling a typical assignment, and
// running a compiled increment in a loop as a page would.
#include <benchmark/benchmark.h>

#include "base/random.h"
#include "vars/compiler.h"
#include "vars/engine.h"
#include "vars/parser.h"

namespace orvo {
namespace {

// 40 characters: arithmetic, a call and an array element.
constexpr const char* kTypical = "score = (score + bonus[i]*2) % Max(a, b)";

void BM_CompileTypical(benchmark::State& state) {
  for (auto _ : state) {
    std::string bytes = TBuildOrvoParser::CompileToBytes(kTypical);
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_CompileTypical);

void BM_CompileAndLoadTypical(benchmark::State& state) {
  for (auto _ : state) {
    TOrvoParser parser;
    parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes(kTypical));
    benchmark::DoNotOptimize(parser.Instructions().data());
  }
}
BENCHMARK(BM_CompileAndLoadTypical);

void BM_RunIncrement(benchmark::State& state) {
  THeadlessSystemHost host;
  TProcessRandom random;
  TExprEngine engine(host, random);
  engine.Store().CreateVariable("i", PT_INT, TVarScope::Global);
  // A store of a realistic size, so that lookups walk real chains.
  for (int k = 0; k < 500; ++k)
    engine.Store().CreateVariable(std::string("v").append(std::to_string(k)), PT_INT, TVarScope::Global);
  TOrvoParser parser;
  parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes("i = i + 1"));
  for (auto _ : state) parser.Execute(engine);
  state.SetItemsProcessed(state.iterations());
  if (engine.Store().Find("i")->Value().GetAsInt() != static_cast<int32_t>(state.iterations())) {
    state.SkipWithError("the increment did not run");
  }
}
BENCHMARK(BM_RunIncrement);

void BM_RunTypical(benchmark::State& state) {
  THeadlessSystemHost host;
  TProcessRandom random;
  TExprEngine engine(host, random);
  for (const char* name : {"score", "i", "a", "b"}) engine.Store().CreateVariable(name, PT_INT, TVarScope::Global);
  engine.Store().Find("b")->Value().SetAsInt(7);
  TParamCollectionItem& bonus = engine.Store().CreateVariable("bonus", PT_INT, TVarScope::Global);
  const int32_t size = 4;
  bonus.Value().SetDims(std::span<const int32_t>(&size, 1));
  TOrvoParser parser;
  parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes(kTypical));
  for (auto _ : state) parser.Execute(engine);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RunTypical);

}  // namespace
}  // namespace orvo
