#pragma once
// A tiny game in memory: pages compiled from source, an interpreter, a
// variable store and an event queue of our own, run frame by frame under a
// fixed 15 ms step.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "base/random.h"
#include "base/trace.h"
#include "script/call_man.h"
#include "script/lang/source_compiler.h"
#include "script/system_host.h"
#include "script/variable_dump.h"
#include "support/test_support.h"
#include "vars/engine.h"

namespace orvo::test {

class TMemoryPages : public IPageSource {
 public:
  bool RequireFile(const std::string& name) override { return pages.count(name) > 0; }
  std::string LoadFile(const std::string& name) override {
    ++loads[name];
    auto found = pages.find(name);
    if (found == pages.end()) throw EOrvoError(name + ":missing");
    return found->second;
  }
  std::map<std::string, std::string> pages;
  std::map<std::string, int> loads;
};

// Stage objects stand in as names: handle i+1 is names[i].
class TNamedObjects : public IScriptHost {
 public:
  std::string ObjectName(TObjectHandle object) const override {
    return object >= 1 && object <= names.size() ? names[object - 1] : std::string();
  }
  TObjectHandle FindObject(std::string_view name) const override {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return i + 1;
    }
    return 0;
  }
  void RequestClose() override { ++close_requests; }
  void Warn(const std::string& text) override { warnings.push_back(text); }
  void ReportError(const std::string& text) override { errors.push_back(text); }
  std::vector<std::string> names{"button", "timer"};
  int close_requests = 0;
  std::vector<std::string> warnings;
  std::vector<std::string> errors;
};

class TScriptGame {
 public:
  TScriptGame() : host(state), engine(host, random) { engine.Functions(); }

  // Adds a page source (UTF-8); name without extension gets ".osb".
  void Page(const std::string& name, const std::string& source) {
    sources.push_back({name + ".src", PageFileName(name), source});
  }
  void Compile() {
    for (auto& [name, bytes] : CompilePages(sources)) pages.pages[name] = bytes;
  }
  // Compiles every page and enters start.
  void Start(const std::string& start = "start.osb") {
    Compile();
    call_man = std::make_unique<TCallMan>(state, engine, pages, events, objects);
    host.SetCallMan(call_man.get());
    call_man->StartPage(start);
  }
  // Runs frames of delta ms each.
  void Frames(int count, int32_t delta = 15) {
    for (int i = 0; i < count; ++i) {
      state.total_elapsed += delta;
      state.frame_delta = delta;
      call_man->RunFrame();
      ++state.frame_counter;
    }
  }
  std::string Dump() const { return FormatVariableDump(const_cast<TExprEngine&>(engine).Store()); }
  // The value of a variable as text ("" when it does not exist).
  std::string Var(const std::string& name) {
    TParamCollectionItem* item = engine.Store().Find(Sjis(name));
    return item ? item->Value().GetAsStr() : std::string("<none>");
  }

  TRuntimeState state;
  TScriptSystemHost host;
  TProcessRandom random;
  TExprEngine engine;
  TMemoryPages pages;
  TEventQueue events;
  TNamedObjects objects;
  std::vector<TPageSourceFile> sources;
  std::unique_ptr<TCallMan> call_man;
};

// Captures the trace of a block of work.
class TTraceCapture {
 public:
  TTraceCapture() : path_(MakeTempDir("trace") + "/trace.txt") { Trace().Open(path_); }
  ~TTraceCapture() { Trace().Close(); }
  std::string Text() {
    Trace().Close();
    return ReadFile(path_);
  }

 private:
  std::string path_;
};

}  // namespace orvo::test
