#pragma once
// Everything an expression reaches: the store, the system functions, the
// host above and the random generator. One exists per running game; tests
// and tools make their own.
#include "base/random.h"
#include "vars/functions/sys_func.h"
#include "vars/host.h"
#include "vars/store.h"

namespace orvo {

class TExprEngine {
 public:
  TExprEngine(ISystemHost& host, TProcessRandom& random) : host_(&host), random_(&random), store_(host) {}
  TExprEngine(const TExprEngine&) = delete;
  TExprEngine& operator=(const TExprEngine&) = delete;

  TParamCollection& Store() { return store_; }
  TSysFuncMan& Functions() { return functions_; }
  ISystemHost& Host() { return *host_; }
  TProcessRandom& Random() { return *random_; }

  // Runs nested inside runs (Calc within Calc ...) stop at this depth, so a
  // script that evaluates itself cannot exhaust the stack.
  static constexpr int kMaxNesting = 32;
  int Nesting() const { return nesting_; }

 private:
  friend class TOrvoParser;
  ISystemHost* host_;
  TProcessRandom* random_;
  TParamCollection store_;
  TSysFuncMan functions_;
  int nesting_ = 0;
};

}  // namespace orvo
